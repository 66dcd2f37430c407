// CMessager: the running game's messages as coloured lines in a strip at the top of the screen.
// Each message is a block of a mark-up window: it flashes in, fades after 18 s, stops being drawn
// after 20 s and is deleted after 25 s, while the strip scrolls smoothly. The expanded log grows
// the strip, keeps every message at full alpha and lets links open further texts of the mission
// scripts. It also draws the pulsing warning sign. One object, g_pMessager, made by the
// application. Main thread only.
#pragma once

#include "foundation/CXAnsiString.h"
#include "ui/CBaseMenu.h"
#include "ui/CZJHtmlWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CHtmlControl;
class CMessager;

// The message window: text drawn by the age of its message, with a shadow.
class CMessageWindow : public CZJHtmlWindow {
public:
    CMessageWindow(CMessager& owner, int32_t left, int32_t top, int32_t right, int32_t bottom);

    void DrawText(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t font, const char* text,
        uint32_t colour) override;

    float alpha = 1.0f;
    int32_t skipped = 0; // records not drawn this frame because they are too old
    int32_t lastDrawnY = 0; // y1 of the last text record drawn this frame

private:
    CMessager& m_owner;
};

class CMessager : public CBaseMenu {
public:
    static constexpr int kCapacity = 1000;
    // Colour indices of AddMessage, 0x00RRGGBB.
    static constexpr uint32_t kColours[5] = { 0xA0A0A0, 0x40FF40, 0xFF2020, 0xFAF95E, 0xFFFFFF };

    struct SSlot {
        char name[32];
        float time;
    };

    CMessager();
    ~CMessager() override;

    // Makes the window and its control.
    bool Init() override;
    // A link of the expanded log was clicked (id 99).
    void ProcessCommand(int id) override;

    // Text (Windows-1251 mark-up), colour index (-1 none), block name (null: a running number).
    void AddMessage(const char* text, int colour, const char* name);
    void Run();
    void Draw();
    void UpdateState(bool expanded);
    void Clear();
    void Done();

    // The game clock the messages age by, and the smoothed frame time of the scrolling.
    double Now() const { return clock ? clock() : DefaultClock(); }

    CMessageWindow* Window() const { return m_window.get(); }
    // The control that takes the mouse in the expanded log.
    CHtmlControl* Control() const { return m_control; }
    const SSlot& Slot(int index) const { return m_ring[size_t(index)]; }
    int32_t Head() const { return m_head; }
    int32_t Write() const { return m_write; }
    bool Expanded() const { return m_expanded; }

    int32_t warningSign = -1; // row of "SUF_INT_TEXT" to show, -1 none
    float scrollAccumulator = 0.0f;
    // Test access: the clock and frame time used instead of the game's.
    std::function<double()> clock;
    std::function<float()> frameTime;

private:
    static double DefaultClock();
    float FrameStep() const;
    void DrawWarningSign();
    // The window's first block name, copied.
    std::string FirstBlockName() const;
    // The slot of a block name, or null.
    const SSlot* SlotOf(const char* block) const;

    std::unique_ptr<SSlot[]> m_ring;
    int32_t m_head = 0;
    int32_t m_write = 0;
    uint32_t m_serial = 0; // running message number of unnamed messages
    std::unique_ptr<CMessageWindow> m_window;
    CHtmlControl* m_control = nullptr; // owned through the control list
    bool m_expanded = false;

    friend class CMessageWindow;
};

// The ARGB colour a message's record is drawn in at that age (seconds), from its record colour
// and the window's alpha; 0 alpha once the strip no longer draws it.
uint32_t MessageColour(uint32_t colour, float age, bool expanded, float alpha);

// A player name as plain text inside a message: "<" and ">" removed.
std::string StripMarkup(const std::string& text);

extern CMessager* g_pMessager;
