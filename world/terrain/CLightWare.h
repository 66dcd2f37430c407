// Stand-in until the dynamic lights land: the calls that light carriers and drawn things make
// (adding a light for the frame, enabling the lights that reach a sphere, switching them off)
// do nothing, and the frame's light count stays 0.
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>

class CLightWare {
public:
    void AddLight(const plat::gfx::Light* light, float scale)
    {
        (void)light;
        (void)scale;
    }
    void SetLights(float x, float y, float z, float radius)
    {
        (void)x;
        (void)y;
        (void)z;
        (void)radius;
    }
    void DisableActiveLights() { }

    int32_t count = 0;
};

extern CLightWare LightWare;
