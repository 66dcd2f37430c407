// Descriptor property texts: rows shown as key=value lines and edited lines written back.
#include "tests/world/db/world_fixture.h"

#include "foundation/XStringTable.h"
#include "platform/win/profile.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CHelperManager.h"
#include "world/db/CMapCoverManager.h"
#include "world/db/CSoundZoneManager.h"
#include "world/db/CStoneManager.h"
#include "world/db/CTreeManager.h"

namespace {

class PropertyTextTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables(AllTables({
            { "Камни", "[ST_FLY]\nFly=1\n" },
            { "Деревья", "[TR_A]\nFlexibility=0.25\nNOSOLID=1\n" },
            { "Хелперы", "[HLP_A]\nTYPE=4\n" },
            { "Здания", "[BLD_A]\n[BLD_QUIET]\nNORADIATE=1\n" },
            { "Покрытие", "[COVER]\nTYPE=1\nPERIOD=2.5\n" },
            { "Anomal", "[AN_A]\nTYPE=2\nFORCE=0.5\n" },
            { "SoundZone", "[SZ_A]\nLOOP=1\nPERIOD=3\n" },
        }));
        ZJEngine.ZJInit();
    }

    // The table file of a table as the tables fixture named it ("table<n>.ini").
    static std::string TableFile(int n) { return "table" + std::to_string(n) + ".ini"; }

    static void Lines(XStringTable& table, const std::vector<std::string>& utf8)
    {
        table.Init(int(utf8.size()), 256);
        for (const std::string& line : utf8)
            table.Add(plat::win::Utf8ToCp1251(line).c_str());
    }

    // The lines of a described row, without their ends.
    static void DescribedLines(XStringTable& table, const std::string& text)
    {
        std::vector<std::string> lines(1);
        for (char c : text) {
            if (c == '\n')
                lines.emplace_back();
            else if (c != '\r')
                lines.back() += c;
        }
        table.Init(int(lines.size()), 256);
        for (const std::string& line : lines)
            table.Add(line.c_str());
    }
};

TEST_F(PropertyTextTest, RowsAreDescribedInTheirForms)
{
    struct Case {
        CZJObjectManager* manager;
        int row;
        const char* text;
    };
    const Case cases[] = {
        { &g_StoneManager, 0, CP1251("Летающий=1\r\nНеМеняетЦвет=0\r\n") },
        { &g_StoneManager, -1, CP1251("Летающий=0\r\nНеМеняетЦвет=0\r\n") },
        { &g_TreeManager, 0, CP1251("Гибкость=0.250000\r\nБезПересечений=1") },
        { &g_TreeManager, -1, CP1251("Гибкость=1.000000\r\nБезПересечений=0") },
        { &g_HelperManager, 0, "TYPE=4\n" },
        { &g_HelperManager, -1, "TYPE=0\n" },
        { &g_BuildingManager, 0, "NORADIATE=0\n" },
        { &g_BuildingManager, 1, "NORADIATE=1\n" },
        { &g_BuildingManager, -1, "NORADIATE=0\n" },
        { &g_MapCoverManager, 0, CP1251("Светящийся=1\r\nПериод=2.500000") },
        { &g_MapCoverManager, -1, CP1251("Светящийся=0\r\nПериод=0.000000") },
        { &g_AnomalZoneManager, 0, "TYPE=2\nFORCE=0.500000\n" },
        { &g_SoundZoneManager, 0,
            CP1251("Зацикленный=1\r\nСлучайный=0\r\nПериод=3.000000\r\nПродолжительность=5.000000\r\n") },
        { &g_SoundZoneManager, -1,
            CP1251("Зацикленный=0\r\nСлучайный=0\r\nПериод=10.000000\r\nПродолжительность=5.000000\r\n") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(plat::win::Cp1251ToUtf8(c.text));
        EXPECT_EQ(c.manager->DescribeRow(c.row), c.text);
    }
    EXPECT_THROW(g_AnomalZoneManager.DescribeRow(-1), XRangeError);
    EXPECT_THROW(g_StoneManager.DescribeRow(1), XRangeError);
}

TEST_F(PropertyTextTest, EditedLinesAreWrittenUnderTheirFields)
{
    XStringTable lines;
    Lines(lines, { "type=3", "no equals sign", "unknown=5" });
    EXPECT_EQ(g_HelperManager.UpdateRowFromText("HLP_A", lines), 3);
    // Tables were written in the order of the list: Камни 0, Деревья 1, Хелперы 2, Здания 3, ...
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(2), "HLP_A", "TYPE", -1)), 3);
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(2), "HLP_A", "UNKNOWN", -1)), -1);

    Lines(lines, { "Период=2.5", "Случайный=1", "Зацикленный" });
    EXPECT_EQ(g_SoundZoneManager.UpdateRowFromText("SZ_A", lines), 3);
    char text[32];
    plat::win::ReadProfileString(TableFile(6), "SZ_A", "PERIOD", "", text, sizeof text);
    EXPECT_STREQ(text, "2.500000");
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(6), "SZ_A", "RANDOM", -1)), 1);
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(6), "SZ_A", "LOOP", -1)), 1);

    Lines(lines, { "noradiate=7" });
    g_BuildingManager.UpdateRowFromText("BLD_A", lines);
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(3), "BLD_A", "NORADIATE", -1)), 1);

    Lines(lines, { "Летающий=0", "НеМеняетЦвет=1", "ЛЕТАЮЩИЙ=1" });
    g_StoneManager.UpdateRowFromText("ST_FLY", lines);
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(0), "ST_FLY", "FLY", -1)), 0);
    EXPECT_EQ(int32_t(plat::win::ReadProfileInt(TableFile(0), "ST_FLY", "NOMAPCOLOR", -1)), 1);

    // A manager without the pair describes nothing and only counts the lines.
    CZJObjectManager& lanterns = static_cast<CZJObjectManager&>(*ZJEngine.InitSteps()[11].manager);
    EXPECT_EQ(lanterns.DescribeRow(-1), "");
    EXPECT_EQ(lanterns.UpdateRowFromText("X", lines), 3);
}

TEST_F(PropertyTextTest, DescribedRowsWrittenToAnotherSectionDescribeTheSame)
{
    struct Case {
        CZJObjectManager* manager;
        const char* section;
    };
    const Case cases[] = {
        { &g_StoneManager, "ST_FLY" },
        { &g_TreeManager, "TR_A" },
        { &g_HelperManager, "HLP_A" },
        { &g_BuildingManager, "BLD_QUIET" },
        { &g_MapCoverManager, "COVER" },
        { &g_AnomalZoneManager, "AN_A" },
        { &g_SoundZoneManager, "SZ_A" },
    };
    std::vector<std::string> texts;
    for (const Case& c : cases) {
        texts.push_back(c.manager->DescribeRow(c.manager->FindRow(c.section)));
        XStringTable lines;
        DescribedLines(lines, texts.back());
        c.manager->UpdateRowFromText("COPY", lines);
    }
    ZJEngine.ZJInit();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].section);
        EXPECT_EQ(cases[i].manager->DescribeRow(cases[i].manager->FindRow("COPY")), texts[i]);
    }
    // Keys are written in capitals, whatever their case when read.
    const Bytes trees = ReadBytes(TableFile(1));
    EXPECT_NE(std::string(trees.begin(), trees.end()).find("FLEXIBILITY=0.250000"), std::string::npos);
}

} // namespace
