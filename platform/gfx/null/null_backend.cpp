#include "platform/gfx/null/null_backend.h"

#include "platform/gfx/format.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace plat::gfx::null {
namespace {

Config MakeDefaultConfig()
{
    Config config;
    config.hal.caps = FullCaps(DeviceType::Hal);
    config.ref.available = false;
    config.ref.caps = FullCaps(DeviceType::Ref);
    config.desktop = { 1024, 768, 60, Format::X8R8G8B8 };
    for (Format format : { Format::X8R8G8B8, Format::R5G6B5 })
        for (auto [w, h] : { std::pair { 640u, 480u }, { 800u, 600u }, { 1024u, 768u }, { 1280u, 1024u } })
            for (uint32_t hz : { 60u, 75u })
                config.modes.push_back({ w, h, hz, format });
    if (const char* file = std::getenv("ZOQ_GFX_NULL_LOSS"))
        config.lossFile = file;
    return config;
}

const DeviceTypeConfig& TypeConfig(DeviceType type)
{
    return type == DeviceType::Ref ? GetConfig().ref : GetConfig().hal;
}

constexpr size_t kMaxRecords = 8192; // the newest are kept

template <class T> void KeepNewest(std::vector<T>& records, T record, size_t limit)
{
    if (records.size() >= limit)
        records.erase(records.begin(), records.begin() + long(limit / 2));
    records.push_back(std::move(record));
}

void StoreColor(uint8_t* pixel, Format format, Color color)
{
    switch (format) {
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
        std::memcpy(pixel, &color, 4);
        break;
    case Format::R5G6B5: {
        auto value
            = uint16_t(((color >> 19) & 0x1F) << 11 | ((color >> 10) & 0x3F) << 5 | ((color >> 3) & 0x1F));
        std::memcpy(pixel, &value, 2);
        break;
    }
    default:
        break;
    }
}

std::vector<PictureRecord>& WindowPictureRecords()
{
    static std::vector<PictureRecord> records;
    return records;
}

std::vector<uint32_t>& LastWindowPicturePixels()
{
    static std::vector<uint32_t> pixels;
    return pixels;
}

void RecordPicture(const Picture& picture, WindowSize window, const DeviceWindow* target,
    std::vector<PictureRecord>& records, std::vector<uint32_t>& pixels)
{
    PictureRecord record { picture.width, picture.height, picture.pitch, window,
        FitPicture(picture.width, picture.height, window.width, window.height), target };
    KeepNewest(records, record, kMaxRecords);
    pixels.resize(size_t(picture.width) * picture.height);
    const auto* bytes = static_cast<const uint8_t*>(picture.pixels);
    for (uint32_t y = 0; y < picture.height; ++y)
        std::memcpy(pixels.data() + size_t(y) * picture.width, bytes + size_t(y) * picture.pitch,
            size_t(picture.width) * 4);
}

class NullAdapter final : public AdapterBackend {
public:
    const char* Name() const override { return "null"; }
    bool HasDeviceType(DeviceType type) const override { return TypeConfig(type).available; }
    Caps FullCaps(DeviceType type) const override { return TypeConfig(type).caps; }
    bool SupportsFormat(DeviceType type, Format format, uint32_t) const override
    {
        const auto& refused = TypeConfig(type).refusedFormats;
        return std::find(refused.begin(), refused.end(), format) == refused.end();
    }
    DisplayMode DesktopMode() const override { return GetConfig().desktop; }
    std::vector<DisplayMode> Modes() const override { return GetConfig().modes; }
    Result CreateDevice(DeviceType type, Device&, const PresentParameters& params,
        std::unique_ptr<DeviceBackend>& out) override
    {
        if (TypeConfig(type).failCreateDevice)
            return Result::NotAvailable;
        out = std::make_unique<NullDevice>(params);
        return Result::Ok;
    }
    Result PresentPicture(DeviceWindow& window, const Picture& picture) override
    {
        RecordPicture(
            picture, window.ClientSize(), &window, WindowPictureRecords(), LastWindowPicturePixels());
        return Result::Ok;
    }
};

} // namespace

Caps FullCaps(DeviceType type)
{
    Caps caps;
    caps.deviceType = type;
    caps.textureOps = kAllTextureOps;
    return caps;
}

Config& GetConfig()
{
    static Config config = MakeDefaultConfig();
    return config;
}

void ResetConfig()
{
    GetConfig() = MakeDefaultConfig();
}

NullDevice* FromDevice(Device& device)
{
    return dynamic_cast<NullDevice*>(&device.Backend());
}

std::unique_ptr<AdapterBackend> CreateAdapterBackend()
{
    return std::make_unique<NullAdapter>();
}

const std::vector<PictureRecord>& WindowPictures()
{
    return WindowPictureRecords();
}

const std::vector<uint32_t>& LastWindowPicture()
{
    return LastWindowPicturePixels();
}

void ClearWindowPictures()
{
    WindowPictureRecords().clear();
    LastWindowPicturePixels().clear();
}

void NullDevice::ClearRecords()
{
    m_draws.clear();
    m_clears.clear();
    m_presents.clear();
    m_pictures.clear();
    m_lastPicture.clear();
    m_appliedBlocks.clear();
    m_counters = {};
}

Result NullDevice::Created()
{
    Config& config = GetConfig();
    if (config.failCreates > 0) {
        --config.failCreates;
        return Result::OutOfVideoMemory;
    }
    ++m_counters.creates;
    return Result::Ok;
}

Result NullDevice::Reset(const PresentParameters& params)
{
    m_params = params;
    ++m_counters.resets;
    return Result::Ok;
}

Result NullDevice::CreateSurface(Surface&)
{
    return Created();
}
Result NullDevice::CreateTexture(Texture&)
{
    return Created();
}
Result NullDevice::CreateVertexBuffer(VertexBuffer&)
{
    return Created();
}
Result NullDevice::CreateIndexBuffer(IndexBuffer&)
{
    return Created();
}
Result NullDevice::CreateVertexShader(VertexShader&)
{
    return Created();
}
Result NullDevice::CreatePixelShader(PixelShader&)
{
    return Created();
}

void NullDevice::DestroyResource(Resource&)
{
    ++m_counters.destroys;
}

void NullDevice::UploadSurface(Surface& surface, const Rect& rect)
{
    ++m_counters.surfaceUploads;
    m_counters.uploadedBytes
        += SurfaceBytes(surface.GetFormat(), uint32_t(rect.Width()), uint32_t(rect.Height()));
}

void NullDevice::UploadBuffer(Buffer&, uint32_t, uint32_t size, uint32_t)
{
    ++m_counters.bufferUploads;
    m_counters.uploadedBytes += size;
}

void NullDevice::ReadBack(Surface&, const Rect&)
{
    ++m_counters.readBacks;
}

Result NullDevice::CopyRects(
    Surface& source, std::span<const Rect> rects, Surface& target, std::span<const Point> points)
{
    if (GetConfig().failCopyRects)
        return Result::InvalidCall;
    for (size_t i = 0; i < rects.size(); ++i)
        CopySurfaceRect(source, rects[i], target, points[i]);
    ++m_counters.copies;
    return Result::Ok;
}

Result NullDevice::UpdateTexture(Texture& source, Texture& target, std::span<const LevelRect> regions)
{
    if (GetConfig().failUpdateTexture)
        return Result::InvalidCall;
    for (const LevelRect& region : regions) {
        CopySurfaceRect(source.Level(region.level), region.rect, target.Level(region.level),
            { region.rect.left, region.rect.top });
        m_counters.uploadedBytes += SurfaceBytes(
            source.GetFormat(), uint32_t(region.rect.Width()), uint32_t(region.rect.Height()));
    }
    ++m_counters.textureUpdates;
    return Result::Ok;
}

void NullDevice::Clear(const DeviceState& state, const ClearCall& call)
{
    Surface* target = state.renderTarget;
    if ((call.flags & clear::kTarget) && target) {
        uint32_t bytes = BytesPerPixel(target->GetFormat());
        for (const Rect& rect : call.rects)
            for (int32_t y = rect.top; y < rect.bottom; ++y)
                for (int32_t x = rect.left; x < rect.right; ++x)
                    StoreColor(target->Bits() + size_t(y) * target->Pitch() + size_t(x) * bytes,
                        target->GetFormat(), call.color);
    }
    KeepNewest(m_clears, ClearRecord { call, target ? target->Id() : 0 }, kMaxRecords);
}

void NullDevice::Draw(const DeviceState& state, uint32_t dirty, const DrawCall& call)
{
    DrawRecord record;
    record.call = call;
    record.call.userVertices = nullptr;
    record.vertexBuffer = call.userVertices || !state.streamSource ? 0 : state.streamSource->Id();
    record.indexBuffer = call.indexed && state.indices ? state.indices->Id() : 0;
    for (uint32_t i = 0; i < kStageCount; ++i)
        record.textures[i] = state.textures[i] ? state.textures[i]->Id() : 0;
    record.vertexShader = state.vertexShader;
    record.pixelShader = state.pixelShader;
    record.renderTarget = state.renderTarget ? state.renderTarget->Id() : 0;
    record.depthStencil = state.depthStencil ? state.depthStencil->Id() : 0;
    record.dirty = dirty;
    record.render = state.render;
    record.stage = state.stage;
    KeepNewest(m_draws, std::move(record), kMaxRecords);
}

bool NullDevice::Validate(const DeviceState&)
{
    return true;
}

Result NullDevice::Present(Surface& backBuffer, const GammaRamp& ramp)
{
    KeepNewest(m_presents, PresentRecord { backBuffer.Id(), ramp }, kMaxRecords);
    return Result::Ok;
}

Result NullDevice::PresentPicture(const Picture& picture, const GammaRamp&)
{
    // The device's window, else a window of the back buffer's size.
    WindowSize window { m_params.backBufferWidth, m_params.backBufferHeight };
    if (m_params.window)
        window = m_params.window->ClientSize();
    RecordPicture(picture, window, m_params.window, m_pictures, m_lastPicture);
    return Result::Ok;
}

bool NullDevice::AllowStateBlock(StateBlockCall call, uint32_t handle)
{
    if (m_blockFault && m_blockFault(call, handle))
        return false;
    if (call == StateBlockCall::Apply) {
        ++m_counters.stateBlocksApplied;
        if (m_blockLog)
            KeepNewest(m_appliedBlocks, handle, kMaxRecords);
    }
    return true;
}

bool NullDevice::InjectedLoss()
{
    const std::string& file = GetConfig().lossFile;
    std::error_code error;
    const bool lost = !file.empty() && std::filesystem::exists(file, error);
    if (lost != m_injectedLoss)
        win::DebugOutput(
            lost ? "plat::gfx::null: injected loss begins" : "plat::gfx::null: injected loss ends");
    m_injectedLoss = lost;
    return lost;
}

uint64_t NullDevice::TextureMemory() const
{
    return GetConfig().textureMemory;
}

} // namespace plat::gfx::null
