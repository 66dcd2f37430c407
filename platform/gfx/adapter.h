// The one adapter: display modes, format and device-type checks, caps of the chosen profile,
// and device creation. CreateAdapter picks the backend from ZOQ_GFX (gl, null) and the
// profile from ZOQ_GFX_CAPS (full, minimal).
#pragma once

#include "platform/gfx/backend.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/types.h"
#include "platform/gfx/window.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace plat::gfx {

class Device;

class Adapter {
public:
    Adapter(const Adapter&) = delete;
    Adapter& operator=(const Adapter&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    const char* BackendName() const { return m_backend->Name(); }
    uint32_t GetAdapterCount() const { return 1; }
    Result GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const;
    uint32_t GetAdapterModeCount(uint32_t adapter) const;
    Result EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode& out) const;

    Result CheckDeviceType(uint32_t adapter, DeviceType type, Format displayFormat, Format backBufferFormat,
        bool windowed) const;
    Result CheckDeviceFormat(uint32_t adapter, DeviceType type, Format adapterFormat, uint32_t usage,
        ResourceType resourceType, Format format) const;
    Result CheckDeviceMultiSampleType(
        uint32_t adapter, DeviceType type, Format format, bool windowed, MultiSample multiSample) const;
    Result CheckDepthStencilMatch(uint32_t adapter, DeviceType type, Format adapterFormat,
        Format targetFormat, Format depthFormat) const;
    Result GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& out) const;

    // `params` comes back completed (a windowed 0x0 back buffer takes the client size).
    Result CreateDevice(uint32_t adapter, DeviceType type, DeviceWindow* focusWindow, uint32_t behaviour,
        PresentParameters& params, Device** out);

    // The profile reported and enforced by devices created afterwards; SetCaps replaces single
    // entries of one device type's caps until the profile is chosen again.
    void SetCapsProfile(CapsProfile profile);
    CapsProfile GetCapsProfile() const { return m_profile; }
    void SetCaps(DeviceType type, const Caps& caps);

    AdapterBackend& Backend() { return *m_backend; }

private:
    friend class Device;
    friend Adapter* CreateAdapter(std::string_view backend, std::optional<CapsProfile> profile);
    explicit Adapter(std::unique_ptr<AdapterBackend> backend, CapsProfile profile);
    ~Adapter() = default;

    Result CheckType(uint32_t adapter, DeviceType type) const;
    bool FormatUsable(DeviceType type, Format format, uint32_t supportBits) const;
    Result CheckPresentParameters(DeviceType type, const PresentParameters& params) const;
    Caps CapsOf(DeviceType type) const;

    std::unique_ptr<AdapterBackend> m_backend;
    CapsProfile m_profile;
    std::optional<Caps> m_caps[2];
    uint32_t m_refs = 1;
};

// The backend named by ZOQ_GFX (default gl), the profile named by ZOQ_GFX_CAPS (default full).
// Null, with a debug line, when the named backend is not built or the profile is unknown; an
// unset ZOQ_GFX takes the first backend built (gl, else null).
Adapter* CreateAdapter();
// A named backend ("gl", "null"); the profile from ZOQ_GFX_CAPS unless given.
Adapter* CreateAdapter(std::string_view backend, std::optional<CapsProfile> profile = std::nullopt);

} // namespace plat::gfx
