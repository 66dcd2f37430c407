// The start scene behind the start menu: the location "start.zjp" with a glider of CFG_STARTUP
// flying its road loop and the camera chasing it. Each leg is a trajectory traced from the glider
// towards the next road node; the glider's pilot flies through the trajectory's points one second
// of flight apart.
#include "ai/CBasicGLAI.h"
#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "ui/CZJStartMenu.h"
#include "world/db/CGliderManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTrajectoryObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kStartPoint = 9;
constexpr float kEyeHeight = 15.0f;
constexpr float kGliderHeight = 10.0f;
// Where the camera stands when the scene has no start point.
constexpr Vec3 kFallbackEye { 400.0f, 400.0f, 60.0f };
constexpr Vec3 kFallbackLook { 0.7071f, 0.7071f, 0.0f };
// The legs: launched at this ground speed, at most this long in the air, ending this close.
constexpr float kLegSpeed = 60.0f;
constexpr float kGravity = 29.4f;
constexpr float kShortestLeg = 0.5f;
constexpr float kLongestLeg = 9.0f;
constexpr float kArrival = 30.0f;
// Without a road, a leg goes this far straight ahead.
constexpr float kLegLength = 300.0f;
// The pilot flies through every 100th point of the trajectory (1 s of flight), at this throttle,
// and gives a point up after this long.
constexpr int kPointStep = 100;
constexpr float kThrottle = 0.6f;
constexpr float kPointTimeout = 10.0f;

Vec3 Ahead(const CTransform& frame)
{
    const float length = std::hypot(frame.forward.x, frame.forward.y);
    return length > 0.0f ? Vec3 { frame.forward.x / length, frame.forward.y / length, 0.0f }
                         : Vec3 { 0.0f, 1.0f, 0.0f };
}

// Whether the object is still in the object list (the list deletes what dies or leaves the world).
bool Listed(const CZJObject* object)
{
    for (const CZJObject* listed : ObjectList.Objects())
        if (listed == object)
            return true;
    return false;
}

float GroundDistanceSq(const Vec3& a, const float* b)
{
    const float dx = a.x - b[0];
    const float dy = a.y - b[1];
    return dx * dx + dy * dy;
}

} // namespace

struct CZJStartMenu::SFlight {
    CFerrovant machine;
    CBasicGLAI pilot;
    CTrajectoryObject path;
    CCamera* camera = nullptr;
    CGliderObject* glider = nullptr;
    int32_t node = -1; // the road node the leg goes to
    int32_t previous = -1;
    int32_t point = 0; // the trajectory point the pilot flies to
    float pointTime = 0.0f;
    int32_t legs = 0;
};

CZJStartMenu::CZJStartMenu() = default;

CZJStartMenu::~CZJStartMenu()
{
    ReleaseScene();
}

const CGliderObject* CZJStartMenu::SceneGlider() const
{
    return m_flight ? m_flight->glider : nullptr;
}

const CTrajectoryObject* CZJStartMenu::SceneTrajectory() const
{
    return m_flight && m_flight->glider ? &m_flight->path : nullptr;
}

int32_t CZJStartMenu::SceneLegs() const
{
    return m_flight ? m_flight->legs : 0;
}

void CZJStartMenu::ReleaseScene()
{
    if (!m_flight)
        return;
    if (CameraObject && CameraObject == m_flight->camera)
        CameraObject = nullptr;
    if (m_flight->glider && Listed(m_flight->glider)) {
        m_flight->glider->ai = nullptr;
        m_flight->glider->AssignFerrovant(nullptr);
    }
    m_flight.reset();
}

bool CZJStartMenu::LoadScene()
{
    ZJ_TRACE("CZJStartMenu::LoadScene");
    ReleaseScene();
    // The list's objects go, the camera the view followed among them.
    ObjectList.Clear();
    CameraObject = nullptr;
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

    m_flight = std::make_unique<SFlight>();
    auto* camera = new CCamera;
    camera->SetFreeMode();
    Vec3 eye = kFallbackEye;
    Vec3 look = kFallbackLook;
    if (CHelperPoint* start = ObjectList.GetRandomSysObj(kStartPoint)) {
        const Vec3& at = start->transform.position;
        eye = Vec3 { at.x, at.y, at.z + kEyeHeight };
        look = Ahead(start->transform);
    } else {
        WriteErrorLog("CZJStartMenu::Init: Start Point not found");
    }
    camera->frame.SetPosition(eye);
    camera->frame.SetDirection(look);
    ObjectList.AddObject(camera);
    CameraObject = camera;
    m_flight->camera = camera;
    Environment.Run(0.0f);
    if (LaunchGlider())
        camera->SetChaseMode(m_flight->glider);
    camera->UpdateView();
    return true;
}

bool CZJStartMenu::LaunchGlider()
{
    ZJ_TRACE("CZJStartMenu::LaunchGlider");
    const int config = FerrovantConfigList.Find("CFG_STARTUP");
    CHelperPoint* start = ObjectList.GetRandomSysObj(kStartPoint);
    if (config < 0 || !start)
        return false;
    CFerrovant& machine = m_flight->machine;
    machine.ApplyConfig(config, true, 0);
    const Vec3& at = start->transform.position;
    const Vec3 f = Ahead(start->transform);
    const float z = Location.GetHeight(at, true, true) + kGliderHeight;
    const float placement[16] = { f.y, -f.x, 0, 0, 0, 0, 1, 0, f.x, f.y, 0, 0, at.x, at.y, z, 1 };
    const NameKey32 hull = MakeNameKey32(g_GliderManager.GetRowNames().GetString(machine.hull.index));
    auto* glider = static_cast<CGliderObject*>(g_GliderManager.CreateObject(hull, placement, nullptr));
    if (!glider)
        return false;
    glider->AssignFerrovant(&machine);
    glider->ai = &m_flight->pilot;
    m_flight->pilot.glider = glider;
    m_flight->glider = glider;
    NextLeg();
    return true;
}

void CZJStartMenu::NextLeg()
{
    SFlight& flight = *m_flight;
    const Vec3 from = flight.glider->frame.position;
    int32_t next = -1;
    if (flight.node < 0) {
        float nearest = std::numeric_limits<float>::max();
        for (int i = 0; i < g_RoadManager.NodeCount(); ++i) {
            const float d = GroundDistanceSq(from, g_RoadManager.GetNode(i)->position);
            if (d < nearest) {
                nearest = d;
                next = i;
            }
        }
    } else {
        const SRoadNode& node = *g_RoadManager.GetNode(flight.node);
        for (int i = 0; i < node.linkCount && next < 0; ++i)
            if (node.links[i] != flight.previous)
                next = node.links[i];
        if (next < 0 && node.linkCount > 0)
            next = node.links[0];
    }
    flight.previous = flight.node;
    flight.node = next;
    Vec3 to;
    if (next >= 0) {
        const float* p = g_RoadManager.GetNode(next)->position;
        to = Vec3 { p[0], p[1], from.z };
    } else {
        const Vec3 ahead = Ahead(flight.glider->frame);
        to = Vec3 { from.x + ahead.x * kLegLength, from.y + ahead.y * kLegLength, from.z };
    }
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    const float t = std::clamp(std::hypot(dx, dy) / kLegSpeed, kShortestLeg, kLongestLeg);
    flight.path.Trace(from, Vec3 { dx / t, dy / t, 0.5f * kGravity * t }, 1.0f, kArrival);
    flight.point = 0;
    ++flight.legs;
}

void CZJStartMenu::Steer()
{
    SFlight& flight = *m_flight;
    flight.pointTime += FrameTime;
    if (flight.pilot.state == CBasicGLAI::kMove && flight.pointTime < kPointTimeout)
        return;
    const CSmoke& dots = flight.path.trail;
    int32_t arc = dots.Count() - (flight.path.impact ? CTrajectoryObject::kRingDots : 0);
    if (flight.point >= arc - 1) {
        NextLeg();
        arc = dots.Count() - (flight.path.impact ? CTrajectoryObject::kRingDots : 0);
    }
    flight.point = std::max(0, std::min(flight.point + kPointStep, arc - 1));
    flight.pointTime = 0.0f;
    Vec3 point = dots.Puff(flight.point).position;
    point.z = Location.GetHeight(point, true, true);
    flight.pilot.MoveTo(point, kThrottle, kArrival, false);
}

void CZJStartMenu::RenderScene(bool run)
{
    ZJ_TRACE("CZJStartMenu::RenderScene");
    if (m_flight && m_flight->glider && !Listed(m_flight->glider))
        m_flight->glider = nullptr;
    if (run && m_flight && m_flight->glider) {
        Steer();
        m_flight->machine.Run(FrameTime);
    }
    CMenu1::RenderScene(run);
}
