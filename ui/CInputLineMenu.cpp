#include "ui/CInputLineMenu.h"

#include "foundation/CallTrace.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "ui/CTextButton.h"

namespace {

constexpr uint8_t kEscapeKey = 1;
constexpr uint8_t kEnterKey = 28;
constexpr uint8_t kDeleteKey = 211;

} // namespace

CInputLineMenu::CInputLineMenu() = default;

bool CInputLineMenu::Init()
{
    ZJ_TRACE("CInputLineMenu::Init");
    CMenu1::Init();
    const int32_t panel = PanelPicture();
    int32_t width = 0;
    int32_t height = 0;
    if (g_pSurfaceManager && panel >= 0)
        g_pSurfaceManager->GetSize(panel, width, height);
    const int32_t screenWidth = g_Graphic.ScreenWidth();
    const int32_t screenHeight = g_Graphic.ScreenHeight();
    panelLeft = (screenWidth - width) / 2;
    panelRight = panelLeft + width;
    panelBottom = centred ? (screenHeight + height) / 2 : screenHeight;
    panelTop = panelBottom - height;

    const int32_t button = g_pSurfaceManager ? g_pSurfaceManager->FindSurface("SUF_MAINMENU_BUTTON") : -1;
    AddControl(new CTextButton(panelRight - 140, panelBottom - 70, panelRight - 28, panelBottom - 22,
        "INT_CANCEL", button, 0, 0, 112, 48, 56, 20, kCancel, kEscapeKey));
    AddControl(new CTextButton(panelLeft + 140, panelBottom - 70, panelLeft + 28, panelBottom - 22, "INT_OK",
        button, 0, 0, -112, 48, 56, 20, kOk, kEnterKey));
    if (OffersDelete()) {
        const int32_t small = g_pSurfaceManager ? g_pSurfaceManager->FindSurface("SUF_MAINMENU_BUTTON2") : -1;
        AddControl(new CTextButton(panelLeft + 160, panelBottom - 144, panelLeft + 260, panelBottom - 108,
            "INT_DELETE", small, 0, 0, 100, 36, 50, 18, kDelete, kDeleteKey));
    }
    return true;
}
