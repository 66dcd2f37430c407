// Group tactics: the scan of neighbours, attitudes, attack, escape, retreat, collecting things and
// the formation orders given to the members' AIs.
#include "ai/CBasicGLAI.h"
#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/GroupVector.h"
#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CTowerObject.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kScanSq = 1300.0f * 1300.0f;
constexpr float kEngageSq = 975.0f * 975.0f;

bool IsTableOrganisation(int org)
{
    return org >= 0 && org < g_OrgManager.GetFixedCount();
}

} // namespace

int CFerroGroup::FindTarget(int group) const
{
    for (int i = 0; i < targetCount; ++i)
        if (targets[i].group == group)
            return i;
    return -1;
}

void CFerroGroup::RemoveTarget(int i)
{
    std::memmove(&targets[i], &targets[i + 1], sizeof(TargetRecord) * size_t(targetCount - i - 1));
    --targetCount;
}

void CFerroGroup::SpyGroups()
{
    ++spyCounter;
    if (!assembled) {
        for (int g = 0; g < FerroGroupList.Count(); ++g) {
            CFerroGroup* other = FerroGroupList.At(g);
            if (other == this || !other->active || other->assembled || FindTarget(g) >= 0)
                continue;
            if (Vec3LengthSq(other->position - position) >= 0.95f * kScanSq)
                continue;
            if (targetCount < kMaxTargets - 1 || (g == 0 && targetCount < kMaxTargets))
                Target(targetCount++) = TargetRecord { g, 0, 0.0f, 1.0f, 0.0f, 0.0f, 0 };
        }
        SObjectQuery towers;
        ObjectList.GetRealTimeObjectList(position, 1000.0f, CZJObject::kTower, towers);
        for (int t = 0; t < towers.count; ++t) {
            const CZJObject* tower = towers.objects[t];
            const float reach = tower->radius + 50.0f;
            if (Vec3LengthSq(tower->frame.position - position) >= reach * reach)
                continue;
            if (state == kAttacking)
                Stop();
            if (IsTableOrganisation(organisation)) {
                targetCount = 0;
            } else {
                const int player = FindTarget(0);
                if (player >= 0) {
                    targets[0] = targets[player];
                    targetCount = 1;
                } else {
                    targetCount = 0;
                }
            }
            break;
        }
    }
    for (int i = 0; i < targetCount;) {
        TargetRecord& record = targets[i];
        const CFerroGroup* other = FerroGroupList.At(record.group);
        const float d2 = other ? Vec3LengthSq(other->position - position) : 0.0f;
        if (!other || !other->active || other->assembled || d2 > kScanSq) {
            RemoveTarget(i);
            continue;
        }
        if (record.group == 0 && d2 < 250.0f * 250.0f) {
            if ((spyCounter % 30 == 1 && !record.reported) || !IsTableOrganisation(organisation)) {
                record.reported = 1;
                SendMessage("TALK");
            }
        }
        record.distanceSq = d2;
        if (d2 < kEngageSq)
            DefineGroup(i, record.attitude == 0 || record.attitude == 1);
        ++i;
    }
    if (!assembled) {
        knownThing = nullptr;
        SObjectQuery things;
        ObjectList.GetRealTimeObjectList(position, 200.0f, CZJObject::kThing, things);
        float best = 0.0f;
        for (int t = 0; t < things.count; ++t) {
            const auto* thing = static_cast<CTheThing*>(things.objects[t]);
            if (!thing->onGround || std::fabs(thing->frame.position.z - position.z) > 24.0f)
                continue;
            const float d2 = Vec3LengthSq(thing->frame.position - position);
            if (!knownThing || d2 < best) {
                knownThing = things.objects[t];
                best = d2;
            }
        }
    }
}

void CFerroGroup::DefineGroup(int i, bool firstContact)
{
    TargetRecord& record = Target(i);
    CFerroGroup* other = FerroGroupList.At(record.group);
    if (!other)
        return;
    if (firstContact) {
        const float base = organisation == -1 || other->organisation == -1
            ? 0.0f
            : g_OrgManager.GetPairValue(organisation, other->organisation, false);
        record.relation = base + SharedRandom.Get(0.25f) - 0.125f;
    }
    const float r1 = GetGroupRating(true);
    const float r2 = other->GetGroupRating(false);
    const float top = std::max(r1, r2);
    const float ratio = top == 0.0f ? 0.0f : (r1 - r2) / top;
    record.hostility = record.relation - std::fabs(ratio) * 0.25f;
    const float c = float(Difficulty) * 0.05f;
    const float courage = (ratio + 1.0f) * g_OrgManager.GetCourage(organisation);
    const float h = record.hostility;
    if (h >= c - 0.33f)
        record.attitude = 2;
    else if (courage > 0.6f - c)
        record.attitude = 3;
    else if (h < c - 0.75f && courage > 0.5f - c)
        record.attitude = 3;
    else if (record.attitude == 4)
        record.attitude = 4;
    else if (courage < 0.4f - c && h < -0.5f)
        record.attitude = 6;
    else if (h < -0.75f)
        record.attitude = 6;
    else
        record.attitude = 2;
    record.weight = 1.0f;
    if (record.group == 0) {
        const bool table = IsTableOrganisation(organisation);
        const bool tick = spyCounter % 3 == 1;
        if ((firstContact && (tick || !table)) || (!firstContact && !table && tick))
            SendMessage("DEFINEGROUP");
    }
}

void CFerroGroup::ProcessTarget()
{
    static constexpr float kBase[10] = { 10.0f, 1.0f, 1e11f, 0.0f, 0.0f, 0.0f, 10.0f, 1e11f, 1e11f, 1e11f };
    float best = 1e11f;
    int chosen = -1;
    for (int i = 0; i < targetCount; ++i) {
        const TargetRecord& record = targets[i];
        if (record.attitude != 3 && record.attitude != 4)
            continue;
        const float score = kBase[record.attitude] * record.distanceSq / record.weight;
        if (score < best) {
            best = score;
            chosen = i;
        }
    }
    CFerroGroup* other = chosen < 0 ? nullptr : FerroGroupList.At(targets[chosen].group);
    if (!other) {
        followed = nullptr;
        return;
    }
    if (targets[chosen].attitude == 3)
        GroupAttack(other, false);
    else
        EscapeFromGroup(other);
}

void CFerroGroup::OnGroupAttacked(int attacker, float damage, bool relayed)
{
    CFerroGroup* enemy = FerroGroupList.At(attacker);
    if (enemy && enemy->organisation == organisation)
        damage *= 0.25f;
    const float help = damage * g_OrgManager.GetHelpness(organisation);
    if (IsTableOrganisation(organisation) && !relayed && help != 0.0f) {
        for (int i = 0; i < targetCount; ++i) {
            CFerroGroup* ally = FerroGroupList.At(targets[i].group);
            if (!ally || ally->organisation != organisation)
                continue;
            ally->OnGroupAttacked(attacker, help, true);
            if (targets[i].group == 0 && helpCooldown <= 0.0f) {
                SendMessage("HELPME");
                helpCooldown = 15.0f;
            }
        }
    }
    if (targetCount == 0 && enemy) {
        CGliderObject* glider = nullptr;
        for (int i = 0; i < kMaxMembers && !glider; ++i)
            if (enemy->members[i].glider && !enemy->members[i].glider->dead)
                glider = enemy->members[i].glider;
        if (glider) {
            SObjectQuery towers;
            ObjectList.GetRealTimeObjectList(position, 1000.0f, CZJObject::kTower, towers);
            for (int t = 0; t < towers.count; ++t) {
                const float reach = towers.objects[t]->radius - 200.0f;
                if (reach * reach > Vec3LengthSq(towers.objects[t]->frame.position - position))
                    static_cast<CTowerObject*>(towers.objects[t])->Alert(glider);
            }
        }
    }
    const int i = FindTarget(attacker);
    if (i < 0)
        return;
    if (!relayed && attacker == 0 && helpCooldown <= 0.0f && targets[i].attitude != 3) {
        SendMessage("ATTACKED");
        helpCooldown = 15.0f;
    }
    if (targets[i].relation > 0.0f)
        damage *= 0.1f;
    targets[i].relation -= damage * 0.01f;
    DefineGroup(i, false);
    targets[i].weight += (attacker == 0 ? 10.0f : 0.0f) * damage * 0.003f;
    ProcessTarget();
    if (targets[i].attitude == 3) {
        GroupAttack(enemy, false);
    } else if (targets[i].attitude == 4 || targets[i].attitude == 6) {
        targets[i].attitude = 4;
        EscapeFromGroup(enemy);
    }
}

void CFerroGroup::GroupAttack(CFerroGroup* group, bool force)
{
    if (!group)
        return;
    if (followed != group)
        timeInState = 0.0f;
    if (group == FerroGroupList.At(0) && timeInState < 1.0f && timeInState + FrameTime >= 1.0f
        && Vec3LengthSq(group->position - position) < 250000.0f) {
        timeInState = 1.0f;
        SendMessage("ATTACK");
    }
    if (!force && followed == group && state == kRetreating)
        return;
    followed = group;
    if (assembled || group->assembled)
        return;
    CGliderObject* target = group->GetNearestMember(position);
    if (!target)
        return;
    for (int i = 0; i < configuredCount && i < kMaxMembers; ++i)
        if (IsLive(i) && members[i].glider->ai)
            members[i].glider->ai->Attack(target);
    state = kAttacking;
}

const SAIReference* CFerroGroup::PointReference(int point, SAIReference& reference)
{
    if (point < 0 || point >= g_RoadManager.NodeCount())
        return nullptr;
    reference.id = point;
    reference.position = NodePosition(g_RoadManager.GetNode(point)->position);
    return &reference;
}

void CFerroGroup::GroupRetreat(CFerroGroup* group, int point)
{
    followed = group;
    state = kRetreating;
    if (!group || assembled || group->assembled)
        return;
    CGliderObject* target = group->GetNearestMember(position);
    if (!target)
        return;
    const SAIReference* to = PointReference(point, m_retreat);
    for (int i = 0; i < memberCount; ++i)
        if (IsLive(i) && members[i].glider->ai)
            members[i].glider->ai->Retreat(target, to);
}

void CFerroGroup::EscapeFromGroup(CFerroGroup* group)
{
    SetState(kEscaping);
    followed = group;
    // Several orders may come in one frame (a hit orders the escape twice): the clock moves to 1 s
    // so that ESCAPE goes once, as ATTACK does.
    if (group && group == FerroGroupList.At(0) && timeInState < 1.0f && timeInState + FrameTime >= 1.0f) {
        timeInState = 1.0f;
        SendMessage("ESCAPE");
    }
}

void CFerroGroup::SetState(int32_t s)
{
    for (int i = 0; i < memberCount; ++i) {
        if (!IsLive(i) || !members[i].glider->ai)
            continue;
        CBasicGLAI* ai = members[i].glider->ai;
        if (s == kNormal || (s == kEscaping && ai->state != CBasicGLAI::kFollow))
            ai->Stop();
    }
    if (s != state) {
        timeInState = 0.0f;
        state = s;
    }
}

void CFerroGroup::GroupGetThing()
{
    if (GetVoidFerro() >= 0 && timeInState < 10.0f && knownThing) {
        for (int i = 0; i < memberCount; ++i)
            if (IsLive(i) && members[i].glider->ai)
                members[i].glider->ai->MoveTo(knownThing->frame.position, 0.5f, 5.0f, true);
        return;
    }
    SetState(kNormal);
    knownThing = nullptr;
}

int CFerroGroup::GetVoidFerro()
{
    int best = -1;
    float most = 0.0f;
    for (int i = 0; i < memberCount; ++i) {
        if (members[i].dead)
            continue;
        const float room = members[i].GetCapacity() * 1.5f - members[i].GetTotalWeight();
        if (room > most) {
            most = room;
            best = i;
        }
    }
    return best;
}

CGliderObject* CFerroGroup::GetNearestMember(const Vec3& point)
{
    CGliderObject* best = nullptr;
    float bestSq = 10000000.0f;
    for (int i = 0; i < memberCount; ++i) {
        if (!IsLive(i))
            continue;
        const float d2 = Vec3LengthSq(members[i].glider->frame.position - point);
        if (d2 < bestSq) {
            bestSq = d2;
            best = members[i].glider;
        }
    }
    return best;
}

float CFerroGroup::GetGroupRating(bool full)
{
    float maxSum = 1000.0f;
    float curSum = 1000.0f;
    float points = 100.0f;
    int n = 0;
    for (int i = 0; i < memberCount; ++i) {
        const CFerrovant& m = members[i];
        if (m.dead)
            continue;
        ++n;
        maxSum += m.GetArmorLevel(2) + 0.5f * m.GetShieldLevel(2);
        curSum += m.GetArmorLevel(1) + 0.5f * m.GetShieldLevel(1);
        points += m.rating;
    }
    const float base = full ? 0.7f * curSum + 0.2f * maxSum : 0.6f * curSum + 0.4f * maxSum;
    return base * std::sqrt(float(n) * std::pow(points, 0.25f)) * g_OrgManager.GetRatingFactor(organisation);
}

void CFerroGroup::MoveFormation(int point)
{
    const SAIReference* goal = PointReference(point, m_goal);
    if (assembled || !goal)
        return;
    const int level = members[0].level;
    const float s = level > 7 ? 30.0f : level > 5 ? 22.5f : 15.0f;
    const float c = level < 7 ? 0.75f : 0.15f;
    const Vec3 toPoint = goal->position - position;
    const bool far = Vec3LengthSq(toPoint) > 20.0f * 20.0f;
    for (int i = 0; i < configuredCount && i < kMaxMembers; ++i) {
        if (!IsLive(i) || !members[i].glider->ai)
            continue;
        if (far) {
            Vec3 f { toPoint.x, toPoint.y, 0.0f };
            const float h = std::sqrt(f.x * f.x + f.y * f.y);
            f = h == 0.0f ? Vec3 {} : f * (1.0f / h);
            const Vec3 r { -f.y, f.x, 0.0f };
            const float lateral = float(i % 2 == 0 ? 1 : -1) * float((i + 1) / 2) * s;
            m_offsets[i] = r * s + r * (c * lateral) + f * (s * float(i));
        }
        members[i].glider->ai->Go(goal, m_offsets[i]);
    }
}

void CFerroGroup::FollowPoint(int point)
{
    const SAIReference* goal = PointReference(point, m_goal);
    if (assembled || !goal)
        return;
    for (int i = 0; i < configuredCount && i < kMaxMembers; ++i)
        if (IsLive(i) && members[i].glider->ai)
            members[i].glider->ai->Follow(goal);
}
