// CMenu1: the base of the start-screen family. It owns the metal panel at the bottom of the
// screen with its five animated buttons, the background (the start scene drawn off-screen and
// shown through the noise filter, or a picture) and the name a child list chose.
#pragma once

#include "ui/CBaseMenu.h"
#include "ui/CMainMenuButton.h"

#include <cstdint>
#include <string>

// One button of a panel layout: its command, its sheet column (-1: none) and a flag.
struct SMenuButtonDesc {
    uint32_t command;
    int32_t column;
    uint8_t flag;
};

class CMenu1 : public CBaseMenu {
public:
    enum Surface {
        kBack,
        kFront,
        kZoq,
        kEffect,
        kAngle,
        kTubeLeft,
        kTubeRight,
        kElementLeft,
        kElementRight,
        kSymbol,
        kMachine,
        kSurfaceCount
    };
    static constexpr int kButtons = CMainMenuButton::kGroup;
    static constexpr int32_t kButtonInset = 25;
    static constexpr float kButtonPitch = 61.5f;
    static constexpr float kFirstButtonSpeed = 1.4f;
    static constexpr float kButtonSpeedStep = 0.9f;
    // The names of the surfaces, in Surface order.
    static const char* const kSurfaceNames[kSurfaceCount];
    // The bump pictures that light them, in Surface order; null for the unlit ones.
    static const char* const kBumpNames[kSurfaceCount];

    CMenu1();

    void RenderBackGround() override;
    void RenderControl() override;
    void ProcessMessages() override;
    bool Init() override;

    // Adds the five buttons of a layout to the panel.
    void AddButtons(const SMenuButtonDesc (&layout)[kButtons]);
    // Gives the five buttons a new layout in place (columns and commands).
    void SetLayout(const SMenuButtonDesc (&layout)[kButtons]);
    // Every button but the one of index `except` fades back in.
    void FadeInOthers(int32_t except);
    // Whether every button's fade has played out (the screen may leave).
    bool ButtonsSettled() const;
    // Starts the options program and waits for it through the device check; the menu is rebuilt
    // afterwards whether it started or not.
    void RunOptionsProgram();

    int32_t surfaces[kSurfaceCount] = {};
    // The texture ids of kBumpNames (-1 absent); the back picture takes bumpTexture.
    int32_t pieceBumps[kSurfaceCount] = {};
    int32_t bumpTexture = -1;
    int32_t panelLeft = 0;
    int32_t panelTop = 0;
    int32_t panelRight = 0;
    int32_t panelBottom = 0;
    CMainMenuButton* buttons[kButtons] = {};
    uint8_t renderScene = 1;
    uint8_t drawPanel = 1;
    uint8_t drawFront = 0;
    uint8_t runWorld = 1;
    uint8_t centred = 0;
    int32_t backgroundSurface = 0;
    std::string chosenName;

protected:
    // The scene into the menu's render target, shown over the screen through the noise filter;
    // without a target, the screen cleared and nothing drawn.
    void RenderMap(bool run);
    // The noise and scan lines over the whole screen.
    void RenderNoise(uint32_t colour, float strength);
    // The surface of the picture table of that name, or -1.
    static int32_t FindSurface(const char* name);
    // Its size; 0 x 0 when absent.
    static void SurfaceSize(int32_t surface, int32_t& width, int32_t& height);
    // A surface of the table drawn at (x, y) in its own size; nothing when it is absent.
    void DrawSurface(int32_t surface, int32_t x, int32_t y);
    // One frame of an animated picture whose frames lie square down the picture.
    void DrawSurfaceFrame(int32_t surface, int32_t x, int32_t y, int32_t frame);
    // A surface at (x, y) as a bump-lit patch: the picture, then the bump texture over it lit from
    // the mouse in the pulsing highlight colour.
    void DrawLitSurface(int32_t surface, int32_t bump, int32_t x, int32_t y);
    // The scene's frame into the current target: with run, the environment, the machine groups
    // and the objects advance by the frame time; then the camera and the world drawn.
    virtual void RenderScene(bool run);
};
