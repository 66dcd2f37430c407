#include "world/objects/CCamera.h"

#include "foundation/CViewFrame.h"
#include "foundation/XMemBuffer.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/ObjectMath.h"
#include "world/objects/PlayerGlobals.h"

#include <cmath>
#include <numbers>

int32_t CameraMode = CCamera::kAttached;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

Vec3 Sub(const Vec3& a, const Vec3& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}
float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The chase distance unit of a target: a glider's hull radius, any other object's radius.
float ChaseRadius(const CZJObject& target)
{
    const auto* glider = dynamic_cast<const CGliderObject*>(&target);
    return glider ? glider->bodyRadius : target.radius;
}

// The 3x3 part of m, translation and fourth column of an identity.
Matrix4 Rotation(const Matrix4& m)
{
    return Matrix4 { { m.m[0], m.m[1], m.m[2], 0, m.m[4], m.m[5], m.m[6], 0, m.m[8], m.m[9], m.m[10], 0, 0, 0,
        0, 1 } };
}

} // namespace

CCamera::CCamera()
{
    type = kCamera;
    pitchStiffness = rollStiffness = 9.0f;
    turnRate = 4.0f * kPi;
    pitchProbe = rollProbe = hoverHeight = 2.5f;
    travelDamping = liftDampingUp = liftDampingDown = sideDamping = 100.0f;
    mass = 1.0f;
    travelDampingScale = 1.0f;
    moves = alive = runs = networked = 1;
    radius = 2.5f;
    gravityOn = hovers = steered = followsTerrain = 1;
    notifyOnDelete = 1;
    Matrix4Identity(relativeRotation);
}

void CCamera::AttachViewTarget(CZJObject* target)
{
    CameraMode = kAttached;
    if (attachedTarget)
        attachedTarget->visible = 1;
    moves = target != nullptr;
    attachedTarget = target;
    if (target) {
        target->visible = 0;
        owner = target;
    }
    pitchStiffness = rollStiffness = 9.0f;
    turnRate = 2.0f * kPi;
    pitchProbe = rollProbe = hoverHeight = 2.5f;
    driftRoll = spareCoefficient = 0.0f;
    mass = 0.03f;
    travelDamping = 4.0f;
    liftDampingUp = liftDampingDown = sideDamping = 2.5f;
    gravityOn = hovers = steered = followsTerrain = 1;
}

void CCamera::SetChaseMode(CZJObject* target)
{
    AttachViewTarget(nullptr);
    CameraMode = kChase;
    moves = 1;
    lookTarget = target;
    offset[0] = 13.0f;
    offset[1] = 10.0f;
    offset[2] = 6.0f;
    if (!target)
        return;
    const CTransform& t = target->frame;
    const float r = ChaseRadius(*target);
    const float back = 13.0f * r * 0.3f;
    const float rise = 6.0f * r * 0.3f;
    frame.SetPosition(Vec3 { t.position.x - t.forward.x * back + t.up.x * rise,
        t.position.y - t.forward.y * back + t.up.y * rise,
        t.position.z - t.forward.z * back + t.up.z * rise });
    owner = target;
}

void CCamera::ResetFreeMotion()
{
    pitchStiffness = rollStiffness = 50.0f;
    gravityOn = hovers = followsTerrain = 0;
    driftRoll = spareCoefficient = 0.0f;
    moves = 1;
    turnRate = kPi;
    mass = 0.03f;
    travelDamping = liftDampingUp = liftDampingDown = sideDamping = 100.0f;
}

void CCamera::SetFreeMode()
{
    AttachViewTarget(nullptr);
    velocity = Vec3 {};
    thrust = 0.0f;
    lookTarget = nullptr;
    ResetFreeMotion();
    CameraMode = kFree;
}

void CCamera::SetOrbitMode(CZJObject* target)
{
    AttachViewTarget(nullptr);
    lookTarget = target;
    ResetFreeMotion();
    CameraMode = kOrbit;
}

void CCamera::SetFixedMode(CZJObject* target)
{
    AttachViewTarget(nullptr);
    lookTarget = target;
    moves = 0;
    CameraMode = kFixed;
}

void CCamera::AttachFixed(CZJObject* target)
{
    AttachViewTarget(nullptr);
    lookTarget = target;
    moves = 0;
    CameraMode = kFixedOffset;
    if (!target)
        return;
    const Matrix4& t = target->frame.matrix;
    Vec3 local;
    TransformVector3(local, t, Sub(frame.position, target->frame.position));
    offset[0] = local.x;
    offset[1] = local.y;
    offset[2] = local.z;
    Matrix4 inverse = Rotation(t);
    Math::InverseMatrix3(t, inverse);
    Matrix4 relative;
    Matrix4Multiply(relative, Rotation(frame.matrix), inverse);
    relativeRotation = relative;
}

void CCamera::ApplyViewMode()
{
    CZJObject* glider = PlayerGlider;
    if (CameraMode < kAttached || CameraMode > kFixedOffset)
        return;
    if (!glider) {
        SetFreeMode();
        return;
    }
    switch (CameraMode) {
    case kAttached:
        AttachViewTarget(glider);
        break;
    case kChase:
        SetChaseMode(glider);
        break;
    case kFree:
        SetFreeMode();
        break;
    case kOrbit:
        SetOrbitMode(glider);
        break;
    case kFixed:
        SetFixedMode(glider);
        break;
    default:
        AttachFixed(glider);
        break;
    }
}

void CCamera::Run()
{
    if (!lookTarget)
        return;
    const CTransform& t = lookTarget->frame;
    if (CameraMode == kChase) {
        const float r = ChaseRadius(*lookTarget);
        Vec3 h { t.forward.x, t.forward.y, 0.0f };
        const float h2 = h.x * h.x + h.y * h.y;
        if (h2 >= 0.0001f) {
            const float inverse = 1.0f / std::sqrt(h2);
            h = Vec3 { h.x * inverse, h.y * inverse, 0.0f };
        }
        const float back = r * offset[0] * 0.3f;
        const Vec3 desired { t.position.x - h.x * back, t.position.y - h.y * back,
            t.position.z + r * offset[2] * 0.3f };
        const Vec3 d = Sub(desired, frame.position);
        const Vec3 e { d.x * 20.0f, d.y * 20.0f, d.z * 20.0f };
        const float s = Dot(t.forward, e);
        const float u = 0.5f * Dot(t.up, e);
        const float w = 0.5f * Dot(t.side, e);
        velocity = Vec3 { t.forward.x * s + t.up.x * u + t.side.x * w,
            t.forward.y * s + t.up.y * u + t.side.y * w, t.forward.z * s + t.up.z * u + t.side.z * w };
    } else if (CameraMode == kFixedOffset) {
        Vec3 moved;
        TransformNormal(moved, Vec3 { offset[0], offset[1], offset[2] }, t.matrix);
        Matrix4 rotation;
        Matrix4Multiply(rotation, relativeRotation, Rotation(t.matrix));
        for (int i : { 0, 1, 2, 4, 5, 6, 8, 9, 10 })
            frame.matrix.m[i] = rotation.m[i];
        frame.SetPosition(Vec3 { t.position.x + moved.x, t.position.y + moved.y, t.position.z + moved.z });
        frame.UpdateAxes();
    }
}

void CCamera::UpdateView()
{
    switch (CameraMode) {
    case kAttached:
        if (!attachedTarget)
            return;
        frame.CopyFrom(attachedTarget->frame);
        break;
    case kChase:
    case kOrbit:
    case kFixed: {
        if (!lookTarget)
            return;
        const CTransform& t = lookTarget->frame;
        const Vec3 look { t.position.x + t.up.x * offset[1], t.position.y + t.up.y * offset[1],
            t.position.z + t.up.z * offset[1] };
        const Vec3 d = Sub(look, frame.position);
        const float d2 = Dot(d, d);
        if (d2 > 1e-6f) {
            const float inverse = 1.0f / std::sqrt(d2);
            frame.SetDirection(Vec3 { d.x * inverse, d.y * inverse, d.z * inverse });
        }
        break;
    }
    case kFixedOffset:
        if (!lookTarget)
            return;
        break;
    default:
        break;
    }
    for (int i : { 0, 1, 2, 4, 5, 6, 8, 9, 10 })
        ViewFrame.matrix.m[i] = frame.matrix.m[i];
    ViewFrame.SetViewPosition(frame.position);
    ViewFrame.Apply(true);
}

void CCamera::ProcessDelete(CZJObject* deleted)
{
    if (attachedTarget == deleted)
        attachedTarget = nullptr;
    if (lookTarget == deleted)
        lookTarget = nullptr;
    if (owner == deleted)
        owner = nullptr;
}

void CCamera::SaveGame(XMemBuffer& stream, int* size, bool shortForm)
{
    const int start = stream.Position();
    CDynamicObject::SaveGame(stream, size, shortForm);
    stream.WriteValue(static_cast<uint32_t>(CameraMode));
    stream.Write(offset, sizeof offset);
    *size = stream.Position() - start;
}

void CCamera::LoadGame(XMemBuffer& stream, int* size, bool shortForm)
{
    const int start = stream.Position();
    CDynamicObject::LoadGame(stream, size, shortForm);
    const uint32_t mode = stream.ReadU32();
    float words[3];
    for (float& word : words)
        word = stream.ReadF32();
    *size = stream.Position() - start;
    if (std::isfinite(words[0]) && std::isfinite(words[1]) && std::isfinite(words[2])) {
        for (int i = 0; i < 3; ++i)
            offset[i] = words[i];
    }
    if (mode > uint32_t(kFixedOffset))
        return;
    const Vec3 position = frame.position;
    const uint8_t moving = moves;
    CameraMode = int32_t(mode);
    ApplyViewMode();
    frame.SetPosition(position);
    moves = moving;
}

void CCamera::SetStrafe(float value)
{
    const CZJObject* glider = PlayerGlider;
    if (!glider)
        return;
    const float k = -value * 3.0f / mass;
    velocity = Vec3 { glider->frame.side.x * k, glider->frame.side.y * k, glider->frame.side.z * k };
}
