// The application's start-up steps: the command line, the display parameters and the device
// made from them, and the logo videos.
#include "app/CZJApp.h"
#include "app/CommandLine.h"
#include "app/GameData.h"
#include "app/GameSettings.h"
#include "audio/CBinkPlayer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/adapter.h"
#include "platform/win/text.h"
#include "platform/window/cursor.h"
#include "platform/window/display.h"
#include "render/Graphic.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using plat::gfx::Format;
using plat::gfx::MultiSample;
using plat::gfx::PresentInterval;

namespace {

constexpr const char* kLogoVideos[] = {
    "Data\\Video\\logo1.bik",
    "Data\\Video\\logo2.bik",
    "Data\\Video\\logo3.bik",
    "Data\\Video\\logo4.bik",
};

PresentInterval IntervalOf(uint32_t interval)
{
    return interval <= 1 ? PresentInterval::One : PresentInterval::Two;
}

std::string SizeText(uint32_t width, uint32_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

constexpr uint32_t kAdapter = 0; // the display parameters' adapter is always 0

// The device adapter's display modes, as the device checks a full-screen size against them.
std::vector<plat::gfx::DisplayMode> AdapterModes()
{
    std::vector<plat::gfx::DisplayMode> modes;
    if (plat::gfx::Adapter* adapter = g_Graphic.GetDirect3D()) {
        const uint32_t count = adapter->GetAdapterModeCount(kAdapter);
        for (uint32_t i = 0; i < count; ++i) {
            plat::gfx::DisplayMode mode;
            if (plat::gfx::Succeeded(adapter->EnumAdapterModes(kAdapter, i, mode)))
                modes.push_back(mode);
        }
    }
    return modes;
}

bool FullScreenModeAvailable(uint32_t width, uint32_t height)
{
    if (!plat::window::FullScreenAvailable())
        return false;
    const std::vector<plat::gfx::DisplayMode> modes = AdapterModes();
    return std::any_of(modes.begin(), modes.end(),
        [&](const plat::gfx::DisplayMode& mode) { return mode.width == width && mode.height == height; });
}

// The adapter's mode of another size closest to the given one.
std::optional<plat::gfx::DisplayMode> NearestMode(uint32_t width, uint32_t height)
{
    std::optional<plat::gfx::DisplayMode> nearest;
    int64_t best = 0;
    for (const plat::gfx::DisplayMode& mode : AdapterModes()) {
        const int64_t distance = std::abs(int64_t(mode.width) - int64_t(width))
            + std::abs(int64_t(mode.height) - int64_t(height));
        if (distance == 0 || (nearest && distance >= best))
            continue;
        nearest = mode;
        best = distance;
    }
    return nearest;
}

} // namespace

void CZJApp::ParseCommandLine(const char* commandLine)
{
    if (!commandLine)
        return;
    for (const SCommandLinePair& pair : ScanCommandLine(commandLine)) {
        if (pair.name == "m") {
            if (pair.cut || pair.value.size() > kMaxLocationName) {
                WriteErrorLog("CZJApp::ParseCommandLine: the location name is longer than 127 characters");
                continue;
            }
            std::snprintf(startLocationFile, sizeof startLocationFile, "%s", pair.value.c_str());
        } else if (plat::win::EqualNoCase1251(pair.name, "freecamera")) {
            freeCamera = 1;
        }
    }
}

void CZJApp::GetDisplayParams(SDisplayParams& params)
{
    const SGameSettings& s = GameSettings;
    params.adapter = 0;
    params.width = uint32_t(s.ScreenWidth);
    params.height = uint32_t(s.ScreenHeight);
    params.bitsPerPixel = uint32_t(s.ScreenBPS);
    if (s.ScreenBPS == 16)
        params.format = Format::R5G6B5;
    else if (s.ScreenBPS == 32)
        params.format = Format::X8R8G8B8;
    params.refresh = uint32_t(s.ScreenRefresh);
    params.useInterval = s.Interval != 0 ? 1 : 0;
    params.windowed = s.Windowed ? 1 : 0;
    params.multiSample = uint32_t(s.Antializing);
    params.filtering = uint32_t(s.Filtering);
    params.anisotropy = uint32_t(s.Anosotropy);
    if (s.Interval != 0)
        params.interval = s.Interval >= 1 && s.Interval <= 32 ? 1u << (s.Interval - 1) : 0;
    params.forceScreenShots = s.ForceScreenShots ? 1 : 0;
    if (s.Windowed && m_window) {
        m_window->Move(0, 0);
        m_window->SetClientSize(640, 480);
    }
}

bool CZJApp::InitGraphic(const SDisplayParams& asked)
{
    ZJ_TRACE("CZJApp::InitGraphic");
    if (!g_Graphic.CreateDirect3D())
        return false;
    SDisplayParams p = asked;
    if (!p.windowed && !FullScreenModeAvailable(p.width, p.height)) {
        WriteErrorLog("ZOQ: full screen " + SizeText(p.width, p.height)
            + " is not available on this display: a window of that size is used");
        p.windowed = 1;
        GameSettings.Windowed = true;
        if (m_window)
            m_window->SetClientSize(int(p.width), int(p.height));
    }
    if (CreateDevice(p))
        return true;
    const std::optional<plat::gfx::DisplayMode> nearest = NearestMode(p.width, p.height);
    if (!nearest)
        throw XStartupFault { "ZOQ: the graphics device refused " + SizeText(p.width, p.height)
            + " and the display offers no other mode" };
    WriteErrorLog("ZOQ: the graphics device refused " + SizeText(p.width, p.height) + ": "
        + SizeText(nearest->width, nearest->height) + " is used");
    p.width = nearest->width;
    p.height = nearest->height;
    GameSettings.ScreenWidth = int32_t(nearest->width);
    GameSettings.ScreenHeight = int32_t(nearest->height);
    if (p.windowed && m_window)
        m_window->SetClientSize(int(nearest->width), int(nearest->height));
    if (!CreateDevice(p))
        throw XStartupFault { "ZOQ: the graphics device refused every display mode" };
    return true;
}

bool CZJApp::CreateDevice(const SDisplayParams& p)
{
    MultiSample multiSample
        = p.multiSample >= 2 && p.multiSample <= 8 ? MultiSample(p.multiSample) : MultiSample::None;
    if (!g_Graphic.CheckDisplayMode(int32_t(p.adapter), int32_t(p.width), int32_t(p.height),
            int32_t(p.bitsPerPixel), p.format, int32_t(p.refresh), int32_t(p.useInterval), p.windowed != 0,
            multiSample, p.filtering, p.anisotropy, IntervalOf(p.interval), p.forceScreenShots != 0))
        multiSample = MultiSample::None;
    return g_Graphic.CreateDevice(int32_t(p.adapter), int32_t(p.width), int32_t(p.height),
        int32_t(p.bitsPerPixel), p.format, int32_t(p.refresh), int32_t(p.useInterval), p.windowed != 0,
        multiSample, p.filtering, p.anisotropy, IntervalOf(p.interval), p.forceScreenShots != 0,
        &m_deviceWindow);
}

void CZJApp::PlayLogoVideos(bool skippable)
{
    plat::window::CaptureMouse(true);
    CBinkPlayer player;
    player.SetStopCheck([] { return CApplication::QuitRequestPending(); });
    if (!SoundFailed(player.InitFullscreen(m_window.get(), 800, 600, 32))) {
        for (const char* video : kLogoVideos) {
            player.Play(video, skippable);
            if (player.Stopped()) {
                SetQuit(1);
                break;
            }
        }
    }
    player.Close();
    plat::window::CaptureMouse(false);
}
