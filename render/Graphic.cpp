#include "render/Graphic.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/CTexture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace plat::gfx;

Graphic g_Graphic;

namespace {

constexpr Format kDepthFormats[]
    = { Format::D24S8, Format::D24X4S4, Format::D32, Format::D24X8, Format::D16 };
constexpr plat::gfx::DeviceType kDeviceTypes[] = { plat::gfx::DeviceType::Hal, plat::gfx::DeviceType::Ref };

Format DisplayFormat(int32_t bitsPerPixel, Format format)
{
    switch (bitsPerPixel) {
    case 15:
        return Format::X1R5G5B5;
    case 16:
        return Format::R5G6B5;
    case 24:
        return Format::R8G8B8;
    case 32:
        return Format::X8R8G8B8;
    default:
        return format;
    }
}

bool Is32Bit(Format format)
{
    return format == Format::X8R8G8B8 || format == Format::A8R8G8B8;
}

uint32_t BytesPerPixelOf(Format format)
{
    switch (format) {
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
        return 4;
    case Format::A8:
    case Format::P8:
        return 1;
    default:
        return 2;
    }
}

uint16_t TruncateRampEntry(double value)
{
    return uint16_t(std::clamp(value, 0.0, 65535.0));
}

} // namespace

int32_t IntLog2(int32_t n)
{
    int32_t count = 0;
    while (n > 1) {
        n >>= 1;
        ++count;
    }
    return count;
}

Matrix ToDeviceMatrix(const Matrix4& matrix)
{
    Matrix out;
    std::memcpy(out.m, matrix.m, sizeof out.m);
    return out;
}

Graphic::Graphic()
{
    m_material.diffuse = { 1, 1, 1, 1 };
    m_material.ambient = { 1, 1, 1, 1 };
}

Graphic::~Graphic()
{
    // At process exit the view frame's hook may be gone already; it is not touched.
    ReleaseAll(false);
}

bool Graphic::CreateDirect3D(std::string_view backend)
{
    if (m_direct3D)
        m_direct3D->Release();
    m_direct3D = backend.empty() ? CreateAdapter() : CreateAdapter(backend);
    return m_direct3D != nullptr;
}

bool Graphic::CheckDisplayMode(int32_t adapter, int32_t, int32_t, int32_t bitsPerPixel, Format format,
    int32_t, int32_t, bool windowed, MultiSample multiSample, uint32_t, uint32_t, PresentInterval, bool)
{
    if (!m_direct3D)
        return false;
    Format display = DisplayFormat(bitsPerPixel, format);
    return Succeeded(m_direct3D->CheckDeviceMultiSampleType(
        uint32_t(std::max(adapter, 0)), plat::gfx::DeviceType::Hal, display, windowed, multiSample));
}

bool Graphic::CreateDevice(int32_t adapter, int32_t width, int32_t height, int32_t bitsPerPixel,
    Format format, int32_t refresh, int32_t vsync, bool windowed, MultiSample multiSample,
    uint32_t filterMode, uint32_t maxAnisotropy, PresentInterval presentInterval, bool lockable,
    DeviceWindow* window)
{
    ZJ_TRACE("Graphic::CreateDevice");
    if (!m_direct3D)
        return false;
    if (adapter < 0)
        adapter = 0;
    m_window = window;
    m_adapter = uint32_t(adapter);
    m_windowed = windowed;
    m_present = PresentParameters();

    m_present.backBufferWidth = windowed ? 0 : uint32_t(width);
    m_present.backBufferHeight = windowed ? 0 : uint32_t(height);
    if (windowed) {
        DisplayMode mode;
        m_direct3D->GetAdapterDisplayMode(m_adapter, mode);
        m_present.backBufferFormat = mode.format;
        if (mode.format == Format::A8R8G8B8)
            m_present.backBufferFormat = Format::X8R8G8B8;
        else if (mode.format == Format::A1R5G5B5)
            m_present.backBufferFormat = Format::X1R5G5B5;
    } else {
        m_present.backBufferFormat = DisplayFormat(bitsPerPixel, format);
    }
    m_present.backBufferCount = 1;
    m_present.multiSample = multiSample;
    m_present.swapEffect = SwapEffect::Discard;
    m_present.window = window;
    m_present.windowed = windowed;
    m_present.enableAutoDepthStencil = true;
    m_present.flags = 0;
    m_present.refreshRate = windowed ? 0 : uint32_t(std::max(refresh, 0));
    if (windowed)
        m_present.presentationInterval = PresentInterval::Default;
    else
        m_present.presentationInterval = vsync == 0 ? PresentInterval::Immediate : presentInterval;

    const Format backBuffer = m_present.backBufferFormat;
    bool created = false;
    for (plat::gfx::DeviceType type : kDeviceTypes) {
        Format found = Format::Unknown;
        auto depthUsable = [&](Format depth) {
            return Succeeded(m_direct3D->CheckDeviceFormat(
                       m_adapter, type, backBuffer, usage::kDepthStencil, ResourceType::Surface, depth))
                && Succeeded(
                    m_direct3D->CheckDepthStencilMatch(m_adapter, type, backBuffer, backBuffer, depth));
        };
        for (Format depth : kDepthFormats) {
            if (depthUsable(depth)) {
                found = depth;
                break;
            }
        }
        if (found == Format::Unknown)
            continue;
        m_stencil = found == Format::D24S8 || found == Format::D24X4S4;
        // The preferred format when the device takes it, else the one the walk found.
        Format preferred = Is32Bit(backBuffer) ? Format::D24S8 : Format::D16;
        m_present.autoDepthStencilFormat = depthUsable(preferred) ? preferred : found;
        if (lockable)
            m_present.flags = present::kLockableBackBuffer;

        plat::gfx::Caps caps;
        if (Failed(m_direct3D->GetDeviceCaps(m_adapter, type, caps)))
            continue;
        m_caps = caps;
        ReadCaps();
        uint32_t behaviour = create::kSoftwareVertexProcessing;
        if (caps.hardwareTransformAndLight) {
            behaviour = create::kMixedVertexProcessing;
            if (caps.pureDevice && caps.maxPointSize > 1.0f)
                behaviour = create::kHardwareVertexProcessing | create::kPureDevice;
        }
        behaviour |= create::kMultithreaded;

        if (Failed(m_direct3D->CheckDeviceType(m_adapter, type, backBuffer, backBuffer, windowed)))
            continue;
        if (Failed(m_direct3D->CreateDevice(m_adapter, type, window, behaviour, m_present, &m_device))) {
            m_device = nullptr;
            return false;
        }
        m_deviceType = type;
        created = true;
        break;
    }
    if (!created)
        return false;

    if (windowed && window) {
        WindowSize size = window->ClientSize();
        m_screenWidth = int32_t(size.width);
        m_screenHeight = int32_t(size.height);
    } else {
        m_screenWidth = width;
        m_screenHeight = height;
    }
    m_bitsPerPixel = bitsPerPixel;
    m_backBufferFormat = backBuffer;
    m_depthFormat = m_present.autoDepthStencilFormat;
    plat::gfx::Caps caps;
    if (Succeeded(m_device->GetDeviceCaps(caps)))
        m_caps = caps;
    ReadCaps();

    m_filterMode = filterMode;
    m_maxAnisotropy = maxAnisotropy;
    SetTextureFilters();

    m_device->GetRenderTarget(&m_renderTarget);
    m_device->GetDepthStencilSurface(&m_depthSurface);
    if (m_digest.fullscreenGamma)
        m_device->GetGammaRamp(m_savedRamp);
    m_device->SetRenderTarget(nullptr, nullptr);
    m_device->SetRenderTarget(m_renderTarget, m_depthSurface);
    m_currentTarget = m_renderTarget;
    m_currentDepth = m_depthSurface;
    BuildGammaRamp(m_baseRamp, 0);

    CViewFrame::SetViewTransformSink([this](const Matrix4& view) {
        if (m_device)
            m_device->SetTransform(Transform::View, ToDeviceMatrix(view));
    });
    return true;
}

void Graphic::Release()
{
    ReleaseAll(true);
}

void Graphic::ReleaseAll(bool removeViewHook)
{
    if (m_device) {
        for (uint32_t stage = 0; stage < kFilterStages; ++stage)
            m_device->SetTexture(stage, nullptr);
        m_device->SetStreamSource(0, nullptr, 0);
        if (removeViewHook)
            CViewFrame::SetViewTransformSink(nullptr);
    }
    ClearStageTextureCache();
    ReleaseTargetSurfaces();
    if (m_device) {
        m_device->Release();
        m_device = nullptr;
    }
    if (m_direct3D) {
        m_direct3D->Release();
        m_direct3D = nullptr;
    }
    m_targetStack.Clear();
    m_currentTarget = nullptr;
    m_currentDepth = nullptr;
    m_worldStack.Clear();
}

void Graphic::ReadCaps()
{
    const plat::gfx::Caps& c = m_caps;
    GraphicCaps& d = m_digest;
    d.isHal = c.deviceType == plat::gfx::DeviceType::Hal;
    d.hwTransformAndLight = d.isHal && c.hardwareTransformAndLight;
    d.canRenderWindowed = c.canRenderWindowed;
    // The layer reports the raster cap and both filter caps as one.
    d.anisotropy = c.anisotropy;
    d.minAnisotropic = c.anisotropy;
    d.magAnisotropic = c.anisotropy;
    d.bumpEnvMap = (c.textureOps & OpBit(TextureOp::BumpEnvMap)) != 0;
    d.bumpEnvMapLuminance = (c.textureOps & OpBit(TextureOp::BumpEnvMapLuminance)) != 0;
    d.hasPixelShader = (c.pixelShaderVersion & 0xFFFF) != 0;
    d.hasVertexShader = (c.vertexShaderVersion & 0xFFFF) != 0;
    d.maxBlendStages = c.maxTextureBlendStages;
    if (c.maxSimultaneousTextures == 2)
        d.maxBlendStages = std::min<uint32_t>(d.maxBlendStages, 2);
    d.maxSimultaneousTextures = c.maxSimultaneousTextures;
    d.maxTextureWidth = c.maxTextureWidth;
    d.tssArgTemp = c.argTemp;
    d.fogTable = c.fogTable;
    d.fogRange = c.fogRange;
    d.fullscreenGamma = c.fullscreenGamma && !m_windowed;
    d.gammaFade = d.fullscreenGamma;
    d.wBuffer = c.wBuffer;
    d.borderAddress = c.borderAddress;
    d.maxVertexBlendMatrices = c.maxVertexBlendMatrices;
    d.projectedTextures = c.projectedTextures;
    d.pointSizeAboveOne = c.maxPointSize > 1.0f;
    d.fvfPointSize = c.fvfPointSize;
    d.dxt5Textures = m_direct3D
        && Succeeded(m_direct3D->CheckDeviceFormat(m_adapter,
            d.isHal ? plat::gfx::DeviceType::Hal : plat::gfx::DeviceType::Ref, m_present.backBufferFormat, 0,
            ResourceType::Texture, Format::Dxt5));
    d.dotProduct3 = (c.textureOps & OpBit(TextureOp::DotProduct3)) != 0;
    d.colorCursor = c.colorCursor;
    d.dynamicTextures = c.dynamicTextures;
    d.reflectionTexture = d.projectedTextures && d.maxSimultaneousTextures >= 2;
    d.secondWaterTexture = d.maxSimultaneousTextures >= 3 && d.maxBlendStages >= 3;
}

void Graphic::Clear(uint32_t flags, Color colour)
{
    if (m_device)
        m_device->Clear(0, nullptr, flags, colour, 1.0f, 0);
}

void Graphic::SetProjection(float farPlane, float nearPlane, float fovX, float fovY, bool store)
{
    constexpr double kPi = 3.14159265358979323846;
    Matrix4 m {};
    m.m[0] = float(1.0 / std::tan(double(fovX) * kPi / 360.0));
    m.m[5] = float(1.0 / std::tan(double(fovY) * kPi / 360.0));
    const float q = farPlane / (farPlane - nearPlane);
    m.m[10] = q;
    m.m[11] = 1.0f;
    m.m[14] = -q * nearPlane;
    if (m_device)
        m_device->SetTransform(Transform::Projection, ToDeviceMatrix(m));
    if (store)
        m_projection = m;
}

void Graphic::RestoreProjection()
{
    if (m_device)
        m_device->SetTransform(Transform::Projection, ToDeviceMatrix(m_projection));
}

void Graphic::SetFullViewport()
{
    if (!m_device)
        return;
    Viewport viewport;
    viewport.x = 0;
    viewport.y = 0;
    viewport.width = uint32_t(std::max(m_screenWidth, 0));
    viewport.height = uint32_t(std::max(m_screenHeight, 0));
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
    m_device->SetViewport(viewport);
}

int Graphic::PushRenderTarget(Surface* target, Surface* depth)
{
    ZJ_TRACE("Graphic::PushRenderTarget");
    m_targetStack.Push(m_currentTarget);
    m_targetStack.Push(m_currentDepth);
    m_currentTarget = target;
    m_currentDepth = depth;
    if (!m_device)
        return -int(Result::InvalidCall);
    Result result = m_device->SetRenderTarget(target, depth);
    return Succeeded(result) ? 0 : -int(result);
}

void Graphic::PopRenderTarget()
{
    ZJ_TRACE("Graphic::PopRenderTarget");
    Surface* depth = m_targetStack.Pop();
    Surface* target = m_targetStack.Pop();
    m_currentDepth = depth;
    m_currentTarget = target;
    if (m_device)
        m_device->SetRenderTarget(m_currentTarget, m_currentDepth);
}

void Graphic::SetTextureFilter(uint32_t stage)
{
    if (!m_device)
        return;
    TextureFilter mag = TextureFilter::Linear;
    TextureFilter min = TextureFilter::Linear;
    TextureFilter mip = TextureFilter::Point;
    if (m_filterMode == 2) {
        mag = m_digest.magAnisotropic ? TextureFilter::Anisotropic : TextureFilter::Linear;
        min = m_digest.minAnisotropic ? TextureFilter::Anisotropic : TextureFilter::Linear;
        mip = TextureFilter::Linear;
    } else if (m_filterMode == 1) {
        mip = TextureFilter::Linear;
    }
    m_device->SetTextureStageState(stage, StageState::MagFilter, StateValue(mag));
    m_device->SetTextureStageState(stage, StageState::MinFilter, StateValue(min));
    m_device->SetTextureStageState(stage, StageState::MipFilter, StateValue(mip));
}

void Graphic::SetTextureFilters()
{
    if (!m_device)
        return;
    for (uint32_t stage = 0; stage < kFilterStages; ++stage)
        SetTextureFilter(stage);
    if (m_filterMode == 2) {
        uint32_t anisotropy = std::min(m_maxAnisotropy, m_caps.maxAnisotropy);
        for (uint32_t stage = 0; stage < kFilterStages; ++stage)
            m_device->SetTextureStageState(stage, StageState::MaxAnisotropy, anisotropy);
    }
}

void Graphic::CreateTexture(CTexture* tex, uint32_t width, uint32_t height, uint32_t levels, Format format,
    Pool pool, uint32_t usageBits)
{
    ZJ_TRACE("Graphic::CreateTexture");
    if (!tex)
        return;
    tex->ReleaseTexture();
    tex->m_memory = 0;
    if (!m_digest.dynamicTextures)
        usageBits &= ~usage::kDynamic;
    tex->m_dynamic = (usageBits & usage::kDynamic) != 0;
    Texture* texture = nullptr;
    if (!m_device
        || Failed(m_device->CreateTexture(width, height, levels, usageBits, format, pool, &texture))) {
        WriteErrorLog("Graphic::CreateTexture fails");
        return;
    }
    tex->Attach(texture, int32_t(width), int32_t(height));
    tex->m_memory = CTexture::EstimateMemory(width, height, levels, BytesPerPixelOf(format));
}

void Graphic::SetWorldMatrix(const Matrix4& matrix)
{
    if (m_device)
        m_device->SetTransform(Transform::World, ToDeviceMatrix(matrix));
    if (m_worldStack.IsEmpty())
        m_worldStack.Push(matrix);
    else
        m_worldStack.Last() = matrix;
}

void Graphic::PushWorldMatrix(const Matrix4& matrix)
{
    ZJ_TRACE("Graphic::PushWorldMatrix");
    m_worldStack.Push(matrix);
    if (m_device)
        m_device->SetTransform(Transform::World, ToDeviceMatrix(matrix));
}

void Graphic::PopWorldMatrix()
{
    ZJ_TRACE("Graphic::PopWorldMatrix");
    m_worldStack.Pop();
    if (m_device && !m_worldStack.IsEmpty())
        m_device->SetTransform(Transform::World, ToDeviceMatrix(m_worldStack.Last()));
}

void Graphic::SetMaterial(const Material& material)
{
    m_material = material;
    if (m_device)
        m_device->SetMaterial(material);
}

void Graphic::ReleaseTargetSurfaces()
{
    if (m_currentTarget == m_renderTarget)
        m_currentTarget = nullptr;
    if (m_currentDepth == m_depthSurface)
        m_currentDepth = nullptr;
    if (m_renderTarget) {
        m_renderTarget->Release();
        m_renderTarget = nullptr;
    }
    if (m_depthSurface) {
        m_depthSurface->Release();
        m_depthSurface = nullptr;
    }
}

void Graphic::AcquireTargetSurfaces()
{
    ReleaseTargetSurfaces();
    if (!m_device)
        return;
    m_device->GetRenderTarget(&m_renderTarget);
    m_device->GetDepthStencilSurface(&m_depthSurface);
    m_currentTarget = m_renderTarget;
    m_currentDepth = m_depthSurface;
    m_device->SetRenderTarget(m_renderTarget, m_depthSurface);
}

void Graphic::BuildGammaRamp(GammaRamp& ramp, int32_t level)
{
    const double exponent = level > 0 ? std::pow(2.0, -0.1 * level) : std::pow(2.0, -0.2 * level);
    ramp.red[0] = ramp.green[0] = ramp.blue[0] = 0;
    for (int i = 1; i < 256; ++i) {
        uint16_t value = TruncateRampEntry(65535.0 * std::pow(i / 255.0, exponent));
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = value;
    }
}

void Graphic::ScaleGammaRamp(GammaRamp& out, const GammaRamp& in, float factor)
{
    if (factor < 0.05f)
        factor = 0.05f;
    for (int i = 0; i < 256; ++i) {
        out.red[i] = TruncateRampEntry(double(float(in.red[i]) * factor));
        out.green[i] = TruncateRampEntry(double(float(in.green[i]) * factor));
        out.blue[i] = TruncateRampEntry(double(float(in.blue[i]) * factor));
    }
}

void Graphic::BrightenGammaRamp(GammaRamp& out, const GammaRamp& in, float t)
{
    constexpr float kInverse = 1.5259022e-5f; // 1 / 65535
    auto brighten = [t](uint16_t value) {
        return TruncateRampEntry(double((float(value) * kInverse * (1.0f - t) + t) * 65535.0f));
    };
    for (int i = 0; i < 256; ++i) {
        out.red[i] = brighten(in.red[i]);
        out.green[i] = brighten(in.green[i]);
        out.blue[i] = brighten(in.blue[i]);
    }
}
