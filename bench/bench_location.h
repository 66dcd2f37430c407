// Writes a benchmark's objects file beside a flat 129 x 129 map as location1 under folder/Data
// and loads it the game's way.
#pragma once

#include "tests/support/files.h"
#include "tools/map/map_writer.h"
#include "tools/world/objects_writer.h"
#include "world/db/CZJEngine.h"

#include <cstdlib>
#include <filesystem>

namespace zoq::bench {

inline void LoadBenchLocation1(
    const std::filesystem::path& folder, const zoq::tools::world::ObjectsFile& file)
{
    zoq::test::WriteBytes(folder / "Data/location1.zjo", zoq::tools::world::WriteObjectsFile(file));
    zoq::test::WriteBytes(folder / "Data/location1.zjp",
        zoq::tools::map::WriteMap(zoq::tools::map::LocationMap::Flat(129, 129)));
    if (!ZJEngine.Load("Data\\location1.zjp"))
        std::abort();
}

} // namespace zoq::bench
