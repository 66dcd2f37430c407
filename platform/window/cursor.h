// The system cursor, Win32-shaped: a display counter (visible while it is >= 0 and a shape is set)
// and a shape. Process-wide, like the platform's. The position is the window's (window.h).
#pragma once

namespace plat::window {

enum class CursorShape {
    None,
    Arrow,
};

// Raises (show) or lowers the display counter and returns its new value; starts at 0.
int ShowCursor(bool show);
// Returns the previous shape; starts as the arrow.
CursorShape SetCursorShape(CursorShape shape);
int CursorDisplayCount();
bool IsCursorVisible();
// Mouse capture: the window keeps the mouse while a button is held outside it. False when the driver
// cannot.
bool CaptureMouse(bool capture);

// Back to the start state (tests).
void ResetCursor();

} // namespace plat::window
