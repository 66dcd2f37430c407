// Loads a writer-made map the game's way for the terrain benchmarks.
#pragma once

#include "foundation/PakManager.h"
#include "tests/support/files.h"
#include "tools/map/map_writer.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zoq::bench {

// Writes map into folder as "bench.zjp", loads it into Location at view range 256, opens its
// streaming handle and loads the 2 x 2 cells at the origin at full resolution.
inline void LoadBenchMap(const zoq::tools::map::LocationMap& map, const std::filesystem::path& folder)
{
    const std::string path = (folder / "bench.zjp").string();
    zoq::test::WriteBytes(path, zoq::tools::map::WriteMap(map));
    VisibleRadius = 256;
    Location.Init();
    if (!g_PakManager.Open(path.c_str()))
        std::abort();
    Map::Load(Location);
    g_PakManager.CloseFile();
    Location.streamOpen = g_PakManager.OpenXFile(path.c_str(), Location.streamFile) != 0 ? 1 : 0;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            Location.LoadCell(column, row, 0);
}

} // namespace zoq::bench
