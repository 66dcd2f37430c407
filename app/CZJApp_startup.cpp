// The application's start-up steps: the command line, the display parameters and the device
// made from them, and the logo videos.
#include "app/CZJApp.h"
#include "app/CommandLine.h"
#include "app/GameSettings.h"
#include "audio/CBinkPlayer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "platform/window/cursor.h"
#include "render/Graphic.h"

#include <cstdio>

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

bool CZJApp::InitGraphic(const SDisplayParams& p)
{
    ZJ_TRACE("CZJApp::InitGraphic");
    if (!g_Graphic.CreateDirect3D())
        return false;
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
    if (!SoundFailed(player.InitFullscreen(m_window.get(), 800, 600, 32))) {
        for (const char* video : kLogoVideos)
            player.Play(video, skippable);
    }
    player.Close();
    plat::window::CaptureMouse(false);
}
