// Stand-in until the radar and tool-bar issue lands (it replaces this file): the in-base menus'
// layout, background, tool bar and base command dispatch, the fit test of the vehicle and the
// journal entry page, each in its least form.
#include "foundation/CallTrace.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuListEntry.h"

#include <algorithm>

namespace {

constexpr int kBackgroundSlot = 6;
constexpr uint32_t kTitleTextColour = 0xFF000000 | CMainMenu::kTitleColour;

// The building's display name, centred in the rectangle, as the menu holds it now.
class CTitleControl : public CMenuControl {
public:
    CTitleControl(int32_t left, int32_t top, int32_t right, int32_t bottom, const CXAnsiString& title)
        : CMenuControl(left, top, right, bottom)
        , m_title(title)
    {
    }
    void Render() override
    {
        if (!g_pFont)
            return;
        const int32_t x = (left + right - g_pFont->GetTextWidth(m_title.Text())) / 2;
        const int32_t y = (top + bottom - g_pFont->GetLineHeight()) / 2;
        g_pFont->PrintText(x, y, m_title.Text(), kTitleTextColour);
    }

private:
    const CXAnsiString& m_title;
};

} // namespace

// Stand-in: the text panel in the middle, the title above it and the two list columns; posts 6
// and 43.
bool CMainMenu::Init()
{
    ZJ_TRACE("CMainMenu::Init");
    CBaseMenu::Init();
    const int32_t w = g_Graphic.ScreenWidth();
    const int32_t h = g_Graphic.ScreenHeight();
    leftListLeft = w * 20 / 800;
    leftListRight = w * 210 / 800;
    rightListLeft = w * 590 / 800;
    rightListRight = w * 780 / 800;
    leftStripWidth = w * 220 / 800;
    rightStripWidth = w * 220 / 800;
    textPanel = new CHtmlControl(w * 230 / 800, h * 104 / 600, w * 570 / 800, h * 500 / 600);
    AddControl(textPanel);
    titleControl = new CTitleControl(w * 230 / 800, h * 60 / 600, w * 570 / 800, h * 90 / 600, buildingTitle);
    AddControl(titleControl);
    PostMessage(kMsgRightPanel);
    PostMessage(kMsgIntro);
    return true;
}

// Stand-in: the base resources and the preview lights.
void CMainMenu::PreProcess()
{
    CBaseMenu::PreProcess();
    SetupPreviewLights();
}

// Stand-in: the background picture over the whole screen, then the preview.
void CMainMenu::RenderBackGround()
{
    ZJ_TRACE("CMainMenu::RenderBackGround");
    if (g_pSurfaceManager) {
        const int picture = g_pSurfaceManager->FindSurface(background.Text());
        if (picture >= 0) {
            int32_t pw = 0;
            int32_t ph = 0;
            g_pSurfaceManager->GetSize(picture, pw, ph);
            g_pSurfaceManager->UpdateTexture(picture, kBackgroundSlot, 0, 0, g_Graphic.ScreenWidth(),
                g_Graphic.ScreenHeight(), 0, 0, pw, ph, false);
        }
    }
    DrawPreview();
}

// Stand-in: the click, the list selections and scrolls, the player's name and the exit.
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
    case kCmdLeftDown:
        leftScroll = std::max(leftScroll + (id == int(kCmdLeftUp) ? -1 : 1), 0);
        UpdateButtonList(leftList, leftScroll, leftHeight);
        break;
    case kCmdRightUp:
    case kCmdRightDown:
        rightScroll = std::max(rightScroll + (id == int(kCmdRightUp) ? -1 : 1), 0);
        UpdateButtonList(rightList, rightScroll, rightHeight);
        break;
    case kCmdExit:
        CloseMenu(kResultStay);
        break;
    default:
        break;
    }
}

// Stand-in: the right panel gets no theme links.
void CMainMenu::AddRightLink(const char* block, const char* title)
{
    (void)block;
    (void)title;
}

// Stand-in: the price factors of the building's kind; no buttons.
void CMainMenu::BuildToolBar(int32_t buildingKind)
{
    ammoFactor = 1.0f;
    switch (buildingKind) {
    case 1:
    case 9:
        ammoFactor = 1.0f;
        repairFactor = 0.025f;
        break;
    case 4:
        ammoFactor = 0.25f;
        repairFactor = 0.0125f;
        break;
    default:
        break;
    }
}

// Stand-in: every vehicle fits.
bool CMainMenu::EquipmentFitsBody()
{
    return true;
}

// Stand-in: the journal entry's text only.
void CMainMenu::ShowJournalEntry(int32_t index)
{
    if (index < 0 || index >= rightList.Count() || !g_pScriptManager)
        return;
    const CMenuListEntry& entry = *rightList.At(index);
    CXAnsiString title;
    CXAnsiString body;
    g_pScriptManager->GetTextName(entry.key, title);
    g_pScriptManager->GetText(entry.key, body);
    ShowHTMLText(title, body, entry.key, 0, 1);
}
