// The player's name, asked for in the text panel's input line (commands 97 and 98).
#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "net/CZJDPClient.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kNetworkState = 3;

} // namespace

void CMainMenu::AskPlayerName()
{
    if (!textPanel)
        return;
    CXAnsiString prompt;
    if (g_pScriptManager)
        g_pScriptManager->GetText("INT_INPUT_NAME", prompt);
    textPanel->StartInput(nullptr, prompt.Text(), "");
}

void CMainMenu::OnInputLine(const CXAnsiString& line)
{
    ZJ_TRACE("CMainMenu::OnInputLine");
    if (line.Length() < 2) {
        AskPlayerName();
        return;
    }
    const std::string name(line.Text(), std::min<size_t>(line.Length(), kMaxNameLength));
    if (g_pScriptManager)
        g_pScriptManager->playerName = name.c_str();
    if (PlayerFerrovant) {
        std::memset(PlayerFerrovant->name, 0, sizeof PlayerFerrovant->name);
        std::memcpy(PlayerFerrovant->name, name.data(), name.size());
    }
    RunScript(kScriptEvent, "ONCONSOLECOMMAND", 1);
    if (MenuHost().State() == kNetworkState) {
        SPlayerInfo info {};
        info.id = NetClient.playerId;
        if (g_pScriptManager)
            info.kills = g_pScriptManager->statistics.killed;
        if (PlayerFerrovant)
            std::memcpy(&info.rating, &PlayerFerrovant->rating, sizeof info.rating);
        std::memcpy(info.name, name.data(), name.size());
        NetClient.SendPlayerInfo(info);
    }
}

bool CMainMenu::ProcessNameCommand(int id)
{
    if (id == int(kCmdAskName)) {
        AskPlayerName();
        return true;
    }
    if (id == int(kCmdInputLine) && textPanel) {
        OnInputLine(textPanel->resultText);
        return true;
    }
    return false;
}
