// Reference-counted device resources. Each keeps its contents in system memory: locks work on
// that copy and unlocking hands the changed range to the backend. A Get* that returns a
// resource adds a reference; the device's own bindings hold separate counts, so a resource
// released while bound lives until it is unbound.
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat::gfx {

class Device;
class Texture;
struct StateBlock;

// What a backend keeps for one front object.
class BackendObject {
public:
    virtual ~BackendObject() = default;
};

class Resource {
public:
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    ResourceType GetType() const { return m_type; }
    Pool GetPool() const { return m_pool; }
    uint32_t GetUsage() const { return m_usage; }

    // For backends and records: a process-unique number, the device (null once it is gone),
    // and the backend's own object.
    uint32_t Id() const { return m_id; }
    Device* OwnerDevice() const { return m_device; }
    BackendObject* BackendData() const { return m_backend.get(); }
    void SetBackendData(std::unique_ptr<BackendObject> data) { m_backend = std::move(data); }
    virtual uint64_t ByteSize() const = 0;

protected:
    Resource(Device* device, ResourceType type, Pool pool, uint32_t usage);
    virtual ~Resource();
    // Surfaces of a texture count their references on the texture.
    void ShareCountsWith(Resource* holder) { m_holder = holder; }

private:
    friend class Device;
    friend class Texture;
    friend struct StateBlock;
    Resource& Holder() { return m_holder ? *m_holder : *this; }
    // A binding holds the resource like a reference; inline, as every SetTexture makes two.
    void Bind() { ++Holder().m_binds; }
    void Unbind()
    {
        Resource& holder = Holder();
        if (holder.m_binds > 0 && --holder.m_binds == 0 && holder.m_refs == 0)
            holder.DeleteIfUnused();
    }
    void DeleteIfUnused();

    Device* m_device;
    ResourceType m_type;
    Pool m_pool;
    uint32_t m_usage;
    uint32_t m_id;
    uint32_t m_refs = 1;
    uint32_t m_binds = 0;
    bool m_deviceOwned = false; // the back buffer and its depth surface live with the device
    Resource* m_holder = nullptr;
    std::unique_ptr<BackendObject> m_backend;
};

enum class SurfaceRole { Image, RenderTarget, DepthStencil, TextureLevel, BackBuffer, AutoDepth };

class Surface final : public Resource {
public:
    Result GetDesc(SurfaceDesc& out) const;
    Result LockRect(LockedRect& out, const Rect* rect, uint32_t flags);
    Result UnlockRect();

    SurfaceRole Role() const { return m_role; }
    Format GetFormat() const { return m_format; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t Pitch() const { return m_pitch; }
    MultiSample GetMultiSample() const { return m_multiSample; }
    bool IsLockable() const;
    bool IsTarget() const;
    Texture* Container() const { return m_container; }
    uint32_t Level() const { return m_level; }
    Rect FullRect() const { return { 0, 0, int32_t(m_width), int32_t(m_height) }; }
    bool IsLocked() const { return m_locked; }

    // The system copy, row (or block row) by row at Pitch().
    uint8_t* Bits() { return m_bits.data(); }
    const uint8_t* Bits() const { return m_bits.data(); }
    uint64_t ByteSize() const override { return m_bits.size(); }

    // Checks a rectangle against the surface and the block grid of compressed formats.
    bool IsValidRect(const Rect& rect) const;

private:
    friend class Device;
    friend class Texture;
    Surface(Device* device, SurfaceRole role, Format format, uint32_t width, uint32_t height, Pool pool,
        uint32_t usage, MultiSample multiSample, bool lockable);
    ~Surface() override = default;

    SurfaceRole m_role;
    Format m_format;
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_pitch;
    MultiSample m_multiSample;
    bool m_lockable;
    bool m_locked = false;
    uint32_t m_lockFlags = 0;
    Rect m_lockRect;
    Texture* m_container = nullptr;
    uint32_t m_level = 0;
    std::vector<uint8_t> m_bits;
};

class Texture final : public Resource {
public:
    uint32_t GetLevelCount() const { return uint32_t(m_levels.size()); }
    Result GetLevelDesc(uint32_t level, SurfaceDesc& out) const;
    Result GetSurfaceLevel(uint32_t level, Surface** out);
    Result LockRect(uint32_t level, LockedRect& out, const Rect* rect, uint32_t flags);
    Result UnlockRect(uint32_t level);
    // A region of level 0 (null: all) to copy at the next UpdateTexture; smaller levels get it scaled.
    Result AddDirtyRect(const Rect* rect);

    Format GetFormat() const { return m_format; }
    uint32_t Width() const { return m_levels[0]->Width(); }
    uint32_t Height() const { return m_levels[0]->Height(); }
    Surface& Level(uint32_t level) { return *m_levels[level]; }
    const Surface& Level(uint32_t level) const { return *m_levels[level]; }
    // Dirty region per level; empty when clean.
    const Rect& DirtyRect(uint32_t level) const { return m_dirty[level]; }
    void ClearDirty();
    void MarkDirty(uint32_t level, const Rect& rect);
    uint64_t ByteSize() const override;

private:
    friend class Device;
    Texture(Device* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
        Pool pool);
    ~Texture() override;

    Format m_format;
    std::vector<Surface*> m_levels; // owned; counted on the texture
    std::vector<Rect> m_dirty;
};

// Vertex and index buffers share locking.
class Buffer : public Resource {
public:
    Result Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags);
    Result Unlock();
    Result GetDesc(BufferDesc& out) const;

    uint32_t Size() const { return uint32_t(m_bytes.size()); }
    uint8_t* Bytes() { return m_bytes.data(); }
    const uint8_t* Bytes() const { return m_bytes.data(); }
    bool IsLocked() const { return m_locked; }
    uint64_t ByteSize() const override { return m_bytes.size(); }

protected:
    Buffer(Device* device, ResourceType type, uint32_t length, uint32_t usage, Pool pool, Format format,
        uint32_t fvf);
    virtual void OnUnlocked(uint32_t, uint32_t) { }

private:
    friend class Device;
    Format m_format;
    uint32_t m_fvf;
    bool m_locked = false;
    bool m_refusalLogged = false; // one log line per buffer for refused draws
    uint32_t m_lockOffset = 0;
    uint32_t m_lockSize = 0;
    uint32_t m_lockFlags = 0;
    std::vector<uint8_t> m_bytes;
};

class VertexBuffer final : public Buffer {
private:
    friend class Device;
    VertexBuffer(Device* device, uint32_t length, uint32_t usage, uint32_t fvf, Pool pool);
    ~VertexBuffer() override = default;
};

class IndexBuffer final : public Buffer {
public:
    uint32_t IndexCount() const { return Size() / 2; }
    // Largest index among `count` indices from `first`; read from maxima cached at Unlock.
    uint32_t MaxIndex(uint32_t first, uint32_t count) const;

private:
    friend class Device;
    IndexBuffer(Device* device, uint32_t length, uint32_t usage, Format format, Pool pool);
    ~IndexBuffer() override = default;
    void OnUnlocked(uint32_t offset, uint32_t size) override;

    static constexpr uint32_t kBlock = 64; // indices per cached maximum
    std::vector<uint16_t> m_blockMax;
};

// Copies a rectangle between two system copies of one format (block rows for DXT).
void CopySurfaceRect(const Surface& source, const Rect& rect, Surface& target, Point at);

} // namespace plat::gfx
