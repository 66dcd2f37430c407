// Stand-in until the mark-up list control lands (the menus issue replaces it): a control that
// hosts a mark-up window (not owned), draws it, lights links under the cursor and reports a link
// pressed with the left button to its owner as command 99, keeping the link's target.
#pragma once

#include "foundation/CXAnsiString.h"
#include "ui/CMenuControl.h"

class CMHTLWindow;

class CHtmlControl : public CMenuControl {
public:
    static constexpr int kLinkCommand = 99;

    CHtmlControl(CMHTLWindow* window, int32_t left, int32_t top, int32_t right, int32_t bottom);

    void Render() override;
    void OnHover() override;
    void OnPress() override;
    // Scrolls by whole lines, positive toward the newer text.
    void ScrollLines(int32_t lines);

    CMHTLWindow* window;
    CXAnsiString lastTarget; // the target of the last clicked link
};
