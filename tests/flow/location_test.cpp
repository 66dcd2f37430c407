// Building visits on writer-made locations with the menu's result scripted through the modal
// hook: leaving, entering again and the travels with and without the tunnel ride (the location
// save, the arrival building, the arrival hour, the days, the location script), and the ride's
// own ends on a test counter.
#include "tests/ai/group_fixture.h"

#include "ai/CPlayerFerroGroup.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "foundation/CTimer.h"
#include "platform/window/keys.h"
#include "platform/window/message.h"
#include "script/CZJScriptManager.h"
#include "tests/app/fake_input.h"
#include "tools/script/script_compiler.h"
#include "ui/CBuildingMenu.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"
#include "world/terrain/CEnvironment.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace zw = zoq::tools::world;
namespace zm = zoq::tools::map;

constexpr float kPlacement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 100, 100, 0, 1 };

class LocationTest : public GroupTest {
protected:
    void SetUp() override
    {
        GroupTest::SetUp();
        UseTables(AllTables({
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n" },
            { "Оборудование", EquipmentTable() },
            { "Оружие", "[GUN_L]\n[GUN_H]\n" },
            { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
            { "Товары", "[TOV_A]\nMASSA=2\n" },
            { "Конфигурации", FullRow("CFG_STARTUP") },
            { "Организации", "[ORG_PLAYER]\n[ORG_NPC]\n" },
            { "Здания", "[B_HALL]\nTYPE=1\n[B_TUNNEL]\nTYPE=9\n" },
            { "Хелперы", "[HLP_START]\nTYPE=9\n" },
        }));
        ZJEngine.ZJInit();
        scripts = std::make_unique<CZJScriptManager>();
        g_pScriptManager = scripts.get();
        g_pRadarMap = &radarMap;
        g_pRadar = &radar;
        g_InputConfig.SetInput(input);
        WriteLocations(true);
        Script("location2", "_SETEVENT(ARRIVED)\n");
        StartIn("location1.zjp");
        std::memset(ZJEngine.destinationFile, 0, sizeof ZJEngine.destinationFile);
        std::strcpy(ZJEngine.destinationFile, "location2.zjp");
        GameTimeDays() = 4.25f;
    }
    void TearDown() override
    {
        FrameTimer = CTimer();
        g_InputConfig.SetInput(g_Input);
        ZJEngine.pendingAction = {};
        ZJEngine.currentBuilding = nullptr;
        PlayerGlider = nullptr;
        PlayerObject = nullptr;
        CameraObject = nullptr;
        g_pRadar = nullptr;
        g_pRadarMap = nullptr;
        g_pScriptManager = nullptr;
        scripts.reset();
        GroupTest::TearDown();
    }

    // Both locations hold the same buildings and start points, so that the arrival reads the
    // same objects whichever of the two the preparation has loaded: the hall B_L1_CEH, the plant
    // B_L2_PLANT, the tunnel buildings of sectors 3 and 2 (in that order; none of sector 1) and
    // two start points, one for the tunnel ride. A running clock needs two weather states.
    void WriteLocations(bool weather)
    {
        zw::ObjectsFile file;
        zw::ObjectBlock buildings;
        buildings.code = CZJObject::kBuilding;
        buildings.records = { zw::PlacedObject::At("B_HALL", 300, 300, 0, "B_L1_CEH"),
            zw::PlacedObject::At("B_HALL", 400, 300, 0, "B_L2_PLANT"),
            zw::PlacedObject::At("B_TUNNEL", 500, 300, 0, "B_L3_TUNNEL"),
            zw::PlacedObject::At("B_TUNNEL", 300, 500, 0, "B_L2_TUNNEL") };
        zw::ObjectBlock points;
        points.code = CZJObject::kHelper;
        points.records = { zw::PlacedObject::At("HLP_START", 200, 200, 0, "START_A"),
            zw::PlacedObject::At("HLP_START", 250, 450, 0, "TUNNEL_B") };
        file.blocks = { buildings, points };
        zm::LocationMap map = zm::LocationMap::Flat(65, 65);
        if (weather) {
            map.weather.resize(2);
            map.weather[1].kind = 1;
        }
        for (const char* name : { "location1", "location2" }) {
            WriteBytes(std::string(name) + ".zjp", zm::WriteMap(map));
            WriteObjects(std::string(name) + ".zjo", file);
        }
    }

    // What a game preparation leaves: the location loaded, the player's machine and glider, the
    // player standing in the hall's entrance.
    void StartIn(const char* location)
    {
        ObjectList.Clear();
        ASSERT_NE(ZJEngine.Load(location), 0);
        std::snprintf(app.locationFile, sizeof app.locationFile, "%s", location);
        radar.InitLocation("none.mmm");
        PlayerFerroGroup.Start();
        PlayerFerrovant->ApplyConfig(FerrovantConfigList.Find("CFG_STARTUP"), true, 0);
        PlayerFerrovant->group = &PlayerFerroGroup;
        auto* glider = new CGliderObject;
        glider->Init(kPlacement, MakeNameKey32("GL_A"));
        glider->AssignFerrovant(PlayerFerrovant);
        ObjectList.AddObject(glider);
        PlayerGlider = glider;
        PlayerObject = glider;
        Environment.frozen = 0;
        Enter("B_L1_CEH");
    }

    void Enter(const char* building)
    {
        auto* hall = static_cast<CBuildingObject*>(ObjectList.FindObject(MakeNameKey32(building), 11));
        ASSERT_NE(hall, nullptr);
        ZJEngine.currentBuilding = hall;
        ZJEngine.pendingAction = { 0, 0, MakeNameKey32(building), hall->typeKey };
    }

    void Script(const std::string& name, const std::string& source)
    {
        const std::filesystem::path text = m_dir / "src" / (name + ".scr");
        WriteText(text, source);
        std::vector<std::string> lines;
        std::string error;
        ASSERT_TRUE(zoq::tools::script::CompileScript(text, m_dir / "src", lines, error)) << error;
        WriteBytes(m_dir / "SCRIPT" / "bin" / (name + ".scr"), zoq::tools::script::StoreScript(lines));
    }

    // Answers the building menus with the results in turn, recording the building each was for.
    void Answer(std::vector<int> results)
    {
        app.modalHook = [this, results, next = size_t(0)](CBaseMenu* menu, int& result) mutable {
            auto* building = dynamic_cast<CBuildingMenu*>(menu);
            menus.push_back(building ? building->buildingKey : "?");
            result = next < results.size() ? results[next++] : 1;
            return true;
        };
    }

    // The ride's frame timer on a counter that moves a tenth of a second each read.
    void CountedTimer()
    {
        FrameTimer = CTimer([this] { return ticks += 100; }, 1000);
    }

    void Visit() { app.ChangeLocation(MakeNameKey32("B_L1_CEH"), ZJEngine.pendingAction.actionBuildingType); }

    void Drain()
    {
        PlayerFerrovant->energy = 0.0f;
        PlayerFerrovant->shieldLevel = 0.0f;
    }
    void ExpectRefilled() const
    {
        EXPECT_GT(PlayerFerrovant->GetEnergyLevel(2), 0.0f);
        EXPECT_FLOAT_EQ(PlayerFerrovant->energy, PlayerFerrovant->GetEnergyLevel(2));
        EXPECT_FLOAT_EQ(PlayerFerrovant->shieldLevel, PlayerFerrovant->GetShieldLevel(2));
    }
    std::filesystem::path LocationSave(int n) const
    {
        return m_dir / "SAVES" / "LOCS" / ("data" + std::to_string(n) + ".loc");
    }

    CZJApp app;
    CRadar radar;
    CRadarMap radarMap;
    FakeInput input;
    std::unique_ptr<CZJScriptManager> scripts;
    std::vector<std::string> menus;
    int64_t ticks = 0;
};

TEST_F(LocationTest, leavingPutsTheGliderOutsideAndEveryResultRefills)
{
    struct SCase {
        int result;
        bool leaves;
    };
    for (const SCase c : { SCase { 1, true }, SCase { 4, true }, SCase { 0, false }, SCase { 3, false } }) {
        SCOPED_TRACE(c.result);
        PlayerGlider->SetPosition({ 100.0f, 100.0f, 0.0f });
        PlayerGlider->ferroChanged = 0;
        Drain();
        Answer({ c.result });
        Visit();
        const Vec3& at = PlayerGlider->frame.position;
        EXPECT_EQ(at.x != 100.0f || at.y != 100.0f, c.leaves);
        EXPECT_EQ(PlayerGlider->ferroChanged, c.leaves ? 1 : 0);
        ExpectRefilled();
        EXPECT_EQ(ZJEngine.pendingAction.actionPending, 0);
        EXPECT_FALSE(std::filesystem::exists(LocationSave(1))) << "no travel";
    }
}

TEST_F(LocationTest, enteringAgainRunsTheCurrentBuildingsMenuOnceMore)
{
    Drain();
    Answer({ 8, 8, 1 });
    app.ChangeLocation(MakeNameKey32("B_OTHER"), MakeNameKey32("B_HALL"));
    EXPECT_EQ(menus, (std::vector<std::string> { "B_OTHER", "B_L1_CEH", "B_L1_CEH" }));
    EXPECT_STREQ(ZJEngine.pendingAction.actionBuilding.text, "B_L1_CEH");
    EXPECT_STREQ(ZJEngine.pendingAction.actionBuildingType.text, "B_HALL");
    ExpectRefilled();
}

TEST_F(LocationTest, aTravelSavesTheLocationLeftAndArrivesInTheBuildingAsked)
{
    struct SCase {
        int result;
        const char* asked;
        const char* arrival;
    };
    const SCase cases[] = {
        { 10, "B_L2_PLANT", "B_L2_PLANT" },
        { 10, "", "B_L2_TUNNEL" },
        { 5, "B_NOWHERE", "B_L2_TUNNEL" },
    };
    int saves = 0;
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.result) + " " + c.asked);
        StartIn("location1.zjp");
        CountedTimer();
        input.reads = 0;
        scripts->RemoveEvent("ARRIVED");
        Drain();
        ZJEngine.pendingAction.actionBuilding = MakeNameKey32(c.asked);
        Answer({ c.result });
        Visit();

        ++saves;
        EXPECT_TRUE(std::filesystem::exists(LocationSave(saves))) << "the state of location1";
        EXPECT_EQ(app.savedValues[0], uint32_t(saves));
        const SPendingAction& action = ZJEngine.pendingAction;
        EXPECT_EQ(action.actionPending, 1);
        EXPECT_EQ(action.actionCode, 5u);
        EXPECT_STREQ(action.actionBuilding.text, c.arrival);
        ASSERT_NE(ZJEngine.currentBuilding, nullptr);
        EXPECT_STREQ(ZJEngine.currentBuilding->name, c.arrival);
        EXPECT_STREQ(action.actionBuildingType.text, ZJEngine.currentBuilding->typeKey.text);
        EXPECT_EQ(PlayerFerrovant->inBuilding, 1);
        EXPECT_TRUE(scripts->IsEventSet("ARRIVED")) << "the script location2";
        ExpectRefilled();
        EXPECT_EQ(input.reads > 1, c.result == 5) << "only 5 rides the tunnel: one input read a frame";
    }
}

TEST_F(LocationTest, theTravelArrivesInTheNextHourAndKeepsTheDays)
{
    struct SCase {
        float clock;
        float hour;
    };
    for (const SCase c : { SCase { 23.5f, 0.0f }, SCase { 9.25f, 10.0f }, SCase { 16.0f, 17.0f } }) {
        SCOPED_TRACE(c.clock);
        StartIn("location1.zjp");
        TimeOfDay() = c.clock;
        GameTimeDays() = 4.25f;
        Answer({ 10 });
        Visit();
        EXPECT_GE(TimeOfDay(), c.hour);
        EXPECT_LT(TimeOfDay(), c.hour + 1.0f);
        EXPECT_FLOAT_EQ(GameTimeDays(), 4.25f) << "the steps do not count as game time";
    }
}

TEST_F(LocationTest, aClockThatDoesNotRunEndsTheTravelAllTheSame)
{
    WriteLocations(false);
    StartIn("location1.zjp");
    TimeOfDay() = 12.0f;
    Answer({ 10 });
    Visit();
    EXPECT_LT(TimeOfDay(), 13.0f) << "no weather states: the clock stands";
    EXPECT_FLOAT_EQ(GameTimeDays(), 4.25f);
    EXPECT_EQ(ZJEngine.pendingAction.actionCode, 5u);
}

TEST_F(LocationTest, aDestinationWithoutATunnelBuildingRequestsNoArrival)
{
    zw::ObjectsFile bare;
    WriteBytes("location2.zjp", zm::WriteMap(zm::LocationMap::Flat(65, 65)));
    WriteObjects("location2.zjo", bare);
    ObjectList.Clear();
    PlayerGlider = nullptr;
    PlayerObject = nullptr;
    ASSERT_NE(ZJEngine.Load("location2.zjp"), 0) << "what the preparation leaves of the destination";
    std::snprintf(app.locationFile, sizeof app.locationFile, "location1.zjp");
    Answer({ 10 });
    app.ChangeLocation(MakeNameKey32("B_L1_CEH"), MakeNameKey32("B_HALL"));
    EXPECT_EQ(ZJEngine.pendingAction.actionPending, 0);
    EXPECT_EQ(ZJEngine.currentBuilding, nullptr) << "the building left is gone with its location";
    EXPECT_TRUE(std::filesystem::exists(LocationSave(1)));
}

TEST_F(LocationTest, theRideEndsAfterTenSecondsOnEscapeOrOnAClose)
{
    CountedTimer();
    app.TunnelTransition();
    const int frames = input.reads;
    EXPECT_GE(GameClock, 10.0);
    EXPECT_LT(GameClock, 12.0) << frames << " frames";

    input.reads = 0;
    input.frames = { [](FakeInput&) {}, [](FakeInput&) {},
        [](FakeInput& i) { i.Key(plat::window::key::Escape, true); } };
    app.TunnelTransition();
    EXPECT_EQ(input.reads, 3);

    input.reads = 0;
    app.SetQuit(1);
    app.TunnelTransition();
    app.SetQuit(0);
    EXPECT_EQ(input.reads, 0);

    input.reads = 0;
    input.frames = { [](FakeInput& i) { i.Key(plat::window::key::Escape, false); },
        [](FakeInput&) { plat::window::PostQuitMessage(0); } };
    app.TunnelTransition();
    EXPECT_LE(input.reads, 3) << "a window's close is read during the ride";
    EXPECT_TRUE(app.IsQuitting());
    app.SetQuit(0);
}

} // namespace
