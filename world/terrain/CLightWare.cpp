#include "world/terrain/CLightWare.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/Graphic.h"

#include <cmath>
#include <limits>

CLightWare LightWare;

namespace {

void EnableDeviceLight(int entry, bool on)
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->LightEnable(CLightWare::kFirstDeviceLight + uint32_t(entry), on);
}

struct SCandidate {
    float weight;
    int32_t entry;
};

} // namespace

void CLightWare::AddLight(const plat::gfx::Light& light, float scale)
{
    ZJ_TRACE("CLightWare::AddLight");
    if (count >= kMaxLights) {
        WriteErrorLog("CLightWare::AddLight static array overflow");
        return;
    }
    SEntry& entry = lights.At(count);
    entry.light = &light;
    entry.scale = scale;
    entry.on = 0;
    entry.wasOn = 0;
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetLight(kFirstDeviceLight + uint32_t(count), light);
    ++count;
}

void CLightWare::SetLights(float x, float y, float z, float radius)
{
    ZJ_TRACE("CLightWare::SetLights");
    for (int k = 0; k < activeCount; ++k) {
        SEntry& entry = lights.At(active.At(k));
        entry.on = 0;
        entry.wasOn = 1;
    }
    XFixedArray<SCandidate, kCandidates> list;
    int listCount = 0;
    const SEntry* entries = lights.Data();
    for (int i = 0; i < count; ++i) {
        const SEntry& entry = entries[i];
        // A light of no scale reaches nothing; one of no range ranks last. Comparisons with NaN
        // fail, so a light with a non-finite position or range is never a candidate.
        if (!(entry.scale > 0.0f))
            continue;
        const plat::gfx::Vector3& p = entry.light->position;
        const float range = entry.light->range;
        const float dx = x - p.x;
        const float dy = y - p.y;
        const float dz = z - p.z;
        const float d2 = dx * dx + dy * dy + dz * dz;
        // Most lights are far: rejected on the squared distance, with a margin so that the exact
        // test below alone decides lights at the edge.
        const float limit = (radius + range) * entry.scale;
        if (!(limit > 0.0f) || d2 > limit * limit * 1.001f)
            continue;
        const float d = std::sqrt(d2) / entry.scale;
        if (!(d < radius + range))
            continue;
        const float w = range > 0.0f ? d / range : std::numeric_limits<float>::infinity();
        int at = 0;
        while (at < listCount && list.At(at).weight < w)
            ++at;
        if (at == kCandidates)
            continue;
        if (listCount < kCandidates)
            ++listCount;
        for (int k = listCount - 1; k > at; --k)
            list.At(k) = list.At(k - 1);
        list.At(at) = SCandidate { w, i };
    }
    const int n = listCount < lightsPerObject ? listCount : lightsPerObject;
    for (int k = 0; k < n; ++k) {
        const int i = list.At(k).entry;
        SEntry& entry = lights.At(i);
        if (!entry.wasOn)
            EnableDeviceLight(i, true);
        entry.on = 1;
    }
    for (int k = 0; k < activeCount; ++k) {
        const int i = active.At(k);
        SEntry& entry = lights.At(i);
        if (!entry.on)
            EnableDeviceLight(i, false);
        entry.wasOn = 0;
    }
    for (int k = 0; k < n; ++k)
        active.At(k) = list.At(k).entry;
    activeCount = n;
}

void CLightWare::DisableActiveLights()
{
    ZJ_TRACE("CLightWare::DisableActiveLights");
    for (int k = 0; k < activeCount; ++k) {
        const int i = active.At(k);
        lights.At(i).on = 0;
        EnableDeviceLight(i, false);
    }
    activeCount = 0;
}

void CLightWare::ClearLights()
{
    DisableActiveLights();
    count = 0;
}
