// CRTMenu: the menu the player opens during flight: the in-base menu with pages for the journal,
// the equipment, the statistics, the map and the hold, a tool bar that switches pages or returns
// to flight, and dropping from the hold. The flight controller builds it with an opening mode,
// runs it and destroys it. CRTMenu.cpp the pages and commands; CRTMenu_map.cpp the map page.
#pragma once

#include "foundation/Vector.h"
#include "ui/CMainMenu.h"

#include <cstdint>
#include <string>
#include <vector>

class CFerrovant;
class CZJObject;

// Whether the machine's four main parts and its two guns fit the level of its glider type: every
// part's level at most the body's, and a gun only where the type carries one.
bool EquipmentFitsBody(const CFerrovant& machine);

class CRTMenu : public CMainMenu {
public:
    enum : int32_t { kOpenJournal = 1, kOpenMap = 2 };
    enum : int32_t {
        kCmdLeave = 7,
        kCmdJournal = 12,
        kCmdEquipment = 14,
        kCmdStatistics = 15,
        kCmdMap = 19,
        kCmdHold = 20,
        kCmdDrop = 34,
    };
    static constexpr int kMaxMarks = 50;
    static constexpr uint8_t kLeftShift = 0x2A;

    // 1 journal, 2 map, anything else the hold.
    explicit CRTMenu(int32_t openMode);
    ~CRTMenu() override;

    // The tool bar with the key bindings of the hold, journal and map in place of the defaults
    // when they hold a code from 2 to 255.
    static ToolBarTable FlightToolBar(uint32_t holdKey, uint32_t journalKey, uint32_t mapKey);

    void RenderBackGround() override;
    void ProcessMessages() override;
    bool Init() override;
    void ProcessCommand(int id) override;
    void SelectRightList(int32_t index) override;
    void OnChangeRightPanel() override;

    // Drops the selected hold entry: the whole stack with left shift held, else one.
    void DropSelected();

    // The map page (CRTMenu_map.cpp).
    void OpenMap();
    void CloseMap();
    void MapInput();
    void DrawMap();
    // The right list's entry of the map page aims the smooth scroll.
    void AimAt(const char* key);
    // Names under the world point, for the hint.
    std::string NamesAt(const Vec3& point) const;
    // The map area: the view on the screen.
    void MapArea(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;

    int32_t openMode;
    // The keys of the hold, journal and map buttons: the input layer's bindings (the defaults
    // stand when a binding is not a code from 2 to 255).
    uint32_t holdKey = 35;
    uint32_t journalKey = 36;
    uint32_t mapKey = 50;

    // The map page's state.
    Vec3 viewPosition {};
    uint8_t draggingMap = 0;
    int32_t lastCursorX = 0;
    int32_t lastCursorY = 0;
    uint8_t scrolling = 0;
    float scrollDistance = 0.0f;
    Vec3 scrollTarget {};
    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    std::string hint;

    // The map page's buildings and bearings.
    std::vector<CZJObject*> buildings;
    std::vector<CZJObject*> bearings;

private:
    void SwitchTo(int32_t newPage, bool clearText);
    void FillMapLists();
    void FillHoldLists();
    void FillEquipmentList();
    void ShowHoldEntry(int32_t index);
    void ClearText();
};
