// The null backend: resources stay in their system copies (DXT as raw blocks), Clear fills the
// target's copy, draws are recorded but not rasterised, as are clears, presents, pictures and
// applied state blocks (the newest 8192 of each are kept). Its adapter mirrors the gl backend's
// caps and is configurable per device type, with failure injection, for logic tests.
#pragma once

#include "platform/gfx/backend.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/device.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat::gfx::null {

struct DeviceTypeConfig {
    bool available = true;
    Caps caps; // the full profile of this type
    std::vector<Format> refusedFormats; // Check* fail for these on top of the format table
    bool failCreateDevice = false;
};

struct Config {
    DeviceTypeConfig hal;
    DeviceTypeConfig ref; // absent unless a test makes it available, as on gl
    DisplayMode desktop;
    std::vector<DisplayMode> modes;
    uint64_t textureMemory = 256ull << 20;
    // Failure injection: the next N resource or shader creations fail; copies fail while set.
    uint32_t failCreates = 0;
    bool failCopyRects = false;
    bool failUpdateTexture = false;
    // Devices read as lost while this file exists; the defaults take it from ZOQ_GFX_NULL_LOSS.
    std::string lossFile;
};

// The gl backend's full caps, which the null adapter reports.
Caps FullCaps(DeviceType type);

// The process-wide configuration the null adapter and its devices read; ResetConfig restores
// the defaults (HAL only, an X8R8G8B8 desktop of 1024x768).
Config& GetConfig();
void ResetConfig();

struct DrawRecord {
    DrawCall call;
    uint32_t vertexBuffer = 0; // resource ids, 0 for none
    uint32_t indexBuffer = 0;
    std::array<uint32_t, kStageCount> textures {};
    uint32_t vertexShader = 0; // FVF code or handle
    uint32_t pixelShader = 0;
    uint32_t renderTarget = 0;
    uint32_t depthStencil = 0;
    uint32_t dirty = 0;
    std::array<uint32_t, kRenderStateCount> render {};
    std::array<std::array<uint32_t, kStageStateCount>, kStageCount> stage {};
};

struct ClearRecord {
    ClearCall call;
    uint32_t renderTarget = 0;
};

struct PresentRecord {
    uint32_t backBuffer = 0;
    GammaRamp ramp;
};

// A picture shown with or without a device: its size, the window size it was fitted into and
// where it went there.
struct PictureRecord {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pitch = 0;
    WindowSize window;
    Rect output;
    const DeviceWindow* target = nullptr;
};

// Test hook of state blocks: true fails the call as if the device had refused it (End drops the
// recording; Apply sets nothing). End calls carry handle 0.
using StateBlockFault = std::function<bool(StateBlockCall call, uint32_t handle)>;

struct Counters {
    uint32_t surfaceUploads = 0;
    uint32_t bufferUploads = 0;
    uint64_t uploadedBytes = 0;
    uint32_t readBacks = 0;
    uint32_t copies = 0;
    uint32_t textureUpdates = 0;
    uint32_t creates = 0;
    uint32_t destroys = 0;
    uint32_t resets = 0;
    uint64_t stateBlocksApplied = 0;
};

class NullDevice final : public DeviceBackend {
public:
    const std::vector<DrawRecord>& Draws() const { return m_draws; }
    const std::vector<ClearRecord>& Clears() const { return m_clears; }
    const std::vector<PresentRecord>& Presents() const { return m_presents; }
    const std::vector<PictureRecord>& Pictures() const { return m_pictures; }
    // The newest picture's pixels, rows packed.
    const std::vector<uint32_t>& LastPicture() const { return m_lastPicture; }
    // Handles of the blocks applied, oldest first, while the log is on (the default; benchmarks
    // switch it off). Counters::stateBlocksApplied counts them either way.
    const std::vector<uint32_t>& AppliedStateBlocks() const { return m_appliedBlocks; }
    void SetStateBlockLog(bool on) { m_blockLog = on; }
    // Empty: no failures.
    void SetStateBlockFault(StateBlockFault fault) { m_blockFault = std::move(fault); }
    const Counters& GetCounters() const { return m_counters; }
    void ClearRecords();

    explicit NullDevice(const PresentParameters& params)
        : m_params(params)
    {
    }

    Result Reset(const PresentParameters& params) override;
    Result CreateSurface(Surface& surface) override;
    Result CreateTexture(Texture& texture) override;
    Result CreateVertexBuffer(VertexBuffer& buffer) override;
    Result CreateIndexBuffer(IndexBuffer& buffer) override;
    void DestroyResource(Resource& resource) override;
    void UploadSurface(Surface& surface, const Rect& rect) override;
    void UploadBuffer(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t lockFlags) override;
    void ReadBack(Surface& surface, const Rect& rect) override;
    Result CopyRects(Surface& source, std::span<const Rect> rects, Surface& target,
        std::span<const Point> points) override;
    Result UpdateTexture(Texture& source, Texture& target, std::span<const LevelRect> regions) override;
    Result CreateVertexShader(VertexShader& shader) override;
    Result CreatePixelShader(PixelShader& shader) override;
    void Clear(const DeviceState& state, const ClearCall& call) override;
    void Draw(const DeviceState& state, uint32_t dirty, const DrawCall& call) override;
    bool Validate(const DeviceState& state) override;
    Result Present(Surface& backBuffer, const GammaRamp& ramp) override;
    Result PresentPicture(const Picture& picture, const GammaRamp& ramp) override;
    bool AllowStateBlock(StateBlockCall call, uint32_t handle) override;
    bool InjectedLoss() override;
    uint64_t TextureMemory() const override;

private:
    Result Created();

    PresentParameters m_params;
    std::vector<DrawRecord> m_draws;
    std::vector<ClearRecord> m_clears;
    std::vector<PresentRecord> m_presents;
    std::vector<PictureRecord> m_pictures;
    std::vector<uint32_t> m_lastPicture;
    std::vector<uint32_t> m_appliedBlocks;
    bool m_blockLog = true;
    bool m_injectedLoss = false;
    StateBlockFault m_blockFault;
    Counters m_counters;
};

// Pictures shown without a device on the null backend, oldest first, and the newest one's pixels.
const std::vector<PictureRecord>& WindowPictures();
const std::vector<uint32_t>& LastWindowPicture();
void ClearWindowPictures();

// The null backend of a device created on the null adapter; null for another backend.
NullDevice* FromDevice(Device& device);

std::unique_ptr<AdapterBackend> CreateAdapterBackend();

} // namespace plat::gfx::null
