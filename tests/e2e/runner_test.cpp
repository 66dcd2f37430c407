// The step runner against a scripted game: which pass sends which input, when checks pass or
// fail, and the lines it prints.
#include "tests/e2e/E2ERunner.h"

#include "platform/input/key_names.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class FakeGame final : public e2e::E2EGame {
public:
    uint32_t State() const override { return state; }
    std::string Menu() const override { return menu; }
    uint32_t Action() const override { return action; }
    std::string Location() const override { return location; }
    bool Flying() const override { return flying; }
    bool FindControl(uint32_t command, int& x, int& y) const override
    {
        if (command != control)
            return false;
        x = 40;
        y = 60;
        return true;
    }
    void MoveMouse(int x, int y) override { Note("move " + std::to_string(x) + "," + std::to_string(y)); }
    void Button(uint16_t keyCode, bool down, int x, int y) override
    {
        Note("button " + std::to_string(keyCode - plat::input::kMouseCodeBase) + (down ? " down " : " up ")
            + std::to_string(x) + "," + std::to_string(y));
    }
    void Key(uint16_t keyCode, bool down) override
    {
        Note("key " + std::to_string(keyCode) + (down ? " down" : " up"));
    }
    void Text(const std::string& utf8) override { Note("text " + utf8); }
    void Close() override { Note("close"); }

    void Note(const std::string& what) { events.push_back(std::to_string(pass) + ": " + what); }

    uint32_t state = 0;
    std::string menu = "none";
    uint32_t action = 0;
    std::string location;
    bool flying = false;
    uint32_t control = 0;
    int pass = 0;
    std::vector<std::string> events;
};

class StepRunnerTest : public ::testing::Test {
protected:
    void Load(const char* script)
    {
        std::vector<e2e::Step> steps;
        std::string error;
        ASSERT_TRUE(e2e::ParseScript(script, steps, error)) << error;
        runner = std::make_unique<e2e::StepRunner>(std::move(steps), game, out);
    }
    // Runs passes until the script ends or fails, at most limit; the passes run.
    int Run(int limit = 10000)
    {
        for (game.pass = 1; game.pass <= limit; ++game.pass) {
            runner->Pass();
            if (runner->Finished() || runner->Failed())
                return game.pass;
        }
        return limit;
    }

    FakeGame game;
    std::ostringstream out;
    std::unique_ptr<e2e::StepRunner> runner;
};

TEST_F(StepRunnerTest, inputStepsTakeTheirPassesAndChecksNone)
{
    game.control = 3;
    game.menu = "start";
    Load("frames 2\nexpect menu=start\nkey Esc 3\nclick 3\ntext ab\nkey Mouse1\nquit\n");
    EXPECT_EQ(Run(), 13);
    EXPECT_FALSE(runner->Failed());
    EXPECT_EQ(game.events,
        (std::vector<std::string> { "3: key 1 down", "6: key 1 up", "7: move 40,60", "8: button 1 down 40,60",
            "9: button 1 up 40,60", "10: text ab", "11: button 1 down 0,0", "12: button 1 up 0,0",
            "13: close" }));
}

TEST_F(StepRunnerTest, printsOkPerStepInOrder)
{
    game.state = 1;
    Load("# start\nexpect state=1\nquit\n");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(out.str(), "ok 2 expect state=1\nok 3 quit\n");
    EXPECT_EQ(game.events, (std::vector<std::string> { "1: close" }));
}

TEST_F(StepRunnerTest, waitsUntilTheConditionHoldsOrItsLimit)
{
    Load("wait flying 5\nexpect flying\n");
    game.pass = 1;
    runner->Pass();
    runner->Pass();
    game.flying = true;
    runner->Pass();
    EXPECT_TRUE(runner->Finished());
    EXPECT_EQ(out.str(), "ok 1 wait flying 5\nok 2 expect flying\n");

    game.flying = false;
    game.state = 2;
    game.menu = "ingame";
    out.str("");
    Load("wait flying 5\n");
    EXPECT_EQ(Run(), 5);
    EXPECT_TRUE(runner->Failed());
    EXPECT_EQ(out.str(), "fail 1 wait flying 5: not reached in 5 passes (not flying: state=2 menu=ingame)\n");
}

TEST_F(StepRunnerTest, aFailedCheckNamesWhatItFound)
{
    game.location = "Data\\Maps\\location2.zjp";
    game.action = 1;
    const struct {
        const char* script;
        const char* line;
    } cases[] = {
        { "expect state=3", "fail 1 expect state=3: state=0\n" },
        { "expect menu=start", "fail 1 expect menu=start: menu=none\n" },
        { "expect action=0", "fail 1 expect action=0: action=1\n" },
        { "expect location=location1.zjp",
            "fail 1 expect location=location1.zjp: location=Data\\Maps\\location2.zjp\n" },
        { "expect flying", "fail 1 expect flying: not flying: state=0 menu=none\n" },
    };
    for (const auto& c : cases) {
        out.str("");
        Load(c.script);
        EXPECT_EQ(Run(), 1) << c.script;
        EXPECT_TRUE(runner->Failed()) << c.script;
        EXPECT_EQ(out.str(), c.line);
    }
    out.str("");
    Load("expect location=LOCATION2.ZJP\nexpect location=Data\\Maps\\location2.zjp\nexpect action=1");
    Run();
    EXPECT_FALSE(runner->Failed()) << out.str();
}

TEST_F(StepRunnerTest, aClickWaitsForItsControlThenGivesUp)
{
    Load("click 7\n");
    for (game.pass = 1; game.pass <= 10; ++game.pass)
        runner->Pass();
    EXPECT_TRUE(game.events.empty());
    game.control = 7;
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(game.events.front(), "1: move 40,60");

    game.control = 0;
    out.str("");
    Load("click 9\n");
    EXPECT_EQ(Run(), int(e2e::StepRunner::kClickWaitPasses));
    EXPECT_EQ(out.str(), "fail 1 click 9: no control with command 9 in menu=none\n");
}

TEST_F(StepRunnerTest, aFailureAfterTheLastStepNamesTheLastStep)
{
    Load("frames 1\n");
    Run();
    runner->Fail("the game did not end within 3000 passes");
    runner->Fail("a second failure prints nothing");
    EXPECT_EQ(out.str(), "ok 1 frames 1\nfail 1 frames 1: the game did not end within 3000 passes\n");
}

} // namespace
