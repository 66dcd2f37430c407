// Stand-in until the radar lands: the release and re-creation of its map textures around a
// device reset do nothing; the map mark is reduced to the name marked or tracked and its flags.
#pragma once

#include <string>

class CRadar {
public:
    void InvalidateResources() { }
    void CreateTextures() { }

    // The mark on the named thing.
    void MarkObject(const char* name, int show);
    // The mark follows the named machine group.
    void SetTrackedGroup(const char* name);
    // Clears the mark and removes the name from the script manager's marked points.
    void UnmarkObject(const char* name);

    std::string markName;
    std::string trackedGroupName;
    bool markShown = false;
    bool tracking = false;
};

extern CRadar Radar;
