// Stand-in until the environment lands: Reset and SetFog do nothing.
#pragma once

class CEnvironment {
public:
    // Plain values in the stand-in: the total game time in days and the die height.
    float gameTime = 0.0f;
    float dieHeight = -1000.0f; // a glider below it takes damage every frame

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
