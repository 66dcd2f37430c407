#include "settings/CTunvardApp.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/dialog/dialog.h"
#include "platform/gfx/adapter.h"
#include "platform/win/process.h"
#include "settings/CSheetView.h"
#include "settings/Resources.h"

#include <cstdio>

namespace {
constexpr int kIconSize = 32;
}

CTunvardApp::CTunvardApp(Starter starter)
    : m_starter(std::move(starter))
{
}

bool CTunvardApp::StartProgram(std::string_view commandLine)
{
    return plat::win::StartProcess(commandLine, "").Valid();
}

int CTunvardApp::InitInstance(bool startMode)
{
    ZJ_TRACE("CTunvardApp::InitInstance");
    plat::dialog::DialogDesc desc;
    desc.title = LoadResString(IDS_SHEET_TITLE);
    desc.width = kWidth;
    desc.height = kHeight;
    std::string why;
    std::unique_ptr<plat::dialog::Dialog> dialog = plat::dialog::Dialog::Create(desc, &why);
    if (!dialog) {
        const std::string line = "Tunvard: cannot open the settings window: " + why;
        WriteErrorLog(line);
        std::fprintf(stderr, "%s\n", line.c_str());
        return kNoWindow;
    }
    RunSheet(*dialog, startMode);
    return kDone;
}

void CTunvardApp::RunSheet(plat::dialog::Dialog& dialog, bool startMode)
{
    ZJ_TRACE("CTunvardApp::RunSheet");
    const SPicture icon = DrawIcon(kIconSize);
    dialog.Window().SetIcon(icon.pixels.data(), icon.width, icon.height);

    SPageHost host;
    host.messageBox
        = [&](const std::string& text, const std::string& caption) { dialog.MessageBox(text, caption); };
    host.createAdapter = [] { return plat::gfx::CreateAdapter(); };
    CPrPg_SheetDlg sheet(startMode, host);
    CSheetView view(dialog, sheet);
    view.Run();
    if (sheet.StartPressed() && !m_starter(kGameProgram)) {
        const std::string line = std::string("Tunvard: cannot start ") + kGameProgram;
        WriteErrorLog(line);
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}
