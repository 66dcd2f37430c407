// The start scene behind the start menu: the location "start.zjp" seen from a start point, the
// view turning slowly, drawn in the game's render order.
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/Graphic.h"
#include "ui/CZJStartMenu.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kStartPoint = 9;
constexpr float kEyeHeight = 15.0f;
constexpr float kPitch = -8.0f;
constexpr float kTurnDegreesPerSecond = 6.0f;
// Where the view stands when the scene has no start point.
constexpr Vec3 kFallbackEye { 400.0f, 400.0f, 60.0f };
constexpr float kFallbackHeading = 45.0f;

// The view at eye looking along heading (degrees from +y toward +x) and pitch (degrees up).
void PlaceView(const Vec3& eye, float heading, float pitch)
{
    const float h = heading * kPi / 180.0f;
    const float p = pitch * kPi / 180.0f;
    const Vec3 forward { std::sin(h) * std::cos(p), std::cos(h) * std::cos(p), std::sin(p) };
    const Vec3 side { -std::cos(h), std::sin(h), 0.0f };
    Vec3 up;
    Vec3Cross(up, forward, side);
    ViewFrame.matrix = Matrix4 { { side.x, up.x, forward.x, 0, side.y, up.y, forward.y, 0, side.z, up.z,
        forward.z, 0, 0, 0, 0, 1 } };
    ViewFrame.SetViewPosition(eye);
    Matrix4Identity(ViewFrame.adjustment);
    ViewFrame.Apply(true);
}

} // namespace

bool CZJStartMenu::LoadScene()
{
    ZJ_TRACE("CZJStartMenu::LoadScene");
    ObjectList.Clear();
    try {
        ZJEngine.Load(kSceneFile);
    } catch (...) {
        ResetCallTrace();
        WriteErrorLog(std::string("CZJStartMenu::Init: cannot load ") + kSceneFile);
        return false;
    }
    const int weather = Environment.ChooseWeather(0);
    if (weather >= 0)
        Environment.SetWeather(weather, true);
    m_eye = kFallbackEye;
    m_heading = kFallbackHeading;
    if (CHelperPoint* start = ObjectList.GetRandomSysObj(kStartPoint)) {
        const Vec3& at = start->transform.position;
        const Vec3& along = start->transform.forward;
        m_eye = Vec3 { at.x, at.y, at.z + kEyeHeight };
        m_heading = std::atan2(along.x, along.y) * 180.0f / kPi;
    } else {
        WriteErrorLog("CZJStartMenu::Init: Start Point not found");
    }
    Environment.Run(0.0f);
    return true;
}

void CZJStartMenu::RenderScene(bool run)
{
    ZJ_TRACE("CZJStartMenu::RenderScene");
    if (run)
        Environment.Run(FrameTime);
    m_heading = std::fmod(m_heading + FrameTime * kTurnDegreesPerSecond, 360.0f);
    PlaceView(m_eye, m_heading, kPitch);
    LightWare.DisableActiveLights();
    LightWare.ClearLights();
    Location.PreRender();
    g_Graphic.Clear(plat::gfx::clear::kTarget | plat::gfx::clear::kZBuffer, 0xFF000000u);
    Environment.ClearBackground();
    Location.Render();
    Environment.RenderEnv();
    Location.CycleRenderWater();
    Environment.RenderFX(false);
}
