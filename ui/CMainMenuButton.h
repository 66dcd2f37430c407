// CMainMenuButton: one of the five animated buttons of the start-screen menus. It appears row by
// row from its sheet, loops a highlight under the mouse, and dissolves while another button is
// pressed; the menu keeps the five as an array and sets group to it.
#pragma once

#include "ui/CMenuControl.h"

class CMainMenuButton : public CMenuControl {
public:
    static constexpr int32_t kColumn = 180;
    static constexpr int32_t kRow = 50;
    static constexpr int32_t kIdleRow = 17;
    static constexpr float kFadeBackLimit = -0.28f;
    static constexpr int kGroup = 5;
    enum : uint32_t { kAppearing, kIdle, kHovered, kFadingOut, kFadingIn };

    CMainMenuButton(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t buttonSheet,
        int32_t highlightSheet, int32_t fadeSheet, int32_t index, uint32_t command);

    void Render() override;
    void OnHover() override;
    void OnPress() override;
    void OnRelease() override;
    void OnReleaseOutside() override;
    void Update() override;
    void Run() override;

    // What Render draws: the sheet row (states 0 to 2) or the fade frame (states 3 and 4).
    int32_t Row() const;
    int32_t FadeFrame() const;

    // This button's place in its group (not its column), or -1.
    int32_t GroupPosition() const;
    // Over the group of five, every button but the one at place `except`.
    static void FadeOutOthers(CMainMenuButton* const group[kGroup], int32_t except);
    static void FadeInOthers(CMainMenuButton* const group[kGroup], int32_t except);

    int32_t buttonSheet;
    int32_t highlightSheet;
    int32_t fadeSheet;
    uint8_t pressed = 0;
    uint32_t hoverFrames = 0;
    int32_t index;
    uint32_t command;
    float speed = 1.0f;
    float phase = 0.0f;
    uint32_t state = kAppearing;
    // The menu's five buttons (entries may be null); null: a button alone.
    CMainMenuButton* const* group = nullptr;
};
