// CTextMessageControl: a text that fades in (or out) and types itself out at 100 characters a
// second, drawn from the left, centred or fitted to the rectangle's width.
#pragma once

#include "ui/CMenuControl.h"

class CTextMessageControl : public CMenuControl {
public:
    enum : uint32_t { kLeft = 0, kCentred = 1, kFitted = 2 };
    static constexpr float kTypeRate = 100.0f;

    CTextMessageControl(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text,
        uint32_t colour, bool usesFade);

    void Render() override;
    void Update() override;

    // The colour drawn this frame.
    uint32_t ShownColour() const;

    CXAnsiString text;
    float shown = 0.0f;
    int32_t shownCount = 0; // negative: the whole text
    float fade = 0.0f;
    uint32_t colour;
    uint8_t fadingOut = 0;
    uint8_t usesFade;
    uint32_t alignment = kLeft;
};
