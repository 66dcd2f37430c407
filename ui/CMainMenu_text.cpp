// The text panel of the in-base menus: titled text blocks, the menu script events of the building
// and the link words clicked in the panel.
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/NameKey32.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/MenuLinks.h"
#include "ui/TextFormat.h"
#include "world/db/CZJEngine.h"
#include "world/terrain/CEnvironment.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kNetworkState = 3;
constexpr int kScriptPasses = 3;
constexpr int32_t kScrollToEnd = 2000;
constexpr int32_t kScrollToTop = -10000;
constexpr size_t kMaxEntryPoint = sizeof(NameKey32) - 1;

CXAnsiString Text(const char* key)
{
    CXAnsiString text;
    if (g_pScriptManager)
        g_pScriptManager->GetText(key, text);
    return text;
}

// Shows the message of an output entry that tells what the script gave, took or changed.
void ShowOutputMessage(CMainMenu& menu, const SScriptOutput& entry)
{
    CZJScriptManager& scripts = *g_pScriptManager;
    const char* key = nullptr;
    switch (entry.kind) {
    case SScriptOutput::Journal:
        key = "INT_JOURNAL_UPDATED";
        break;
    case SScriptOutput::ObjectGiven:
        key = entry.value == 1 ? "INT_PLAYER_GOT_OBJECT" : "INT_PLAYER_GOT_OBJECT_MULTY";
        break;
    case SScriptOutput::ObjectTaken:
        key = entry.value == 1 ? "INT_PLAYER_GAVE_OBJECT" : "INT_PLAYER_GAVE_OBJECT_MULTY";
        break;
    case SScriptOutput::Money:
        key = entry.value >= 0 ? "INT_PLAYER_ADD_BALANCE" : "INT_PLAYER_SUB_BALANCE";
        break;
    default:
        key = entry.value >= 0 ? "INT_PLAYER_ADD_RATING" : "INT_PLAYER_SUB_RATING";
        break;
    }
    CXAnsiString text;
    if (!scripts.GetText(key, text))
        return;
    if (entry.kind == SScriptOutput::ObjectGiven || entry.kind == SScriptOutput::ObjectTaken) {
        CXAnsiString name;
        scripts.GetTextName(entry.name, name);
        text.Replace("%OBJECTID", entry.name);
        text.Replace("%OBJECTNAME", name.Text());
        text.Replace("%OBJECTCOUNT", std::to_string(entry.value).c_str());
    } else if (entry.kind != SScriptOutput::Journal) {
        text.Replace("%COUNT", std::to_string(std::abs(entry.value)).c_str());
    }
    menu.ShowHTMLText(CXAnsiString(), text, nullptr, 0, 1);
}

void ShowOutputs(CMainMenu& menu, uint8_t fireGet)
{
    CZJScriptManager& scripts = *g_pScriptManager;
    for (int i = 0; i < scripts.outputCount; ++i) {
        const SScriptOutput& entry = scripts.Output(i);
        switch (entry.kind) {
        case SScriptOutput::Journal:
        case SScriptOutput::ObjectGiven:
        case SScriptOutput::ObjectTaken:
        case SScriptOutput::Money:
        case SScriptOutput::Rating:
            ShowOutputMessage(menu, entry);
            break;
        default:
            if (fireGet)
                scripts.AddEvent(entry.name, ".GET");
            menu.ShowHTMLText(entry.displayName, entry.text, entry.name, 0, 1);
            break;
        }
    }
}

// "LINKJUMPTO <location> <entry point>": the location is a file name, or a single digit n for
// "location<n>.zjp"; the entry point is the building the player arrives in.
void JumpTo(CMainMenu& menu, const std::string& word)
{
    if (word.size() <= kLinkJumpTo.size() + 1) {
        WriteErrorLog("CMainMenu::RunControls LINKJUMPTO without a target");
        return;
    }
    const std::string argument = word.substr(kLinkJumpTo.size() + 1);
    const size_t blank = argument.rfind(' ');
    std::string location = blank == std::string::npos ? argument : argument.substr(0, blank);
    const std::string entry = blank == std::string::npos ? std::string() : argument.substr(blank + 1);
    if (location.size() == 1 && location[0] >= '0' && location[0] <= '9')
        location = "location" + location + ".zjp";
    if (location.empty() || location.size() >= sizeof ZJEngine.destinationFile
        || entry.size() > kMaxEntryPoint) {
        WriteErrorLog("CMainMenu::RunControls jump target too long or empty: " + argument);
        return;
    }
    menu.CloseMenu(CMainMenu::kResultLinkJump);
    std::memset(ZJEngine.destinationFile, 0, sizeof ZJEngine.destinationFile);
    std::memcpy(ZJEngine.destinationFile, location.data(), location.size());
    ZJEngine.pendingAction.actionBuilding = MakeNameKey32(entry.c_str());
    WriteErrorLog("JUMP to '" + location + "'");
}

// "LINKQUEST": asks whether to take the quests offered here, or tells there are none; once.
void OfferQuests(CMainMenu& menu)
{
    CHtmlControl& panel = *menu.textPanel;
    if (MenuHost().State() != kNetworkState)
        panel.window->DelBlock("S_TASK", false);
    if (!menu.RunScript(CMainMenu::kScriptQuests, nullptr, 0))
        return;
    const bool offered = g_pScriptManager->outputCount > 0;
    const char* block = offered ? kLinkAcceptQuest.data() : "LINK_NOTASK";
    if (panel.window->SetBlock(block, true))
        return;
    menu.ShowHTMLText(CXAnsiString(), Text(offered ? "INT_ACCEPTTASK_QUESTION" : "INT_NO_TASK"), block, 0, 1);
}

// "LINKACCEPTQUEST": takes the first quest offered here and tells the time it leaves.
void AcceptQuest(CMainMenu& menu)
{
    CZJScriptManager& scripts = *g_pScriptManager;
    menu.textPanel->window->DelBlock(kLinkAcceptQuest.data(), false);
    if (!scripts.ZJRunScript(menu.buildingKey, CMainMenu::kScriptQuests, nullptr) || scripts.outputCount <= 0)
        return;
    const std::string quest = scripts.Output(0).name;
    scripts.AddQuest(quest.c_str());
    menu.RunScript(CMainMenu::kScriptQuests, quest.c_str(), 1);
    menu.ShowHTMLText(CXAnsiString(), Text("INT_PLAYER_GOT_TASK"), nullptr, 0, 1);
    const float now = GameTimeDays();
    for (const SScriptQuest& q : scripts.Quests()) {
        if (quest != q.name)
            continue;
        if (q.time <= now)
            return;
        const int32_t minutes = QuestMinutesLeft(q.time, now, true);
        CXAnsiString format;
        scripts.GetTextName("INT_TIMELEFT", format);
        const std::string line = FormatText("INT_TIMELEFT", format.Text(), { minutes / 60, minutes % 60 });
        menu.ShowHTMLText(CXAnsiString(), CXAnsiString(" "), nullptr, 0, 1);
        menu.ShowHTMLText(CXAnsiString(), CXAnsiString(line.c_str()), nullptr, 0, 1);
        return;
    }
}

} // namespace

void CMainMenu::SubstituteNames(CXAnsiString& text)
{
    if (g_pScriptManager)
        g_pScriptManager->UpdateXStringWithNames(text);
    text.Replace("%BUILDINGNAME", buildingTitle.Text());
}

uint32_t CMainMenu::ShowHTMLText(
    const CXAnsiString& title, const CXAnsiString& body, const char* block, uint8_t spare, uint8_t addLink)
{
    ZJ_TRACE("CMainMenu::ShowHTMLText");
    (void)spare;
    if (!textPanel || !textPanel->window)
        return 0;
    CZJHtmlWindow& window = *textPanel->window;
    const bool bodyFirst = window.topDown == 0;
    CXAnsiString text = body;
    CXAnsiString head = title;
    SubstituteNames(text);
    SubstituteNames(head);
    if (block && window.SetBlock(block, false))
        return 1;
    const char* name = block ? block : "SYSTEM";
    if (bodyFirst)
        window.AddText(text, name, true);
    if (head.Length() > 0) {
        const std::string shown = std::string("<icon:MINUS>") + head.Text();
        if (block && !bodyFirst) {
            window.AddText(CXAnsiString("<p>"), "EMPTY", true);
            if (addLink)
                AddRightLink(block, shown.c_str());
        }
        window.AddText(CXAnsiString(("<color:0xD1D153>" + shown + "<color>").c_str()), name, true);
        if (block && bodyFirst)
            window.AddText(CXAnsiString("<p>"), "EMPTY", true);
    }
    if (!bodyFirst)
        window.AddText(text, name, true);
    const int32_t scrolled = window.IsScroll(kScrollToEnd);
    window.Scroll(kScrollToEnd);
    return uint32_t(scrolled);
}

bool CMainMenu::RunScript(uint32_t mode, const char* event, uint8_t fireGet)
{
    ZJ_TRACE("CMainMenu::RunScript");
    if (!g_pScriptManager)
        return false;
    CZJScriptManager& scripts = *g_pScriptManager;
    bool again = false;
    for (int pass = 0; pass < kScriptPasses; ++pass) {
        if (mode != kScriptPending) {
            if (!scripts.ZJRunScript(buildingKey, int32_t(mode), pass == 0 ? event : nullptr))
                return false;
            again = scripts.restart != 0;
            if (again && textPanel && textPanel->window)
                textPanel->window->Clear();
        }
        ShowOutputs(*this, fireGet);
        if (!again)
            return true;
        if (textPanel && textPanel->window)
            textPanel->window->Scroll(kScrollToTop);
    }
    WriteErrorLog("CMainMenu::RunScript script loop fail");
    return true;
}

void CMainMenu::RunControl()
{
    ZJ_TRACE("CMainMenu::RunControls");
    CBaseMenu::RunControl();
    if (!textPanel || !textPanel->linkClicked)
        return;
    textPanel->linkClicked = 0;
    const std::string word = textPanel->linkTarget;
    if (!g_pScriptManager || !textPanel->window)
        return;
    CXAnsiString name;
    if (g_pScriptManager->GetTextName(word.c_str(), name)) {
        ShowHTMLText(name, Text(word.c_str()), word.c_str(), 0, 1);
        return;
    }
    const int32_t command = LinkWordCommand(word);
    if (command >= 0)
        ProcessCommand(command);
    if (word.compare(0, kLinkJumpTo.size(), kLinkJumpTo) == 0) {
        JumpTo(*this, word);
        return;
    }
    if (word == kLinkQuest) {
        OfferQuests(*this);
        return;
    }
    if (word == kLinkAcceptQuest) {
        AcceptQuest(*this);
        return;
    }
    if (!RunScript(kScriptEvent, word.c_str(), 1))
        WriteErrorLog("HTML return unknown idetificator: " + word);
}
