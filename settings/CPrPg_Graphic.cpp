#include "settings/CPrPg_Graphic.h"

#include "foundation/CallTrace.h"
#include "platform/gfx/adapter.h"
#include "settings/CConfigWriter.h"
#include "settings/Resources.h"
#include "settings/SettingsKeys.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const SConfigKey& kScreenWidth = ConfigKey("CONFIG", "ScreenWidth");
constexpr const SConfigKey& kScreenHeight = ConfigKey("CONFIG", "ScreenHeight");
constexpr const SConfigKey& kScreenRefresh = ConfigKey("CONFIG", "ScreenRefresh");
constexpr const SConfigKey& kScreenBPS = ConfigKey("CONFIG", "ScreenBPS");
constexpr const SConfigKey& kInterval = ConfigKey("CONFIG", "Interval");
constexpr const SConfigKey& kTextureQuality = ConfigKey("CONFIG", "TextureQuality");
constexpr const SConfigKey& kVisibleRadius = ConfigKey("CONFIG", "VisibleRadius");
constexpr const SConfigKey& kFiltering = ConfigKey("CONFIG", "Filtering");
constexpr const SConfigKey& kAnisotropy = ConfigKey("CONFIG", "Anisotropy");
constexpr const SConfigKey& kAnosotropy = ConfigKey("CONFIG", "Anosotropy");
constexpr const SConfigKey& kUseStaticMapBuffer = ConfigKey("CONFIG", "UseStaticMapBuffer");
constexpr const SConfigKey& kFullReflection = ConfigKey("CONFIG", "Fullreflection");
constexpr const SConfigKey& kForceLinearFog = ConfigKey("CONFIG", "ForceLinearFog");

constexpr int32_t kScreenBits = 32;
constexpr int32_t kMinModeHeight = 600;
constexpr int32_t kDefaultModeWidth = 1024;
constexpr int32_t kDefaultModeHeight = 768;

std::string Format(uint32_t id, int32_t a, int32_t b, int32_t c = 0)
{
    char text[32];
    std::snprintf(text, sizeof text, LoadResString(id), int(a), int(b), int(c));
    return text;
}

std::string SizeText(int32_t width, int32_t height)
{
    return Format(IDS_MODE_SIZE, width, height);
}

bool BeginsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// A combo given an index outside its items has no selection.
int ComboIndex(int32_t index, int items)
{
    return index >= 0 && index < items ? int(index) : -1;
}

int FindItem(const std::vector<std::string>& items, std::string_view text)
{
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : int(it - items.begin());
}

} // namespace

std::string CPrPg_Graphic::ModeText(int32_t width, int32_t height, int32_t refresh)
{
    return refresh != 0 ? Format(IDS_MODE_REFRESH, width, height, refresh) : SizeText(width, height);
}

std::vector<std::string> CPrPg_Graphic::ModeList(const std::vector<plat::gfx::DisplayMode>& modes)
{
    std::vector<std::string> items;
    for (const plat::gfx::DisplayMode& mode : modes) {
        if (mode.format != plat::gfx::Format::X8R8G8B8 || int32_t(mode.height) < kMinModeHeight)
            continue;
        const std::string size = SizeText(int32_t(mode.width), int32_t(mode.height));
        if (std::any_of(
                items.begin(), items.end(), [&](const std::string& item) { return BeginsWith(item, size); }))
            continue;
        uint32_t refresh = 0;
        for (const plat::gfx::DisplayMode& other : modes) {
            if (other.format == plat::gfx::Format::X8R8G8B8 && other.width == mode.width
                && other.height == mode.height)
                refresh = std::max(refresh, other.refreshRate);
        }
        items.push_back(
            Format(IDS_MODE_REFRESH, int32_t(mode.width), int32_t(mode.height), int32_t(refresh)));
    }
    return items;
}

SModeText CPrPg_Graphic::ParseModeText(std::string_view text)
{
    const std::string s(text);
    SModeText mode;
    const size_t first = s.find('x');
    mode.width = int32_t(std::atoi(s.substr(0, first).c_str()));
    if (first == std::string::npos)
        return mode;
    const std::string rest = s.substr(std::min(first + 2, s.size()));
    const size_t second = rest.find('x');
    mode.height = int32_t(std::atoi(rest.substr(0, second).c_str()));
    if (second != std::string::npos)
        mode.refresh = int32_t(std::atoi(rest.substr(std::min(second + 2, rest.size())).c_str()));
    return mode;
}

void CPrPg_Graphic::Load(const std::string& path)
{
    m_screenWidth = ReadConfigNumber(path, kScreenWidth);
    m_screenHeight = ReadConfigNumber(path, kScreenHeight);
    m_screenRefresh = ReadConfigNumber(path, kScreenRefresh);
    m_interval = ReadConfigNumber(path, kInterval);
    m_textureQuality = ReadConfigNumber(path, kTextureQuality);
    m_visibleRadius = ReadConfigNumber(path, kVisibleRadius);
    m_filtering = ReadConfigNumber(path, kFiltering);
    m_anisotropy = ReadConfigNumber(path, kAnisotropy);
    m_useStaticMapBuffer = ReadConfigNumber(path, kUseStaticMapBuffer);
    m_fullReflection = ReadConfigNumber(path, kFullReflection);
    m_forceLinearFog = ReadConfigNumber(path, kForceLinearFog);
}

void CPrPg_Graphic::FillControls()
{
    m_controls.interval = m_interval != 0;
    m_controls.staticBuffer = m_useStaticMapBuffer != 0;
    m_controls.fullReflection = m_fullReflection != 0;
    m_controls.linearFog = m_forceLinearFog != 0;
    m_anisotropy = std::min(m_anisotropy, m_maxAnisotropy);
    m_controls.anisotropy.min = 1;
    m_controls.anisotropy.max = m_maxAnisotropy;
    m_controls.anisotropy.Set(m_anisotropy);
    ChooseFiltering(m_filtering == 1 ? 1 : 2);
    m_filtering = m_controls.filtering;
}

void CPrPg_Graphic::ChooseFiltering(int filtering)
{
    m_controls.filtering = filtering;
    m_controls.anisotropySlider = filtering != 1;
}

void CPrPg_Graphic::OnFirstActivation(const SPageHost& host)
{
    ZJ_TRACE("CPrPg_Graphic::OnSetActive");
    plat::gfx::Adapter* adapter = host.createAdapter ? host.createAdapter() : nullptr;
    if (!adapter) {
        host.messageBox(LoadResString(IDS_NO_DIRECTX), LoadResString(IDS_GRAPHICS));
        return;
    }
    m_controls.texture = ComboIndex(2 - m_textureQuality / 2, kTextureItems);
    m_controls.radius = ComboIndex((m_visibleRadius - 256) / 128, kRadiusItems);

    std::vector<plat::gfx::DisplayMode> modes(adapter->GetAdapterModeCount(0));
    for (uint32_t i = 0; i < modes.size(); ++i)
        adapter->EnumAdapterModes(0, i, modes[i]);
    m_controls.modes = ModeList(modes);
    m_controls.mode = FindItem(m_controls.modes, ModeText(m_screenWidth, m_screenHeight, m_screenRefresh));

    plat::gfx::Caps caps;
    const bool haveCaps = plat::gfx::Succeeded(adapter->GetDeviceCaps(0, plat::gfx::DeviceType::Hal, caps));
    adapter->Release();
    if (haveCaps && caps.anisotropy) {
        m_maxAnisotropy = std::max<int32_t>(1, int32_t(caps.maxAnisotropy));
        m_controls.anisotropicRadio = true;
    } else {
        m_filtering = 1;
        m_maxAnisotropy = 1;
        m_controls.anisotropicRadio = false;
    }
    FillControls();
    m_initialised = true;
}

bool CPrPg_Graphic::Save(const std::string& path)
{
    ZJ_TRACE("CPrPg_Graphic::SavePageControls");
    if (!m_initialised)
        return true;
    m_interval = m_controls.interval ? 1 : 0;
    m_useStaticMapBuffer = m_controls.staticBuffer ? 1 : 0;
    m_fullReflection = m_controls.fullReflection ? 1 : 0;
    m_forceLinearFog = m_controls.linearFog ? 1 : 0;
    m_filtering = m_controls.filtering;
    m_anisotropy = m_controls.anisotropy.pos;

    CConfigWriter out(path);
    out.Number(kInterval, m_interval);
    out.Number(kUseStaticMapBuffer, m_useStaticMapBuffer);
    out.Number(kFullReflection, m_fullReflection);
    out.Number(kFiltering, m_filtering);
    out.Number(kAnisotropy, m_anisotropy);
    out.Number(kAnosotropy, m_anisotropy);
    out.Number(kForceLinearFog, m_forceLinearFog);
    if (m_controls.texture >= 0) {
        m_textureQuality = (2 - m_controls.texture) * 2;
        out.Number(kTextureQuality, m_textureQuality);
    }
    if (m_controls.radius >= 0) {
        m_visibleRadius = m_controls.radius * 128 + 256;
        out.Number(kVisibleRadius, m_visibleRadius);
    }
    if (m_controls.mode >= 0) {
        const SModeText mode = ParseModeText(m_controls.modes[size_t(m_controls.mode)]);
        m_screenWidth = mode.width;
        m_screenHeight = mode.height;
        m_screenRefresh = mode.refresh;
        out.Number(kScreenWidth, m_screenWidth);
        out.Number(kScreenHeight, m_screenHeight);
        out.Number(kScreenBPS, kScreenBits);
        out.Number(kScreenRefresh, m_screenRefresh);
    }
    return out.Ok();
}

void CPrPg_Graphic::Defaults()
{
    m_interval = 0;
    m_useStaticMapBuffer = 1;
    m_fullReflection = 0;
    m_filtering = 1;
    m_anisotropy = 1;
    m_textureQuality = 0;
    m_visibleRadius = 256;
    m_forceLinearFog = 0;
    if (!m_initialised)
        return;
    m_controls.texture = 2;
    m_controls.radius = 0;
    const std::string size = SizeText(kDefaultModeWidth, kDefaultModeHeight);
    for (size_t i = 0; i < m_controls.modes.size(); ++i) {
        if (BeginsWith(m_controls.modes[i], size)) {
            m_controls.mode = int(i);
            break;
        }
    }
    FillControls();
}
