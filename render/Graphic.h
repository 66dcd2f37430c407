// Graphic: the one device wrapper. It creates the adapter and the device for the game window,
// chooses device type, depth format and vertex processing, digests the caps into GraphicCaps,
// sets texture filtering, keeps the render-target and world-matrix stacks, the projection, the
// current material, the per-frame draw counters and the gamma ramps. g_Graphic is the only
// instance; every other part reaches the device through it. Main thread only, except the ramp
// functions, which the gamma-fade thread calls under the application's lock.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/XStaticFIFO.h"
#include "platform/gfx/adapter.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/device.h"
#include "platform/gfx/types.h"
#include "platform/gfx/window.h"

#include <cstdint>
#include <string_view>

class CTexture;

// The caps reduced to what the renderer tests; filled by Graphic::ReadCaps.
struct GraphicCaps {
    bool isHal = false;
    bool hwTransformAndLight = false;
    bool canRenderWindowed = false;
    bool anisotropy = false;
    bool minAnisotropic = false;
    bool magAnisotropic = false;
    bool bumpEnvMap = false;
    bool bumpEnvMapLuminance = false;
    bool hasPixelShader = false;
    bool hasVertexShader = false;
    uint32_t maxBlendStages = 0; // at most 2 when only two textures can be bound
    uint32_t maxSimultaneousTextures = 0;
    uint32_t maxTextureWidth = 0;
    bool tssArgTemp = false;
    bool fogTable = false; // cleared by the start-up when ForceLinearFog is on
    bool fogRange = false;
    bool fullscreenGamma = false; // full-screen gamma and not in a window
    bool gammaFade = false; // fades run on the gamma-fade thread while set
    bool wBuffer = false;
    bool borderAddress = false;
    uint32_t maxVertexBlendMatrices = 0;
    bool projectedTextures = false;
    bool pointSizeAboveOne = false;
    bool fvfPointSize = false;
    bool dxt5Textures = false;
    bool dotProduct3 = false;
    bool colorCursor = false;
    bool dynamicTextures = false;
    // Which textures the water reads: a projected reflection, and a second water layer.
    bool reflectionTexture = false;
    bool secondWaterTexture = false;
};

// The number of times n can be halved while it stays above 1; 0 for n below 2.
int32_t IntLog2(int32_t n);

class Graphic {
public:
    static constexpr int kTargetStackSize = 20; // ten target and depth pairs
    static constexpr int kWorldStackSize = 16;
    static constexpr int kFilterStages = 4;

    Graphic();
    virtual ~Graphic();
    Graphic(const Graphic&) = delete;
    Graphic& operator=(const Graphic&) = delete;

    // The adapter of the backend chosen by ZOQ_GFX; the named one ("null", "gl") when given.
    bool CreateDirect3D(std::string_view backend = {});
    // Whether the display format of the colour depth takes that multisampling.
    bool CheckDisplayMode(int32_t adapter, int32_t width, int32_t height, int32_t bitsPerPixel,
        plat::gfx::Format format, int32_t refresh, int32_t vsync, bool windowed,
        plat::gfx::MultiSample multiSample, uint32_t filterMode, uint32_t maxAnisotropy,
        plat::gfx::PresentInterval presentInterval, bool lockable);
    // False when no device type is usable or the device cannot be created; nothing is logged.
    bool CreateDevice(int32_t adapter, int32_t width, int32_t height, int32_t bitsPerPixel,
        plat::gfx::Format format, int32_t refresh, int32_t vsync, bool windowed,
        plat::gfx::MultiSample multiSample, uint32_t filterMode, uint32_t maxAnisotropy,
        plat::gfx::PresentInterval presentInterval, bool lockable, plat::gfx::DeviceWindow* window);
    // Unbinds stages 0-3 and stream 0, then releases the back buffer, its depth surface, the device
    // and the adapter.
    void Release();
    void ReadCaps();

    void Clear(uint32_t flags, plat::gfx::Color colour);
    // Angles in degrees; the left-handed perspective, set on the device and kept when store is set.
    void SetProjection(float farPlane, float nearPlane, float fovX, float fovY, bool store);
    void RestoreProjection();
    void ApplyGammaRamp() { RestoreProjection(); }
    void SetFullViewport();

    // Pushes the current pair and makes (target, depth) current; 0, or the device's failure as a
    // negative number (the pair stays pushed).
    int PushRenderTarget(plat::gfx::Surface* target, plat::gfx::Surface* depth);
    // Returns to the pair below; an empty stack logs and throws XRangeError.
    void PopRenderTarget();

    void SetTextureFilter(uint32_t stage);
    // Stages 0-3, and their anisotropy in mode 2.
    void SetTextureFilters();

    // Creates tex's Direct3D texture and estimates its memory; DYNAMIC is dropped without dynamic
    // textures. A failure logs "Graphic::CreateTexture fails" and leaves the texture null.
    void CreateTexture(CTexture* tex, uint32_t width, uint32_t height, uint32_t levels,
        plat::gfx::Format format, plat::gfx::Pool pool, uint32_t usage);

    // World-matrix stack: SetWorldMatrix sets WORLD and replaces the top (pushing onto an empty
    // stack); Push sets WORLD and pushes; Pop returns WORLD to the matrix below, when there is one.
    void SetWorldMatrix(const Matrix4& matrix);
    void PushWorldMatrix(const Matrix4& matrix);
    void PopWorldMatrix();
    void ResetWorldStack() { m_worldStack.Clear(); }
    // The current world matrix; an empty stack logs "XStaticFIFO::Last stack is empty" and throws.
    const Matrix4& WorldTop() { return m_worldStack.Last(); }
    int WorldDepth() const { return m_worldStack.Count(); }

    // Sets the device material and keeps a copy: the material models draw with unless they set one.
    void SetMaterial(const plat::gfx::Material& material);
    const plat::gfx::Material& GetMaterial() const { return m_material; }

    // Per-frame statistics: one call per draw.
    void CountDraw(uint32_t primitives)
    {
        ++m_drawCalls;
        m_primitives += primitives;
    }
    void ResetFrameCounters()
    {
        m_drawCalls = 0;
        m_primitives = 0;
    }
    uint32_t DrawCalls() const { return m_drawCalls; }
    uint32_t Primitives() const { return m_primitives; }

    // Device loss: the back buffer and depth surface references are dropped before the reset and
    // taken again after it; Acquire makes the device's pair the current one and sets it on the
    // device, so that a later PopRenderTarget returns to it.
    void ReleaseTargetSurfaces();
    void AcquireTargetSurfaces();

    // Gamma ramps, red first. Level > 0 brightens, < 0 darkens.
    static void BuildGammaRamp(plat::gfx::GammaRamp& ramp, int32_t level);
    // factor below 0.05 counts as 0.05.
    static void ScaleGammaRamp(plat::gfx::GammaRamp& out, const plat::gfx::GammaRamp& in, float factor);
    // t = 0 keeps the ramp, t = 1 gives white.
    static void BrightenGammaRamp(plat::gfx::GammaRamp& out, const plat::gfx::GammaRamp& in, float t);

    plat::gfx::Adapter* GetDirect3D() const { return m_direct3D; }
    plat::gfx::Device* GetDevice() const { return m_device; }
    plat::gfx::Device* const* DevicePointer() const { return &m_device; }
    const GraphicCaps& Caps() const { return m_digest; }
    GraphicCaps& MutableCaps() { return m_digest; }
    const plat::gfx::Caps& DeviceCaps() const { return m_caps; }
    plat::gfx::PresentParameters& PresentParams() { return m_present; }
    plat::gfx::Viewport& StoredViewport() { return m_viewport; }
    plat::gfx::GammaRamp& BaseRamp() { return m_baseRamp; }
    const plat::gfx::GammaRamp& SavedRamp() const { return m_savedRamp; }
    const Matrix4& GetProjection() const { return m_projection; }
    plat::gfx::Surface* RenderTarget() const { return m_renderTarget; }
    plat::gfx::Surface* DepthSurface() const { return m_depthSurface; }
    plat::gfx::Surface* CurrentTarget() const { return m_currentTarget; }
    plat::gfx::Surface* CurrentDepth() const { return m_currentDepth; }
    plat::gfx::DeviceWindow* Window() const { return m_window; }
    int32_t ScreenWidth() const { return m_screenWidth; }
    int32_t ScreenHeight() const { return m_screenHeight; }
    void SetScreenSize(int32_t width, int32_t height)
    {
        m_screenWidth = width;
        m_screenHeight = height;
    }
    int32_t BitsPerPixel() const { return m_bitsPerPixel; }
    bool IsWindowed() const { return m_windowed; }
    uint32_t AdapterOrdinal() const { return m_adapter; }
    plat::gfx::DeviceType DeviceType() const { return m_deviceType; }
    plat::gfx::Format BackBufferFormat() const { return m_backBufferFormat; }
    plat::gfx::Format DepthFormat() const { return m_depthFormat; }
    bool HasStencil() const { return m_stencil; }
    uint32_t MaxAnisotropy() const { return m_maxAnisotropy; }
    uint32_t FilterMode() const { return m_filterMode; }

private:
    void ReleaseAll(bool removeViewHook);

    plat::gfx::GammaRamp m_savedRamp;
    plat::gfx::Viewport m_viewport;
    plat::gfx::Adapter* m_direct3D = nullptr;
    plat::gfx::Device* m_device = nullptr;
    plat::gfx::Caps m_caps;
    plat::gfx::DeviceWindow* m_window = nullptr;
    plat::gfx::PresentParameters m_present;
    plat::gfx::Surface* m_renderTarget = nullptr;
    plat::gfx::Surface* m_depthSurface = nullptr;
    XStaticFIFO<plat::gfx::Surface*, kTargetStackSize> m_targetStack;
    plat::gfx::Surface* m_currentTarget = nullptr;
    plat::gfx::Surface* m_currentDepth = nullptr;
    Matrix4 m_projection {};
    plat::gfx::GammaRamp m_baseRamp;
    int32_t m_screenWidth = 0;
    int32_t m_screenHeight = 0;
    int32_t m_bitsPerPixel = 0;
    bool m_windowed = false;
    uint32_t m_adapter = 0;
    GraphicCaps m_digest;
    plat::gfx::DeviceType m_deviceType = plat::gfx::DeviceType::Hal;
    plat::gfx::Format m_backBufferFormat = plat::gfx::Format::Unknown;
    plat::gfx::Format m_depthFormat = plat::gfx::Format::Unknown;
    bool m_stencil = false;
    uint32_t m_maxAnisotropy = 0;
    uint32_t m_filterMode = 0;

    XStaticFIFO<Matrix4, kWorldStackSize> m_worldStack;
    plat::gfx::Material m_material;
    uint32_t m_drawCalls = 0;
    uint32_t m_primitives = 0;
};

extern Graphic g_Graphic;

// The foundation's row-major matrix as the device takes it.
plat::gfx::Matrix ToDeviceMatrix(const Matrix4& matrix);
