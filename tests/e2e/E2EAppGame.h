// E2EGame over the running game: g_pZJApp, its running menu, the engine's pending action and the
// player's glider; input goes into the window layer's queue as SDL events.
#pragma once

#include "tests/e2e/E2ERunner.h"

namespace e2e {

class E2EAppGame final : public E2EGame {
public:
    // True once the game has its window, before which no step runs.
    static bool Ready();
    // The window gains the focus, as a desktop gives it to a new window: the input devices need it.
    static void Focus();

    uint32_t State() const override;
    std::string Menu() const override;
    uint32_t Action() const override;
    std::string Location() const override;
    bool Flying() const override;
    bool FindControl(uint32_t command, int& x, int& y) const override;
    void MoveMouse(int x, int y) override;
    void Button(uint16_t keyCode, bool down, int x, int y) override;
    void Key(uint16_t keyCode, bool down) override;
    void Text(const std::string& utf8) override;
    void Close() override;
};

} // namespace e2e
