// Shared by the dialog layer's sources: one ImGui context per loop level, the events waiting for it,
// and the window, GL context and textures that all levels share.
#pragma once

#include "platform/dialog/dialog.h"
#include "platform/window/event_listener.h"

#include <SDL2/SDL_events.h>
#include <imgui.h>

#include <chrono>
#include <deque>
#include <map>

namespace plat::dialog {

struct Level {
    Dialog::Impl& dialog;
    size_t index = 0; // the nesting depth it draws at
    ImGuiContext* context = nullptr;
    std::deque<SDL_Event> pending; // events for this level not yet given to ImGui
    FrameRecord record; // the frame being built
    std::chrono::steady_clock::time_point lastFrame {};
    bool modal = false; // drawn as a box with a caption instead of filling the window
    std::string caption; // UTF-8
    bool enterPressed = false; // in this frame
    bool escapePressed = false;
    // The open sheet: its record's index and the tab count so far.
    size_t sheetRecord = 0;
    int tabCount = 0;
};

struct Picture {
    const uint32_t* argb = nullptr;
    int width = 0;
    int height = 0;
    unsigned texture = 0;
};

struct Loop {
    bool ended = false;
    int result = 0;
};

void ClearFrame(int width, int height);
void ReadFrame(int width, int height, Pixels& out);
unsigned UploadPicture(unsigned texture, const Image& image);
void DeletePicture(unsigned texture);
// A copy of the last full-window frame's draw lists, drawn again behind modal boxes (the window is
// cleared every frame, and the outer loop's own lists are being rebuilt while a box is open).
struct Backdrop {
    Backdrop() = default;
    ~Backdrop();
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;
    void Clear();
    void Keep(const ImDrawData& drawn);

    std::vector<ImDrawList*> lists;
    ImDrawData data;
};

struct Dialog::Impl final : window::EventListener {
    ~Impl();
    void OnSdlEvent(const void* sdlEvent) override;

    Level& ActiveLevel();
    Level& LevelAt(size_t index);
    int RunLoop(Level& level, const DrawFn& draw, const TickFn& tick, int timerMs, int closeResult);
    // One frame of the level: takes the pending events, draws, shows, records.
    void DrawLevel(Level& level, const DrawFn& draw);
    void PumpMessages();
    void ApplyEvents(Level& level);
    unsigned PictureTexture(int id, const Image& image);

    std::unique_ptr<window::Window> window;
    std::unique_ptr<window::GlContext> gl;
    std::vector<std::unique_ptr<Level>> levels; // created on first use, kept for the next loop
    size_t active = 0; // the level that takes events and draws
    std::vector<Loop> loops; // running loops, innermost last
    bool closeRequested = false;
    bool keepPixels = false;
    bool fontWarned = false;
    FrameRecord lastRecord;
    Pixels lastPixels;
    std::function<void()> observer;
    std::map<int, Picture> pictures;
    Backdrop backdrop;
};

} // namespace plat::dialog
