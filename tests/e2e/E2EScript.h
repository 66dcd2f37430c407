// The step scripts of zoq-e2e: one step a line, '#' starts a comment. Parsing checks every step
// and its arguments before the game starts, so a script error costs no game run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

inline constexpr int kDefaultWaitPasses = 3000;

enum class ConditionKind { State, Menu, Action, Location, Flying };

struct Condition {
    ConditionKind kind = ConditionKind::Flying;
    uint32_t number = 0; // state and action
    std::string text; // menu name and location file
};

enum class StepKind { Frames, Wait, Expect, Key, Click, Text, Quit };

struct Step {
    int line = 0;
    std::string source; // the step as written, without its comment
    StepKind kind = StepKind::Frames;
    uint32_t count = 0; // frames, the wait's limit, the passes a key is held
    Condition condition;
    uint16_t keyCode = 0; // a DICode.ini code: keyboard below 0x100, mouse buttons above
    uint32_t command = 0;
    std::string text;
};

// The menu names of menu=.
inline constexpr std::string_view kMenuNames[] = { "start", "ingame", "building", "saveload", "none" };

// False with "line N: reason" at the first step that does not parse.
bool ParseScript(std::string_view script, std::vector<Step>& steps, std::string& error);
// One condition as written after wait and expect; false with the reason.
bool ParseCondition(std::string_view word, Condition& condition, std::string& error);
std::string DescribeCondition(const Condition& condition);

} // namespace e2e
