// Inside the window layer: the window's state and the drain's helpers. Includes SDL.
#pragma once

#include "platform/window/window.h"

#include <SDL2/SDL.h>

#include <string>
#include <vector>

namespace plat::window {

struct Window::Impl {
    Window* self = nullptr;
    SDL_Window* sdl = nullptr;
    uint32_t id = 0;
    std::string className;
    WindowProc procedure;
    Style style = Style::None;
    bool gl = false;
    bool visible = false;
    bool shownOnce = false; // a window never shown (a helper) is not the main window
    bool minimised = false;
    bool focused = false;
    bool textInput = false;
    bool confined = false;
    bool exclusiveMouse = false;
    bool relative = false; // the layer's rule, whether or not the driver has relative mode
    bool sdlRelative = false; // what SDL was last asked for
    bool relativeFailureLogged = false;
    Size logical;
    Size icon; // 0 x 0: none set
    double cursorX = 0.0;
    double cursorY = 0.0;

    void SetCursorFromWindowPoint(int x, int y);
    void MoveCursorBy(int dx, int dy);
};

// Live windows in creation order.
std::vector<Window*>& LiveWindows();
// The window an event belongs to; events without one (or with an unknown one) go to the main window.
Window* WindowOfEvent(const SDL_Event& event);
// Runs one event through state, listeners and messages: the drain's step, also used for the state
// changes the window's own calls make.
void HandleEvent(const SDL_Event& event);
// A window event as the driver would send it, handled at once.
void HandleWindowEvent(Window& window, SDL_WindowEventID kind);
// Re-applies the relative-mouse rule to one window or to all (after a cursor change).
void UpdateRelativeMode(Window& window);
void UpdateAllRelativeModes();
void QueueMessage(const Message& message);
// Drops the queued messages of a window that goes away.
void PurgeMessagesOf(const Window* window);
uint32_t LayerTime();

// SDL's video subsystem, counted.
bool AcquireVideo();
void ReleaseVideo();

} // namespace plat::window
