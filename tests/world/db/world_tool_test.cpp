// zoq-world info and trade on a data folder made here: a record database, an archive holding the objects
// file and the map file on disk.
#include "tests/world/db/world_fixture.h"

#include "tests/support/child_process.h"

#include "ai/CFerrovant.h"
#include "foundation/XMemBuffer.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace zoq::tools::world;

zoq::test::RunResult RunTool(const std::vector<std::string>& arguments)
{
    return zoq::test::RunProgram(ZOQ_WORLD_PROGRAM, arguments);
}

class WorldToolTest : public WorldDbTest {
protected:
    static constexpr const char* kGliders = "@table Глайдеры\n@field WEIGHT float\n[GL_A]\nWEIGHT = 10\n";

    // The record database of the game folder "world", with that glider table.
    static std::vector<std::pair<std::string, std::string>> Tables(const std::string& gliders)
    {
        return { { "textures.txt",
                     "@table Текстуры\n@field Filename text\n[TEX_SUN_FRONT]\nFilename = a.tm\n"
                     "[TEX_KT_ALL]\nFilename = b.tm\n" },
            { "models.txt",
                "@table Модели\n@field Filename text\n@field Radius float\n[MOD_ROCK]\nFilename = "
                "r.mdl\nRadius = 1\n" },
            { "sounds.txt", "@table Звуки\n@field Filename text\n[SND_BLD_DOOR_OPEN]\nFilename = d.wav\n" },
            { "music.txt", "@table Музыка\n@field Filename text\n[MUS_OBSERVER]\nFilename = o.ogg\n" },
            { "stones.txt",
                "@table Камни\n@field Model text\n[ST_ROCK]\nModel = MOD_ROCK\n[ST_SMALL]\nModel = "
                "MOD_ROCK\n" },
            { "trees.txt", "@table Деревья\n@field Flexibility float\n[TR_OAK]\nFlexibility = 0.5\n" },
            { "gliders.txt", gliders },
            { "helpers.txt", "@table Хелперы\n@field TYPE int\n[HLP_GATE]\nTYPE = 3\n" },
            { "roads.txt", "@table Дороги\n@field Model text\n[RD]\nModel = MOD_ROCK\n" },
            { "weapons.txt", "@table Оружие\n@field TYPE int\n[GUN_BOMB_LAUNCHER]\nTYPE = 1\n" },
            { "equipment.txt", "@table Оборудование\n@field TYPE int\n[EQP_BOOSTER]\nTYPE = 2\n" },
            { "orgs.txt",
                "@table Организации\n@field ICON int\n[ORG_PLAYER]\nICON = 1\n[ORG_FREE]\nICON = 2\n" },
            { "configs.txt",
                "@table Конфигурации\n@field GLIDER text\n@field ENGINE text\n@field REACTOR text\n"
                "[CFG_A]\nGLIDER = GL_A\nENGINE = EQP_BOOSTER\nREACTOR = EQP_BOOSTER\n" },
            { "anomal.txt", "@table Anomal\n@field TYPE int\n[AN_A]\nTYPE = 1\n" },
            { "soundzone.txt", "@table SoundZone\n@field PERIOD float\n[SZ_A]\nPERIOD = 3\n" },
            { "boundary.txt", "@table Boundary\n@field Model text\n[BD_A]\n" } };
    }

    void SetUp() override
    {
        WorldDbTest::SetUp();
        WriteDatabase("world/Data/DB.dat", Tables(kGliders));
        ObjectsFile file;
        ObjectBlock stones;
        stones.code = 3;
        stones.records = { PlacedObject::At("ST_ROCK", 0, 0, 0), PlacedObject::At("ST_SMALL", 1, 0, 0),
            PlacedObject::At("GHOST", 2, 0, 0) };
        ObjectBlock trees;
        trees.code = 4;
        trees.records = { PlacedObject::At("TR_OAK", 0, 0, 0) };
        ObjectBlock helpers;
        helpers.code = 7;
        helpers.records = { PlacedObject::At("HLP_GATE", 0, 0, 0, "gate") };
        ObjectBlock anomalies;
        anomalies.code = 20;
        anomalies.records = { PlacedObject::At("AN_A", 0, 0, 0) };
        ObjectBlock zones;
        zones.code = 24;
        zones.records = { PlacedObject::At("SZ_A", 0, 0, 0), PlacedObject::At("SZ_A", 5, 0, 0) };
        ObjectBlock roads;
        roads.code = 8;
        roads.linked = true;
        roads.entries = { { PlacedObject::At("RD", 0, 0, 0, "a"), { 1, 2 } },
            { PlacedObject::At("RD", 0, 0, 0), { 2, 3 } }, { PlacedObject::At("RD", 0, 0, 0), { 3 } } };
        ObjectBlock posts;
        posts.code = 23;
        posts.linked = true;
        posts.entries = { { PlacedObject::At("BD_A", 0, 0, 0), { 10, 11 } },
            { PlacedObject::At("BD_A", 100, 0, 0), { 11, 10 } } };
        file.blocks = { stones, trees, helpers, anomalies, zones, roads, posts };
        file.groups.groups = { GroupEntry { "G1", "ORG_FREE", 0, "", 0, {}, { "CFG_A" }, 0 },
            GroupEntry { "G2", "ORG_NONE", 4, "", 0, {}, { "CFG_A", "CFG_A" }, 0 } };
        file.trade.entries = { TradeEntry { "BLD", { {} } } };
        file.music.battle = { "MUS_A", "MUS_B" };
        file.music.calm = { "MUS_C" };
        file.music.sounds = { TimedSound {} };
        m_objects = WriteObjectsFile(file);
        WriteArchive("world/Data/locs.pak", { { "Data\\Loc\\test.zjo", m_objects } });
        WriteFlatMap("world/Data/Loc/test.zjp");
    }

    Bytes m_objects;
};

TEST_F(WorldToolTest, InfoPrintsTablesIdsAndTheLocation)
{
    const zoq::test::RunResult result = RunTool({ "info", "world", "Data\\Loc\\test.zjp" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string expected = "table\t1\tКамни\t2\n"
                                 "table\t2\tДеревья\t1\n"
                                 "table\t3\tГлайдеры\t1\n"
                                 "table\t4\tХелперы\t1\n"
                                 "table\t5\tДороги\t1\n"
                                 "table\t6\tВзрывы\t0\n"
                                 "table\t7\tСнаряды\t0\n"
                                 "table\t8\tОружие\t1\n"
                                 "table\t9\tОборудование\t1\n"
                                 "table\t10\tЗдания\t0\n"
                                 "table\t11\tПокрытие\t0\n"
                                 "table\t12\tФонари\t0\n"
                                 "table\t13\tСветовые объекты\t1\n"
                                 "table\t14\tТовары\t0\n"
                                 "table\t15\tКонфигурации\t1\n"
                                 "table\t16\tОрганизации\t2\n"
                                 "table\t17\tAnomal\t1\n"
                                 "table\t18\tTower\t0\n"
                                 "table\t19\tBoundary\t1\n"
                                 "table\t20\tSoundZone\t1\n"
                                 "table\t21\tFlyTeh\t1\n"
                                 "missing-id\tGUN_ROCKET_LAUNCHER\n"
                                 "missing-id\tSND_PICK_UP_THING\n"
                                 "missing-id\tTEX_SUN_BACK\n"
                                 "missing-id\tEQP_ANTIROCKET_SYSTEM\n"
                                 "missing-id\tEQP_INVISIBILITY_SHIELD\n"
                                 "missing-id\tEQP_ANALYZER\n"
                                 "missing-id\tTEX_FX_ROCKET_SMOKE\n"
                                 "missing-id\tTEX_FX_WATER_DUST\n"
                                 "missing-id\tMOD_GL_FIRE\n"
                                 "missing-id\tTEX_GL_FIRE_GLOW\n"
                                 "missing-id\tTEX_FIRE_GLOW2\n"
                                 "missing-id\tMOD_FX_FORCE_3\n"
                                 "missing-id\tMOD_FX_ROCKET_FIRE\n"
                                 "missing-id\tTEX_LAMP_SHADOW\n"
                                 "missing-id\tTEX_LAMP_GLOW\n"
                                 "missing-id\tTEX_LAMP_FLARE\n"
                                 "missing-id\tMOD_GUN_CORBEL\n"
                                 "missing-id\tTEX_FX_HAOS_PARTICLE\n"
                                 "missing-id\tTEX_FX_BORDER\n"
                                 "missing-id\tTEX_EXP_MASK\n"
                                 "missing-id\tMOD_FX_PODBOR\n"
                                 "missing-id\tTEX_KPT_PRICEL\n"
                                 "missing-id\tTEX_KPT_PRICEL_GREEN\n"
                                 "missing-id\tTEX_KT_ICONS\n"
                                 "objects\t3\t2\n"
                                 "objects\t4\t1\n"
                                 "objects\t23\t2\n"
                                 "points\t7\t1\n"
                                 "points\t20\t1\n"
                                 "points\t24\t2\n"
                                 "roads\t3\t4\n"
                                 "groups\t2\n"
                                 "trade\t1\n"
                                 "music\t2\t1\t1\n"
                                 "logged\t1\n";
    EXPECT_EQ(result.out, expected);
}

// Prices are lowered once after the load; two of the three production rolls from the seed 0 win
// (5 + 10.69 + 4.63). The goods table is empty, so nothing is consumed and the curve price is the
// top.
TEST_F(WorldToolTest, TradeRunsTheHoursAndPrintsEveryBuilding)
{
    ObjectsFile file;
    file.trade.version = 2;
    file.trade.entries = { TradeEntry { "BLD",
                               { TradeGood { "TOV_X", 200, 0, 5, 1, 100, 30, 0, 0 },
                                   TradeGood { "GL_A", 0, 50, 2, 0, 0, 0, 1, 0 } } },
        TradeEntry { "", {} } };
    WriteArchive("world/Data/locs.pak", { { "Data\\Loc\\test.zjo", WriteObjectsFile(file) } });
    const zoq::test::RunResult result = RunTool({ "trade", "world", "Data\\Loc\\test.zjp", "3" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
        "entry\tBLD\t2\n"
        "good\tTOV_X\tcurve=150.000\tbuy=0.000\tstock=20.323\tmax=150.000\tmin=100.000\tsold=0\n"
        "good\tGL_A\tcurve=0.000\tbuy=50.000\tstock=2.000\tmax=0.000\tmin=0.000\tsold=1\n"
        "entry\t-\t0\n"
        "logged\t0\n");
}

TEST_F(WorldToolTest, ATruncatedObjectsFileFailsWithTheTrace)
{
    WriteArchive("world/Data/locs.pak",
        { { "Data\\Loc\\test.zjo", Bytes(m_objects.begin(), m_objects.begin() + 200) } });
    const zoq::test::RunResult result = RunTool({ "info", "world", "Data\\Loc\\test.zjp" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(
        result.err.find("zoq-world: Data\\Loc\\test.zjp: cannot load the location: "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("->CZJEngine::ZJLoadObjects->CZJEngine::Load"), std::string::npos)
        << result.err;
}

TEST_F(WorldToolTest, PathPrintsTheRoadNodesFromOneToTheOther)
{
    const zoq::test::RunResult found = RunTool({ "path", "world", "Data\\Loc\\test.zjp", "a", "#2" });
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out.substr(0, found.out.find('\n') + 1), "path a #1 #2 length=0.000\n");
    for (const char* goal : { "#3", "nowhere", "#x" }) {
        const zoq::test::RunResult none = RunTool({ "path", "world", "Data\\Loc\\test.zjp", "a", goal });
        EXPECT_EQ(none.exitCode, 1) << goal;
        EXPECT_TRUE(none.err.ends_with(std::string("zoq-world: no path from a to ") + goal + "\n"))
            << none.err;
    }
}

TEST_F(WorldToolTest, GroupsPrintsEveryGroupWithItsKindData)
{
    for (const char* seconds : { "", "150" }) {
        std::vector<std::string> arguments { "groups", "world", "Data\\Loc\\test.zjp" };
        if (seconds[0])
            arguments.push_back(seconds);
        const zoq::test::RunResult result = RunTool(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out,
            "group\t1\tG1\tkind=0\torg=ORG_FREE\tmembers=0\tactive=0\tassembled=1\tinBuilding=0\tstate=0\t"
            "pos=0.0,0.0,0.0\thome=-1 radius=0.0\n"
            "group\t2\tG2\tkind=4\torg=ORG_FREE\tmembers=0\tactive=0\tassembled=1\tinBuilding=0\tstate=0\t"
            "pos=0.0,0.0,0.0\tstand=-1\n"
            "logged\t1\n") // the location's own line, as info shows; the fast-forward adds none
            << seconds;
    }
}

TEST_F(WorldToolTest, BadUsageAndAMissingDatabase)
{
    const std::vector<std::string> usages[] = { {}, { "info", "world" }, { "list", "world", "x" },
        { "info", "a", "b", "c" }, { "trade", "a" }, { "trade", "a", "b", "x" }, { "trade", "a", "b", "-1" },
        { "trade", "a", "b", "1", "2" }, { "configs" }, { "configs", "a", "b" }, { "machine", "a", "f" },
        { "machine", "a", "f", "short" }, { "path", "a", "b", "c" }, { "path", "a", "b", "c", "d", "e" },
        { "groups", "a" }, { "groups", "a", "b", "-1" }, { "groups", "a", "b", "x" },
        { "groups", "a", "b", "1", "2" }, { "hover", "a", "b", "1", "2", "3" },
        { "hover", "a", "b", "1", "2", "3", "0" }, { "hover", "a", "b", "1", "y", "3", "1" },
        { "hover", "a", "b", "1", "2", "nan", "1" }, { "frames", "a", "b", "1", "2", "3", "45", "0" },
        { "frames", "a", "b", "1", "2", "3", "45" }, { "glider", "a" }, { "glider", "a", "b", "c" },
        { "placed", "a" }, { "placed", "a", "b", "c" } };
    for (const std::vector<std::string>& arguments : usages) {
        const zoq::test::RunResult result = RunTool(arguments);
        EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(result.err,
            "usage: zoq-world info DIR LOCATION\n"
            "       zoq-world trade DIR LOCATION [HOURS]\n"
            "       zoq-world groups DIR LOCATION [SECONDS]\n"
            "       zoq-world configs DIR\n"
            "       zoq-world machine DIR FILE wire|full\n"
            "       zoq-world path DIR LOCATION FROM TO\n"
            "       zoq-world hover DIR LOCATION X Y Z SECONDS\n"
            "       zoq-world query DIR LOCATION ray X Y Z DX DY DZ LENGTH\n"
            "       zoq-world query DIR LOCATION near X Y Z RADIUS TYPE\n"
            "       zoq-world frames DIR LOCATION X Y Z HEADING N\n"
            "       zoq-world placed DIR LOCATION\n"
            "       zoq-world effects DIR [NAME...]\n"
            "       zoq-world glider DIR TYPE\n");
    }
    std::filesystem::create_directories("empty");
    const zoq::test::RunResult result = RunTool({ "info", "empty", "x.zjp" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(
        result.err.find("zoq-world: empty/Data/DB.dat: cannot open the record database: "), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("EXCEPTION:"), std::string::npos) << result.err;
}

// An object let go over the flat map falls to its hover height and slows; a start off the map
// fails.
TEST_F(WorldToolTest, HoverStepsAnObjectOverTheLocation)
{
    const zoq::test::RunResult result
        = RunTool({ "hover", "world", "Data\\Loc\\test.zjp", "300", "300", "30", "2" });
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines;
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u) << result.out;
    EXPECT_EQ(lines[0].rfind("t 0.50 pos 300.000 300.000 ", 0), 0u) << lines[0];
    float t = 0, x = 0, y = 0, z = 0, ground = 0, nx = 0, ny = 0, nz = 0, speed = 0;
    ASSERT_EQ(std::sscanf(lines[3].c_str(), "t %f pos %f %f %f ground %f normal %f %f %f speed %f", &t, &x,
                  &y, &z, &ground, &nx, &ny, &nz, &speed),
        9)
        << lines[3];
    EXPECT_FLOAT_EQ(t, 2.0f);
    EXPECT_FLOAT_EQ(ground, 0.0f);
    EXPECT_FLOAT_EQ(nz, 1.0f);
    EXPECT_LT(z, 30.0f);
    EXPECT_GE(z, 6.0f);
    EXPECT_TRUE(lines[4] == "settled 0" || lines[4] == "settled 1") << lines[4];

    const zoq::test::RunResult outside
        = RunTool({ "hover", "world", "Data\\Loc\\test.zjp", "-5", "300", "30", "1" });
    EXPECT_EQ(outside.exitCode, 1);
    EXPECT_NE(outside.err.find("zoq-world: Data\\Loc\\test.zjp: the start lies outside the map\n"),
        std::string::npos)
        << outside.err;
}

// query on the fixture location: a ray down onto the stone at the origin meets it, one that passes
// everything ends at its length, and a radius query lists the two stones in query order.
TEST_F(WorldToolTest, QueryPrintsTheRayHitOrItsEndAndTheObjectsNear)
{
    const auto query = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), { "query", "world", "Data\\Loc\\test.zjp" });
        return RunTool(arguments);
    };
    const zoq::test::RunResult hit = query({ "ray", "0", "30", "0.5", "0", "-1", "0", "100" });
    ASSERT_EQ(hit.exitCode, 0) << hit.err;
    EXPECT_EQ(hit.out, "hit 0 3 - at 0.00 0.87 0.50\ncount 1\n");
    const zoq::test::RunResult miss = query({ "ray", "300", "300", "10", "3", "0", "0", "50" });
    ASSERT_EQ(miss.exitCode, 0) << miss.err;
    EXPECT_EQ(miss.out, "miss end 350.00 300.00 10.00\ncount 0\n");
    const zoq::test::RunResult near = query({ "near", "0", "0", "0", "5", "3" });
    ASSERT_EQ(near.exitCode, 0) << near.err;
    EXPECT_EQ(near.out, "object 0 3 - distance 0.00\nobject 0 3 - distance 1.00\ncount 2\n");
    for (const auto& bad : { std::vector<std::string> { "ray", "0", "0", "0", "0", "0", "0", "10" },
             std::vector<std::string> { "ray", "0", "0", "0", "1", "0", "0", "0" },
             std::vector<std::string> { "near", "0", "0", "0", "5", "x" },
             std::vector<std::string> { "cone" } })
        EXPECT_EQ(query(bad).exitCode, 2) << bad[0];
}

} // namespace

namespace {

// glider on a row with every value set: the radius and hover scale of Init (x 4) and of the hull
// (x 3), the coefficients from the row, no points on a model without a file; an unknown type fails.
TEST_F(WorldToolTest, GliderPrintsWhatItsTypeGivesAGlider)
{
    WriteDatabase("world/Data/DB.dat",
        Tables(
            "@table Глайдеры\n@field MODEL text\n@field STANDARD int\n@field RESFRONT float\n"
            "@field RESSIDE float\n@field RESTOP float\n@field TURBULENCE float\n@field STABFRONT float\n"
            "@field STABSIDE float\n@field ROTATESPEED float\n@field CAREEN float\n@field DELTAT float\n"
            "[GL_A]\nSTANDARD = 1\n"
            "[GL_SCOUT]\nMODEL = MOD_ROCK\nSTANDARD = 2\nRESFRONT = 1.5\nRESSIDE = 2.5\nRESTOP = 0.75\n"
            "TURBULENCE = 9\nSTABFRONT = 0.5\nSTABSIDE = 0.25\nROTATESPEED = 90\nCAREEN = 2\nDELTAT = 3\n"));
    const zoq::test::RunResult result = RunTool({ "glider", "world", "GL_SCOUT" });
    ASSERT_EQ(result.exitCode, 0) << result.err;
    char steer[160];
    std::snprintf(steer, sizeof steer, "steer pitch=%g roll=%g turn=%g drift=%g spare=%g\n",
        double(1.0f / (0.5f + 0.0001f)), double(1.0f / (0.25f + 0.0001f)),
        double(3.1415927f * 90.0f * 0.0055555557f), double(2.0f * 0.075f), double(3.0f * 0.1f));
    EXPECT_EQ(result.out,
        std::string("glider GL_SCOUT row=1 model=MOD_ROCK standard=2\n"
                    "init radius=4 hover_scale=0.95\n"
                    "hull radius=3 hover_scale=1.05 probes=0,0,0\n"
                    "damping travel=1.5 scale=100 lift=0.75 side=2.5\n")
            + steer + "mounts light=-1 heavy=-1 fire=-1 fire1=-1 rocket_launcher=1 points=0\n");

    const zoq::test::RunResult unknown = RunTool({ "glider", "world", "NOPE" });
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "zoq-world: unknown glider NOPE\n");
    EXPECT_EQ(unknown.out, "");
}

// The machine commands: the configurations, and machine records the tool reads back.
class WorldToolMachineTest : public WorldToolTest {
protected:
    // The same gliders, equipment and configurations as the tool's database, here in ini form.
    static void LoadSameTables()
    {
        UseTables(
            AllTables({ { "Глайдеры", "[GL_A]\nWEIGHT=10\n" }, { "Оборудование", "[EQP_BOOSTER]\nTYPE=2\n" },
                { "Конфигурации", "[CFG_A]\nGLIDER=GL_A\nENGINE=EQP_BOOSTER\nREACTOR=EQP_BOOSTER\n" } }));
        ZJEngine.ZJInit();
    }
};

TEST_F(WorldToolMachineTest, ConfigsListsEveryConfiguration)
{
    const zoq::test::RunResult result = RunTool({ "configs", "world" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
        "config\t0\tCFG_A\trating=0\tglider=0\tlight=-1\theavy=-1\trocket=-1\treactor=0\tengine=0\tshield=-"
        "1\t"
        "armour=-1\tammo=-:0,-:0,-:0,-:0\teqp=-\n"
        "logged\t0\n");
}

TEST_F(WorldToolMachineTest, MachinePrintsAWireOrFullRecordAndRefusesABadOne)
{
    LoadSameTables();
    CFerrovant m;
    m.ApplyConfig(0, false, 0);
    std::strcpy(m.name, "M1");
    m.energy = 0.0f;
    m.cargo.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    m.cargo.AddGoods("", 50, 0.0f, CargoItem::kBulk);
    XMemBuffer wire;
    m.PutNetBuffer(wire);
    WriteBytes("wire.bin", Bytes(wire.Data(), wire.Data() + wire.Position()));
    XMemBuffer full;
    m.SaveGame(full, true);
    WriteBytes("full.bin", Bytes(full.Data(), full.Data() + full.Position()));
    WriteBytes("bad.bin", Bytes(wire.Data(), wire.Data() + 100));
    const std::string parts = "part\treactor\t0\tEQP_BOOSTER\twear=0.000\thit=0\tdestroyed=0\n"
                              "part\tengine\t0\tEQP_BOOSTER\twear=0.000\thit=0\tdestroyed=0\n"
                              "part\tshield\t-1\t-\twear=0.000\thit=0\tdestroyed=0\n"
                              "part\tarmour\t-1\t-\twear=0.000\thit=0\tdestroyed=0\n"
                              "part\thull\t0\tGL_A\twear=0.000\thit=0\tdestroyed=0\n";

    zoq::test::RunResult result = RunTool({ "machine", "world", "wire.bin", "wire" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
        "machine\tM1\tbytes=1730\tlevel=0\trating=0.000\tdead=0\tinBuilding=0\tshield=0.000\tarmour=0.000\t"
        "energy=0.000\n"
            + parts + "logged\t0\n");

    result = RunTool({ "machine", "world", "full.bin", "full" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
        "machine\t-\tbytes=" + std::to_string(full.Position()) // the full form has no name
            + "\tlevel=0\trating=0.000\tdead=0\tinBuilding=0\tshield=0.000\tarmour=0.000\tenergy=0.000\n"
            + parts + "cargo\t0\t2\tCAPTIVE\t1\t0.000\nbulk\t50.000\nlogged\t0\n");

    result = RunTool({ "machine", "world", "bad.bin", "wire" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("zoq-world: bad.bin: refused: CFerrovant::GetNetBuffer refused 100 bytes"),
        std::string::npos)
        << result.err;
    result = RunTool({ "machine", "world", "bad.bin", "full" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(
        result.err.find("zoq-world: bad.bin: refused: CFerrovant::LoadGame bad record"), std::string::npos)
        << result.err;
}

} // namespace
