// Resource creation, copies between resources and render-target binding.
#include "platform/gfx/adapter.h"
#include "platform/gfx/device.h"
#include "platform/gfx/format.h"
#include "platform/gfx/fvf.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <new>
#include <vector>

namespace plat::gfx {
namespace {

constexpr uint32_t kMaxImageSize = 16384;
constexpr uint32_t kMaxBufferBytes = 256u << 20;
constexpr uint32_t kBufferUsage
    = usage::kWriteOnly | usage::kDynamic | usage::kSoftwareProcessing | usage::kDoNotClip | usage::kPoints;

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx: " + text);
}

uint32_t FullChain(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    for (uint32_t size = std::max(width, height); size > 1; size >>= 1)
        ++levels;
    return levels;
}

bool IsDepth(const Surface& surface)
{
    return surface.Role() == SurfaceRole::DepthStencil || surface.Role() == SurfaceRole::AutoDepth;
}

Device* DeviceOf(const Surface& surface)
{
    return surface.Container() ? surface.Container()->OwnerDevice() : surface.OwnerDevice();
}

// Moves a rectangle's edges out to the 4x4 block grid, within the level.
Rect ToBlocks(const Rect& rect, uint32_t width, uint32_t height)
{
    return { rect.left & ~3, rect.top & ~3, std::min(int32_t(width), (rect.right + 3) & ~3),
        std::min(int32_t(height), (rect.bottom + 3) & ~3) };
}

} // namespace

template <class T, class Make> Result Device::Adopt(Make make, T** out)
{
    T* resource = nullptr;
    try {
        resource = make();
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
    if (Result r = Register(resource); Failed(r)) {
        delete resource;
        return r;
    }
    *out = resource;
    return Result::Ok;
}

Result Device::CreateTexture(
    uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool, Texture** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (width == 0 || height == 0 || width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight) {
        Log("CreateTexture: size out of range");
        return Result::InvalidCall;
    }
    if ((usage & ~(usage::kRenderTarget | usage::kDynamic)) != 0)
        return Result::InvalidCall;
    uint32_t bits = support::kTexture | (usage & usage::kRenderTarget ? support::kRenderTarget : 0);
    if (!m_adapter.FormatUsable(m_type, format, bits)) {
        Log(std::string("CreateTexture: format ") + FormatName(format) + " is not available");
        return Result::InvalidCall;
    }
    if (usage & usage::kDynamic) {
        if (!m_caps.dynamicTextures || pool == Pool::Managed)
            return Result::InvalidCall;
    }
    if ((usage & usage::kRenderTarget) && pool != Pool::Default)
        return Result::InvalidCall;
    uint32_t full = FullChain(width, height);
    if (levels == 0)
        levels = full;
    if (levels > full)
        return Result::InvalidCall;
    return Adopt([&] { return new Texture(this, width, height, levels, usage, format, pool); }, out);
}

Result Device::CreateVertexBuffer(
    uint32_t length, uint32_t usageBits, uint32_t fvf, Pool pool, VertexBuffer** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (length == 0 || length > kMaxBufferBytes || (usageBits & ~kBufferUsage) != 0)
        return Result::InvalidCall;
    if (fvf != 0 && (!DecodeFvf(fvf).valid || length < FvfVertexSize(fvf)))
        return Result::InvalidCall;
    if ((usageBits & usage::kDynamic) && pool == Pool::Managed)
        return Result::InvalidCall;
    return Adopt([&] { return new VertexBuffer(this, length, usageBits, fvf, pool); }, out);
}

Result Device::CreateIndexBuffer(
    uint32_t length, uint32_t usageBits, Format format, Pool pool, IndexBuffer** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (length < 2 || length > kMaxBufferBytes || (usageBits & ~kBufferUsage) != 0)
        return Result::InvalidCall;
    if (format != Format::Index16) {
        Log(std::string("CreateIndexBuffer: format ") + FormatName(format) + " is not available");
        return Result::InvalidCall;
    }
    if ((usageBits & usage::kDynamic) && pool == Pool::Managed)
        return Result::InvalidCall;
    return Adopt([&] { return new IndexBuffer(this, length, usageBits, format, pool); }, out);
}

Result Device::CreateRenderTarget(
    uint32_t width, uint32_t height, Format format, MultiSample multiSample, bool lockable, Surface** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (width == 0 || height == 0 || width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight)
        return Result::InvalidCall;
    if (!m_adapter.FormatUsable(m_type, format, support::kRenderTarget))
        return Result::InvalidCall;
    if (uint32_t(multiSample) > m_caps.maxMultiSample || (lockable && multiSample != MultiSample::None))
        return Result::InvalidCall;
    return Adopt(
        [&] {
            return new Surface(this, SurfaceRole::RenderTarget, format, width, height, Pool::Default,
                usage::kRenderTarget, multiSample, lockable);
        },
        out);
}

Result Device::CreateDepthStencilSurface(
    uint32_t width, uint32_t height, Format format, MultiSample multiSample, Surface** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (width == 0 || height == 0 || width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight)
        return Result::InvalidCall;
    if (!m_adapter.FormatUsable(m_type, format, support::kDepthStencil)
        || uint32_t(multiSample) > m_caps.maxMultiSample)
        return Result::InvalidCall;
    return Adopt(
        [&] {
            return new Surface(this, SurfaceRole::DepthStencil, format, width, height, Pool::Default,
                usage::kDepthStencil, multiSample, false);
        },
        out);
}

Result Device::CreateImageSurface(uint32_t width, uint32_t height, Format format, Surface** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    // Image surfaces stay in system memory, so every texture format of the table serves.
    if (width == 0 || height == 0 || width > kMaxImageSize || height > kMaxImageSize
        || !(FormatSupport(format) & support::kTexture))
        return Result::InvalidCall;
    return Adopt(
        [&] {
            return new Surface(
                this, SurfaceRole::Image, format, width, height, Pool::SystemMem, 0, MultiSample::None, true);
        },
        out);
}

Result Device::CopyRects(
    Surface* source, const Rect* rects, uint32_t count, Surface* target, const Point* points)
{
    if (!source || !target || source == target || DeviceOf(*source) != this || DeviceOf(*target) != this)
        return Result::InvalidCall;
    if (source->GetFormat() != target->GetFormat()) {
        Log(std::string("CopyRects: formats differ (") + FormatName(source->GetFormat()) + " to "
            + FormatName(target->GetFormat()) + ")");
        return Result::InvalidCall;
    }
    if (IsDepth(*source) || IsDepth(*target) || source->IsLocked() || target->IsLocked()
        || target->GetMultiSample() != MultiSample::None)
        return Result::InvalidCall;
    if (count > 0 && !rects)
        return Result::InvalidCall;

    std::vector<Rect> from;
    std::vector<Point> to;
    if (count == 0) {
        from.push_back(source->FullRect());
        to.push_back({ 0, 0 });
    } else {
        for (uint32_t i = 0; i < count; ++i) {
            from.push_back(rects[i]);
            to.push_back(points ? points[i] : Point { rects[i].left, rects[i].top });
        }
    }
    for (size_t i = 0; i < from.size(); ++i) {
        Rect placed { to[i].x, to[i].y, to[i].x + from[i].Width(), to[i].y + from[i].Height() };
        if (!source->IsValidRect(from[i]) || !target->IsValidRect(placed)) {
            Log("CopyRects: a rectangle lies outside its surface or off the block grid");
            return Result::InvalidCall;
        }
    }
    if (source->IsTarget())
        for (const Rect& rect : from)
            ReadBackSurface(*source, rect);
    if (Result r = m_backend->CopyRects(*source, from, *target, to); Failed(r))
        return r;
    if (Texture* container = target->Container())
        for (size_t i = 0; i < from.size(); ++i)
            container->MarkDirty(
                target->Level(), { to[i].x, to[i].y, to[i].x + from[i].Width(), to[i].y + from[i].Height() });
    return Result::Ok;
}

Result Device::UpdateTexture(Texture* source, Texture* target)
{
    if (!source || !target || source->OwnerDevice() != this || target->OwnerDevice() != this)
        return Result::InvalidCall;
    if (source->GetPool() != Pool::SystemMem || target->GetPool() != Pool::Default) {
        Log("UpdateTexture: needs a SYSTEMMEM source and a DEFAULT target");
        return Result::InvalidCall;
    }
    if (source->GetFormat() != target->GetFormat() || source->Width() != target->Width()
        || source->Height() != target->Height() || target->GetLevelCount() > source->GetLevelCount()) {
        Log("UpdateTexture: the textures differ in format, size or levels");
        return Result::InvalidCall;
    }
    std::vector<LevelRect> regions;
    bool compressed = IsCompressed(source->GetFormat());
    for (uint32_t level = 0; level < target->GetLevelCount(); ++level) {
        const Surface& surface = target->Level(level);
        Rect a = source->DirtyRect(level);
        Rect b = target->DirtyRect(level);
        Rect rect = a;
        if (b.Width() > 0 && b.Height() > 0) {
            if (a.Width() > 0 && a.Height() > 0)
                rect = { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom) };
            else
                rect = b;
        }
        if (rect.Width() <= 0 || rect.Height() <= 0)
            continue;
        if (compressed)
            rect = ToBlocks(rect, surface.Width(), surface.Height());
        regions.push_back({ level, rect });
    }
    if (!regions.empty())
        if (Result r = m_backend->UpdateTexture(*source, *target, regions); Failed(r))
            return r;
    source->ClearDirty();
    target->ClearDirty();
    return Result::Ok;
}

Result Device::SetRenderTarget(Surface* target, Surface* depth)
{
    Surface* next = target ? target : m_state.renderTarget;
    if (!next)
        return Result::InvalidCall;
    if (target && (!target->IsTarget() || DeviceOf(*target) != this)) {
        Log("SetRenderTarget: the surface is not a render target");
        return Result::InvalidCall;
    }
    if (depth) {
        if (!IsDepth(*depth) || DeviceOf(*depth) != this || depth->Width() < next->Width()
            || depth->Height() < next->Height())
            return Result::InvalidCall;
    }
    next->Bind();
    if (m_state.renderTarget)
        m_state.renderTarget->Unbind();
    m_state.renderTarget = next;
    if (depth)
        depth->Bind();
    if (m_state.depthStencil)
        m_state.depthStencil->Unbind();
    m_state.depthStencil = depth;
    m_state.viewport = { 0, 0, next->Width(), next->Height(), 0, 1 };
    m_dirty |= dirty::kTargets | dirty::kViewport;
    return Result::Ok;
}

Result Device::GetRenderTarget(Surface** out)
{
    if (!out || !m_state.renderTarget)
        return Result::InvalidCall;
    m_state.renderTarget->AddRef();
    *out = m_state.renderTarget;
    return Result::Ok;
}

Result Device::GetDepthStencilSurface(Surface** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = m_state.depthStencil;
    if (!*out)
        return Result::NotFound;
    (*out)->AddRef();
    return Result::Ok;
}

} // namespace plat::gfx
