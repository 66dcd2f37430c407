// The pure parts of a game's preparation.
#include "app/MapPreparation.h"

#include "foundation/Rand.h"
#include "world/objects/CHelperPoint.h"

#include <cmath>
#include <cstring>

namespace preparation {

namespace {

constexpr int kExtraPicks = 100;
constexpr int32_t kObserverMinWidth = 1024;
constexpr int kObserverMinGroups = 5;

bool InTunnel(const CHelperPoint& point)
{
    return std::strstr(point.name, "TUNNEL") != nullptr;
}

// Rotation columns side, up, forward and the translation row.
Matrix4 FrameOf(const Vec3& side, const Vec3& up, const Vec3& forward, const Vec3& position)
{
    Matrix4 m {};
    const Vec3* columns[3] = { &side, &up, &forward };
    for (int c = 0; c < 3; ++c) {
        m.m[c] = columns[c]->x;
        m.m[4 + c] = columns[c]->y;
        m.m[8 + c] = columns[c]->z;
    }
    m.m[12] = position.x;
    m.m[13] = position.y;
    m.m[14] = position.z;
    m.m[15] = 1.0f;
    return m;
}

} // namespace

CHelperPoint* ChooseStartPoint(bool tunnelStart, const std::function<CHelperPoint*()>& pick)
{
    CHelperPoint* point = pick();
    for (int i = 0; i < kExtraPicks && point && InTunnel(*point) != tunnelStart; ++i)
        point = pick();
    return point;
}

int ScatterCount(int32_t width, int32_t height)
{
    return int(double(width) * double(height) * 0.000001);
}

Vec3 ScatterCell(int32_t width, int32_t height)
{
    const int y = Rand() % height;
    const int x = Rand() % width;
    return Vec3 { float(x) * 10.0f, float(y) * 10.0f, 0.0f };
}

int ObserverCount(int32_t width, int32_t height, int groups)
{
    if (width <= kObserverMinWidth || groups <= kObserverMinGroups)
        return 0;
    return int(double(width) * double(height) * 0.000005 + 15.0);
}

Matrix4 StandardFrame(const Vec3& position)
{
    return FrameOf(
        Vec3 { -1.0f, 0.0f, 0.0f }, Vec3 { 0.0f, 0.0f, 1.0f }, Vec3 { 0.0f, 1.0f, 0.0f }, position);
}

Matrix4 LevelFrame(const Vec3& forward, const Vec3& position)
{
    const float length = std::hypot(forward.x, forward.y);
    if (!(length > 0.0f))
        return StandardFrame(position);
    const Vec3 f { forward.x / length, forward.y / length, 0.0f };
    return FrameOf(Vec3 { -f.y, f.x, 0.0f }, Vec3 { 0.0f, 0.0f, 1.0f }, f, position);
}

Matrix4 GroundFrame(const Vec3& normal, const Vec3& position)
{
    // Forward: +y less its part along the normal (+x when the normal lies along y).
    Vec3 reference { 0.0f, 1.0f, 0.0f };
    if (std::fabs(normal.y) > 0.9999f)
        reference = Vec3 { 1.0f, 0.0f, 0.0f };
    Vec3 forward;
    Vec3Scale(forward, normal, Vec3Dot(reference, normal));
    Vec3Sub(forward, reference, forward);
    Vec3Normalize(forward, forward);
    Vec3 side;
    Vec3Cross(side, normal, forward);
    return FrameOf(side, normal, forward, position);
}

void HalfTurn(Matrix4& m)
{
    for (int r = 0; r < 3; ++r) {
        m.m[4 * r] = -m.m[4 * r];
        m.m[4 * r + 2] = -m.m[4 * r + 2];
    }
}

} // namespace preparation
