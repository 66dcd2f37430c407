// One frame of a running game and the situation analysis at its end. The frame time is scaled in
// place (stasis, pause) for the stretches of the frame that need it, so every subsystem reads the
// one global value; the frame makes no allocation of its own.
#include "app/CZJApp.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "app/CResourceEngine.h"
#include "app/FrameMath.h"
#include "app/GameSettings.h"
#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/XRandom.h"
#include "net/CZJDPClient.h"
#include "render/Graphic.h"
#include "script/CZJScriptManager.h"
#include "ui/CMessager.h"
#include "ui/CRadar.h"
#include "ui/CRenderer.h"
#include "ui/ScannerTexture.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/FrameReset.h"

#include <cmath>

namespace {

constexpr int kTowerType = 22;
constexpr int32_t kWideMap = 512; // grid points
constexpr float kWideReveal = 10.0f * 192.0f;
constexpr float kNarrowReveal = 10.0f * 75.0f;
constexpr double kFullUpdateStep = 1.0; // seconds of the game clock
constexpr double kHelloStep = 5.0;

float LengthSq(const Vec3& v)
{
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

float DistanceSq(const Vec3& a, const Vec3& b)
{
    Vec3 d;
    Vec3Sub(d, a, b);
    return LengthSq(d);
}

// How much the group has to fear from the player's team: the weight of its record of group 0,
// raised by the damage the team did to it.
float ThreatOf(const CFerroGroup& group)
{
    for (int i = 0; i < group.targetCount; ++i)
        if (group.targets[i].group == 0)
            return group.targets[i].weight;
    return 0.0f;
}

// The music-table indices of a list of track names.
uint32_t TrackIds(const char (*names)[32], uint32_t count, uint32_t limit, int32_t* ids)
{
    const uint32_t n = count < limit ? count : limit;
    for (uint32_t i = 0; i < n; ++i)
        ids[i] = FindMusicId(names[i]);
    return n;
}

} // namespace

void CZJApp::Render(bool first)
{
    ZJ_TRACE("CZJApp::Render");
    if (PlayerGlider)
        PlayerPosition = PlayerGlider->frame.position;

    Step("clock");
    const float previousClock = Environment.hour;

    Step("view");
    const float speedSq = PlayerGlider ? LengthSq(PlayerGlider->velocity) : 0.0f;
    zoom = framemath::NextZoom(zoom, speedSq, FrameTime);
    const framemath::SViewFields fields
        = framemath::ViewFields(zoom, float(g_Graphic.ScreenWidth()), float(g_Graphic.ScreenHeight()));
    ObjectList.SetViewParams(
        ViewFrame, framemath::kFarPlane, framemath::kNearPlane, fields.fovX, fields.fovY);

    Step("realFrameTime");
    realFrameTime = FrameTime;

    Step("timeScale");
    const float k = framemath::StasisFactor(PlayerControl.StasisMode, PlayerControl.StasisCountdown);
    FrameTime *= k;

    Step("input");
    ProcessInput();

    Step("frameReset");
    ResetFrame();

    Step("models");
    FrameTime = (paused ? 0.0f : FrameTime) / k;
    ResourceEngine.GlobalRun();
    FrameTime *= k;

    Step("environment");
    ZJEngine.music.Run(FrameTime);
    Environment.Run(FrameTime);
    if (g_pScriptManager)
        g_pScriptManager->CheckTimers();

    if (int(Environment.hour) != int(previousClock)) {
        Step("hour");
        const XTraceGuard guard("HOUR");
        g_OrgManager.Run(framemath::kHourDrift);
        ZJTrade.Run(int32_t(Environment.hour));
        if (g_pScriptManager)
            g_pScriptManager->RunEachHour(locationFile);
        UpdateJournal(1);
    }

    if (GameSettings.MapShadows && int(Environment.hour * 10.0f) != int(previousClock * 10.0f)) {
        Step("shadows");
        Location.FlushMeshCache();
    }

    if (IsQuitting())
        return;

    Step("runs");
    {
        const XTraceGuard guard("RUNS");
        FerroGroupList.Run(FrameTime, true, true);
        ObjectList.CheckSysObjectSensors();
        if (!first)
            ObjectList.Run();
    }

    Step("draw");
    if (CameraObject)
        CameraObject->UpdateView();
    Location.PreRender();
    ObjectList.CheckVisibility(!(g_pRenderer && g_pRenderer->hideObjects));
    if (g_pMessager)
        g_pMessager->Run();
    UpdateScannerTexture();
    if (g_pRenderer)
        g_pRenderer->Render();

    Step("move");
    ObjectList.PreMove();
    ObjectList.CheckCollision();
    ObjectList.Move();

    if (state == kNetGame) {
        Step("net");
        NetClient.GetData();
        if (PlayerGlider && framemath::CrossesStep(m_netClock, GameClock, kFullUpdateStep))
            PlayerGlider->netDirty = 1;
        NetClient.SendData();
        if (framemath::CrossesStep(m_netClock, GameClock, kHelloStep)) {
            Step("hello");
            if (NetClient.SendHello() < 0 && g_pMessager) {
                CXAnsiString text("INT_NET_FAIL");
                if (g_pScriptManager)
                    g_pScriptManager->GetText("INT_NET_FAIL", text);
                g_pMessager->AddMessage(text.Text(), 1, nullptr);
            }
        }
        m_netClock = GameClock;
    }

    if (paused)
        FrameTime = realFrameTime;

    Step("sound");
    if (g_pSoundManager) {
        if (CameraObject)
            g_pSoundManager->SetListener(
                CameraObject->frame.position, CameraObject->frame.forward, CameraObject->frame.up);
        g_pSoundManager->ApplySettings();
        if (uint32_t(GameSettings.SoundVolume) != g_pSoundManager->GetVolume())
            g_pSoundManager->SetVolume(uint32_t(GameSettings.SoundVolume));
    }

    Step("radar");
    if (g_pRadar && PlayerGlider) {
        const Vec3& at = PlayerGlider->frame.position;
        g_pRadar->RevealArea(at.x, at.y, at.z, Location.width > kWideMap ? kWideReveal : kNarrowReveal);
    }

    Step("pack");
    {
        const XTraceGuard guard("PACK&CHECKS");
        ObjectList.Pack(false);
        ObjectList.CheckNetDead();
    }

    Step("analysis");
    AnalizeSituation();

    Step("present");
    ::ResetFrameCounters();
    if (g_pRenderer)
        g_pRenderer->EndFrame();

    Step("timer");
    if (first)
        FrameTimer.Restart();
    else
        FrameTimer.Update();
}

void CZJApp::AnalizeSituation()
{
    ZJ_TRACE("CZJApp::AnalizeSituation");
    CFerrovant* machine = PlayerFerrovant;
    int32_t indicator = -1;
    if (machine)
        indicator = framemath::MachineWarning(machine->GetEnergyLevel(0), machine->GetArmorLevel(0),
            machine->hull.WearRatio(), machine->reactor.WearRatio(), machine->engine.WearRatio());

    const bool recentlyHit = ShieldHits > 0.0f || ArmourHits > 0.0f || HullHits > 0.0f;
    const Vec3 player = PlayerGlider ? PlayerGlider->frame.position : PlayerPosition;
    bool fight = false;
    bool calm = true;
    const CFerroGroup* team = FerroGroupList.At(0);
    for (int i = 1; i < FerroGroupList.Count(); ++i) {
        const CFerroGroup& group = *FerroGroupList.At(i);
        if (!group.active || group.assembled || team == nullptr || group.followed != team)
            continue;
        if (group.state != CFerroGroup::kAttacking && group.state != CFerroGroup::kRetreating)
            continue;
        framemath::WeighGroup(DistanceSq(group.position, player), ThreatOf(group), recentlyHit, fight, calm);
    }

    bool nearTower = false;
    SObjectQuery towers;
    ObjectList.GetRealTimeObjectList(player, framemath::kTowerSearch, kTowerType, towers);
    for (int i = 0; i < towers.count; ++i) {
        const float reach = towers.objects[i]->radius + framemath::kTowerMargin;
        if (DistanceSq(towers.objects[i]->frame.position, player) < reach * reach)
            nearTower = true;
    }
    PlayerControl.NearTower = nearTower ? 1 : 0;

    if (g_pMusicMng) {
        SLocMusic& music = ZJEngine.music;
        int32_t battle[SLocMusic::kMaxBattle];
        int32_t calmTracks[SLocMusic::kMaxCalm];
        framemath::SMusicSituation situation;
        situation.destroyed = machine && machine->IsEffectActive();
        situation.fight = fight;
        situation.calm = calm;
        situation.zoneState = AnomalyLevel;
        situation.nearTower = nearTower;
        situation.current = g_pMusicMng->IsPlaying(-1) ? g_pMusicMng->GetCurrentTrack() : -1;
        situation.deathTrack = FindMusicId("MUS_DEATH");
        situation.specialTrack = ZJEngine.ids2[CZJEngine::kMusObserver];
        situation.towerTrack = FindMusicId(music.towerTrack);
        situation.mainTrack = FindMusicId(music.mainTrack);
        situation.battle = battle;
        situation.battleCount
            = TrackIds(music.battleTracks, music.battleCount, SLocMusic::kMaxBattle, battle);
        situation.calmTracks = calmTracks;
        situation.calmCount = TrackIds(music.calmTracks, music.calmCount, SLocMusic::kMaxCalm, calmTracks);
        situation.alternate = music.alternate != 0;
        const framemath::SMusicChoice choice = framemath::ChooseMusic(situation, SharedRandom);
        if (choice.play)
            g_pMusicMng->PlayMusic(choice.track, choice.loop, true);
        if (choice.flipAlternate)
            music.alternate = music.alternate ? 0 : 1;
    }

    if (g_pMessager)
        g_pMessager->warningSign = framemath::WithZoneState(indicator, AnomalyLevel);
}
