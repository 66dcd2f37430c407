// Stand-in until the environment lands: Reset only counts its calls.
#pragma once

class CEnvironment {
public:
    void Reset() { ++resetCount; }

    int resetCount = 0;
};

extern CEnvironment Environment;
