#include "platform/gfx/resource.h"

#include "platform/gfx/device.h"
#include "platform/gfx/format.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace plat::gfx {
namespace {

std::atomic<uint32_t> g_nextId { 1 };

void Log(const char* text)
{
    win::DebugOutput(std::string("plat::gfx: ") + text);
}

uint32_t LevelSize(uint32_t size, uint32_t level)
{
    return std::max(1u, size >> level);
}

// Byte offset of pixel (x, y) in a system copy (x, y on the block grid when compressed).
size_t Offset(Format format, uint32_t pitch, int32_t x, int32_t y)
{
    const FormatInfo* info = FindFormat(format);
    if (IsCompressed(format))
        return size_t(y / 4) * pitch + size_t(x / 4) * info->blockBytes;
    return size_t(y) * pitch + size_t(x) * info->blockBytes;
}

Rect Union(const Rect& a, const Rect& b)
{
    if (a.Width() <= 0 || a.Height() <= 0)
        return b;
    return { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
        std::max(a.bottom, b.bottom) };
}

} // namespace

// ---- Resource ----

Resource::Resource(Device* device, ResourceType type, Pool pool, uint32_t usage)
    : m_device(device)
    , m_type(type)
    , m_pool(pool)
    , m_usage(usage)
    , m_id(g_nextId++)
{
}

Resource::~Resource()
{
    if (m_device)
        m_device->Unregister(this);
}

uint32_t Resource::AddRef()
{
    return ++Holder().m_refs;
}

uint32_t Resource::Release()
{
    Resource& holder = Holder();
    if (holder.m_refs == 0) {
        Log("Release of a resource without references");
        return 0;
    }
    uint32_t left = --holder.m_refs;
    if (left == 0)
        holder.DeleteIfUnused();
    return left;
}

void Resource::DeleteIfUnused()
{
    if (m_refs == 0 && m_binds == 0 && !m_deviceOwned)
        delete this;
}

// ---- Surface ----

Surface::Surface(Device* device, SurfaceRole role, Format format, uint32_t width, uint32_t height, Pool pool,
    uint32_t usage, MultiSample multiSample, bool lockable)
    : Resource(device, ResourceType::Surface, pool, usage)
    , m_role(role)
    , m_format(format)
    , m_width(width)
    , m_height(height)
    , m_pitch(RowPitch(format, width))
    , m_multiSample(multiSample)
    , m_lockable(lockable)
{
    m_bits.assign(size_t(SurfaceBytes(format, width, height)), 0);
}

bool Surface::IsLockable() const
{
    switch (m_role) {
    case SurfaceRole::Image:
        return true;
    case SurfaceRole::TextureLevel:
        if (GetUsage() & usage::kRenderTarget)
            return false;
        return GetPool() != Pool::Default || (GetUsage() & usage::kDynamic);
    case SurfaceRole::RenderTarget:
    case SurfaceRole::BackBuffer:
        return m_lockable;
    case SurfaceRole::DepthStencil:
    case SurfaceRole::AutoDepth:
        return false;
    }
    return false;
}

bool Surface::IsTarget() const
{
    return m_role == SurfaceRole::RenderTarget || m_role == SurfaceRole::BackBuffer
        || (m_role == SurfaceRole::TextureLevel && (GetUsage() & usage::kRenderTarget));
}

bool Surface::IsValidRect(const Rect& rect) const
{
    if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom
        || rect.right > int32_t(m_width) || rect.bottom > int32_t(m_height))
        return false;
    if (IsCompressed(m_format)) {
        if (rect.left % 4 != 0 || rect.top % 4 != 0)
            return false;
        if (rect.right % 4 != 0 && rect.right != int32_t(m_width))
            return false;
        if (rect.bottom % 4 != 0 && rect.bottom != int32_t(m_height))
            return false;
    }
    return true;
}

Result Surface::GetDesc(SurfaceDesc& out) const
{
    out.format = m_format;
    out.type = ResourceType::Surface;
    out.usage = GetUsage();
    out.pool = GetPool();
    out.size = uint32_t(m_bits.size());
    out.multiSample = m_multiSample;
    out.width = m_width;
    out.height = m_height;
    return Result::Ok;
}

Result Surface::LockRect(LockedRect& out, const Rect* rect, uint32_t flags)
{
    Device* device = m_container ? m_container->OwnerDevice() : OwnerDevice();
    Rect r = rect ? *rect : FullRect();
    if (m_locked || (flags & ~lock::kAll) != 0 || !IsValidRect(r))
        return Result::InvalidCall;
    if (!IsLockable()) {
        Log("LockRect: this surface cannot be locked");
        return Result::InvalidCall;
    }
    if ((flags & lock::kDiscard) && !(GetUsage() & usage::kDynamic))
        return Result::InvalidCall;
    if (IsTarget() && device && !(flags & lock::kDiscard))
        device->ReadBackSurface(*this, r);
    out.pitch = int32_t(m_pitch);
    out.bits = m_bits.data() + Offset(m_format, m_pitch, r.left, r.top);
    m_locked = true;
    m_lockRect = r;
    m_lockFlags = flags;
    return Result::Ok;
}

Result Surface::UnlockRect()
{
    if (!m_locked)
        return Result::InvalidCall;
    m_locked = false;
    if (m_lockFlags & lock::kReadOnly)
        return Result::Ok;
    if (m_container && !(m_lockFlags & lock::kNoDirtyUpdate))
        m_container->MarkDirty(m_level, m_lockRect);
    Device* device = m_container ? m_container->OwnerDevice() : OwnerDevice();
    if (device)
        device->OnSurfaceUnlocked(*this, m_lockRect);
    return Result::Ok;
}

// ---- Texture ----

Texture::Texture(Device* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
    Format format, Pool pool)
    : Resource(device, ResourceType::Texture, pool, usage)
    , m_format(format)
{
    for (uint32_t i = 0; i < levels; ++i) {
        auto* level = new Surface(nullptr, SurfaceRole::TextureLevel, format, LevelSize(width, i),
            LevelSize(height, i), pool, usage, MultiSample::None, false);
        level->m_container = this;
        level->m_level = i;
        level->m_refs = 0;
        level->ShareCountsWith(this);
        m_levels.push_back(level);
    }
    // A new texture is dirty whole, so the first UpdateTexture copies everything.
    m_dirty.resize(levels);
    for (uint32_t i = 0; i < levels; ++i)
        m_dirty[i] = m_levels[i]->FullRect();
}

Texture::~Texture()
{
    for (Surface* level : m_levels) {
        level->ShareCountsWith(nullptr);
        delete level;
    }
}

uint64_t Texture::ByteSize() const
{
    uint64_t total = 0;
    for (const Surface* level : m_levels)
        total += level->ByteSize();
    return total;
}

Result Texture::GetLevelDesc(uint32_t level, SurfaceDesc& out) const
{
    if (level >= m_levels.size())
        return Result::InvalidCall;
    return m_levels[level]->GetDesc(out);
}

Result Texture::GetSurfaceLevel(uint32_t level, Surface** out)
{
    if (!out || level >= m_levels.size())
        return Result::InvalidCall;
    m_levels[level]->AddRef();
    *out = m_levels[level];
    return Result::Ok;
}

Result Texture::LockRect(uint32_t level, LockedRect& out, const Rect* rect, uint32_t flags)
{
    if (level >= m_levels.size())
        return Result::InvalidCall;
    return m_levels[level]->LockRect(out, rect, flags);
}

Result Texture::UnlockRect(uint32_t level)
{
    if (level >= m_levels.size())
        return Result::InvalidCall;
    return m_levels[level]->UnlockRect();
}

void Texture::MarkDirty(uint32_t level, const Rect& rect)
{
    if (level < m_dirty.size())
        m_dirty[level] = Union(m_dirty[level], rect);
}

void Texture::ClearDirty()
{
    for (Rect& rect : m_dirty)
        rect = {};
}

Result Texture::AddDirtyRect(const Rect* rect)
{
    Rect r = rect ? *rect : m_levels[0]->FullRect();
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > int32_t(Width())
        || r.bottom > int32_t(Height()))
        return Result::InvalidCall;
    for (uint32_t i = 0; i < m_levels.size(); ++i) {
        const Surface& level = *m_levels[i];
        int32_t round = (1 << i) - 1;
        Rect scaled { r.left >> i, r.top >> i, std::min(int32_t(level.Width()), (r.right + round) >> i),
            std::min(int32_t(level.Height()), (r.bottom + round) >> i) };
        MarkDirty(i, scaled);
    }
    return Result::Ok;
}

// ---- Buffers ----

Buffer::Buffer(Device* device, ResourceType type, uint32_t length, uint32_t usage, Pool pool, Format format,
    uint32_t fvf)
    : Resource(device, type, pool, usage)
    , m_format(format)
    , m_fvf(fvf)
    , m_bytes(length, 0)
{
}

Result Buffer::GetDesc(BufferDesc& out) const
{
    out.format = m_format;
    out.type = GetType();
    out.usage = GetUsage();
    out.pool = GetPool();
    out.size = Size();
    out.fvf = m_fvf;
    return Result::Ok;
}

Result Buffer::Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags)
{
    if (!data || m_locked || (flags & ~lock::kAll) != 0 || offset > Size())
        return Result::InvalidCall;
    if ((flags & lock::kDiscard) && (flags & lock::kNoOverwrite))
        return Result::InvalidCall;
    if (size == 0)
        size = Size() - offset;
    if (size == 0 || uint64_t(offset) + size > Size())
        return Result::InvalidCall;
    *data = m_bytes.data() + offset;
    m_locked = true;
    m_lockOffset = offset;
    m_lockSize = size;
    m_lockFlags = flags;
    return Result::Ok;
}

Result Buffer::Unlock()
{
    if (!m_locked)
        return Result::InvalidCall;
    m_locked = false;
    if (m_lockFlags & lock::kReadOnly)
        return Result::Ok;
    OnUnlocked(m_lockOffset, m_lockSize);
    if (Device* device = OwnerDevice())
        device->OnBufferUnlocked(*this, m_lockOffset, m_lockSize, m_lockFlags);
    return Result::Ok;
}

VertexBuffer::VertexBuffer(Device* device, uint32_t length, uint32_t usage, uint32_t fvf, Pool pool)
    : Buffer(device, ResourceType::VertexBuffer, length, usage, pool, Format::Unknown, fvf)
{
}

IndexBuffer::IndexBuffer(Device* device, uint32_t length, uint32_t usage, Format format, Pool pool)
    : Buffer(device, ResourceType::IndexBuffer, length, usage, pool, format, 0)
{
    m_blockMax.assign((IndexCount() + kBlock - 1) / kBlock, 0);
}

void IndexBuffer::OnUnlocked(uint32_t offset, uint32_t size)
{
    uint32_t count = IndexCount();
    if (count == 0)
        return;
    uint32_t first = offset / 2;
    uint32_t last = std::min(count, (offset + size + 1) / 2); // exclusive
    const uint8_t* bytes = Bytes();
    for (uint32_t block = first / kBlock; block * kBlock < last; ++block) {
        uint32_t end = std::min(count, (block + 1) * kBlock);
        uint16_t best = 0;
        for (uint32_t i = block * kBlock; i < end; ++i) {
            uint16_t value;
            std::memcpy(&value, bytes + 2 * i, 2);
            best = std::max(best, value);
        }
        m_blockMax[block] = best;
    }
}

uint32_t IndexBuffer::MaxIndex(uint32_t first, uint32_t count) const
{
    uint32_t last = first + count; // the caller checked it against IndexCount()
    const uint8_t* bytes = Bytes();
    auto at = [bytes](uint32_t i) {
        uint16_t value;
        std::memcpy(&value, bytes + 2 * i, 2);
        return value;
    };
    uint32_t best = 0;
    uint32_t i = first;
    for (; i < last && i % kBlock != 0; ++i)
        best = std::max<uint32_t>(best, at(i));
    for (; i + kBlock <= last; i += kBlock)
        best = std::max<uint32_t>(best, m_blockMax[i / kBlock]);
    for (; i < last; ++i)
        best = std::max<uint32_t>(best, at(i));
    return best;
}

void CopySurfaceRect(const Surface& source, const Rect& rect, Surface& target, Point at)
{
    Format format = source.GetFormat();
    uint32_t rowBytes = RowPitch(format, uint32_t(rect.Width()));
    uint32_t rows = RowCount(format, uint32_t(rect.Height()));
    const uint8_t* from = source.Bits() + Offset(format, source.Pitch(), rect.left, rect.top);
    uint8_t* to = target.Bits() + Offset(format, target.Pitch(), at.x, at.y);
    for (uint32_t row = 0; row < rows; ++row)
        std::memmove(to + size_t(row) * target.Pitch(), from + size_t(row) * source.Pitch(), rowBytes);
}

} // namespace plat::gfx
