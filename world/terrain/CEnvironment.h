// Stand-in until the environment lands: Reset and SetFog do nothing.
#pragma once

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
};

extern CEnvironment Environment;
