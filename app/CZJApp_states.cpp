// The game-state machine: each pass runs a whole stretch of the program (the start menu, a game
// run, a network game), and the game cycle that draws a game's frames and handles its pending
// location actions.
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CPlayerFerroGroup.h"
#include "ai/CZJTrade.h"
#include "app/CInput.h"
#include "app/CZJApp.h"
#include "app/GameSettings.h"
#include "app/LocationTravel.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XDynamicArray.h"
#include "net/CZJDPClient.h"
#include "platform/win/clock.h"
#include "script/CZJScriptManager.h"
#include "ui/CZJStartMenu.h"
#include "world/db/CBuildingManager.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"

#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr const char* kPolitics = "StartPolitics.csv";
constexpr const char* kPlayerOrganisation = "ORG_PLAYER";
constexpr const char* kNewGameStart = "B_L1_CEH";
constexpr const char* kNoStart = "NOID";
constexpr int kBuildingType = 11;
// The player's authority by difficulty.
constexpr float kAuthorityScale[] = { 1.33f, 0.8f, 0.5f };
// The kinds of building a network game may start in.
constexpr int32_t kNetStartKinds[] = { 1, 4, 6, 9 };
// The time a building visit takes, for the groups, the environment and the player's glider.
constexpr float kVisitTime = 25.0f;
constexpr float kStartSimulation = 150.0f;

// The end-title variant of a pending action code; 0 for other codes.
int Ending(uint32_t code)
{
    return code == 6 ? 1 : code == 7 ? 2 : 0;
}

bool NetStartKind(const CZJObject* object)
{
    const SBuildingType* row = static_cast<const CBuildingObject*>(object)->Row();
    if (!row)
        return false;
    for (int32_t kind : kNetStartKinds) {
        if (row->kind == kind)
            return true;
    }
    return false;
}

// The world objects are gone: so are the groups and pointers that name them.
void ClearWorld()
{
    ObjectList.Clear();
    PlayerFerroGroup.members[0].glider = nullptr;
    FerroGroupList.Clear();
    PlayerGlider = nullptr;
    PlayerObject = nullptr;
    CameraObject = nullptr;
    ZJEngine.currentBuilding = nullptr;
}

// Runs the location's script: the location file up to its last ".".
void RunLocationScript(const char* locationFile)
{
    if (g_pScriptManager)
        g_pScriptManager->ZJRunScript(travel::LocationScriptName(locationFile).c_str(), 1, nullptr);
}

void ScaleAuthority()
{
    const int k = g_OrgManager.FindOrganisation(kPlayerOrganisation);
    const uint32_t level = g_pScriptManager ? g_pScriptManager->difficulty : 1;
    if (k >= 0 && level < std::size(kAuthorityScale))
        g_OrgManager.SetAuthority(k, g_OrgManager.GetAuthority(k) * kAuthorityScale[level]);
}

// Runs a game's preparation; when it throws (a location or a glider that cannot be made) the
// trace is logged, the world cleared and the start menu opens again.
template <typename Steps> bool Prepared(CZJApp& app, Steps steps)
{
    try {
        return steps();
    } catch (...) {
        FlushCallTrace();
        ClearWorld();
        app.state = CZJApp::kStartMenu;
        return false;
    }
}

} // namespace

void CZJApp::ProcessFrame()
{
    ZJ_TRACE("CZJApp::ProcessFrame");
    ++m_frames;
    switch (state) {
    case kStartMenu:
        OpenStartMenu();
        ScreenFadeOut();
        return;
    case kNewGame:
    case kLoadGame:
        RunGame();
        break;
    case kNetGame:
        RunNetGame();
        break;
    default:
        SetQuit(1);
        return;
    }
    // A game ended by a close request ends the program.
    if (CloseRequested()) {
        state = kExit;
        SetQuit(1);
    }
}

void CZJApp::OpenStartMenu()
{
    ZJ_TRACE("CZJApp::OpenStartMenu");
    CZJStartMenu menu;
    switch (RunModalMenu(&menu, true)) {
    case CZJStartMenu::kLeave:
        SetQuit(1);
        break;
    case CZJStartMenu::kStartGame:
        state = kNewGame;
        startPosition = MakeNameKey32(kNewGameStart);
        break;
    case CZJStartMenu::kNetworkGame:
        state = kNetGame;
        break;
    case CZJStartMenu::kLoadGame:
        if (LoadGame(menu.chosenName.c_str(), true))
            state = kLoadGame;
        else
            WriteErrorLog("CZJApp::LoadGame failed: " + menu.chosenName);
        break;
    default:
        break;
    }
}

void CZJApp::RunGame()
{
    const bool loaded = state == kLoadGame;
    if (!loaded && GameSettings.Video) {
        InvalidateResources();
        PlayIntroVideo();
        ResetResources();
        ScreenResetGamma();
        g_Input.GetData();
        ShowWaitScreen();
    }
    // InitMap copies the name into locationFile, which a loaded game names it from.
    const std::string location = loaded ? locationFile : startLocationFile;
    const bool prepared = Prepared(*this, [&] {
        g_OrgManager.SetPolitics(kPolitics);
        if (g_pScriptManager)
            g_pScriptManager->Reset();
        InitMap(location.c_str(), 0);
        ApplyStartConfig(false);
        if (loaded && !LoadGame(saveName, false)) {
            WriteErrorLog(std::string("CZJApp::LoadGame failed: ") + saveName);
            ClearWorld();
            state = kStartMenu;
            return false;
        }
        ScaleAuthority();
        InitMainFerro(!loaded, false);
        ApplyPlayerControlState();
        if (!loaded)
            RunLocationScript(locationFile);
        return true;
    });
    if (prepared)
        Cycle(loaded ? 2 : 1);
    // A game left through the in-game menu returns with its world standing: the start scene
    // replaces the objects, and no pointer may outlive them.
    ClearWorld();
    ScreenFadeOut();
    ClearQuit();
}

void CZJApp::RunNetGame()
{
    GameSettings.MapShadows = true;
    Difficulty = 1;
    if (g_pScriptManager)
        g_pScriptManager->difficulty = 1;
    const std::string location = netLocationFile;
    const bool prepared = Prepared(*this, [&] {
        g_OrgManager.SetPolitics(kPolitics);
        InitMap(location.c_str(), 0);
        if (g_pScriptManager)
            g_pScriptManager->Reset();
        ApplyStartConfig(false);
        InitMainFerro(true, false);
        RunLocationScript(locationFile);
        return true;
    });
    if (!prepared) {
        NetClient.LeaveGame();
        return;
    }

    ObjectList.netNumberCounter = 0;
    // The server's player id holds the owner bits of every network id this game gives.
    ObjectList.networkIdCounter = NetClient.playerId;
    if (PlayerGlider) {
        ObjectList.AddToExtraList(PlayerGlider);
        PlayerGlider->networked = 1;
        PlayerGlider->owned = 1;
        PlayerGlider->ferroChanged = 1;
        PlayerGlider->netDirty = 1;
        PlayerGlider->netNumber = ++ObjectList.netNumberCounter;
        PlayerGlider->networkId = ObjectList.NextNetworkId();
    }
    NetClient.SendPlayState(true);
    ChooseNetStartBuilding();

    for (int mode = 1;; mode = 0) {
        Cycle(mode);
        ScreenFadeOut();
        const bool destroyed = ZJEngine.pendingAction.actionCode == 2;
        Respawn();
        if (!destroyed || CloseRequested())
            break;
    }
    state = kStartMenu;
    NetClient.LeaveGame();
    NetClient.SendPlayState(false);
    // As after a local game: the start scene replaces the objects, and no pointer may outlive them.
    ClearWorld();
    ClearQuit();
}

void CZJApp::ChooseNetStartBuilding()
{
    XDynamicArray<CZJObject*> buildings;
    ObjectList.GetObjectList(kBuildingType, buildings);
    int count = 0;
    for (int i = 0; i < buildings.Count(); ++i)
        count += NetStartKind(buildings.At(i)) ? 1 : 0;
    startPosition = MakeNameKey32(kNoStart);
    if (count == 0)
        return;
    int pick = Rand() % count;
    for (int i = 0; i < buildings.Count(); ++i) {
        if (NetStartKind(buildings.At(i)) && pick-- == 0) {
            startPosition = MakeNameKey32(buildings.At(i)->name);
            return;
        }
    }
}

void CZJApp::Respawn()
{
    try {
        if (PlayerFerrovant)
            PlayerFerrovant->Reset();
        if (PlayerGlider) {
            PlayerGlider->hitByRays = 1;
            PlayerGlider->moves = 1;
            PlayerGlider->alive = 1;
            PlayerGlider->visible = 1;
            PlayerGlider->target = nullptr;
        }
        InitGliderOnStartPos(false);
        if (CameraObject && PlayerGlider)
            CameraObject->AttachViewTarget(PlayerGlider);
        startPosition = MakeNameKey32(kNoStart);
        ZJEngine.killerId = 0;
    } catch (...) {
        AppendCallTrace("REPAIR NET");
        throw;
    }
}

void CZJApp::Cycle(int mode)
{
    ZJ_TRACE("CZJApp::Cycle");
    SPendingAction& action = ZJEngine.pendingAction;
    lastTargetId = 0;
    targetHoldTime = 0.0f;
    action.actionPending = 0;
    action.actionCode = 0;
    ShowWaitScreen();
    for (;;) {
        if (mode != 0) {
            CZJObject* building = ObjectList.FindObject(startPosition, kBuildingType);
            ZJEngine.currentBuilding = static_cast<CBuildingObject*>(building);
            if (building) {
                action.actionPending = 1;
                action.actionCode = 5;
                action.actionBuilding = MakeNameKey32(building->name);
                action.actionBuildingType = ZJEngine.currentBuilding->typeKey;
            }
        }
        if (mode == 1) {
            std::memset(savedValues, 0, sizeof savedValues);
            savedValueCount = 0;
            ZJTrade.Run(0);
            FerroGroupList.Simulate(kStartSimulation);
            ZJTrade.Run(0);
        }
        if (!RunFrames()) {
            // The quit flag ends the game at once, after the end titles when they are due.
            if (TakeEndTitles())
                EndGame();
            return;
        }
        action.actionPending = 0;
        const uint32_t code = action.actionCode;
        if (code == 1 && mode == 0)
            MakeScreenShot(shotSurface);
        mode = 0;
        if (code == 1 || code == 5) {
            VisitBuilding();
            if (TakeEndTitles()) {
                EndGame();
                return;
            }
        } else if (code == 2 || Ending(code) != 0) {
            if (Ending(code) != 0)
                ShowEndTitles(Ending(code));
            EndGame();
            return;
        }
    }
}

bool CZJApp::RunFrames()
{
    bool first = true;
    for (;;) {
        if (m_quit)
            return false;
        if (ZJEngine.pendingAction.actionPending)
            return true;
        if (CheckDevice(nullptr))
            continue;
        Render(first);
        if (first) {
            first = false;
            ScreenFadeIn();
            plat::win::Sleep(25);
            ScreenFadeIn();
        }
        ProcessMessages();
        PaceFrame();
    }
}

void CZJApp::VisitBuilding()
{
    SPendingAction& action = ZJEngine.pendingAction;
    if (state == kNetGame && PlayerGlider) {
        PlayerGlider->alive = 0;
        PlayerGlider->netDirty = 1;
        NetClient.SendData();
        PlayerGlider->alive = 1;
    }
    const float hourBefore = Environment.hour;
    ChangeLocation(action.actionBuilding, action.actionBuildingType);
    if (action.actionPending)
        return; // handled by the cycle at once
    FerroGroupList.Simulate(kVisitTime);
    Environment.Run(kVisitTime);
    if (PlayerGlider) {
        const float frameTime = FrameTime;
        FrameTime = kVisitTime;
        PlayerGlider->Run();
        FrameTime = frameTime;
    }
    if (int(Environment.hour) != int(hourBefore)) {
        ZJTrade.Run(int(Environment.hour));
        if (g_pScriptManager)
            g_pScriptManager->RunEachHour(locationFile);
        UpdateJournal(1);
    }
}

bool CZJApp::TakeEndTitles()
{
    SPendingAction& action = ZJEngine.pendingAction;
    const int ending = Ending(action.actionCode);
    if (!action.actionPending || ending == 0)
        return false;
    action.actionPending = 0;
    ShowEndTitles(ending);
    SetQuit(1);
    return true;
}

void CZJApp::EndGame()
{
    ClearQuit();
    if (state != kNetGame) {
        state = kStartMenu;
        ClearWorld();
    }
    ClearAndPresent();
}
