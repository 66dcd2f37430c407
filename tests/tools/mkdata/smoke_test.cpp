// The ZOQ program on a copy of the generated folder, headless: it starts, plays the logos, loads
// its tables and opens the start menu over the start scene; once its start-up has made the map
// buffers (error.log says so) and the menu has run a while, a SIGTERM must end the menu and the
// game with exit code 0, without a signal death or a sanitizer report,
// and error.log holds no line but the map buffers' size and, at shut-down, the map cache
// statistics: no missing resource.
#include "platform/win/clock.h"
#include "platform/win/program_info.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/log_lines.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using zoq::test::ReadText;

constexpr const char* kMeshLine = "Mesh Size=";
constexpr const char* kCacheLine = "CASH Success";
constexpr int kStopLineSeconds = 60;

class GameSmokeTest : public zoq::test::TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(fs::path(ZOQ_MKDATA_FIXTURE) / "Data/mkdata.stamp"))
            << "run the mkdata_fixture test first (ctest -R mkdata)";
        TempDirTest::SetUp();
        for (const auto& entry : fs::directory_iterator(ZOQ_MKDATA_FIXTURE))
            fs::copy(entry.path(), m_dir / entry.path().filename(), fs::copy_options::recursive);
    }
    void TearDown() override
    {
        m_game.Kill();
        TempDirTest::TearDown();
    }

    // Starts the game in the folder, its stdout going to terminal.txt and its stderr to
    // stderr.txt.
    void Start()
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        options.env = { "ZOQ_GFX=null", "ZOQ_INSTANCE_SCOPE=mkdata-smoke-" + std::to_string(::getpid()) };
        options.stdoutFile = (m_dir / "terminal.txt").string();
        options.stderrFile = (m_dir / "stderr.txt").string();
        EXPECT_TRUE(m_game.Start(ZOQ_EXECUTABLE, {}, options));
    }

    // Exit code (128 + signal after a signal), or -1000 while it still runs.
    int Poll()
    {
        int code = 0;
        return m_game.Wait(0, code) ? code : -1000;
    }

    std::string Terminal() const { return ReadText(m_dir / "terminal.txt"); }
    std::string Errors() const { return ReadText(m_dir / "stderr.txt"); }
    std::string Log() const { return ReadText(m_dir / "error.log"); }

    zoq::test::ChildProcess m_game;
};

TEST_F(GameSmokeTest, OpensTheStartMenuOnTheGeneratedFolderAndEndsCleanlyOnTerminate)
{
    Start();
    const int64_t start = plat::win::CounterNow();
    auto elapsed
        = [&] { return double(plat::win::CounterNow() - start) / double(plat::win::kCounterFrequency); };
    int code = -1000;
    bool stopped = false;
    while (elapsed() < kStopLineSeconds && (code = Poll()) == -1000) {
        stopped = Log().find(kMeshLine) != std::string::npos;
        if (stopped)
            break;
        plat::win::Sleep(50);
    }
    ASSERT_EQ(code, -1000) << "the game ended by itself\n" << Terminal() << Errors() << Log();
    EXPECT_TRUE(stopped) << "no map buffers in " << kStopLineSeconds << " s\n"
                         << Terminal() << Errors() << Log();
    // The rest of the start-up and a few frames of the menu.
    plat::win::Sleep(2000);
    m_game.Signal(SIGTERM);
    while (elapsed() < kStopLineSeconds + 60 && (code = Poll()) == -1000)
        plat::win::Sleep(20);
    EXPECT_EQ(code, 0) << Terminal() << Errors();
    for (const std::string& output : { Terminal(), Errors() })
        for (const char* report : { "AddressSanitizer", "LeakSanitizer", "runtime error:" })
            EXPECT_EQ(output.find(report), std::string::npos) << output;
    EXPECT_EQ(Terminal(), "");
    const std::vector<std::string> lines = zoq::test::SplitLines(Log());
    const std::string startLine = "ZOQ " + std::string(plat::win::ProgramVersion()) + " started in ";
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].find(kMeshLine) != std::string::npos
            || lines[i].find(kCacheLine) != std::string::npos
            || (i == 0 && lines[i].find(startLine) != std::string::npos))
            << "error.log: " << lines[i];
}

} // namespace
