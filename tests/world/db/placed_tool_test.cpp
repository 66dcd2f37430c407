// zoq-world placed on a data folder made here: a building with its four door boxes and its road
// node, a turning building, a tower, two linked boundary posts, scenery, lanterns and a light on a
// flat map, each printed once in list order after one run of the object list.
#include "tests/world/db/world_fixture.h"

#include "tests/support/child_process.h"
#include "tools/model/model_writer.h"

#include <string>
#include <vector>

namespace {

using namespace zoq::tools::world;

zoq::test::RunResult RunTool(const std::vector<std::string>& arguments)
{
    return zoq::test::RunProgram(ZOQ_WORLD_PROGRAM, arguments);
}

class PlacedToolTest : public WorldDbTest {
protected:
    static ObjectBlock Block(uint32_t code, std::vector<PlacedObject> records)
    {
        ObjectBlock block;
        block.code = code;
        block.records = std::move(records);
        return block;
    }
    static ObjectBlock Linked(uint32_t code)
    {
        ObjectBlock block;
        block.code = code;
        block.linked = true;
        return block;
    }

    void SetUp() override
    {
        WorldDbTest::SetUp();
        for (const char* kind : { "building", "gun", "stone", "tree" }) {
            SModelFile model;
            ASSERT_TRUE(zoq::tools::model::MakeModel(kind, "TEX_A", model));
            WriteBytes(std::string("world/") + kind + ".mdl", zoq::tools::model::EncodeModelFile(model));
        }
        WriteDatabase("world/Data/DB.dat",
            { { "textures.txt", "@table Текстуры\n@field Filename text\n[TEX_A]\nFilename = a.tm\n" },
                { "models.txt",
                    "@table Модели\n@field Filename text\n@field Radius float\n"
                    "[MOD_BLD]\nFilename = building.mdl\nRadius = 8\n[MOD_GUN]\nFilename = gun.mdl\nRadius = "
                    "3\n"
                    "[MOD_STONE]\nFilename = stone.mdl\nRadius = 1\n[MOD_TREE]\nFilename = tree.mdl\nRadius "
                    "= "
                    "4\n" },
                { "stones.txt", "@table Камни\n@field Model text\n[ST_ROCK]\nModel = MOD_STONE\n" },
                { "trees.txt", "@table Деревья\n@field Model text\n[TR_OAK]\nModel = MOD_TREE\n" },
                { "roads.txt", "@table Дороги\n@field Model text\n[RD]\nModel = MOD_STONE\n" },
                { "buildings.txt",
                    "@table Здания\n@field Model text\n@field TYPE int\n[B_SHOP]\nModel = MOD_BLD\nTYPE = 1\n"
                    "[B_WHEEL]\nModel = MOD_BLD\nTYPE = 7\n" },
                { "covers.txt", "@table Покрытие\n@field Model text\n[MC_A]\nModel = TEX_A\n" },
                { "lanterns.txt",
                    "@table Фонари\n@field Model text\n@field RADIUS float\n[LMP]\nModel = MOD_GUN\n"
                    "RADIUS = 90\n" },
                { "towers.txt", "@table Tower\n@field Model text\n[TWR]\nModel = MOD_GUN\n" },
                { "boundary.txt", "@table Boundary\n@field Model text\n[BND]\nModel = MOD_STONE\n" },
                { "orgs.txt", "@table Организации\n@field ICON int\n[ORG_PLAYER]\nICON = 1\n" } });
        ObjectsFile file;
        ObjectBlock stones = Block(3, { PlacedObject::At("ST_ROCK", 100, 100, 0) });
        ObjectBlock trees = Block(4, { PlacedObject::At("TR_OAK", 110, 100, 0) });
        PlacedObject shop = PlacedObject::At("B_SHOP", 300, 300, 0, "SHOP");
        ObjectBlock buildings = Block(11,
            { shop, PlacedObject::At("B_WHEEL", 200, 300, 0, "WHEEL"),
                PlacedObject::At("B_SHOP", 400, 300, 0) });
        PlacedObject cover = PlacedObject::At("MC_A", 120, 100, 0);
        cover.placement[0] = cover.placement[5] = cover.placement[10] = 10.0f;
        ObjectBlock covers = Block(12, { cover });
        ObjectBlock lamps = Block(13, { PlacedObject::At("LMP", 130, 100, 0) });
        ObjectBlock lights
            = Block(19, { PlacedObject::At(plat::win::Utf8ToCp1251("Источник"), 140, 100, 5) });
        ObjectBlock towers = Block(22, { PlacedObject::At("TWR", 150, 100, 0) });
        ObjectBlock roads = Linked(8);
        roads.entries = { { PlacedObject::At("RD", 300, 250, 0, "SHOP"), { 1 } } };
        ObjectBlock posts = Linked(23);
        posts.entries = { { PlacedObject::At("BND", 500, 500, 0), { 10, 11 } },
            { PlacedObject::At("BND", 540, 500, 0), { 11, 10 } } };
        file.blocks = { stones, trees, roads, buildings, covers, lamps, lights, towers, posts };
        WriteArchive("world/Data/locs.pak", { { "Data\\Loc\\test.zjo", WriteObjectsFile(file) } });
        WriteFlatMap("world/Data/Loc/test.zjp");
    }
};

TEST_F(PlacedToolTest, PrintsEveryPlacedObjectOnceInListOrder)
{
    const zoq::test::RunResult result = RunTool({ "placed", "world", "Data\\Loc\\test.zjp" });
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The named building's door is the centre of box A ("INTO", 6 in front), its road node the one
    // named like it; the turning building is never entered and runs as a watched object.
    EXPECT_EQ(result.out,
        "3 - ST_ROCK radius=1 solid=1 rays=1\n"
        "4 - TR_OAK radius=4 solid=1 rays=0\n"
        "11 SHOP B_SHOP radius=8 solid=0 rays=1 boxes=ABCD door=300.05,294.05,-0.05 road=0 kind=1 watched=0\n"
        "11 WHEEL B_WHEEL radius=8 solid=0 rays=1 boxes=- door=- road=- kind=7 watched=1\n"
        "11 - B_SHOP radius=8 solid=0 rays=1 boxes=ABCD door=- road=- kind=1 watched=0\n"
        "12 - MC_A radius=150 solid=0 rays=0\n"
        "13 - LMP radius=3 solid=1 rays=1 range=90\n"
        "19 - Источник radius=10 solid=1 rays=0 range=100\n"
        "22 - TWR radius=3 solid=0 rays=1 range=500\n"
        "23 - BND radius=21 solid=0 rays=1 neighbours=1 reach=20 segments=1\n"
        "23 - BND radius=21 solid=0 rays=1 neighbours=1 reach=20 segments=1\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(PlacedToolTest, AMissingLocationFailsWithItsReason)
{
    const zoq::test::RunResult result = RunTool({ "placed", "world", "Data\\Loc\\none.zjp" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("zoq-world: Data\\Loc\\none.zjp: cannot load the location"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.out, "");
}

} // namespace
