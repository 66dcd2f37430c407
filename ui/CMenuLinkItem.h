// CMenuLinkItem: one entry of the in-base menus' lists: a text fitted to its rectangle whose
// colour glows on hover and press and marks the selected entry; it appears and, when closing,
// fades away and hides itself. Release over it, or its hot key, sends the command.
#pragma once

#include "ui/CMenuControl.h"

class CMenuLinkItem : public CMenuControl {
public:
    static constexpr uint32_t kNormalColour = 0x80808080;
    static constexpr uint32_t kHoverColour = 0xFFB0B0B0;
    static constexpr uint32_t kPressColour = 0xFF8080FF;
    static constexpr uint32_t kSelectedColour = 0xFF80B0FF;
    static constexpr int32_t kIconSize = 15;
    enum : uint32_t { kCentreX = 1, kCentreY = 2 };

    // A text wider than the rectangle is fitted with ".." (keeping a closing bracketed part) and
    // shows whole as tool-tip.
    CMenuLinkItem(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text,
        uint32_t command, uint8_t hotKey = 0, int32_t icon = -1, uint32_t alignment = 0);

    void Render() override;
    void OnHover() override;
    void OnPress() override;
    void OnRelease() override;
    void Update() override;
    void Run() override;

    // Normal, hover, pressed and selected colours.
    void SetColours(const uint32_t (&colours)[4])
    {
        normalColour = colours[0];
        hoverColour = colours[1];
        pressColour = colours[2];
        selectedColour = colours[3];
    }
    // The text colour of this frame before the pulse: the four colours blended per byte.
    uint32_t BlendedColour() const;

    uint8_t shortened = 0;
    uint8_t hotKey;
    uint32_t command;
    uint8_t pressed = 0;
    uint8_t hoveredThisFrame = 0;
    uint32_t textShown = 1;
    float hoverGlow = 0.0f;
    float pressGlow = 0.0f;
    uint8_t selected = 0;
    float appear = 1.0f;
    CXAnsiString text;
    uint8_t closing = 0;
    int32_t rect[4];
    char key[32] = {}; // the owning list's entry key
    uint32_t flag = 0; // the owning list's entry flag
    int32_t icon;
    uint32_t alignment;
    uint32_t normalColour = kNormalColour;
    uint32_t hoverColour = kHoverColour;
    uint32_t pressColour = kPressColour;
    uint32_t selectedColour = kSelectedColour;
    uint8_t pulse = 0;
};
