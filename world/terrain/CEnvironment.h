// Stand-in until the environment lands: Reset and SetFog do nothing; Load reads nothing of its
// map chunk; the light words decode to 0; InitSky makes nothing. The horizon model index is kept.
#pragma once

#include <cstdint>

class CEnvironment {
public:
    void Reset() { }
    // On-flag, density, and a third value; off switches the device's fog off.
    void SetFog(int on, float density, int extra)
    {
        (void)on;
        (void)density;
        (void)extra;
    }
    // Reads the environment chunk of a map file from the file layer's current file.
    void Load(uint32_t payloadSize) { (void)payloadSize; }
    // The light value of a packed light word for the time of day.
    float DecodePackedValue(uint32_t word) const
    {
        (void)word;
        return 0.0f;
    }
    void InitSky() { }

    int32_t horizonModel = -1; // model-table index of the location's horizon
};

extern CEnvironment Environment;
