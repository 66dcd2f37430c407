// Stand-in until the environment lands: Reset and SetFog only count their calls.
#pragma once

class CEnvironment {
public:
    void Reset() { ++resetCount; }
    // On-flag, density, and a third value; off switches the device's fog off.
    void SetFog(int on, float density, int extra)
    {
        (void)on;
        (void)density;
        (void)extra;
        ++setFogCount;
    }

    int resetCount = 0;
    int setFogCount = 0;
};

extern CEnvironment Environment;
