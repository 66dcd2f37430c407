#include "platform/window/cursor.h"

#include "platform/win/debug.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

int g_displayCount = 0;
CursorShape g_shape = CursorShape::Arrow;

void Apply()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(IsCursorVisible() ? SDL_ENABLE : SDL_DISABLE);
    UpdateAllRelativeModes();
}

} // namespace

int ShowCursor(bool show)
{
    g_displayCount += show ? 1 : -1;
    Apply();
    return g_displayCount;
}

CursorShape SetCursorShape(CursorShape shape)
{
    CursorShape previous = g_shape;
    g_shape = shape;
    Apply();
    return previous;
}

int CursorDisplayCount()
{
    return g_displayCount;
}

bool IsCursorVisible()
{
    return g_displayCount >= 0 && g_shape != CursorShape::None;
}

bool CaptureMouse(bool capture)
{
    if (SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE) == 0)
        return true;
    if (capture)
        win::DebugOutput(std::string("CaptureMouse: SDL_CaptureMouse: ") + SDL_GetError());
    return false;
}

void ResetCursor()
{
    g_displayCount = 0;
    g_shape = CursorShape::Arrow;
    Apply();
}

} // namespace plat::window
