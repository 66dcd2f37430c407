// Stand-in until the radar lands: the release and re-creation of its map textures around a
// device reset do nothing.
#pragma once

class CRadar {
public:
    void InvalidateResources() { }
    void CreateTextures() { }
};

extern CRadar Radar;
