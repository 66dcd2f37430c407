// The player's progress: the quest journal list, the statistics page and the network game's
// player list.
#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "foundation/Rating.h"
#include "net/CZJDPClient.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CMessager.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/MenuLinks.h"
#include "ui/TextFormat.h"
#include "world/db/COrgManager.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kNetworkState = 3;
constexpr int kStatisticsOrganisations = 20;
constexpr int32_t kScrollToTop = -3000;
constexpr const char* kLineBreak = "<br><color>";

enum class QuestState { Current, Complete, Failed };

bool Complete(CZJScriptManager& scripts, const SScriptQuest& quest)
{
    return scripts.IsEventSet(quest.name, ".COMPLETE");
}

bool Failed(CZJScriptManager& scripts, const SScriptQuest& quest)
{
    return scripts.IsEventSet(quest.name, ".FAIL");
}

std::string Name(const char* key)
{
    CXAnsiString name;
    g_pScriptManager->GetTextName(key, name);
    return name.Text();
}

// The key's TEXT formatted with whole numbers or texts.
std::string Line(const char* key, std::initializer_list<TextValue> values)
{
    CXAnsiString format;
    g_pScriptManager->GetText(key, format);
    return FormatText(key, format.Text(), values);
}

int64_t Whole(float value)
{
    return int64_t(value);
}

// Lines joined by the line break the statistics page uses.
class Block {
public:
    void Add(const std::string& line)
    {
        if (!m_text.empty())
            m_text += kLineBreak;
        m_text += line;
    }
    void Show(CMainMenu& menu, const char* titleKey) const
    {
        menu.ShowHTMLText(CXAnsiString(Name(titleKey).c_str()), CXAnsiString(m_text.c_str()), nullptr, 0, 1);
    }

private:
    std::string m_text;
};

void AddEntry(std::vector<SListEntry>& entries, const char* key, uint32_t kind, uint32_t data)
{
    entries.emplace_back();
    int32_t count = int32_t(entries.size()) - 1;
    AddListEntry(false, entries.data(), key, count, kind, data, 0);
}

} // namespace

std::vector<SListEntry> CMainMenu::BuildJournalList()
{
    ZJ_TRACE("CMainMenu::BuildJournalList");
    std::vector<SListEntry> entries;
    if (!g_pScriptManager)
        return entries;
    CZJScriptManager& scripts = *g_pScriptManager;
    const std::vector<SScriptQuest>& quests = scripts.Quests();
    struct Group {
        const char* header;
        bool (*belongs)(CZJScriptManager&, const SScriptQuest&);
    };
    static constexpr Group kGroups[] = {
        { "INT_QUESTS",
            [](CZJScriptManager& s, const SScriptQuest& q) { return !Complete(s, q) && !Failed(s, q); } },
        { "INT_QUESTS_COMPLETE", Complete },
        { "INT_QUESTS_FAIL", Failed },
    };
    for (const Group& group : kGroups) {
        AddEntry(entries, group.header, kEntryOpenHeader, 0);
        for (size_t i = quests.size(); i-- > 0;) {
            if (group.belongs(scripts, quests.at(i)))
                AddEntry(entries, (std::string(quests.at(i).name) + "_BRIEF").c_str(), kEntryOrdinary,
                    uint32_t(i + 1));
        }
    }
    AddEntry(entries, "INT_JOURNAL", kEntryOpenHeader, 0);
    for (const bool unread : { true, false }) {
        for (size_t i = scripts.journal.size(); i-- > 0;) {
            const std::string& note = scripts.journal.at(i);
            if (scripts.IsEventSet(note.c_str(), ".NC") == unread)
                AddEntry(entries, note.c_str(), kEntryOrdinary, uint32_t(i + 1));
        }
    }
    return entries;
}

void CMainMenu::ShowStatistics()
{
    ZJ_TRACE("CMainMenu::ShowStatistics");
    if (!g_pScriptManager || !PlayerFerrovant)
        return;
    CZJScriptManager& scripts = *g_pScriptManager;
    CFerrovant& player = *PlayerFerrovant;
    const SScriptStatistics& stats = scripts.statistics;
    // Byte offsets 0-24 of the block: income of accounts 2, 1, 0; expenses of accounts 0, 2, 1, 3.
    const float* money = stats.money;
    // Offsets 28-36: rating gained in categories 1, 0, 2.
    const float* gained = stats.rating;

    player.level = std::max(player.level, 1);
    Block experience;
    experience.Add(Line("INT_STAT_EXPO", { Whole(player.rating) }));
    const std::string ratingName = Name(("RATING." + std::to_string(player.level)).c_str());
    experience.Add(Line("INT_STAT_RATING", { int64_t(player.level) }) + " ( " + ratingName + " ).<color>");
    CXAnsiString organisation;
    scripts.GetText("INT_STAT_ORG", organisation);
    scripts.UpdateXStringWithNames(organisation);
    experience.Add(organisation.Text());
    const float threshold = RatingThresholds[std::min(player.level, 10)];
    experience.Add(Line("INT_STAT_RATING_TONEXT", { Whole(threshold) - Whole(player.rating) }));
    experience.Add(Line("INT_STAT_EXPO_TASKS", { Whole(gained[1]) }));
    experience.Add(Line("INT_STAT_EXPO_TRADE", { Whole(gained[2]) }));
    experience.Add(Line("INT_STAT_EXPO_FERRO", { Whole(gained[0]) }));
    experience.Show(*this, "INT_STAT_EXPO");

    int64_t current = 0;
    int64_t complete = 0;
    int64_t failed = 0;
    for (const SScriptQuest& quest : scripts.Quests()) {
        if (Complete(scripts, quest))
            ++complete;
        else if (Failed(scripts, quest))
            ++failed;
        else
            ++current;
    }
    Block tasks;
    tasks.Add(Line("INT_STAT_TASKS", { current }));
    tasks.Add(Line("INT_STAT_TASKS_COMPLETE", { complete }));
    tasks.Add(Line("INT_STAT_TASKS_FAIL", { failed }));
    tasks.Show(*this, "INT_STAT_TASKS");

    Block machines;
    machines.Add(Line("INT_STAT_FERROS", { int64_t(stats.delivered) }));
    machines.Show(*this, "INT_STAT_FERROS");

    Block losses;
    losses.Add(Line("INT_STAT_LOSSES", { Whole(money[3]) }));
    losses.Add(Line("INT_STAT_LOSSES_UPGRADE", { Whole(money[4]) }));
    losses.Add(Line("INT_STAT_LOSSES_TRADE", { Whole(money[5]) }));
    losses.Add(Line("INT_STAT_LOSSES_AMMO", { Whole(money[6]) }));
    losses.Show(*this, "INT_STAT_LOSSES");

    Block profit;
    profit.Add(Line("INT_STAT_PROFIT", { Whole(money[2]) }));
    profit.Add(Line("INT_STAT_PROFIT_TRADE", { Whole(money[1]) }));
    profit.Add(Line("INT_STAT_PROFIT_ROB", { Whole(money[0]) }));
    profit.Show(*this, "INT_STAT_PROFIT");

    Block kills;
    kills.Add(Line("INT_STAT_KILLED", { int64_t(stats.killed) }));
    if (stats.killed != 0) {
        kills.Add(Line("INT_STAT_KILLED_BY_RATING", {}));
        for (int level = 1; level <= 10; ++level) {
            if (stats.killedByLevel[level - 1] != 0)
                kills.Add(Line("INT_STAT_KILLED_RATING_IS",
                    { int64_t(level), int64_t(stats.killedByLevel[level - 1]) }));
        }
        kills.Add(Line("INT_STAT_KILLED_BY_ORG", {}));
        const XStringTable& organisations = g_OrgManager.GetRowNames();
        for (int org = 0; org < kStatisticsOrganisations; ++org) {
            const int32_t count = stats.Kills(org);
            if (count == 0)
                continue;
            const char* key = org < organisations.Count() ? organisations.GetString(org) : "";
            char value[48];
            std::snprintf(value, sizeof value, ": <color:4AC64A>%d.<color>", int(count));
            kills.Add(Name(key) + value);
        }
    }
    kills.Show(*this, "INT_STAT_KILLED");

    if (textPanel && textPanel->window)
        textPanel->window->Scroll(kScrollToTop);
}

void CMainMenu::ShowPlayerList()
{
    ZJ_TRACE("CMainMenu::ShowPlayerList");
    if (MenuHost().State() != kNetworkState || !g_pScriptManager)
        return;
    std::vector<SPlayerInfo> players;
    for (int32_t i = 0; i < NetClient.players.Count(); ++i)
        players.push_back(NetClient.players.At(i));
    std::stable_sort(players.begin(), players.end(),
        [](const SPlayerInfo& a, const SPlayerInfo& b) { return a.kills > b.kills; });
    std::string body;
    for (const SPlayerInfo& player : players) {
        float rating = 0.0f;
        std::memcpy(&rating, &player.rating, sizeof rating);
        int32_t level = 0;
        float fraction = 0.0f;
        GetRatingLevel(rating, level, fraction);
        const std::string name
            = StripMarkup(std::string(player.name, strnlen(player.name, sizeof player.name)));
        if (!body.empty())
            body += "<br>";
        body += Line("INT_NET_PLAYER_STAT",
            { std::string_view(name), int64_t(level), int64_t(fraction * 100.0f), int64_t(player.kills) });
    }
    ShowHTMLText(
        CXAnsiString(Name("INT_NET_PLAYER_LIST").c_str()), CXAnsiString(body.c_str()), nullptr, 0, 1);
}

void CMainMenu::ShowJournalEntry(int32_t index, bool shortened)
{
    ZJ_TRACE("CMainMenu::ShowJournalEntry");
    if (index < 0 || index >= rightList.Count() || !g_pScriptManager || !textPanel || !textPanel->window)
        return;
    const CMenuListEntry& entry = *rightList.At(index);
    if (entry.IsHeader() || entry.hidden)
        return;
    CZJScriptManager& scripts = *g_pScriptManager;
    textPanel->window->Clear();
    const auto show = [&](const char* key) {
        CXAnsiString body;
        if (!scripts.GetText(key, body))
            return;
        CXAnsiString title;
        scripts.GetTextName(key, title);
        ShowHTMLText(title, body, nullptr, 0, 0);
    };
    show(entry.key);
    const std::string key = entry.key;
    const std::string quest = key.size() > 6 ? key.substr(0, key.size() - 6) : key;
    for (int n = 1; n <= 9; ++n) {
        const std::string step = quest + ".X" + std::to_string(n);
        if (scripts.IsEventSet(step.c_str()))
            show(step.c_str());
    }
    if (scripts.IsEventSet(quest.c_str(), ".COMPLETE")) {
        ShowHTMLText(CXAnsiString(), CXAnsiString(Line("INT_QUEST_COMPLETE", {}).c_str()), nullptr, 0, 0);
        return;
    }
    if (scripts.IsEventSet(quest.c_str(), ".FAIL")) {
        ShowHTMLText(CXAnsiString(), CXAnsiString(Line("INT_QUEST_FAIL", {}).c_str()), nullptr, 0, 0);
        return;
    }
    const SScriptTimer* timer = scripts.FindTimer(quest.c_str());
    if (!timer)
        return;
    const int32_t minutes = QuestMinutesLeft(timer->expiry, GameTimeDays(), shortened);
    CXAnsiString format;
    scripts.GetTextName("INT_TIMELEFT", format);
    const std::string line = FormatText("INT_TIMELEFT", format.Text(), { minutes / 60, minutes % 60 });
    ShowHTMLText(CXAnsiString(), CXAnsiString(line.c_str()), nullptr, 0, 0);
}
