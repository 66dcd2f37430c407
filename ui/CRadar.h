// Stand-in until the radar lands: the release and re-creation of its map textures around a
// device reset only count their calls.
#pragma once

class CRadar {
public:
    void InvalidateResources() { ++invalidateCount; }
    void CreateTextures() { ++createCount; }

    int invalidateCount = 0;
    int createCount = 0;
};

extern CRadar Radar;
