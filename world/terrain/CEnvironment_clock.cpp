#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Color.h"
#include "foundation/ErrorLog.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CEnvironment_local.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The hours of the terrain's eight pre-lit light levels.
constexpr float kLightHours[8] = { 5.0f, 8.0f, 10.0f, 11.5f, 12.5f, 14.0f, 16.0f, 19.0f };

// The weather crossings of the day: at each hour, a choice among records of a kind (with the
// transition flag set) or the switch to the chosen one.
struct SCrossing {
    float hour;
    int kind; // -1: switch
};
constexpr SCrossing kCrossings[]
    = { { 3.0f, 0 }, { 5.0f, -1 }, { 11.0f, 0 }, { 13.0f, -1 }, { 19.0f, 1 }, { 21.0f, -1 } };

// (sin a, -cos a, 0) rotated about the x axis by 3.75 pi.
Vec3 OrbitVector(float a)
{
    const float r = 3.75f * kPi;
    const float y = -std::cos(a);
    return { std::sin(a), std::cos(r) * y, -std::sin(r) * y };
}

float Red(uint32_t colour)
{
    return float((colour >> 16) & 0xFF) / 255.0f;
}

plat::gfx::Light DirectionalLight(uint32_t colour, const Vec3& toward)
{
    plat::gfx::Light light;
    light.type = plat::gfx::LightType::Directional;
    float c[4];
    ColorToFloat4(colour, c);
    light.diffuse = { c[0], c[1], c[2], c[3] };
    light.specular = light.diffuse;
    light.direction = { -toward.x, -toward.y, -toward.z };
    return light;
}

void SetLight(uint32_t index, uint32_t colour, const Vec3& toward)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    if (colour != 0)
        device->SetLight(index, DirectionalLight(colour, toward));
    device->LightEnable(index, colour != 0);
}

} // namespace

void CEnvironment::Run(float dt)
{
    ZJ_TRACE("CEnvironment::Run");
    const float s = dt * 0.01f;
    wind = { current.wind[0], current.wind[1], current.wind[2] };
    auto scroll = [s](Matrix4& m, const float speed[2]) {
        m.m[8] -= s * speed[0];
        m.m[9] -= s * speed[1];
    };
    scroll(cloudMatrix[0], current.scroll1);
    scroll(cloudMatrix[1], current.scroll2);
    if (next >= 0) {
        const SWeatherState& upcoming = Weather(next);
        scroll(cloudMatrix[2], upcoming.scroll1);
        scroll(cloudMatrix[3], upcoming.scroll2);
    }
    if (!frozen && WeatherCount() > 1) {
        if (previous == -1)
            previous = 0;
        if (next == -1)
            next = 0;
        const float h0 = hour;
        transitionFactor = 0.0f;
        hour += dt / 150.0f;
        dayCounter += dt / 150.0f / 24.0f;
        const float h1 = hour;
        for (const SCrossing& crossing : kCrossings) {
            if (h0 <= crossing.hour && crossing.hour < h1) {
                if (crossing.kind >= 0) {
                    next = ChooseWeather(crossing.kind);
                    transition = 1;
                } else {
                    transition = 0;
                    SetWeather(next, false);
                }
                break;
            }
        }
        if (active >= 0 && next >= 0 && previous >= 0)
            BlendDayPhase();
        skyColour |= 0xFF000000u;
        if (transition && active >= 0) {
            const float x = (hour - 1.0f) / 2.0f;
            transitionFactor = x - std::floor(x);
            BlendWeather();
        }
        UpdatePeriodFraction();
        if (hour >= 24.0f)
            hour -= 24.0f;
        moonClock += dt / 162.5f;
        if (moonClock >= 24.0f)
            moonClock -= 24.0f;
    }
    UpdateSunAndMoon();
    RunEffect(dt);
    try {
        UpdateGlare();
    } catch (...) {
        WriteErrorLog("CEnvironment::Run Sun Exception");
    }
    UpdateHourLights();
}

void CEnvironment::BlendDayPhase()
{
    const SWeatherState& d = Weather(active);
    const SWeatherState& n = Weather(next);
    const SWeatherState& p = Weather(previous);
    const SWeatherState& c = current;
    const float h = hour;
    auto from = [this](uint32_t x, uint32_t y) { return BlendColor(x, y, 1.0f - skyBlend); };
    auto fog = [&](uint32_t t1, uint32_t a1, uint32_t t2, uint32_t a2) {
        current.fogToward1 = from(t1, t2);
        current.fogAway1 = from(a1, a2);
    };
    // Hours 2-6 and 18-22 share their shape, 16 hours apart.
    const float e = h >= 18.0f && h < 22.0f ? h - 16.0f : h;
    if (e >= 2.0f && e < 4.0f) {
        skyA = c.sky1.index;
        skyB = c.sky2.index;
        skyBlend = (e - 2.0f) / 2.0f;
        skyColour = from(c.skyColour1, c.skyColour2);
        fog(d.fogToward1, d.fogAway1, d.fogToward2, d.fogAway2);
    } else if (e >= 4.0f && e < 5.0f) {
        skyA = c.sky2.index;
        skyB = n.sky1.index;
        skyBlend = (e - 4.0f) / 2.0f;
        skyColour = from(c.skyColour2, n.skyColour1);
        fog(d.fogToward2, d.fogAway2, n.fogToward1, n.fogAway1);
    } else if (e >= 5.0f && e < 6.0f) {
        skyA = p.sky2.index;
        skyB = c.sky1.index;
        skyBlend = (e - 4.0f) / 2.0f;
        skyColour = from(p.skyColour2, c.skyColour1);
        fog(p.fogToward2, p.fogAway2, d.fogToward1, d.fogAway1);
    } else if (h >= 11.0f && h < 13.0f) {
        skyA = c.sky1.index;
        skyB = n.sky1.index;
        skyBlend = (h - 11.0f) / 2.0f;
        skyColour = from(c.skyColour1, n.skyColour1);
        fog(d.fogToward1, d.fogAway1, n.fogToward1, n.fogAway1);
    } else {
        skyA = c.sky1.index;
        skyBlend = 0.0f;
        skyColour = c.skyColour1;
        current.fogToward1 = d.fogToward1;
        current.fogAway1 = d.fogAway1;
    }
}

void CEnvironment::UpdatePeriodFraction()
{
    const float h = hour;
    periodFraction = h <= 5.0f ? (h + 3.0f) / 8.0f
        : h <= 13.0f           ? (h - 5.0f) / 8.0f
        : h <= 21.0f           ? (h - 13.0f) / 8.0f
                               : (h - 21.0f) / 8.0f;
}

void CEnvironment::UpdateSunAndMoon()
{
    if (active == -1)
        return;
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetRenderState(plat::gfx::RenderState::Ambient, current.ambient);
    sunVector = OrbitVector((hour - 0.25f) * kPi / 12.0f);
    sunVector.z += 0.4f;
    Vec3Normalize(sunVector, sunVector);
    moonVector = OrbitVector(moonClock * kPi / 12.0f);

    const uint32_t sun = current.sunColour;
    SetLight(0, sun, sunVector);
    const float red = Red(sun);
    sunBrightness = float(std::max({ (sun >> 16) & 0xFF, (sun >> 8) & 0xFF, sun & 0xFF })) / 255.0f;
    // The day factor stops at 0 at night, where the sun gives no glare whatever its colour.
    const float day = std::max(0.0f, 6.0f - std::fabs(12.0f - hour));
    sunGlareLimit = std::clamp((2.0f * red - 0.5f) * day * 0.2f, 0.0f, 1.0f);
    sunRedLevel = red;
    skyLightLevel = std::min(1.0f, float(current.ambient & 0xFF) / 255.0f + red * 0.5f);

    uint32_t moon = current.moon.index == -1 ? 0 : current.moonColour;
    if (transition && next >= 0) {
        const SWeatherState& upcoming = Weather(next);
        const uint32_t target = upcoming.moon.index == -1 ? 0 : upcoming.moonColour;
        moon = BlendColor(target, moon, transitionFactor);
    }
    const float z = moonVector.z;
    if (z < 0.0f) {
        moon = 0;
    } else if (z < 0.1f) {
        const uint32_t k = uint32_t(z * 2550.0f);
        moon = ((((moon >> 16) & 0xFF) * k / 256) << 16) | ((((moon >> 8) & 0xFF) * k / 256) << 8)
            | ((moon & 0xFF) * k / 256);
    }
    SetLight(1, moon, moonVector);
}

void CEnvironment::UpdateGlare()
{
    const Vec3 camera = ViewFrame.position;
    const Vec3 point { camera.x + sunVector.x * 30.0f, camera.y + sunVector.y * 30.0f,
        camera.z + sunVector.z * 30.0f };
    const Vec3& forward = ViewFrame.forward;
    const Vec3 toPoint { point.x - camera.x, point.y - camera.y, point.z - camera.z };
    bool inView = Vec3Dot(toPoint, forward) >= -1.0f && PointInView(point);
    if (!inView && Vec3Dot(toPoint, forward) >= -1.0f) {
        // One shift at right angles to the line of sight, along the camera's up vector.
        const float shift = 1.0f + 0.6f / (30.0f * 30.0f);
        const Vec3& up = ViewFrame.up;
        inView = PointInView({ point.x + up.x * shift, point.y + up.y * shift, point.z + up.z * shift });
    }
    bool blocked = !inView;
    if (inView) {
        Vec3 hit;
        const float range = float(VisibleRadius) * 10.0f;
        blocked = Location.GetRoughRayIntersection(camera, sunVector, range * 0.75f, hit);
        if (!blocked) {
            CZJObject* hitObject = nullptr;
            const CZJObject* skip = PlayerObject && !PlayerObject->visible ? PlayerObject : nullptr;
            blocked = ObjectList.GetRayIntersection(camera, sunVector, range * 0.5f, hit, skip, hitObject);
        }
    }
    if (!blocked) {
        sunGlare = std::min(sunGlare + FrameTime * 4.0f, sunGlareLimit);
        return;
    }
    sunGlare = sunGlare / std::pow(2.0f, (1.0f + std::fabs(sunGlare) * 1e-10f) * 60.0f * FrameTime);
}

void CEnvironment::UpdateHourLights()
{
    const float k = std::min(1.0f, std::sqrt(2.0f * sunRedLevel)) / 15.0f;
    lightMaskB = lightShiftB = 0;
    lightWeightB = 0.0f;
    if (hour <= 5.0f) {
        lightMaskA = 0xF;
        lightShiftA = 0;
        lightWeightA = k;
        return;
    }
    if (hour >= 19.0f) {
        lightMaskA = 0xF0000000u;
        lightShiftA = 28;
        lightWeightA = k;
        return;
    }
    int i = 0;
    while (i < 6 && hour > kLightHours[i + 1])
        ++i;
    const float u = (hour - kLightHours[i]) / (kLightHours[i + 1] - kLightHours[i]);
    lightShiftA = uint32_t(4 * i);
    lightMaskA = 0xFu << lightShiftA;
    lightWeightA = k * (1.0f - u);
    lightShiftB = uint32_t(4 * (i + 1));
    lightMaskB = 0xFu << lightShiftB;
    lightWeightB = k * u;
}

float CEnvironment::DecodePackedValue(uint32_t word) const
{
    return float((word & lightMaskA) >> lightShiftA) * lightWeightA
        + float((word & lightMaskB) >> lightShiftB) * lightWeightB;
}
