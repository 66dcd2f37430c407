// The gl adapter: HAL only; caps measured once per process on a hidden window; display modes
// from the window layer.
#include "platform/gfx/gl/context.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_device.h"
#include "platform/gfx/gl/picture_output.h"
#include "platform/win/debug.h"
#include "platform/window/display.h"
#include "platform/window/window.h"

#include <algorithm>

namespace plat::gfx::gl {
namespace {

DisplayMode FromWindowMode(const plat::window::DisplayMode& mode)
{
    return { uint32_t(std::max(mode.width, 0)), uint32_t(std::max(mode.height, 0)),
        uint32_t(std::max(mode.refresh, 0)),
        mode.format == plat::window::DisplayFormat::R5G6B5 ? Format::R5G6B5 : Format::X8R8G8B8 };
}

class GlAdapter final : public AdapterBackend {
public:
    const char* Name() const override { return "gl"; }

    bool HasDeviceType(DeviceType type) const override
    {
        return type == DeviceType::Hal && GetDriverInfo().ok;
    }

    Caps FullCaps(DeviceType type) const override
    {
        const DriverInfo& driver = GetDriverInfo();
        Caps caps;
        caps.deviceType = type;
        caps.textureOps = kAllTextureOps;
        if (!driver.ok)
            return caps;
        caps.maxTextureWidth = driver.maxTextureSize;
        caps.maxTextureHeight = driver.maxTextureSize;
        caps.anisotropy = driver.anisotropy;
        caps.maxAnisotropy = driver.anisotropy ? std::clamp(uint32_t(driver.maxAnisotropy), 1u, 16u) : 1u;
        caps.maxPointSize = driver.maxPointSize;
        caps.maxMultiSample = std::min(driver.maxSamples, 8u);
        if (caps.maxMultiSample < 2)
            caps.maxMultiSample = 0;
        return caps;
    }

    // DXT works without s3tc too: the codec decodes at upload.
    bool SupportsFormat(DeviceType type, Format, uint32_t) const override { return HasDeviceType(type); }

    DisplayMode DesktopMode() const override { return FromWindowMode(plat::window::DesktopMode()); }

    std::vector<DisplayMode> Modes() const override
    {
        std::vector<DisplayMode> modes;
        for (const plat::window::DisplayMode& mode : plat::window::DisplayModes())
            modes.push_back(FromWindowMode(mode));
        return modes;
    }

    Result CreateDevice(DeviceType type, Device& device, const PresentParameters& params,
        std::unique_ptr<DeviceBackend>& out) override
    {
        if (!HasDeviceType(type))
            return Result::NotAvailable;
        return GlDevice::Create(device, params, out);
    }

    Result PresentPicture(DeviceWindow& window, const Picture& picture) override
    {
        auto* target = static_cast<plat::window::Window*>(window.NativeHandle());
        if (!target || !target->IsAlive()) {
            win::DebugOutput("plat::gfx::gl: PresentPicture: no window to draw on");
            return Result::NotAvailable;
        }
        if (!GetDriverInfo().ok)
            return Result::NotAvailable;
        if (!m_pictures || !m_pictures->IsFor(target)) {
            m_pictures.reset();
            m_pictures = PictureOutput::Create(*target);
            if (!m_pictures)
                return Result::NotAvailable;
        }
        return m_pictures->Present(picture);
    }

private:
    std::unique_ptr<PictureOutput> m_pictures;
};

} // namespace

std::unique_ptr<AdapterBackend> CreateAdapterBackend()
{
    return std::make_unique<GlAdapter>();
}

DriverFacts GetDriverFacts()
{
    const DriverInfo& info = GetDriverInfo();
    DriverFacts facts;
    facts.ok = info.ok;
    facts.failure = info.failure;
    facts.renderer = info.renderer;
    facts.s3tc = info.s3tc;
    facts.anisotropy = info.anisotropy;
    facts.maxSamples = info.maxSamples;
    return facts;
}

GlDevice* FromDevice(Device& device)
{
    return dynamic_cast<GlDevice*>(&device.Backend());
}

Stats GetStats(GlDevice& device)
{
    return device.GetStats();
}

void CaptureWindow(GlDevice& device, bool on)
{
    device.SetCapture(on);
}

std::vector<uint32_t> CapturedWindow(GlDevice& device, int& width, int& height)
{
    return device.Captured(width, height);
}

void Finish(GlDevice& device)
{
    device.Finish();
}

void ForceSoftwareDxt(bool on)
{
    SoftwareDxtForced() = on;
}

void BreakNewPrograms(GlDevice& device, bool on)
{
    device.SetBreakPrograms(on);
}

} // namespace plat::gfx::gl
