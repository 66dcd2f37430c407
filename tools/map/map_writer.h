// The location-map writer: builds a ".zjp" file (header, surface and environment chunks, block
// table, block planes) from an in-memory map, for the tests, zoq-map and the demo data. The
// per-point planes the game reads but nobody authors (normals, half-resolution planes, hour
// light words, mesh omission bits, block boxes) are derived here; see map_derived.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::map {

// Fixed sizes of the file (stored format).
inline constexpr size_t kHeaderSize = 304;
inline constexpr size_t kChunkHeaderSize = 12;
inline constexpr size_t kSurfaceRecordSize = 228;
inline constexpr size_t kEnvironmentHeadSize = 164;
inline constexpr size_t kWeatherRecordSize = 428;
inline constexpr size_t kBlockRecordSize = 76;
inline constexpr int kBlockSteps = 64; // a block spans 64 x 64 steps, 65 x 65 points
inline constexpr int kFullSide = 65;
inline constexpr int kHalfSide = 33;
inline constexpr size_t kHalfPlaneBytes = size_t(kHalfSide) * kHalfSide * 4;
inline constexpr size_t kFullPlaneBytes = size_t(kFullSide) * kFullSide * 4;
inline constexpr size_t kBlockDataSize = 4 + 4 * kHalfPlaneBytes + 5 * kFullPlaneBytes; // 101,928
inline constexpr float kStep = 10.0f; // world units between grid points
inline constexpr int kMinPoints = 2;
inline constexpr int kMaxPoints = 4097;

// Chunk types.
inline constexpr uint32_t kSurfaceChunk = 1;
inline constexpr uint32_t kEnvironmentChunk = 2;

// A chunk-1 record: the water of the blocks that name it.
struct SurfaceRecord {
    float waveSpeed = 0.0f;
    float waveAmplitude = 0.0f; // 0 = still water
    float level = 0.0f; // world height of the water
    std::string texture1 {}; // at most 31 bytes
    int32_t atlas = 0; // N x N frames of texture1; 0 = none
    float atlasPeriod = 0.0f; // seconds
    float specular = 0.0f;
    int32_t kind = 0; // 0 reflecting water, 1 and 2 other kinds
    std::string texture2 {}; // at most 31 bytes
};

// Weather effect flags.
inline constexpr uint32_t kEffectRain = 1;
inline constexpr uint32_t kEffectSnow = 2;
inline constexpr uint32_t kEffectStorm = 4;

// One weather record of chunk 2. Texture names are at most 31 bytes; colours are ARGB.
struct WeatherRecord {
    uint8_t kind = 0; // 0 day, 1 night
    float weight = 1.0f;
    std::string sky1 {}, sky2 {};
    uint32_t skyColour1 = 0, skyColour2 = 0;
    uint32_t fog1Toward = 0, fog1Away = 0; // set 1: day (night for a night record)
    uint32_t fog2Toward = 0, fog2Away = 0; // set 2: dusk (dawn)
    int32_t fogMode = 3; // 1 exponential, 2 exponential squared, 3 linear
    float fogStart = 0.0f, fogEnd = 0.0f, fogDensity = 0.0f;
    std::string cloud1 {}, cloud2 {};
    float cloud1Scale = 1.0f, cloud2Scale = 1.0f;
    std::array<float, 2> cloud1Scroll {}, cloud2Scroll {};
    std::string sun {}, moon {};
    uint32_t ambient = 0, sunColour = 0, moonColour = 0;
    std::array<float, 3> wind {};
    uint32_t effects = 0; // kEffect* bits
    float effectIntensity = 0.0f; // 1.0 = 8000 particles
    float effectWindow = 0.0f;
    float effectChance = 0.0f;
};

// A chunk written as given, after the surface and environment chunks.
struct RawChunk {
    uint32_t type = 0;
    std::vector<uint8_t> payload {};
};

// A location map. Point planes are row-major (row = y), width x height entries each.
struct LocationMap {
    std::string name; // UTF-8; at most 63 UTF-16 units
    int32_t width = 0; // points along x, 2..4097
    int32_t height = 0; // points along y
    std::string horizon; // model name, header and chunk 2; at most 159 bytes
    std::vector<SurfaceRecord> surfaces;
    std::vector<WeatherRecord> weather;
    std::vector<RawChunk> extraChunks;
    std::vector<float> heights;
    std::vector<uint8_t> water; // nonzero = the point lies in water
    std::vector<uint16_t> materials; // land material code
    std::vector<uint32_t> colours; // ARGB vertex colour
    // BlocksX() x BlocksY(), row-major: -1 = none, else a surface index (written as given, even
    // past the records, so that tests can make such files).
    std::vector<int32_t> blockSurfaces;

    int BlocksX() const { return ((width - 2) >> 6) + 1; }
    int BlocksY() const { return ((height - 2) >> 6) + 1; }
    size_t PointIndex(int gx, int gy) const { return size_t(gy) * size_t(width) + size_t(gx); }

    // A flat map of the given size: height 0, no water, material 0, white, no surfaces.
    static LocationMap Flat(int32_t width, int32_t height, std::string name = "map");
};

// Where the parts of a written file begin.
struct MapLayout {
    std::vector<size_t> chunks; // each chunk header, file order
    size_t blockTable = 0;
    std::vector<size_t> blocks; // each block's data, row-major
    size_t end = 0;
};

// The file's bytes. Throws std::invalid_argument naming the field when the map does not fit the
// format (sizes, plane lengths, names longer than their fields, surface index out of range).
std::vector<uint8_t> WriteMap(const LocationMap& map, MapLayout* layout = nullptr);
// Writes the file whole or not at all; false with a reason in error.
bool SaveMap(const std::filesystem::path& path, const LocationMap& map, std::string& error);

// Chunk payloads alone.
std::vector<uint8_t> WriteSurfaceChunk(const std::vector<SurfaceRecord>& surfaces);
std::vector<uint8_t> WriteEnvironmentChunk(
    const std::string& horizon, const std::vector<WeatherRecord>& weather);

} // namespace zoq::tools::map
