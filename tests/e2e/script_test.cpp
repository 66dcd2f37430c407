// The step scripts: every step and condition with its arguments, comments and blank lines, and
// the refusals with their line.
#include "tests/e2e/E2EScript.h"

#include "platform/input/key_names.h"

#include <gtest/gtest.h>

namespace {

using e2e::ConditionKind;
using e2e::StepKind;

TEST(E2EScriptTest, readsEveryStepWithItsArguments)
{
    std::vector<e2e::Step> steps;
    std::string error;
    ASSERT_TRUE(e2e::ParseScript("# a comment\n"
                                 "\n"
                                 "frames 5\r\n"
                                 "wait menu=start\n"
                                 "  wait state=3 40  # up to 40 passes\n"
                                 "expect flying\n"
                                 "key Esc\n"
                                 "key Mouse2 4\n"
                                 "click 102\n"
                                 "text  Ж and more \n"
                                 "quit\n"
                                 "expect location=location1.zjp\n"
                                 "expect action=1",
        steps, error))
        << error;
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].kind, StepKind::Frames);
    EXPECT_EQ(steps[0].count, 5u);
    EXPECT_EQ(steps[1].kind, StepKind::Wait);
    EXPECT_EQ(steps[1].condition.kind, ConditionKind::Menu);
    EXPECT_EQ(steps[1].condition.text, "start");
    EXPECT_EQ(steps[1].count, uint32_t(e2e::kDefaultWaitPasses));
    EXPECT_EQ(steps[2].source, "wait state=3 40");
    EXPECT_EQ(steps[2].condition.kind, ConditionKind::State);
    EXPECT_EQ(steps[2].condition.number, 3u);
    EXPECT_EQ(steps[2].count, 40u);
    EXPECT_EQ(steps[3].condition.kind, ConditionKind::Flying);
    EXPECT_EQ(steps[4].kind, StepKind::Key);
    EXPECT_EQ(steps[4].keyCode, 0x01);
    EXPECT_EQ(steps[4].count, 1u);
    EXPECT_EQ(steps[5].keyCode, plat::input::kMouseCodeBase + 2);
    EXPECT_EQ(steps[5].count, 4u);
    EXPECT_EQ(steps[6].command, 102u);
    EXPECT_EQ(steps[7].text, "Ж and more");
    EXPECT_EQ(steps[8].kind, StepKind::Quit);
    EXPECT_EQ(steps[9].condition.text, "location1.zjp");
    EXPECT_EQ(steps[10].condition.kind, ConditionKind::Action);
    EXPECT_EQ(steps[10].condition.number, 1u);
    EXPECT_EQ(steps[10].line, 13);
}

TEST(E2EScriptTest, refusesABadStepWithItsLine)
{
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        { "jump 3", "line 1: 'jump' is no step" },
        { "frames", "line 1: '' is no positive number" },
        { "frames 0", "line 1: '0' is no positive number" },
        { "\nframes -2", "line 2: '-2' is no positive number" },
        { "frames 2 3", "line 1: '3' is left over" },
        { "wait", "line 1: '' is no condition (state=N, menu=NAME, action=N, location=FILE, flying)" },
        { "wait speed=3",
            "line 1: 'speed=3' is no condition (state=N, menu=NAME, action=N, location=FILE, flying)" },
        { "wait state=",
            "line 1: 'state=' is no condition (state=N, menu=NAME, action=N, location=FILE, flying)" },
        { "expect state=x", "line 1: 'x' is no number" },
        { "expect menu=options", "line 1: 'options' is no menu (start, ingame, building, saveload, none)" },
        { "wait flying 0", "line 1: '0' is no positive number" },
        { "key NoSuchKey", "line 1: 'NoSuchKey' is no key or Mouse1-Mouse5 name of DICode.ini" },
        { "key Mouse6", "line 1: 'Mouse6' is no key or Mouse1-Mouse5 name of DICode.ini" },
        { "key Joy1", "line 1: 'Joy1' is no key or Mouse1-Mouse5 name of DICode.ini" },
        { "click", "line 1: '' is no positive number" },
        { "text", "line 1: text needs the text to type" },
        { "quit now", "line 1: 'now' is left over" },
    };
    for (const auto& c : cases) {
        std::vector<e2e::Step> steps;
        std::string error;
        EXPECT_FALSE(e2e::ParseScript(c.script, steps, error)) << c.script;
        EXPECT_EQ(error, c.error) << c.script;
        EXPECT_TRUE(steps.empty()) << c.script;
    }
}

} // namespace
