#include "settings/CPrPg_SheetDlg.h"

#include "foundation/CallTrace.h"
#include "settings/Resources.h"
#include "settings/SettingsPaths.h"

CPrPg_SheetDlg::CPrPg_SheetDlg(bool startMode, SPageHost host)
    : m_host(std::move(host))
    , m_startMode(startMode)
    , m_path(ConfigPath())
{
    ZJ_TRACE("CPrPg_SheetDlg::CPrPg_SheetDlg");
    for (int i = 1; i < kPageCount; ++i)
        Page(i).Load(m_path);
    SetActivePage(0);
}

CPrPg_Page& CPrPg_SheetDlg::Page(int index)
{
    CPrPg_Page* pages[kPageCount] = { &m_title, &m_graphic, &m_input, &m_sound, &m_net };
    return *pages[index];
}

void CPrPg_SheetDlg::SetActivePage(int index)
{
    if (index < 0 || index >= kPageCount)
        return;
    m_active = index;
    Page(index).Activate(m_host);
}

void CPrPg_SheetDlg::OnDefaults()
{
    Page(m_active).Defaults();
}

void CPrPg_SheetDlg::OnOK()
{
    ZJ_TRACE("CPrPg_SheetDlg::OnOK");
    bool ok = true;
    for (int i = 0; i < kPageCount; ++i)
        ok = Page(i).Save(m_path) && ok;
    if (!ok)
        m_host.messageBox(std::string(CP1251("Не удалось записать настройки в файл ")) + m_path,
            LoadResString(IDS_SHEET_TITLE));
}

void CPrPg_SheetDlg::OnStart()
{
    m_start = true;
    OnOK();
}
