// Stand-in until the mark-up list control lands.
#include "ui/CHtmlControl.h"

#include "ui/CMHTLWindow.h"
#include "ui/CMenuHost.h"

CHtmlControl::CHtmlControl(CMHTLWindow* window, int32_t left, int32_t top, int32_t right, int32_t bottom)
    : CMenuControl(left, top, right, bottom)
    , window(window)
{
}

void CHtmlControl::Render()
{
    if (window)
        window->Render();
}

void CHtmlControl::OnHover()
{
    if (!window)
        return;
    const plat::window::Point mouse = MenuHost().MousePosition();
    window->MouseMove(mouse.x, mouse.y);
}

void CHtmlControl::OnPress()
{
    if (!window)
        return;
    const plat::window::Point mouse = MenuHost().MousePosition();
    CXAnsiString target;
    if (window->MouseClick(mouse.x, mouse.y, target) == 1) {
        lastTarget = target;
        SendCommand(kLinkCommand);
    }
}

void CHtmlControl::ScrollLines(int32_t lines)
{
    if (window)
        window->Scroll(lines * window->GetFontHeight(0));
}
