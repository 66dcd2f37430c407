// RunNetGame: the network game search of the start menu. Its progress goes line by line into a
// status window; every wait renders the menu, pumps the window and drains the network client.
#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "net/CZJDPClient.h"
#include "net/NetSession.h"
#include "platform/win/clock.h"
#include "platform/win/process.h"
#include "render/Graphic.h"
#include "script/CZJScriptManager.h"
#include "ui/CGameListMenu.h"
#include "ui/CHtmlControl.h"
#include "ui/CMenuHost.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/CZJStartMenu.h"
#include "ui/TextFormat.h"

#include <cstring>

namespace {

constexpr double kLeastSearch = 1.0;
constexpr double kLongestSearch = 15.0;
constexpr double kQuickSearch = 5.0;
constexpr double kSlowPass = 0.025;
constexpr double kServerStart = 3.0;
constexpr double kListPause = 1.0;
constexpr double kSuccessPause = 1.0;
constexpr double kFailPause = 1.0;
constexpr uint32_t kPassSleepMs = 1;
constexpr const char* kServerCommand = "ZJServ.exe";

double Seconds()
{
    return double(plat::win::CounterNow()) / double(plat::win::kCounterFrequency);
}

std::string TableText(const char* key)
{
    CXAnsiString text;
    if (g_pScriptManager && g_pScriptManager->GetText(key, text))
        return std::string(text.Text(), text.Length());
    return key;
}

} // namespace

bool CZJStartMenu::WaitRendering(double seconds)
{
    const double end = Seconds() + seconds;
    do {
        Render();
        MenuHost().ProcessMessages();
        NetClient.ProcessMessages();
        if (MenuHost().QuitRequested())
            return false;
        plat::win::Sleep(kPassSleepMs);
    } while (Seconds() < end);
    return true;
}

void CZJStartMenu::ShowStatus(const char* key, const std::string& text)
{
    if (m_status && m_status->window)
        m_status->window->AddText(CXAnsiString(text.c_str()), key, true);
    Render();
}

void CZJStartMenu::ShowStatus(const char* key)
{
    ShowStatus(key, TableText(key));
}

void CZJStartMenu::RemoveStatus()
{
    if (m_status)
        RemoveControl(m_status, true);
    m_status = nullptr;
}

bool CZJStartMenu::FailNetGame()
{
    ShowStatus("INT_NET_SERVER_NOT_FOUND");
    WaitRendering(kFailPause);
    RemoveStatus();
    return false;
}

bool CZJStartMenu::SearchHosts()
{
    if (!NetClient.EnumHosts(kZJApplicationGuid))
        return false;
    const double start = Seconds();
    for (;;) {
        const double waited = Seconds() - start;
        if ((waited >= kLeastSearch && NetClient.GetHostCount() > 0) || waited >= kLongestSearch)
            break;
        if (!WaitRendering(waited >= kQuickSearch ? kSlowPass : 0.0))
            break;
    }
    NetClient.CancelEnumHosts();
    return NetClient.GetHostCount() > 0;
}

bool CZJStartMenu::RunNetGame()
{
    ZJ_TRACE("CZJStartMenu::RunNetGame");
    const int32_t width = g_Graphic.ScreenWidth();
    const int32_t height = g_Graphic.ScreenHeight();
    m_status = new CHtmlControl(width / 4, 10, width * 3 / 4, height / 3 + 10);
    m_status->noCommands = 1;
    AddControl(m_status);
    ShowStatus("INT_NET_SEARCHING");
    if (!NetClient.Init())
        return FailNetGame();

    bool serverStarted = false;
    for (;;) {
        if (SearchHosts())
            break;
        if (MenuHost().QuitRequested() || serverStarted || NetClient.runServer != 1)
            return FailNetGame();
        ShowStatus("INT_NET_SERVER_NOT_FOUND");
        serverStarted = true;
        if (!plat::win::StartProcess(kServerCommand, BaseDirectory()).Valid())
            return FailNetGame();
        ShowStatus("INT_NET_SERVER_EXECUTED");
        if (!WaitRendering(kServerStart))
            return FailNetGame();
    }

    ShowStatus("INT_NET_SERVER_FOUND");
    if (!NetClient.Connect(0, kZJClientName))
        return FailNetGame();
    ShowStatus("INT_NET_GET_GAMELIST");
    if (!WaitRendering(kListPause) || !NetClient.GetGameList())
        return FailNetGame();
    ShowStatus("INT_NET_FOUND_GAMES",
        FormatText(
            "INT_NET_FOUND_GAMES", TableText("INT_NET_FOUND_GAMES"), { int64_t(NetClient.games.Count()) }));

    std::string location;
    if (NetClient.games.Count() == 0) {
        CGameListMenu chooser;
        if (MenuHost().RunModalMenu(&chooser) != CGameListMenu::kChosen) {
            RemoveStatus();
            return false;
        }
        ShowStatus("INT_NET_NEW_GAME");
        location = chooser.chosenName;
        char name[32] = {};
        std::strncpy(name, location.c_str(), sizeof name - 1);
        if (location.size() >= sizeof name || !NetClient.CreateGame(name))
            return FailNetGame();
    } else {
        ShowStatus("INT_NET_JOINING");
        const SGameParam& game = NetClient.games.At(0);
        if (!NetClient.Join(game.id))
            return FailNetGame();
        location.assign(game.name, strnlen(game.name, sizeof game.name));
    }
    MenuHost().SetNetLocation(location.c_str());
    WaitRendering(kSuccessPause);
    RemoveStatus();
    return true;
}
