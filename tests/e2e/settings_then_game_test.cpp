// The settings program's OK on a copy of the generated folder rewrites its cfg.ini, and the game
// started on that copy reaches its start menu with it.
#include "platform/dialog/dialog.h"
#include "platform/win/profile.h"
#include "settings/CTunvardApp.h"
#include "tests/settings/dialog_script.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

using plat::dialog::ControlKind;
using plat::dialog::ControlRecord;

constexpr int kGraphicTab = 105;
constexpr int kSoundTab = 106;
constexpr int kTextureQuality = 1029;
constexpr int kMusicEnable = 1022;
const std::string kCfg = ".\\data\\CONFIG\\cfg.ini";

class SettingsThenGameTest : public zoq::test::TempDirTest {
protected:
    SettingsThenGameTest()
        : TempDirTest(Enter::Yes)
    {
    }

    void SetUp() override
    {
        TempDirTest::SetUp();
        std::filesystem::copy(ZOQ_MKDATA_FIXTURE, m_dir, std::filesystem::copy_options::recursive);
        plat::dialog::DialogDesc desc;
        desc.width = CTunvardApp::kWidth;
        desc.height = CTunvardApp::kHeight;
        std::string why;
        m_dialog = plat::dialog::Dialog::Create(desc, &why);
        ASSERT_NE(m_dialog, nullptr) << why;
    }

    static int Number(const char* key) { return int32_t(plat::win::ReadProfileInt(kCfg, "CONFIG", key, -1)); }

    std::function<bool()> ClickOn(int id, ControlKind kind, int value = -2)
    {
        return zoq::test::ClickOn(*m_dialog, id, kind, value);
    }

    // Runs the program's sheet while the actions run in turn; a script that stalls closes it.
    void RunSheet(std::vector<std::function<bool()>> actions)
    {
        bool started = false;
        CTunvardApp app([&](std::string_view) { return started = true; });
        const size_t ran = zoq::test::ScriptDialog(
            *m_dialog, [&] { app.RunSheet(*m_dialog, false); }, actions, std::chrono::seconds(30));
        m_dialog.reset();
        EXPECT_EQ(ran, actions.size());
        EXPECT_FALSE(started);
    }

    std::unique_ptr<plat::dialog::Dialog> m_dialog;
};

TEST_F(SettingsThenGameTest, okRewritesTheCopysConfigAndTheGameReachesItsStartMenu)
{
    const std::string before = zoq::test::ReadText(m_dir / "Data/CONFIG/cfg.ini");
    const int music = Number("MusicEnable");
    RunSheet({
        ClickOn(kGraphicTab, ControlKind::Tab),
        ClickOn(kTextureQuality, ControlKind::Combo),
        ClickOn(kTextureQuality, ControlKind::ComboItem, 1),
        ClickOn(kSoundTab, ControlKind::Tab),
        ClickOn(kMusicEnable, ControlKind::CheckBox),
        ClickOn(plat::dialog::kIdOk, ControlKind::PushButton),
    });
    EXPECT_NE(zoq::test::ReadText(m_dir / "Data/CONFIG/cfg.ini"), before);
    EXPECT_EQ(Number("MusicEnable"), music == 1 ? 0 : 1);
    EXPECT_EQ(Number("TextureQuality"), 2);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "error.log")) << zoq::test::ReadText(m_dir / "error.log");

    zoq::test::WriteText(m_dir / "start.e2e", "wait menu=start\nexpect log-clean\nclick 1\n");
    zoq::test::ChildOptions options;
    options.env = { "ZOQ_GFX=null", "ZOQ_INSTANCE_SCOPE=e2e-settings-" + std::to_string(getpid()) };
    const zoq::test::RunResult run = zoq::test::RunProgram(
        ZOQ_E2E_PROGRAM, { "run", (m_dir / "start.e2e").string(), m_dir.string() }, options, 240000);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("fail "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nexit 0\n"), std::string::npos) << run.out;
}

} // namespace
