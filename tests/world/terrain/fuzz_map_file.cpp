// Fuzz entry: the input is a location map file, read by the map reader alone and then loaded the
// game's way: Map::Load from the file layer and height queries that stream its cells.
#include "foundation/PakManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"
#include "world/terrain/MapFile.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace {

void ReadAlone(const uint8_t* data, size_t size)
{
    MemoryMapSource source(data, size);
    MapFile file(source);
    try {
        const MapHeader header = file.ReadHeader();
        size_t surfaces = 0;
        for (int32_t i = 0; i < header.chunkCount; ++i) {
            const MapChunk chunk = file.NextChunk();
            if (chunk.type == 1)
                surfaces = file.ReadSurfaces(chunk).size();
            file.EndChunk(chunk);
        }
        const std::vector<MapBlockRecord> blocks = file.ReadBlockTable(header);
        const auto full = std::make_unique<FullPlanes>();
        std::vector<HalfPoint> half(size_t(MapFile::kHalfSide) * MapFile::kHalfSide);
        for (size_t n = 0; n < blocks.size() && n < 4; ++n) {
            if (file.CheckBlock(blocks[n], surfaces))
                break;
            file.ReadHalf(blocks[n].offset, half.data());
            file.ReadFull(blocks[n].offset, *full);
        }
    } catch (const MapFileError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path path = [] {
        static zoq::test::TempDir folder("map-fuzz");
        zoq::test::DiscardErrorLog();
        Location.SizeBufferPools(2, 2);
        return folder.Path() / "f.zjp";
    }();
    ReadAlone(data, size);
    zoq::test::WriteBytes(path, std::span<const uint8_t>(data, size));
    try {
        if (g_PakManager.Open(path.string().c_str())) {
            Map::Load(Location);
            g_PakManager.CloseFile();
            Location.streamOpen = g_PakManager.OpenXFile(path.string().c_str(), Location.streamFile) != 0;
            for (const Vec3& p : { Vec3 { 5, 5, 0 }, Vec3 { 700, 300, 0 }, Vec3 { 1300, 1300, 0 } }) {
                Location.GetHeight(p, true, true);
                Location.GetHeightAt(p, true);
            }
        }
    } catch (const std::exception&) {
    }
    g_PakManager.CloseFile();
    Location.Purge();
    Location.streamFile.Close();
    Location.streamOpen = 0;
    ResetCallTrace();
    return 0;
}
