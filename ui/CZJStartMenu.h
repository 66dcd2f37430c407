// CZJStartMenu: the start menu over the start scene: new game with its difficulty, load game,
// network game, options and exit. DoModal returns 1 leave, 2 new game, 3 network game joined or
// created, 7 load the save named in chosenName.
#pragma once

#include "foundation/Vector.h"
#include "ui/CMenu1.h"

#include <cstdint>
#include <string>

class CHtmlControl;

class CZJStartMenu : public CMenu1 {
public:
    enum Command : uint32_t {
        kExit = 1,
        kNetwork = 2,
        kNewGame = 3,
        kOptions = 5,
        kLoad = 9,
        kBack = 18,
        kEasy = 101,
        kNormal = 102,
        kHard = 103
    };
    enum Result : uint32_t { kLeave = 1, kStartGame = 2, kNetworkGame = 3, kLoadGame = 7 };
    static constexpr const char* kSceneFile = "start.zjp";
    static const SMenuButtonDesc kMainLayout[kButtons];
    static const SMenuButtonDesc kDifficultyLayout[kButtons];

    void RenderBackGround() override;
    bool Init() override;
    void PreProcess() override;
    void ProcessCommand(int id) override;

    // The network game search; true when the player is in a network game, whose location file
    // is then the application's network location.
    bool RunNetGame();
    // The search's status window while it shows.
    const CHtmlControl* Status() const { return m_status; }

private:
    // Loads the start scene and places the camera; false leaves the background black.
    bool LoadScene();
    void RenderScene(bool run) override;
    // Renders, pumps the window and drains the network client until `seconds` have passed;
    // false when the application is quitting.
    bool WaitRendering(double seconds);
    // The search of step 3: true when a host answered.
    bool SearchHosts();
    // One progress line in the status window, then a frame.
    void ShowStatus(const char* key, const std::string& text);
    void ShowStatus(const char* key);
    // Shows the failure for a second and removes the status window: false.
    bool FailNetGame();
    void RemoveStatus();

    int32_t m_logos[2] = { -1, -1 };
    Vec3 m_eye {};
    float m_heading = 0.0f;
    CHtmlControl* m_status = nullptr;
};
