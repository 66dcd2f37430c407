// CBuildingObject: the queue of machine groups and the entry of their members.
#include "world/objects/CBuildingObject.h"

#include "ai/CBasicGLAI.h"
#include "ai/CFerroGroup.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Numeric.h"
#include "world/db/CBuildingManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kRoadTimeOut = 7.5f;
constexpr float kDoorTimeOut = 15.0f;

Vec3 BoxCentre(const SDoorBox& b)
{
    return Vec3 { (b.min[0] + b.max[0]) * 0.5f, (b.min[1] + b.max[1]) * 0.5f, (b.min[2] + b.max[2]) * 0.5f };
}

bool Arrived(const CGliderObject& glider)
{
    return glider.ai && glider.ai->state == CBasicGLAI::kIdle;
}

void Drive(CGliderObject& glider, const Vec3& point, float speed, bool raise)
{
    if (glider.ai)
        glider.ai->MoveTo(point, speed, 30.0f, raise);
}

} // namespace

bool CBuildingObject::AddGroup(CFerroGroup* group)
{
    if (groupCount >= kMaxGroups)
        return false;
    groups[groupCount++] = group;
    group->exitQueued = 0;
    group->active = 0;
    return true;
}

void CBuildingObject::RemoveFirstGroup()
{
    std::copy(groups + 1, groups + groupCount, groups);
    groups[--groupCount] = nullptr;
}

void CBuildingObject::TrackGliders()
{
    ZJ_TRACE("CBuildingObject::TrackGliders");
    if (groupCount == 0)
        return;
    CFerroGroup* group = groups[0];
    if (!group) {
        RemoveFirstGroup();
        return;
    }
    group->exitQueued = 0;
    if (group->inBuilding) {
        group->assembled = 1;
        group->exitQueued = 1;
        group->inBuilding = 0;
        group->active = 1;
        group->OnExitFromBuilding();
        const SDoorBox* c = DoorBox(kBoxC);
        if (c)
            TransformCoord(group->position, BoxCentre(*c), frame.matrix);
        else
            group->position = frame.position;
        RemoveFirstGroup();
        trackedMember = nullptr;
        return;
    }
    if (group->assembled) {
        group->PackInBuilding(this);
        RemoveFirstGroup();
        memberAtDoor = 0;
        trackedMember = nullptr;
        return;
    }
    if (trackedMember && !trackedMember->glider)
        trackedMember = nullptr;
    if (!trackedMember) {
        for (int i = 0; i < group->memberCount && !trackedMember; ++i) {
            CFerrovant& member = group->Member(i);
            if (!member.inBuilding && !member.dead && member.glider)
                trackedMember = &member;
        }
        if (!trackedMember) {
            group->PackInBuilding(this);
            RemoveFirstGroup();
            return;
        }
        memberPhase = 0;
        memberAtDoor = 0;
        memberTimer = 0.0f;
        Drive(*trackedMember->glider, roadPoint, 0.5f, true);
        trackedMember->glider->radius *= 0.75f;
    }
    BringMember(FrameTime);
}

void CBuildingObject::BringMember(float dt)
{
    CGliderObject& glider = *trackedMember->glider;
    memberTimer += dt;
    if (memberPhase == 0) {
        if (Arrived(glider) || memberTimer > kRoadTimeOut) {
            memberPhase = 1;
            Drive(glider, doorPoint, 0.25f, false);
            memberAtDoor = 0;
            doorTimer = 0.0f;
        }
        return;
    }
    doorTimer += dt;
    if (glider.radius > 4.0f)
        DampValue(glider.radius, dt, 1.5f, 1.0e10f);
    const SDoorBox* a = DoorBox(kBoxA);
    if (doorTimer > 1.5f && a) {
        Vec3 towards;
        Vec3Sub(towards, BoxCentre(*a), ToLocal(glider.frame.position));
        Vec3 d = ToWorldAxes(towards);
        const float length = Vec3Length(d);
        if (length > 0.0f)
            Vec3Scale(d, d, std::min(length, 100.0f) / std::max(length, 10.0f) * 3.0f / length);
        Vec3Scale(glider.velocity, glider.velocity, 1.0f / std::pow(20.0f, dt));
        glider.bankCoupling = 0.75f;
        Vec3Scale(d, d, 2.0f * glider.mass);
        glider.ApplyImpulse(d);
    }
    const bool inA = InBox(kBoxA, ToLocal(glider.frame.position));
    if (inA || Arrived(glider) || memberTimer > kDoorTimeOut)
        memberAtDoor = 1;
    if (memberAtDoor && doorState == kClosed) {
        trackedMember->inBuilding = 1;
        ObjectList.DeleteObject(&glider);
        trackedMember->glider = nullptr;
        trackedMember = nullptr;
    }
}
