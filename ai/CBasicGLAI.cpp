#include "ai/CBasicGLAI.h"

#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>

const Vec3 DefaultAIOffset { 15.0f, 0.0f, 0.0f };

namespace {

struct SAttackParams {
    int sidePeriod;
    float closingThrottle;
    int rocketPeriod;
    int missilePeriod;
    float gunRange;
    int lead1;
    int lead2;
};

constexpr SAttackParams kAttackParams[3] = {
    { 100, 0.9f, 800, 100, 230.0f, 7, 9 },
    { 60, 1.1f, 500, 75, 260.0f, 6, 8 },
    { 20, 2.0f, 250, 60, 400.0f, 3, 5 },
};

Vec3 Sub(const Vec3& a, const Vec3& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}

float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The unit direction from a to b and the squared distance; the direction is 0 when they meet.
Vec3 Direction(const Vec3& from, const Vec3& to, float& dist2)
{
    const Vec3 d = Sub(to, from);
    dist2 = Dot(d, d);
    const float length = std::sqrt(dist2);
    return length > 0.0f ? Vec3 { d.x / length, d.y / length, d.z / length } : Vec3 {};
}

float SafeAsin(float x)
{
    return std::asin(std::clamp(x, -1.0f, 1.0f));
}

// a / (2r) within the turn of one frame, else its sign.
float TurnInput(float a, float r)
{
    if (std::fabs(a) <= r && r > 0.0f)
        return a / (2.0f * r);
    if (a == 0.0f)
        return 0.0f;
    return a > 0.0f ? 1.0f : -1.0f;
}

bool Multiple(int tick, int period)
{
    return period > 0 && tick % period == 0;
}

float RandomSide()
{
    return Rand() % 2 == 0 ? -1.0f : 1.0f;
}

Vec3 VelocityOf(const CZJObject* object)
{
    const auto* moving = dynamic_cast<const CDynamicObject*>(object);
    return moving ? moving->velocity : Vec3 {};
}

} // namespace

CBasicGLAI::CBasicGLAI()
    : clock(SharedRandom.Get(100.0f))
{
}

int CBasicGLAI::Level() const
{
    return glider->ferrovant ? std::clamp(glider->ferrovant->level, 0, 10) : 0;
}

void CBasicGLAI::SetThrottle(float value)
{
    glider->SetThrottle(value);
}

bool CBasicGLAI::TargetLost() const
{
    if (target == nullptr)
        return true;
    if (target->type != 14)
        return false;
    const auto* other = static_cast<const CGliderObject*>(target);
    return other->dead || !other->alive;
}

void CBasicGLAI::Run()
{
    ZJ_TRACE("CBasicGLAI::Run");
    if (glider->dead)
        return;
    glider->bankCoupling = 0.0f;
    clock += FrameTime * 10.0f;
    tick = int32_t(clock);
    switch (state) {
    case kIdle:
        ProcessIdle();
        break;
    case kGo:
        ProcessGo();
        break;
    case kAttack:
        ProcessAttack();
        break;
    case kFollow:
        ProcessFollow();
        break;
    case kRetreat:
        ProcessRetreat();
        break;
    case kMove:
        ProcessMove();
        break;
    default:
        break;
    }
}

void CBasicGLAI::Stop()
{
    state = kIdle;
    idleAction = -1;
    idleTime = 0.0f;
}

void CBasicGLAI::Go(const SAIReference* reference, const Vec3& goOffset)
{
    object = reference;
    offset = goOffset;
    if (state != kGo)
        stuckTime = blockedTime = 0.0f;
    state = kGo;
}

void CBasicGLAI::Follow(const SAIReference* reference)
{
    object = reference;
    if (state != kFollow)
        stuckTime = blockedTime = 0.0f;
    state = kFollow;
}

void CBasicGLAI::Attack(CZJObject* opponent)
{
    target = opponent;
    state = kAttack;
}

void CBasicGLAI::Retreat(CZJObject* opponent, const SAIReference* reference)
{
    target = opponent;
    object = reference;
    state = kRetreat;
}

void CBasicGLAI::MoveTo(const Vec3& point, float speed, float radius, bool raise)
{
    movePoint = point;
    if (raise)
        movePoint.z += 12.0f;
    moveSpeed = speed;
    moveRadius2 = radius * radius;
    if (state != kMove)
        blockedTime = 0.0f;
    state = kMove;
}

void CBasicGLAI::ProcessIdle()
{
    const float t = FrameTime;
    glider->bankCoupling = 1.0f;
    SetThrottle(0.0f);
    glider->SetStrafe(0.0f);
    float turn = 0.0f;
    if (idleTime > 0.0f) {
        switch (idleAction) {
        case 0:
            glider->SetStrafe(0.25f);
            break;
        case 1:
            glider->SetStrafe(-0.25f);
            break;
        case 2:
            turn = 0.5f;
            break;
        case 3:
            turn = -0.5f;
            break;
        default:
            break;
        }
        idleTime -= t;
    }
    if (glider->controlX != turn)
        glider->SetControlX(turn);
    if (glider->controlY != 0.0f)
        glider->SetControlY(0.0f);
    if (Multiple(tick, 100)) {
        idleAction = Rand() % 4;
        idleTime = 0.5f;
    }
}

void CBasicGLAI::ProcessGo()
{
    ZJ_TRACE("CBasicGLAI::ProcessGo");
    const Vec3& at = object->position;
    GoTo({ at.x + offset.x, at.y + offset.y, at.z + offset.z }, 2000.0f, 1.0f, true);
}

void CBasicGLAI::ProcessFollow()
{
    const Vec3& at = object->position;
    const float dx = at.x - glider->frame.position.x;
    const float dy = at.y - glider->frame.position.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const Vec3 side
        = length > 0.0f ? Vec3 { -dy / length * 15.0f, dx / length * 15.0f, 0.0f } : DefaultAIOffset;
    GoTo({ at.x + side.x, at.y + side.y, at.z + side.z }, 4900.0f, 2.0f, true);
}

void CBasicGLAI::ProcessMove()
{
    ZJ_TRACE("CBasicGLAI::ProcessMove");
    GoTo(movePoint, moveRadius2, moveSpeed, true);
}

void CBasicGLAI::GoTo(Vec3 point, float radius2, float speed, bool raise)
{
    const float t = FrameTime;
    if (raise)
        point.z += 12.0f;
    float dist2 = 0.0f;
    const Vec3 n = Direction(glider->frame.position, point, dist2);
    if (dist2 < radius2 || dist2 == 0.0f) {
        glider->bankCoupling = 1.0f;
        Stop();
        return;
    }
    const Vec3& v = glider->velocity;
    const float speed2 = v.x * v.x + v.y * v.y + 1.0f;
    const float closing = Dot(n, v) / std::sqrt(speed2);
    const float facing = speed > 1.0f ? 1.0f : Dot(n, glider->frame.forward);
    if (closing > 0.75f && speed2 < 625.0f) {
        blockedTime += t;
        if (blockedTime > 2.0f) {
            blockedTime -= 1.0f;
            glider->Jump(1.0f);
        }
        speed = 2.0f;
    } else {
        blockedTime = 0.0f;
    }
    if (facing > 0.75f && speed2 < 225.0f && stuckTime < 7.5f) {
        stuckTime += t;
        if (stuckTime > 3.0f) {
            glider->SetStrafe(stuckTime - std::floor(stuckTime) <= 0.5f ? 1.0f : -1.0f);
            speed = -0.5f;
        }
    } else if (stuckTime < 3.0f || stuckTime > 7.5f) {
        stuckTime = 0.0f;
    }
    const float near = speed * 3000.0f + 2.0f * radius2;
    if (closing < 0.0f && speed2 > 100.0f && dist2 < near && stuckTime < 3.0f) {
        glider->bankCoupling = 1.0f;
        SetThrottle(0.0f);
    } else if (dist2 > near) {
        SetThrottle(facing <= (speed >= 1.0f ? 0.5f : 0.9f) ? facing * speed * 0.15f : speed);
    } else if (facing <= 0.95f) {
        SetThrottle(facing * speed * 0.1f);
    } else {
        SetThrottle(speed2 <= (speed * 100.0f) * (speed * 100.0f) ? speed : speed * 0.5f);
    }
    SteerTo({ point.x - t * v.x, point.y - t * v.y, point.z - t * v.z }, radius2 < 1.0f);
}

void CBasicGLAI::SteerTo(const Vec3& p, bool precise)
{
    const Vec3& f = glider->frame.forward;
    float dist2 = 0.0f;
    const Vec3 n = Direction(glider->frame.position, p, dist2);
    if (dist2 == 0.0f)
        return;
    const float length = std::sqrt(dist2);
    const float h = std::sqrt(n.x * n.x + n.y * n.y);
    const float fh = std::sqrt(f.x * f.x + f.y * f.y);
    const float g = std::clamp(Dot(p, p) * 0.00017777778f - 0.5f, 0.0f, 1.0f);
    const float r = FrameTime * glider->turnRate;
    float turn = 0.0f;
    float climb = 0.0f;
    if (Level() >= 4 && precise) {
        turn = TurnInput(SafeAsin(n.x * f.y - n.y * f.x), r);
        climb = TurnInput(SafeAsin(f.z * h - n.z * fh) * g, r);
    } else {
        float c = n.x * f.y - n.y * f.x;
        if (!precise)
            c = c > 0.0f ? c * 1.5f + 0.05f : c * 1.5f - 0.05f;
        const float k
            = std::fabs(c) > 0.5f || precise || length < 50.0f ? 1.0f : 1.0f / std::max(0.02f * length, 3.0f);
        turn = std::clamp(c, -1.0f, 1.0f) * k;
        climb = std::clamp((f.z * h - n.z * fh) * g, -1.0f, 1.0f);
    }
    if (glider->controlX != turn)
        glider->SetControlX(turn);
    if (glider->controlY != climb)
        glider->SetControlY(climb);
}

void CBasicGLAI::ProcessAttack()
{
    ZJ_TRACE("CBasicGLAI::ProcessAttack");
    bool lost = false;
    {
        ZJ_TRACE("TestTarget");
        lost = TargetLost();
    }
    if (lost) {
        Stop();
        return;
    }
    const float t = FrameTime;
    SAttackParams params = kAttackParams[std::clamp(Difficulty, 0, 2)];
    const int level = Level();
    if (level >= 8)
        params.rocketPeriod /= 2;
    if (level >= 9)
        params.missilePeriod /= 2;
    if (level >= 10) {
        params.rocketPeriod = params.rocketPeriod / 4 + 1;
        params.missilePeriod = params.missilePeriod / 4 + 1;
        params.gunRange = 350.0f;
    }
    float dist2 = 0.0f;
    const Vec3 n = Direction(glider->frame.position, target->frame.position, dist2);
    const float facing = dist2 < 1.0f ? 1.0f : Dot(glider->frame.forward, n);
    const Vec3& v = glider->velocity;
    if (dist2 < 625.0f) {
        SetThrottle(-0.5f);
    } else if (dist2 <= 36100.0f) {
        SetThrottle(0.0f);
    } else if (Dot(v, n) < 0.0f && Dot(v, v) < 100.0f) {
        glider->bankCoupling = 1.0f;
        SetThrottle(0.0f);
    } else {
        SetThrottle(facing < 0.5f ? 0.5f : params.closingThrottle);
    }
    Vec3 aim = target->frame.position;
    if (level > params.lead1) {
        const Vec3 tv = VelocityOf(target);
        const float lead = level > params.lead2 ? 2.0f * t : t;
        aim = { aim.x + tv.x * lead, aim.y + tv.y * lead, aim.z + tv.z * lead };
    }
    SteerTo(aim, true);
    if (Multiple(tick, params.sidePeriod))
        glider->SetStrafe(RandomSide());
    if (facing <= 0.9f)
        return;
    if (dist2 >= params.gunRange * params.gunRange) {
        if (Multiple(tick, params.rocketPeriod))
            glider->Fire(3, 1.0f);
        if (Multiple(tick, params.missilePeriod))
            glider->Fire(2, 1.0f);
    } else {
        glider->Fire(0, 1.0f);
        glider->Fire(1, 1.0f);
    }
}

void CBasicGLAI::ProcessRetreat()
{
    ZJ_TRACE("CBasicGLAI::ProcessRetreat");
    const Vec3 goal { object->position.x, object->position.y, object->position.z + 12.0f };
    float goal2 = 0.0f;
    const Vec3 toGoal = Direction(glider->frame.position, goal, goal2);
    if (goal2 < 2500.0f || TargetLost()) {
        Stop();
        return;
    }
    SteerTo(target->frame.position, true);
    const float ahead = Dot(glider->frame.forward, toGoal);
    SetThrottle(ahead > 0.5f ? 1.0f : ahead == 0.5f ? 0.0f : -1.0f);
    if (Multiple(tick, 100))
        glider->SetStrafe(RandomSide());
    float dist2 = 0.0f;
    const Vec3 n = Direction(glider->frame.position, target->frame.position, dist2);
    const float facing = dist2 < 1.0f ? 1.0f : Dot(glider->frame.forward, n);
    if (facing <= 0.9f)
        return;
    if (dist2 >= 62500.0f) {
        if (Multiple(tick, 50))
            glider->Fire(2, 1.0f);
        if (Multiple(tick, 775))
            glider->Fire(3, 1.0f);
    } else {
        glider->Fire(0, 1.0f);
        glider->Fire(1, 1.0f);
    }
}
