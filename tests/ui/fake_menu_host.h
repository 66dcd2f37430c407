// A menu host whose mouse, keys, quit flag, device and state the test sets, counting what the
// menus ask of it.
#pragma once

#include "ui/CMenuHost.h"

#include <cstdint>
#include <functional>
#include <set>

namespace uitest {

class FakeMenuHost : public CMenuHost {
public:
    FakeMenuHost() { SetMenuHost(this); }
    ~FakeMenuHost() override { SetMenuHost(nullptr); }

    void ResetFrameCounters() override { ++frames; }
    void ScreenFadeIn() override { ++fadeIns; }
    double RunningTime() override { return runningTime; }
    void ProcessMessages() override
    {
        if (onPump)
            onPump();
    }
    bool QuitRequested() override { return quit; }
    plat::window::Point MousePosition() override { return mouse; }
    uint8_t MouseEvents(int button) override { return button == 0 ? leftEvents : 0; }
    bool KeyDown(uint8_t key) override { return keys.count(key) != 0; }
    bool CheckDevice(const plat::win::Process*) override
    {
        if (lostChecks == 0)
            return false;
        --lostChecks;
        return true;
    }
    uint32_t State() override { return state; }
    bool CursorShown() override { return cursorShown; }
    void ShowCursor(bool show) override { cursorShown = show; }

    int frames = 0;
    int fadeIns = 0;
    double runningTime = 0.0;
    bool quit = false;
    plat::window::Point mouse;
    uint8_t leftEvents = 0;
    std::set<uint8_t> keys;
    int lostChecks = 0;
    uint32_t state = 0;
    bool cursorShown = false;
    std::function<void()> onPump;
};

} // namespace uitest
