// CLightWare: the point lights of the current frame. Objects add their lights while they run; the
// device holds entry i as light 32 + i, and before each draw SetLights enables the few that reach
// the drawn thing. Only changes from the previous selection reach the device. One global,
// LightWare. Main thread only.
#pragma once

#include "foundation/XFixedArray.h"
#include "platform/gfx/types.h"

#include <cstdint>

class CLightWare {
public:
    static constexpr int kMaxLights = 200;
    static constexpr int kActive = 8;
    static constexpr int kCandidates = 6;
    static constexpr uint32_t kFirstDeviceLight = 32; // below: sun, moon and gun flashes

    struct SEntry {
        const plat::gfx::Light* light = nullptr; // owned by the adder for the frame
        uint8_t on = 0;
        uint8_t wasOn = 0;
        float scale = 1.0f; // divides the distance to the light
    };

    CLightWare() = default;

    // The light stays owned by the caller and must live until the frame reset. Past 200 lights
    // the call is logged and ignored.
    void AddLight(const plat::gfx::Light& light, float scale);
    // Enables the lights that reach the sphere (at most lightsPerObject, nearest by d / range) and
    // disables the rest.
    void SetLights(float x, float y, float z, float radius);
    void DisableActiveLights();
    // The frame reset: the active lights off, no lights.
    void ClearLights();

    int Count() const { return count; }
    int ActiveCount() const { return activeCount; }
    int Active(int i) const { return active.At(i); }

    XFixedArray<SEntry, kMaxLights> lights;
    int32_t count = 0;
    XFixedArray<int32_t, kActive> active;
    int32_t activeCount = 0;
    int32_t lightsPerObject = kCandidates;
};

extern CLightWare LightWare;
