// Stand-in until the mark-up list control lands.
#include "ui/CHtmlControl.h"

#include "ui/CMHTLWindow.h"

CHtmlControl::CHtmlControl(CMHTLWindow* window, int32_t left, int32_t top, int32_t right, int32_t bottom)
    : window(window)
{
    this->left = left;
    this->top = top;
    this->right = right;
    this->bottom = bottom;
}

void CHtmlControl::Render()
{
    if (window)
        window->Render();
}

void CHtmlControl::ProcessMouse(int32_t x, int32_t y, bool clicked)
{
    if (!window)
        return;
    window->MouseMove(x, y);
    if (!clicked || x < left || x >= right || y < top || y >= bottom)
        return;
    CXAnsiString target;
    if (window->MouseClick(x, y, target) == 1) {
        lastTarget = target;
        if (owner)
            owner->ProcessCommand(kLinkCommand);
    }
}

void CHtmlControl::ScrollLines(int32_t lines)
{
    if (window)
        window->Scroll(lines * window->GetFontHeight(0));
}
