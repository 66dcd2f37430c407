// The property sheet: the five pages in order, the Defaults button and, when started without a
// command line, the Start button. OK saves every page that was shown; Cancel saves nothing.
#pragma once

#include "settings/CPrPg_Graphic.h"
#include "settings/CPrPg_Input.h"
#include "settings/CPrPg_Net.h"
#include "settings/CPrPg_Sound.h"
#include "settings/CPrPg_Title.h"

#include <string>

class CPrPg_SheetDlg {
public:
    static constexpr int kPageCount = 5;
    static constexpr int IDC_DEFAULTS = 1021;
    static constexpr int IDC_START = 1077;

    // Loads the pages from the current directory's cfg.ini and shows the title page.
    CPrPg_SheetDlg(bool startMode, SPageHost host);

    CPrPg_Page& Page(int index);
    CPrPg_Title& Title() { return m_title; }
    CPrPg_Graphic& Graphic() { return m_graphic; }
    CPrPg_Input& Input() { return m_input; }
    CPrPg_Sound& Sound() { return m_sound; }
    CPrPg_Net& Net() { return m_net; }

    int ActivePage() const { return m_active; }
    // Shows a page; its first showing fills its controls.
    void SetActivePage(int index);

    // The Defaults button: the active page's defaults.
    void OnDefaults();
    // OK: every page saves; a failed write shows one box naming the file.
    void OnOK();
    // The Start button: OK with the start flag set.
    void OnStart();

    bool ShowsStart() const { return m_startMode; }
    bool StartPressed() const { return m_start; }
    const std::string& Path() const { return m_path; }
    const SPageHost& Host() const { return m_host; }

private:
    SPageHost m_host;
    bool m_startMode;
    bool m_start = false;
    std::string m_path;
    int m_active = 0;
    CPrPg_Title m_title;
    CPrPg_Graphic m_graphic;
    CPrPg_Input m_input;
    CPrPg_Sound m_sound;
    CPrPg_Net m_net;
};
