// The in-base menus' tool bar, the base command dispatch and the right panel's theme links.
#include "foundation/CallTrace.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CPictureControl.h"
#include "ui/ToolBar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kEscape = 1;
constexpr uint32_t kCmdBack = 18;
constexpr const char* kThemes = "INT_THEMES";
constexpr int32_t kBackButtonSlot = 6;
constexpr int32_t kBackIconLeft = 491;
constexpr int32_t kBackIconRight = 546;

constexpr SToolBarSlot kEmpty { 0, 0, 0, nullptr };

constexpr ToolBarTable kBuildingBar = { {
    { 8, 0, 6, "INT_TT_SAVE" },
    { 12, 0, 2, "INT_TT_JOURNAL" },
    { 13, 0, 0, "INT_TT_UPGRADE" },
    { 10, 0, 7, "INT_TT_TRADE" },
    kEmpty,
    { 1, kEscape, 8, "INT_TT_EXIT" },
} };

int32_t TextureId(const char* name)
{
    return g_pTextureManager ? g_pTextureManager->FindTexture(name) : -1;
}

int32_t SurfaceId(const char* name)
{
    return g_pSurfaceManager ? g_pSurfaceManager->FindSurface(name) : -1;
}

int32_t LineHeight()
{
    const int32_t h = g_pFont ? g_pFont->GetLineHeight() : 0;
    return h > 0 ? h : 16;
}

int32_t PanelHeight()
{
    int32_t width = 0;
    int32_t height = 0;
    if (g_pSurfaceManager)
        g_pSurfaceManager->GetSize(SurfaceId("SUF_INT_PANEL_L"), width, height);
    return height;
}

// The key's NAME, or the key when the table has none.
CXAnsiString Name(const char* key)
{
    CXAnsiString name;
    if (!g_pScriptManager || !g_pScriptManager->GetTextName(key, name))
        return CXAnsiString(key);
    return name;
}

// The NAME; one holding ">" after its first character shows what follows it.
CXAnsiString LinkCaption(const char* key)
{
    CXAnsiString name = Name(key);
    const char* text = name.Text();
    const char* cut = text[0] != 0 ? std::strchr(text + 1, '>') : nullptr;
    return cut ? CXAnsiString(cut + 1) : name;
}

} // namespace

ToolBarTable BuildingToolBar(int32_t kind, bool networkGame)
{
    ToolBarTable bar = kBuildingBar;
    switch (kind) {
    case -1:
    case 4:
        break;
    case 1:
    case 9:
        bar[4] = { 31, 0, 11, "INT_TT_ORG" };
        break;
    case 3:
        bar[4] = { 26, 0, 10, "INT_TT_PEREHOD" };
        bar[2] = bar[3] = kEmpty;
        break;
    case 6:
    case 10:
        bar[2] = bar[3] = kEmpty;
        break;
    case 11:
        bar[2] = bar[3] = bar[5] = kEmpty;
        break;
    default:
        bar[2] = kEmpty;
        break;
    }
    if (networkGame)
        bar[0] = kEmpty;
    return bar;
}

ToolBarTable BackToolBar()
{
    return { { kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, { kCmdBack, kEscape, 9, "INT_TT_BACK" } } };
}

SToolBarRect ToolBarButtonRect(int32_t slot, int32_t screenWidth, int32_t screenHeight, int32_t panelHeight)
{
    const float sx = float(screenWidth) / 1024.0f;
    const float sy = float(screenHeight) / float(panelHeight > 0 ? panelHeight : std::max(screenHeight, 1));
    const int32_t x0 = screenWidth * 45 / 800;
    const int32_t w0 = screenWidth * 110 / 800;
    const float y = float(screenHeight * 108 / 600) + float(slot) * 0.12533334f * float(screenHeight);
    const int32_t left = int32_t(float(x0) - 14.0f * sx);
    const int32_t top = int32_t(y - 24.0f * sy);
    return { left, top, left + int32_t(20.0f * sx + float(w0)), top + int32_t(56.0f * sy) };
}

CToolBarButton::CToolBarButton(
    const SToolBarRect& rect, const SToolBarSlot& slot, int32_t picture, int32_t plate)
    : CToolBarButton(rect, slot.command, slot.tip, int32_t(float(slot.icon) * kIconPitch), picture, plate)
{
    hotKey = uint8_t(slot.key);
    // A key already held when the bar is built (the Escape that skipped a tunnel ride) presses nothing.
    keyWasDown = hotKey != 0 && MenuHost().KeyDown(hotKey) ? 1 : 0;
}

CToolBarButton::CToolBarButton(
    const SToolBarRect& rect, uint32_t command, const char* tip, int32_t u0, int32_t picture, int32_t plate)
    : CTextButton(rect.left, rect.top, rect.right, rect.bottom, nullptr, picture, u0, kIconTop,
        u0 + kIconWidth, kIconTop + kIconHeight, 0, 0, command, 0)
    , plate(plate)
{
    if (tip)
        caption = Name(tip);
}

void CToolBarButton::Render()
{
    if (g_pSurfaceManager && plate >= 0) {
        int32_t width = 0;
        int32_t height = 0;
        g_pSurfaceManager->GetSize(plate, width, height);
        g_pSurfaceManager->UpdateTexture(plate, 6, left, top, right, bottom, 0, 0, width, height, false);
    }
    CTextButton::Render();
}

void CToolBarButton::Run()
{
    if (hoverFrames > 0)
        --hoverFrames;
    const bool down = hotKey != 0 && MenuHost().KeyDown(hotKey);
    if (down && !keyWasDown && command != 0)
        SendCommand(command);
    keyWasDown = down ? 1 : 0;
}

void CMainMenu::BuildToolBar(int32_t buildingKind)
{
    ammoFactor = 1.0f;
    switch (buildingKind) {
    case 1:
    case 9:
        repairFactor = 0.025f;
        break;
    case 4:
        ammoFactor = 0.25f;
        repairFactor = 0.0125f;
        break;
    default:
        break;
    }
    BuildToolBar(BuildingToolBar(buildingKind, MenuHost().State() == 3));
}

void CMainMenu::BuildToolBar(const ToolBarTable& slots)
{
    ZJ_TRACE("CMainMenu::BuildToolBar");
    for (CMenuControl*& control : toolBar) {
        if (control)
            RemoveControl(control, true);
        control = nullptr;
    }
    if (backButton)
        RemoveControl(backButton, true);
    const int32_t w = g_Graphic.ScreenWidth();
    const int32_t h = g_Graphic.ScreenHeight();
    const int32_t panelHeight = PanelHeight();
    const int32_t picture = SurfaceId("SUF_INT_BS");
    const int32_t plate = SurfaceId("SUF_INT_BUTTON");
    for (int32_t k = 0; k < kToolBarSlots; ++k) {
        const SToolBarRect rect = ToolBarButtonRect(k, w, h, panelHeight);
        if (slots[size_t(k)].command != 0)
            toolBar[k] = new CToolBarButton(rect, slots[size_t(k)], picture, plate);
        else
            toolBar[k] = new CPictureControl(rect.left, rect.top, rect.right, rect.bottom,
                TextureId("TEX_INT_ZAGLUSHKA"), TextureId("TEX_INT_BM_Z_BUMP"));
    }
    backButton = new CToolBarButton(ToolBarButtonRect(kBackButtonSlot, w, h, panelHeight), kCmdBack,
        "INT_TT_BACK", kBackIconLeft, picture, plate);
    static_cast<CToolBarButton*>(backButton)->x1 = kBackIconRight;
    for (CMenuControl* control : toolBar)
        AddControl(control);
    AddControl(backButton);
}

void CMainMenu::ProcessCommand(int id)
{
    ZJ_TRACE("CMainMenu::ProcessCommand");
    CMenuControl::PlaySound(id < int(kRightListBase) ? "SND_INT_BIG_BUTTON" : "SND_INT_LIST_ITEM");
    if (id >= int(kRightListBase) && id < int(kRightListBase) + 256) {
        SelectRightList(id - int(kRightListBase));
        return;
    }
    if (id >= int(kLeftListBase) && id < int(kLeftListBase) + 256) {
        SelectLeftList(id - int(kLeftListBase));
        return;
    }
    if (ProcessNameCommand(id))
        return;
    switch (id) {
    case kCmdLeftUp:
        if (leftScroll > 0)
            --leftScroll;
        UpdateButtonList(leftList, leftScroll, leftHeight);
        break;
    case kCmdLeftDown:
        ++leftScroll;
        UpdateButtonList(leftList, leftScroll, leftHeight);
        break;
    case kCmdRightUp:
        if (rightScroll > 0)
            --rightScroll;
        UpdateButtonList(rightList, rightScroll, rightHeight);
        break;
    case kCmdRightDown:
        ++rightScroll;
        UpdateButtonList(rightList, rightScroll, rightHeight);
        break;
    case kCmdExit:
        CloseMenu(kResultStay);
        break;
    default:
        break;
    }
}

void CMainMenu::AddRightLink(const char* block, const char* title)
{
    ZJ_TRACE("CMainMenu::AddRightLink");
    (void)title;
    if (!block)
        return;
    if (rightList.IsEmpty())
        ClearList(rightList);
    for (const CMenuListEntry* entry : rightList)
        if (std::strcmp(entry->key, block) == 0)
            return;
    const bool header = std::strcmp(block, kThemes) == 0;
    if (!header) {
        bool themes = false;
        for (const CMenuListEntry* entry : rightList)
            themes = themes || std::strcmp(entry->key, kThemes) == 0;
        if (!themes)
            AddRightLink(kThemes, nullptr);
    }
    SListEntry record {};
    record.id = kRightListBase + uint32_t(rightList.Count());
    record.kind = header ? kEntryOpenHeader : kEntryOrdinary;
    std::snprintf(record.key, sizeof record.key, "%s", block);
    std::snprintf(record.name, sizeof record.name, "%s", LinkCaption(block).Text());
    auto* entry = new CMenuListEntry(
        rightListLeft + rightListShift, 0, rightListRight + rightListShift, LineHeight(), record);
    entry->command = record.id;
    rightList.Add(entry);
    AddControl(entry);
    UpdateButtonList(rightList, rightScroll, rightHeight);
}
