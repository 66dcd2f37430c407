// The group record: construction, members, the switch between record and gliders, deaths and
// buildings.
#include "ai/CFerroGroup.h"

#include "ai/CBasicGLAI.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CZJTrade.h"
#include "ai/GroupVector.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "world/db/CGliderManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

float Range()
{
    return float(VisibleRadius) * 10.0f;
}

} // namespace

CFerroGroup::CFerroGroup()
{
    spyCounter = SharedRandom.GetInt(100);
    for (CFerrovant& m : members)
        m.group = this;
}

CFerroGroup::~CFerroGroup() = default;

CFerrovant& CFerroGroup::Member(int i)
{
    if (i < 0 || i >= kMaxMembers)
        throw XRangeError();
    return members[i];
}

TargetRecord& CFerroGroup::Target(int i)
{
    if (i < 0 || i >= kMaxTargets)
        throw XRangeError();
    return targets[i];
}

bool CFerroGroup::IsLive(int i) const
{
    const CFerrovant& m = members[i];
    return !m.dead && !m.inBuilding && m.glider && m.glider->alive && !m.glider->dead;
}

void CFerroGroup::SendMessage(const char* keyword)
{
    if (AppEvents)
        AppEvents->OnGroupMessage(keyword, this);
}

float CFerroGroup::PlayerDistanceSq() const
{
    return Vec3LengthSq(position - PlayerPosition);
}

void CFerroGroup::Init()
{
    ZJ_TRACE("CFerroGroup::Init");
    active = !attachedToPlayer;
    if (kind == kGuard || kind == kStanding) {
        const int point = kind == kGuard ? homePoint : standPoint;
        const SRoadNode* node
            = point < 0 || point >= g_RoadManager.NodeCount() ? nullptr : g_RoadManager.GetNode(point);
        if (!node) {
            active = 0;
            return;
        }
        position = { node->position[0], node->position[1], node->position[2] };
    }
    memberCount = std::clamp(configuredCount, 0, int32_t(kMaxMembers));
    const size_t nameLength = strnlen(name, sizeof name);
    for (int i = 0; i < memberCount; ++i) {
        CFerrovant& m = members[i];
        if (nameLength >= 30 || configuredCount == 1)
            std::snprintf(m.name, sizeof m.name, "%.31s", name);
        else
            std::snprintf(
                m.name, sizeof m.name, "%.*s_%d", int(std::min<size_t>(nameLength, 31)), name, i + 1);
        m.glider = nullptr;
        m.group = this;
        int config = FerrovantConfigList.Find(memberConfigs[i]);
        int32_t param = int32_t(configParam);
        if (config < 0) {
            char line[96];
            std::snprintf(line, sizeof line, "FerroGroup::Init Config not found '%.32s'", memberConfigs[i]);
            WriteErrorLog(line);
            config = std::max(FerrovantConfigList.Find("CFG_STARTUP"), 0);
            param = 0;
        }
        if (config < FerrovantConfigList.Count())
            m.ApplyConfig(config, true, param);
    }
    ClearTargets();
}

void CFerroGroup::ClearTargets()
{
    std::memset(targets, 0, sizeof targets);
    targetCount = 0;
    followed = nullptr;
}

void CFerroGroup::Run(float dt)
{
    groupClock += dt;
    timeInState += dt;
    if (helpCooldown > 0.0f)
        helpCooldown = std::max(0.0f, helpCooldown - dt);
    if (attachedToPlayer || inBuilding)
        return;
    const float range = Range();
    if (!assembled) {
        UpdatePosition();
        const float far = range * 1.1f;
        if (PlayerDistanceSq() > far * far && !hidden) {
            Assemble();
            return;
        }
        ProcessTarget();
        const float reachSq = 975.0f * 975.0f;
        if (state == kAttacking || state == kRetreating) {
            bool targetAlive = false;
            for (int i = 0; i < memberCount && !targetAlive; ++i) {
                if (!IsLive(i) || !members[i].glider->ai)
                    continue;
                const CZJObject* t = members[i].glider->ai->target;
                targetAlive = t && t->alive;
            }
            if (!followed || Vec3LengthSq(followed->position - position) > reachSq || !targetAlive)
                Stop();
        } else if (state == kEscaping) {
            if (!followed || Vec3LengthSq(followed->position - position) > reachSq)
                SetState(kNormal);
        }
        return;
    }
    const float near = float(VisibleRadius / 4) * 10.0f;
    const float inner = range * 0.95f;
    const float d2 = PlayerDistanceSq();
    if (near * near < d2 && d2 < inner * inner)
        Disassemble();
}

void CFerroGroup::CheckAssemble()
{
    bool anyAlive = false;
    for (int i = 0; i < memberCount; ++i)
        anyAlive = anyAlive || !members[i].dead;
    const float range = Range();
    if (anyAlive && PlayerDistanceSq() > range * range) {
        active = 1;
        assembled = 1;
        pendingCheck = 0;
    }
}

void CFerroGroup::SetGroupAt(int, int) { }

void CFerroGroup::UpdatePosition()
{
    Vec3 sum {};
    int n = 0;
    for (int i = 0; i < memberCount; ++i) {
        if (!IsLive(i))
            continue;
        sum = sum + members[i].glider->frame.position;
        ++n;
    }
    if (n > 0)
        position = sum * (1.0f / float(n));
    if (std::isnan(position.x)) {
        char line[64];
        std::snprintf(line, sizeof line, "NAN: %.32s", name);
        WriteErrorLog(line);
    }
}

void CFerroGroup::Disassemble()
{
    ZJ_TRACE("CFerroGroup::Disassemble");
    position.z = Location.GetHeightAt(position, false) + 12.0f;
    for (int i = 0; i < configuredCount && i < kMaxMembers; ++i) {
        CFerrovant& m = members[i];
        if (m.dead || m.glider)
            continue;
        Vec3 spawn { position.x + 10.0f * float(i), position.y + 10.0f * float(i), 0.0f };
        spawn.z = Location.GetHeightAt(spawn, false) + 12.0f;
        const float placement[16] = { -1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, spawn.x, spawn.y, spawn.z, 1 };
        const int row = int32_t(m.config.glider.words[0]);
        const NameKey32 typeId = MakeNameKey32(g_GliderManager.GetRowNames().GetStringOrDefault(row));
        auto* glider = static_cast<CGliderObject*>(g_GliderManager.CreateObject(typeId, placement, nullptr));
        if (!glider)
            continue;
        m.glider = glider;
        glider->AssignFerrovant(&m);
        m_ais[i] = std::make_unique<CBasicGLAI>();
        m_ais[i]->glider = glider;
        glider->ai = m_ais[i].get();
    }
    assembled = 0;
    UpdatePosition();
}

bool CFerroGroup::DropGlider(int i)
{
    CGliderObject* glider = members[i].glider;
    if (!glider)
        return true;
    ObjectList.DeleteObject(glider);
    if (!ObjectList.IsDeletePending(glider)) {
        glider->alive = 1; // the list is full: keep flying, try again later
        return false;
    }
    glider->ai = nullptr;
    m_ais[i].reset();
    members[i].glider = nullptr;
    return true;
}

void CFerroGroup::Assemble()
{
    UpdatePosition();
    bool all = true;
    for (int i = 0; i < configuredCount && i < kMaxMembers; ++i)
        all = DropGlider(i) && all;
    if (all)
        assembled = 1;
}

void CFerroGroup::OnObjectDeleted(CZJObject* object)
{
    const bool destroyed = object->type == 14 && static_cast<CGliderObject*>(object)->dead;
    if (knownThing == object)
        knownThing = nullptr;
    bool anyAlive = false;
    for (int i = 0; i < memberCount; ++i) {
        CFerrovant& m = members[i];
        if (m.glider == object) {
            m.glider->ai = nullptr;
            m_ais[&m - members].reset();
            m.glider = nullptr;
            if (destroyed) {
                m.dead = 1;
                if (m.level <= 1) {
                    m.respawnTime = 3.0e9f;
                } else {
                    const float gap = float(std::max(1, m.levelCap - m.level));
                    m.respawnTime = 1.0e9f + 3600.0f * gap * gap;
                }
            }
        }
        anyAlive = anyAlive || !m.dead;
    }
    if (!anyAlive && memberCount > 0) {
        pendingCheck = 1;
        if (!assembled)
            active = 0;
        assembled = 1;
    }
}

void CFerroGroup::Reanimate()
{
    for (int i = 0; i < memberCount; ++i)
        members[i].Reset();
    active = 1;
    assembled = 1;
    pendingCheck = 0;
}

bool CFerroGroup::CheckBuilding(int point)
{
    if (point < 0 || point >= g_RoadManager.NodeCount())
        return false;
    const SRoadNode* node = g_RoadManager.GetNode(point);
    if (node->name[0] == '\0')
        return false;
    auto* where = static_cast<CBuildingObject*>(ObjectList.FindObject(MakeNameKey32(node->name), 11));
    return where && where->AddGroup(this);
}

void CFerroGroup::PackInBuilding(CBuildingObject* where)
{
    for (int i = 0; i < memberCount; ++i) {
        CFerrovant& m = members[i];
        m.inBuilding = 1;
        DropGlider(i);
        if (!m.dead)
            m.Restore();
    }
    assembled = 1;
    exitQueued = 0;
    inBuilding = 1;
    active = 0;
    buildingWait = 0.0f;
    building = where;
    SendMessage("PACKED");
}

void CFerroGroup::UnpackFromBuilding()
{
    exitQueued = building && building->AddGroup(this);
    for (int i = 0; i < memberCount; ++i)
        members[i].inBuilding = 0;
}

void CFerroGroup::SellGoodsInBuilding(CBuildingObject* where, bool sellAll)
{
    const NameKey32 buildingKey = MakeNameKey32(where->name);
    for (int i = 0; i < memberCount; ++i) {
        CFerrovant& m = members[i];
        if (m.dead)
            continue;
        m.DeliverCapturedMachines();
        for (;;) {
            int chosen = -1;
            for (int k = 0; k < m.cargo.items.Count() && chosen < 0; ++k) {
                const CargoItem& item = m.cargo.items.At(k);
                if (item.kind != CargoItem::kGoods)
                    continue;
                float price = 0.0f;
                if (sellAll
                    || (ZJTrade.GetPrice(buildingKey, MakeNameKey32(item.name), true, price, nullptr)
                        && price > 0.0f))
                    chosen = k;
            }
            if (chosen < 0)
                break;
            const CargoItem item = m.cargo.items.At(chosen);
            ZJTrade.Sold(buildingKey, MakeNameKey32(item.name), item.count);
            m.cargo.items.Delete(chosen);
        }
    }
}

int CFerroGroup::GetNearestPoint(int excluded)
{
    int best = 0;
    float bestSq = 0.0f;
    bool found = false;
    for (int i = 0; i < g_RoadManager.NodeCount(); ++i) {
        if (i == excluded)
            continue;
        const SRoadNode* node = g_RoadManager.GetNode(i);
        const float d2 = Vec3LengthSq(NodePosition(node->position) - position);
        if (!found || d2 < bestSq) {
            best = i;
            bestSq = d2;
            found = true;
        }
    }
    return best;
}

bool CFerroGroup::HasMember(const CFerrovant* record) const
{
    for (int i = 0; i < memberCount; ++i)
        if (&members[i] == record)
            return true;
    return false;
}
