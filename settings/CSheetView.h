// The sheet drawn through the dialog layer: the five tabs with their pages' controls, the
// Defaults, Start, OK and Cancel buttons, and the capture dialog of the controls page.
#pragma once

#include "platform/dialog/dialog.h"
#include "settings/CPrPg_SheetDlg.h"
#include "settings/Resources.h"

class CSheetView {
public:
    static constexpr int kSheetId = 0x3020;
    static constexpr int kTitlePictureId = IDB_TITLE;
    static constexpr int kPageIds[CPrPg_SheetDlg::kPageCount] = { 104, 105, 108, 106, 107 };

    CSheetView(plat::dialog::Dialog& dialog, CPrPg_SheetDlg& sheet);

    // One frame of the sheet.
    void Draw(plat::dialog::Frame& frame);
    // The controls of one page (0..4), first showing it.
    void DrawPage(plat::dialog::Frame& frame, int index);
    // Runs the sheet until OK, Start, Cancel or a close; kIdOk or kIdCancel.
    int Run();

private:
    void DrawTitle(plat::dialog::Frame& frame);
    void DrawGraphic(plat::dialog::Frame& frame);
    void DrawInput(plat::dialog::Frame& frame);
    void DrawSound(plat::dialog::Frame& frame);
    void DrawNet(plat::dialog::Frame& frame);
    void DrawButtons(plat::dialog::Frame& frame);
    // The capture dialog for a row; a captured name is assigned to it.
    void Capture(int id);

    plat::dialog::Dialog& m_dialog;
    CPrPg_SheetDlg& m_sheet;
    SPicture m_title;
};
