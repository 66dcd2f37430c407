// zoq-world groups.
#include "tools/world/group_verbs.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CHunterFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "platform/win/text.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zoq::tools::world {

namespace {

// A road node by name, or #index when it has none; "-1" for none.
std::string PointName(int point)
{
    if (point < 0 || point >= g_RoadManager.NodeCount())
        return std::to_string(point);
    const SRoadNode& node = *g_RoadManager.GetNode(point);
    return node.name[0] ? plat::win::Cp1251ToUtf8(node.name) : "#" + std::to_string(point);
}

std::string PointList(const std::vector<int32_t>& points)
{
    std::string text;
    for (size_t i = 0; i < points.size(); ++i)
        text += (i ? "," : "") + PointName(points[i]);
    return text;
}

std::string KindData(const CFerroGroup& group)
{
    char radius[32];
    switch (group.kind) {
    case CFerroGroup::kGuard:
        std::snprintf(radius, sizeof radius, "%.1f", group.guardRadius);
        return "home=" + PointName(group.homePoint) + " radius=" + radius;
    case CFerroGroup::kCaravan:
        return "route=" + PointList(static_cast<const CTransFerroGroup&>(group).routePoints);
    case CFerroGroup::kHunter:
        return "points=" + PointList(group.huntPoints);
    case CFerroGroup::kPeople:
        return "target=" + PointName(static_cast<const CPeopleFerroGroup&>(group).targetPoint);
    case CFerroGroup::kStanding:
        return "stand=" + PointName(group.standPoint);
    default:
        return "";
    }
}

} // namespace

void PrintGroups()
{
    for (int i = 1; i < FerroGroupList.Count(); ++i) {
        const CFerroGroup& group = *FerroGroupList.At(i);
        const char* org = group.organisation >= 0 && group.organisation < g_OrgManager.GetRowNames().Count()
            ? g_OrgManager.GetRowNames().GetString(group.organisation)
            : "";
        std::printf(
            "group\t%d\t%s\tkind=%u\torg=%s\tmembers=%d\tactive=%d\tassembled=%d\tinBuilding=%d\tstate=%d\t"
            "pos=%.1f,%.1f,%.1f\t%s\n",
            i, plat::win::Cp1251ToUtf8(group.name).c_str(), group.kind, plat::win::Cp1251ToUtf8(org).c_str(),
            group.memberCount, group.active, group.assembled, group.inBuilding, group.state, group.position.x,
            group.position.y, group.position.z, KindData(group).c_str());
        for (int m = 0; m < group.memberCount; ++m) {
            const CFerrovant& member = group.members[m];
            const char* config = member.configIndex >= 0 && member.configIndex < FerrovantConfigList.Count()
                ? FerrovantConfigList.GetRowNames().GetString(member.configIndex)
                : "";
            std::printf("member\t%d\t%d\t%s\tconfig=%s\tlevel=%d\tdead=%d\n", i, m,
                plat::win::Cp1251ToUtf8(member.name).c_str(), plat::win::Cp1251ToUtf8(config).c_str(),
                member.level, member.dead);
        }
    }
}

} // namespace zoq::tools::world
