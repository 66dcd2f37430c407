// Device life: creation, loss and reset, scenes, clear, present, gamma, state blocks.
#include "platform/gfx/device.h"

#include "platform/gfx/adapter.h"
#include "platform/gfx/format.h"
#include "platform/gfx/state_block.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace plat::gfx {
namespace {

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx: " + text);
}

const char* KindName(const Resource& resource)
{
    if (resource.GetType() == ResourceType::Texture)
        return "texture";
    if (resource.GetType() == ResourceType::VertexBuffer)
        return "vertex buffer";
    if (resource.GetType() == ResourceType::IndexBuffer)
        return "index buffer";
    switch (static_cast<const Surface&>(resource).Role()) {
    case SurfaceRole::BackBuffer:
        return "back buffer";
    case SurfaceRole::AutoDepth:
        return "depth buffer";
    case SurfaceRole::RenderTarget:
        return "render target";
    case SurfaceRole::DepthStencil:
        return "depth surface";
    default:
        return "surface";
    }
}

std::string Describe(const Resource& resource)
{
    char text[128];
    if (resource.GetType() == ResourceType::Texture) {
        const auto& texture = static_cast<const Texture&>(resource);
        std::snprintf(text, sizeof text, "%s %ux%u %s", KindName(resource), texture.Width(), texture.Height(),
            FormatName(texture.GetFormat()));
    } else if (resource.GetType() == ResourceType::Surface) {
        const auto& surface = static_cast<const Surface&>(resource);
        std::snprintf(text, sizeof text, "%s %ux%u %s", KindName(resource), surface.Width(), surface.Height(),
            FormatName(surface.GetFormat()));
    } else {
        std::snprintf(text, sizeof text, "%s of %u bytes", KindName(resource),
            static_cast<const Buffer&>(resource).Size());
    }
    return text;
}

} // namespace

Device::Device(Adapter& adapter, DeviceType type, const Caps& caps, const PresentParameters& params)
    : m_adapter(adapter)
    , m_type(type)
    , m_caps(caps)
    , m_params(params)
{
    m_adapter.AddRef();
}

Device::~Device()
{
    if (m_recording)
        m_recording->ReleaseBindings();
    m_recording.reset();
    for (auto& [handle, block] : m_stateBlocks)
        block->ReleaseBindings();
    m_stateBlocks.clear();
    ReleaseBindings();
    m_vertexShaders.clear();
    m_pixelShaders.clear();
    // Resources the program still holds outlive the device as plain memory.
    std::vector<Resource*> left(m_resources.begin(), m_resources.end());
    m_resources.clear();
    for (Resource* resource : left) {
        if (m_backend)
            m_backend->DestroyResource(*resource);
        resource->SetBackendData(nullptr);
        resource->m_device = nullptr;
        resource->m_deviceOwned = false;
        resource->DeleteIfUnused();
    }
    m_backBuffer = nullptr;
    m_autoDepth = nullptr;
    m_backend.reset();
    m_adapter.Release();
}

uint32_t Device::AddRef()
{
    return ++m_refs;
}

uint32_t Device::Release()
{
    if (m_refs == 0)
        return 0;
    uint32_t left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

Result Device::Initialise(std::unique_ptr<DeviceBackend> backend)
{
    m_backend = std::move(backend);
    if (!m_backend)
        return Result::NotAvailable;
    if (Result r = CreateSwapChainSurfaces(); Failed(r))
        return r;
    ResetState();
    return Result::Ok;
}

Result Device::CreateSwapChainSurfaces()
{
    try {
        auto* back = new Surface(this, SurfaceRole::BackBuffer, m_params.backBufferFormat,
            m_params.backBufferWidth, m_params.backBufferHeight, Pool::Default, usage::kRenderTarget,
            m_params.multiSample, (m_params.flags & present::kLockableBackBuffer) != 0);
        back->m_refs = 0;
        back->m_deviceOwned = true;
        if (Result r = Register(back); Failed(r)) {
            delete back;
            return r;
        }
        m_backBuffer = back;
        if (m_params.enableAutoDepthStencil) {
            auto* depth = new Surface(this, SurfaceRole::AutoDepth, m_params.autoDepthStencilFormat,
                m_params.backBufferWidth, m_params.backBufferHeight, Pool::Default, usage::kDepthStencil,
                m_params.multiSample, false);
            depth->m_refs = 0;
            depth->m_deviceOwned = true;
            if (Result r = Register(depth); Failed(r)) {
                delete depth;
                return r;
            }
            m_autoDepth = depth;
        }
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
    return Result::Ok;
}

void Device::ReleaseBindings()
{
    for (Texture*& texture : m_state.textures) {
        if (texture)
            texture->Unbind();
        texture = nullptr;
    }
    if (m_state.streamSource)
        m_state.streamSource->Unbind();
    m_state.streamSource = nullptr;
    m_state.streamStride = 0;
    if (m_state.indices)
        m_state.indices->Unbind();
    m_state.indices = nullptr;
    if (m_state.renderTarget)
        m_state.renderTarget->Unbind();
    m_state.renderTarget = nullptr;
    if (m_state.depthStencil)
        m_state.depthStencil->Unbind();
    m_state.depthStencil = nullptr;
}

void Device::ResetState()
{
    ReleaseBindings();
    bool autoDepth = m_autoDepth != nullptr;
    for (size_t i = 0; i < kRenderStateCount; ++i)
        m_state.render[i] = DefaultRenderState(RenderState(i), autoDepth);
    for (uint32_t stage = 0; stage < kStageCount; ++stage)
        for (size_t i = 0; i < kStageStateCount; ++i)
            m_state.stage[stage][i] = DefaultStageState(stage, StageState(i));
    m_state.transforms.fill(Matrix::Identity());
    m_state.material = Material {};
    m_state.lights.clear();
    m_enabledLights = 0;
    m_state.clipPlanes.fill(Vector4 {});
    m_state.baseVertexIndex = 0;
    m_state.vertexShader = 0;
    m_state.pixelShader = 0;
    m_state.vertexConstants.fill(Vector4 {});
    m_state.pixelConstants.fill(Vector4 {});
    m_state.renderTarget = m_backBuffer;
    m_backBuffer->Bind();
    m_state.depthStencil = m_autoDepth;
    if (m_autoDepth)
        m_autoDepth->Bind();
    m_state.viewport = { 0, 0, m_backBuffer->Width(), m_backBuffer->Height(), 0, 1 };
    m_dirty = dirty::kAll;
}

Result Device::Register(Resource* resource)
{
    Result result = Result::Ok;
    switch (resource->GetType()) {
    case ResourceType::Surface:
        result = m_backend->CreateSurface(*static_cast<Surface*>(resource));
        break;
    case ResourceType::Texture:
        result = m_backend->CreateTexture(*static_cast<Texture*>(resource));
        break;
    case ResourceType::VertexBuffer:
        result = m_backend->CreateVertexBuffer(*static_cast<VertexBuffer*>(resource));
        break;
    case ResourceType::IndexBuffer:
        result = m_backend->CreateIndexBuffer(*static_cast<IndexBuffer*>(resource));
        break;
    default:
        result = Result::InvalidCall;
        break;
    }
    if (Failed(result)) {
        resource->SetBackendData(nullptr);
        resource->m_device = nullptr; // never registered: its destructor has nothing to undo
        return result;
    }
    m_resources.insert(resource);
    return Result::Ok;
}

void Device::Unregister(Resource* resource)
{
    if (m_resources.erase(resource) != 0 && m_backend)
        m_backend->DestroyResource(*resource);
}

void Device::OnSurfaceUnlocked(Surface& surface, const Rect& rect)
{
    if (surface.GetPool() != Pool::SystemMem)
        m_backend->UploadSurface(surface, rect);
}

void Device::OnBufferUnlocked(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t flags)
{
    m_backend->UploadBuffer(buffer, offset, size, flags);
}

void Device::ReadBackSurface(Surface& surface, const Rect& rect)
{
    m_backend->ReadBack(surface, rect);
}

// ---- Loss and reset ----

bool Device::LossCauseActive() const
{
    if (m_forcedLoss || m_backend->InjectedLoss())
        return true;
    if (m_params.windowed || !m_params.window)
        return false;
    return m_params.window->IsMinimised() || !m_params.window->IsFocused();
}

void Device::UpdateLoss()
{
    bool cause = LossCauseActive();
    if (m_loss == Loss::None && cause)
        m_loss = Loss::Lost;
    else if (m_loss == Loss::Lost && !cause)
        m_loss = Loss::NotReset;
}

Result Device::TestCooperativeLevel()
{
    UpdateLoss();
    switch (m_loss) {
    case Loss::None:
        return Result::Ok;
    case Loss::Lost:
        return Result::DeviceLost;
    case Loss::NotReset:
        return Result::DeviceNotReset;
    }
    return Result::Ok;
}

bool Device::HeldDefaultResources()
{
    bool held = false;
    for (Resource* resource : m_resources) {
        bool swapChain = resource->m_deviceOwned;
        if ((swapChain || resource->GetPool() == Pool::Default) && resource->m_refs > 0) {
            Log("Reset: " + Describe(*resource) + " is still held");
            held = true;
        }
    }
    return held;
}

Result Device::Reset(PresentParameters& params)
{
    if (m_recording) {
        Log("Reset while recording a state block");
        return Result::InvalidCall;
    }
    PresentParameters next = params;
    if (!next.window)
        next.window = m_params.window;
    if (next.windowed && next.window && (next.backBufferWidth == 0 || next.backBufferHeight == 0)) {
        WindowSize size = next.window->ClientSize();
        if (next.backBufferWidth == 0)
            next.backBufferWidth = size.width;
        if (next.backBufferHeight == 0)
            next.backBufferHeight = size.height;
    }
    if (Result r = m_adapter.CheckPresentParameters(m_type, next); Failed(r)) {
        Log("Reset: presentation parameters refused");
        return r;
    }
    if (HeldDefaultResources())
        return Result::InvalidCall;

    m_inScene = false;
    ReleaseBindings();
    for (Surface** owned : { &m_backBuffer, &m_autoDepth }) {
        if (*owned) {
            (*owned)->m_deviceOwned = false;
            (*owned)->DeleteIfUnused();
            *owned = nullptr;
        }
    }
    m_params = next;
    m_loss = Loss::NotReset;
    if (Result r = m_backend->Reset(next); Failed(r)) {
        Log(std::string("Reset: backend failed: ") + ResultName(r));
        return r;
    }
    if (Result r = CreateSwapChainSurfaces(); Failed(r))
        return r;
    ResetState();
    m_loss = Loss::None;
    params = next;
    return Result::Ok;
}

// ---- Frame ----

Result Device::BeginScene()
{
    if (m_inScene)
        return Result::InvalidCall;
    m_inScene = true;
    return Result::Ok;
}

Result Device::EndScene()
{
    if (!m_inScene)
        return Result::InvalidCall;
    m_inScene = false;
    return Result::Ok;
}

Result Device::Present()
{
    UpdateLoss();
    if (m_loss == Loss::Lost)
        return Result::DeviceLost;
    if (m_loss == Loss::NotReset || !m_backBuffer)
        return Result::DeviceLost;
    return m_backend->Present(*m_backBuffer, ShownRamp());
}

GammaRamp Device::ShownRamp() const
{
    if (!m_caps.fullscreenGamma)
        return GammaRamp::Identity();
    std::lock_guard<std::mutex> guard(m_gammaLock);
    return m_gamma;
}

Result Device::PresentPicture(const Picture& picture)
{
    if (!IsValidPicture(picture))
        return Result::InvalidCall;
    UpdateLoss();
    if (m_loss != Loss::None)
        return Result::DeviceLost;
    return m_backend->PresentPicture(picture, ShownRamp());
}

Result Device::Clear(
    uint32_t count, const Rect* rects, uint32_t flags, Color color, float z, uint32_t stencil)
{
    if ((count > 0) != (rects != nullptr))
        return Result::InvalidCall;
    if (flags == 0 || (flags & ~(clear::kTarget | clear::kZBuffer | clear::kStencil)) != 0
        || !(z >= 0 && z <= 1))
        return Result::InvalidCall;
    if ((flags & (clear::kZBuffer | clear::kStencil)) && !m_state.depthStencil)
        return Result::InvalidCall;
    if ((flags & clear::kStencil) && !FindFormat(m_state.depthStencil->GetFormat())->hasStencil)
        return Result::InvalidCall;
    if (!Usable() || !m_state.renderTarget)
        return Result::Ok;
    const Viewport& vp = m_state.viewport;
    Rect view { int32_t(vp.x), int32_t(vp.y), int32_t(vp.x + vp.width), int32_t(vp.y + vp.height) };
    ClearCall call;
    call.flags = flags;
    call.color = color;
    call.z = z;
    call.stencil = stencil;
    if (count == 0) {
        call.rects.push_back(view);
    } else {
        for (uint32_t i = 0; i < count; ++i) {
            Rect r { std::max(rects[i].left, view.left), std::max(rects[i].top, view.top),
                std::min(rects[i].right, view.right), std::min(rects[i].bottom, view.bottom) };
            if (r.left < r.right && r.top < r.bottom)
                call.rects.push_back(r);
        }
    }
    if (!call.rects.empty())
        m_backend->Clear(m_state, call);
    return Result::Ok;
}

uint32_t Device::GetAvailableTextureMem() const
{
    uint64_t used = 0;
    for (const Resource* resource : m_resources)
        if (resource->GetPool() != Pool::SystemMem)
            used += resource->ByteSize();
    uint64_t total = m_backend->TextureMemory();
    uint64_t left = total > used ? total - used : 0;
    left &= ~uint64_t(0xFFFFF); // whole megabytes
    return uint32_t(std::min<uint64_t>(left, 0xFFF00000u));
}

Result Device::ResourceManagerDiscardBytes(uint32_t)
{
    return Result::Ok;
}

Result Device::GetDeviceCaps(Caps& out) const
{
    out = m_caps;
    return Result::Ok;
}

Result Device::GetDisplayMode(DisplayMode& out) const
{
    if (m_params.windowed)
        return m_adapter.GetAdapterDisplayMode(0, out);
    out = { m_params.backBufferWidth, m_params.backBufferHeight, m_params.refreshRate,
        m_params.backBufferFormat };
    return Result::Ok;
}

void Device::SetGammaRamp(uint32_t, const GammaRamp& ramp)
{
    std::lock_guard<std::mutex> guard(m_gammaLock);
    m_gamma = ramp;
}

void Device::GetGammaRamp(GammaRamp& out) const
{
    std::lock_guard<std::mutex> guard(m_gammaLock);
    out = m_gamma;
}

DeviceCounts Device::Counts() const
{
    DeviceCounts counts;
    counts.stateBlocks = uint32_t(m_stateBlocks.size());
    counts.vertexShaders = uint32_t(m_vertexShaders.size());
    counts.pixelShaders = uint32_t(m_pixelShaders.size());
    for (const Resource* resource : m_resources) {
        size_t pool = size_t(resource->GetPool());
        ++counts.resources[pool];
        counts.bytes[pool] += resource->ByteSize();
    }
    return counts;
}

uint32_t Device::NewHandle(uint32_t& counter, uint32_t step)
{
    uint32_t handle = counter;
    if (handle == 0 || handle == 0xFFFFFFFFu)
        handle += step;
    counter = handle + step;
    return handle;
}

// ---- State blocks ----

Result Device::BeginStateBlock()
{
    if (m_recording)
        return Result::InvalidCall;
    try {
        m_recording = std::make_unique<StateBlock>();
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
    return Result::Ok;
}

Result Device::EndStateBlock(uint32_t& handle)
{
    if (!m_recording)
        return Result::InvalidCall;
    if (!m_backend->AllowStateBlock(StateBlockCall::End, 0)) {
        // Refused as if the block could not be made: the recording is gone.
        m_recording->ReleaseBindings();
        m_recording.reset();
        return Result::OutOfVideoMemory;
    }
    handle = NewHandle(m_nextStateBlock, 1);
    m_stateBlocks[handle] = std::move(m_recording);
    return Result::Ok;
}

Result Device::ApplyStateBlock(uint32_t handle)
{
    if (m_recording)
        return Result::InvalidCall;
    auto it = m_stateBlocks.find(handle);
    if (it == m_stateBlocks.end() || !m_backend->AllowStateBlock(StateBlockCall::Apply, handle))
        return Result::InvalidCall;
    it->second->Apply(*this);
    return Result::Ok;
}

Result Device::DeleteStateBlock(uint32_t handle)
{
    auto it = m_stateBlocks.find(handle);
    if (it == m_stateBlocks.end())
        return Result::InvalidCall;
    it->second->ReleaseBindings();
    m_stateBlocks.erase(it);
    return Result::Ok;
}

} // namespace plat::gfx
