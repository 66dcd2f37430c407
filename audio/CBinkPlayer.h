// CBinkPlayer: plays one video file to its end onto the picture surface, centred in the
// window's area or in an 800 x 600 full-screen area that the presenter scales into the window,
// while it keeps the message queue alive and lets the player skip the video. "X.bik" is read
// as the Ogg Theora file "X.ogv" beside it; only its picture is shown.
#pragma once

#include "audio/SoundResult.h"
#include "platform/video/surface.h"
#include "platform/video/video_file.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace plat::window {
class Window;
}

class CBinkPlayer {
public:
    using Counter = std::function<int64_t()>;
    using Sleeper = std::function<void(uint32_t milliseconds)>;

    CBinkPlayer();
    ~CBinkPlayer();
    CBinkPlayer(const CBinkPlayer&) = delete;
    CBinkPlayer& operator=(const CBinkPlayer&) = delete;

    // Negative on failure.
    SoundResult InitWindowed(plat::window::Window* window);
    SoundResult InitFullscreen(plat::window::Window* window, int width, int height, int bits);
    // Plays the file to its end (or until skipped); a missing file plays nothing. A close or
    // quit message, or the stop check answering true, ends it whether skippable or not.
    void Play(const char* file, bool skippable);
    // Polled between frames (a termination signal); none by default.
    void SetStopCheck(std::function<bool()> stop) { m_stop = std::move(stop); }
    // True once a close, a quit or the stop check ended a video.
    bool Stopped() const { return m_stopped; }
    void Close();

    // The frame pacer: owes the given microseconds of sleep and pays them in whole
    // milliseconds once more than one is owed, crediting what a sleep overran.
    int64_t Wait(int32_t microseconds);

    // Where pictures go (default: the process's presenter); set before Init.
    void SetPresenter(plat::video::Presenter presenter) { m_presenter = std::move(presenter); }
    // The counter (ticks at `frequency` a second) and sleep of the pacer, which also time the
    // video's frames.
    void SetPacerClock(Counter counter, int64_t frequency, Sleeper sleeper);

    // "Data\Video\logo1.bik" -> "Data\Video\logo1.ogv": any extension becomes ".ogv".
    static std::string VideoName(const char* file);

    int GetX() const { return m_x; }
    int GetY() const { return m_y; }
    int GetAreaWidth() const { return m_areaWidth; }
    int GetAreaHeight() const { return m_areaHeight; }
    bool IsFullscreen() const { return m_fullscreen != 0; }
    plat::video::Surface* GetSurface() { return m_surface.get(); }
    // Places a video of the given size in the area: centred, or at the area's corner when it
    // does not fit.
    void Centre(int videoWidth, int videoHeight);

private:
    SoundResult Open();
    // Shows the current frame; true when it was the last one.
    bool ShowFrame();
    // Handles one waiting message; true when it skips or stops the video.
    bool PumpMessage();
    void CloseVideo();

    uint8_t m_skippable = 0;
    bool m_stopped = false;
    std::function<bool()> m_stop;
    uint8_t m_fullscreen = 0;
    std::unique_ptr<plat::video::VideoFile> m_video;
    plat::window::Window* m_window = nullptr;
    int m_x = 0;
    int m_y = 0;
    int m_areaX = 0;
    int m_areaY = 0;
    int m_areaWidth = 0;
    int m_areaHeight = 0;
    int m_bits = 0;
    std::unique_ptr<plat::video::Surface> m_surface;
    int m_surfaceType = 0;
    int32_t m_pacerStarted = 0;
    int64_t m_pending = 0;
    int64_t m_overshoot = 0;
    int64_t m_frequency = 0;

    plat::video::Presenter m_presenter;
    Counter m_counter;
    int64_t m_counterFrequency;
    Sleeper m_sleeper;
};
