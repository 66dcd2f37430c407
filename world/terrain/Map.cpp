#include "world/terrain/Map.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/CModelManager.h"
#include "render/TextureManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/MapFile.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void Refuse(const std::string& where, const std::string& reason)
{
    WriteErrorLog("Map::Load" + where + ": " + reason);
    throw MapFileError(reason);
}

int TextureIndex(const char* name)
{
    return g_pTextureManager && name[0] != 0 ? g_pTextureManager->FindTexture(name) : -1;
}

} // namespace

void Map::Load(CLocation& location)
{
    ZJ_TRACE("Map::Load");
    PakMapSource source;
    MapFile file(source);
    MapHeader header {};
    std::vector<MapBlockRecord> blocks;
    std::vector<MapSurface> surfaces;
    try {
        header = file.ReadHeader();
        if (g_pModelManager) {
            const int horizon = g_pModelManager->FindModel(header.horizon);
            if (horizon != -1)
                Environment.horizonModel = horizon;
        }
        for (int32_t i = 0; i < header.chunkCount; ++i) {
            const MapChunk chunk = file.NextChunk();
            if (chunk.type == 1) {
                surfaces = file.ReadSurfaces(chunk);
                for (MapSurface& surface : surfaces) {
                    surface.texture1Index = TextureIndex(surface.texture1);
                    surface.texture2Index = TextureIndex(surface.texture2);
                }
            } else if (chunk.type == 2) {
                if (!source.Seek(chunk.payload))
                    throw MapFileError("chunk unreachable");
                Environment.Load(chunk.size);
            }
            file.EndChunk(chunk);
        }
        blocks = file.ReadBlockTable(header);
    } catch (const MapFileError& error) {
        Refuse("", error.what());
    }
    for (size_t n = 0; n < blocks.size(); ++n) {
        const char* reason = nullptr;
        try {
            reason = file.CheckBlock(blocks[n], surfaces.size());
        } catch (const MapFileError& error) {
            reason = error.what();
        }
        if (reason)
            Refuse(" block " + std::to_string(n % size_t(header.blocksX)) + ","
                    + std::to_string(n / size_t(header.blocksX)),
                reason);
    }

    location.width = header.width;
    location.height = header.height;
    location.blocksX = header.blocksX;
    location.blocksY = header.blocksY;
    std::memcpy(location.name, header.name, sizeof location.name);
    location.surfaces = std::move(surfaces);
    for (size_t n = 0; n < blocks.size(); ++n) {
        SCellRecord& cell = location.Cell(int(n % size_t(header.blocksX)), int(n / size_t(header.blocksX)));
        const MapBlockRecord& block = blocks[n];
        cell.offset = block.offset;
        cell.full = nullptr;
        cell.half = nullptr;
        std::fill(std::begin(cell.factors), std::end(cell.factors), 1.0f);
        cell.surface = nullptr;
        std::memcpy(cell.box, block.box, sizeof cell.box);
        cell.centre = Vec3 { (block.box[0] + block.box[3]) * 0.5f, (block.box[1] + block.box[4]) * 0.5f,
            (block.box[2] + block.box[5]) * 0.5f };
        const float dx = block.box[0] - cell.centre.x;
        const float dy = block.box[1] - cell.centre.y;
        const float dz = block.box[2] - cell.centre.z;
        cell.radius = std::sqrt(dx * dx + dy * dy + dz * dz);
        cell.counter = 0;
    }
}
