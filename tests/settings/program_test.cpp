// The Tunvard program itself in a temporary game folder.
#include "tests/settings/settings_fixture.h"

#include "tests/support/child_process.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace {

const std::string kConfig = zoq::test::IniText({ "[CONFIG]", "Interval = 1", "MusicVolume=4", "[NET]",
    "RunServer=0", "[INPUT]", "FORWARD=W", "[DefaultKeyLayout]", "FORWARD=W" });

class ProgramTest : public zoq::test::SettingsTest {
protected:
    zoq::test::ChildOptions Options(const std::string& videoDriver) const
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        options.env = { "SDL_VIDEODRIVER=" + videoDriver, "MESA_SHADER_CACHE_DISABLE=true" };
        return options;
    }
};

TEST_F(ProgramTest, terminateIsCancelAndLeavesTheFileAsItWas)
{
    WriteConfig(kConfig);
    zoq::test::ChildProcess tunvard;
    ASSERT_TRUE(tunvard.Start(TUNVARD_EXECUTABLE, {}, Options("offscreen")));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(tunvard.Running()) << tunvard.Stderr();
    tunvard.Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(tunvard.Finish(30000, code));
    EXPECT_EQ(code, 0) << tunvard.Stderr();
    EXPECT_EQ(ReadConfig(), kConfig);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "error.log")) << zoq::test::ReadText(m_dir / "error.log");
}

TEST_F(ProgramTest, withoutAWindowItExitsWithOneAndSaysWhy)
{
    WriteConfig(kConfig);
    const zoq::test::RunResult run
        = zoq::test::RunProgram(TUNVARD_EXECUTABLE, { "-x" }, Options("no-such-driver"), 30000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Tunvard: cannot open the settings window"), std::string::npos) << run.err;
    EXPECT_NE(zoq::test::ReadText(m_dir / "error.log").find("Tunvard: cannot open the settings window"),
        std::string::npos);
    EXPECT_EQ(ReadConfig(), kConfig);
}

} // namespace
