// Map::Load: reads a location map file from the file layer's current file into the location:
// header, chunks (surface records, the environment's chunk) and the block table, checking every
// block so that streaming cannot fail later. A refusal is logged and thrown.
#pragma once

class CLocation;

class Map {
public:
    static void Load(CLocation& location);
};
