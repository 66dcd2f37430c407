// CSplinterObject: spawning by variant, flight with spin and trails, bounces and landing (where a
// carried object is released), the smoking rest, and drawing.
#include "world/objects/CSplinterObject.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Rand.h"
#include "render/CComplexObject.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerRemains.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CPhysics.h"
#include "world/objects/CTheThing.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr uint32_t kBlack = 0x000000u;
constexpr uint32_t kWhite = 0xFFFFFFu;
// The model shows only after this much flight.
constexpr float kModelDelay = 0.5f;

Vec3 Plus(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x + b.x, a.y + b.y, a.z + b.z };
}

Vec3 Times(const Vec3& a, float s)
{
    return Vec3 { a.x * s, a.y * s, a.z * s };
}

// A trail set up as (style, capacity, emitter, density, puff life, point size, growth).
struct STrailSetup {
    int style;
    int capacity;
    float density;
    float puffLife;
    float pointSize;
    float growth;
};

void SetUp(CSmoke& trail, const STrailSetup& s, const Vec3& at)
{
    trail.Init(s.style, s.capacity, at, s.density, s.puffLife, s.pointSize, s.growth);
}

} // namespace

CSplinterObject::CSplinterObject()
{
    type = kSplinter;
    runs = 1;
    moves = 1;
    solid = 1;
    pointSized = 1;
    alive = 1;
    visible = 1;
    hitByRays = 0;
    drawDistanceFactor = 10.0f;
    gravityOn = 1;
    pitchProbe = 1.0f;
    rollProbe = 1.0f;
    hoverHeight = 1.0f;
    pitchStiffness = 1.0f;
    rollStiffness = 1.0f;
    mass = 1.0f;
    radius = 1.0f;
    typeIndex = 0;
}

CSplinterObject::~CSplinterObject()
{
    delete source;
}

int32_t CSplinterObject::SplinterModel() const
{
    int32_t index;
    std::memcpy(&index, model.text, 4);
    return index;
}

void CSplinterObject::Spawn(
    const Matrix4& frameMatrix, NameKey32 modelRef, int32_t variantKind, CZJObject* carried)
{
    Matrix4 m = frameMatrix;
    model = modelRef;
    variant = variantKind >= kBurning && variantKind <= kCarrier ? variantKind : kPlain;
    spinning = 1;
    smoking = 1;
    source = nullptr;
    const float length = std::sqrt(m.m[0] * m.m[0] + m.m[1] * m.m[1] + m.m[2] * m.m[2]);
    scale = length > 0.0f && std::isfinite(length) ? length : 1.0f;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[4 * r + c] /= scale;
    frame.SetMatrix(m);
    frame.UpdateAxes();
    const Vec3 at = frame.position;

    switch (variant) {
    case kBurning:
        if (trailEnabled) {
            SetUp(smokeTrail, { 0, 1500, 2.0f / scale, 1.0f, 2.0f * scale, 3.0f }, at);
            smokeTrail.spiralPeriod = 10.0f;
            smokeTrail.spiralRadius = 1.0f;
        }
        SetUp(fireTrail, { 4, 1000, 5.0f / scale, 0.3f, 2.0f * scale, 10.0f }, at);
        fireTrail.spiral = 1;
        fireTrail.spiralPeriod = 1.0f;
        fireTrail.spiralRadius = 10.0f * radius;
        restLife = 5.0f;
        break;
    case kPlain:
        if (trailEnabled) {
            SetUp(smokeTrail, { 0, 300, 2.0f / scale, 0.5f, 2.0f * scale, 2.0f }, at);
            smokeTrail.spiralPeriod = 10.0f;
            smokeTrail.spiralRadius = 1.0f;
        }
        restLife = 10.0f;
        smoking = 0;
        break;
    case kWreck: {
        SetUp(smokeTrail, { 1, 400, 2.0f, 1.5f, 3.0f, 10.0f }, at);
        restLife = 40.0f;
        frame.SetPosition(Vec3 { at.x, at.y, Location.GetHeight(at, true, false) });
        moves = 0;
        spinning = 0;
        break;
    }
    case kCarrier:
        SetUp(smokeTrail, { 0, 100, 0.5f, 0.5f, 5.0f, 2.0f }, at);
        restLife = 25.0f;
        source = carried;
        smoking = 0;
        break;
    default:
        break;
    }

    flightTime = 0.0f;
    restTime = 0.0f;
    const int32_t index = SplinterModel();
    if (g_pModelManager && index >= 0 && index < g_pModelManager->GetModelCount())
        radius = g_pModelManager->GetModelRadius(index);
    if (source)
        radius = std::max(radius, source->radius);
    for (int k = 0; k < 2; ++k) {
        spinRate[k] = float(Rand() % 10 + 1) * kPi * 0.6f;
        spinAngle[k] = float(Rand() % 10 + 1) * 0.1f;
    }
}

Matrix4 CSplinterObject::SpunMatrix() const
{
    Matrix4 turn;
    Matrix4Identity(turn);
    Matrix4RotateZ(turn, spinAngle[0]);
    Matrix4 aboutY;
    Matrix4Identity(aboutY);
    const float c = std::cos(spinAngle[1]);
    const float s = std::sin(spinAngle[1]);
    aboutY.m[0] = c;
    aboutY.m[2] = -s;
    aboutY.m[8] = s;
    aboutY.m[10] = c;
    Matrix4 both;
    Matrix4Multiply(both, turn, aboutY);
    Matrix4 out;
    Matrix4Multiply(out, both, frame.matrix);
    return out;
}

void CSplinterObject::Run()
{
    ZJ_TRACE("CSplinterObject::Run");
    const float dt = FrameTime;
    const Vec3 p = frame.position;
    float h = Location.GetHeight(p, true, true);
    if (p.z - h < 10.0f)
        h = Location.GetHeight(p, false, true);
    if (!moves)
        RunResting(dt, h);
    else
        RunFlying(dt, h);
    if (smokeTrail.ready)
        smokeTrail.Update(dt);
    if (fireTrail.ready)
        fireTrail.Update(dt);
    if (smokeTrail.ready) {
        SEffectSphere& sphere = EffectSphere(0);
        sphere.active = 1;
        sphere.centre = smokeTrail.boundsCentre;
        sphere.radius = smokeTrail.boundsRadius;
        effectSphereCount = 1;
    }
    // The carried object is in no list or cell until it lands: only its frame moves.
    if (source)
        source->frame.SetPosition(
            Vec3 { frame.position.x, frame.position.y, frame.position.z + source->radius * 0.5f });
}

void CSplinterObject::RunResting(float dt, float h)
{
    restTime += dt;
    if (restTime > restLife)
        ObjectList.DeleteObject(this);
    if (!smoking || !smokeTrail.ready || smokeTrail.gap)
        return;
    const float feedTime = 0.8f * restLife;
    if (restTime < feedTime)
        smokeTrail.EmitTo(frame.position, (feedTime - restTime) / feedTime, kBlack);
    SetPosition(Vec3 { frame.position.x, frame.position.y, h - (radius / restLife) * restTime });
    smokeTrail.Drift(Vec3 { 0.0f, 0.0f, (variant == kBurning ? 7.0f : 10.0f) * dt });
}

void CSplinterObject::RunFlying(float dt, float h)
{
    const Vec3 p = frame.position;
    for (int k = 0; k < 2; ++k)
        spinAngle[k] += dt * spinRate[k];
    const float strength = std::min(flightTime, 1.0f);
    if (smokeTrail.ready) {
        if (p.z <= h + 1.0f) {
            smokeTrail.gap = 1;
        } else {
            if (smokeTrail.gap) {
                smokeTrail.emitterPoint = p;
                smokeTrail.gap = 0;
            }
            smokeTrail.EmitTo(p, strength, kBlack);
        }
    }
    if (fireTrail.ready) {
        if (smokeTrail.gap) {
            fireTrail.gap = 1;
        } else if (p.z > h) {
            const Vec3 ahead = Plus(p, Times(velocity, dt * 0.5f));
            if (fireTrail.gap) {
                fireTrail.emitterPoint = ahead;
                fireTrail.gap = 0;
            }
            fireTrail.EmitTo(ahead, strength, kWhite);
        }
    }
    flightTime += dt;

    const float r = source ? source->radius : radius;
    if (r * 0.5f + (h - p.z) <= 0.0f)
        return;
    const Vec3 n = Physics.GetMapLNormal(p, false);
    const float k = Vec3Dot(n, velocity);
    const float speed2 = Vec3LengthSq(velocity);
    if (k >= 0.0f || (speed2 <= 75.0f && (n.z >= 0.9f || speed2 <= 15.0f))) {
        Land(h);
        return;
    }
    Vec3SubInPlace(velocity, Times(n, 2.0f * k));
    Vec3ScaleInPlace(velocity, n.z >= 0.9f ? 0.5f : 0.75f);
}

void CSplinterObject::Land(float h)
{
    SetPosition(Vec3 { frame.position.x, frame.position.y, h });
    moves = 0;
    if (!source)
        return;
    CZJObject* released = source;
    source = nullptr;
    Matrix4 m = SpunMatrix();
    m.m[14] += released->radius * 0.5f;
    released->frame.SetMatrix(m);
    released->frame.UpdateAxes();
    ObjectList.AddObject(released);
    if (PlayerObject && PlayerObject->remote) {
        released->remote = 1;
        released->owned = 1;
        released->netDirty = 1;
        released->networkId = ObjectList.NextNetworkId();
        ObjectList.AddToExtraList(released);
    }
}

void CSplinterObject::QueueEffects(uint32_t argument)
{
    if (smokeTrail.IsEmpty() && fireTrail.IsEmpty())
        return;
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(viewDistance * viewDistance, this, argument);
    else
        DrawEffect(int(argument));
}

void CSplinterObject::Draw()
{
    ZJ_TRACE("CSplinterObject::Draw");
    if (source && source == PlayerRemains)
        return;
    QueueEffects(0);
    if (flightTime <= kModelDelay)
        return;
    Matrix4 world = spinning ? SpunMatrix() : frame.matrix;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            world.m[4 * r + c] *= scale;
    Location.BendToHorizon(world, false);
    const int32_t index = SplinterModel();
    CComplexObject* object = g_pModelManager && index >= 0 && index < g_pModelManager->GetModelCount()
        ? g_pModelManager->GetModel(index)
        : nullptr;
    if (object) {
        const Vec3& p = frame.position;
        LightWare.SetLights(p.x, p.y, p.z, radius);
        const float brightness = GetObjectBrightness(p);
        object->SetColor(brightness, brightness, brightness, brightness);
        g_Graphic.SetWorldMatrix(world);
        object->Render(nullptr, 0, CComplexObject::kAllGroups);
        object->ResetColor();
    }
    if (source) {
        source->frame.SetMatrix(spinning ? SpunMatrix() : frame.matrix);
        source->frame.UpdateAxes();
        source->Draw();
    }
}

void CSplinterObject::DrawNVisible()
{
    QueueEffects(1);
}

void CSplinterObject::DrawEffect(int argument)
{
    (void)argument;
    if (!smokeTrail.IsEmpty()) {
        ZJ_TRACE("Smoke");
        smokeTrail.Render(ZJEngine.ids2[CZJEngine::kTexFxRocketSmoke]);
    }
    if (!fireTrail.IsEmpty()) {
        ZJ_TRACE("FIRE");
        fireTrail.Render(ZJEngine.ids2[CZJEngine::kTexGlFireGlow]);
    }
}
