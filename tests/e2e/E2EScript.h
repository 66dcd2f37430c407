// The step scripts of zoq-e2e: one step a line, '#' starts a comment. Parsing checks every step
// and its arguments before the game starts, so a script error costs no game run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

inline constexpr int kDefaultWaitPasses = 3000;
inline constexpr int kDefaultFlyPasses = 3000;

enum class ConditionKind {
    State,
    Menu,
    Action,
    Location,
    Flying,
    Dead,
    Kills,
    Has,
    Money,
    Quest,
    File,
    RemoteGlider,
    LogClean
};

struct Condition {
    ConditionKind kind = ConditionKind::Flying;
    uint32_t number = 0; // state, action, kills, the count of has, the least money
    std::string text; // menu name, location file, machine, good, quest key, file path
};

enum class StepKind { Set, Frames, Wait, Expect, Key, Click, Text, Quit, Fly, Aim, Fire, Link, Shot, Report };

struct Step {
    int line = 0;
    std::string source; // the step as written, without its comment
    StepKind kind = StepKind::Frames;
    uint32_t count = 0; // frames, the wait's and fly's limits, the passes a key or fire is held
    Condition condition;
    uint16_t keyCode = 0; // a DICode.ini code: keyboard below 0x100, mouse buttons above
    uint32_t command = 0;
    // The typed text, set's value, fly's and aim's object, link's target, shot's and report's file.
    std::string text;
    std::string section; // set
    std::string key; // set
    bool atPoint = false; // fly to x, y rather than to a named object
    float x = 0.0f;
    float y = 0.0f;
};

// The menu names of menu=.
inline constexpr std::string_view kMenuNames[] = { "start", "ingame", "building", "saveload", "none" };

// False with "line N: reason" at the first step that does not parse. Set steps come first.
bool ParseScript(std::string_view script, std::vector<Step>& steps, std::string& error);
// One condition as written after wait and expect, taking its words from the front of text (has
// and quest take two); false with the reason.
bool ParseCondition(std::string_view& text, Condition& condition, std::string& error);

} // namespace e2e
