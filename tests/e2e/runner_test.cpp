// The step runner against a scripted game: which pass sends which input, when checks pass or
// fail, and the lines it prints.
#include "tests/e2e/E2ERunner.h"

#include "platform/input/key_names.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <unistd.h>

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

    bool SetConfig(const std::string& section, const std::string& key, const std::string& value) override
    {
        Note("set " + section + " " + key + " " + value);
        return configWritable;
    }
    uint16_t BindingCode(e2e::Binding action) const override
    {
        return action == e2e::Binding::Forward ? forwardCode : fireCode;
    }
    bool Self(e2e::GliderState& glider, e2e::Point3& aimed) const override
    {
        glider = self;
        aimed = aim;
        return hasGlider;
    }
    bool Find(const std::string& name, std::vector<e2e::Point3>& route) const override
    {
        const auto it = objects.find(name);
        if (it == objects.end())
            return false;
        route = it->second;
        return true;
    }
    // The aim turns straight at the target; the glider moves along it speed units a pass.
    void Steer(const e2e::Point3& target) override
    {
        Note("steer " + std::to_string(int(target.x)) + "," + std::to_string(int(target.y)) + ","
            + std::to_string(int(target.z)));
        const float dx = target.x - self.position.x;
        const float dy = target.y - self.position.y;
        const float length = std::hypot(dx, dy);
        aim = { dx / length, dy / length, 0.0f };
        self.position.x += aim.x * speed;
        self.position.y += aim.y * speed;
    }
    bool FindLink(const std::string& target, int& x, int& y) override
    {
        if (target != link)
            return false;
        x = 300;
        y = 200;
        return true;
    }
    std::vector<std::string> Screenshots() const override { return screenshots; }
    bool RenameFile(const std::string& from, const std::string& to) override
    {
        Note("rename " + from + " " + to);
        return true;
    }
    bool HasFile(const std::string& path) const override { return path == file; }
    bool MachineDead(const std::string& name, bool& dead) const override
    {
        const auto it = machines.find(name);
        if (it == machines.end())
            return false;
        dead = it->second;
        return true;
    }
    uint32_t Kills() const override { return kills; }
    uint32_t Goods(const std::string& good) const override { return good == "TOV_CRYSTAL" ? crystals : 0; }
    double Money() const override { return money; }
    bool QuestDone(const std::string& key) const override { return key == questDone; }
    std::vector<e2e::GliderState> RemoteGliders() const override { return remotes; }
    std::string LogProblems() const override { return logProblems; }
    int64_t WallClockMs() const override { return wallMs; }

    void Note(const std::string& what) { events.push_back(std::to_string(pass) + ": " + what); }

    uint32_t state = 0;
    std::string menu = "none";
    uint32_t action = 0;
    std::string location;
    bool flying = false;
    uint32_t control = 0;
    int pass = 0;
    std::vector<std::string> events;
    bool configWritable = true;
    uint16_t forwardCode = 0x11; // W
    uint16_t fireCode = plat::input::kMouseCodeBase + 1;
    bool hasGlider = true;
    e2e::GliderState self { 0x00100001, { 0.0f, 0.0f, 5.0f } };
    e2e::Point3 aim { 1.0f, 0.0f, 0.0f };
    float speed = 10.0f;
    std::map<std::string, std::vector<e2e::Point3>> objects;
    std::string link;
    std::vector<std::string> screenshots;
    std::string file;
    std::map<std::string, bool> machines;
    uint32_t kills = 0;
    uint32_t crystals = 0;
    double money = 0.0;
    std::string questDone;
    std::vector<e2e::GliderState> remotes;
    std::string logProblems;
    int64_t wallMs = 0;
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

TEST_F(StepRunnerTest, setStepsWriteTheSettingsBeforeTheGame)
{
    Load("set NET.RunServer=0\nset CONFIG.Video=0\nframes 1\n");
    EXPECT_TRUE(runner->ApplySettings());
    EXPECT_EQ(game.events, (std::vector<std::string> { "0: set NET RunServer 0", "0: set CONFIG Video 0" }));
    EXPECT_EQ(out.str(), "ok 1 set NET.RunServer=0\nok 2 set CONFIG.Video=0\n");
    EXPECT_FALSE(runner->Finished());

    game.configWritable = false;
    out.str("");
    Load("set NET.RunServer=0\n");
    EXPECT_FALSE(runner->ApplySettings());
    EXPECT_EQ(out.str(), "fail 1 set NET.RunServer=0: cannot write cfg.ini\n");
}

TEST_F(StepRunnerTest, flyHoldsForwardAndSteersUntilWithinReach)
{
    game.flying = true;
    game.objects["B_L1_CEH"] = { { 100.0f, 0.0f, 50.0f } };
    Load("fly B_L1_CEH\nfly 100,-100 20\n");
    EXPECT_EQ(Run(), 16);
    EXPECT_FALSE(runner->Failed()) << out.str();
    // Seven passes take it from 100 to 30 units away; level flight keeps the glider's height.
    EXPECT_EQ(game.events.front(), "1: key 17 down");
    EXPECT_EQ(game.events[1], "1: steer 100,0,5");
    EXPECT_EQ(game.events[8], "8: key 17 up");
    EXPECT_EQ(game.events[9], "9: key 17 down");
    EXPECT_EQ(game.events[10], "9: steer 100,-100,5");
    EXPECT_EQ(game.events.back(), "16: key 17 up");
    EXPECT_LT(std::hypot(game.self.position.x - 100.0f, game.self.position.y + 100.0f), 40.0f);
}

TEST_F(StepRunnerTest, flyPassesEachPointOfTheRouteThenArrivesAtTheLast)
{
    game.flying = true;
    game.objects["B_L1_CEH"] = { { 0.0f, 100.0f, 0.0f }, { 100.0f, 100.0f, 0.0f } };
    Load("fly B_L1_CEH\n");
    EXPECT_EQ(Run(), 15);
    EXPECT_FALSE(runner->Failed()) << out.str();
    // Seven passes to within 40 units of the approach, seven more to the door.
    EXPECT_EQ(game.events[1], "1: steer 0,100,5");
    EXPECT_EQ(game.events[7], "7: steer 0,100,5");
    EXPECT_EQ(game.events[8], "8: steer 100,100,5");
    EXPECT_LT(std::hypot(game.self.position.x - 100.0f, game.self.position.y - 100.0f), 40.0f);
}

TEST_F(StepRunnerTest, flyFailsWhenItCannotArrive)
{
    const struct {
        const char* script;
        std::function<void(FakeGame&)> set;
        const char* line;
    } cases[] = {
        { "fly 1000,0 5", [](FakeGame&) {},
            "fail 1 fly 1000,0 5: not within 40.00 units in 5 passes (950.00 away)\n" },
        { "fly NOWHERE", [](FakeGame&) {}, "fail 1 fly NOWHERE: no object NOWHERE\n" },
        { "fly 10,10", [](FakeGame& g) { g.hasGlider = false; },
            "fail 1 fly 10,10: no glider of the player\n" },
        { "fly 10,10", [](FakeGame& g) { g.forwardCode = 0; }, "fail 1 fly 10,10: FORWARD is not bound\n" },
    };
    for (const auto& c : cases) {
        game = FakeGame();
        game.flying = true;
        c.set(game);
        out.str("");
        Load(c.script);
        Run();
        EXPECT_EQ(out.str(), c.line);
    }
    // The forward key held by the failed fly goes up.
    EXPECT_EQ(game.events.size(), 0u);
    game = FakeGame();
    game.flying = true;
    Load("fly 1000,0 2\n");
    Run();
    EXPECT_EQ(game.events.back(), "3: key 17 up");
}

TEST_F(StepRunnerTest, flyEndsWhenABuildingTakesTheGliderIn)
{
    game.flying = true;
    Load("fly 1000,0\n");
    Run(3);
    game.flying = false;
    game.menu = "ingame";
    runner->Pass();
    EXPECT_EQ(out.str(), "fail 1 fly 1000,0: not flying: state=0 menu=ingame\n");
    EXPECT_EQ(game.events.back(), "4: key 17 up");

    game = FakeGame();
    game.flying = true;
    out.str("");
    Load("fly 1000,0\n");
    Run(3);
    game.flying = false;
    game.action = 1;
    runner->Pass();
    EXPECT_EQ(out.str(), "ok 1 fly 1000,0\n");
    EXPECT_EQ(game.events.back(), "4: key 17 up");

    // A fly that starts inside a building goes nowhere.
    out.str("");
    game.menu = "building";
    Load("fly 1000,0\n");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(out.str(), "fail 1 fly 1000,0: not flying: state=0 menu=building\n");
}

TEST_F(StepRunnerTest, aimTurnsTowardsTheMachineThenFireHoldsTheBinding)
{
    game.objects["GRP_BANDITS_1"] = { { 0.0f, 400.0f, 20.0f } };
    game.speed = 0.0f;
    game.flying = true;
    Load("aim GRP_BANDITS_1\nfire 3\naim GRP_BANDITS_1\n");
    EXPECT_EQ(Run(), 7);
    EXPECT_FALSE(runner->Failed()) << out.str();
    EXPECT_EQ(game.events,
        (std::vector<std::string> { "1: steer 0,400,20", "3: button 1 down 0,0", "6: button 1 up 0,0" }));

    out.str("");
    Load("aim GRP_BANDITS_2\n");
    EXPECT_EQ(Run(), int(e2e::StepRunner::kAimPasses) + 1);
    EXPECT_EQ(out.str(), "fail 1 aim GRP_BANDITS_2: no glider of machine GRP_BANDITS_2\n");

    game.flying = false;
    game.menu = "building";
    out.str("");
    Load("aim GRP_BANDITS_1\n");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(out.str(), "fail 1 aim GRP_BANDITS_1: not flying: state=0 menu=building\n");
}

TEST_F(StepRunnerTest, linkClicksTheLinkOnceItShows)
{
    game.menu = "building";
    Load("link LINKACCEPTQUEST\n");
    for (game.pass = 1; game.pass <= 3; ++game.pass)
        runner->Pass();
    game.link = "LINKACCEPTQUEST";
    for (; !runner->Finished(); ++game.pass)
        runner->Pass();
    EXPECT_EQ(game.events,
        (std::vector<std::string> {
            "4: move 300,200", "5: button 1 down 300,200", "6: button 1 up 300,200" }));

    out.str("");
    game.link.clear();
    Load("link INT_DEMO_FINISH\n");
    EXPECT_EQ(Run(), int(e2e::StepRunner::kClickWaitPasses));
    EXPECT_EQ(out.str(), "fail 1 link INT_DEMO_FINISH: no link to INT_DEMO_FINISH in menu=building\n");
}

TEST_F(StepRunnerTest, shotRenamesTheNewScreenshot)
{
    game.screenshots = { "screen1.bmp" };
    Load("shot start\n");
    for (game.pass = 1; game.pass <= 4; ++game.pass)
        runner->Pass();
    game.screenshots = { "screen1.bmp", "screen2.bmp" };
    runner->Pass();
    EXPECT_TRUE(runner->Finished());
    EXPECT_EQ(game.events,
        (std::vector<std::string> { "1: key 183 down", "2: key 183 up", "5: rename screen2.bmp start.bmp" }));

    out.str("");
    Load("shot again\n");
    EXPECT_EQ(Run(), int(e2e::StepRunner::kShotWaitPasses) + 1);
    EXPECT_EQ(out.str(), "fail 1 shot again: no new screenshot in 100 passes\n");
}

TEST_F(StepRunnerTest, checksThePlayersWorld)
{
    game.machines = { { "GRP_BANDITS_1", true }, { "GRP_BANDITS_2", false } };
    game.kills = 1;
    game.crystals = 1;
    game.money = 1499.5;
    game.questDone = "Q_DEMO";
    game.file = "SAVES\\ZJ_1.sav";
    const struct {
        const char* condition;
        const char* found; // null: holds
    } cases[] = {
        { "dead=GRP_BANDITS_1", nullptr },
        { "dead=GRP_BANDITS_2", "GRP_BANDITS_2 is alive" },
        { "dead=GRP_NONE_1", "no machine GRP_NONE_1" },
        { "kills=1", nullptr },
        { "kills=2", "kills=1" },
        { "has=TOV_CRYSTAL 1", nullptr },
        { "has=TOV_CRYSTAL 2", "has=TOV_CRYSTAL 1" },
        { "has=TOV_IRON 0", nullptr },
        { "money>=1499", nullptr },
        { "money>=1500", "money=1499.50" },
        { "quest=Q_DEMO done", nullptr },
        { "quest=Q_OTHER done", "quest=Q_OTHER not done" },
        { "file=SAVES\\ZJ_1.sav", nullptr },
        { "file=SAVES\\ZJ_2.sav", "no file SAVES\\ZJ_2.sav" },
        { "log-clean", nullptr },
    };
    for (const auto& c : cases) {
        out.str("");
        Load((std::string("expect ") + c.condition).c_str());
        Run();
        EXPECT_EQ(out.str(),
            c.found ? std::string("fail 1 expect ") + c.condition + ": " + c.found + "\n"
                    : std::string("ok 1 expect ") + c.condition + "\n");
    }
    game.logProblems = "error.log: a line";
    out.str("");
    Load("expect log-clean");
    Run();
    EXPECT_EQ(out.str(), "fail 1 expect log-clean: error.log: a line\n");
}

TEST_F(StepRunnerTest, aRemoteGliderCountsOnlyWhenAnotherPlayerOwnsIt)
{
    std::string reason;
    const e2e::Condition remote { e2e::ConditionKind::RemoteGlider, 0, {} };
    game.remotes = { { 0x00100005, {} } };
    EXPECT_FALSE(e2e::Holds(game, remote, reason));
    EXPECT_EQ(reason, "1 remote gliders, none of another player");
    game.remotes.push_back({ 0x00200001, {} });
    EXPECT_TRUE(e2e::Holds(game, remote, reason));
    game.hasGlider = false;
    EXPECT_FALSE(e2e::Holds(game, remote, reason));
    EXPECT_EQ(reason, "no glider of the player");
}

TEST_F(StepRunnerTest, reportWritesAStateLineEachSecond)
{
    const std::string path = (std::filesystem::path(::testing::TempDir())
        / (std::string("e2e_report_") + std::to_string(::getpid()) + ".txt"))
                                 .string();
    game.state = 4;
    game.location = "location1.zjp";
    game.wallMs = 5000;
    game.self = { 0x00100001, { 1.0f, 2.0f, 3.5f } };
    game.remotes = { { 0x00200001, { -4.0f, 5.25f, 6.0f } }, { 0x00300002, { 7.0f, 8.0f, 9.0f } } };
    Load(("report " + path.substr(path.find_last_of('/') + 1) + "\nframes 100\n").c_str());
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(path).parent_path());
    for (game.pass = 1; game.pass <= 10; ++game.pass) {
        game.wallMs += 400;
        runner->Pass();
    }
    runner.reset();
    std::filesystem::current_path(before);
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::filesystem::remove(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
        "t 5400 state 4 location location1.zjp self 100001 1.00 2.00 3.50 remote 200001 -4.00 5.25 6.00 "
        "remote 300002 7.00 8.00 9.00");
    EXPECT_EQ(lines[1].substr(0, 7), "t 6600 ");
    EXPECT_EQ(lines[3].substr(0, 7), "t 8600 ");
}

} // namespace
