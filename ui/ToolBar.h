// The tool bar of the in-base menus: six slots in a column at the screen's left edge, each a
// picture button cut from the interface picture "SUF_INT_BS" with a tool-tip and a key, or a plug
// when the slot is empty; and the button that sends it.
#pragma once

#include "ui/CTextButton.h"

#include <array>
#include <cstdint>

inline constexpr int kToolBarSlots = 6;

struct SToolBarSlot {
    uint32_t command; // 0: empty slot
    uint32_t key; // keyboard code, 0 none
    uint32_t icon; // index into the interface picture's icon row
    const char* tip; // text key of the tool-tip
};

using ToolBarTable = std::array<SToolBarSlot, kToolBarSlots>;

// The building menu's bar for a building kind (-1: no building type); a network game has no save.
ToolBarTable BuildingToolBar(int32_t kind, bool networkGame);
// Pages that only go back.
ToolBarTable BackToolBar();

// Where slot k stands on a screen of that size, with the left panel's height (0: the screen's).
struct SToolBarRect {
    int32_t left, top, right, bottom;
};
SToolBarRect ToolBarButtonRect(int32_t slot, int32_t screenWidth, int32_t screenHeight, int32_t panelHeight);

// A tool-bar button: the button plate, the icon over it, the NAME of the tool-tip key as caption.
// Its key sends the command once, on the frame it goes down.
class CToolBarButton : public CTextButton {
public:
    static constexpr int32_t kIconWidth = 55;
    static constexpr int32_t kIconHeight = 54;
    static constexpr int32_t kIconTop = 157;
    static constexpr float kIconPitch = 54.583332f;

    CToolBarButton(const SToolBarRect& rect, const SToolBarSlot& slot, int32_t picture, int32_t plate);
    // Its piece of the picture from u0 (the back button's own).
    CToolBarButton(const SToolBarRect& rect, uint32_t command, const char* tip, int32_t u0, int32_t picture,
        int32_t plate);

    void Render() override;
    void Run() override;

    int32_t plate;
    uint8_t keyWasDown = 0;
};
