// zoq-world effects on a data folder made here: one line per projectile and explosion row with
// every field, the rows named, and the exit codes.
#include "tests/world/db/world_fixture.h"

#include "tests/support/child_process.h"

#include <string>
#include <vector>

namespace {

zoq::test::RunResult RunTool(const std::vector<std::string>& arguments)
{
    return zoq::test::RunProgram(ZOQ_WORLD_PROGRAM, arguments);
}

class EffectsToolTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        WriteDatabase("fx/Data/DB.dat",
            {
                { "models.txt",
                    "@table Модели\n@field Filename text\n@field Radius float\n"
                    "[MOD_MISSILE]\nFilename = m.mdl\nRadius = 2\n" },
                { "sounds.txt", "@table Звуки\n@field Filename text\n[SND_EXPLOSION]\nFilename = e.wav\n" },
                { "explosions.txt",
                    "@table Взрывы\n@field IDSOUND text\n@field DAMAGE float\n@field RADIUS float\n"
                    "@field IMPULSE float\n@field LIGHTRADIUS float\n@field TYPE0 int\n@field DELAY0 float\n"
                    "@field DURATION0 float\n@field TYPE1 int\n@field DELAY1 float\n@field DURATION1 float\n"
                    "[EXP_ROCKET]\nDAMAGE = 60\nTYPE0 = 1\nDURATION0 = 0.6\n"
                    "[EXP_BIG]\nIDSOUND = SND_EXPLOSION\nDAMAGE = 150\nRADIUS = 20\nIMPULSE = 80\n"
                    "LIGHTRADIUS = 40\nTYPE0 = 1\nDURATION0 = 1\nTYPE1 = 10\nDELAY1 = 0.3\nDURATION1 = 1\n" },
                { "projectiles.txt",
                    "@table Снаряды\n@field Model text\n@field TYPE int\n@field SPEED float\n@field EXPLO "
                    "text\n"
                    "@field ROTATE float\n@field T float\n@field WEIGHT float\n@field SUBTYPE int\n"
                    "@field SUBMISSILE text\n@field SCALE float\n@field NUMSTATE int\n"
                    "[MIS_ROCKET]\nModel = MOD_MISSILE\nTYPE = 2\nSPEED = 120\nEXPLO = EXP_ROCKET\nROTATE = "
                    "2\n"
                    "T = 8\nWEIGHT = 20\nSUBTYPE = 0\n"
                    "[MIS_SPLIT]\nModel = MOD_MISSILE\nTYPE = 4\nSPEED = 60\nEXPLO = EXP_BIG\nWEIGHT = 40\n"
                    "SUBTYPE = 3\nSUBMISSILE = MIS_ROCKET\nNUMSTATE = 4\n"
                    "[MIS_BULLET]\nTYPE = 1\nSPEED = 400\nSCALE = 3\n" },
                { "orgs.txt", "@table Организации\n@field ICON int\n[ORG_PLAYER]\nICON = 1\n" },
            });
    }
};

TEST_F(EffectsToolTest, EveryRowPrintsOneLineWithEachField)
{
    const zoq::test::RunResult result = RunTool({ "effects", "fx" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
        "projectile MIS_ROCKET kind=2 life=5 radius=2 mass=20 thrust=120 turn=0.0523599 steered=1 gravity=0 "
        "trail=3/1000 explo=EXP_ROCKET sub=-\n"
        "projectile MIS_SPLIT kind=4 life=10 radius=0.5 mass=40 thrust=0 turn=0 steered=0 gravity=1 "
        "trail=0/1000 explo=EXP_BIG sub=MIS_ROCKET\n"
        "projectile MIS_BULLET kind=1 life=5 radius=1.5 mass=0.0001 thrust=0 turn=0 steered=0 gravity=0 "
        "trail=- explo=- sub=-\n"
        "explosion EXP_ROCKET radius=10 life=0.6 damage=60 impulse=0 light=0 sound=- stages=1:0-0.6\n"
        "explosion EXP_BIG radius=20 life=1.3 damage=150 impulse=80 light=40 sound=SND_EXPLOSION "
        "stages=1:0-1,10:0.3-1.3\n");
}

TEST_F(EffectsToolTest, NamedRowsPrintInTheOrderGivenAndAnUnknownNameFails)
{
    zoq::test::RunResult result = RunTool({ "effects", "fx", "EXP_ROCKET", "MIS_ROCKET" });
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
        "explosion EXP_ROCKET radius=10 life=0.6 damage=60 impulse=0 light=0 sound=- stages=1:0-0.6");
    EXPECT_NE(result.out.find("\nprojectile MIS_ROCKET kind=2 "), std::string::npos);

    result = RunTool({ "effects", "fx", "MIS_ROCKET", "MIS_NONE" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("zoq-world: no projectile or explosion MIS_NONE"), std::string::npos)
        << result.err;

    EXPECT_EQ(RunTool({ "effects" }).exitCode, 2);
}

} // namespace
