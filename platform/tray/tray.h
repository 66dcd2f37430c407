// The notification-area icon of a program without a window, on a console. Adding the icon
// prints its tip and how to close the program; Ctrl+C (SIGINT) or SIGTERM stands for the
// right click on the icon, and its popup menu answers with its close item. Without an icon a
// signal asks the program to quit at once. Signals only set a flag: the program sees them as
// messages when it next takes one.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace plat::tray {

enum class MessageKind {
    Quit, // param1: the exit code
    Null, // wakes the loop, means nothing
    Callback, // an icon event: message is the icon's callback, param1 its id, param2 the event
};

enum class IconEvent : uint32_t { RightButtonUp = 1 };

struct Message {
    MessageKind kind = MessageKind::Null;
    uint32_t message = 0;
    uint32_t param1 = 0;
    uint32_t param2 = 0;
};

struct MenuItem {
    uint32_t command = 0;
    std::string_view text; // Windows-1251
};

// Routes SIGINT and SIGTERM to the close flag. Call once, early.
void CatchCloseSignals();
// True when a close signal is waiting to be taken as a message.
bool ClosePending();

// Prints "<tip> [<closeItem>: Ctrl+C]" on stdout (texts are Windows-1251). One icon at a time.
bool AddIcon(uint32_t id, uint32_t callbackMessage, std::string_view tip, std::string_view closeItem);
void RemoveIcon();

// Takes one message if there is one: a posted message first, then a close signal (as the
// icon's right-button release, or as Quit 0 when there is no icon).
bool TakeMessage(Message& out);
void PostQuit(uint32_t exitCode);
void PostNull();

// Shows the popup menu and returns the chosen command, 0 for none. A console cannot show it:
// it was opened by a close signal, so the first item (the close item) is chosen.
uint32_t TrackMenu(std::span<const MenuItem> items);
// Nothing to bring forward on a console.
void SetForeground();

} // namespace plat::tray
