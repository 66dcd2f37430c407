// zoq-map height [--base DIR] MAP X Y [X Y ...]: the terrain heights the game answers at world
// positions, read through the game's own loader.
#include "foundation/PakManager.h"
#include "tools/map/map_open.h"
#include "tools/map/map_tool.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zoq::tools::map {

namespace {

float Coordinate(const std::string& text)
{
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != 0)
        throw ToolFailure { text, 0, "not a number" };
    return value;
}

} // namespace

int RunHeight(const std::vector<std::string>& given)
{
    const std::vector<std::string> args = TakeBase(given);
    if (args.size() < 3 || args.size() % 2 == 0)
        return kUsageExit;
    const std::string& path = args[0];
    std::vector<Vec3> positions;
    for (size_t i = 1; i + 1 < args.size(); i += 2)
        positions.push_back(Vec3 { Coordinate(args[i]), Coordinate(args[i + 1]), 0.0f });
    Location.SizeBufferPools(4, 4);
    if (!g_PakManager.Open(path.c_str()))
        throw ToolFailure { path, 0, "cannot open the map" };
    try {
        Map::Load(Location);
    } catch (const MapFileError& error) {
        throw ToolFailure { path, 0, error.what() };
    }
    g_PakManager.CloseFile();
    OpenMap(path, Location.streamFile);
    Location.streamOpen = 1;
    for (const Vec3& p : positions) {
        const float height = Location.GetHeight(p, false, true);
        const float water = Location.GetHeight(p, true, true);
        const float nearest = Location.GetHeightAt(p, false);
        std::printf("%g %g height=%g water=%g nearest=%g\n", double(p.x), double(p.y), double(height),
            double(water), double(nearest));
    }
    return 0;
}

} // namespace zoq::tools::map
