// The step runner of zoq-e2e: called once per pump pass, it checks the game's state and sends
// the input of the current step. It sees the game only through E2EGame, so the tests drive it
// with a scripted fake.
#pragma once

#include "tests/e2e/E2EScript.h"

#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// World units; z is up.
struct Point3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct GliderState {
    uint32_t id = 0; // network id; its top 12 bits name the owning player
    Point3 position;
};

enum class Binding { Forward, Fire };

// What the runner reads from the game and the input it sends. Paths are relative to the game
// folder and may use backslashes.
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

    // Writes SECTION.KEY=VALUE into the game folder's cfg.ini; false when it cannot.
    virtual bool SetConfig(const std::string& section, const std::string& key, const std::string& value) = 0;
    // The code bound to the action (see Key and Button), 0 when unbound.
    virtual uint16_t BindingCode(Binding action) const = 0;
    // The player's glider and its aim (a unit vector); false without a glider.
    virtual bool Self(GliderState& self, Point3& aim) const = 0;
    // The way to a named object: for a building a point straight before its door, then the door
    // (so the glider ends in the approach box facing the door, where the building pulls it in);
    // else a machine's glider, a group or a helper point alone.
    virtual bool Find(const std::string& name, std::vector<Point3>& route) const = 0;
    // Mouse motion that turns the aim towards the point.
    virtual void Steer(const Point3& target) = 0;
    // The centre of the first link to the target in the running menu's mark-up window; a link out
    // of view is scrolled towards it and found on a later call.
    virtual bool FindLink(const std::string& target, int& x, int& y) = 0;
    // The names of the screenshots "screen%d.bmp" in the game folder.
    virtual std::vector<std::string> Screenshots() const = 0;
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
    virtual bool HasFile(const std::string& path) const = 0;
    // False for an unknown machine; else whether it is dead.
    virtual bool MachineDead(const std::string& name, bool& dead) const = 0;
    // The script manager's total of the player's kills.
    virtual uint32_t Kills() const = 0;
    // Units of the good in the player's hold.
    virtual uint32_t Goods(const std::string& good) const = 0;
    virtual double Money() const = 0;
    virtual bool QuestDone(const std::string& key) const = 0;
    virtual std::vector<GliderState> RemoteGliders() const = 0;
    // What this run added to the error log and NULL lines to the ID logs; empty when nothing.
    virtual std::string LogProblems() const = 0;
    virtual int64_t WallClockMs() const = 0;
};

// Whether the game's state meets the condition; else the reason, naming what it found.
bool Holds(const E2EGame& game, const Condition& condition, std::string& reason);

class StepRunner {
public:
    // Passes a click waits for its control to appear.
    static constexpr uint32_t kClickWaitPasses = 600;
    // Passes shot waits for its screenshot.
    static constexpr uint32_t kShotWaitPasses = 100;
    // Passes aim waits for the machine's glider and turns before it gives up.
    static constexpr uint32_t kAimPasses = 600;
    // Horizontal distance at which fly arrives.
    static constexpr float kArrivalDistance = 40.0f;
    // How close beside the target (horizontally) the aim passes when aim is done.
    static constexpr float kAimMiss = 3.0f;
    static constexpr int64_t kReportPeriodMs = 1000;

    StepRunner(std::vector<Step> steps, E2EGame& game, std::ostream& out);

    // Before the game starts: carries out the set steps the script begins with; false on a failure.
    bool ApplySettings();
    // One pump pass: writes the report line when due, carries the current step on and prints its
    // "ok" or "fail" line.
    void Pass();
    bool Finished() const { return m_next >= m_steps.size(); }
    bool Failed() const { return m_failed; }
    // Prints the failure of the current step (the last one when every step is done).
    void Fail(const std::string& reason);

private:
    // One pass of the current step; true when it is done.
    bool Run(const Step& step);
    void Finish(const Step& step);
    // Holds the bound action's key or button: down on the first pass, up after count passes.
    bool Hold(uint16_t code, uint32_t count);
    void Press(uint16_t code, bool down);
    // Moves the pointer to the spot, then presses and releases the left button there.
    bool ClickAt(bool found, int x, int y, const std::string& missing);
    bool Fly(const Step& step);
    bool Aim(const Step& step);
    bool Shot(const Step& step);
    void Report();

    std::vector<Step> m_steps;
    E2EGame& m_game;
    std::ostream& m_out;
    size_t m_next = 0;
    uint32_t m_passes = 0; // passes the current step has run
    int m_clickX = 0;
    int m_clickY = 0;
    uint32_t m_clickPhase = 0;
    size_t m_waypoint = 0; // of the route fly follows
    std::vector<std::string> m_shotsBefore;
    std::ofstream m_report;
    int64_t m_nextReportMs = 0;
    bool m_failed = false;
};

} // namespace e2e
