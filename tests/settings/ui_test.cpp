// The sheet drawn by the dialog layer on the offscreen driver: tabs, clicks at the frame record's
// rectangles, read-back pixels, Start and closing.
#include "tests/settings/settings_fixture.h"

#include "platform/dialog/dialog.h"
#include "settings/CKeySetDlg.h"
#include "settings/CSheetView.h"
#include "settings/CTunvardApp.h"
#include "tests/settings/dialog_script.h"

#include <chrono>
#include <functional>

namespace {

using plat::dialog::ControlKind;
using plat::dialog::ControlRecord;
using zoq::test::IniText;

const std::string kConfig = IniText({
    "[CONFIG]",
    "TextureQuality=0",
    "MusicEnable=1",
    "MaxSoundSources=10",
    "[INPUT]",
    "FORWARD=W",
    "JUMP=Space",
    "[DefaultKeyLayout]",
    "FORWARD=W",
});

class UiTest : public zoq::test::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        WriteConfig(kConfig);
        plat::dialog::DialogDesc desc;
        desc.width = CTunvardApp::kWidth;
        desc.height = CTunvardApp::kHeight;
        std::string why;
        dialog = plat::dialog::Dialog::Create(desc, &why);
        ASSERT_NE(dialog, nullptr) << why;
    }

    void TearDown() override
    {
        dialog.reset();
        SettingsTest::TearDown();
    }

    const ControlRecord* Find(int id, ControlKind kind) const { return dialog->LastFrame().Find(id, kind); }

    void Click(const ControlRecord& c) { zoq::test::ClickControl(*dialog, c); }

    using Action = zoq::test::DialogAction;

    Action ClickOn(int id, ControlKind kind, int value = -2)
    {
        return zoq::test::ClickOn(*dialog, id, kind, value);
    }

    void Script(const std::function<void()>& loop, std::vector<Action> actions)
    {
        EXPECT_EQ(zoq::test::ScriptDialog(*dialog, loop, actions, std::chrono::seconds(20)), actions.size());
    }

    void Step(CSheetView& view, int frames = 4)
    {
        for (int i = 0; i < frames; ++i)
            dialog->DrawFrame([&](plat::dialog::Frame& f) { view.Draw(f); });
    }

    std::unique_ptr<plat::dialog::Dialog> dialog;
};

TEST_F(UiTest, theFiveTabsAppearInOrderWithTheirRussianLabels)
{
    CPrPg_SheetDlg sheet(true, host);
    CSheetView view(*dialog, sheet);
    Step(view);
    std::vector<std::pair<int, std::string>> tabs;
    for (const ControlRecord& c : dialog->LastFrame().controls) {
        if (c.kind == ControlKind::Tab)
            tabs.emplace_back(c.id, c.label);
    }
    const std::vector<std::pair<int, std::string>> expected = { { 104, "Феррованты" }, { 105, "Графика" },
        { 108, "Управление" }, { 106, "Звук" }, { 107, "Сеть" } };
    EXPECT_EQ(tabs, expected);
    ASSERT_NE(Find(132, ControlKind::Picture), nullptr);
    ASSERT_NE(Find(CPrPg_SheetDlg::IDC_DEFAULTS, ControlKind::PushButton), nullptr);
    EXPECT_EQ(Find(CPrPg_SheetDlg::IDC_DEFAULTS, ControlKind::PushButton)->label, "По умолчанию");
    EXPECT_EQ(Find(CPrPg_SheetDlg::IDC_START, ControlKind::PushButton)->label, "Старт");
    EXPECT_EQ(Find(plat::dialog::kIdOk, ControlKind::PushButton)->label, "ОК");
    EXPECT_EQ(Find(plat::dialog::kIdCancel, ControlKind::PushButton)->label, "Отмена");
}

TEST_F(UiTest, withACommandLineThereIsNoStartButton)
{
    CPrPg_SheetDlg sheet(false, host);
    CSheetView view(*dialog, sheet);
    Step(view);
    EXPECT_EQ(Find(CPrPg_SheetDlg::IDC_START, ControlKind::PushButton), nullptr);
}

TEST_F(UiTest, clicksOnACheckBoxAndAComboAreSavedByOk)
{
    CPrPg_SheetDlg sheet(false, host);
    CSheetView view(*dialog, sheet);
    int result = 0;
    Script([&] { result = view.Run(); },
        {
            ClickOn(106, ControlKind::Tab),
            ClickOn(1022, ControlKind::CheckBox),
            ClickOn(105, ControlKind::Tab),
            ClickOn(1029, ControlKind::Combo),
            ClickOn(1029, ControlKind::ComboItem, 1),
            ClickOn(plat::dialog::kIdOk, ControlKind::PushButton),
        });
    EXPECT_EQ(result, plat::dialog::kIdOk);
    EXPECT_EQ(Number("CONFIG", "MusicEnable"), 0);
    EXPECT_EQ(Number("CONFIG", "TextureQuality"), 2);
    EXPECT_EQ(Number("CONFIG", "MaxSoundSources2"), 14);
    EXPECT_TRUE(messages.empty());
}

TEST_F(UiTest, aCheckedBoxLooksDifferentFromAnUncheckedOne)
{
    CPrPg_SheetDlg sheet(false, host);
    CSheetView view(*dialog, sheet);
    Step(view);
    Click(*Find(107, ControlKind::Tab));
    Step(view);
    sheet.Net().Controls().runServer = false;
    dialog->KeepFramePixels(true);
    Step(view);
    const plat::dialog::Pixels unchecked = dialog->LastFramePixels();
    ASSERT_GT(unchecked.width, 0);
    bool uniform = true;
    for (uint32_t pixel : unchecked.argb)
        uniform = uniform && pixel == unchecked.argb[0];
    EXPECT_FALSE(uniform);

    const ControlRecord* box = Find(1024, ControlKind::CheckBox);
    ASSERT_NE(box, nullptr);
    const plat::window::Rect rect = box->rect;
    sheet.Net().Controls().runServer = true;
    Step(view);
    const plat::dialog::Pixels& checked = dialog->LastFramePixels();
    int differing = 0;
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        for (int x = rect.x; x < rect.x + std::min(rect.width, rect.height); ++x) {
            const uint32_t a = unchecked.At(x, y);
            const uint32_t b = checked.At(x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) {
                    ++differing;
                    break;
                }
            }
        }
    }
    EXPECT_GT(differing, 0);
}

TEST_F(UiTest, startSavesTheShownPagesAndStartsTheGameOnce)
{
    std::vector<std::string> started;
    CTunvardApp app([&](std::string_view commandLine) {
        started.emplace_back(commandLine);
        return true;
    });
    Script([&] { app.RunSheet(*dialog, true); },
        {
            ClickOn(106, ControlKind::Tab),
            ClickOn(1022, ControlKind::CheckBox),
            ClickOn(CPrPg_SheetDlg::IDC_START, ControlKind::PushButton),
        });
    EXPECT_EQ(started, std::vector<std::string> { "ZOQ.exe" });
    EXPECT_EQ(Number("CONFIG", "MusicEnable"), 0);
    EXPECT_EQ(Number("CONFIG", "Interval"), -12345) << "the graphics page was never shown";
    EXPECT_EQ(Text("INPUT", "JUMP"), "Space");
    EXPECT_NE(dialog->Window().IconSize().width, 0);
}

TEST_F(UiTest, closingTheWindowIsCancel)
{
    std::vector<std::string> started;
    CTunvardApp app([&](std::string_view commandLine) {
        started.emplace_back(commandLine);
        return true;
    });
    Script([&] { app.RunSheet(*dialog, true); },
        {
            ClickOn(106, ControlKind::Tab),
            ClickOn(1022, ControlKind::CheckBox),
            [this] {
                dialog->RequestClose();
                return true;
            },
        });
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(ReadConfig(), kConfig);
}

TEST_F(UiTest, aRowButtonCapturesAKeyAndMovesTheBinding)
{
    CPrPg_SheetDlg sheet(false, host);
    CSheetView view(*dialog, sheet);
    Script([&] { view.Run(); },
        {
            ClickOn(108, ControlKind::Tab),
            ClickOn(1049, ControlKind::PushButton), // JUMP
            [this] {
                // The capture dialog is open: its devices take the focus and a held key.
                if (!dialog->LastFrame().FindLabel("( Esc - отмена )"))
                    return false;
                test::PushWindowEvent(dialog->Window(), SDL_WINDOWEVENT_FOCUS_GAINED);
                test::PushKey(dialog->Window(), SDL_SCANCODE_W, true);
                return true;
            },
            [this] {
                if (dialog->LastFrame().FindLabel("( Esc - отмена )"))
                    return false;
                test::PushKey(dialog->Window(), SDL_SCANCODE_W, false);
                return true;
            },
            ClickOn(plat::dialog::kIdOk, ControlKind::PushButton),
        });
    EXPECT_EQ(Text("INPUT", "JUMP"), "W");
    EXPECT_EQ(Text("INPUT", "FORWARD"), "");
}

} // namespace
