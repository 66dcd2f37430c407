// Stand-in until the dynamic lights land: enabling the lights that reach a sphere, adding a light
// and switching off the last object's lights all do nothing.
#pragma once

#include "platform/gfx/types.h"

class CLightWare {
public:
    void SetLights(float x, float y, float z, float radius)
    {
        (void)x;
        (void)y;
        (void)z;
        (void)radius;
    }
    void AddLight(const plat::gfx::Light& light, float scale)
    {
        (void)light;
        (void)scale;
    }
    void DisableActiveLights() { }
};

extern CLightWare LightWare;
