// The Direct3D-8-shaped device. All state lives here (recorded by state blocks with Direct3D 8
// semantics); every argument and rectangle is checked before the backend sees it; results
// are codes. Main thread only, except Set/GetGammaRamp, which any thread may call.
#pragma once

#include "platform/gfx/backend.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/device_state.h"
#include "platform/gfx/picture.h"
#include "platform/gfx/resource.h"
#include "platform/gfx/shader.h"
#include "platform/gfx/states.h"
#include "platform/gfx/types.h"
#include "platform/gfx/window.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

namespace plat::gfx {

class Adapter;
struct StateBlock;

// Live objects of a device, for tests and diagnostics.
struct DeviceCounts {
    uint32_t stateBlocks = 0;
    uint32_t vertexShaders = 0;
    uint32_t pixelShaders = 0;
    uint32_t resources[3] = {}; // by Pool
    uint64_t bytes[3] = {};
};

class Device {
public:
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    // Device
    Result TestCooperativeLevel();
    Result Reset(PresentParameters& params);
    Result Present();
    // A picture fitted into the device's window (see PresentPicture in picture.h).
    Result PresentPicture(const Picture& picture);
    Result BeginScene();
    Result EndScene();
    Result Clear(uint32_t count, const Rect* rects, uint32_t flags, Color color, float z, uint32_t stencil);
    uint32_t GetAvailableTextureMem() const;
    Result ResourceManagerDiscardBytes(uint32_t bytes);
    Result GetDeviceCaps(Caps& out) const;
    Result GetDisplayMode(DisplayMode& out) const;
    void GetPresentParameters(PresentParameters& out) const { out = m_params; }
    Result ValidateDevice(uint32_t* passes);
    // Why the last ValidateDevice failed; empty after a success.
    const std::string& ValidationFault() const { return m_validationFault; }

    // Any thread. Applied at Present in a window as in full screen when the profile reports
    // full-screen gamma.
    void SetGammaRamp(uint32_t flags, const GammaRamp& ramp);
    void GetGammaRamp(GammaRamp& out) const;

    // Transforms, viewport, material, lights, clip planes
    Result SetTransform(Transform transform, const Matrix& matrix);
    Result GetTransform(Transform transform, Matrix& out) const;
    Result SetViewport(const Viewport& viewport);
    Result GetViewport(Viewport& out) const;
    Result SetMaterial(const Material& material);
    Result GetMaterial(Material& out) const;
    Result SetLight(uint32_t index, const Light& light);
    Result GetLight(uint32_t index, Light& out) const;
    Result LightEnable(uint32_t index, bool enable);
    Result GetLightEnable(uint32_t index, bool& out) const;
    Result SetClipPlane(uint32_t index, const float plane[4]);
    Result GetClipPlane(uint32_t index, float plane[4]) const;

    // States
    Result SetRenderState(RenderState state, uint32_t value);
    Result GetRenderState(RenderState state, uint32_t& out) const;
    Result SetTextureStageState(uint32_t stage, StageState state, uint32_t value);
    Result GetTextureStageState(uint32_t stage, StageState state, uint32_t& out) const;

    // State blocks. Between Begin and End every recordable Set* is recorded, not applied.
    Result BeginStateBlock();
    Result EndStateBlock(uint32_t& handle);
    Result ApplyStateBlock(uint32_t handle);
    Result DeleteStateBlock(uint32_t handle);

    // Resources
    Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
        Pool pool, Texture** out);
    Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool, VertexBuffer** out);
    Result CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** out);
    Result CreateRenderTarget(uint32_t width, uint32_t height, Format format, MultiSample multiSample,
        bool lockable, Surface** out);
    Result CreateDepthStencilSurface(
        uint32_t width, uint32_t height, Format format, MultiSample multiSample, Surface** out);
    Result CreateImageSurface(uint32_t width, uint32_t height, Format format, Surface** out);
    // count 0 with null rects copies the whole source to (0, 0).
    Result CopyRects(
        Surface* source, const Rect* rects, uint32_t count, Surface* target, const Point* points);
    Result UpdateTexture(Texture* source, Texture* target);
    Result SetRenderTarget(Surface* target, Surface* depth);
    Result GetRenderTarget(Surface** out);
    Result GetDepthStencilSurface(Surface** out);

    // Binding
    Result SetTexture(uint32_t stage, Texture* texture);
    Result GetTexture(uint32_t stage, Texture** out);
    Result SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride);
    Result GetStreamSource(uint32_t stream, VertexBuffer** out, uint32_t& stride);
    Result SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex);
    Result GetIndices(IndexBuffer** out, uint32_t& baseVertexIndex);

    // Drawing
    Result DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount);
    Result DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
        uint32_t startIndex, uint32_t primitiveCount);
    // Unbinds stream 0 afterwards.
    Result DrawPrimitiveUP(
        PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride);

    // Shaders. Vertex shader handles are odd, so SetVertexShader tells them from FVF codes.
    Result CreateVertexShader(std::span<const VertexElement> declaration, const uint32_t* function,
        uint32_t& handle, uint32_t usage);
    Result SetVertexShader(uint32_t fvfOrHandle);
    Result GetVertexShader(uint32_t& out) const;
    Result DeleteVertexShader(uint32_t handle);
    Result SetVertexShaderConstant(uint32_t reg, const void* data, uint32_t count);
    Result GetVertexShaderConstant(uint32_t reg, void* data, uint32_t count) const;
    Result CreatePixelShader(const uint32_t* function, uint32_t& handle);
    Result SetPixelShader(uint32_t handle);
    Result GetPixelShader(uint32_t& out) const;
    Result DeletePixelShader(uint32_t handle);
    Result SetPixelShaderConstant(uint32_t reg, const void* data, uint32_t count);
    Result GetPixelShaderConstant(uint32_t reg, void* data, uint32_t count) const;

    // For backends and tests.
    const DeviceState& State() const { return m_state; }
    const Caps& DeviceCaps() const { return m_caps; }
    DeviceBackend& Backend() { return *m_backend; }
    const VertexShader* FindVertexShader(uint32_t handle) const;
    const PixelShader* FindPixelShader(uint32_t handle) const;
    Surface* BackBuffer() const { return m_backBuffer; }
    DeviceCounts Counts() const;
    bool IsRecording() const { return m_recording != nullptr; }
    // Test hook: while set, the device is lost as if its full-screen window had gone away.
    void SetForcedLoss(bool lost) { m_forcedLoss = lost; }

private:
    friend class Adapter;
    friend class Resource;
    friend class Surface;
    friend class Texture;
    friend class Buffer;
    friend struct StateBlock;

    enum class Loss { None, Lost, NotReset };

    Device(Adapter& adapter, DeviceType type, const Caps& caps, const PresentParameters& params);
    ~Device();
    Result Initialise(std::unique_ptr<DeviceBackend> backend);
    Result CreateSwapChainSurfaces();
    void ResetState();
    void ReleaseBindings();
    void UpdateLoss();
    bool LossCauseActive() const;
    bool Usable() const { return m_loss == Loss::None; }
    bool HeldDefaultResources();
    // The ramp Present applies: the identity when the profile reports no gamma.
    GammaRamp ShownRamp() const;

    // Registration of resources and the backend's part of their life.
    Result Register(Resource* resource);
    // Builds a checked resource with make() and registers it; on failure nothing is left and *out stays null.
    template <class T, class Make> Result Adopt(Make make, T** out);
    void Unregister(Resource* resource);
    void OnSurfaceUnlocked(Surface& surface, const Rect& rect);
    void OnBufferUnlocked(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t flags);
    void ReadBackSurface(Surface& surface, const Rect& rect);

    // Live setters, shared by the Set* calls and ApplyStateBlock (values already checked).
    void LiveSetRenderState(RenderState state, uint32_t value);
    void LiveSetStageState(uint32_t stage, StageState state, uint32_t value);
    void LiveSetTransform(Transform transform, const Matrix& matrix);
    void LiveSetViewport(const Viewport& viewport);
    void LiveSetMaterial(const Material& material);
    void LiveSetLight(uint32_t index, const Light& light);
    Result LiveLightEnable(uint32_t index, bool enable);
    void LiveSetClipPlane(uint32_t index, const Vector4& plane);
    void LiveSetTexture(uint32_t stage, Texture* texture);
    void LiveSetStream(VertexBuffer* buffer, uint32_t stride);
    void LiveSetIndices(IndexBuffer* buffer, uint32_t base);
    void LiveSetVertexShader(uint32_t value);
    void LiveSetPixelShader(uint32_t handle);
    void LiveSetVertexConstants(uint32_t reg, const Vector4* data, uint32_t count);
    void LiveSetPixelConstants(uint32_t reg, const Vector4* data, uint32_t count);

    bool IsValidVertexShaderValue(uint32_t value) const;
    Result CheckDrawState(uint32_t& vertexSize);
    bool RefuseDraw(Buffer* buffer, const char* text);
    Result IssueDraw(const DrawCall& call);
    uint32_t NewHandle(uint32_t& counter, uint32_t step);

    Adapter& m_adapter;
    DeviceType m_type;
    Caps m_caps;
    PresentParameters m_params;
    std::unique_ptr<DeviceBackend> m_backend;
    uint32_t m_refs = 1;

    DeviceState m_state;
    uint32_t m_dirty = dirty::kAll;
    uint32_t m_enabledLights = 0; // lights whose enabled flag is set, against MaxActiveLights
    Surface* m_backBuffer = nullptr;
    Surface* m_autoDepth = nullptr;
    std::unordered_set<Resource*> m_resources;

    Loss m_loss = Loss::None;
    bool m_forcedLoss = false;
    bool m_inScene = false;

    std::unique_ptr<StateBlock> m_recording;
    std::map<uint32_t, std::unique_ptr<StateBlock>> m_stateBlocks;
    uint32_t m_nextStateBlock = 1;
    std::map<uint32_t, std::unique_ptr<VertexShader>> m_vertexShaders;
    uint32_t m_nextVertexShader = 1;
    std::map<uint32_t, std::unique_ptr<PixelShader>> m_pixelShaders;
    uint32_t m_nextPixelShader = 1;

    std::string m_validationFault;
    bool m_loggedMissingBuffers = false;
    uint32_t m_sizedFvf = 0; // the vertex format whose size m_fvfSize holds
    uint32_t m_fvfSize = 0;

    mutable std::mutex m_gammaLock;
    GammaRamp m_gamma = GammaRamp::Identity();
};

} // namespace plat::gfx
