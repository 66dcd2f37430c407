// MapFile: the bounded reader of a location map file (".zjp"): the 304-byte header, the typed
// chunks, the chunk-1 surface records, the block table and one block's planes. Every read stays
// inside the file; a fault throws MapFileError with a short reason. Shared by Map::Load, the cell
// streaming and zoq-map. Little-endian host.
#pragma once

#include "foundation/XFile.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class MapFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the bytes come from: exact reads and absolute seeks over a file of known size.
class MapSource {
public:
    virtual ~MapSource() = default;
    virtual bool Read(void* dest, size_t n) = 0; // all n bytes or false
    virtual bool Seek(int64_t position) = 0;
    virtual int64_t Tell() const = 0;
    virtual int64_t Size() const = 0;
};

// PakManager's current file.
class PakMapSource : public MapSource {
public:
    bool Read(void* dest, size_t n) override;
    bool Seek(int64_t position) override;
    int64_t Tell() const override;
    int64_t Size() const override;
};

// An open XFile (the location's streaming handle, the tool's file).
class XFileMapSource : public MapSource {
public:
    explicit XFileMapSource(XFile& file)
        : m_file(file)
    {
    }
    bool Read(void* dest, size_t n) override;
    bool Seek(int64_t position) override;
    int64_t Tell() const override { return m_file.Tell(); }
    int64_t Size() const override { return m_file.Size(); }

private:
    XFile& m_file;
};

// Bytes in memory (fuzzing, tests).
class MemoryMapSource : public MapSource {
public:
    MemoryMapSource(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool Read(void* dest, size_t n) override;
    bool Seek(int64_t position) override;
    int64_t Tell() const override { return int64_t(m_position); }
    int64_t Size() const override { return int64_t(m_size); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

struct MapHeader {
    char16_t name[64]; // zero-terminated
    int32_t width; // grid points along x, 2..4097
    int32_t height;
    int32_t chunkCount;
    char horizon[160]; // zero-terminated
    int32_t blocksX; // ((width - 2) >> 6) + 1
    int32_t blocksY;
};

// One chunk-1 record: the fields the game reads, the texture names and, in memory only, the
// resolved texture indices and the reflection handle of the frame.
struct MapSurface {
    float waveSpeed;
    float waveAmplitude; // 0 = still water
    float waterLevel;
    char texture1[32];
    int32_t atlasSide; // N x N frames, 0 = no atlas
    float atlasPeriod;
    float specular;
    int32_t waterKind; // 0 reflects
    char texture2[96];
    int32_t texture1Index = -1;
    int32_t texture2Index = -1;
    int32_t reflection = -1; // 1-based target of this frame; <= 0 none
};

struct MapChunk {
    uint32_t type;
    uint32_t size;
    int64_t payload; // file offset of the payload
};

struct MapBlockRecord {
    uint32_t offset;
    float box[6]; // two opposite corners (x, y, z)
};

// One point of a full-resolution block: planes 0 to 4.
struct MapPoint {
    float height;
    uint32_t code; // byte 0: omission bits of levels 1-3; byte 1: water; high 16 bits: material
    uint32_t colour;
    uint32_t light;
    uint32_t normal;
};

// The five full-resolution planes of a block, as the file stores them.
struct FullPlanes {
    static constexpr int kPoints = 65 * 65;
    float height[kPoints];
    uint32_t code[kPoints];
    uint32_t colour[kPoints];
    uint32_t light[kPoints];
    uint32_t normal[kPoints];

    MapPoint At(int i) const { return MapPoint { height[i], code[i], colour[i], light[i], normal[i] }; }
};
static_assert(sizeof(FullPlanes) == 5 * 65 * 65 * 4);

// Interleaved point of a half-resolution block: planes 0 to 3.
struct HalfPoint {
    uint32_t height; // low 16 bits signed height; byte 2 bit 3: far omission; byte 3: water
    uint32_t colour;
    uint32_t light;
    uint32_t normal;
};

class MapFile {
public:
    static constexpr int kHeaderSize = 304;
    static constexpr int kChunkHeaderSize = 12;
    static constexpr int kSurfaceSize = 228;
    static constexpr int kBlockRecordSize = 76;
    static constexpr int kHalfSide = 33;
    static constexpr int kFullSide = 65;
    static constexpr int kHalfPlaneBytes = kHalfSide * kHalfSide * 4;
    static constexpr int kFullPlaneBytes = kFullSide * kFullSide * 4;
    static constexpr int kHalfPlanes = 4;
    static constexpr int kFullPlanes = 5;
    static constexpr int64_t kBlockBytes = 4 + kHalfPlanes * kHalfPlaneBytes + kFullPlanes * kFullPlaneBytes;
    static constexpr int kMinPoints = 2;
    static constexpr int kMaxPoints = 4097;

    explicit MapFile(MapSource& source)
        : m_source(source)
    {
    }

    // Reads the header at offset 0 and leaves the file at the first chunk.
    MapHeader ReadHeader();
    // The next chunk header, at the current chunk position; its payload must lie in the file.
    MapChunk NextChunk();
    // Positions the file after the chunk, whatever its reader consumed.
    void EndChunk(const MapChunk& chunk);
    // The chunk-1 records: size / 228 of them; the remainder is left unread.
    std::vector<MapSurface> ReadSurfaces(const MapChunk& chunk);
    // The blocksY x blocksX records after the last chunk, row-major.
    std::vector<MapBlockRecord> ReadBlockTable(const MapHeader& header);
    // Null when the block's data lies in the file and its surface index is -1 or below
    // surfaceCount; else the reason. Reads the block's first word.
    const char* CheckBlock(const MapBlockRecord& block, size_t surfaceCount);
    // A block's surface index and half-resolution planes, interleaved.
    int32_t ReadHalf(uint32_t offset, HalfPoint* points);
    // A block's surface index and full-resolution planes.
    int32_t ReadFull(uint32_t offset, FullPlanes& planes);

    // n bytes at a position inside the file.
    std::vector<uint8_t> ReadBytes(int64_t position, size_t n);

    int64_t Size() const { return m_size; }

private:
    void Need(int64_t position, int64_t bytes, const char* what);
    void ReadAt(int64_t position, void* dest, size_t n, const char* what);
    void ReadPlane(uint8_t* dest, int side, int stride, int plane, const char* what);

    MapSource& m_source;
    int64_t m_size = -1;
    int64_t m_next = kHeaderSize; // where the next chunk header (or the block table) starts
};

// The location name as UTF-8.
std::string MapNameUtf8(const char16_t* name);
