#include "script/ScriptCommands.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CPlayerFerroGroup.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rating.h"
#include "script/CScriptHost.h"
#include "script/CZJScriptManager.h"
#include "script/ScriptCommands_local.h"
#include "ui/CRadar.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CEnvironment.h"

#include <array>
#include <cstring>
#include <string>

using namespace script_commands;

int script_commands::Organisation(const char* name)
{
    return g_OrgManager.GetRowNames().Find(name);
}

namespace {

using Args = XStringTable;
using M = CZJScriptManager;

bool Output(M& m, const Args& a, int32_t kind)
{
    m.AddOutput(Arg(a, 0), kind, 0);
    return true;
}

bool Info(M& m, Args& a)
{
    return Output(m, a, SScriptOutput::Info);
}
bool Quest(M& m, Args& a)
{
    return Output(m, a, SScriptOutput::Quest);
}

bool Journal(M& m, Args& a)
{
    Output(m, a, SScriptOutput::Journal);
    m.journal.emplace_back(Arg(a, 0));
    return true;
}

bool SetEvent(M& m, Args& a)
{
    m.SetEvent(Arg(a, 0));
    return true;
}

bool RemoveEvent(M& m, Args& a)
{
    m.RemoveEvent(Arg(a, 0));
    return true;
}

bool AddQuest(M& m, Args& a)
{
    m.AddQuest(Arg(a, 0));
    return true;
}

bool SetOrgRelation(M&, Args& a)
{
    int first = Organisation(Arg(a, 0));
    int second = Organisation(Arg(a, 1));
    if (first > second)
        std::swap(first, second);
    const float percent = ArgFloat(a, 2) * 0.01f;
    const bool relative = a.Count() > 3;
    const auto value
        = [&](int x, int y) { return relative ? g_OrgManager.GetPairValue(x, y, false) + percent : percent; };
    g_OrgManager.SetTargetRelation(first, second, value(first, second));
    const int player = g_OrgManager.playerOrganisation;
    const int row = g_OrgManager.playerRow;
    if (first == row && player != row && player != -1)
        g_OrgManager.SetTargetRelation(player, second, value(player, second));
    return true;
}

bool SetOrgStdRelation(M&, Args& a)
{
    g_OrgManager.SetRelation(Organisation(Arg(a, 0)), Organisation(Arg(a, 1)), ArgFloat(a, 2) * 0.01f, false);
    return true;
}

bool RestoreOrgRelation(M&, Args& a)
{
    const int first = Organisation(Arg(a, 0));
    const int second = Organisation(Arg(a, 1));
    g_OrgManager.SetCurrentRelation(first, second, g_OrgManager.GetPairValue(first, second, true));
    return true;
}

bool Process(M&, Args& a)
{
    return g_pScriptHost && g_pScriptHost->RunProcess(ArgInt(a, 0));
}

bool PlayerRelation(const Args& a, bool enemy)
{
    const int org = Organisation(Arg(a, 0));
    if (org < 0) {
        WriteErrorLog(std::string("Player is enemy - '") + Arg(a, 0) + "' ogranisation not found");
        return false;
    }
    const float relation = g_OrgManager.GetPairValue(g_OrgManager.playerOrganisation, org, false);
    return enemy ? relation < -0.5f : relation > 0.5f;
}

bool PlayerIsEnemy(M&, Args& a)
{
    return PlayerRelation(a, true);
}
bool PlayerIsFriend(M&, Args& a)
{
    return PlayerRelation(a, false);
}

void PlayMapSound()
{
    if (g_pScriptHost)
        g_pScriptHost->PlaySound("SND_INT_MAP_PLACE");
}

bool Mark(M&, Args& a)
{
    PlayMapSound();
    if (!g_pRadar)
        return true;
    if (FerroGroupList.FindGroupByName(Arg(a, 0)))
        g_pRadar->SetTrackedGroup(Arg(a, 0));
    else
        g_pRadar->MarkObject(Arg(a, 0), 1);
    return true;
}

bool Unmark(M&, Args& a)
{
    PlayMapSound();
    if (g_pRadar)
        g_pRadar->UnmarkObject(Arg(a, 0));
    return true;
}

bool MoreRating(M&, Args& a)
{
    int32_t level = 0;
    float fraction = 0.0f;
    GetRatingLevel(PlayerFerrovant ? PlayerFerrovant->rating : 0.0f, level, fraction);
    return level >= ArgInt(a, 0);
}

bool Eject(M& m, Args&)
{
    m.eject = 1;
    return true;
}

bool SetDieHeight(M&, Args& a)
{
    Environment.dieHeight = ArgFloat(a, 0);
    return true;
}

bool AddSensor(M&, Args& a)
{
    ObjectList.AddSensor(MakeNameKey32(Arg(a, 0)));
    return true;
}

bool ShowObject(bool show, const char* name)
{
    if (CFerroGroup* group = FerroGroupList.FindGroupByName(name)) {
        if (group->memberCount == 0)
            WriteErrorLog("CZJScriptManager::ShowObject group is empty");
        if (!group->assembled)
            group->Assemble();
        group->visible = show;
        group->hidden = !show;
        return true;
    }
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->alive && std::strncmp(object->name, name, sizeof object->name) == 0) {
            object->visible = show;
            return true;
        }
    }
    WriteErrorLog(std::string("CZJScriptManager::ShowObject object '") + name + "' not found");
    return true;
}

bool Show(M&, Args& a)
{
    return ShowObject(true, Arg(a, 0));
}
bool Hide(M&, Args& a)
{
    return ShowObject(false, Arg(a, 0));
}

bool Restart(M& m, Args&)
{
    m.restart = 1;
    return true;
}

bool TaskExist(M& m, Args& a)
{
    const std::string name = std::string(m.runningScript) + ".NEXTTASK";
    const SScriptTimer* timer = m.FindTimer(name.c_str());
    if (std::strcmp(Arg(a, 0), "1") == 0)
        return !timer || timer->duration < 1000.0f;
    return !timer;
}

bool PlayerInOrg(M&, Args& a)
{
    return Organisation(Arg(a, 0)) == g_OrgManager.playerOrganisation;
}

bool StartTimer(M& m, Args& a)
{
    m.StartTimer(Arg(a, 0), Arg(a, 1));
    return true;
}

bool StopTimer(M& m, Args& a)
{
    m.StopTimer(Arg(a, 0));
    return true;
}

bool AddGroupToPlayer(M&, Args& a)
{
    if (CFerroGroup* group = FerroGroupList.FindGroupByName(Arg(a, 0)))
        PlayerFerroGroup.AttachGroup(group, true);
    return true;
}

bool RemoveGroupFromPlayer(M&, Args& a)
{
    if (CFerroGroup* group = FerroGroupList.FindGroupByName(Arg(a, 0)))
        PlayerFerroGroup.ReleaseGroup(group);
    else
        WriteErrorLog(
            std::string("CZJScriptManager::RemoveGroupFromPlayer group '") + Arg(a, 0) + "' not found");
    return true;
}

bool Move(M&, Args&)
{
    return true;
}

bool OrgRatingMore(M&, Args& a)
{
    const int org = Organisation(Arg(a, 0));
    return org >= 0 && g_OrgManager.GetOrgPower(org) > ArgFloat(a, 1);
}

bool Pause(M&, Args& a)
{
    if (!g_pScriptHost)
        return false;
    if (a.Count() == 0 || Arg(a, 0)[0] != '0') {
        g_pScriptHost->ToggleMessageLog();
        return true;
    }
    if (!g_pScriptHost->IsMessageLogExpanded())
        return false;
    g_pScriptHost->ToggleMessageLog();
    return true;
}

bool SetBonus(M&, Args& a)
{
    if (g_pScriptHost)
        g_pScriptHost->SetBonus(ArgFloat(a, 0), ArgFloat(a, 1));
    return true;
}

bool SetGroupAt(M&, Args& a)
{
    CFerroGroup* group = FerroGroupList.FindGroupByName(Arg(a, 0));
    const int point = g_RoadManager.FindNodeByName(Arg(a, 1));
    if (!group || point < 0)
        return true;
    group->SetGroupAt(point, a.Count() > 2 ? g_RoadManager.FindNodeByName(Arg(a, 2)) : -1);
    return false;
}

bool StopGroup(M&, Args& a)
{
    CFerroGroup* group = FerroGroupList.FindGroupByName(Arg(a, 0));
    if (!group)
        return true;
    group->halted = Arg(a, 1)[0] == '1' ? 1 : 0;
    return false;
}

bool SetOrgAuthority(M&, Args& a)
{
    g_OrgManager.SetAuthority(Organisation(Arg(a, 0)), ArgFloat(a, 1));
    return true;
}

bool RestoreOrgAuthority(M&, Args& a)
{
    g_OrgManager.RestoreAuthority(Organisation(Arg(a, 0)));
    return true;
}

bool Die(M&, Args&)
{
    if (PlayerFerrovant && PlayerFerrovant->glider)
        PlayerFerrovant->glider->Damage(1.0e10f, Vec3 { 0.0f, 0.0f, 1.0f }, 1, nullptr, -1);
    return true;
}

bool MoreOrgKilled(M& m, Args& a)
{
    return m.statistics.Kills(Organisation(Arg(a, 0))) >= ArgInt(a, 1);
}

bool Reanimate(M&, Args& a)
{
    CFerroGroup* group = FerroGroupList.FindGroupByName(Arg(a, 0));
    if (!group)
        return false;
    group->Reanimate();
    return true;
}

constexpr ScriptCommand kCommands[] = {
    { "INFO", Info },
    { "JOURNAL", Journal },
    { "QUEST", Quest },
    { "SETEVENT", SetEvent },
    { "REMOVEEVENT", RemoveEvent },
    { "ADDQUEST", AddQuest },
    { "SETORGRELATION", SetOrgRelation },
    { "SETORGSTDRELATION", SetOrgStdRelation },
    { "RESTOREORGRELATION", RestoreOrgRelation },
    { "SETPOLITICS", nullptr },
    { "ADDBALANCE", script_commands::AddBalance },
    { "ADDRATING", script_commands::AddRating },
    { "ADDOBJECT", script_commands::AddObject },
    { "REMOVEOBJECT", script_commands::RemoveObject },
    { "PROCCESS", Process },
    { "KNOW", Info },
    { "PLAYERHAS", script_commands::PlayerHas },
    { "PLAYERRELATION", nullptr },
    { "PLAYERISENEMY", PlayerIsEnemy },
    { "PLAYERISFRIEND", PlayerIsFriend },
    { "PLAYERMATCH", nullptr },
    { "MARK", Mark },
    { "UNMARK", Unmark },
    { "AGGRESSIVE", nullptr },
    { "NEUTRAL", nullptr },
    { "AFRAID", nullptr },
    { "INORG", nullptr },
    { "MORERATINGGRP", nullptr },
    { "MORERATINGGRPSUM", nullptr },
    { "MOREGLIDERS", nullptr },
    { "MORERATINGWEAK", nullptr },
    { "MOREBALANCE", script_commands::MoreBalance },
    { "MORERATING", MoreRating },
    { "EJECT", Eject },
    { "SETDIEHEIGHT", SetDieHeight },
    { "ADDSENSOR", AddSensor },
    { "SHOWOBJECT", Show },
    { "HIDEOBJECT", Hide },
    { "SHOWOBJECTATPOS", script_commands::ShowObjectAtPos },
    { "RESTART", Restart },
    { "PROCESS", Process },
    { "TASKEXIST", TaskExist },
    { "PLAYERINORG", PlayerInOrg },
    { "PLAYERDAMAGEDHI", script_commands::DamagedHigh },
    { "PLAYERDAMAGEDLOW", script_commands::DamagedLow },
    { "STARTTIMER", StartTimer },
    { "STOPTIMER", StopTimer },
    { "ADDGROUPTOPLAYER", AddGroupToPlayer },
    { "REMOVEGROUPFROMPLAYER", RemoveGroupFromPlayer },
    { "ISGLIDER", script_commands::IsGlider },
    { "MOVE", Move },
    { "ORGRATINGMORE", OrgRatingMore },
    { "PAUSE", Pause },
    { "SETBONUS", SetBonus },
    { "SETGROUPAT", SetGroupAt },
    { "STOPGROUP", StopGroup },
    { "SETORGAUTORITY", SetOrgAuthority },
    { "RESTOREORGAUTORITY", RestoreOrgAuthority },
    { "DIE", Die },
    { "MOREORGKILLED", MoreOrgKilled },
    { "REANIMATE", Reanimate },
};
static_assert(std::size(kCommands) == 61);

constexpr std::array<int, std::size(kCommands)> MakeHashes()
{
    std::array<int, std::size(kCommands)> hashes {};
    for (std::size_t i = 0; i < hashes.size(); ++i)
        hashes[i] = HashScriptName(kCommands[i].keyword);
    return hashes;
}

constexpr std::array<int, std::size(kCommands)> kHashes = MakeHashes();

constexpr bool Distinct()
{
    for (std::size_t i = 0; i < kHashes.size(); ++i)
        for (std::size_t j = i + 1; j < kHashes.size(); ++j)
            if (kHashes[i] == kHashes[j])
                return false;
    return true;
}
static_assert(Distinct());

} // namespace

std::span<const ScriptCommand> ScriptCommands()
{
    return kCommands;
}

const ScriptCommand* FindScriptCommand(std::string_view name)
{
    const int hash = HashScriptName(name);
    for (std::size_t i = 0; i < kHashes.size(); ++i) {
        if (kHashes[i] == hash)
            return kCommands[i].handler && name == kCommands[i].keyword ? &kCommands[i] : nullptr;
    }
    return nullptr;
}

bool CZJScriptManager::RunFunction(const char* name, XStringTable& arguments)
{
    const ScriptCommand* command = FindScriptCommand(name);
    if (!command) {
        WriteErrorLog(std::string("CZJScriptManager::RunFunction Unknown user procedure ") + name);
        return false;
    }
    return command->handler(*this, arguments);
}
