#include "audio/CBinkPlayer.h"

#include "foundation/ErrorLog.h"
#include "platform/win/clock.h"
#include "platform/win/paths.h"
#include "platform/window/keys.h"
#include "platform/window/message.h"
#include "platform/window/window.h"

#include <algorithm>

namespace {
constexpr int kRestoreTries = 100;
}

CBinkPlayer::CBinkPlayer()
    : m_presenter(plat::video::DefaultPresenter())
    , m_counter(plat::win::CounterNow)
    , m_counterFrequency(plat::win::kCounterFrequency)
    , m_sleeper(plat::win::Sleep)
{
}

CBinkPlayer::~CBinkPlayer()
{
    Close();
}

void CBinkPlayer::SetPacerClock(Counter counter, int64_t frequency, Sleeper sleeper)
{
    m_counter = std::move(counter);
    m_counterFrequency = frequency > 0 ? frequency : 1000;
    m_sleeper = std::move(sleeper);
}

SoundResult CBinkPlayer::InitWindowed(plat::window::Window* window)
{
    Close();
    if (!window)
        return kSoundFail;
    m_window = window;
    const plat::window::Size client = window->ClientSize();
    m_areaX = 0;
    m_areaY = 0;
    m_areaWidth = client.width;
    m_areaHeight = client.height;
    m_fullscreen = 0;
    return Open();
}

SoundResult CBinkPlayer::InitFullscreen(plat::window::Window* window, int width, int height, int bits)
{
    Close();
    m_window = window;
    m_areaX = 0;
    m_areaY = 0;
    m_areaWidth = width;
    m_areaHeight = height;
    m_bits = bits;
    m_fullscreen = 1;
    return Open();
}

SoundResult CBinkPlayer::Open()
{
    if (m_areaWidth <= 0 || m_areaHeight <= 0) {
        Close();
        return kSoundFail;
    }
    // No display mode changes: the full-screen area is scaled into the window when shown.
    m_surface = std::make_unique<plat::video::Surface>(
        static_cast<uint32_t>(m_areaWidth), static_cast<uint32_t>(m_areaHeight), m_presenter);
    m_surfaceType = m_surface->SurfaceType();
    if (m_surfaceType <= 0) {
        Close();
        return kSoundFail;
    }
    return kSoundOk;
}

void CBinkPlayer::Close()
{
    CloseVideo();
    m_surface.reset();
    m_window = nullptr;
    m_fullscreen = 0;
    m_skippable = 0;
    m_x = m_y = 0;
    m_areaX = m_areaY = m_areaWidth = m_areaHeight = 0;
    m_bits = 0;
    m_surfaceType = 0;
    m_pacerStarted = 0;
}

void CBinkPlayer::CloseVideo()
{
    m_video.reset();
    m_pacerStarted = 0;
}

std::string CBinkPlayer::VideoName(const char* file)
{
    std::string name = file ? file : "";
    const size_t slash = name.find_last_of("\\/");
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    return name + ".ogv";
}

void CBinkPlayer::Centre(int videoWidth, int videoHeight)
{
    const int dx = m_areaWidth - videoWidth;
    const int dy = m_areaHeight - videoHeight;
    if (dx < 0 || dy < 0) {
        m_x = m_areaX;
        m_y = m_areaY;
        return;
    }
    m_x = m_areaX + dx / 2;
    m_y = m_areaY + dy / 2;
}

int64_t CBinkPlayer::Wait(int32_t microseconds)
{
    if (!m_pacerStarted) {
        m_pacerStarted = 1;
        m_pending = 0;
        m_overshoot = 0;
        m_frequency = 1000;
        m_frequency = m_counterFrequency;
    }
    m_pending += microseconds;
    const int64_t d = m_pending - m_overshoot;
    if (d <= 1000)
        return d;
    m_pending = d;
    const int64_t before = m_counter();
    m_sleeper(static_cast<uint32_t>(d / 1000));
    const int64_t after = m_counter();
    const int64_t slept = (after - before) * 1000000 / m_frequency;
    m_overshoot = slept - d;
    m_pending = d % 1000;
    return d / 1000;
}

bool CBinkPlayer::PumpMessage()
{
    if (m_stop && m_stop()) {
        m_stopped = true;
        return true;
    }
    plat::window::Message message;
    if (!plat::window::PeekMessage(message, true))
        return false;
    const bool close = (message.kind == plat::window::MessageKind::SysCommand
                           && message.wParam == uint32_t(plat::window::SysCommand::Close))
        || message.kind == plat::window::MessageKind::Close
        || message.kind == plat::window::MessageKind::Quit;
    if (close) {
        m_stopped = true;
        return true;
    }
    if (m_skippable) {
        const bool escape = message.kind == plat::window::MessageKind::KeyDown
            && message.wParam == plat::window::key::Escape;
        if (escape)
            return true;
    }
    plat::window::TranslateMessage(message);
    plat::window::DispatchMessage(message);
    return false;
}

bool CBinkPlayer::ShowFrame()
{
    m_video->DoFrame();
    uint8_t* bits = nullptr;
    uint32_t pitch = 0;
    plat::video::SurfaceResult locked = m_surface->Lock(bits, pitch);
    for (int tries = 0; locked == plat::video::SurfaceResult::Lost && tries < kRestoreTries; ++tries) {
        m_surface->Restore();
        locked = m_surface->Lock(bits, pitch);
    }
    if (locked == plat::video::SurfaceResult::Ok) {
        // At most twice the video's height from its top row, and never past the surface.
        const int64_t limit
            = std::min<int64_t>(m_surface->Height(), int64_t(m_y) + 2 * int64_t(m_video->Height()));
        m_video->CopyToBuffer(bits, pitch, static_cast<uint32_t>(std::max<int64_t>(limit, 0)), m_x, m_y);
        m_surface->Unlock();
    } else {
        WriteErrorLog("CBinkPlayer::ShowFrame Can`t lock surface");
    }
    if (m_video->FrameNum() == m_video->FrameCount())
        return true;
    m_video->NextFrame();
    return false;
}

void CBinkPlayer::Play(const char* file, bool skippable)
{
    m_skippable = skippable ? 1 : 0;
    if (!m_surface || !file)
        return;
    const int64_t frequency = m_counterFrequency;
    Counter counter = m_counter;
    m_video = std::make_unique<plat::video::VideoFile>(
        [counter, frequency] { return int64_t(double(counter()) * 1e9 / double(frequency)); });
    const auto path = plat::win::ResolvePath(VideoName(file));
    if (!path || !m_video->Open(*path)) {
        m_video.reset();
        return;
    }
    Centre(static_cast<int>(m_video->Width()), static_cast<int>(m_video->Height()));
    if (m_fullscreen) {
        if (PumpMessage()) {
            CloseVideo();
            return;
        }
        m_surface->Fill(0);
    }
    while (m_video) {
        if (m_video->Wait()) {
            Wait(500);
        } else if (ShowFrame()) {
            CloseVideo();
            return;
        }
        if (PumpMessage()) {
            CloseVideo();
            return;
        }
    }
}
