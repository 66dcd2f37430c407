// The ZOQ program itself, headless on the null graphics backend, in a temporary Data folder.
#include "tests/app/app_fixture.h"

#include "platform/win/clock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
        for (pid_t pid : m_children) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        apptest::TempDirTest::TearDown();
    }

    pid_t Start()
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            if (entry.rfind("ZOQ_GFX=", 0) != 0 && entry.rfind("ZOQ_INSTANCE_SCOPE=", 0) != 0)
                env.push_back(entry);
        }
        env.push_back("ZOQ_GFX=null");
        env.push_back("ZOQ_INSTANCE_SCOPE=" + m_scope);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string exe = ZOQ_EXECUTABLE;
        char* argv[] = { exe.data(), nullptr };
        pid_t pid = -1;
        EXPECT_EQ(::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, envp.data()), 0);
        m_children.push_back(pid);
        return pid;
    }
    // Exit code, or -signal; -1000 after the time-out.
    int Wait(pid_t pid, int seconds)
    {
        const int64_t until = plat::win::CounterNow() + int64_t(seconds) * plat::win::kCounterFrequency;
        while (plat::win::CounterNow() < until) {
            int status = 0;
            pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                std::erase(m_children, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            }
            plat::win::Sleep(10);
        }
        return -1000;
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
    std::vector<pid_t> m_children;
};

TEST_F(SmokeTest, runsItsLoopAndExitsCleanlyOnTerminate)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
    pid_t game = Start();
    ASSERT_TRUE(WaitForInstance(60));
    plat::win::Sleep(300);
    ASSERT_EQ(::kill(game, SIGTERM), 0);
    EXPECT_EQ(Wait(game, 60), 0);
    EXPECT_EQ(LogLineCount("EXCEPTION"), 0) << LogText();
}

TEST_F(SmokeTest, aSecondInstanceExitsWithOne)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
    pid_t first = Start();
    ASSERT_TRUE(WaitForInstance(60));
    pid_t second = Start();
    EXPECT_EQ(Wait(second, 60), 1);
    ::kill(first, SIGTERM);
    EXPECT_EQ(Wait(first, 60), 0);
}

TEST_F(SmokeTest, withoutTheDatabaseItExitsWithTwoAndLogsTheTrace)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error, true)) << error;
    pid_t game = Start();
    EXPECT_EQ(Wait(game, 60), 2);
    EXPECT_EQ(LogLineCount("EXCEPTION:"), 1) << LogText();
    EXPECT_EQ(LogLineCount("CZJApp::Init"), 1) << LogText();
}

} // namespace
