#include "app/CZJAppEventSink.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "foundation/CallTrace.h"
#include "foundation/GroupName.h"
#include "foundation/Rating.h"
#include "foundation/XRangeError.h"
#include "script/CZJScriptManager.h"
#include "ui/CMessager.h"
#include "ui/TextFormat.h"
#include "world/db/COrgManager.h"
#include "world/objects/SThingItem.h"

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

constexpr int kLineColour = 1;
constexpr int kFallbackColour = 0;
constexpr int kOrganisationColour = 4;
constexpr float kKillRelation = -1.0f;
constexpr float kDeathDecay = 0.95f;

// A 32-character name field as a string.
std::string Name32(const char* name)
{
    return std::string(name, strnlen(name, 32));
}

std::string DisplayName(const std::string& key)
{
    CXAnsiString name(key.c_str());
    g_pScriptManager->GetTextName(key.c_str(), name);
    return name.Text();
}

std::string FormatKey(const char* key, std::initializer_list<TextValue> values)
{
    CXAnsiString format(key);
    g_pScriptManager->GetText(key, format);
    return FormatText(key, format.Text(), values);
}

void AddLine(const std::string& line, int colour)
{
    if (g_pMessager)
        g_pMessager->AddMessage(line.c_str(), colour, nullptr);
}

// The organisation's key; "_DEFAULT_" for none or an index without a row name.
std::string OrganisationKey(int organisation)
{
    if (organisation < 0 || organisation >= g_OrgManager.GetRowNames().Count())
        return "_DEFAULT_";
    return g_OrgManager.GetRowNames().GetString(organisation);
}

// The organisation's member title: the name of its key followed by "_MEMBER".
std::string MemberTitle(const std::string& organisationKey)
{
    return DisplayName(organisationKey + "_MEMBER");
}

bool AllMembersDown(CFerroGroup& group)
{
    for (int i = 0; i < group.memberCount; ++i) {
        const CFerrovant& member = group.Member(i);
        if (!member.dead && !member.IsEffectActive())
            return false;
    }
    return true;
}

} // namespace

float CZJAppEventSink::LowerLevelRating(float rating, int level, const float* thresholds)
{
    const float low = thresholds[level - 1];
    const float span = thresholds[level] - low;
    const float fraction = span != 0.0f ? (rating - low) / span : 0.0f;
    const float below = thresholds[level - 2];
    return below + fraction * (low - below);
}

void CZJAppEventSink::OnPickup(int kind, const SThingItem* items, int count)
{
    if (!g_pScriptManager || !items || count <= 0)
        return;
    if (kind == kPickupMoney) {
        AddLine(FormatKey("INT_PICKUP_MONEY", { int64_t(items[0].amount) }), kLineColour);
        return;
    }
    if (kind == kPickupMachine) {
        const std::string name = DisplayName(StripGroupPrefix(Name32(items[0].id)));
        AddLine(FormatKey("INT_PICKUP_FERRO", { name }), kLineColour);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (i >= kMaxContainerItems)
            throw XRangeError();
        const SThingItem& item = items[i];
        std::string line = FormatKey("INT_PICKUP_CONT", { DisplayName(Name32(item.id)) });
        if (item.amount > 1)
            line += " (" + std::to_string(item.amount) + ")";
        AddLine(line, kLineColour);
    }
}

void CZJAppEventSink::OnAddRating(float reward, int flag)
{
    if (g_pScriptManager)
        g_pScriptManager->AddRating(reward, flag);
}

void CZJAppEventSink::OnFerroKilled(CFerrovant* record)
{
    if (!record)
        return;
    if (g_pScriptManager) {
        g_pScriptManager->AddEvent(Name32(record->name).c_str(), ".KILLED");
        CFerroGroup* group = record->group;
        if (group && group->memberCount >= 2 && AllMembersDown(*group))
            g_pScriptManager->AddEvent(Name32(group->name).c_str(), ".KILLED");
    }
    if (record->level < 2) {
        record->rating = 0.0f;
    } else {
        record->rating *= kDeathDecay;
        UpdateRatingLevel(record->rating, record->level);
    }
}

void CZJAppEventSink::FerroWasKilledByPlayer(CFerrovant* record)
{
    ZJ_TRACE("CZJAppEventSink::FerroWasKilledByPlayer");
    if (!record || !g_pScriptManager)
        return;
    CZJScriptManager& scripts = *g_pScriptManager;
    int32_t level = 0;
    float fraction = 0.0f;
    GetRatingLevel(record->rating, level, fraction);
    scripts.statistics.killed += 1;
    scripts.statistics.killedByLevel[level < 1 ? 0 : level - 1] += 1;

    int organisation = record->group ? record->group->organisation : -1;
    if (organisation >= 0) {
        const int fallback = g_OrgManager.npcRow;
        if (organisation >= g_OrgManager.tableCount)
            organisation = fallback;
        scripts.statistics.CountKill(organisation);
        const int player = g_OrgManager.playerOrganisation;
        if (organisation >= 0 && organisation != fallback && organisation < g_OrgManager.Count()
            && player >= 0 && player < g_OrgManager.tableCount)
            g_OrgManager.ChangeRelation(player, organisation, kKillRelation, true);
    }

    const std::string key = OrganisationKey(organisation);
    const std::string title = organisation >= 0 ? MemberTitle(key) : std::string();
    const std::string line = FormatKey("INT_FERRO_KILLED", { Name32(record->name), title });
    scripts.outputCount = 0;
    scripts.ZJRunScript(key.c_str(), 1, "KILLED");
    if (g_pZJApp)
        g_pZJApp->AddJournalLine(0, line.c_str(), true);

    if (level > 2) {
        record->rating = LowerLevelRating(record->rating, level, RatingThresholds);
        record->level = level - 1;
    } else {
        record->rating = 0.0f;
    }
}

void CZJAppEventSink::OnCollision()
{
    g_InputConfig.PlayCollisionEffect();
}

void CZJAppEventSink::UpdateJournal(int reason)
{
    if (g_pZJApp)
        g_pZJApp->UpdateJournal(reason);
}

void CZJAppEventSink::OnGroupMessage(const char* keyword, CFerroGroup* group)
{
    if (!group || !keyword || !g_pScriptManager)
        return;
    CZJScriptManager& scripts = *g_pScriptManager;
    const int organisation = group->organisation;
    const bool fallback = organisation >= 0 && organisation == g_OrgManager.npcRow;
    const std::string organisationKey = OrganisationKey(organisation);
    const std::string scriptKey = fallback ? Name32(group->name) : organisationKey;
    std::string line;
    if (!fallback && organisation >= 0)
        line = "<reference:" + MemberTitle(organisationKey) + "=" + organisationKey + "> ";

    const int32_t pending = scripts.outputCount;
    if (!scripts.ZJRunScript(scriptKey.c_str(), 1, keyword) || !scripts.LastProcedureFound())
        return;
    line += StripGroupPrefix(Name32(group->name));
    if (g_pZJApp)
        g_pZJApp->AddJournalLine(fallback ? kFallbackColour : kOrganisationColour, line.c_str(), false);
    scripts.outputCount = pending;
}
