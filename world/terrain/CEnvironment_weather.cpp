#include "foundation/CViewFrame.h"
#include "foundation/Color.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "platform/win/text.h"
#include "world/terrain/CEnvironment.h"

#include <cmath>

namespace {

void ScaledIdentity(Matrix4& m, float su, float sv)
{
    Matrix4Identity(m);
    m.m[0] = su;
    m.m[5] = sv;
}

std::unique_ptr<CEnvFX> MakeEffect(uint32_t flags)
{
    if (flags & 1)
        return std::make_unique<CEnvFXRain>();
    if (flags & 2)
        return std::make_unique<CEnvFXSnow>();
    if (flags & 4)
        return std::make_unique<CEnvFXStorm>();
    return nullptr;
}

} // namespace

int CEnvironment::ChooseWeather(int kind)
{
    auto fail = [this] {
        active = -1;
        frozen = 1;
        transition = 0;
        return -1;
    };
    float sum = 0.0f;
    for (const SWeatherState& record : weathers)
        if (record.kind == kind)
            sum += record.weight;
    if (weathers.empty() || sum == 0.0f)
        return fail();
    float r = float(Rand() % 1000) * 0.001f * sum;
    for (size_t i = 0; i < weathers.size(); ++i) {
        const SWeatherState& record = weathers[i];
        if (record.kind != kind)
            continue;
        if (record.weight + 0.000001f >= r) {
            ScaledIdentity(cloudMatrix[2], record.cloudScale1, record.cloudScale1);
            ScaledIdentity(cloudMatrix[3], record.cloudScale2, record.cloudScale2);
            return int(i);
        }
        r -= record.weight;
    }
    WriteErrorLog(CP1251("Ошибка при определении вероятности появления погоды"));
    return fail();
}

void CEnvironment::SetWeather(int index, bool initial)
{
    previous = active;
    active = index;
    if (index == -1)
        return;
    const SWeatherState& record = Weather(index);
    current = record;
    skyA = record.sky1.index;
    skyBlend = 0.0f;
    skyColour = record.skyColour1 | 0xFF000000u;
    if (index != next) {
        ScaledIdentity(cloudMatrix[0], record.cloudScale1, record.cloudScale1);
        ScaledIdentity(cloudMatrix[1], record.cloudScale2, record.cloudScale2);
    } else {
        cloudMatrix[0] = cloudMatrix[2];
        cloudMatrix[1] = cloudMatrix[3];
    }
    if (initial) {
        Run(0.0f);
        if (record.kind != 0 && hour > 5.0f && hour < 21.0f) {
            hour = 0.0f;
            transition = 0;
        } else if (record.kind == 0 && (hour < 5.0f || hour > 21.0f)) {
            hour = 14.0f;
            transition = 0;
        }
    } else {
        next = -1;
        transition = 0;
    }
    effect = MakeEffect(record.effectFlags);
    if (effect) {
        effect->Init(record.effectIntensity);
        if (initial)
            effect->Start();
    }
    UpdatePeriodFraction();
    ArmEffectWindow();
}

void CEnvironment::BlendWeather()
{
    const SWeatherState& a = Weather(active);
    const SWeatherState& n = Weather(next);
    const float t = transitionFactor;
    current.ambient = BlendColor(n.ambient, a.ambient, t);
    current.sunColour = BlendColor(n.sunColour, a.sunColour, t);
    current.fogDensity = n.fogDensity * t + a.fogDensity * (1.0f - t);
    current.fogStart = n.fogStart * t + a.fogStart * (1.0f - t);
    current.fogEnd = n.fogEnd * t + a.fogEnd * (1.0f - t);
    for (int i = 0; i < 3; ++i)
        current.wind[i] = a.wind[i] * (1.0f - t) + n.wind[i] * t;
}

void CEnvironment::ArmEffectWindow()
{
    if (!effect)
        return;
    windowStart = 0.0f;
    windowLength = 1000.0f;
    const float v = 1.0f / (current.effectChance + 0.01f) - 1.0f;
    // Draws until one lands at -0.5 or above; at most 64, and none for a v that is not finite.
    for (int draw = 0; draw < 64 && std::isfinite(v); ++draw) {
        const float value = SharedRandom.Get(2.0f * v) - v;
        if (value >= -0.5f)
            break;
    }
}

void CEnvironment::RunEffect(float dt)
{
    if (!effect)
        return;
    const Vec3& camera = ViewFrame.position;
    effect->SetCenter(camera.x, camera.y, camera.z);
    if (effect->activeParticles > 0 || effect->fadeMode != CEnvFX::kSteady)
        effect->Run(dt);
    if (effect->fadeMode != CEnvFX::kSteady || frozen)
        return;
    if (periodFraction <= windowStart + windowLength) {
        if (effect->activeParticles == 0 && windowStart < periodFraction)
            effect->fadeMode = CEnvFX::kFadeIn;
    } else if (effect->activeParticles > 0) {
        effect->fadeMode = CEnvFX::kFadeOut;
    } else {
        ArmEffectWindow();
    }
}
