// CMainMenu: the full-screen menu inside a building and, as a base, in flight: a mark-up text
// panel in the middle, a list of entries on each side, a tool bar, a turning 3-D preview of the
// selected item and panels that slide in and out. A queue of messages drives the slides and the
// page changes; ProcessMessages carries out one at a time. Main thread only.
//
// One file per aspect: CMainMenu.cpp the queue, selection, list layout, preview and the player's
// gauges; CMainMenu_text.cpp the text panel, script events and link words; CMainMenu_vehicle.cpp
// the vehicle list and the item pages; CMainMenu_journal.cpp the journal, statistics and player
// pages; CMainMenu_background.cpp the layout and the panels; CMainMenu_toolbar.cpp the tool bar,
// the base command dispatch and the right panel's theme links.
#pragma once

#include "foundation/CXAnsiString.h"
#include "foundation/Vector.h"
#include "foundation/XCyclicQueue.h"
#include "foundation/XDynamicArray.h"
#include "ui/AddListEntry.h"
#include "ui/CBaseMenu.h"
#include "ui/ToolBar.h"

#include <cstdint>
#include <string>
#include <vector>

class CComplexObject;
class CFerrovant;
class CHtmlControl;
class CMenuListEntry;
struct SItemPage;

using MenuList = XDynamicArray<CMenuListEntry*>;

class CMainMenu : public CBaseMenu {
public:
    // Messages of the queue.
    enum : uint32_t {
        kMsgIdle = 0,
        kMsgOpenFirst = 1,
        kMsgCloseFirst = 2,
        kMsgOpenSecond = 3,
        kMsgCloseSecond = 4,
        kMsgEnd = 5,
        kMsgRightPanel = 6,
        kMsgLeftPanel = 7,
        kMsgToggle = 8,
        kMsgWideLists = 9,
        kMsgNarrowLists = 10,
        kMsgStopRunning = 25,
        kMsgStartRunning = 26,
        kMsgCloseBoth = 41,
        kMsgOpenBoth = 42,
        kMsgIntro = 43,
        kMsgOutro = 44,
    };
    // Commands of the base dispatch.
    enum : uint32_t {
        kCmdExit = 1,
        kCmdAskName = 97,
        kCmdInputLine = 98,
        kCmdLink = 99,
        kCmdRightUp = 257,
        kCmdRightDown = 258,
        kCmdLeftUp = 259,
        kCmdLeftDown = 260,
    };
    // Results of DoModal.
    enum : uint32_t {
        kResultStay = 1,
        kResultLeave = 4,
        kResultTunnel = 5,
        kResultAgain = 8,
        kResultLinkJump = 10,
    };
    // Script modes of RunScript.
    enum : uint32_t { kScriptPending = 0, kScriptEvent = 1, kScriptQuests = 2 };

    static constexpr int kQueueCapacity = 64;
    static constexpr float kSlideSpeed = 5.0f; // a slide takes 0.2 s
    static constexpr int kMaxNameLength = 31;
    static constexpr uint32_t kTitleColour = 0xD1D153;

    CMainMenu();
    ~CMainMenu() override;

    // Slots of CBaseMenu.
    void RenderBackGround() override;
    void ProcessMessages() override;
    bool Init() override;
    void RunControl() override; // RunControls: acts on a clicked link word
    void PreProcess() override;
    void ProcessCommand(int id) override;

    // Slots 13 to 17.
    virtual void SelectRightList(int32_t index);
    virtual void SelectLeftList(int32_t index);
    virtual void OnChangeRightPanel() { }
    virtual void OnChangeLeftPanel() { }
    virtual void AddRightLink(const char* block, const char* title);

    // The queue: a full queue drops its oldest message.
    void PostMessage(uint32_t message);
    // Fade-out when fadeOnClose is set, the result, then the closing slide and the end. The first
    // close stands: a command during the closing slide (Escape's exit) changes nothing.
    void CloseMenu(uint32_t code);

    // Selects the first (fromEnd: the last) entry of a list that is not a header through slot 13
    // or 14; with none, the list's count.
    int32_t SelectFirstEntry(bool left, bool fromEnd);
    // Entries whose key + ".NC" event is set get the colours of new entries.
    void MarkNewEntries(MenuList& list);
    // The preview: model index into the model manager, -1 none.
    void SetPreviewModel(int32_t model);
    // The display radius of a model with these extents.
    static float PreviewRadius(const Vec3& extent);
    // Lays a list out in whole text lines from scroll (in lines, corrected when too far); the
    // lines below the visible ones go to hiddenBelow.
    void UpdateButtonList(MenuList& list, int32_t& scroll, int32_t& hiddenBelow);
    // Replaces a list's entries by controls made from records (null or none: empty) and lays it
    // out; right entries send 4096 + index, left ones 8192 + index.
    void FillRightList(const SListEntry* entries, int32_t count);
    void FillLeftList(const SListEntry* entries, int32_t count);
    // Lays both lists out again.
    void RelayoutLists();

    // The preview's lights: SetupPreviewLights at PreProcess, SetPreviewLight before each draw.
    void SetupPreviewLights();
    void SetPreviewLight(bool highlighted);
    // Draws the turning preview model, when set, and advances its angle.
    void DrawPreview();

    // The player's values drawn with the background. A count label: the icon and the count centred
    // under it; with required 0 or more the count is red below it, white at it, green above it,
    // followed by required; count below -1 draws nothing.
    void DrawCountLabel(int32_t x, int32_t y, int32_t count, int32_t required);
    static uint32_t CountColour(int32_t count, int32_t required);
    // The money icon around (x, y) and the money beside it.
    void DrawMoney(int32_t x, int32_t y);
    // The load gauge bar at (x, y) in interface units; its control's caption gets the weights.
    void DrawLoad(CMenuControl* gauge, int32_t x, int32_t y);
    // The rating gauge bar at (x, y), the icon and the level at (iconX, iconY).
    void DrawRating(CMenuControl* gauge, int32_t x, int32_t y, int32_t iconX, int32_t iconY);

    // The load gauge: carried weight / capacity x 0.75, clamped to 1; a capacity of 0 or less
    // counts as full.
    static float LoadFraction(float carried, float capacity);
    static uint32_t LoadColour(float load);

    // Text panel, script events and link words.
    // Name substitution of the script manager, then "%BUILDINGNAME".
    void SubstituteNames(CXAnsiString& text);
    uint32_t ShowHTMLText(const CXAnsiString& title, const CXAnsiString& body, const char* block,
        uint8_t spare, uint8_t addLink);
    // False when the script manager could not load the building's script.
    bool RunScript(uint32_t mode, const char* event, uint8_t fireGet);
    // Opens the text panel's input line for the player's name; it comes back as command 98.
    void AskPlayerName();
    // Command 98: a line of 2 characters or more names the player (cut to 31 bytes), runs
    // "ONCONSOLECOMMAND" and tells the server; a shorter one asks again.
    void OnInputLine(const CXAnsiString& line);
    // Commands 97 and 98 (every in-base menu's dispatch passes them here); false for others.
    bool ProcessNameCommand(int id);

    // Vehicle, equipment and goods pages.
    // The vehicle list's entry values: the part of the player's machine an entry shows.
    enum : uint32_t {
        kPartNone = 0,
        kPartHull,
        kPartReactor,
        kPartEngine,
        kPartArmour,
        kPartShield,
        kPartLightGun,
        kPartHeavyGun,
        kPartMounted = 0x100, // + the mounted item's index
        kPartAmmo = 0x200, // + the stock's index
    };
    // The entry flag of an offer that may be seen but not bought.
    static constexpr uint32_t kLockedEntry = 2;
    // The green marks the vehicle's information texts add for the player's equipment flags:
    // after the top speed, the load capacity, the reactor power, the energy and the armour.
    struct SBonusText {
        std::string speed, capacity, power, energy, armour;
    };
    SBonusText BonusTexts() const;
    std::vector<SListEntry> CreateGliderList(bool font);
    // Whether a vehicle list entry's part needs attention, red or yellow. The workshop marks worn
    // parts, armour below its maximum, guns short of shells or of a class the hull cannot carry and
    // items above the vehicle's standard; the in-flight equipment page marks worn parts, armour
    // below its maximum, guns short of shells or above the vehicle's standard, and parts of another
    // standard than the vehicle's (not the hull, not devices of slot kind 5, not ammunition).
    enum class PartWarning : uint8_t { None, Red, Yellow };
    enum class WarningRules : uint8_t { Workshop, InFlight };
    static PartWarning WarningOf(const CFerrovant& machine, uint32_t part, WarningRules rules);
    // The red and yellow colours of marked entries: normal, hover, pressed, selected.
    static constexpr uint32_t kRed[4] = { 0xFFFF4A10, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF9354 };
    static constexpr uint32_t kYellow[4] = { 0x80FFFF00, 0xFFFFFFFF, 0xFF8080FF, 0xFFFFFF80 };
    // Colours the list's entries that show parts of the player's machine by WarningOf.
    static void ColourPartWarnings(MenuList& list, WarningRules rules);
    void ProcessBaseGliderItem(int32_t entry, uint8_t showAllCosts, uint8_t allowTrade);
    // The item data page of the item named key; sets offerCost, offerPrice and offerWeight.
    void SetEqpData(const char* key, uint8_t own, uint8_t inShop);
    // The item data page SetEqpData shows, with this menu's price factors; nothing is found
    // without the player's machine.
    SItemPage ItemPageOf(const char* key, bool own, bool inShop) const;

    // Journal, statistics and player list pages.
    std::vector<SListEntry> BuildJournalList();
    void ShowStatistics();
    void ShowPlayerList();
    // The journal entry of the list's index: its text, its quest's steps and state or time left
    // (10 minutes short when shortened).
    void ShowJournalEntry(int32_t index, bool shortened);

    // Tool bar of a building's kind (-1 none): the two price factors and the buttons.
    void BuildToolBar(int32_t buildingKind);
    // Replaces the six bar controls and the back button by those of the table.
    void BuildToolBar(const ToolBarTable& slots);

    // Background and layout. The layout grid: the centre's size in design pixels (1024 x 768) and
    // the scale factors to the screen.
    static constexpr int32_t kGridColumns = 523;
    static constexpr int32_t kGridRows = 570;
    float ScaleX() const;
    float ScaleY() const;
    // The centre's rectangle on the screen.
    void GridRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
    // A piece of the frame: its surfaces, its bump picture and where it stands when open.
    enum Panel : int32_t {
        kPanelTop,
        kPanelBottom,
        kPanelLeft,
        kPanelLeftAlt,
        kPanelInfo,
        kPanelCornerTop,
        kPanelCornerBottom,
        kPanelRight,
        kPanelRightAlt,
        kPanelCount,
    };
    // The panel's rectangle at its slide position (1 open, 0 gone past the edge).
    void PanelRect(
        int32_t panel, float position, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;

    // Data of the menu.
    uint8_t fadeOnClose = 0;
    uint8_t closing = 0; // CloseMenu ran in this run of the menu
    uint8_t textOnSelect = 0;
    CHtmlControl* textPanel = nullptr;
    int32_t rightStripWidth = 0;
    int32_t leftStripWidth = 0;
    float firstPanelFlash = 0.0f;
    float secondPanelFlash = 0.0f;
    uint32_t currentMessage = kMsgIdle;
    float firstPanelPos = 0.0f;
    float secondPanelPos = 0.0f;
    float introPos = 0.0f;
    XCyclicQueue messages;
    CMenuControl* titleControl = nullptr;
    CMenuControl* buttonBar = nullptr;
    uint8_t buttonBarStale = 0; // set when the selection is cleared; the bar's owner refreshes it
    CMenuControl* frameControls[4] = {};
    MenuList rightList;
    MenuList leftList;
    int32_t selectedRight = -1;
    int32_t selectedLeft = -1;
    uint8_t toggle = 0;
    uint8_t wideLists = 0;
    int32_t leftScroll = 0; // in lines
    int32_t rightScroll = 0;
    int32_t leftHeight = 0; // laid-out lines below the visible ones
    int32_t rightHeight = 0;
    char buildingKey[32] = {};
    CXAnsiString buildingTitle;
    float previewRadius = 1.0f;
    Vec3 previewCentre {};
    uint8_t introPlaying = 0;
    CComplexObject* previewModel = nullptr;
    int32_t buildingType = -1;
    int32_t page = 0;

    // Price and offer data.
    float ammoFactor = 1.0f;
    float repairFactor = 0.025f;
    float orgRepairFactor = 1.00001f;
    float orgPriceFactor = 1.0f;
    uint8_t poorTrade = 0;
    float offerPrice = 0.0f;
    float offerWeight = 0.0f;
    int32_t offerCost = 0;
    float repairAllCost = 0.0f;
    float reloadAllCost = 0.0f;
    uint8_t noAccess = 0;
    uint32_t offerState = 0;

    // Layout: the lists' columns and arrow controls, the background picture.
    int32_t rightListLeft = 0;
    int32_t rightListRight = 0;
    int32_t leftListLeft = 0;
    int32_t leftListRight = 0;
    // How far each list's entries stand moved with their panel's slide (negative: left).
    int32_t leftListShift = 0;
    int32_t rightListShift = 0;
    CMenuControl* rightUp = nullptr;
    CMenuControl* rightDown = nullptr;
    CMenuControl* leftUp = nullptr;
    CMenuControl* leftDown = nullptr;
    CXAnsiString background = "SUF_FON_BASE";
    uint8_t previewHighlighted = 0;
    float previewAngle = 0.0f;

    // Rows of the information plate that carry the tool-tips of money, load and rating.
    static constexpr int kInfoValues = 3;
    CMenuControl* infoControls[kInfoValues] = {};

    // The tool bar's six controls (button or plug) and the back button.
    CMenuControl* toolBar[kToolBarSlots] = {};
    CMenuControl* backButton = nullptr;

    // Background ids, looked up by Init (-1 absent).
    int32_t crystalTexture = -1;
    int32_t gridTexture = -1;
    int32_t backgroundSurface = -1;
    int32_t barSurface = -1;
    int32_t centreMask = -1;
    int32_t centreBump = -1;
    int32_t buttonSurface = -1;
    int32_t buttonMask = -1;
    int32_t panelSurfaces[kPanelCount] = {};
    int32_t panelMasks[kPanelCount] = {};
    int32_t panelBumps[kPanelCount] = {};

protected:
    // Removes a list's entry controls from the menu and empties it.
    void ClearList(MenuList& list);
    void FillList(MenuList& list, bool left, const SListEntry* entries, int32_t count);
    // Slot 13 and 14's common part.
    void SelectEntry(MenuList& list, int32_t& selected, int32_t index);
    // Carries out the current message; true when it has ended.
    bool StepMessage(float dt);
    // The panel recipe: mask with the grid material, the panel, the bump highlight.
    void DrawPanel(int32_t mask, int32_t surface, int32_t bump, int32_t left, int32_t top, int32_t right,
        int32_t bottom);
    void LookUpBackground();
    // Moves a list's entries by the change from its applied shift to the wanted one.
    static void ShiftList(MenuList& list, int32_t& applied, int32_t wanted);
    // The player's money, load and rating on the information plate at (left, top).
    void DrawInfoValues(int32_t left, int32_t top);
};
