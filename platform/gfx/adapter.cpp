#include "platform/gfx/adapter.h"

#include "platform/gfx/device.h"
#include "platform/gfx/format.h"
#include "platform/gfx/picture.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace plat::gfx {
namespace {

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx: " + text);
}

bool IsModeFormat(Format format)
{
    return format == Format::X8R8G8B8 || format == Format::R5G6B5;
}

} // namespace

Adapter::Adapter(std::unique_ptr<AdapterBackend> backend, CapsProfile profile)
    : m_backend(std::move(backend))
    , m_profile(profile)
{
}

uint32_t Adapter::AddRef()
{
    return ++m_refs;
}

uint32_t Adapter::Release()
{
    uint32_t left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

Result Adapter::GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const
{
    if (adapter != 0)
        return Result::InvalidCall;
    out = m_backend->DesktopMode();
    return Result::Ok;
}

uint32_t Adapter::GetAdapterModeCount(uint32_t adapter) const
{
    return adapter == 0 ? uint32_t(m_backend->Modes().size()) : 0;
}

Result Adapter::EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode& out) const
{
    if (adapter != 0)
        return Result::InvalidCall;
    std::vector<DisplayMode> modes = m_backend->Modes();
    if (mode >= modes.size())
        return Result::InvalidCall;
    out = modes[mode];
    return Result::Ok;
}

Result Adapter::CheckType(uint32_t adapter, DeviceType type) const
{
    if (adapter != 0)
        return Result::InvalidCall;
    return m_backend->HasDeviceType(type) ? Result::Ok : Result::NotAvailable;
}

Caps Adapter::CapsOf(DeviceType type) const
{
    const std::optional<Caps>& custom = m_caps[type == DeviceType::Ref ? 1 : 0];
    Caps caps = custom ? *custom : ProfileCaps(m_backend->FullCaps(type), m_profile);
    caps.deviceType = type;
    return caps;
}

bool Adapter::FormatUsable(DeviceType type, Format format, uint32_t supportBits) const
{
    if ((FormatSupport(format) & supportBits) != supportBits || supportBits == 0)
        return false;
    if (format == Format::Dxt5 && (supportBits & support::kTexture) && !CapsOf(type).dxt5Textures)
        return false;
    return m_backend->SupportsFormat(type, format, supportBits);
}

Result Adapter::CheckDeviceType(
    uint32_t adapter, DeviceType type, Format displayFormat, Format backBufferFormat, bool windowed) const
{
    if (Result r = CheckType(adapter, type); Failed(r))
        return r;
    bool display
        = windowed ? FormatUsable(type, displayFormat, support::kDisplay) : IsModeFormat(displayFormat);
    if (!display || !FormatUsable(type, backBufferFormat, support::kBackBuffer))
        return Result::NotAvailable;
    if (!windowed && displayFormat != backBufferFormat)
        return Result::NotAvailable;
    return Result::Ok;
}

Result Adapter::CheckDeviceFormat(uint32_t adapter, DeviceType type, Format adapterFormat, uint32_t usage,
    ResourceType resourceType, Format format) const
{
    if (Result r = CheckType(adapter, type); Failed(r))
        return r;
    if (!FormatUsable(type, adapterFormat, support::kDisplay) || (usage & ~usage::kAll) != 0)
        return Result::NotAvailable;
    uint32_t bits = 0;
    switch (resourceType) {
    case ResourceType::Texture:
        if (usage & usage::kDepthStencil)
            return Result::NotAvailable;
        bits = support::kTexture | (usage & usage::kRenderTarget ? support::kRenderTarget : 0);
        if ((usage & usage::kDynamic) && !CapsOf(type).dynamicTextures)
            return Result::NotAvailable;
        break;
    case ResourceType::Surface:
        if (usage & usage::kDepthStencil)
            bits = support::kDepthStencil;
        else if (usage & usage::kRenderTarget)
            bits = support::kRenderTarget;
        else
            bits = support::kTexture;
        break;
    case ResourceType::IndexBuffer:
        bits = support::kIndex;
        break;
    case ResourceType::VertexBuffer:
        return format == Format::Unknown ? Result::Ok : Result::NotAvailable;
    default:
        return Result::NotAvailable;
    }
    return FormatUsable(type, format, bits) ? Result::Ok : Result::NotAvailable;
}

Result Adapter::CheckDeviceMultiSampleType(
    uint32_t adapter, DeviceType type, Format format, bool, MultiSample multiSample) const
{
    if (Result r = CheckType(adapter, type); Failed(r))
        return r;
    bool surfaceFormat = FormatUsable(type, format, support::kRenderTarget)
        || FormatUsable(type, format, support::kDepthStencil);
    if (!surfaceFormat)
        return Result::NotAvailable;
    if (multiSample == MultiSample::None)
        return Result::Ok;
    return uint32_t(multiSample) <= CapsOf(type).maxMultiSample ? Result::Ok : Result::NotAvailable;
}

Result Adapter::CheckDepthStencilMatch(
    uint32_t adapter, DeviceType type, Format adapterFormat, Format targetFormat, Format depthFormat) const
{
    if (Result r = CheckType(adapter, type); Failed(r))
        return r;
    if (!FormatUsable(type, adapterFormat, support::kDisplay)
        || !FormatUsable(type, targetFormat, support::kRenderTarget)
        || !FormatUsable(type, depthFormat, support::kDepthStencil))
        return Result::NotAvailable;
    return Result::Ok;
}

Result Adapter::GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& out) const
{
    if (Result r = CheckType(adapter, type); Failed(r))
        return r;
    out = CapsOf(type);
    return Result::Ok;
}

void Adapter::SetCapsProfile(CapsProfile profile)
{
    m_profile = profile;
    m_caps[0].reset();
    m_caps[1].reset();
}

void Adapter::SetCaps(DeviceType type, const Caps& caps)
{
    m_caps[type == DeviceType::Ref ? 1 : 0] = caps;
}

Result Adapter::CheckPresentParameters(DeviceType type, const PresentParameters& params) const
{
    if (params.backBufferWidth == 0 || params.backBufferHeight == 0 || params.backBufferCount > 1)
        return Result::InvalidCall;
    Caps caps = CapsOf(type);
    if (params.backBufferWidth > caps.maxTextureWidth || params.backBufferHeight > caps.maxTextureHeight)
        return Result::InvalidCall;
    if (!FormatUsable(type, params.backBufferFormat, support::kBackBuffer))
        return Result::InvalidCall;
    if (params.enableAutoDepthStencil
        && !FormatUsable(type, params.autoDepthStencilFormat, support::kDepthStencil))
        return Result::InvalidCall;
    if (params.multiSample != MultiSample::None && uint32_t(params.multiSample) > caps.maxMultiSample)
        return Result::InvalidCall;
    if ((params.flags & present::kLockableBackBuffer) && params.multiSample != MultiSample::None)
        return Result::InvalidCall;
    if (!params.windowed) {
        std::vector<DisplayMode> modes = m_backend->Modes();
        bool found = std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& mode) {
            return mode.width == params.backBufferWidth && mode.height == params.backBufferHeight
                && mode.format == params.backBufferFormat
                && (params.refreshRate == 0 || params.refreshRate == mode.refreshRate);
        });
        if (!found)
            return Result::InvalidCall;
    }
    return Result::Ok;
}

Result Adapter::CreateDevice(uint32_t adapter, DeviceType type, DeviceWindow* focusWindow, uint32_t behaviour,
    PresentParameters& params, Device** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (Result r = CheckType(adapter, type); Failed(r))
        return r;
    uint32_t processing = behaviour
        & (create::kSoftwareVertexProcessing | create::kHardwareVertexProcessing
            | create::kMixedVertexProcessing);
    if (processing == 0 || (processing & (processing - 1)) != 0) {
        Log("CreateDevice: name exactly one kind of vertex processing");
        return Result::InvalidCall;
    }
    Caps caps = CapsOf(type);
    if ((behaviour & create::kPureDevice) && !caps.pureDevice) {
        Log("CreateDevice: no pure device");
        return Result::InvalidCall;
    }
    if (!params.window)
        params.window = focusWindow;
    if (params.windowed && (params.backBufferWidth == 0 || params.backBufferHeight == 0)) {
        if (!params.window) {
            Log("CreateDevice: a windowed back buffer of size 0 needs a window");
            return Result::InvalidCall;
        }
        WindowSize size = params.window->ClientSize();
        if (params.backBufferWidth == 0)
            params.backBufferWidth = size.width;
        if (params.backBufferHeight == 0)
            params.backBufferHeight = size.height;
    }
    if (Result r = CheckPresentParameters(type, params); Failed(r)) {
        Log("CreateDevice: presentation parameters refused");
        return r;
    }
    // The device shows pictures from now on; a device-less context on its window goes first.
    ReleasePictureOutput();
    auto* device = new Device(*this, type, caps, params);
    std::unique_ptr<DeviceBackend> backend;
    Result result = m_backend->CreateDevice(type, *device, params, backend);
    if (Succeeded(result))
        result = device->Initialise(std::move(backend));
    if (Failed(result)) {
        Log(std::string("CreateDevice: ") + m_backend->Name() + " backend failed: " + ResultName(result));
        device->Release();
        return result;
    }
    *out = device;
    return Result::Ok;
}

std::string DefaultBackendName()
{
    const char* name = std::getenv("ZOQ_GFX");
    if (name && *name)
        return name;
    std::span<const BackendEntry> built = BuiltBackends();
    if (built.empty())
        return "";
    if (std::string_view(built[0].name) != "gl")
        Log(std::string("backend 'gl' is not built; using '") + built[0].name + "'");
    return built[0].name;
}

std::unique_ptr<AdapterBackend> CreateBackend(std::string_view name)
{
    for (const BackendEntry& entry : BuiltBackends()) {
        if (name == entry.name) {
            std::unique_ptr<AdapterBackend> backend = entry.create();
            if (!backend)
                Log(std::string("backend '") + entry.name + "' has no adapter");
            return backend;
        }
    }
    Log(std::string("backend '") + std::string(name) + "' is not built into this program");
    return nullptr;
}

Adapter* CreateAdapter(std::string_view name, std::optional<CapsProfile> profile)
{
    if (!profile) {
        CapsProfile fromEnv = CapsProfile::Full;
        if (const char* text = std::getenv("ZOQ_GFX_CAPS"); text && *text) {
            if (!ParseCapsProfile(text, fromEnv)) {
                Log(std::string("ZOQ_GFX_CAPS=") + text + " is neither full nor minimal");
                return nullptr;
            }
        }
        profile = fromEnv;
    }
    std::unique_ptr<AdapterBackend> backend = CreateBackend(name);
    if (!backend)
        return nullptr;
    return new Adapter(std::move(backend), *profile);
}

Adapter* CreateAdapter()
{
    std::string name = DefaultBackendName();
    if (name.empty())
        return nullptr;
    return CreateAdapter(name);
}

} // namespace plat::gfx
