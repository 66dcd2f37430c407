// CZJStartMenu: the start menu over the start scene: new game with its difficulty, load game,
// network game, options and exit. DoModal returns 1 leave, 2 new game, 3 network game joined or
// created, 7 load the save named in chosenName.
#pragma once

#include "ui/CMenu1.h"

#include <cstdint>
#include <memory>
#include <string>

class CGliderObject;
class CHtmlControl;
class CTrajectoryObject;

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

    CZJStartMenu();
    ~CZJStartMenu() override;

    void RenderBackGround() override;
    bool Init() override;
    void PreProcess() override;
    void ProcessCommand(int id) override;

    // The network game search; true when the player is in a network game, whose location file
    // is then the application's network location.
    bool RunNetGame();
    // The search's status window while it shows.
    const CHtmlControl* Status() const { return m_status; }
    // The scene's glider flying the start scene's road loop, leg by leg along a traced
    // trajectory; null when the scene has none.
    const CGliderObject* SceneGlider() const;
    // The trajectory of the present leg, and how many legs were begun.
    const CTrajectoryObject* SceneTrajectory() const;
    int32_t SceneLegs() const;

private:
    struct SFlight;

    // Loads the start scene, places the camera and launches the glider; false leaves the
    // background black.
    bool LoadScene();
    // The glider of CFG_STARTUP at a start point, the camera chasing it; false without one.
    bool LaunchGlider();
    // Traces the next leg of the loop from where the glider is.
    void NextLeg();
    // Gives the pilot the next point of the leg once it has reached the last.
    void Steer();
    // Lets go of the scene's objects that outlive the menu in the object list.
    void ReleaseScene();
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
    CHtmlControl* m_status = nullptr;
    std::unique_ptr<SFlight> m_flight;
};
