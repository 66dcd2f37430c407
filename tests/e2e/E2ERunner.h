// The step runner of zoq-e2e: called once per pump pass, it checks the game's state and sends
// the input of the current step. It sees the game only through E2EGame, so the tests drive it
// with a scripted fake.
#pragma once

#include "tests/e2e/E2EScript.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// What the runner reads from the game and the input it sends.
class E2EGame {
public:
    virtual ~E2EGame() = default;
    virtual uint32_t State() const = 0;
    // One of kMenuNames, or "other" for a menu without a name.
    virtual std::string Menu() const = 0;
    // The pending location action's code, 0 when none is pending.
    virtual uint32_t Action() const = 0;
    virtual std::string Location() const = 0;
    virtual bool Flying() const = 0;
    // The centre of the running menu's visible, enabled control with the command; false without.
    virtual bool FindControl(uint32_t command, int& x, int& y) const = 0;
    virtual void MoveMouse(int x, int y) = 0;
    virtual void Button(uint16_t keyCode, bool down, int x, int y) = 0;
    virtual void Key(uint16_t keyCode, bool down) = 0;
    virtual void Text(const std::string& utf8) = 0;
    virtual void Close() = 0;
};

// Whether the game's state meets the condition; else the reason, naming what it found.
bool Holds(const E2EGame& game, const Condition& condition, std::string& reason);

class StepRunner {
public:
    // Passes a click waits for its control to appear.
    static constexpr uint32_t kClickWaitPasses = 600;

    StepRunner(std::vector<Step> steps, E2EGame& game, std::ostream& out);

    // One pump pass: carries the current step on and prints its "ok" or "fail" line.
    void Pass();
    bool Finished() const { return m_next >= m_steps.size(); }
    bool Failed() const { return m_failed; }
    // Prints the failure of the current step (the last one when every step is done).
    void Fail(const std::string& reason);

private:
    // One pass of the current step; true when it is done.
    bool Run(const Step& step);
    void Finish(const Step& step);

    std::vector<Step> m_steps;
    E2EGame& m_game;
    std::ostream& m_out;
    size_t m_next = 0;
    uint32_t m_passes = 0; // passes the current step has run
    int m_clickX = 0;
    int m_clickY = 0;
    uint32_t m_clickPhase = 0;
    bool m_failed = false;
};

} // namespace e2e
