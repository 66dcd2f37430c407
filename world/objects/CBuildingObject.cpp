// CBuildingObject: placement, the door, the entrance and the docking pull of the player, exit
// placement, saving and drawing. The groups' entry is in CBuildingObject_groups.cpp.
#include "world/objects/CBuildingObject.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Numeric.h"
#include "foundation/Rand.h"
#include "foundation/SharedText.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kRoadReachSq = 90000.0f; // 300 units
constexpr float kExitDistance = 300.0f;
constexpr int kWeightCount = 5;

bool IsEmpty(const SDoorBox& b)
{
    return b.min[0] == b.max[0] && b.min[1] == b.max[1] && b.min[2] == b.max[2];
}

Vec3 Center(const SDoorBox& b)
{
    return Vec3 { (b.min[0] + b.max[0]) * 0.5f, (b.min[1] + b.max[1]) * 0.5f, (b.min[2] + b.max[2]) * 0.5f };
}

bool Contains(const SDoorBox& b, const Vec3& p)
{
    return p.x >= b.min[0] && p.x <= b.max[0] && p.y >= b.min[1] && p.y <= b.max[1] && p.z >= b.min[2]
        && p.z <= b.max[2];
}

} // namespace

CBuildingObject::CBuildingObject()
{
    type = kBuilding;
    runs = 1;
    hitByRays = 1;
    alive = 1;
    visible = 1;
    notDrawn = 0;
    moves = 0;
    solid = 0;
    effectInView = 0;
    lod = 0;
}

CBuildingObject::~CBuildingObject() = default;

void CBuildingObject::Init(const float* placement, NameKey32 typeId, const char* propertyText)
{
    ZJ_TRACE("CBuildingObject::Init");
    if (placement) {
        Matrix4 m;
        std::memcpy(m.m, placement, sizeof m.m);
        frame.SetMatrix(m);
        frame.UpdateAxes();
    }
    typeKey = typeId;
    if (propertyText)
        std::snprintf(name, sizeof name, "%s", propertyText);
    const int row = g_BuildingManager.FindRow(typeId.text);
    if (row < 0) {
        WriteErrorLog(FormatSharedText("CBuildingObject::Init unknown building type '%s'", typeId.text));
        throw XRangeError();
    }
    typeIndex = row;
    typeRecord = g_BuildingManager.GetDescData(row);
    // The model table's radius: the model itself is not loaded while the objects file is read.
    const int32_t model = ModelIndex();
    if (g_pModelManager && model >= 0 && model < g_pModelManager->GetModelCount()) {
        const float* m = frame.matrix.m;
        radius = g_pModelManager->GetModelRadius(model) * std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    }
    frame2 = frame;
    saved = name[0] != 0;
    doorState = kClosed;
    doorValue = 0.0f;
    if (IsTurning()) {
        notDrawn = 1;
        ObjectList.AddWatched(this);
    }
}

const SBuildingType* CBuildingObject::Row() const
{
    return static_cast<const SBuildingType*>(typeRecord);
}

const SDoorBox* CBuildingObject::DoorBox(int i) const
{
    const SBuildingType* row = Row();
    return row && !IsEmpty(row->doors[i]) ? &row->doors[i] : nullptr;
}

bool CBuildingObject::IsTurning() const
{
    return Row() && Row()->kind == kTurningKind;
}

void CBuildingObject::PrepareRow()
{
    if (Row() && !Row()->prepared)
        g_BuildingManager.InitBuilding(typeIndex);
}

Vec3 CBuildingObject::ToLocal(const Vec3& p) const
{
    Vec3 d, local;
    Vec3Sub(d, p, frame.position);
    TransformVector3(local, frame2.matrix, d);
    return local;
}

Vec3 CBuildingObject::ToWorldAxes(const Vec3& local) const
{
    Vec3 out;
    TransformNormal(out, local, frame2.matrix);
    return out;
}

bool CBuildingObject::InBox(int box, const Vec3& local) const
{
    const SDoorBox* b = DoorBox(box);
    return b && Contains(*b, local);
}

bool CBuildingObject::InEntrance(const Vec3& local) const
{
    return InBox(kBoxA, local) || InBox(kBoxB, local);
}

void CBuildingObject::FirstRun()
{
    runFlag = 1;
    pointIndex = g_RoadManager.FindNodeByName(name);
    if (name[0] == 0)
        return;
    const SRoadNode* node = g_RoadManager.GetNode(pointIndex);
    if (node)
        roadPoint = Vec3 { node->position[0], node->position[1], node->position[2] };
    const SDoorBox* a = DoorBox(kBoxA);
    if (!a)
        return;
    TransformCoord(doorPoint, Center(*a), frame.matrix);
    Vec3 d;
    Vec3Sub(d, doorPoint, roadPoint);
    if (node && Vec3LengthSq(d) > kRoadReachSq)
        WriteErrorLog(
            FormatSharedText("CBuildingObject::Run road item and building is too far gameid='%s'", name));
}

void CBuildingObject::Run()
{
    ZJ_TRACE("CBuildingObject::Run");
    const float dt = FrameTime;
    if (instancePending && instance) {
        instance->Update(dt);
        SEffectSphere& sphere = EffectSphere(0);
        sphere.active = 1;
        sphere.radius = instance->effectRadius;
        sphere.centre = instance->effectCentre;
        effectSphereCount = 1;
    }
    instancePending = 0;
    if (IsTurning()) {
        Matrix4 turn;
        Matrix4Identity(turn);
        Matrix4RotateZ(turn, kPi * dt * 0.1f);
        Matrix4 placed = frame.matrix;
        Matrix4Multiply(placed, turn, placed);
        frame.SetMatrix(placed);
        frame.UpdateAxes();
        bobOffset = 20.0f * std::sin(0.5f * float(uint32_t(id)) + 0.5f * GameClockF32);
        return;
    }
    PrepareRow();
    if (!runFlag)
        FirstRun();
    if (groupCount != 0)
        TrackGliders();

    CGliderObject* player = PlayerGlider;
    bool playerNear = false;
    if (player) {
        const Vec3 local = ToLocal(player->frame.position);
        if (InEntrance(local))
            PublishEntrance();
        playerNear = InBox(kBoxC, local) || InBox(kBoxD, local);
    }
    bool memberInside = false;
    if (trackedMember && trackedMember->glider)
        memberInside = InEntrance(ToLocal(trackedMember->glider->frame.position));
    DecideDoor(player, playerNear, memberInside, dt);
    StepDoor(dt);
}

void CBuildingObject::PublishEntrance()
{
    SPendingAction& action = ZJEngine.pendingAction;
    action.actionPending = 1;
    ZJEngine.currentBuilding = this;
    action.actionBuilding = MakeNameKey32(name);
    action.actionBuildingType = typeKey;
    action.actionCode = 1;
}

void CBuildingObject::DecideDoor(CGliderObject* player, bool playerNear, bool memberInside, float dt)
{
    const auto memberWaits = [this](int box) {
        return DoorBox(box) && trackedMember && trackedMember->glider && !memberAtDoor
            && InBox(box, ToLocal(trackedMember->glider->frame.position));
    };
    if (memberInside) {
        doorState = kClosing;
        return;
    }
    if (playerNear || memberWaits(kBoxC) || memberWaits(kBoxD)) {
        if (doorState == kClosed) {
            PlayDoorSound();
            doorValue = 0.0f;
            doorState = kOpening;
        } else if (doorState == kClosing) {
            doorState = kOpening;
        }
        if (playerNear) {
            approachTimer += dt;
            if (approachTimer > 1.0f)
                PullPlayer(*player, dt);
        }
        return;
    }
    if (doorState == kOpen)
        openTimer += dt;
    if (approachTimer != 0.0f && player)
        player->radius = player->bodyRadius;
    approachTimer = 0.0f;
}

void CBuildingObject::StepDoor(float dt)
{
    switch (doorState) {
    case kOpening:
        doorValue += 2.0f * dt;
        if (doorValue > 2.0f) {
            openTimer = 0.0f;
            doorState = kOpen;
            doorValue = 2.0f;
        }
        break;
    case kOpen:
        if (openTimer > 5.0f) {
            doorState = kClosing;
            PlayDoorSound();
            doorValue = 2.0f;
        }
        break;
    case kClosing:
        doorValue -= 2.0f * dt;
        if (doorValue <= 0.0f) {
            doorState = kClosed;
            doorValue = 0.0f;
        }
        break;
    default:
        break;
    }
}

void CBuildingObject::PlayDoorSound()
{
    if (!g_pSoundManager)
        return;
    const SDoorBox* c = DoorBox(kBoxC);
    Vec3 at = frame.position;
    if (c)
        Vec3AddInPlace(at, ToWorldAxes(Center(*c)));
    g_pSoundManager->Play3DSound(ZJEngine.ids1[CZJEngine::kSndBldDoorOpen], at);
}

void CBuildingObject::PullPlayer(CGliderObject& player, float dt)
{
    const Vec3 local = ToLocal(player.frame.position);
    Vec3 d {};
    float dist = -1.0f;
    for (int box : { kBoxA, kBoxB }) {
        const SDoorBox* b = DoorBox(box);
        if (!b)
            continue;
        Vec3 towards;
        Vec3Sub(towards, Center(*b), local);
        const Vec3 world = ToWorldAxes(towards);
        const float length = Vec3Length(world);
        if (dist < 0.0f || length < dist) {
            d = world;
            dist = length;
        }
    }
    if (dist <= 0.0f)
        return;
    Vec3Scale(d, d, 1.0f / dist);
    const float facing = Vec3Dot(d, player.frame.forward);
    const float k = facing >= 0.75f ? ((facing - 0.75f) * 4.0f) * ((facing - 0.75f) * 4.0f) : 0.0f;
    const float q = std::max(10.0f * std::pow(dist * 0.1f, 4.0f), 10.0f);
    Vec3Scale(d, d, 50000.0f / q);
    if (dist >= 250.0f || k <= 0.0f)
        return;
    if (dist < 100.0f && player.radius > 4.0f)
        DampValue(player.radius, dt, 4.0f, 1.0e10f);
    const float s = std::clamp((approachTimer - 1.0f) * 0.25f, 1.0f, 4.0f);
    Vec3Scale(d, d, s * k * player.mass);
    player.ApplyImpulse(d);
}

void CBuildingObject::PlaceAtExit(CZJObject* object)
{
    ZJ_TRACE("CBuildingObject::PlaceAtExit");
    PrepareRow();
    const SDoorBox* a = DoorBox(kBoxA);
    const SDoorBox* c = DoorBox(kBoxC);
    const float offsetX = RandRange(10.0f) - 5.0f;
    const float offsetY = RandRange(10.0f) - 5.0f;
    if (!a || !c) {
        const float* m = frame.matrix.m;
        Vec3 p { frame.position.x - kExitDistance * m[4] + offsetX,
            frame.position.y - kExitDistance * m[5] + offsetY, frame.position.z - kExitDistance * m[6] };
        object->SetPosition(p);
        object->frame.RotateZ(kPi);
        object->frame.UpdateAxes();
    } else {
        const Vec3 centreA = Center(*a);
        const Vec3 centreC = Center(*c);
        Vec3 p;
        TransformCoord(p, centreC, frame.matrix);
        const float heading = -std::atan2(centreC.x - centreA.x, centreC.y - centreA.y);
        Matrix4 turn, swap, m;
        Matrix4Identity(turn);
        Matrix4RotateZ(turn, heading);
        AxisSwapMatrix(swap);
        Matrix4Multiply(m, turn, swap);
        Matrix4 rotation;
        MultiplyRotation3(rotation, m, frame2.matrix);
        object->frame.SetMatrix(rotation);
        object->frame.UpdateAxes();
        if (object->type == kGlider) {
            auto* glider = static_cast<CGliderObject*>(object);
            glider->aimDirection = Vec3 { rotation.m[2], rotation.m[6], rotation.m[10] };
        }
        p.x += offsetX;
        p.y += offsetY;
        object->SetPosition(p);
    }
    if (object->moves)
        static_cast<CDynamicObject*>(object)->velocity = Vec3 {};
    if (object == PlayerGlider) {
        approachTimer = 0.0f;
        PlayerGlider->thrustSound = 0.0f;
        PlayerGlider->hoverSound = 0.0f;
    }
}

void CBuildingObject::SaveToStream2(XMemBuffer& stream)
{
    if (groupCount > kMaxGroups)
        throw XRangeError();
    CZJObject::SaveToStream2(stream);
    stream.WriteValue(uint32_t(groupCount));
    for (int i = 0; i < groupCount; ++i) {
        char groupName[32] = {};
        if (groups[i])
            std::snprintf(groupName, sizeof groupName, "%s", groups[i]->name);
        stream.Write(groupName, sizeof groupName);
    }
}

void CBuildingObject::LoadFromStream2(XMemBuffer& stream)
{
    CZJObject::LoadFromStream2(stream);
    const uint32_t count = stream.ReadU32();
    if (count > uint32_t(kMaxGroups)) {
        WriteErrorLog(FormatSharedText("CBuildingObject::LoadFromStream2 group count %u", count));
        throw XRangeError();
    }
    groupCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        char groupName[33] = {};
        stream.Read(groupName, 32);
        CFerroGroup* group = FerroGroupList.FindGroupByName(groupName);
        if (!group) {
            WriteErrorLog(
                FormatSharedText("CBuildingObject::LoadFromStream2 group not found '%s'", groupName));
            continue;
        }
        groups[groupCount++] = group;
    }
}

const XDynamicArray<SCollisionTriangle>* CBuildingObject::GetModel()
{
    CComplexObject* model = GetComplexModel();
    return model ? &model->GetShape(doorState == kOpen ? 1 : 0) : nullptr;
}

void CBuildingObject::ReleaseDeviceObjects()
{
    instance.reset();
}

void CBuildingObject::Draw()
{
    CComplexObject* model = GetComplexModel();
    if (!model)
        return;
    if (!instance) {
        instance = std::make_unique<CModelInstance>();
        instance->Init(ModelIndex(), model);
    }
    if (instance->hasEmitter) {
        if (EffectRenderManager.IsCollecting())
            EffectRenderManager.AddEffect(viewDistance * viewDistance, this, 1);
        else
            DrawEffect(1);
    }
    PrepareRow();
    float weights[kWeightCount] = {};
    const SBuildingType* row = Row();
    if (row && row->doorAnimation >= 0 && row->doorAnimation < kWeightCount) {
        const float w = doorValue * 0.5f;
        weights[row->doorAnimation] = row->reverseOpen ? 1.0f - w : w;
    }
    Matrix4 world = frame.matrix;
    world.m[14] += bobOffset;
    g_Graphic.SetWorldMatrix(world);
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    const float brightness = GetObjectBrightness(p);
    model->SetColor(brightness, brightness, brightness, brightness);
    model->Render(weights, 0, CComplexObject::kAllGroups);
}

void CBuildingObject::DrawEffect(int argument)
{
    (void)argument;
    if (!instance || !instance->hasEmitter)
        return;
    Matrix4 world = frame.matrix;
    world.m[14] += bobOffset;
    g_Graphic.SetWorldMatrix(world);
    instance->Render();
    instancePending = 1;
}
