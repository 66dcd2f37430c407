// CZJApp: the game's application object. Init brings every subsystem up in a fixed order,
// Shutdown takes them down, ReloadConfig re-reads the settings between frames; the device
// objects it owns are released and re-created around a device reset. One object exists, made by
// StartApplication and held in g_pZJApp for the life of the process. Main thread only.
#pragma once

#include "app/CApplication.h"
#include "app/CommandLine.h"
#include "foundation/NameKey32.h"
#include "platform/gfx/types.h"
#include "platform/win/process.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CBaseMenu;
class CZJObject;
class XMemBuffer;

// The display parameters GetDisplayParams fills and InitGraphic creates the device from.
struct SDisplayParams {
    uint32_t adapter = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0;
    plat::gfx::Format format = plat::gfx::Format::X8R8G8B8;
    uint32_t refresh = 0;
    uint32_t useInterval = 0;
    uint32_t windowed = 0;
    uint32_t multiSample = 0;
    uint32_t filtering = 0;
    uint32_t anisotropy = 0;
    uint32_t interval = 0; // 1 << (Interval - 1)
    uint8_t forceScreenShots = 0;
};

class CZJApp : public CApplication {
public:
    static constexpr const char* kTitle = "Z.O.Q. v.1.04";
    static constexpr int kShotSize = 256;
    static constexpr size_t kMaxLocationName = 127;
    static constexpr int kPictureSlot = 18; // texture times the texture factor
    static constexpr int kFadingPictureSlot = 19; // the same with the factor's alpha
    // The states of the game-state machine.
    enum State : uint32_t { kStartMenu, kNewGame, kLoadGame, kNetGame, kExit };

    CZJApp();
    ~CZJApp() override;

    // An exception leaves no object of Init's behind (DeleteInterfaceObjects).
    void Init(const char* commandLine, uint32_t spare, const char* title) override;
    void Shutdown() override;
    // Deletes the script manager, message window, event sink, screen layer, radar and radar map
    // that Init made and clears their pointers; nothing when it made none.
    void DeleteInterfaceObjects();
    void ReloadConfig();
    void ShowWaitScreen();

    void InvalidateResources();
    void ResetResources();
    void InvalidateDeviceObjects() override { InvalidateResources(); }
    void RestoreDeviceObjects() override { ResetResources(); }

    void ParseCommandLine(const char* commandLine);
    void GetDisplayParams(SDisplayParams& params);
    // A full screen the display cannot show becomes a window of the asked size, and a size the
    // device refuses the display's nearest mode (one log line each); XStartupFault when none works.
    bool InitGraphic(const SDisplayParams& params);
    void PlayLogoVideos(bool skippable);
    void PlayIntroVideo();
    int RunModalMenu(CBaseMenu* menu, bool loop);
    // The two cursor textures by texture key.
    void SetCursorTextures(const char* normal, const char* blue);
    void ShowCursor(bool show);
    void ToggleMessageLog();
    void ShowEndTitles(int ending);
    // Starts the outside options program in the base directory; an empty Process (one log line)
    // when it cannot start.
    plat::win::Process StartOptionsProgram();
    // Writes a save game SAVES/file with its title and the 32-byte place; autosave marks the
    // automatic save. True when every write succeeded.
    bool SaveGame(const char* file, const char* title, int32_t flag, const char place[32], bool autosave);
    // Reads the save game SAVES/name: with headerOnly only its header (remembering the name as
    // saveName, the location as locationFile); else in full. False on any failure.
    bool LoadGame(const char* name, bool headerOnly);
    // Hands the loaded player control state to the player's glider and equipment.
    void ApplyPlayerControlState();

    // The game-state machine and its game runs.
    void OpenStartMenu();
    // The game loop: mode 1 a new game, 2 a loaded game, 0 resuming after a respawn or a visit.
    void Cycle(int mode);
    // Game preparation.
    void InitMap(const char* fileName, int flag);
    void ApplyStartConfig(bool keep);
    void InitMainFerro(bool newGame, bool tunnelStart);
    void InitGliderOnStartPos(bool tunnelStart);
    // The numbered application actions scripts request; false only for code 0.
    bool DoScriptAction(int code);
    // One frame of a running game; first is set for the first frame of a game run.
    void Render(bool first);
    // Chooses the music and the warning indicator at the end of every drawn frame.
    void AnalizeSituation();
    // The player's input of one frame.
    void ProcessInput();
    // The visit of a building the player's glider entered, and travel out of it.
    void ChangeLocation(NameKey32 building, NameKey32 buildingType);
    // Draws the save picture into destination; when the copy fails twice the old picture stays.
    void MakeScreenShot(plat::gfx::Surface* destination);
    // The animated ride between locations: ends after 10 s, on Escape or on a close request.
    void TunnelTransition();
    // The journal-updated notice (1: the hourly or sensor notice).
    void UpdateJournal(int colour);

    // Fields of the game flow.
    uint8_t paused = 0;
    float realFrameTime = 0.0f;
    int32_t savedCameraMode = 0;
    uint8_t freeCamera = 0;
    char locationFile[135] = {};
    float deathCountdown = 0.0f;
    NameKey32 startPosition {};
    char saveName[36] = {};
    uint8_t deathStarted = 0;
    int32_t lastTargetId = 0; // object id, 0 none
    float targetHoldTime = 0.0f;
    char startLocationFile[128] = {};
    char netLocationFile[128] = {};
    uint32_t state = 0;
    uint32_t savedValues[16] = {};
    uint32_t savedValueCount = 0;
    plat::gfx::Surface* shotSurface = nullptr;
    plat::gfx::Surface* shotTarget = nullptr;
    plat::gfx::Surface* shotDepth = nullptr;
    CBaseMenu* modalMenu = nullptr;
    CBaseMenu* previousModalMenu = nullptr;
    // The view's zoom: grows with the glider's speed, decays towards 0; kept between frames.
    float zoom = 0.0f;
    // SETBONUS's two factors.
    float bonusFactors[2] = { 1.0f, 1.0f };

    // Test seam, empty in the program: when set, RunModalMenu asks it first; answering true with
    // a result stands for the menu's own run.
    std::function<bool(CBaseMenu* menu, int& result)> modalHook;
    // Test seam, empty in the program: when set, ShowEndTitles tells it the ending first; answering
    // true stands for the screen's own run.
    std::function<bool(int ending)> endTitlesHook;

    // Save games: the state of each visited location in SAVES\LOCS, and the player's control
    // state in section 11.
    // Saves the current location's state as the next "data%d.loc"; false when the location file
    // name gives no location number 1 to 8 or a write failed.
    bool SaveLoc();
    // Loads the current location's latest location save; false when there is none or it is refused.
    bool LoadLoc();
    // A location save's bytes into the owners of its sections 2, 4, 6 and 7; false with the reason.
    bool ReadLocationSave(std::vector<uint8_t> bytes, std::string& reason);
    static void SavePlayerControlState(XMemBuffer& stream);
    // False, with the record untouched, when the payload is shorter than its version's record.
    static bool LoadPlayerControlState(XMemBuffer& stream);

    CTexture* CursorTexture() const { return m_cursorTexture; }
    CTexture* CursorBlueTexture() const { return m_cursorHighlight; }
    bool MessageLogExpanded() const { return m_messageLogExpanded != 0; }
    bool CursorShown() const { return m_cursorShown != 0; }
    // Passes of the state machine.
    uint64_t FrameCount() const { return m_frames; }

protected:
    void ProcessFrame() override;
    void AfterWait() override { ReloadConfig(); }

private:
    void InitSteps(const char* commandLine, uint32_t spare, const char* title);
    bool CreateDevice(const SDisplayParams& params);
    void Step(const char* name);
    void ClearAndPresent();
    void CreateShotTarget();
    // Takes back the video pictures' way to the window Init gave them (before the window goes).
    void ReleasePictureOutput();
    void LoadCursorTextures();
    // Draws the picture named so over the whole screen with the texture factor white, when there
    // is one.
    void DrawScreenPicture(const char* name);
    // The game runs of the state machine: a new or loaded game (states 1 and 2), a network game.
    void RunGame();
    void RunNetGame();
    // Chooses the network game's start building: a random building of kind 1, 4, 6 or 9.
    void ChooseNetStartBuilding();
    // Puts the player's glider back at a start point after a network game cycle.
    void Respawn();
    // The cycle's parts: the frames until an action is pending (false: the quit flag ended them
    // with no end titles due), the building visit and the end of the game.
    bool RunFrames();
    void VisitBuilding();
    // Shows the end titles for a pending action 6 or 7 and sets the quit flag; false when none
    // is pending.
    bool TakeEndTitles();
    void EndGame();

    // Game preparation: DoScriptAction 3 lays goods and money things over the map.
    void ScatterThings();

    // The building visit's results: out of the building, and travel to ZJEngine.destinationFile.
    void LeaveBuilding();
    void Travel(bool tunnel);
    // "Data\Images\tunnel.tga" into shotSurface, the picture of a save made after a travel.
    void LoadTunnelPicture();

    uint64_t m_frames = 0;
    bool m_pictureOutput = false;
    bool m_interfaceObjects = false; // Init made the objects DeleteInterfaceObjects deletes
    std::vector<std::string>* m_stepLog = nullptr;
    double m_netClock = 0.0; // the game clock at the last network pass of Render

public:
    // Test access: where the names of the start-up, shut-down, device-object and frame steps go
    // while set.
    void SetStepLog(std::vector<std::string>* log) { m_stepLog = log; }
};

extern CZJApp* g_pZJApp;

// Seeds the C library's random generator, makes the application object and sets g_pZJApp;
// false when it could not be made.
bool StartApplication();
// The program: one instance, Init, the main loop, Shutdown. Exit codes: 0 normal, 1 another
// instance runs or the object could not be made, 2 an exception ended the program.
int GameMain(const char* commandLine);
