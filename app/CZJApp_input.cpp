// The player's input of one frame: the menus, the stasis, gamma, the death sequence, the camera
// keys, the steering, the target choice, the weapons and the equipment switches.
#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "app/GameSettings.h"
#include "app/Steering.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "net/CZJDPClient.h"
#include "platform/window/keys.h"
#include "ui/CHtmlControl.h"
#include "ui/CInGameMenu.h"
#include "ui/CMessager.h"
#include "ui/CRTMenu.h"
#include "ui/CRenderer.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTrajectoryObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <cstdio>

namespace {

// Keyboard scan codes the frame reads directly (stored values of the key table).
namespace dik {
constexpr uint8_t F1 = 0x3B, F2 = 0x3C, F3 = 0x3D, F4 = 0x3E, F5 = 0x3F, F6 = 0x40;
constexpr uint8_t N = 0x31, Backslash = 0x2B, Add = 0x4E, Subtract = 0x4A, Pause = 0xC5;
} // namespace dik

constexpr float kStasisSeconds = 10.0f;
constexpr float kDeathFadeAt = -20.0f;
constexpr float kDeathEndAt = -22.0f;
constexpr float kEquipmentEnergy = 100.0f;
constexpr int kGammaLimit = 10;
constexpr float kTargetAhead = 650.0f;
constexpr float kTargetRange = 1000.0f;

// Keyboard codes through the devices the key bindings read.
bool Pressed(uint8_t key)
{
    return g_InputConfig.WasPressed(key);
}

bool Held(uint8_t key)
{
    return g_InputConfig.IsHeld(key);
}

bool MachineDestroyed()
{
    return PlayerFerrovant && PlayerFerrovant->IsEffectActive();
}

// The glider has no hidden field of its own: stasis (held) and the invisibility shield hide it.
bool GliderHidden()
{
    return PlayerControl.StasisMode == 2 || PlayerControl.Invisibility;
}

// The machine record and the flags travel with the next network record.
void RequestFullUpdate(CGliderObject& glider)
{
    glider.ferroChanged = 1;
    glider.netDirty = 1;
}

// Stops every motion of the glider: throttle, thrust, velocity and rates.
void HaltGlider(CGliderObject& glider)
{
    glider.throttle = 0.0f;
    glider.thrust = 0.0f;
    glider.sideImpulse = 0.0f;
    glider.velocity = {};
    glider.rateSpare = glider.pitchRate = glider.rollRate = 0.0f;
}

Vec3 ForwardOf(const CZJObject& object)
{
    const float* m = object.frame.matrix.m;
    return { m[2], m[6], m[10] };
}

// The player machine's item of the equipment that sets flag, or null.
CEquipment* EquipmentItem(EquipmentFlag flag)
{
    const int row = g_EquipmentManager.FindRow(EquipmentFlagNames[flag]);
    return row >= 0 ? PlayerFerrovant->FindItem(uint32_t(row)) : nullptr;
}

void FollowItem(EquipmentFlag flag, uint8_t on)
{
    if (CEquipment* item = EquipmentItem(flag))
        item->active = on;
}

// The one bomb-trajectory marker of the game (unnamed, in the object list).
CTrajectoryObject* TrajectoryMarker()
{
    return static_cast<CTrajectoryObject*>(ObjectList.FindObject(NameKey32 {}, CZJObject::kTrajectory));
}

// Shield points into energy while SHIELD is held: a part without capacity converts nothing.
void TransferShield(CFerrovant& machine)
{
    const float capacity = machine.shield.Maximum();
    if (capacity <= 0.0f)
        return;
    const float r = std::min(machine.GetShieldLevel(2) * FrameTime * 0.5f, machine.GetShieldLevel(1));
    const float e = r * 2.0f * (machine.shield.Power() / capacity);
    if (machine.GetEnergyLevel(1) + e < machine.GetEnergyLevel(2)) {
        machine.energy += e;
        machine.shieldLevel -= r;
    }
}

void RunEquipment(const SControlState& c)
{
    CFerrovant& machine = *PlayerFerrovant;
    const bool energy = machine.GetEnergyLevel(1) > kEquipmentEnergy;
    if (PlayerEquipmentFlags[kEqpAnalyzer]) {
        // The control block holds SHOWINFO while held; the display toggles when it goes down.
        if (g_InputConfig.WasPressed(g_InputConfig.Binding(EAction::SHOWINFO)))
            PlayerControl.Analyzer ^= 1;
        if (!energy)
            PlayerControl.Analyzer = 0;
        if (g_pRenderer)
            g_pRenderer->showInfoPanel = PlayerControl.Analyzer;
        FollowItem(kEqpAnalyzer, PlayerControl.Analyzer);
    }
    if (PlayerEquipmentFlags[kEqpAntirocketSystem]) {
        if (c.antiRocket)
            PlayerControl.AntirocketOn = 1;
        if (!energy)
            PlayerControl.AntirocketOn = 0;
        FollowItem(kEqpAntirocketSystem, PlayerControl.AntirocketOn);
    }
    if (c.shield && machine.shield.index != -1)
        TransferShield(machine);
    if (PlayerEquipmentFlags[kEqpBooster]) {
        if (c.booster)
            PlayerControl.BoostOn ^= 1;
        FollowItem(kEqpBooster, PlayerControl.BoostOn);
    }
    if (PlayerEquipmentFlags[kEqpInvisibilityShield]) {
        if (c.invisibility && energy)
            PlayerControl.Invisibility ^= 1;
        if (!energy)
            PlayerControl.Invisibility = 0;
        FollowItem(kEqpInvisibilityShield, PlayerControl.Invisibility);
    }
}

bool RunStasis(bool stasisPressed)
{
    CGliderObject& glider = *PlayerGlider;
    uint32_t& mode = PlayerControl.StasisMode;
    float& countdown = PlayerControl.StasisCountdown;
    if (stasisPressed && (mode == 0 || mode == 2)) {
        mode = mode == 0 ? 1 : 3;
        countdown = kStasisSeconds;
    }
    if (MachineDestroyed()) {
        mode = 0;
        return false;
    }
    if (mode == 0)
        return false;
    glider.aimDirection = ForwardOf(glider);
    if (mode == 1 || mode == 3) {
        countdown -= FrameTime;
        if (countdown <= 0.0f)
            mode = mode == 1 ? 2 : 0;
    }
    HaltGlider(glider);
    return true;
}

void RunGammaKeys(CZJApp& app)
{
    const bool raise = Held(plat::window::key::F12);
    if (!raise && !Held(plat::window::key::F11))
        return;
    const int32_t gamma = raise ? std::min(GameSettings.Gamma + 1, kGammaLimit)
                                : std::max(GameSettings.Gamma - 1, -kGammaLimit);
    if (gamma == GameSettings.Gamma)
        return;
    GameSettings.Gamma = gamma;
    app.BuildBaseGamma(gamma);
    app.ScreenResetGamma();
    SaveGammaSetting(gamma);
    if (g_pMessager) {
        char text[32];
        std::snprintf(text, sizeof text, "Gamma=%d", gamma);
        g_pMessager->AddMessage(text, 1, nullptr);
    }
}

void RunDeathSequence(CZJApp& app)
{
    CGliderObject& glider = *PlayerGlider;
    if (!app.deathStarted) {
        app.deathStarted = 1;
        app.ScreenSetDark();
        app.ScreenRestoreGamma();
        glider.throttle = 0.0f;
        glider.thrust = 0.0f;
        Vec3ScaleInPlace(glider.velocity, 0.1f);
        if (CameraObject)
            CameraObject->SetOrbitMode(&glider);
    } else {
        // Looked up every frame: a killer deleted meanwhile counts as none.
        CZJObject* killer = ZJEngine.killerId ? ObjectList.FindObjectById(ZJEngine.killerId) : nullptr;
        if (killer && killer->alive) {
            if (CameraObject) {
                const Vec3& at = killer->frame.position;
                CameraObject->SetPosition(Vec3 { at.x, at.y, at.z + 3.0f });
            }
        } else {
            app.ScreenFadeOut();
            if (app.deathCountdown > kDeathFadeAt)
                app.deathCountdown = kDeathFadeAt;
        }
    }
    if (app.deathCountdown <= kDeathFadeAt)
        app.ScreenFadeOut();
    app.deathCountdown -= FrameTime;
    if (app.deathCountdown <= kDeathEndAt || Pressed(plat::window::key::Escape)) {
        app.ScreenFadeOut();
        ZJEngine.pendingAction.actionPending = 1;
        ZJEngine.pendingAction.actionCode = 2;
    }
}

void RunCameraKeys(bool freeCamera)
{
    CCamera* camera = CameraObject;
    CGliderObject* glider = PlayerGlider;
    if (!camera)
        return;
    if (!GliderHidden()) {
        if (Pressed(dik::F1))
            camera->AttachViewTarget(glider);
        if (Pressed(dik::F2))
            camera->SetChaseMode(glider);
    }
    if (freeCamera) {
        if (Pressed(dik::F3))
            camera->SetFreeMode();
        if (Pressed(dik::F4))
            camera->SetOrbitMode(glider);
        if (Pressed(dik::F5))
            camera->SetFixedMode(glider);
        if (Pressed(dik::F6))
            camera->AttachFixed(glider);
    }
    if (CameraMode == CCamera::kFree || CameraMode == CCamera::kOrbit) {
        if (Held(dik::Add))
            camera->offset[0] *= 0.95f;
        if (Held(dik::Subtract))
            camera->offset[0] *= 1.05f;
    }
}

void ChooseTarget(CZJApp& app, bool selectPressed)
{
    CGliderObject& glider = *PlayerGlider;
    const Vec3 origin = glider.frame.position;
    const Vec3& aim = glider.aimDirection;
    const Vec3 ahead { origin.x + aim.x * kTargetAhead, origin.y + aim.y * kTargetAhead,
        origin.z + aim.z * kTargetAhead };
    SObjectQuery query {};
    ObjectList.GetRealTimeObjectList(ahead, kTargetRange, CZJObject::kGlider, query);
    steering::STargetCandidate candidates[SObjectQuery::kLimit];
    CGliderObject* gliders[SObjectQuery::kLimit];
    int count = 0;
    for (int i = 0; i < query.count && count < SObjectQuery::kLimit; ++i) {
        auto* other = static_cast<CGliderObject*>(query.objects[i]);
        if (other == &glider)
            continue;
        gliders[count] = other;
        candidates[count++] = { other->id, other->frame.position, other->radius };
    }
    const int chosen = steering::ChooseTarget(origin, aim, std::span(candidates, size_t(count)));
    CGliderObject* candidate = chosen >= 0 ? gliders[chosen] : nullptr;
    const int32_t candidateId = candidate ? candidate->id : 0;

    steering::STargetHold hold { app.lastTargetId, app.targetHoldTime };
    steering::AdvanceHold(hold, candidateId, FrameTime);
    app.lastTargetId = hold.lastId;
    app.targetHoldTime = hold.time;
    const int32_t currentId = glider.target ? glider.target->id : 0;
    if (!steering::ShouldSelect(candidateId, currentId, hold, GameSettings.SelectTargetTime, selectPressed))
        return;
    glider.target = candidate;
    // POINT goes to the group of the candidate's machine; none without a record or a group.
    if (candidate && candidate->ferrovant && candidate->ferrovant->group)
        candidate->ferrovant->group->SendMessage("POINT");
}

// The in-game menu and what its result asks of the game.
void RunInGameMenu(CZJApp& app, CGliderObject& glider)
{
    if (g_pSoundManager)
        g_pSoundManager->StopAll(0);
    if (app.state == CZJApp::kNetGame) {
        glider.alive = 0;
        glider.netDirty = 1;
        NetClient.SendData();
        glider.alive = 1;
    }
    CInGameMenu menu;
    const int result = app.RunModalMenu(&menu, true);
    if (result == CInGameMenu::kExitGame || result == CInGameMenu::kLoadGame
        || result == CInGameMenu::kLeaveGame) {
        app.SetQuit(1);
        ZJEngine.pendingAction.actionPending = 1;
    }
    if (result == CInGameMenu::kExitGame)
        app.state = CZJApp::kExit;
    else if (result == CInGameMenu::kLoadGame) {
        app.state = CZJApp::kLoadGame;
        app.LoadGame(menu.chosenName.c_str(), true);
    } else if (result == CInGameMenu::kLeaveGame)
        app.state = CZJApp::kStartMenu;
}

// The four mounts and, while a bomb is aimed, its trajectory.
void RunWeapons(CGliderObject& glider, const SControlState& c)
{
    if (c.fire)
        glider.Fire(CGliderObject::kLightGun, 1.0f);
    if (c.altFire)
        glider.Fire(CGliderObject::kHeavyGun, 1.0f);
    if (c.rocket)
        glider.Fire(CGliderObject::kRocketLauncher, 1.0f);
    if (c.bomb == 2)
        glider.Fire(CGliderObject::kBombLauncher, 1.0f);
    if (CTrajectoryObject* marker = TrajectoryMarker()) {
        if (c.bomb == 1 && glider.guns[CGliderObject::kBombLauncher].ammo >= 1.0f) {
            Vec3 point {}, velocity {};
            float blast = 100.0f;
            glider.GetLaunchParams(point, velocity, blast, 1.0f);
            marker->SetPosition(point);
            marker->Trace(point, velocity, 1.05f, blast);
        } else
            marker->visible = 0;
    }
}

} // namespace

void CZJApp::ProcessInput()
{
    ZJ_TRACE("CZJApp::ProcessInput");
    g_InputConfig.ProcessInput();
    const SControlState& c = g_InputConfig.Control();
    CGliderObject* const glider = PlayerGlider;
    if (!glider)
        return;
    if (Pressed(plat::window::key::Escape) && !MachineDestroyed()) {
        RunInGameMenu(*this, *glider);
        RequestFullUpdate(*glider);
        return;
    }

    if (Pressed(dik::Pause))
        ToggleMessageLog();

    if (c.showHold || c.showMap || c.showJournal) {
        glider->UpdateAmmo(false, false);
        CRTMenu menu(c.showJournal ? CRTMenu::kOpenJournal : c.showMap ? CRTMenu::kOpenMap : 0);
        menu.holdKey = g_InputConfig.Binding(EAction::SHOWHOLD);
        menu.journalKey = g_InputConfig.Binding(EAction::SHOWJOURNAL);
        menu.mapKey = g_InputConfig.Binding(EAction::SHOWMAP);
        g_InputConfig.StopFFEffects();
        RunModalMenu(&menu, true);
        glider->UpdateAmmo(true, false);
        RequestFullUpdate(*glider);
    }

    if (c.changeAmmo || g_InputConfig.Device().MouseDZ() != 0) {
        glider->UpdateAmmo(false, true);
        glider->UpdateAmmo(true, true);
    }

    if (RunStasis(c.stasis && state != kNetGame))
        return;

    RunGammaKeys(*this);

    if (freeCamera && Held(dik::N))
        Environment.Run(150.0f * 0.1f);

    if (MachineDestroyed()) {
        RunDeathSequence(*this);
        return;
    }

    if (c.alwaysRun)
        PlayerControl.AlwaysRun ^= 1;
    if (c.cruise)
        PlayerControl.Cruise ^= 1;
    float forward = c.throttle;
    if (forward < 0.0f && !g_FixCursor)
        PlayerControl.Cruise = 0;
    else if (PlayerControl.Cruise)
        forward = 1.0f;
    if ((c.run != 0) != (PlayerControl.AlwaysRun != 0) && forward > 0.0f && forward <= 1.0f)
        forward *= 2.0f;

    RunCameraKeys(freeCamera != 0);

    const bool cameraDriven = CameraObject && (CameraMode == CCamera::kFree || CameraMode == CCamera::kOrbit);
    steering::SControls controls { c.turn, c.reserved };
    CDynamicObject* driven = glider;
    if (cameraDriven) {
        driven = CameraObject;
        PlayerObject = CameraObject;
        CameraObject->SetThrottle(0.0f);
        if (CursorShown())
            ShowCursor(false);
        controls.turn += c.yaw * 0.1f;
        controls.vertical += c.pitch * 0.1f;
    } else if (paused) {
        ShowCursor(true);
        if (g_pMessager && g_pMessager->Control()) {
            g_pMessager->ProcessMouse(g_pMessager->Control(), CursorClient().x, CursorClient().y);
            g_pMessager->Control()->Run();
        }
        return;
    } else {
        ZJ_TRACE("Cursor");
        const steering::SSteerResult steer = g_FixCursor
            ? steering::FixedCursor(glider->frame.matrix, c.joyX, c.joyY)
            : steering::FreeCursor(glider->aimDirection, glider->frame.matrix, c.yaw, c.pitch, controls,
                FrameTime, glider->turnRate);
        glider->aimDirection = steer.aim;
        controls = steer.controls;
        if (g_FixCursor)
            g_InputConfig.PlayIdleEffect();
    }

    driven->SetThrottle(forward);
    driven->SetControlX(controls.turn);
    driven->SetControlY(controls.vertical);
    if (c.strafe != 0.0f)
        driven->SetStrafe(c.strafe);
    if (Pressed(dik::Backslash))
        driven->velocity.z += 3.0f;

    if (cameraDriven)
        PlayerObject = glider;
    else
        ChooseTarget(*this, c.select != 0);

    if (c.nightLight)
        PlayerControl.NightLight ^= 1;
    if (c.jump)
        glider->Jump(1.0f);
    RunWeapons(*glider, c);
    if (PlayerFerrovant)
        RunEquipment(c);
}
