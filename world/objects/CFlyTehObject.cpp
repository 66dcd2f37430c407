#include "world/objects/CFlyTehObject.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/Graphic.h"
#include "world/db/CFlyTehManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlacedInit.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr float kNodeReach = 1000.0f;
constexpr float kNearSq = 1.0e6f;
constexpr float kAboveNode = 20.0f;
constexpr float kArrivedSq = 2500.0f;
constexpr float kFarSpeed = 277.77777f;

Vec3 NodePosition(const SRoadNode& node)
{
    return Vec3 { node.position[0], node.position[1], node.position[2] };
}

// The nearest node within 1000 of the point other than skip; -1 when none.
int NearestNode(const Vec3& point, int skip)
{
    SNearestNodes near {};
    const float p[3] = { point.x, point.y, point.z };
    g_RoadManager.FindNearestNode(p, kNodeReach, near);
    for (int i = 0; i < near.count; ++i)
        if (near.nodes[i] != skip)
            return near.nodes[i];
    return -1;
}

// asin of a direction component, limited to the turn of this step and scaled into the input.
float SteeringInput(float component, float limit)
{
    const float angle = std::asin(std::clamp(component, -1.0f, 1.0f));
    if (limit <= 0.0f)
        return 0.0f;
    if (std::fabs(angle) < limit)
        return angle / (2.0f * limit);
    return angle < 0.0f ? -1.0f : 1.0f;
}

} // namespace

CFlyTehObject::CFlyTehObject()
{
    type = 25;
    alive = 1;
    visible = 1;
    runs = 1;
    moves = 1;
    hitByRays = 1;
    solid = 1;
    pointSized = 0;
    drawDistanceFactor = 5.0f;
    gravityOn = 0;
    followsTerrain = 0;
    banks = 0;
    hovers = 1;
    steered = 1;
    mass = 1.0f;
    travelDamping = 1.2f;
    travelDampingScale = 2.0f;
    liftDampingUp = 2.0f;
    liftDampingDown = 0.0f;
    sideDamping = 2.0f;
    pitchProbe = 1.0f;
    rollProbe = 1.0f;
    hoverHeight = 1.0f;
    pitchStiffness = 1.0f / 3.0f;
    rollStiffness = 1.0f / 3.0f;
    turnRate = std::numbers::pi_v<float> * 0.25f;
    driftRoll = 1.0f;
    hoverScale = 1.0f;
}

CFlyTehObject::~CFlyTehObject()
{
    if (g_pSoundManager)
        g_pSoundManager->StopSoundControl(engineSound, uint32_t(uintptr_t(this)));
}

void CFlyTehObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CFlyTehObject::Init");
    TakePlacement(*this, placement);
    frame2 = frame;
    typeKey = typeId;
    if (g_FlyTehManager.FindRow(typeId.text) < 0) {
        char line[96];
        std::snprintf(line, sizeof line, "CFlyTehObject::Init %s not found", typeId.text);
        WriteErrorLog(line);
    } else {
        TakeTypeRow(*this, g_FlyTehManager, typeId);
    }
    currentNode = NearestNode(frame.position, -1);
    previousNode = -1;
}

void CFlyTehObject::PickNextNode()
{
    SRoadNode* node = g_RoadManager.GetNode(currentNode);
    int next = -1;
    if (node->linkCount <= 0) {
        next = NearestNode(frame.position, currentNode);
    } else {
        int choices[SRoadNode::kMaxLinks];
        int count = 0;
        for (int i = 0; i < std::min(node->linkCount, SRoadNode::kMaxLinks); ++i)
            if (node->links[i] != previousNode)
                choices[count++] = node->links[i];
        next = count == 0 ? previousNode : choices[Rand() % count];
    }
    previousNode = currentNode;
    currentNode = next;
}

void CFlyTehObject::Run()
{
    ZJ_TRACE("CFlyTehObject::Run");
    const float dt = FrameTime;
    const Vec3 eye { frame.position.x - ViewFrame.position.x, frame.position.y - ViewFrame.position.y,
        frame.position.z - ViewFrame.position.z };
    const bool near = Vec3LengthSq(eye) < kNearSq;
    moves = near;
    hitByRays = near;
    if (!typeRecord || currentNode < 0) {
        RunEngineSound(false);
        ObjectList.DeleteObject(this);
        return;
    }
    RunEngineSound(near);
    if (currentNode >= g_RoadManager.NodeCount())
        throw XRangeError();
    Vec3 target = NodePosition(*g_RoadManager.GetNode(currentNode));
    target.z += kAboveNode;
    Vec3 d { target.x - frame.position.x, target.y - frame.position.y, target.z - frame.position.z };
    const float distanceSq = Vec3LengthSq(d);
    if (distanceSq < kArrivedSq) {
        PickNextNode();
        return;
    }
    const float distance = std::sqrt(distanceSq);
    if (!near) {
        if (distance > 1.0f) {
            const float step = std::min(kFarSpeed * dt, distance);
            SetPosition(Vec3 { frame.position.x + d.x / distance * step,
                frame.position.y + d.y / distance * step, frame.position.z + d.z / distance * step });
        }
        return;
    }
    const Vec3 dir { d.x / distance, d.y / distance, d.z / distance };
    const float limit = dt * turnRate;
    SetControlX(SteeringInput(Vec3Dot(dir, frame.side), limit));
    SetControlY(SteeringInput(Vec3Dot(dir, frame.up), limit));
    const float pace = distance > 200.0f ? 25.0f : distance > 100.0f ? 5.0f : 2.5f;
    const float facing = Vec3Dot(dir, frame.forward) > 0.8f ? 1.0f : 0.1f;
    SetThrottle(pace * facing * 1.5f);
}

void CFlyTehObject::RunEngineSound(bool near)
{
    if (!g_pSoundManager)
        return;
    const uint32_t tag = uint32_t(uintptr_t(this));
    const int sound = typeRecord ? static_cast<const SFlyTehType*>(typeRecord)->sound.Index() : -1;
    if (!near || sound < 0) {
        if (engineSound != -1)
            g_pSoundManager->StopSoundControl(engineSound, tag);
        return;
    }
    engineSound = g_pSoundManager->GetSoundControl(sound, engineSound, tag, frame.position, true);
    if (engineSound == -1)
        return;
    g_pSoundManager->SetSoundControlVelocity(
        engineSound, Vec3 { velocity.x * 3.0f, velocity.y * 3.0f, velocity.z * 3.0f });
    g_pSoundManager->PlaySoundControl(engineSound, frame.position, true, true);
}

void CFlyTehObject::Draw()
{
    ZJ_TRACE("CFlyTehObject::Draw");
    // The placement in the model's axes: x negated, y and z exchanged, scaled by 4.
    Matrix4 swap;
    AxisSwapMatrix(swap);
    Matrix4 model;
    Matrix4Multiply(model, swap, frame.matrix);
    for (int i = 0; i < 12; ++i)
        model.m[i] *= kModelScale;
    model.m[12] = frame.position.x;
    model.m[13] = frame.position.y;
    model.m[14] = frame.position.z;
    model.m[15] = 1.0f;
    frame2.matrix = model;
    CComplexObject* object = GetComplexModel();
    if (!object)
        return;
    Matrix4 world = model;
    Location.BendToHorizon(world, false);
    g_Graphic.SetWorldMatrix(world);
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    const float brightness = GetObjectBrightness(p);
    object->SetColor(brightness, brightness, brightness, brightness);
    object->Render(nullptr, 0, CComplexObject::kAllGroups);
    object->ResetColor();
}
