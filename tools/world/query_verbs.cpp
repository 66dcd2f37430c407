#include "tools/world/query_verbs.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "platform/win/text.h"
#include "world/objects/CCamera.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/FrameReset.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace zoq::tools::world {
namespace {

constexpr float kFrameTime = 1.0f / 60.0f;

// A name as UTF-8, "-" when empty.
std::string Shown(const char* name)
{
    const std::string text(name, strnlen(name, 32));
    return text.empty() ? "-" : plat::win::Cp1251ToUtf8(text.c_str());
}

} // namespace

void PrintRay(const Vec3& origin, const Vec3& direction, float length)
{
    Vec3 end {};
    CZJObject* hit = nullptr;
    if (ObjectList.GetRayIntersection(origin, direction, length, end, nullptr, hit))
        std::printf("hit %d %d %s at %.2f %.2f %.2f\n", hit->id, hit->type, Shown(hit->name).c_str(),
            double(end.x), double(end.y), double(end.z));
    else
        std::printf("miss end %.2f %.2f %.2f\n", double(end.x), double(end.y), double(end.z));
    std::printf("count %d\n", hit ? 1 : 0);
}

void PrintNear(const Vec3& centre, float radius, int type)
{
    SObjectQuery result {};
    ObjectList.GetRealTimeObjectList(centre, radius, type, result);
    for (int i = 0; i < result.count; ++i) {
        const CZJObject* object = result.objects[i];
        const Vec3& p = object->frame.position;
        const double d = std::sqrt(double(p.x - centre.x) * double(p.x - centre.x)
            + double(p.y - centre.y) * double(p.y - centre.y)
            + double(p.z - centre.z) * double(p.z - centre.z));
        std::printf(
            "object %d %d %s distance %.2f\n", object->id, object->type, Shown(object->name).c_str(), d);
    }
    std::printf("count %d\n", result.count);
}

void PrepareFrames()
{
    const CLocation::SPoolSizes sizes = CLocation::PoolSizesFor(VisibleRadius, Location.fineDetail != 0);
    Location.SizeBufferPools(sizes.fullBuffers, sizes.halfBuffers);
}

void PrintFrames(const Vec3& eye, float heading, int frames)
{
    CCamera camera;
    camera.SetFreeMode();
    camera.frame.SetPosition(eye);
    const float a = heading * std::numbers::pi_v<float> / 180.0f;
    camera.frame.SetDirection(Vec3 { std::sin(a), std::cos(a), 0.0f });
    CameraObject = &camera;
    ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f, 640.0f * 50.0f / 480.0f, 50.0f);
    FrameTime = kFrameTime;
    CameraTimeStep = kFrameTime;
    EffectRenderManager.Init(0);
    for (int i = 0; i < frames; ++i) {
        GameClock += double(kFrameTime);
        GameClockF32 = float(GameClock);
        // The object passes of the game's frame, in its order, with its light and effect lists.
        ResetFrame();
        ObjectList.CheckSysObjectSensors();
        ObjectList.Run();
        camera.UpdateView();
        Location.PreRender();
        ObjectList.CheckVisibility(true);
        ObjectList.Render();
        EffectRenderManager.RenderEffects();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        ObjectList.Pack(false);
        ObjectList.CheckNetDead();
        std::printf("frame %d visible %d hidden %d predraw %d\n", i, ObjectList.visibleList.Count(),
            ObjectList.notVisibleList.Count(), ObjectList.preDrawList.Count());
    }
    EffectRenderManager.FreeBuffers();
    CameraObject = nullptr;
}

void PrintListSizes(long logged)
{
    std::printf("objects %d moving %d extra %d helpers %d logged %ld\n", ObjectList.Objects().Count(),
        ObjectList.MovingObjects().Count(), ObjectList.ExtraList().Count(), ObjectList.HelperPoints().Count(),
        logged);
}

} // namespace zoq::tools::world
