// The ZOQ program itself, headless on the null graphics backend, in a temporary Data folder.
#include "tests/app/app_fixture.h"

#include "platform/win/clock.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <list>
#include <string>
#include <unistd.h>

namespace {

class SmokeTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        m_scope = "smoke-" + std::to_string(::getpid()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override
    {
        m_children.clear();
        apptest::TempDirTest::TearDown();
    }
    // The game in the folder on the null graphics backend; killed at tear-down.
    zoq::test::ChildProcess& Start()
    {
        zoq::test::ChildOptions options;
        options.env = { "ZOQ_GFX=null", "ZOQ_INSTANCE_SCOPE=" + m_scope };
        zoq::test::ChildProcess& game = m_children.emplace_back();
        EXPECT_TRUE(game.Start(ZOQ_EXECUTABLE, {}, options));
        return game;
    }
    // Exit code (128 + signal after a signal); -1 after the time-out.
    static int Wait(zoq::test::ChildProcess& game, int seconds)
    {
        int code = -1;
        return game.Wait(seconds * 1000, code) ? code : -1;
    }
    // Whether the game holds its single-instance lock (the abstract socket of /proc/net/unix).
    bool HoldsInstance() const
    {
        std::ifstream unix("/proc/net/unix");
        const std::string name = "@zoq-" + std::to_string(::getuid()) + "-ZOQWC0-" + m_scope;
        for (std::string line; std::getline(unix, line);) {
            if (line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0)
                return true;
        }
        return false;
    }
    bool WaitForInstance(int seconds) const
    {
        const int64_t until = plat::win::CounterNow() + int64_t(seconds) * plat::win::kCounterFrequency;
        while (plat::win::CounterNow() < until) {
            if (HoldsInstance())
                return true;
            plat::win::Sleep(10);
        }
        return false;
    }

    std::string m_scope;
    std::list<zoq::test::ChildProcess> m_children;
};

TEST_F(SmokeTest, runsItsLoopAndExitsCleanlyOnTerminate)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
    zoq::test::ChildProcess& game = Start();
    ASSERT_TRUE(WaitForInstance(60));
    plat::win::Sleep(300);
    game.Signal(SIGTERM);
    EXPECT_EQ(Wait(game, 60), 0) << game.Stderr();
    EXPECT_EQ(LogLineCount("EXCEPTION"), 0) << LogText();
}

TEST_F(SmokeTest, aSecondInstanceExitsWithOne)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
    zoq::test::ChildProcess& first = Start();
    ASSERT_TRUE(WaitForInstance(60));
    zoq::test::ChildProcess& second = Start();
    EXPECT_EQ(Wait(second, 60), 1) << second.Stderr();
    first.Signal(SIGTERM);
    EXPECT_EQ(Wait(first, 60), 0) << first.Stderr();
}

TEST_F(SmokeTest, withoutTheDatabaseItExitsWithTwoSayingThereIsNoGameData)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error, true)) << error;
    zoq::test::ChildProcess& game = Start();
    EXPECT_EQ(Wait(game, 60), 2) << game.Stderr();
    EXPECT_NE(game.Stderr().find("ZOQ: no game data in "), std::string::npos) << game.Stderr();
    EXPECT_EQ(LogLineCount("EXCEPTION:"), 0) << LogText();
}

} // namespace
