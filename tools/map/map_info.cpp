// zoq-map info [--base DIR] MAP: the header, chunks, surface records, weather count, blocks and
// the totals of every block's full-resolution points.
#include "foundation/XFile.h"
#include "tools/map/map_open.h"
#include "tools/map/map_tool.h"
#include "world/terrain/MapFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace zoq::tools::map {

namespace {

const char* OrDash(const char* text)
{
    return text[0] != 0 ? text : "-";
}

void PrintEnvironment(MapFile& file, const MapChunk& chunk)
{
    if (chunk.size < 4 + 160) {
        std::printf("weather 0 horizon=-\n");
        return;
    }
    const std::vector<uint8_t> head = file.ReadBytes(chunk.payload, 4 + 160);
    uint32_t count = 0;
    std::memcpy(&count, head.data(), 4);
    char horizon[161] = {};
    std::memcpy(horizon, head.data() + 4, 160);
    std::printf("weather %u horizon=%s\n", count, OrDash(horizon));
}

void Info(MapFile& file)
{
    const MapHeader header = file.ReadHeader();
    std::printf("name %s\n", MapNameUtf8(header.name).c_str());
    std::printf("points %d %d\n", header.width, header.height);
    std::printf("blocks %d %d\n", header.blocksX, header.blocksY);
    std::printf("horizon %s\n", OrDash(header.horizon));
    size_t surfaceCount = 0;
    for (int32_t i = 0; i < header.chunkCount; ++i) {
        const MapChunk chunk = file.NextChunk();
        std::printf("chunk %u %u\n", chunk.type, chunk.size);
        if (chunk.type == 1) {
            const std::vector<MapSurface> surfaces = file.ReadSurfaces(chunk);
            surfaceCount = surfaces.size();
            for (size_t s = 0; s < surfaces.size(); ++s) {
                const MapSurface& r = surfaces[s];
                std::printf(
                    "surface %zu level=%g kind=%d waves=%g,%g atlas=%d,%g specular=%g textures=%s,%s\n", s,
                    double(r.waterLevel), r.waterKind, double(r.waveSpeed), double(r.waveAmplitude),
                    r.atlasSide, double(r.atlasPeriod), double(r.specular), r.texture1, r.texture2);
            }
        } else if (chunk.type == 2) {
            PrintEnvironment(file, chunk);
        }
        file.EndChunk(chunk);
    }
    const std::vector<MapBlockRecord> blocks = file.ReadBlockTable(header);
    std::vector<int32_t> surfaces(blocks.size());
    const auto planes = std::make_unique<FullPlanes>();
    for (size_t n = 0; n < blocks.size(); ++n) {
        const int column = int(n % size_t(header.blocksX));
        const int row = int(n / size_t(header.blocksX));
        if (const char* reason = file.CheckBlock(blocks[n], surfaceCount))
            throw MapFileError("block " + std::to_string(column) + "," + std::to_string(row) + ": " + reason);
        const float* b = blocks[n].box;
        surfaces[n] = file.ReadFull(blocks[n].offset, *planes);
        std::printf("block %d %d offset=%u surface=%d box=%g,%g,%g,%g,%g,%g\n", column, row, blocks[n].offset,
            surfaces[n], double(b[0]), double(b[1]), double(b[2]), double(b[3]), double(b[4]), double(b[5]));
    }
    float lowest = 0.0f;
    float highest = 0.0f;
    size_t water = 0;
    std::map<uint16_t, size_t> materials;
    for (size_t n = 0; n < blocks.size(); ++n) {
        file.ReadFull(blocks[n].offset, *planes);
        for (int i = 0; i < FullPlanes::kPoints; ++i) {
            const float height = planes->height[i];
            lowest = n == 0 && i == 0 ? height : std::min(lowest, height);
            highest = n == 0 && i == 0 ? height : std::max(highest, height);
            water += ((planes->code[i] >> 8) & 0xFFu) != 0 ? 1 : 0;
            ++materials[uint16_t(planes->code[i] >> 16)];
        }
    }
    std::printf("heights %g %g\n", double(lowest), double(highest));
    std::printf("water %zu\n", water);
    for (const auto& [code, count] : materials)
        std::printf("material %u %zu\n", unsigned(code), count);
}

} // namespace

int RunInfo(const std::vector<std::string>& given)
{
    const std::vector<std::string> args = TakeBase(given);
    if (args.size() != 1)
        return kUsageExit;
    XFile handle;
    OpenMap(args[0], handle);
    XFileMapSource source(handle);
    MapFile file(source);
    try {
        Info(file);
    } catch (const MapFileError& error) {
        std::fflush(stdout);
        throw ToolFailure { args[0], 0, error.what() };
    }
    return 0;
}

} // namespace zoq::tools::map
