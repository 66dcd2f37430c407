#include "tools/world/hover_verb.h"

#include "world/objects/CCamera.h"
#include "world/objects/CPhysics.h"
#include "world/terrain/CLocation.h"

#include <cmath>
#include <cstdio>

namespace zoq::tools::world {
namespace {

constexpr int kStepsPerSecond = 60;
constexpr int kStepsPerLine = kStepsPerSecond / 2;
constexpr float kSettledSpeed = 0.01f;
// The cell under the object and its neighbours at full resolution, the rest of a map at half.
constexpr int kFullCells = 9;
constexpr int kHalfCells = 64;

float Speed(const Vec3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

} // namespace

void PrepareHover()
{
    Location.SizeBufferPools(kFullCells, kHalfCells);
}

void PrintHover(const Vec3& start, float seconds)
{
    const int gx = int(start.x * 0.1f);
    const int gy = int(start.y * 0.1f);
    if (!(start.x >= 0.0f && start.y >= 0.0f) || gx >= Location.width - 1 || gy >= Location.height - 1)
        throw std::runtime_error("the start lies outside the map");
    if (!Location.Cell(gx >> 6, gy >> 6).full)
        Location.LoadCell(gx >> 6, gy >> 6, 0);

    CCamera object;
    object.frame.SetPosition(start);
    Location.AddCellObject(start, &object, false);
    const float dt = 1.0f / float(kStepsPerSecond);
    const int steps = int(std::lround(double(seconds) * kStepsPerSecond));
    int stillSteps = 0;
    for (int step = 1; step <= steps; ++step) {
        Physics.PreMove(&object, dt);
        Physics.Move(&object, dt);
        const float speed = Speed(object.velocity);
        stillSteps = speed < kSettledSpeed ? stillSteps + 1 : 0;
        if (step % kStepsPerLine != 0 && step != steps)
            continue;
        const Vec3& p = object.frame.position;
        const float ground = Physics.GetGroundHeight(p, &object);
        const Vec3 n = Physics.GetMapLNormal(p, false);
        std::printf("t %.2f pos %.3f %.3f %.3f ground %.3f normal %.3f %.3f %.3f speed %.3f\n",
            double(step) / kStepsPerSecond, double(p.x), double(p.y), double(p.z), double(ground),
            double(n.x), double(n.y), double(n.z), double(speed));
    }
    std::printf("settled %d\n", steps >= kStepsPerSecond && stillSteps >= kStepsPerSecond ? 1 : 0);
    Location.DeleteCellObject(object.frame.position, &object);
}

} // namespace zoq::tools::world
