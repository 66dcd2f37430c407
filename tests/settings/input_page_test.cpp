#include "tests/settings/settings_fixture.h"

#include "settings/CPrPg_Input.h"

namespace {

using zoq::test::IniText;

const std::string kControls = IniText({
    "[ZJCONFIG]",
    "FixCursor=0",
    "[CONFIG]",
    "ForceFeedback=0",
    "[INPUT]",
    "FORWARD=W",
    "FORWARD2=Up",
    "BACKWARD=S",
    "RUN=LShift",
    "MouseSensitivity=7",
    "InverseMouse=1",
    "[DefaultKeyLayout]",
    "FORWARD=W",
    "FORWARD2=Up",
    "BACKWARD=S",
    "JUMP=Space",
    "RUN=LShift",
});

class InputPageTest : public zoq::test::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        WriteConfig(kControls);
    }

    int Row(const char* action)
    {
        for (int i = 0; i < kInputRowCount; ++i) {
            if (std::string_view(kInputRows[i].binding->key) == action)
                return i;
        }
        return -1;
    }
};

TEST_F(InputPageTest, rowsStartFromTheFileAndTheDefaultLayout)
{
    CPrPg_Input page;
    page.Load(Path());
    EXPECT_EQ(page.CurrentKey(Row("FORWARD2")), "Up");
    EXPECT_EQ(page.CurrentKey(Row("JUMP")), "Space"); // absent from [INPUT]: its default
    EXPECT_EQ(page.CurrentKey(Row("SELECT")), "");
    EXPECT_EQ(page.KeyCodes().Count(), 8);
    // Before the page is shown the buttons read as in the dialog.
    EXPECT_EQ(page.Controls().buttons[size_t(Row("SHOWHOLD"))], "SHOW_HOLD");
    EXPECT_EQ(page.Controls().buttons[size_t(Row("SHOWMAP"))], "SHOWMAP");
    page.Activate(host);
    EXPECT_EQ(page.Controls().buttons[size_t(Row("FORWARD"))], "W");
    EXPECT_EQ(page.Controls().buttons[size_t(Row("SHOWHOLD"))], "");
    EXPECT_EQ(page.Controls().sensitivity.pos, 7);
    EXPECT_FALSE(page.Controls().fixCursor);
}

TEST_F(InputPageTest, assignMovesABindingAndTheOtherRowIsSavedEmpty)
{
    CPrPg_Input page;
    page.Load(Path());
    page.Activate(host);
    page.Assign(1049, "W"); // JUMP
    EXPECT_EQ(page.Controls().buttons[size_t(Row("JUMP"))], "W");
    EXPECT_EQ(page.Controls().buttons[size_t(Row("FORWARD"))], "");
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(Text("INPUT", "FORWARD"), "");
    EXPECT_EQ(Text("INPUT", "JUMP"), "W");
    EXPECT_NE(ReadConfig().find("\r\nFORWARD=\r\n"), std::string::npos);
    // Every row is written, also the empty ones, in the program's spelling.
    EXPECT_EQ(Text("INPUT", "SELECT"), "");
    EXPECT_EQ(Text("ZJCONFIG", "FixCursor"), "0");
}

TEST_F(InputPageTest, assignMatchesNamesExactly)
{
    CPrPg_Input page;
    page.Load(Path());
    page.Activate(host);
    page.Assign(1049, "w");
    EXPECT_EQ(page.CurrentKey(Row("FORWARD")), "W");
    EXPECT_EQ(page.CurrentKey(Row("JUMP")), "w");
}

TEST_F(InputPageTest, defaultsRestoreTheLayoutAndKeepInverseMouse)
{
    CPrPg_Input page;
    page.Load(Path());
    page.Activate(host);
    page.Assign(1038, "Mouse1"); // FORWARD
    page.Controls().inverseMouse = false;
    page.Defaults();
    const SInputControls& c = page.Controls();
    EXPECT_EQ(c.buttons[size_t(Row("FORWARD"))], "W");
    EXPECT_EQ(c.buttons[size_t(Row("JUMP"))], "Space");
    EXPECT_EQ(c.sensitivity.pos, 5);
    EXPECT_TRUE(c.fixCursor);
    EXPECT_TRUE(c.forceFeedback);
    EXPECT_FALSE(c.inverseMouse);
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(Number("INPUT", "InverseMouse"), 0);
    EXPECT_EQ(Number("INPUT", "MouseSensitivity"), 5);
}

TEST_F(InputPageTest, aMissingKeyCodeFileLeavesTheTableEmpty)
{
    std::filesystem::remove(m_dir / "Data/CONFIG/DICode.ini");
    CPrPg_Input page;
    EXPECT_EQ(page.KeyCodes().Count(), 0);
}

} // namespace
