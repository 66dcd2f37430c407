// Scripts a dialog's frames: clicks at the frame record's rectangles and actions run in turn a few
// frames apart while the dialog's own loop runs.
#pragma once

#include "platform/dialog/dialog.h"
#include "tests/platform/window/sdl_events.h"

#include <chrono>
#include <functional>
#include <vector>

namespace zoq::test {

// An action of a script: true once it has done its part.
using DialogAction = std::function<bool()>;

inline void ClickControl(plat::dialog::Dialog& dialog, const plat::dialog::ControlRecord& c)
{
    const int x = c.rect.x + c.rect.width / 2;
    const int y = c.rect.y + c.rect.height / 2;
    ::test::PushMotion(dialog.Window(), x, y, 0, 0);
    ::test::PushButton(dialog.Window(), SDL_BUTTON_LEFT, true, x, y);
    ::test::PushButton(dialog.Window(), SDL_BUTTON_LEFT, false, x, y);
}

// Clicks the control (of the value, unless -2) once it is in the dialog's last frame.
inline DialogAction ClickOn(
    plat::dialog::Dialog& dialog, int id, plat::dialog::ControlKind kind, int value = -2)
{
    return [&dialog, id, kind, value] {
        for (const plat::dialog::ControlRecord& c : dialog.LastFrame().controls) {
            if (c.id == id && c.kind == kind && (value == -2 || c.value == value)) {
                ClickControl(dialog, c);
                return true;
            }
        }
        return false;
    };
}

// Runs loop while the actions run in turn, a few frames apart; frames keep coming, and a script
// that stalls past the limit closes the dialog. Answers how many actions ran.
inline size_t ScriptDialog(plat::dialog::Dialog& dialog, const std::function<void()>& loop,
    const std::vector<DialogAction>& actions, std::chrono::seconds limit)
{
    size_t next = 0;
    int wait = 2; // the first frames lay the window out
    const auto deadline = std::chrono::steady_clock::now() + limit;
    dialog.SetFrameObserver([&] {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the script stalled at action " << next;
            dialog.RequestClose();
            return;
        }
        if (wait > 0) {
            --wait;
        } else if (next < actions.size() && actions[next]()) {
            ++next;
            wait = 3;
            return;
        }
        ::test::PushWindowEvent(dialog.Window(), SDL_WINDOWEVENT_EXPOSED);
    });
    loop();
    dialog.SetFrameObserver({});
    return next;
}

} // namespace zoq::test
