// The preparation of a game: the location, the player's machine record, the player's glider
// with its camera and bomb-trajectory marker, the start point; and the numbered actions scripts
// request of the application.
#include "app/CZJApp.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CPlayerFerroGroup.h"
#include "ai/CZJTrade.h"
#include "app/CResourceEngine.h"
#include "app/MapPreparation.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRandom.h"
#include "script/CZJScriptManager.h"
#include "ui/CMainMenu.h"
#include "ui/CMessager.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "ui/ScannerTexture.h"
#include "world/db/CFlyTehManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CPhysics.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CTrajectoryObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

constexpr float kStartClock = 10.0f; // hours
constexpr float kStartPointLift = 12.0f;
constexpr float kFallbackHeight = 100.0f;
constexpr float kFallbackFraction = 4.0f; // 40 % of the map in world units per grid point
constexpr float kObserverLift = 25.0f;
constexpr float kObserverMargin = 5000.0f;
constexpr float kDeathCountdown = 5.0f;
constexpr float kStartRating = 0.05f;
constexpr int32_t kThingGoods = 513;
constexpr int32_t kThingMoney = 515;
constexpr float kMoneyChance = 0.1f;
constexpr uint32_t kItemGoods = 0;
constexpr uint32_t kItemMoney = 3;

void CopyName(char (&field)[32], const char* text)
{
    std::memset(field, 0, sizeof field);
    std::snprintf(field, sizeof field, "%s", text);
}

void SetTrack(char (&track)[32], const char* fallback)
{
    if (track[0] == 0)
        CopyName(track, fallback);
}

// The name of the player's glider type; empty when the record names no row of the glider table.
std::string PlayerGliderType(const CFerrovant* record, int32_t& row)
{
    row = record ? record->hull.index : -1;
    const XStringTable& names = g_GliderManager.GetRowNames();
    return row >= 0 && row < names.Count() ? names.GetString(row) : std::string();
}

[[noreturn]] void Refuse(const std::string& line)
{
    WriteErrorLog(line);
    throw std::runtime_error(line);
}

} // namespace

void CZJApp::InitMap(const char* fileName, int flag)
{
    ZJ_TRACE("CZJApp::InitMap");
    (void)flag;
    if (std::strlen(fileName) >= sizeof locationFile)
        Refuse(std::string("CZJApp::InitMap: location name too long: ") + fileName);
    ObjectList.Clear();
    Location.ClearCellObjects();
    PlayerGlider = nullptr;
    PlayerObject = nullptr;
    CameraObject = nullptr;
    TrajectoryMarker = nullptr;
    std::snprintf(locationFile, sizeof locationFile, "%s", fileName);

    ZJEngine.Load(locationFile);
    Environment.UpdateHorizont();

    SLocMusic& music = ZJEngine.music;
    SetTrack(music.mainTrack, "MUS_LOC1");
    if (music.battleCount == 0)
        CopyName(music.battleTracks[music.battleCount++], "MUS_FIGHT");
    SetTrack(music.towerTrack, "MUS_LOC1");
    music.InitTimers();

    if (g_pRadar) {
        g_pRadar->InitLocation(RadarMapName(locationFile).c_str());
        g_pRadar->markShown = 0;
    }

    Environment.frozen = 0;
    if (Environment.WeatherCount() > 0)
        Environment.SetWeather(Environment.WeatherCount() - 1, false);
    Environment.hour = kStartClock;
    Environment.moonClock = kStartClock;

    FrameTimer.Update();
    ResourceEngine.GlobalRun();
    FrameTimer.Restart();

    if (g_pMessager)
        g_pMessager->Clear();
    ClearScannerTexture();
}

void CZJApp::ApplyStartConfig(bool keep)
{
    ZJ_TRACE("CZJApp::ApplyStartConfig");
    CFerrovant* current = PlayerFerrovant;
    PlayerFerroGroup.Start();
    if (g_OrgManager.playerOrganisation >= 0)
        PlayerFerroGroup.organisation = g_OrgManager.playerOrganisation;
    CFerrovant& slot = *PlayerFerrovant;
    if (keep && current && current != &slot) {
        XMemBuffer copy(4096);
        current->SaveGame(copy, true);
        copy.SetPosition(0);
        slot.LoadGame(copy, true);
    }

    slot.group = &PlayerFerroGroup;
    slot.dead = 0;
    slot.inBuilding = 0;
    slot.rating = kStartRating;
    slot.level = 1;
    slot.cargo.Clear();
    CopyName(slot.name, "SMT5001");
    PlayerControl = {};

    if (!keep) {
        const int config = FerrovantConfigList.Find("CFG_STARTUP");
        slot.ApplyConfig(config < 0 ? 0 : config, true, 0);
    }
}

void CZJApp::InitMainFerro(bool newGame, bool tunnelStart)
{
    ZJ_TRACE("CZJApp::InitMainFerro");
    (void)newGame;
    CFerrovant* record = PlayerFerrovant;
    int32_t row = -1;
    const std::string type = PlayerGliderType(record, row);
    const Matrix4 placement = preparation::StandardFrame(Vec3 {});
    CGliderObject* glider = nullptr;
    if (!type.empty())
        glider = static_cast<CGliderObject*>(
            g_GliderManager.CreateObject(MakeNameKey32(type.c_str()), placement.m, nullptr));
    if (!glider)
        Refuse("CZJApp::InitMainFerro: no glider " + (type.empty() ? std::to_string(row) : type));
    PlayerGlider = glider;
    PlayerObject = glider;
    record->glider = glider;
    glider->AssignFerrovant(record);
    if (state == kNetGame)
        ObjectList.AddToExtraList(glider);

    InitGliderOnStartPos(tunnelStart);
    Matrix4 turned = glider->frame.matrix;
    preparation::HalfTurn(turned);
    glider->frame.SetMatrix(turned);
    glider->frame.UpdateAxes();

    auto* camera = new CCamera;
    camera->frame.CopyFrom(glider->frame);
    camera->AttachViewTarget(glider);
    camera->visible = camera->effectInView = 0;
    ObjectList.AddObject(camera);
    camera->visible = camera->effectInView = 1;
    CameraObject = camera;

    TrajectoryMarker = new CTrajectoryObject;
    ObjectList.AddObject(TrajectoryMarker);

    const int observers = preparation::ObserverCount(Location.width, Location.height, FerroGroupList.Count());
    const NameKey32 observer = MakeNameKey32("FTO_OBSERVER");
    for (int i = 0; i < observers; ++i) {
        Vec3 at;
        at.x = SharedRandom.Get(float(Location.width) * 10.0f - kObserverMargin) + kObserverMargin;
        at.y = SharedRandom.Get(float(Location.height) * 10.0f - kObserverMargin) + kObserverMargin;
        at.z = Location.GetHeightAt(at, false) + kObserverLift;
        g_FlyTehManager.CreateObject(observer, preparation::StandardFrame(at).m, nullptr);
    }
}

void CZJApp::InitGliderOnStartPos(bool tunnelStart)
{
    ZJ_TRACE("CZJApp::InitGliderOnStartPos");
    CGliderObject* glider = PlayerGlider;
    if (!glider)
        return;
    const CHelperPoint* point = preparation::ChooseStartPoint(
        tunnelStart, [] { return ObjectList.GetRandomSysObj(preparation::kStartPointKind); });
    Matrix4 m;
    if (point) {
        const Matrix4& p = point->transform.matrix;
        const Vec3 at = point->transform.position;
        m = preparation::LevelFrame(
            Vec3 { p.m[2], p.m[6], p.m[10] }, Vec3 { at.x, at.y, at.z + kStartPointLift });
    } else {
        m = preparation::StandardFrame(Vec3 { float(Location.width) * kFallbackFraction,
            float(Location.height) * kFallbackFraction, kFallbackHeight });
    }
    const Vec3 position { m.m[12], m.m[13], m.m[14] };
    ViewFrame.SetPosition(position);
    ViewFrame.Apply(true);

    const Vec3 old = glider->frame.position;
    glider->frame.SetMatrix(m);
    glider->frame.UpdateAxes();
    glider->visible = 1;
    Location.MoveCellObject(old, position, glider);
    PlayerPosition = position;

    ShieldHits = ArmourHits = HullHits = 0.0f;
    PlayerControl.NearTower = 0;
    AnomalyLevel = -1;
    deathCountdown = kDeathCountdown;
    deathStarted = 0;
}

bool CZJApp::DoScriptAction(int code)
{
    ZJ_TRACE("CZJApp::DoScriptAction");
    switch (code) {
    case 0:
        return false;
    case 1:
        if (auto* menu = dynamic_cast<CMainMenu*>(modalMenu))
            menu->AskPlayerName();
        return true;
    case 2:
        if (g_pScriptManager) {
            CXAnsiString name;
            const bool found = g_pScriptManager->GetTextName("DEF_PLAYERNAME", name);
            g_pScriptManager->playerName = name;
            if (found && PlayerFerrovant)
                CopyName(PlayerFerrovant->name, name.Text());
        }
        return true;
    case 3:
        ScatterThings();
        return true;
    case 4:
    case 5:
        ZJEngine.pendingAction.actionPending = 1;
        ZJEngine.pendingAction.actionCode = code == 4 ? 7 : 6;
        SetQuit(1);
        if (modalMenu)
            modalMenu->endRequested = 1;
        return true;
    default:
        return true;
    }
}

void CZJApp::ScatterThings()
{
    ZJ_TRACE("CZJApp::ScatterThings");
    const int count = preparation::ScatterCount(Location.width, Location.height);
    for (int i = 0; i < count; ++i) {
        Vec3 at = preparation::ScatterCell(Location.width, Location.height);
        at.z = Physics.GetGroundHeight(at, nullptr);
        const Matrix4 placement = preparation::GroundFrame(Physics.GetMapLNormal(at, false), at);
        const int32_t kind = SharedRandom.Get(1.0f) < kMoneyChance ? kThingMoney : kThingGoods;
        auto* thing = new CTheThing;
        thing->Init(placement.m, kind); // false only when its glow found no ground yet
        NameKey32 good;
        ZJTrade.GetRandomGood(good);
        int32_t none = -1;
        if (std::memcmp(good.text, &none, sizeof none) != 0) {
            if (kind == kThingGoods) {
                thing->AddItem(kItemGoods, good.text, 1);
            } else {
                const int row = g_GoodsManager.GetRowNames().Find(good.text);
                if (row > 0)
                    thing->AddItem(kItemMoney, "",
                        uint32_t((SharedRandom.Get(1.0f) + 0.5f) * g_GoodsManager.GetDesc(row).price));
            }
        }
        ObjectList.AddObject(thing);
    }
}
