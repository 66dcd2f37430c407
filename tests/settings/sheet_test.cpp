#include "tests/settings/settings_fixture.h"

#include "settings/CPrPg_SheetDlg.h"

namespace {

using zoq::test::IniText;

const std::string kConfig = IniText({
    "[CONFIG]",
    "ScreenWidth=800",
    "ScreenHeight=600",
    "ScreenRefresh=60",
    "Interval = 1",
    "MusicVolume = 4",
    "[NET]",
    "RunServer = 0",
    "[INPUT]",
    "FORWARD = W",
});

class SheetTest : public zoq::test::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        plat::gfx::null::GetConfig().modes = { { 800, 600, 60, plat::gfx::Format::X8R8G8B8 },
            { 1024, 768, 60, plat::gfx::Format::X8R8G8B8 } };
        WriteConfig(kConfig);
    }
};

TEST_F(SheetTest, pagesNeverShownWriteNothingAlsoAfterStart)
{
    CPrPg_SheetDlg sheet(true, host);
    EXPECT_EQ(sheet.ActivePage(), 0);
    sheet.OnStart();
    EXPECT_TRUE(sheet.StartPressed());
    EXPECT_EQ(ReadConfig(), kConfig);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SheetTest, cancelWritesNothing)
{
    {
        CPrPg_SheetDlg sheet(false, host);
        for (int i = 0; i < CPrPg_SheetDlg::kPageCount; ++i)
            sheet.SetActivePage(i);
        sheet.Sound().Controls().musicVolume.Set(9);
    }
    EXPECT_EQ(ReadConfig(), kConfig);
}

TEST_F(SheetTest, okSavesOnlyThePagesShown)
{
    CPrPg_SheetDlg sheet(false, host);
    sheet.SetActivePage(3);
    sheet.Sound().Controls().musicVolume.Set(9);
    sheet.OnOK();
    EXPECT_EQ(Number("CONFIG", "MusicVolume"), 9);
    EXPECT_EQ(Number("NET", "RunServer", 7), 0);
    EXPECT_NE(ReadConfig().find("Interval = 1"), std::string::npos);
    EXPECT_NE(ReadConfig().find("FORWARD = W"), std::string::npos);
}

TEST_F(SheetTest, defaultsActOnTheActivePageOnly)
{
    CPrPg_SheetDlg sheet(false, host);
    for (int i = 0; i < CPrPg_SheetDlg::kPageCount; ++i)
        sheet.SetActivePage(i);
    sheet.SetActivePage(0);
    sheet.OnDefaults(); // the title page: nothing
    sheet.SetActivePage(4);
    sheet.OnDefaults();
    EXPECT_TRUE(sheet.Net().Controls().runServer);
    EXPECT_EQ(sheet.Sound().Controls().musicVolume.pos, 4);
    EXPECT_TRUE(sheet.Graphic().Controls().interval);
    sheet.OnOK();
    EXPECT_EQ(Number("NET", "RunServer"), 1);
    EXPECT_EQ(Number("CONFIG", "MusicVolume"), 4);
    EXPECT_EQ(Number("CONFIG", "Interval"), 1);
}

TEST_F(SheetTest, aFailedWriteShowsOneBoxNamingTheFile)
{
    std::filesystem::remove_all(m_dir / "Data");
    CPrPg_SheetDlg sheet(false, host);
    for (int i = 0; i < CPrPg_SheetDlg::kPageCount; ++i)
        sheet.SetActivePage(i);
    sheet.OnOK();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find(".\\data\\CONFIG\\cfg.ini"), std::string::npos) << messages[0].text;
    EXPECT_EQ(messages[0].caption, CP1251("Феррованты. Настройка параметров."));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "Data"));
}

} // namespace
