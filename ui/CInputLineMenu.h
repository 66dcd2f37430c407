// CInputLineMenu: the panel of the start-screen family with the OK (256, Enter), Cancel (1,
// Escape) and, for the save lists, Delete (261, Delete) buttons, centred horizontally and, when
// the menu is centred, vertically (else on the screen's bottom). The base of the list windows.
#pragma once

#include "foundation/CXAnsiString.h"
#include "ui/CMenu1.h"

#include <cstdint>

class CInputLineMenu : public CMenu1 {
public:
    static constexpr uint32_t kCancel = 1;
    static constexpr uint32_t kChosen = 6;
    static constexpr uint32_t kOk = 256;
    static constexpr uint32_t kDelete = 261;

    CInputLineMenu();

    // Lays out the panel and the buttons.
    bool Init() override;

    CXAnsiString windowCaption;

protected:
    // Whether the panel gets the Delete button.
    virtual bool OffersDelete() const { return false; }
    // The panel picture that places the panel.
    virtual int32_t PanelPicture() const { return surfaces[kBack]; }
};
