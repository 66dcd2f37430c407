// The ZOQ program on a copy of the generated folder, headless: it starts, plays the logos, loads
// its tables and shows the wait screen; once it says where it stops (the start menu is not built
// yet, once on stdout and once in error.log) a SIGTERM must end it with exit code 0, without a
// signal death or a sanitizer report, and error.log holds no line but that one: no missing
// resource.
#include "platform/win/clock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr const char* kStopLine = "ZOQ: the start menu is not built yet";
constexpr int kStopLineSeconds = 60;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class GameSmokeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(fs::path(ZOQ_MKDATA_FIXTURE) / "Data/mkdata.stamp"))
            << "run the mkdata_fixture test first (ctest -R mkdata)";
        std::string pattern = (fs::temp_directory_path() / "zoq-mkdata-smoke-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        for (const auto& entry : fs::directory_iterator(ZOQ_MKDATA_FIXTURE))
            fs::copy(entry.path(), m_dir / entry.path().filename(), fs::copy_options::recursive);
    }
    void TearDown() override
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // Starts the game in the folder, its stdout going to terminal.txt and its stderr to
    // stderr.txt.
    void Start()
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("ZOQ_GFX=", 0) != 0 && entry.rfind("ZOQ_INSTANCE_SCOPE=", 0) != 0)
                env.push_back(entry);
        }
        env.push_back("ZOQ_GFX=null");
        env.push_back("ZOQ_INSTANCE_SCOPE=mkdata-smoke-" + std::to_string(::getpid()));
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string output = (m_dir / "terminal.txt").string();
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string errors = (m_dir / "stderr.txt").string();
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, m_dir.c_str());
        std::string exe = ZOQ_EXECUTABLE;
        char* argv[] = { exe.data(), nullptr };
        EXPECT_EQ(::posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }

    // Exit code, -signal, or -1000 while it still runs.
    int Poll()
    {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) != m_pid)
            return -1000;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    std::string Terminal() const { return ReadText(m_dir / "terminal.txt"); }
    std::string Errors() const { return ReadText(m_dir / "stderr.txt"); }
    std::string Log() const { return ReadText(m_dir / "error.log"); }

    fs::path m_dir;
    pid_t m_pid = -1;
};

// Lines of the text that hold `needle`.
int CountLines(const std::string& text, const std::string& needle)
{
    std::istringstream in(text);
    int n = 0;
    for (std::string line; std::getline(in, line);)
        n += line.find(needle) != std::string::npos ? 1 : 0;
    return n;
}

TEST_F(GameSmokeTest, RunsOnTheGeneratedFolderUntilTheStartMenuAndEndsCleanlyOnTerminate)
{
    Start();
    ASSERT_GT(m_pid, 0);
    const int64_t start = plat::win::CounterNow();
    auto elapsed
        = [&] { return double(plat::win::CounterNow() - start) / double(plat::win::kCounterFrequency); };
    int code = -1000;
    bool stopped = false;
    while (elapsed() < kStopLineSeconds && (code = Poll()) == -1000) {
        stopped = Terminal().find(kStopLine) != std::string::npos;
        if (stopped)
            break;
        plat::win::Sleep(50);
    }
    ASSERT_EQ(code, -1000) << "the game ended by itself\n" << Terminal() << Errors() << Log();
    EXPECT_TRUE(stopped) << "no stop line in " << kStopLineSeconds << " s\n" << Terminal() << Errors() << Log();
    // A few more frames: the line stays single.
    plat::win::Sleep(300);
    ASSERT_EQ(::kill(m_pid, SIGTERM), 0);
    while (elapsed() < kStopLineSeconds + 60 && (code = Poll()) == -1000)
        plat::win::Sleep(20);
    EXPECT_EQ(code, 0) << Terminal() << Errors();
    for (const std::string& output : { Terminal(), Errors() })
        for (const char* report : { "AddressSanitizer", "LeakSanitizer", "runtime error:" })
            EXPECT_EQ(output.find(report), std::string::npos) << output;
    if (stopped) {
        EXPECT_EQ(Terminal(), std::string(kStopLine) + "\n");
        EXPECT_EQ(CountLines(Log(), kStopLine), 1) << Log();
    }
    std::istringstream log(Log());
    for (std::string line; std::getline(log, line);)
        EXPECT_NE(line.find(kStopLine), std::string::npos) << "error.log: " << line;
}

} // namespace
