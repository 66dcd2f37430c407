// The program's message queue, Win32-shaped: one queue for the process, filled by the only SDL event
// drain (DrainEvents) and by PostMessage; PeekMessage takes from it, DispatchMessage hands a message to
// its window's procedure. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat::window {

class Window;

enum class MessageKind : uint16_t {
    None,
    KeyDown, // wParam key code (keys.h); lParam bit 0: auto-repeat
    KeyUp,
    SysKeyDown, // a key while Alt is held, Alt itself, or F10
    SysKeyUp,
    Char, // wParam one Windows-1251 byte
    SysCommand, // wParam a SysCommand
    Close,
    Destroy,
    Quit, // wParam the exit code; not bound to a window
    Activate, // wParam 1 active, 0 inactive
    ActivateApp, // wParam 1 active, 0 inactive
    Size, // wParam a SizeKind; lParam client width | height << 16
};

enum class SysCommand : uint32_t {
    Close = 1,
    Minimise = 2,
    Restore = 3,
};

enum class SizeKind : uint32_t {
    Restored = 0,
    Minimised = 1,
};

// Bit of a key message's lParam.
inline constexpr int64_t kKeyRepeat = 1;

struct Message {
    Window* window = nullptr;
    MessageKind kind = MessageKind::None;
    uint32_t wParam = 0;
    int64_t lParam = 0;
    uint32_t time = 0; // milliseconds since the layer started
};

// The queue holds at most this many messages; later ones are dropped with a debug line.
inline constexpr std::size_t kMaxQueuedMessages = 4096;

// Drains SDL's events into the queue, then gives the first message; with remove it is taken out.
bool PeekMessage(Message& out, bool remove);
// Characters come from the drain while text input is on (Window::SetTextInput), so translating a key
// message adds nothing; kept so the pump reads as designed.
void TranslateMessage(const Message& message);
// Calls the message's window procedure; a message without a live window answers 0.
int64_t DispatchMessage(const Message& message);
// What a window does with a message its procedure passes on: Close destroys the window, SysCommand
// Close sends Close, SysCommand Minimise and Restore act, Alt+F4 sends SysCommand Close.
int64_t DefaultWindowProc(Window& window, const Message& message);
// Calls the window procedure at once, as the default procedure's own steps do.
int64_t SendMessage(Window& window, const Message& message);
void PostMessage(const Message& message);
void PostQuitMessage(int exitCode);
// Empties the queue (tests, and a program that starts over).
void ClearMessages();

} // namespace plat::window
