#include "ui/CBuildingMenu.h"

#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRandom.h"
#include "render/CFont.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CRTMenu.h"
#include "ui/CTextMessageControl.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/TextFormat.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kNetworkState = 3;
constexpr int kNoAutosaveKind = 6;
constexpr uint32_t kSaveChosen = 6; // the save list's result when a save was named

void CopyKey(char (&to)[32], const char* from)
{
    std::snprintf(to, sizeof to, "%s", from ? from : "");
}

} // namespace

CBuildingMenu::CBuildingMenu(const char* building, const char* typeName, bool intro, bool autosave)
    : startIntro(intro ? 1 : 0)
    , startAutosave(autosave ? 1 : 0)
{
    CopyKey(buildingKey, building);
    CopyKey(typeKey, typeName);
    buildingType = g_BuildingManager.FindRow(typeKey);
}

int32_t CBuildingMenu::BuildingKind() const
{
    if (buildingType < 0 || buildingType >= g_BuildingManager.RowCount())
        return -1;
    return g_BuildingManager.GetDesc(buildingType).kind;
}

bool CBuildingMenu::AutosaveWanted(int32_t kind, bool networkGame)
{
    return kind != kNoAutosaveKind && !networkGame;
}

bool CBuildingMenu::Init()
{
    ZJ_TRACE("CBuildingMenu::Init");
    const int32_t kind = BuildingKind();
    const bool network = MenuHost().State() == kNetworkState;
    background = kind == 1 ? "SUF_FON_BASE" : "SUF_FON_PLANT";

    char titleKey[32];
    CopyKey(titleKey, buildingKey);
    if (network) {
        const size_t length = std::strlen(buildingKey);
        std::snprintf(titleKey, sizeof titleKey, "B_L1_ZAR%c", length ? buildingKey[length - 1] : '0');
    }
    if (g_pScriptManager) {
        auto& visited = g_pScriptManager->visitedBuildings;
        if (std::find(visited.begin(), visited.end(), std::string(buildingKey)) == visited.end())
            visited.emplace_back(buildingKey);
        g_pScriptManager->GetTextName(titleKey, buildingTitle);
    }
    if (buildingTitle.Length() == 0)
        buildingTitle = titleKey;

    CMainMenu::Init();
    textOnSelect = 1;
    fadeOnClose = 1;
    page = kPageBuilding;
    if (titleControl) {
        if (g_pScriptManager) {
            CXAnsiString tip;
            g_pScriptManager->GetTextName("INT_NAME_BUILDING_TIP", tip);
            titleControl->caption = tip;
        }
        CXAnsiString fitted = buildingTitle;
        if (g_pFont)
            g_pFont->FitText(buildingTitle, fitted, titleControl->right - titleControl->left, 0);
        buildingTitle = fitted;
        if (auto* title = dynamic_cast<CTextMessageControl*>(titleControl))
            title->text = buildingTitle;
    }
    BuildToolBar(kind);
    UpdateOrgBonuses();
    introPlaying = startIntro;

    if (startAutosave && AutosaveWanted(kind, network)) {
        CXAnsiString saveTitle;
        if (g_pScriptManager)
            g_pScriptManager->GetTextName("INT_AUTOSAVE", saveTitle);
        MenuHost().SaveGame("autosave.sav", saveTitle.Text(), buildingKey, true);
    }
    return true;
}

void CBuildingMenu::PostAll(std::initializer_list<uint32_t> list)
{
    for (const uint32_t message : list)
        PostMessage(message);
}

void CBuildingMenu::ResetTextPanel()
{
    if (!textPanel || !textPanel->window)
        return;
    textPanel->window->Clear();
    textPanel->window->SetFlags(0, 0, 0);
}

void CBuildingMenu::SaveFromList()
{
    CLoadSaveMenu list(true);
    // The world stays still under the list: the glider parked in the door would enter again.
    list.runWorld = 0;
    if (MenuHost().RunModalMenu(&list) != kSaveChosen || !list.List())
        return;
    if (!MenuHost().SaveGame(list.chosenName.c_str(), list.List()->resultText.Text(), buildingKey, false))
        return;
    CXAnsiString saved;
    if (g_pScriptManager)
        g_pScriptManager->GetTextName("INT_GAME_SAVED", saved);
    ShowHTMLText(CXAnsiString(), CXAnsiString((std::string(saved.Text()) + "<p>").c_str()), "EMPTY", 0, 0);
}

std::string CBuildingMenu::FormatKey(const char* key, std::initializer_list<TextValue> values)
{
    CXAnsiString format;
    if (!g_pScriptManager || !g_pScriptManager->GetText(key, format))
        return {};
    return FormatText(key, format.Text(), values);
}

void CBuildingMenu::ShowKey(const char* key)
{
    if (!g_pScriptManager)
        return;
    CXAnsiString title;
    CXAnsiString body;
    g_pScriptManager->GetTextName(key, title);
    g_pScriptManager->GetText(key, body);
    // Each key its own block: a text is shown once per block.
    ShowHTMLText(title, body, key, 0, 0);
}

void CBuildingMenu::ProcessCommand(int id)
{
    ZJ_TRACE("CBuildingMenu::ProcessCommand");
    jumpAllowed = 0;
    const bool shift = MenuHost().KeyDown(0x2A) || MenuHost().KeyDown(0x36); // DIK_LSHIFT, DIK_RSHIFT
    switch (id) {
    case kCmdLeave:
        CloseMenu(kResultLeave);
        break;
    case kCmdSave:
        SaveFromList();
        break;
    case kCmdTrade:
        ResetTextPanel();
        page = kPageTrade;
        PostAll({ kMsgCloseBoth, kMsgNarrowLists, kMsgRightPanel, kMsgToggle, kMsgLeftPanel, kMsgOpenBoth });
        break;
    case kCmdFirstPage:
        if (page == kPageLists)
            return;
        page = kPageLists;
        PostAll({ kMsgCloseSecond, kMsgRightPanel, kMsgOpenSecond });
        break;
    case kCmdJournal:
        if (page == kPageJournal)
            return;
        page = kPageJournal;
        PostAll({ kMsgCloseSecond, kMsgWideLists, kMsgRightPanel, kMsgOpenSecond });
        break;
    case kCmdWorkshop:
        ResetTextPanel();
        page = kPageWorkshop;
        PostAll({ kMsgCloseBoth, kMsgRightPanel, kMsgNarrowLists, kMsgToggle, kMsgLeftPanel, kMsgOpenBoth });
        break;
    case kCmdBack: {
        if (page == kPageBuilding)
            break;
        if (page == kPageWorkshop && PlayerFerrovant && !EquipmentFitsBody(*PlayerFerrovant)) {
            CMenuControl::PlaySound("SND_INT_NO_MONEY");
            return;
        }
        const int32_t from = page;
        ResetTextPanel();
        SetPreviewModel(-1);
        page = kPageBuilding;
        if (from == kPageWorkshop || from == kPageTrade)
            PostAll(
                { kMsgCloseBoth, kMsgNarrowLists, kMsgToggle, kMsgRightPanel, kMsgLeftPanel, kMsgOpenBoth });
        else
            PostAll({ kMsgCloseSecond, kMsgNarrowLists, kMsgRightPanel, kMsgOpenSecond });
        break;
    }
    case kCmdJumpPage:
        ResetTextPanel();
        page = kPageJump;
        PostAll({ kMsgCloseSecond, kMsgWideLists, kMsgRightPanel, kMsgOpenSecond });
        break;
    case kCmdBuyGoods:
        BuyGoods(shift);
        break;
    case kCmdSellGoods:
        SellGoods(shift);
        break;
    case kCmdOrganisations:
        ResetTextPanel();
        page = kPageOrganisations;
        PostAll({ kMsgCloseSecond, kMsgWideLists, kMsgRightPanel, kMsgOpenSecond });
        break;
    case kCmdJoin:
        if (textPanel && textPanel->window)
            textPanel->window->DelBlock("INT_ORG_JOIN", false);
        JoinSelected();
        break;
    case kCmdLeaveOrganisation: {
        if (textPanel && textPanel->window)
            textPanel->window->DelBlock("INT_ORG_LEAVE", false);
        const int32_t org = g_OrgManager.playerOrganisation;
        if (org >= 0) {
            RunOrgEvent("LEAVE", g_OrgManager.GetRowNames().GetString(org));
            g_OrgManager.LeaveOrganization(org);
        }
        UpdateOrgBonuses();
        break;
    }
    case kCmdChangeOrganisation: {
        const int32_t org = g_OrgManager.playerOrganisation;
        if (org >= 0 && org != g_OrgManager.playerRow) {
            if (textPanel && textPanel->window)
                textPanel->window->DelBlock("INT_ORG_CHANGE", false);
            RunOrgEvent("LEAVE", g_OrgManager.GetRowNames().GetString(org));
            g_OrgManager.LeaveOrganization(org);
        }
        JoinSelected();
        break;
    }
    case kCmdRepairItem:
        RepairItem();
        break;
    case kCmdChangeItem:
        ChangeItem();
        break;
    case kCmdBuyItem:
        BuyItem(MenuHost().KeyDown(0x2A)); // DIK_LSHIFT
        break;
    case kCmdSellItem:
        SellItem();
        break;
    case kCmdReloadItem:
        ReloadItem();
        break;
    case kCmdRepairAll:
        RepairAll();
        break;
    case kCmdReloadAll:
        ReloadAll();
        break;
    case kCmdJump:
        if (page == kPageBuilding) {
            for (int32_t i = 0; i < rightList.Count(); ++i)
                if ((rightList.At(i)->value & kJumpMark) != 0) {
                    SelectRightList(i);
                    break;
                }
            return;
        }
        if (page == kPageJump)
            Jump();
        return;
    default:
        break;
    }
    CMainMenu::ProcessCommand(id);
}

int CBuildingMenu::CurrentSector(const char* locationFile)
{
    for (size_t i = std::strlen(locationFile); i > 0; --i)
        if (locationFile[i - 1] >= '0' && locationFile[i - 1] <= '9')
            return locationFile[i - 1] - '0';
    return 1;
}

bool CBuildingMenu::JumpFileName(const char* locationFile, int sector, char (&out)[64])
{
    const char* slash = std::strrchr(locationFile, '\\');
    const char* forward = std::strrchr(locationFile, '/');
    if (forward && (!slash || forward > slash))
        slash = forward;
    const char* name = slash ? slash + 1 : locationFile;
    const size_t length = std::strlen(name);
    if (length >= sizeof out)
        return false;
    std::memcpy(out, name, length + 1);
    for (size_t i = length; i > 0; --i)
        if (out[i - 1] >= '0' && out[i - 1] <= '9') {
            out[i - 1] = char('0' + sector);
            break;
        }
    return true;
}

float CBuildingMenu::JumpPriceChance(int32_t level)
{
    const int32_t divisor = 5 - level;
    return divisor <= 1 ? 1.0f : 1.0f / float(divisor);
}

bool CBuildingMenu::Jump()
{
    if (selectedRight < 0 || selectedRight >= rightList.Count() || !PlayerFerrovant || !g_pScriptManager)
        return false;
    const int32_t sector = int32_t(rightList.At(selectedRight)->value);
    const char* location = MenuHost().LocationFile();
    if (sector < 1 || sector > kMaxSector || sector == CurrentSector(location)
        || !g_pScriptManager->IsEventSet(("SECTOR" + std::to_string(sector) + ".ACCESS").c_str())) {
        CMenuControl::PlaySound("SND_INT_NO_MONEY");
        return false;
    }
    const float money = PlayerFerrovant->cargo.bulkAmount;
    if (int32_t(money) < kJumpBasePrice) {
        CMenuControl::PlaySound("SND_INT_NO_MONEY");
        return false;
    }
    char target[64];
    if (!JumpFileName(location, sector, target)) {
        WriteErrorLog(std::string("CBuildingMenu::Jump location name too long: ") + location);
        return false;
    }
    int32_t level = 0;
    if (PlayerFerrovant->hull.index >= 0)
        level = g_GliderManager.GetDesc(PlayerFerrovant->hull.index).standard;
    float price = float(kJumpBasePrice);
    if (SharedRandom.Get(1.0f) < JumpPriceChance(level))
        price += float(SharedRandom.GetInt(900));
    if (money < price) {
        float wear = (price - money) * PlayerFerrovant->hull.MaximumWear() * 0.001f;
        PlayerFerrovant->hull.Damage(&wear);
    }
    g_pScriptManager->AddBalance(-std::min(money, price), -1);
    std::memcpy(ZJEngine.destinationFile, target, sizeof target);
    ZJEngine.pendingAction.actionBuilding = MakeNameKey32("");
    CloseMenu(kResultTunnel);
    return true;
}

void CBuildingMenu::OnChangeRightPanel()
{
    ZJ_TRACE("CBuildingMenu::OnChangeRightPanel");
    switch (page) {
    case kPageBuilding:
        ShowBuildingPage();
        break;
    case kPageJournal: {
        const std::vector<SListEntry> entries = BuildJournalList();
        FillRightList(entries.data(), int32_t(entries.size()));
        MarkNewEntries(rightList);
        break;
    }
    case kPageWorkshop:
        ShowWorkshopOffers();
        break;
    case kPageTrade:
        ShowTradeList();
        break;
    case kPageJump:
        ShowJumpList();
        break;
    case kPageOrganisations:
        ShowOrganisationList();
        break;
    default:
        FillRightList(nullptr, 0);
        break;
    }
    SelectFirstEntry(false, false);
}

void CBuildingMenu::ShowBuildingPage()
{
    FillRightList(nullptr, 0);
    RunScript(kScriptEvent, nullptr, 1);
    if (!g_pScriptManager)
        return;
    g_pScriptManager->outputCount = 0;
    const int32_t kind = BuildingKind();
    if ((kind == 1 || kind == 3 || kind == 8 || kind == 9) && PlayerFerrovant) {
        int32_t machines = 0;
        for (int32_t i = 0; i < PlayerFerrovant->cargo.items.Count(); ++i)
            if (PlayerFerrovant->cargo.items.At(i).kind == CargoItem::kCaptured)
                ++machines;
        g_pScriptManager->statistics.delivered += machines;
        PlayerFerrovant->DeliverCapturedMachines();
    }
    RunScript(kScriptPending, nullptr, 1);
}

void CBuildingMenu::ShowJumpList()
{
    SListEntry entries[kMaxSector];
    int32_t count = 0;
    for (int32_t sector = 1; sector <= kMaxSector; ++sector) {
        const std::string event = "SECTOR" + std::to_string(sector) + ".ACCESS";
        if (!g_pScriptManager || !g_pScriptManager->IsEventSet(event.c_str()))
            continue;
        const std::string key = "INFO_SECTOR" + std::to_string(sector);
        AddListEntry(false, entries, key.c_str(), count, kEntryOrdinary, uint32_t(sector), 0);
    }
    FillRightList(entries, count);
    MarkNewEntries(rightList);
}

void CBuildingMenu::SelectJumpEntry(int32_t index)
{
    const CMenuListEntry& entry = *rightList.At(index);
    ResetTextPanel();
    ShowKey(entry.key);
    const int32_t sector = int32_t(entry.value);
    const char* answer = "INT_TUNNEL_ACCESS";
    if (sector == CurrentSector(MenuHost().LocationFile()))
        answer = "INT_TUNNEL_THIS_SECTOR";
    else if (!g_pScriptManager
        || !g_pScriptManager->IsEventSet(("SECTOR" + std::to_string(sector) + ".ACCESS").c_str()))
        answer = "INT_TUNNEL_ACCESS_DENIDED";
    jumpAllowed = std::strcmp(answer, "INT_TUNNEL_ACCESS") == 0 ? 1 : 0;
    ShowKey(answer);
}

void CBuildingMenu::SelectRightList(int32_t index)
{
    ZJ_TRACE("CBuildingMenu::SelectRightList");
    CMainMenu::SelectRightList(index);
    if (selectedRight < 0 || rightList.At(selectedRight)->IsHeader())
        return;
    switch (page) {
    case kPageWorkshop:
        ProcessBaseGliderItem(selectedRight, 0, 1);
        offerState = 2;
        break;
    case kPageJournal:
        ShowJournalEntry(selectedRight, true);
        break;
    case kPageTrade:
        SelectTradeEntry(selectedRight);
        break;
    case kPageJump:
        SelectJumpEntry(selectedRight);
        break;
    case kPageOrganisations:
        SelectOrganisationEntry(selectedRight);
        break;
    default:
        break;
    }
}

void CBuildingMenu::OnChangeLeftPanel()
{
    ZJ_TRACE("CBuildingMenu::OnChangeLeftPanel");
    if (page == kPageWorkshop) {
        const std::vector<SListEntry> entries = CreateGliderList(false);
        FillLeftList(entries.data(), int32_t(entries.size()));
        ColourPartWarnings(leftList, WarningRules::Workshop);
    } else if (page == kPageTrade && PlayerFerrovant) {
        std::vector<SListEntry> entries(size_t(std::max(PlayerFerrovant->cargo.items.Count(), 1)));
        int32_t count = 0;
        for (int32_t i = 0; i < PlayerFerrovant->cargo.items.Count(); ++i) {
            const CargoItem& item = PlayerFerrovant->cargo.items.At(i);
            if (item.kind == CargoItem::kGoods)
                AddListEntry(true, entries.data(), item.name, count, kEntryOrdinary, uint32_t(i), item.count);
        }
        FillLeftList(entries.data(), count);
    } else {
        FillLeftList(nullptr, 0);
    }
}

void CBuildingMenu::RunOrgEvent(const char* event, const char* context)
{
    if (!g_pScriptManager || !context)
        return;
    g_pScriptManager->outputCount = 0;
    g_pScriptManager->ZJRunScript(context, 1, event);
    for (int32_t i = 0; i < g_pScriptManager->outputCount; ++i) {
        const SScriptOutput& output = g_pScriptManager->Output(i);
        ShowHTMLText(output.displayName, output.text, output.name, 0, 1);
    }
}

void CBuildingMenu::JoinSelected()
{
    const int32_t current = g_OrgManager.playerOrganisation;
    if (current >= 0 && current != g_OrgManager.playerRow) {
        RunOrgEvent("CHANGE", g_OrgManager.GetRowNames().GetString(current));
        return;
    }
    if (selectedRight < 0 || selectedRight >= rightList.Count())
        return;
    const CMenuListEntry& entry = *rightList.At(selectedRight);
    const int32_t org = int32_t(entry.value & 0xFF) - 1;
    if (org < 0 || org >= g_OrgManager.Count())
        return;
    g_OrgManager.JoinOrganization(org);
    RunOrgEvent("JOIN", entry.key);
    UpdateOrgBonuses();
}

void CBuildingMenu::ShowOrganisationList()
{
    std::vector<SListEntry> entries(size_t(g_OrgManager.Count()) * 2 + 2);
    int32_t count = 0;
    static constexpr struct {
        const char* procedure;
        const char* heading;
        uint32_t mark;
    } kLists[]
        = { { "GETORGLIST", "INT_ORG_LIST", 0 }, { "GETENTERLIST", "INT_ORG_LIST_ENTER", kEnterList } };
    for (const auto& list : kLists) {
        if (!g_pScriptManager)
            break;
        g_pScriptManager->outputCount = 0;
        g_pScriptManager->ZJRunScript(buildingKey, 1, list.procedure);
        const int32_t found = g_pScriptManager->outputCount;
        g_pScriptManager->outputCount = 0;
        if (found == 0)
            continue;
        AddListEntry(false, entries.data(), list.heading, count, kEntryOpenHeader, 0, 0);
        for (int32_t i = 0; i < found && count < int32_t(entries.size()); ++i) {
            const char* key = g_pScriptManager->Output(i).name;
            const int32_t org = g_OrgManager.FindOrganisation(key);
            if (org >= 0)
                AddListEntry(
                    false, entries.data(), key, count, kEntryOrdinary, uint32_t(org + 1) | list.mark, 0);
        }
    }
    FillRightList(entries.data(), count);
    MarkNewEntries(rightList);
}

void CBuildingMenu::SelectOrganisationEntry(int32_t index)
{
    const CMenuListEntry& entry = *rightList.At(index);
    ResetTextPanel();
    const int32_t org = int32_t(entry.value & 0xFF) - 1;
    if (org < 0) {
        ShowKey(entry.key);
        return;
    }
    if (entry.value & kEnterList) {
        RunOrgEvent("CHECK", entry.key);
        return;
    }
    RunOrgEvent("ABOUT", entry.key);
    if (!g_pScriptManager)
        return;
    const float relation = g_OrgManager.GetPairValue(org, g_OrgManager.playerOrganisation, false);
    const char* word = relation > 0.5f ? "INT_ORG_RELATION_GOOD"
        : relation > -0.3f             ? "INT_ORG_RELATION_NEUTRAL"
        : relation > -1.5f             ? "INT_ORG_RELATION_BAD"
                                       : "INT_ORG_RELATION_ENEMY";
    CXAnsiString wordText;
    g_pScriptManager->GetTextName(word, wordText);
    const std::string line = FormatKey("INT_ORG_SHOW_RELATION", { std::string_view(wordText.Text()) });
    ShowHTMLText(CXAnsiString(), CXAnsiString(line.c_str()), "EMPTY", 0, 0);
    const float power = g_OrgManager.GetOrgPower(org);
    if (power > 1.0f) {
        const std::string rating = FormatKey("INT_ORG_RATING", { int64_t(power) });
        ShowHTMLText(CXAnsiString(), CXAnsiString(rating.c_str()), "EMPTY", 0, 0);
    }
}
