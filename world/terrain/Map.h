// Stand-in until the terrain lands: the map file reader reads nothing.
#pragma once

class CLocation;

class Map {
public:
    static void Load(CLocation& location) { (void)location; }
};
