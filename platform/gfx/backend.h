// The interface between the front and a backend (null, gl). The front owns every state and
// every resource's system copy and checks every argument; a backend mirrors resources, draws
// and presents. Backends never see a call the front refused.
#pragma once

#include "platform/gfx/caps.h"
#include "platform/gfx/device_state.h"
#include "platform/gfx/picture.h"
#include "platform/gfx/resource.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plat::gfx {

class Device;

struct DrawCall {
    PrimitiveType primitive = PrimitiveType::TriangleList;
    uint32_t primitiveCount = 0;
    uint32_t vertexCount = 0; // vertices the primitives read (indexed: indices)
    bool indexed = false;
    uint32_t startVertex = 0; // DrawPrimitive, DrawPrimitiveUP
    uint32_t baseVertex = 0; // DrawIndexedPrimitive: SetIndices' base
    uint32_t minIndex = 0;
    uint32_t numVertices = 0;
    uint32_t startIndex = 0;
    const void* userVertices = nullptr; // DrawPrimitiveUP: vertexCount vertices at userStride
    uint32_t userStride = 0;
};

struct ClearCall {
    std::vector<Rect> rects; // already clipped to the viewport; never empty
    uint32_t flags = 0; // clear::
    Color color = 0;
    float z = 1;
    uint32_t stencil = 0;
};

// The state-block calls a backend may refuse (test backends only).
enum class StateBlockCall { End, Apply };

// One rectangle of an UpdateTexture: the level and its dirty region.
struct LevelRect {
    uint32_t level = 0;
    Rect rect;
};

class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;

    // The swap chain is made anew: the front has released the old back buffer and depth
    // surface and creates the new ones (CreateSurface) after this returns Ok.
    virtual Result Reset(const PresentParameters& params) = 0;

    // Resource creation; the resource's system copy exists and is zero. A backend may attach
    // its own object (Resource::SetBackendData). SYSTEMMEM resources are offered too.
    virtual Result CreateSurface(Surface& surface) = 0;
    virtual Result CreateTexture(Texture& texture) = 0;
    virtual Result CreateVertexBuffer(VertexBuffer& buffer) = 0;
    virtual Result CreateIndexBuffer(IndexBuffer& buffer) = 0;
    // Called once before the front frees the resource or the device goes away.
    virtual void DestroyResource(Resource& resource) = 0;

    // The front wrote `rect` of a surface's system copy (a texture level, a target).
    virtual void UploadSurface(Surface& surface, const Rect& rect) = 0;
    // The front wrote bytes [offset, offset + size) of a buffer under these lock flags.
    virtual void UploadBuffer(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t lockFlags) = 0;
    // A target's pixels are wanted in its system copy (a lock, a copy from it).
    virtual void ReadBack(Surface& surface, const Rect& rect) = 0;

    // Checked copies: equal formats, rectangles inside and block-aligned.
    virtual Result CopyRects(
        Surface& source, std::span<const Rect> rects, Surface& target, std::span<const Point> points)
        = 0;
    virtual Result UpdateTexture(Texture& source, Texture& target, std::span<const LevelRect> regions) = 0;

    virtual Result CreateVertexShader(VertexShader& shader) = 0;
    virtual Result CreatePixelShader(PixelShader& shader) = 0;

    virtual void Clear(const DeviceState& state, const ClearCall& call) = 0;
    // `dirty` names the groups changed since the previous draw.
    virtual void Draw(const DeviceState& state, uint32_t dirty, const DrawCall& call) = 0;
    // A backend's own reasons to refuse a state the front accepted (gl: a program that fails).
    virtual bool Validate(const DeviceState& state) = 0;
    // The ramp is the identity when the profile reports no gamma.
    virtual Result Present(Surface& backBuffer, const GammaRamp& ramp) = 0;
    // A checked picture fitted into the device's window with black bars, through the ramp, then
    // swapped in; whatever the backend keeps of its own state stays valid.
    virtual Result PresentPicture(const Picture& picture, const GammaRamp& ramp) = 0;
    // Asked before a recording ends (handle 0) or a block is applied; false makes the call fail.
    virtual bool AllowStateBlock(StateBlockCall, uint32_t) { return true; }
    // A test backend's injected loss: while true the device reads as lost.
    virtual bool InjectedLoss() { return false; }

    // Texture memory of the device in bytes.
    virtual uint64_t TextureMemory() const = 0;
};

class AdapterBackend {
public:
    virtual ~AdapterBackend() = default;

    virtual const char* Name() const = 0;
    // gl: HAL only.
    virtual bool HasDeviceType(DeviceType type) const = 0;
    // What the backend really supports (the full profile).
    virtual Caps FullCaps(DeviceType type) const = 0;
    // The backend's own refusals on top of the format table (a driver without a format).
    virtual bool SupportsFormat(DeviceType type, Format format, uint32_t supportBits) const = 0;
    virtual DisplayMode DesktopMode() const = 0;
    virtual std::vector<DisplayMode> Modes() const = 0;
    // Creates the device's backend for a checked set of parameters.
    virtual Result CreateDevice(
        DeviceType type, Device& device, const PresentParameters& params, std::unique_ptr<DeviceBackend>& out)
        = 0;
    // A checked picture on the window without a device (see PresentPicture).
    virtual Result PresentPicture(DeviceWindow& window, const Picture& picture) = 0;
};

// The backends built into this program, in order of preference (gl first when built).
struct BackendEntry {
    const char* name;
    std::unique_ptr<AdapterBackend> (*create)();
};
std::span<const BackendEntry> BuiltBackends();
// ZOQ_GFX when set, else the first backend built.
std::string DefaultBackendName();
// The named backend's adapter part; null, with a debug line, when it is not built or fails.
std::unique_ptr<AdapterBackend> CreateBackend(std::string_view name);

} // namespace plat::gfx
