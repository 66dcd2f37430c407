// Fuzz entry: any bytes as a radar map file, opened by the game's reader and read tile by tile.
// A refused header leaves the reader closed; a tile outside the grid or past the file's end reads
// zeros.
#include "foundation/BaseDirectory.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "ui/CRadarMap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace {

bool Zero(const uint8_t* tile)
{
    return std::all_of(tile, tile + RadarMapFormat::kTileBytes, [](uint8_t b) { return b == 0; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path path = [] {
        static zoq::test::TempDir folder("radarmap-fuzz");
        SetBaseDirectory(folder.Path().string());
        zoq::test::DiscardErrorLog();
        zoq::test::UseIniTables({});
        return folder.Path() / "f.mmm";
    }();
    zoq::test::WriteBytes(path, std::span<const uint8_t>(data, size));
    CRadarMap map;
    const bool open = map.Open("f.mmm");
    if (open != map.IsOpen()
        || (open && (map.columns < 1 || map.rows < 1 || int64_t(map.dataOffset) >= int64_t(size))))
        __builtin_trap();
    static uint8_t tile[RadarMapFormat::kTileBytes];
    // Every tile of a small grid; the corners and the first rows and columns of a large one.
    const int32_t columns = std::min(map.columns, 64);
    const int32_t rows = std::min(map.rows, 64);
    for (int32_t y = -1; y <= rows; ++y)
        for (int32_t x = -1; x <= columns; ++x) {
            map.ReadTile(tile, x, y);
            const int64_t at
                = int64_t(map.dataOffset) + (int64_t(map.columns) * y + x) * RadarMapFormat::kTileBytes;
            const bool outside = !open || x < 0 || y < 0 || x >= map.columns || y >= map.rows;
            if ((outside || at >= int64_t(size)) && !Zero(tile))
                __builtin_trap();
        }
    map.ReadTile(tile, map.columns - 1, map.rows - 1);
    return 0;
}
