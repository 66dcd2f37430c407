// The player's input of a frame on location1: real gliders, the camera, the key bindings' defaults
// over scripted device frames; and the steering and the target choice as pure functions.
#include "app/CInputConfig.h"
#include "app/GameSettings.h"
#include "app/Steering.h"
#include "foundation/CTimer.h"
#include "tests/app/fake_input.h"
#include "tests/flow/save_fixture.h"
#include "ui/CInGameMenu.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

namespace key {
constexpr uint8_t Escape = 0x01, N = 0x31, F1 = 0x3B, F2 = 0x3C, F3 = 0x3D, F11 = 0x57, F12 = 0x58;
constexpr uint8_t Add = 0x4E;
} // namespace key

// Forward is world +x, up world +z.
Matrix4 FacingX(const Vec3& at)
{
    return Matrix4 { { 0, 0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, at.x, at.y, at.z, 1 } };
}

class InputTest : public SaveGameTest {
protected:
    static constexpr Vec3 kPlayerAt { 50.0f, 320.0f, 0.0f };

    void SetUp() override
    {
        SaveGameTest::SetUp();
        m_settings = GameSettings;
        m_fixCursor = g_FixCursor;
        g_FixCursor = 0;
        GameSettings.SelectTargetTime = 1.5f;
        g_InputConfig.SetInput(input);
        g_InputConfig.LoadBindings("no-such-cfg.ini");
        player = MakeGlider(kPlayerAt, PlayerFerrovant);
        PlayerGlider = player;
        PlayerObject = player;
        camera = new CCamera;
        ObjectList.AddObject(camera);
        CameraObject = camera;
        camera->SetChaseMode(player);
        ZJEngine.killerId = 0;
        ZJEngine.pendingAction = {};
        app.deathCountdown = 5.0f;
        app.modalHook = [this](CBaseMenu*, int& result) {
            ++menusRun;
            result = menuResult;
            return true;
        };
        FrameTime = 0.1f;
    }
    void TearDown() override
    {
        PlayerGlider = nullptr;
        PlayerObject = nullptr;
        CameraObject = nullptr;
        CameraMode = CCamera::kAttached;
        ZJEngine.killerId = 0;
        ZJEngine.pendingAction = {};
        g_InputConfig.SetInput(g_Input);
        g_FixCursor = m_fixCursor;
        GameSettings = m_settings;
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
        SaveGameTest::TearDown();
    }

    static CGliderObject* MakeGlider(const Vec3& at, CFerrovant* record, float radius = 5.0f)
    {
        auto* glider = new CGliderObject;
        const Matrix4 placement = FacingX(at);
        glider->Init(placement.m, MakeNameKey32("GL_A"));
        glider->AssignFerrovant(record);
        glider->radius = radius;
        glider->aimDirection = { 1.0f, 0.0f, 0.0f };
        ObjectList.AddObject(glider);
        return glider;
    }
    // A glider of a one-machine group named name, at.
    CGliderObject* Enemy(const char* name, const Vec3& at)
    {
        CFerroGroup& group = Group(name, 1);
        return MakeGlider(at, &group.members[0]);
    }

    void Frame(std::function<void(FakeInput&)> step = {})
    {
        input.frames.push_back(step ? step : [](FakeInput&) {});
        app.ProcessInput();
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    static uint8_t Key(EAction action) { return uint8_t(g_InputConfig.Binding(action)); }
    static std::function<void(FakeInput&)> Hold(uint8_t code, bool down = true)
    {
        return [=](FakeInput& i) { i.Key(code, down); };
    }
    static std::function<void(FakeInput&)> Tap(uint8_t code)
    {
        return [=](FakeInput& i) { i.Tap(code); };
    }
    void DestroyMachine() { PlayerFerrovant->hull.destroyed = 1; }

    // Frames until the death sequence asks for action 2; their game time.
    float SecondsUntilDeathEnds(int limit = 400)
    {
        for (int n = 1; n <= limit; ++n) {
            Frame();
            if (ZJEngine.pendingAction.actionPending)
                return float(n) * FrameTime;
        }
        return -1.0f;
    }

    FakeInput input;
    CGliderObject* player = nullptr;
    CCamera* camera = nullptr;
    int menusRun = 0;
    int menuResult = CInGameMenu::kResumeGame;
    SGameSettings m_settings;
    uint8_t m_fixCursor = 0;
};

TEST_F(InputTest, stasisRunsItsFourModesAndHoldsTheGlider)
{
    const uint8_t stasis = Key(EAction::STASIS);
    player->velocity = { 5.0f, 0.0f, 0.0f };
    Frame(Tap(stasis));
    EXPECT_EQ(PlayerControl.StasisMode, 1u);
    EXPECT_FLOAT_EQ(PlayerControl.StasisCountdown, 9.9f);
    EXPECT_FLOAT_EQ(Vec3Length(player->velocity), 0.0f);
    Frame(Tap(stasis)); // mode 1 ignores it
    EXPECT_EQ(PlayerControl.StasisMode, 1u);
    Frames(100);
    EXPECT_EQ(PlayerControl.StasisMode, 2u);
    Frames(20);
    EXPECT_EQ(PlayerControl.StasisMode, 2u);
    Frame(Tap(stasis));
    EXPECT_EQ(PlayerControl.StasisMode, 3u);
    Frame(Tap(stasis)); // mode 3 ignores it
    EXPECT_EQ(PlayerControl.StasisMode, 3u);
    Frames(100);
    EXPECT_EQ(PlayerControl.StasisMode, 0u);
}

TEST_F(InputTest, stasisTakesNoOtherInputAndEndsWithTheMachine)
{
    PlayerControl.StasisMode = 2;
    player->aimDirection = { 0.0f, 1.0f, 0.0f };
    Frame(Hold(Key(EAction::FORWARD)));
    EXPECT_FLOAT_EQ(player->throttle, 0.0f);
    EXPECT_FLOAT_EQ(player->aimDirection.x, 1.0f); // the forward axis
    DestroyMachine();
    Frame();
    EXPECT_EQ(PlayerControl.StasisMode, 0u);
}

TEST_F(InputTest, aNetworkGameIgnoresStasisButRunsOneSet)
{
    app.state = CZJApp::kNetGame;
    Frame(Tap(Key(EAction::STASIS)));
    EXPECT_EQ(PlayerControl.StasisMode, 0u);
    PlayerControl.StasisMode = 1;
    PlayerControl.StasisCountdown = 0.05f;
    Frame();
    EXPECT_EQ(PlayerControl.StasisMode, 2u);
}

TEST_F(InputTest, deathLastsBy27SecondsWithAKillerAnd2Without)
{
    struct SCase {
        bool killer;
        float seconds;
    };
    for (const SCase& c : { SCase { true, 27.0f }, SCase { false, 2.0f } }) {
        SCOPED_TRACE(c.killer);
        ZJEngine.pendingAction = {};
        app.deathStarted = 0;
        app.deathCountdown = 5.0f;
        CGliderObject* killer = c.killer ? Enemy("GRP_KILLER", { 300, 300, 0 }) : nullptr;
        ZJEngine.killerId = killer ? killer->id : 0;
        DestroyMachine();
        EXPECT_NEAR(SecondsUntilDeathEnds(), c.seconds, 0.25f);
        EXPECT_EQ(ZJEngine.pendingAction.actionCode, 2u);
        EXPECT_EQ(CameraMode, CCamera::kOrbit);
        if (killer) {
            EXPECT_FLOAT_EQ(camera->frame.position.z, killer->frame.position.z + 3.0f);
        }
    }
    EXPECT_EQ(menusRun, 0);
}

TEST_F(InputTest, escapeEndsTheDeathAtOnceWithoutTheMenu)
{
    DestroyMachine();
    Frames(3);
    EXPECT_EQ(ZJEngine.pendingAction.actionPending, 0);
    Frame(Tap(key::Escape));
    EXPECT_EQ(ZJEngine.pendingAction.actionPending, 1);
    EXPECT_EQ(ZJEngine.pendingAction.actionCode, 2u);
    EXPECT_EQ(menusRun, 0);
}

TEST_F(InputTest, aKillerDeletedHalfwayCountsAsNone)
{
    CGliderObject* killer = Enemy("GRP_KILLER", { 300, 300, 0 });
    ZJEngine.killerId = killer->id;
    DestroyMachine();
    Frames(100);
    EXPECT_EQ(ZJEngine.pendingAction.actionPending, 0);
    ObjectList.DeleteObject(killer);
    EXPECT_NEAR(SecondsUntilDeathEnds(), 2.0f, 0.25f);
}

TEST_F(InputTest, escapeOpensTheInGameMenuAndFollowsItsResult)
{
    struct SCase {
        int result;
        uint32_t state;
        bool quits;
    };
    for (const SCase& c : { SCase { CInGameMenu::kResumeGame, CZJApp::kNewGame, false },
             SCase { CInGameMenu::kExitGame, CZJApp::kExit, true },
             SCase { CInGameMenu::kLeaveGame, CZJApp::kStartMenu, true } }) {
        SCOPED_TRACE(c.result);
        app.state = CZJApp::kNewGame;
        app.SetQuit(0);
        ZJEngine.pendingAction = {};
        menuResult = c.result;
        const int before = menusRun;
        Frame(Tap(key::Escape));
        EXPECT_EQ(menusRun, before + 1);
        EXPECT_EQ(app.state, c.state);
        EXPECT_EQ(app.IsQuitting(), c.quits);
        EXPECT_EQ(ZJEngine.pendingAction.actionPending != 0, c.quits);
    }
    app.SetQuit(0);
}

class GammaInputTest : public InputTest {
protected:
    static constexpr const char* kIni = "Data/CONFIG/cfg.ini";
    void SetUp() override
    {
        InputTest::SetUp();
        WriteText(kIni, "[CONFIG]\r\nWindowed=1\r\nGamma=0\r\nVideo=0\r\n[INPUT]\r\nFIRE=LCONTROL\r\n");
        GameSettings.Gamma = 0;
    }
    static std::string ReadIni() { return zoq::test::ReadText(kIni); }
};

TEST_F(GammaInputTest, gammaRepeatsWhileHeldAndWritesOnlyItsLine)
{
    Frame(Hold(key::F12));
    EXPECT_EQ(GameSettings.Gamma, 1);
    Frames(2);
    EXPECT_EQ(GameSettings.Gamma, 3);
    EXPECT_EQ(ReadIni(), "[CONFIG]\r\nWindowed=1\r\nGamma=3\r\nVideo=0\r\n[INPUT]\r\nFIRE=LCONTROL\r\n");
    Frame(Hold(key::F11)); // both held: F12 wins
    EXPECT_EQ(GameSettings.Gamma, 4);
    Frame(Hold(key::F12, false));
    EXPECT_EQ(GameSettings.Gamma, 3);
}

TEST_F(GammaInputTest, gammaHeldAtItsLimitWritesNothingMore)
{
    GameSettings.Gamma = 9;
    Frame(Hold(key::F12));
    EXPECT_EQ(GameSettings.Gamma, 10);
    const std::string marker = "[CONFIG]\r\nGamma=7\r\n";
    WriteText(kIni, marker);
    Frames(3);
    EXPECT_EQ(GameSettings.Gamma, 10);
    EXPECT_EQ(ReadIni(), marker);
    GameSettings.Gamma = -10;
    Frame([](FakeInput& i) {
        i.Key(key::F12, false);
        i.Key(key::F11, true);
    });
    EXPECT_EQ(GameSettings.Gamma, -10);
    EXPECT_EQ(ReadIni(), marker);
}

TEST_F(InputTest, runDoublesTheForwardValueAgainstAlwaysRun)
{
    struct SCase {
        bool run;
        uint8_t alwaysRun;
        float throttle;
    };
    const uint8_t forward = Key(EAction::FORWARD), run = Key(EAction::RUN);
    for (const SCase& c : { SCase { false, 0, 1.0f }, SCase { true, 0, 2.0f }, SCase { false, 1, 2.0f },
             SCase { true, 1, 1.0f } }) {
        SCOPED_TRACE(testing::Message() << c.run << int(c.alwaysRun));
        PlayerControl.AlwaysRun = c.alwaysRun;
        Frame([=](FakeInput& i) {
            i.Key(forward, true);
            i.Key(run, c.run);
        });
        EXPECT_FLOAT_EQ(player->throttle, c.throttle);
    }
    Frame(Tap(Key(EAction::ALWAYSRUN)));
    EXPECT_EQ(PlayerControl.AlwaysRun, 0);
}

TEST_F(InputTest, cruiseIsCancelledByPullingBackOnlyWithoutTheFixedCursor)
{
    const uint8_t backward = Key(EAction::BACKWARD);
    Frame(Tap(Key(EAction::CRUISE)));
    EXPECT_EQ(PlayerControl.Cruise, 1);
    EXPECT_FLOAT_EQ(player->throttle, 1.0f);
    g_FixCursor = 1;
    Frame(Hold(backward));
    EXPECT_EQ(PlayerControl.Cruise, 1);
    EXPECT_FLOAT_EQ(player->throttle, 1.0f);
    g_FixCursor = 0;
    Frame();
    EXPECT_EQ(PlayerControl.Cruise, 0);
    EXPECT_FLOAT_EQ(player->throttle, 0.5f);
}

TEST_F(InputTest, cameraKeysNeedFreeCameraBeyondF2)
{
    Frame(Tap(key::F1));
    EXPECT_EQ(CameraMode, CCamera::kAttached);
    Frame(Tap(key::F3));
    EXPECT_EQ(CameraMode, CCamera::kAttached);
    app.freeCamera = 1;
    Frame(Tap(key::F3));
    EXPECT_EQ(CameraMode, CCamera::kFree);
    const float distance = camera->offset[0];
    Frame(Hold(key::Add));
    EXPECT_FLOAT_EQ(camera->offset[0], distance * 0.95f);
    // Free mode: the controls drive the camera, the glider stays the player's object.
    Frame([=](FakeInput& i) {
        i.Key(key::Add, false);
        i.Key(Key(EAction::LEFT), true);
    });
    EXPECT_FLOAT_EQ(camera->controlX, 1.0f);
    EXPECT_FLOAT_EQ(player->controlX, 0.0f);
    EXPECT_EQ(PlayerObject, player);
    Frame(Tap(key::F2));
    EXPECT_EQ(CameraMode, CCamera::kChase);
}

TEST_F(InputTest, aHiddenGliderKeepsItsCamera)
{
    PlayerControl.Invisibility = 1;
    Frame(Tap(key::F1));
    EXPECT_EQ(CameraMode, CCamera::kChase);
}

TEST_F(InputTest, theAimStaysAUnitVectorAfterSteering)
{
    struct SCase {
        uint8_t fixCursor;
        float frameTime;
        int32_t dx, dy;
        int32_t joyX, joyY;
    };
    input.joystick = true;
    for (const SCase& c : { SCase { 0, 0.1f, 40, -25, 0, 0 }, SCase { 0, 0.0f, -300, 300, 0, 0 },
             SCase { 1, 0.1f, 0, 0, 1000, -1000 }, SCase { 1, 0.0f, 0, 0, 300, 20 } }) {
        SCOPED_TRACE(testing::Message() << int(c.fixCursor) << " " << c.frameTime << " " << c.dx);
        g_FixCursor = c.fixCursor;
        FrameTime = c.frameTime;
        for (int n = 0; n < 3; ++n)
            Frame([=](FakeInput& i) {
                i.Move(c.dx, c.dy);
                i.Joy().x = c.joyX;
                i.Joy().y = c.joyY;
            });
        EXPECT_NEAR(Vec3Length(player->aimDirection), 1.0f, 1e-5f);
        EXPECT_TRUE(std::isfinite(player->controlX) && std::isfinite(player->controlY));
        EXPECT_LE(std::fabs(player->controlX), 1.0f);
    }
}

TEST_F(InputTest, theCrosshairPrefersItsRadiusThenTwiceIt)
{
    CGliderObject* far = Enemy("GRP_FAR", { 300.0f, 323.0f, 0.0f }); // misses by 3 < 5
    CGliderObject* near = Enemy("GRP_NEAR", { 200.0f, 327.0f, 0.0f }); // misses by 7 < 10
    Frame(Tap(Key(EAction::SELECT)));
    EXPECT_EQ(player->target, far);
    far->SetPosition({ 300.0f, 400.0f, 0.0f });
    Frame(Tap(Key(EAction::SELECT)));
    EXPECT_EQ(player->target, near);
    near->SetPosition({ 200.0f, 400.0f, 0.0f });
    Frame();
    EXPECT_EQ(player->target, near); // the crosshair left it: it stays
    Frame(Tap(Key(EAction::SELECT)));
    EXPECT_EQ(player->target, nullptr);
}

TEST_F(InputTest, aCandidateHeld15SecondsBecomesTheTargetAndHearsPoint)
{
    CGliderObject* enemy = Enemy("GRP_AHEAD", { 300.0f, 320.0f, 0.0f });
    Frames(10);
    EXPECT_EQ(player->target, nullptr);
    EXPECT_EQ(app.lastTargetId, enemy->id);
    Frames(10);
    EXPECT_EQ(player->target, enemy);
    EXPECT_EQ(std::count(sink.messages.begin(), sink.messages.end(), "POINT GRP_AHEAD"), 1);
}

TEST_F(InputTest, aCandidateWithoutAMachineIsChosenWithoutPoint)
{
    CGliderObject* drone = MakeGlider({ 300.0f, 320.0f, 0.0f }, nullptr);
    const size_t before = sink.messages.size();
    Frame(Tap(Key(EAction::SELECT)));
    EXPECT_EQ(player->target, drone);
    EXPECT_EQ(sink.messages.size(), before);
}

TEST_F(InputTest, aLongFrameHoldsTheCandidateByAtMostATenth)
{
    Enemy("GRP_AHEAD", { 300.0f, 320.0f, 0.0f });
    FrameTime = 2.0f;
    Frames(2);
    EXPECT_FLOAT_EQ(app.targetHoldTime, 0.1f);
    EXPECT_EQ(player->target, nullptr);
}

TEST_F(InputTest, equipmentSwitchesItselfOffAtEnergy100EveryFrame)
{
    for (EquipmentFlag flag : { kEqpAnalyzer, kEqpAntirocketSystem, kEqpInvisibilityShield, kEqpBooster })
        PlayerEquipmentFlags[flag] = 1;
    PlayerFerrovant->energy = 150.0f;
    Frame([=](FakeInput& i) {
        i.Tap(Key(EAction::SHOWINFO));
        i.Key(Key(EAction::ANTIROCKET), true);
        i.Tap(Key(EAction::INVISIVILITY));
        i.Tap(Key(EAction::BOOSTER));
    });
    EXPECT_EQ(PlayerControl.Analyzer, 1);
    EXPECT_EQ(PlayerControl.AntirocketOn, 1);
    EXPECT_EQ(PlayerControl.Invisibility, 1);
    EXPECT_EQ(PlayerControl.BoostOn, 1);
    PlayerFerrovant->energy = 100.0f;
    for (int n = 0; n < 2; ++n) {
        Frame([=](FakeInput& i) {
            i.Tap(Key(EAction::SHOWINFO));
            i.Tap(Key(EAction::INVISIVILITY));
        });
        EXPECT_EQ(PlayerControl.Analyzer, 0);
        EXPECT_EQ(PlayerControl.AntirocketOn, 0);
        EXPECT_EQ(PlayerControl.Invisibility, 0);
        EXPECT_EQ(PlayerControl.BoostOn, 1); // the booster has no energy limit
    }
}

TEST_F(InputTest, shieldTransferFollowsItsFormula)
{
    // EQP_SHIELD: energy use 1, capacity 100; the reactor holds 300.
    struct SCase {
        const char* shield;
        float shieldLevel, energy;
        float expectShield, expectEnergy;
    };
    for (const SCase& c : {
             SCase { "EQP_SHIELD", 100.0f, 150.0f, 95.0f, 150.1f }, // r = 100 x 0.1 x 0.5
             SCase { "EQP_SHIELD", 2.0f, 150.0f, 0.0f, 150.04f }, // at most the shield left
             SCase { "EQP_SHIELD", 100.0f, 299.95f, 100.0f, 299.95f }, // would reach the maximum
             SCase { "EQP_EMPTY_SHIELD", 10.0f, 150.0f, 10.0f, 150.0f }, // no capacity
         }) {
        SCOPED_TRACE(c.shield);
        const uint32_t params[7] = {};
        PlayerFerrovant->shield.Set(g_EquipmentManager.FindRow(c.shield), params);
        PlayerFerrovant->shieldLevel = c.shieldLevel;
        PlayerFerrovant->energy = c.energy;
        Frame(Hold(Key(EAction::SHIELD)));
        EXPECT_NEAR(PlayerFerrovant->shieldLevel, c.expectShield, 1e-4f);
        EXPECT_NEAR(PlayerFerrovant->energy, c.expectEnergy, 1e-4f);
        Frame(Hold(Key(EAction::SHIELD), false));
    }
}

// The pure functions.

TEST(SteeringTest, freeCursorKeepsTheAimInItsConeAndTurnsAfterIt)
{
    const Matrix4 m = FacingX({ 0, 0, 0 });
    const steering::SAxes axes = steering::AxesOf(m);
    struct SCase {
        float yaw, pitch;
        float frameTime, turnRate;
        float expectTurn; // sign, 0 unchanged
    };
    for (const SCase& c : { SCase { -100.0f, 0.0f, 0.1f, 3.14f, -1.0f },
             SCase { 100.0f, 0.0f, 0.1f, 3.14f, 1.0f }, SCase { -100.0f, 50.0f, 0.0f, 3.14f, 0.0f },
             SCase { -100.0f, 50.0f, 0.1f, 0.0f, 0.0f }, SCase { 0.0f, 0.0f, 0.1f, 3.14f, 0.0f } }) {
        SCOPED_TRACE(testing::Message() << c.yaw << " " << c.frameTime << " " << c.turnRate);
        const steering::SSteerResult r
            = steering::FreeCursor(axes.forward, m, c.yaw, c.pitch, { 0.0f, 0.0f }, c.frameTime, c.turnRate);
        EXPECT_NEAR(Vec3Length(r.aim), 1.0f, 1e-5f);
        EXPECT_FLOAT_EQ(r.controls.turn, c.expectTurn);
        if (c.frameTime * c.turnRate <= 0.0f) {
            // Unturned: the aim's side part stays inside the 25-degree cone.
            const float x = Vec3Dot(r.aim, axes.side);
            EXPECT_LE(x * x, steering::FreeCursorConeSq() + 1e-6f);
            EXPECT_FLOAT_EQ(r.controls.vertical, 0.0f);
        }
    }
}

TEST(SteeringTest, fixedCursorSquaresTheAxesAndHasADeadZone)
{
    const Matrix4 m = FacingX({ 0, 0, 0 });
    struct SCase {
        float joyX, joyY;
        float turn, vertical;
    };
    for (const SCase& c : { SCase { 0.5f, -0.5f, -0.25f, 0.25f }, SCase { 0.2f, 0.2f, 0.0f, 0.0f },
             SCase { 1.0f, 1.0f, -1.0f, -1.0f }, SCase { -0.3f, 0.0f, 0.09f, 0.0f } }) {
        SCOPED_TRACE(testing::Message() << c.joyX << " " << c.joyY);
        const steering::SSteerResult r = steering::FixedCursor(m, c.joyX, c.joyY);
        EXPECT_NEAR(r.controls.turn, c.turn, 1e-6f);
        EXPECT_NEAR(r.controls.vertical, c.vertical, 1e-6f);
        EXPECT_NEAR(Vec3Length(r.aim), 1.0f, 1e-5f);
    }
}

TEST(SteeringTest, targetChoiceAndItsHold)
{
    const Vec3 origin { 0, 0, 0 }, aim { 1, 0, 0 };
    const steering::STargetCandidate candidates[] = {
        { 1, { 100, 7, 0 }, 5 }, // twice the radius, nearest
        { 2, { 300, 3, 0 }, 5 }, // within the radius
        { 3, { 50, 20, 0 }, 5 }, // missed
    };
    EXPECT_EQ(steering::ChooseTarget(origin, aim, candidates), 1);
    EXPECT_EQ(steering::ChooseTarget(origin, aim, std::span(candidates, 1)), 0);
    EXPECT_EQ(steering::ChooseTarget(origin, aim, std::span(candidates + 2, 1)), -1);

    steering::STargetHold hold { 0, 0.0f };
    steering::AdvanceHold(hold, 2, 0.05f);
    EXPECT_EQ(hold.lastId, 2);
    EXPECT_FLOAT_EQ(hold.time, 0.0f);
    steering::AdvanceHold(hold, 2, 0.5f);
    EXPECT_FLOAT_EQ(hold.time, 0.1f);
    EXPECT_FALSE(steering::ShouldSelect(2, 0, hold, 1.5f, false));
    EXPECT_TRUE(steering::ShouldSelect(2, 0, hold, 1.5f, true));
    EXPECT_FALSE(steering::ShouldSelect(2, 2, hold, 1.5f, true));
    hold.time = 1.5f;
    EXPECT_TRUE(steering::ShouldSelect(2, 7, hold, 1.5f, false));
    EXPECT_FALSE(steering::ShouldSelect(0, 7, { 0, 5.0f }, 1.5f, false));
}

} // namespace
