#include "platform/win/process.h"

#include "platform/win/clock.h"
#include "platform/win/instance.h"
#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace plat::win;
using zoq::test::ReadText;

std::string ExecutableFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

// Children of this process, zombies included, from /proc.
int Children()
{
    int children = 0;
    DIR* proc = ::opendir("/proc");
    while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        std::string stat = ReadText(std::string("/proc/") + entry->d_name + "/stat");
        std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == ::getpid())
            ++children;
    }
    if (proc)
        ::closedir(proc);
    return children;
}

class ProcessTest : public testing::Test {
protected:
    ProcessTest()
    {
        // Locks and started programs of this run meet no other test and no running game.
        ::setenv("ZOQ_INSTANCE_SCOPE", ("platform_win_test-" + std::to_string(::getpid())).c_str(), 1);
    }

    zoq::test::TempDir m_dir;
};

TEST_F(ProcessTest, programBesideTheExecutableShouldReportItsExitCode)
{
    for (uint32_t code : { 0u, 3u, 255u }) {
        Process p = StartProcess("zoqtesthelper.exe exit " + std::to_string(code), m_dir.Path().string());
        ASSERT_TRUE(p.Valid());
        ASSERT_TRUE(p.Wait(10000));
        EXPECT_EQ(p.ExitCode(), code);
    }
    Process anyCase = StartProcess("ZoqTestHelper.EXE exit 4", "");
    ASSERT_TRUE(anyCase.Wait(10000));
    EXPECT_EQ(anyCase.ExitCode(), 4u);
}

TEST_F(ProcessTest, argumentsAndWorkingDirectoryShouldArrive)
{
    // A descriptor left inheritable on purpose must still not reach the child.
    int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    SingleInstance lock;
    ASSERT_TRUE(lock.Acquire("ZOQTEST_ARGS"));

    std::string line = std::string("zoqtesthelper.exe report out.txt \"two words\" plain \"\" ")
        + CP1251("Ключ") + " tail\"quoted part\"";
    Process p = StartProcess(line, m_dir.Path().string());
    ASSERT_TRUE(p.Valid());
    ASSERT_TRUE(p.Wait(10000));
    ::close(leaked);
    EXPECT_EQ(p.ExitCode(), 0u);
    EXPECT_EQ(ReadText(m_dir / "out.txt"),
        "cwd=" + std::filesystem::canonical(m_dir.Path()).string()
            + "\narg=two words\narg=plain\narg=\narg=Ключ\narg=tailquoted part\nextra fds:\n");
}

TEST_F(ProcessTest, programInTheWorkingDirectoryShouldStartWhenNoneIsBeside)
{
    std::filesystem::copy_file(ExecutableFolder() + "/zoqtesthelper", m_dir / "LocalHelper");
    Process p = StartProcess("localhelper.exe exit 7", m_dir.Path().string());
    ASSERT_TRUE(p.Valid());
    ASSERT_TRUE(p.Wait(10000));
    EXPECT_EQ(p.ExitCode(), 7u);
}

TEST_F(ProcessTest, programOutsideTheSystemShouldFailToStart)
{
    EXPECT_FALSE(StartProcess("Kelvane.exe -norun -project:ZOQ", m_dir.Path().string()).Valid());
    EXPECT_FALSE(StartProcess("", m_dir.Path().string()).Valid());
    EXPECT_FALSE(StartProcess("zoqtesthelper.exe exit 0", (m_dir / "missing").string()).Valid());
    zoq::test::WriteText(m_dir / "notes.txt", "not a program");
    EXPECT_FALSE(StartProcess("notes.txt", m_dir.Path().string()).Valid());
    Process none;
    EXPECT_FALSE(none.Wait(0));
    EXPECT_EQ(none.ExitCode(), std::nullopt);
}

TEST_F(ProcessTest, runningProgramShouldHaveNoExitCodeAndTimedWaitsShouldNotEndEarly)
{
    std::string ready = m_dir / "ready";
    Process holder
        = StartProcess("zoqtesthelper.exe hold ZOQTEST_WAIT_CHILD " + ready, m_dir.Path().string());
    ASSERT_TRUE(holder.Valid());
    int64_t start = CounterNow();
    EXPECT_FALSE(holder.Wait(30));
    EXPECT_GE(CounterNow() - start, 30'000'000);
    EXPECT_EQ(holder.ExitCode(), std::nullopt);
    SingleInstance second;
    while (!std::filesystem::exists(ready) && !holder.Wait(5)) { }
    EXPECT_FALSE(second.Acquire("ZOQTEST_WAIT_CHILD")); // releases the holder
    ASSERT_TRUE(holder.Wait(10000));
    EXPECT_EQ(holder.ExitCode(), 0u);
}

TEST_F(ProcessTest, unwaitedChildrenShouldBeReaped)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(StartProcess("zoqtesthelper.exe exit 0", m_dir.Path().string()).Valid());
    // Without a reaper the ended children would stay as zombies.
    for (int tries = 0; tries < 1000 && Children() > 0; ++tries)
        Sleep(10);
    EXPECT_EQ(Children(), 0);
}

TEST_F(ProcessTest, secondInstanceShouldSendOneRaiseRequest)
{
    SingleInstance owner;
    ASSERT_TRUE(owner.Acquire("ZOQTEST"));
    EXPECT_FALSE(owner.TakeRaiseRequest());

    Process second = StartProcess("zoqtesthelper.exe instance ZOQTEST", "");
    ASSERT_TRUE(second.Wait(10000));
    EXPECT_EQ(second.ExitCode(), 1u);
    EXPECT_TRUE(owner.TakeRaiseRequest());
    EXPECT_FALSE(owner.TakeRaiseRequest()) << "one request per second process";

    // Other names and other scopes are free.
    Process other = StartProcess("zoqtesthelper.exe instance ZOQTEST_OTHER", "");
    ASSERT_TRUE(other.Wait(10000));
    EXPECT_EQ(other.ExitCode(), 0u);
}

TEST_F(ProcessTest, lockShouldDieWithItsHolder)
{
    std::string ready = m_dir / "ready";
    Process holder = StartProcess("zoqtesthelper.exe hold ZOQTEST_HOLD " + ready, "");
    ASSERT_TRUE(holder.Valid());
    while (!std::filesystem::exists(ready) && !holder.Wait(5)) { }
    ASSERT_FALSE(holder.ExitCode().has_value()) << "the holder could not take the lock";

    SingleInstance instance;
    EXPECT_FALSE(instance.Acquire("ZOQTEST_HOLD"));
    ASSERT_TRUE(holder.Wait(10000));
    EXPECT_EQ(holder.ExitCode(), 0u) << "the holder saw no raise request";
    EXPECT_TRUE(instance.Acquire("ZOQTEST_HOLD"));

    // Released here, taken by a child.
    instance.Release();
    Process child = StartProcess("zoqtesthelper.exe instance ZOQTEST_HOLD", "");
    ASSERT_TRUE(child.Wait(10000));
    EXPECT_EQ(child.ExitCode(), 0u);
}

} // namespace
