#include "app/Steering.h"

#include <algorithm>
#include <cmath>

namespace steering {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kFixedDeadZone = 0.05f;

float Clamp1(float v)
{
    return std::fabs(v) > 1.0f ? std::copysign(1.0f, v) : v;
}

Vec3 Scaled(const Vec3& v, float s)
{
    return { v.x * s, v.y * s, v.z * s };
}

Vec3 Sum(const Vec3& a, const Vec3& b)
{
    return { a.x + b.x, a.y + b.y, a.z + b.z };
}

Vec3 Diff(const Vec3& a, const Vec3& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}

} // namespace

SAxes AxesOf(const Matrix4& m)
{
    return { { m.m[0], m.m[4], m.m[8] }, { m.m[1], m.m[5], m.m[9] }, { m.m[2], m.m[6], m.m[10] } };
}

SAxes TurnAboutUp(const SAxes& axes, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return { Sum(Scaled(axes.side, c), Scaled(axes.forward, s)), axes.up,
        Diff(Scaled(axes.forward, c), Scaled(axes.side, s)) };
}

Vec3 Compose(const SAxes& axes, float x, float y, float z)
{
    return Sum(Sum(Scaled(axes.side, x), Scaled(axes.up, y)), Scaled(axes.forward, z));
}

float FreeCursorConeSq()
{
    const float s = std::sin(kPi * 0.1388889f);
    return s * s;
}

SSteerResult FreeCursor(const Vec3& aim, const Matrix4& m, float yaw, float pitch, SControls controls,
    float frameTime, float turnRate)
{
    const SAxes axes = AxesOf(m);
    const float r2 = FreeCursorConeSq();
    float x = Vec3Dot(aim, axes.side) - yaw * 0.01f;
    float y = (Vec3Dot(aim, axes.up) - pitch * 0.01f) * 1.5f;
    const float d2 = x * x + y * y;
    if (d2 > r2) {
        const float k = std::sqrt(r2 / d2);
        x *= k;
        y *= k;
    }
    y *= 0.6666667f;
    const float z = std::sqrt(std::max(0.0f, 1.0f - x * x - y * y));

    const float before = controls.turn;
    const float step = frameTime * turnRate;
    if (step > 0.0f) {
        controls.turn = Clamp1(controls.turn - (x * x * x / r2) / step);
        controls.vertical = Clamp1(controls.vertical - (y * y * y / r2) / step);
    }
    SAxes turned = axes;
    if (before != 0.0f)
        turned = TurnAboutUp(turned, before * step * 0.25f);
    turned = TurnAboutUp(turned, controls.turn * step * 0.75f);
    return { Compose(turned, x, y, z), controls };
}

SSteerResult FixedCursor(const Matrix4& m, float joyX, float joyY)
{
    const float turn = std::fabs(joyX) * joyX;
    const float y = std::fabs(joyY) * joyY;
    const float z = std::sqrt(std::max(0.0f, 1.0f - turn * turn - y * y));
    Vec3 aim = Compose(AxesOf(m), turn, y, z);
    // Both axes at full deflection reach past the unit sphere.
    if (Vec3LengthSq(aim) > 1.0f)
        Vec3Normalize(aim, aim);
    const float deadTurn = std::fabs(turn) < kFixedDeadZone ? 0.0f : turn;
    const float deadY = std::fabs(y) < kFixedDeadZone ? 0.0f : y;
    return { aim, { -deadTurn, -deadY } };
}

int ChooseTarget(const Vec3& origin, const Vec3& aim, std::span<const STargetCandidate> candidates)
{
    int within = -1, near = -1;
    float withinDistance = 0.0f, nearDistance = 0.0f;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const STargetCandidate& c = candidates[i];
        const float d = Vec3Length(Diff(c.position, origin));
        const float miss = Vec3Length(Diff(c.position, Sum(origin, Scaled(aim, d))));
        if (miss < c.radius && (within < 0 || d < withinDistance)) {
            within = int(i);
            withinDistance = d;
        }
        if (miss < 2.0f * c.radius && (near < 0 || d < nearDistance)) {
            near = int(i);
            nearDistance = d;
        }
    }
    return within >= 0 ? within : near;
}

void AdvanceHold(STargetHold& hold, int32_t candidateId, float frameTime)
{
    if (candidateId == hold.lastId) {
        hold.time += std::clamp(frameTime, 0.0f, 0.1f);
        return;
    }
    hold.lastId = candidateId;
    hold.time = 0.0f;
}

bool ShouldSelect(
    int32_t candidateId, int32_t currentId, const STargetHold& hold, float selectTime, bool selectPressed)
{
    if (candidateId == currentId)
        return false;
    return (candidateId != 0 && hold.time >= selectTime) || selectPressed;
}

} // namespace steering
