// CRadarMap: the tile reader of a location's radar map file, a 16-byte header and 64 x 64 DXT3
// tiles stored row by row. The header is untrusted: a refused one leaves the reader closed, and
// a closed reader, a tile outside the grid or bytes past the file's end read as zeros.
#pragma once

#include "foundation/XFile.h"

#include <cstdint>
#include <string>

// The file's header, little-endian u32s.
struct SRadarMapHeader {
    uint32_t dataOffset;
    uint32_t spare;
    uint32_t width;
    uint32_t height;
};

struct RadarMapFormat {
    static constexpr int32_t kHeaderBytes = 16;
    static constexpr int32_t kTileSide = 64;
    static constexpr int32_t kTileBytes = 4096; // 16 rows of 16 DXT3 blocks
    static constexpr int32_t kBlockRowBytes = 256;
    static constexpr uint32_t kMaxSide = 65536;

    static int32_t Columns(int32_t width) { return (width + 63) >> 6; }
    static int32_t Rows(int32_t height) { return (height + 63) >> 6; }
    // The bytes the tiles of a picture of that size need.
    static int64_t TileBytes(int32_t width, int32_t height)
    {
        return int64_t(Columns(width)) * Rows(height) * kTileBytes;
    }
    // Why the header is refused for a file of that size, or null when it is sound: each side
    // within 1..65536 and dataOffset inside the file.
    static const char* CheckHeader(const SRadarMapHeader& header, int64_t fileSize);
};

// The radar map file of a location file: its name with the last three characters replaced by
// "mmm".
std::string RadarMapName(const char* locationFile);

class CRadarMap {
public:
    CRadarMap() = default;
    virtual ~CRadarMap() = default;
    CRadarMap(const CRadarMap&) = delete;
    CRadarMap& operator=(const CRadarMap&) = delete;

    // path = the data directory + name, opened through the archive layer. A missing file stays
    // closed silently; a refused header is logged and leaves the reader closed. True when open.
    bool Open(const char* name);
    void Close();
    bool IsOpen() const { return file.IsOpened(); }
    // Tile (x, y) into 4096 bytes.
    virtual void ReadTile(uint8_t* buffer, int32_t x, int32_t y);

    uint32_t dataOffset = 0;
    XFile file;
    int32_t width = 0;
    int32_t height = 0;
    char path[256] = {};
    int32_t columns = 0;
    int32_t rows = 0;
};

// The one reader, made by the application; null before start-up and after shutdown.
extern CRadarMap* g_pRadarMap;
