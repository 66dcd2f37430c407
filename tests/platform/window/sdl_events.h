// Test helpers: SDL events pushed into the queue the window layer drains. Pushed events do not touch
// SDL's own keyboard and mouse state, so tests read only the layers' state.
#pragma once

#include "platform/window/window.h"

#include <SDL2/SDL.h>

#include <cstring>
#include <ostream>
#include <string_view>

namespace plat::window {

inline void PrintTo(const Point& p, std::ostream* out)
{
    *out << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const Size& s, std::ostream* out)
{
    *out << s.width << " x " << s.height;
}
inline void PrintTo(const Rect& r, std::ostream* out)
{
    *out << "(" << r.x << ", " << r.y << ") " << r.width << " x " << r.height;
}

} // namespace plat::window

namespace test {

inline void Push(SDL_Event event)
{
    event.common.timestamp = SDL_GetTicks();
    SDL_PushEvent(&event);
}

inline void PushKey(
    const plat::window::Window& w, SDL_Scancode scancode, bool down, Uint16 mod = 0, bool repeat = false)
{
    SDL_Event e {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = w.Id();
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    e.key.keysym.mod = mod;
    Push(e);
}

inline void PushText(const plat::window::Window& w, std::string_view utf8)
{
    SDL_Event e {};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = w.Id();
    std::memcpy(e.text.text, utf8.data(), std::min(utf8.size(), sizeof(e.text.text) - 1));
    Push(e);
}

inline void PushWindowEvent(const plat::window::Window& w, SDL_WindowEventID kind)
{
    SDL_Event e {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = w.Id();
    e.window.event = Uint8(kind);
    Push(e);
}

inline void PushQuit()
{
    SDL_Event e {};
    e.type = SDL_QUIT;
    Push(e);
}

inline void PushMotion(const plat::window::Window& w, int x, int y, int xrel, int yrel)
{
    SDL_Event e {};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = w.Id();
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = xrel;
    e.motion.yrel = yrel;
    Push(e);
}

inline void PushButton(const plat::window::Window& w, Uint8 button, bool down, int x = 0, int y = 0)
{
    SDL_Event e {};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = w.Id();
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    Push(e);
}

inline void PushWheel(const plat::window::Window& w, int notches, bool flipped = false)
{
    SDL_Event e {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = w.Id();
    e.wheel.y = notches;
    e.wheel.preciseY = float(notches);
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    Push(e);
}

// Gives the window the focus as the driver would, and drains it.
inline void Focus(plat::window::Window& w, bool focused = true)
{
    PushWindowEvent(w, focused ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
    plat::window::DrainEvents();
}

} // namespace test
