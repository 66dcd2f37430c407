// CTextButton: a piece of a surface with a centred text; a surface twice as wide as the piece
// holds the hovered look in its right half. Release over it, or its hot key held, sends the
// command.
#pragma once

#include "ui/CMenuControl.h"

class CTextButton : public CMenuControl {
public:
    static constexpr uint32_t kHoverColour = 0xFF8080FF;
    static constexpr uint32_t kPressedColour = 0xFFFFFFFF;
    static constexpr uint32_t kNormalColour = 0xFFC0C0C0;

    // textKey: a key of the script manager's text table whose NAME is shown (empty when absent).
    // The source rectangle is a piece of the surface; the text centre is relative to the
    // rectangle's smaller left and top.
    CTextButton(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* textKey,
        int32_t surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t textCentreX,
        int32_t textCentreY, uint32_t command, uint8_t hotKey);

    void Render() override;
    void OnHover() override { hoverFrames = 2; }
    void OnPress() override { pressed = 1; }
    void OnRelease() override;
    void OnReleaseOutside() override { pressed = 0; }
    void Run() override;

    CXAnsiString text;
    int32_t surface;
    int32_t x0, y0, x1, y1;
    int32_t textCentreX;
    int32_t textCentreY;
    uint32_t command;
    uint8_t hotKey;
    uint32_t hoverFrames = 0;
    uint8_t pressed = 0;
    uint32_t hoverColour = kHoverColour;
    uint32_t pressedColour = kPressedColour;
    uint32_t normalColour = kNormalColour;
};
