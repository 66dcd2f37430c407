// The ZOQ program's start-up on copies of the generated folder, headless: what a new player meets
// with a broken or missing setting, archive, database, folder or display, or a copy already
// running, each ending within its time with its exit code and its one line; and a close request
// by signal at any moment of start-up ending the game at once with exit code 0.
#include "platform/win/clock.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using zoq::test::ReadText;
using zoq::test::WriteText;

constexpr int kRunning = -1000;
#ifdef __SANITIZE_ADDRESS__
constexpr int kSignalExitMs = 1500; // the sanitizer build stops several times slower under load
#else
constexpr int kSignalExitMs = 500;
#endif

double SecondsSince(int64_t start)
{
    return double(plat::win::CounterNow() - start) / double(plat::win::kCounterFrequency);
}

class StartupTest : public zoq::test::TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(fs::path(ZOQ_MKDATA_FIXTURE) / "Data/mkdata.stamp"))
            << "run the mkdata_fixture test first (ctest -R mkdata)";
        TempDirTest::SetUp();
    }

    // A fresh copy of the generated folder under the test's folder.
    fs::path CopyFixture(const std::string& name)
    {
        const fs::path folder = m_dir / name;
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(ZOQ_MKDATA_FIXTURE))
            fs::copy(entry.path(), folder / entry.path().filename(), fs::copy_options::recursive);
        return folder;
    }

    // The game in the folder, stdout and stderr into files there, on the offscreen driver of the
    // test environment with its own single-instance scope.
    static void Start(zoq::test::ChildProcess& game, const fs::path& folder, const std::string& scope,
        std::vector<std::string> env = {})
    {
        zoq::test::ChildOptions options;
        options.folder = folder.string();
        options.env = std::move(env);
        options.env.push_back("ZOQ_INSTANCE_SCOPE=startup-" + std::to_string(::getpid()) + "-" + scope);
        options.stdoutFile = (folder / "terminal.txt").string();
        options.stderrFile = (folder / "stderr.txt").string();
        EXPECT_TRUE(game.Start(ZOQ_EXECUTABLE, {}, options));
    }

    // Exit code, or kRunning when the game has not ended within the time.
    static int WaitMs(zoq::test::ChildProcess& game, int milliseconds)
    {
        int code = 0;
        return game.Wait(milliseconds, code) ? code : kRunning;
    }

    // Whether the process catches SIGINT and SIGTERM yet: before its main installs the handler, a
    // signal ends any program, so the start counts from there.
    static bool CatchesSignals(pid_t pid)
    {
        const std::string status = ReadText(fs::path("/proc") / std::to_string(pid) / "status");
        const size_t at = status.find("SigCgt:");
        if (at == std::string::npos)
            return false;
        const uint64_t caught = std::stoull(status.substr(at + 7), nullptr, 16);
        const uint64_t wanted = (uint64_t(1) << (SIGINT - 1)) | (uint64_t(1) << (SIGTERM - 1));
        return (caught & wanted) == wanted;
    }

    static std::string Output(const fs::path& folder)
    {
        return ReadText(folder / "stderr.txt") + ReadText(folder / "terminal.txt");
    }
};

void SetCfg(const fs::path& folder, const std::string& text)
{
    WriteText(folder / "Data/CONFIG/cfg.ini", text);
}

void Truncate(const fs::path& file, uintmax_t size)
{
    fs::resize_file(file, size);
}

struct StartupCase {
    const char* name;
    std::function<void(const fs::path& folder)> prepare;
    int exitCode; // kRunning: the game runs on; a SIGTERM then ends it with 0
    const char* line; // on stderr, and in error.log when logged is set
    bool logged;
    const char* subfolder = ""; // where the game starts, inside the copy
    std::vector<std::string> env = {};
    bool secondCopy = false; // a first copy already runs in the same folder
};

const std::string kFullScreenLine = "ZOQ: full screen 1024 x 768 is not available on this display: "
                                    "a window of that size is used";

TEST_F(StartupTest, eachFaultEndsTheStartWithItsCodeAndOneLine)
{
    const StartupCase cases[] = {
        { "missing cfg.ini", [](const fs::path& f) { fs::remove(f / "Data/CONFIG/cfg.ini"); }, kRunning,
            "ZOQ: Data/CONFIG/cfg.ini not found: default settings are used", true },
        { "empty cfg.ini", [](const fs::path& f) { SetCfg(f, ""); }, kRunning, kFullScreenLine.c_str(),
            true },
        { "garbage cfg.ini", [](const fs::path& f) { SetCfg(f, "\x01\xff[CONF\nScreenWidth=\x7f\x80\n=\n"); },
            kRunning, kFullScreenLine.c_str(), true },
        { "full screen with no such mode",
            [](const fs::path& f) {
                SetCfg(f, "[CONFIG]\nWindowed=0\nScreenWidth=1000\nScreenHeight=700\nVideo=0\n");
            },
            kRunning,
            "ZOQ: full screen 1000 x 700 is not available on this display: a window of that size is used",
            true },
        { "truncated data01.pak",
            [](const fs::path& f) {
                Truncate(f / "Data/data01.pak", fs::file_size(f / "Data/data01.pak") / 2);
            },
            2, "ZOQ: Data/data01.pak: ", true },
        { "garbage DB.dat", [](const fs::path& f) { WriteText(f / "Data/DB.dat", "this is not a database"); },
            2, "ZOQ: Data/DB.dat: not a database: ", true },
        { "wrong folder", [](const fs::path&) {}, 2, "ZOQ: no game data in ", false, "Data" },
        { "second copy", [](const fs::path&) {}, 1,
            "ZOQ: already running; the running game was asked to come to the front", false, "", {}, true },
        { "no display", [](const fs::path&) {}, 2, "ZOQ: no display", false, "",
            { "SDL_VIDEODRIVER=", "DISPLAY=", "WAYLAND_DISPLAY=" } },
    };
    int index = 0;
    for (const StartupCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path copy = CopyFixture("case" + std::to_string(index));
        const std::string scope = std::to_string(index++);
        c.prepare(copy);
        const fs::path folder = copy / c.subfolder;

        zoq::test::ChildProcess first;
        if (c.secondCopy) {
            Start(first, copy, scope);
            // The first copy holds the lock once it plays its logos (it says so on the terminal).
            const int64_t start = plat::win::CounterNow();
            while (SecondsSince(start) < 30 && Output(copy).empty() && WaitMs(first, 20) == kRunning) { }
            ASSERT_FALSE(Output(copy).empty()) << "the first copy never started";
            fs::rename(copy / "stderr.txt", copy / "first-stderr.txt");
            fs::rename(copy / "terminal.txt", copy / "first-terminal.txt");
        }

        zoq::test::ChildProcess game;
        Start(game, folder, scope, c.env);
        const int64_t start = plat::win::CounterNow();
        if (c.exitCode == kRunning) {
            // The line comes while the game starts; it runs on until told to end.
            while (SecondsSince(start) < 30
                && ReadText(folder / "error.log").find(c.line) == std::string::npos
                && WaitMs(game, 20) == kRunning) { }
            ASSERT_EQ(WaitMs(game, 0), kRunning) << Output(folder);
            game.Signal(SIGTERM);
            EXPECT_EQ(WaitMs(game, 5000), 0) << Output(folder);
        } else {
            EXPECT_EQ(WaitMs(game, 10000), c.exitCode) << Output(folder);
        }
        const std::string output = Output(folder);
        EXPECT_NE(output.find(c.line), std::string::npos) << output;
        const std::string log = ReadText(folder / "error.log");
        if (c.logged) {
            EXPECT_NE(log.find(c.line), std::string::npos) << log;
            EXPECT_EQ(log.find("EXCEPTION"), std::string::npos) << log;
        } else {
            EXPECT_EQ(log, "");
        }
        if (c.secondCopy) {
            first.Signal(SIGTERM);
            EXPECT_EQ(WaitMs(first, 5000), 0) << ReadText(copy / "first-stderr.txt");
        }
    }
}

TEST_F(StartupTest, aSignalAtAnyMomentOfTheStartEndsTheGameWithinHalfASecond)
{
    int index = 0;
    for (int signal : { SIGINT, SIGTERM }) {
        for (int delayMs : { 300, 1000, 2000, 3000 }) {
            SCOPED_TRACE(std::string(signal == SIGINT ? "SIGINT" : "SIGTERM") + " at "
                + std::to_string(delayMs) + " ms");
            const std::string scope = "signal" + std::to_string(index);
            const fs::path folder = CopyFixture("signal" + std::to_string(index++));
            zoq::test::ChildProcess game;
            Start(game, folder, scope);
            const int64_t start = plat::win::CounterNow();
            while (!CatchesSignals(game.Pid()) && SecondsSince(start) < 10 && WaitMs(game, 5) == kRunning) { }
            ASSERT_EQ(WaitMs(game, delayMs), kRunning) << Output(folder);
            game.Signal(signal);
            EXPECT_EQ(WaitMs(game, kSignalExitMs), 0) << Output(folder);
            EXPECT_EQ(WaitMs(game, 5000), 0) << Output(folder);
        }
    }
}

} // namespace
