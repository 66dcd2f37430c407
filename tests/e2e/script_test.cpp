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

TEST(E2EScriptTest, readsTheStepsOfPlay)
{
    const struct {
        const char* source;
        StepKind kind;
        const char* text;
        uint32_t count;
    } cases[] = {
        { "set NET.RunServer=0", StepKind::Set, "0", 0 },
        { "set CONFIG.Video = ", StepKind::Set, "", 0 },
        { "fly B_L1_CEH", StepKind::Fly, "B_L1_CEH", e2e::kDefaultFlyPasses },
        { "fly GRP_BANDITS_1 500", StepKind::Fly, "GRP_BANDITS_1", 500 },
        { "fly -120.5,300", StepKind::Fly, "-120.5,300", e2e::kDefaultFlyPasses },
        { "aim GRP_BANDITS_2", StepKind::Aim, "GRP_BANDITS_2", 0 },
        { "fire 40", StepKind::Fire, "", 40 },
        { "link LINKJUMPTO 2 B_L2_TUNNEL", StepKind::Link, "LINKJUMPTO 2 B_L2_TUNNEL", 0 },
        { "shot start", StepKind::Shot, "start.bmp", 0 },
        { "report net.txt", StepKind::Report, "net.txt", 0 },
    };
    for (const auto& c : cases) {
        std::vector<e2e::Step> steps;
        std::string error;
        ASSERT_TRUE(e2e::ParseScript(c.source, steps, error)) << c.source << ": " << error;
        ASSERT_EQ(steps.size(), 1u);
        EXPECT_EQ(steps[0].kind, c.kind) << c.source;
        EXPECT_EQ(steps[0].text, c.text) << c.source;
        EXPECT_EQ(steps[0].count, c.count) << c.source;
    }
    std::vector<e2e::Step> steps;
    std::string error;
    ASSERT_TRUE(e2e::ParseScript("set A.B.C=x y\nset NET.Port=1\nfly 10,-20 7\nfly 10,x", steps, error))
        << error;
    EXPECT_EQ(steps[0].section, "A");
    EXPECT_EQ(steps[0].key, "B.C");
    EXPECT_EQ(steps[0].text, "x y");
    EXPECT_TRUE(steps[2].atPoint);
    EXPECT_EQ(steps[2].x, 10.0f);
    EXPECT_EQ(steps[2].y, -20.0f);
    EXPECT_FALSE(steps[3].atPoint);
}

TEST(E2EScriptTest, readsTheConditionsOfPlay)
{
    const struct {
        const char* source;
        ConditionKind kind;
        const char* text;
        uint32_t number;
    } cases[] = {
        { "wait dead=GRP_BANDITS_1", ConditionKind::Dead, "GRP_BANDITS_1", 0 },
        { "expect kills=2", ConditionKind::Kills, "2", 2 },
        { "expect has=TOV_CRYSTAL 1", ConditionKind::Has, "TOV_CRYSTAL", 1 },
        { "wait has=TOV_CRYSTAL 0 50", ConditionKind::Has, "TOV_CRYSTAL", 0 },
        { "expect money>=1500", ConditionKind::Money, "1500", 1500 },
        { "wait quest=Q_DEMO done 100", ConditionKind::Quest, "Q_DEMO", 0 },
        { "expect file=SAVES\\ZJ_1.sav", ConditionKind::File, "SAVES\\ZJ_1.sav", 0 },
        { "wait remote-glider", ConditionKind::RemoteGlider, "", 0 },
        { "expect log-clean", ConditionKind::LogClean, "", 0 },
    };
    for (const auto& c : cases) {
        std::vector<e2e::Step> steps;
        std::string error;
        ASSERT_TRUE(e2e::ParseScript(c.source, steps, error)) << c.source << ": " << error;
        EXPECT_EQ(steps[0].condition.kind, c.kind) << c.source;
        EXPECT_EQ(steps[0].condition.text, c.text) << c.source;
        EXPECT_EQ(steps[0].condition.number, c.number) << c.source;
    }
}

TEST(E2EScriptTest, refusesABadStepWithItsLine)
{
    const std::string kConditions = "(state=N, menu=NAME, action=N, location=FILE, flying, dead=MACHINE, "
                                    "kills=N, has=GOOD N, money>=N, quest=KEY done, file=PATH, "
                                    "remote-glider, log-clean)";
    const struct {
        const char* script;
        std::string error;
    } cases[] = {
        { "jump 3", "line 1: 'jump' is no step" },
        { "frames", "line 1: '' is no positive number" },
        { "frames 0", "line 1: '0' is no positive number" },
        { "\nframes -2", "line 2: '-2' is no positive number" },
        { "frames 2 3", "line 1: '3' is left over" },
        { "wait", "line 1: '' is no condition " + kConditions },
        { "wait speed=3", "line 1: 'speed=3' is no condition " + kConditions },
        { "wait state=", "line 1: 'state=' is no condition " + kConditions },
        { "expect state=x", "line 1: 'x' is no number" },
        { "expect menu=options", "line 1: 'options' is no menu (start, ingame, building, saveload, none)" },
        { "wait flying 0", "line 1: '0' is no positive number" },
        { "key NoSuchKey", "line 1: 'NoSuchKey' is no key or Mouse1-Mouse5 name of DICode.ini" },
        { "key Mouse6", "line 1: 'Mouse6' is no key or Mouse1-Mouse5 name of DICode.ini" },
        { "key Joy1", "line 1: 'Joy1' is no key or Mouse1-Mouse5 name of DICode.ini" },
        { "click", "line 1: '' is no positive number" },
        { "text", "line 1: text needs the text to type" },
        { "quit now", "line 1: 'now' is left over" },
        { "frames 2\nset NET.RunServer=0", "line 2: set comes before every other step" },
        { "set NET", "line 1: 'NET' is no SECTION.KEY=VALUE" },
        { "set NET.=1", "line 1: 'NET.=1' is no SECTION.KEY=VALUE" },
        { "set .Key=1", "line 1: '.Key=1' is no SECTION.KEY=VALUE" },
        { "fly", "line 1: fly needs an object name or X,Y" },
        { "fly B_L1_CEH 0", "line 1: '0' is no positive number" },
        { "aim", "line 1: aim needs a machine name" },
        { "aim A B", "line 1: 'B' is left over" },
        { "fire", "line 1: '' is no positive number" },
        { "link", "line 1: link needs its target" },
        { "shot", "line 1: '' is no file name" },
        { "shot a/b", "line 1: 'a/b' is no file name" },
        { "report ..\\net.txt", "line 1: '..\\net.txt' is no file name" },
        { "expect kills=two", "line 1: 'two' is no number" },
        { "expect money>=-1", "line 1: '-1' is no number" },
        { "expect money=1", "line 1: 'money=1' is no condition " + kConditions },
        { "expect has=TOV_CRYSTAL", "line 1: has=TOV_CRYSTAL needs a count, not ''" },
        { "wait quest=Q_DEMO 30", "line 1: quest=Q_DEMO needs 'done'" },
        { "expect dead=", "line 1: 'dead=' is no condition " + kConditions },
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
