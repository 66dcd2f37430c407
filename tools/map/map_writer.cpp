#include "tools/map/map_writer.h"

#include "foundation/ByteOrder.h"
#include "platform/win/text.h"
#include "tools/data/atomic_file.h"
#include "tools/map/map_derived.h"

#include <algorithm>
#include <stdexcept>

namespace zoq::tools::map {

namespace {

class Out {
public:
    void U32(uint32_t v) { AppendLE(bytes, v); }
    void I32(int32_t v) { AppendLE(bytes, v); }
    void F32(float v) { AppendLE(bytes, v); }
    void U8(uint8_t v) { bytes.push_back(v); }
    void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    // A zero-terminated text in a field of n bytes.
    void Text(const std::string& text, size_t n, const char* field)
    {
        if (text.size() >= n || text.find('\0') != std::string::npos)
            throw std::invalid_argument(
                std::string(field) + " \"" + text + "\" is longer than " + std::to_string(n - 1) + " bytes");
        bytes.insert(bytes.end(), text.begin(), text.end());
        Zeros(n - text.size());
    }

    Bytes bytes;
};

std::u16string ToUtf16(const std::string& text)
{
    std::u16string out;
    for (size_t pos = 0; pos < text.size();) {
        const char32_t cp = plat::win::DecodeUtf8(text, pos);
        if (cp >= 0x10000) {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

void WriteHeader(Out& out, const LocationMap& map, uint32_t chunkCount)
{
    constexpr size_t kNameUnits = 64;
    const std::u16string name = ToUtf16(map.name);
    if (name.size() >= kNameUnits)
        throw std::invalid_argument("name \"" + map.name + "\" is longer than 63 UTF-16 units");
    out.Zeros(4);
    for (size_t i = 0; i < kNameUnits; ++i)
        AppendLE(out.bytes, uint16_t(i < name.size() ? name[i] : 0));
    out.I32(map.width);
    out.I32(map.height);
    out.U32(chunkCount);
    out.Text(map.horizon, 160, "horizon");
}

void WriteChunk(Out& out, uint32_t type, const Bytes& payload, MapLayout* layout)
{
    if (layout)
        layout->chunks.push_back(out.bytes.size());
    out.U32(type);
    out.U32(0);
    out.U32(uint32_t(payload.size()));
    out.bytes.insert(out.bytes.end(), payload.begin(), payload.end());
}

void Check(const LocationMap& map)
{
    if (map.width < kMinPoints || map.width > kMaxPoints || map.height < kMinPoints
        || map.height > kMaxPoints)
        throw std::invalid_argument(
            "points " + std::to_string(map.width) + " x " + std::to_string(map.height) + " outside 2..4097");
    const size_t points = size_t(map.width) * size_t(map.height);
    const auto plane = [&](size_t size, const char* name) {
        if (size != points)
            throw std::invalid_argument(std::string(name) + " holds " + std::to_string(size) + " points, not "
                + std::to_string(points));
    };
    plane(map.heights.size(), "heights");
    plane(map.water.size(), "water");
    plane(map.materials.size(), "materials");
    plane(map.colours.size(), "colours");
    if (map.blockSurfaces.size() != size_t(map.BlocksX()) * size_t(map.BlocksY()))
        throw std::invalid_argument("blockSurfaces holds " + std::to_string(map.blockSurfaces.size())
            + " blocks, not " + std::to_string(map.BlocksX() * map.BlocksY()));
}

// The values the blocks share along their edges, computed once per point of the map.
struct Derived {
    explicit Derived(const LocationMap& map)
        : full(map.heights.size())
        , normal(map.heights.size())
        , light(map.heights.size())
        , half(map.heights.size())
    {
        const std::vector<uint8_t> shadows = ShadowMasks(map);
        for (int gy = 0; gy < map.height; ++gy)
            for (int gx = 0; gx < map.width; ++gx) {
                const size_t at = map.PointIndex(gx, gy);
                const Vec3 n = PointNormal(map, gx, gy);
                full[at] = FullPointWord(map, gx, gy);
                normal[at] = PackNormal(n);
                light[at] = LightWord(n, shadows[at]);
                if ((gx & 1) == 0 && (gy & 1) == 0)
                    half[at] = HalfPointWord(map, gx, gy);
            }
    }

    std::vector<uint32_t> full, normal, light, half;
};

struct Box {
    float z0 = 0.0f, z1 = 0.0f;
};

Box BlockBox(const LocationMap& map, int column, int row)
{
    Box box { HeightAt(map, 64 * column, 64 * row), HeightAt(map, 64 * column, 64 * row) };
    for (int y = 0; y < kFullSide; ++y)
        for (int x = 0; x < kFullSide; ++x) {
            const float h = HeightAt(map, kBlockSteps * column + x, kBlockSteps * row + y);
            box.z0 = std::min(box.z0, h);
            box.z1 = std::max(box.z1, h);
        }
    const int32_t surface = map.blockSurfaces[size_t(row) * size_t(map.BlocksX()) + size_t(column)];
    if (surface >= 0 && size_t(surface) < map.surfaces.size()) {
        box.z0 = std::min(box.z0, map.surfaces[size_t(surface)].level);
        box.z1 = std::max(box.z1, map.surfaces[size_t(surface)].level);
    }
    return box;
}

void WriteBlockRecord(Out& out, const LocationMap& map, int column, int row, uint32_t offset)
{
    const Box box = BlockBox(map, column, row);
    out.U32(offset);
    out.F32(float(kBlockSteps * column) * kStep);
    out.F32(float(kBlockSteps * row) * kStep);
    out.F32(box.z0);
    out.F32(float(kBlockSteps * (column + 1)) * kStep);
    out.F32(float(kBlockSteps * (row + 1)) * kStep);
    out.F32(box.z1);
    out.Zeros(kBlockRecordSize - 28);
}

void WriteBlockData(Out& out, const LocationMap& map, const Derived& derived, int column, int row)
{
    const auto at = [&](int x, int y) {
        return map.PointIndex(std::clamp(kBlockSteps * column + x, 0, map.width - 1),
            std::clamp(kBlockSteps * row + y, 0, map.height - 1));
    };
    // derived.half holds the map's even points; those past its edge are derived here.
    const auto halfWord = [&](int x, int y) {
        const int gx = kBlockSteps * column + 2 * x;
        const int gy = kBlockSteps * row + 2 * y;
        const size_t i = at(2 * x, 2 * y);
        return (gx < map.width && gy < map.height) ? derived.half[i] : HalfPointWord(map, gx, gy);
    };
    out.I32(map.blockSurfaces[size_t(row) * size_t(map.BlocksX()) + size_t(column)]);
    for (int plane = 0; plane < 4; ++plane)
        for (int y = 0; y < kHalfSide; ++y)
            for (int x = 0; x < kHalfSide; ++x) {
                const size_t i = at(2 * x, 2 * y);
                const uint32_t values[]
                    = { halfWord(x, y), map.colours[i], derived.light[i], derived.normal[i] };
                out.U32(values[plane]);
            }
    for (int plane = 0; plane < 5; ++plane)
        for (int y = 0; y < kFullSide; ++y)
            for (int x = 0; x < kFullSide; ++x) {
                const size_t i = at(x, y);
                if (plane == 0)
                    out.F32(map.heights[i]);
                else
                    out.U32(std::array { derived.full[i], map.colours[i], derived.light[i],
                        derived.normal[i] }[size_t(plane - 1)]);
            }
}

} // namespace

LocationMap LocationMap::Flat(int32_t width, int32_t height, std::string name)
{
    LocationMap map;
    map.name = std::move(name);
    map.width = width;
    map.height = height;
    const size_t points = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
    map.heights.assign(points, 0.0f);
    map.water.assign(points, 0);
    map.materials.assign(points, 0);
    map.colours.assign(points, 0xFFFFFFFFu);
    map.blockSurfaces.assign(size_t(std::max(map.BlocksX(), 0)) * size_t(std::max(map.BlocksY(), 0)), -1);
    return map;
}

std::vector<uint8_t> WriteSurfaceChunk(const std::vector<SurfaceRecord>& surfaces)
{
    Out out;
    for (const SurfaceRecord& s : surfaces) {
        out.Zeros(8);
        out.F32(s.waveSpeed);
        out.F32(s.waveAmplitude);
        out.Zeros(4);
        out.F32(s.level);
        out.Text(s.texture1, 32, "texture1");
        out.I32(s.atlas);
        out.F32(s.atlasPeriod);
        out.F32(s.specular);
        out.I32(s.kind);
        out.Zeros(60);
        out.Text(s.texture2, 32, "texture2");
        out.Zeros(64);
    }
    return out.bytes;
}

std::vector<uint8_t> WriteEnvironmentChunk(
    const std::string& horizon, const std::vector<WeatherRecord>& weather)
{
    Out out;
    out.U32(uint32_t(weather.size()));
    out.Text(horizon, 160, "horizon");
    for (const WeatherRecord& w : weather) {
        out.Zeros(64);
        out.U8(w.kind);
        out.Zeros(3);
        out.U32(w.skyColour1);
        out.U32(w.fog1Toward);
        out.U32(w.fog1Away);
        out.I32(w.fogMode);
        out.F32(w.fogStart);
        out.F32(w.fogEnd);
        out.F32(w.fogDensity);
        out.Text(w.cloud1, 32, "cloud1");
        out.Text(w.cloud2, 32, "cloud2");
        out.F32(w.cloud1Scale);
        out.F32(w.cloud2Scale);
        out.F32(w.cloud1Scroll[0]);
        out.F32(w.cloud1Scroll[1]);
        out.Zeros(4);
        out.F32(w.cloud2Scroll[0]);
        out.F32(w.cloud2Scroll[1]);
        out.Zeros(4);
        out.Text(w.sun, 32, "sun");
        out.U32(w.ambient);
        out.U32(w.sunColour);
        out.U32(w.moonColour);
        out.Text(w.moon, 32, "moon");
        out.F32(w.weight);
        out.Text(w.sky1, 32, "sky1");
        out.Text(w.sky2, 32, "sky2");
        out.U32(w.skyColour2);
        for (float v : w.wind)
            out.F32(v);
        out.U32(w.effects);
        out.F32(w.effectIntensity);
        out.F32(w.effectWindow);
        out.F32(w.effectChance);
        out.U32(w.fog2Toward);
        out.U32(w.fog2Away);
        out.Zeros(52);
    }
    return out.bytes;
}

std::vector<uint8_t> WriteMap(const LocationMap& map, MapLayout* layout)
{
    Check(map);
    if (layout)
        *layout = {};
    const int blocksX = map.BlocksX();
    const int blocksY = map.BlocksY();
    Out out;
    WriteHeader(out, map, uint32_t(2 + map.extraChunks.size()));
    WriteChunk(out, kSurfaceChunk, WriteSurfaceChunk(map.surfaces), layout);
    WriteChunk(out, kEnvironmentChunk, WriteEnvironmentChunk(map.horizon, map.weather), layout);
    for (const RawChunk& chunk : map.extraChunks)
        WriteChunk(out, chunk.type, chunk.payload, layout);

    const size_t table = out.bytes.size();
    const size_t firstBlock = table + size_t(blocksX) * size_t(blocksY) * kBlockRecordSize;
    if (firstBlock + size_t(blocksX) * size_t(blocksY) * kBlockDataSize > UINT32_MAX)
        throw std::invalid_argument("the file would pass 4 GiB");
    if (layout)
        layout->blockTable = table;
    for (int row = 0; row < blocksY; ++row)
        for (int column = 0; column < blocksX; ++column) {
            const size_t offset
                = firstBlock + (size_t(row) * size_t(blocksX) + size_t(column)) * kBlockDataSize;
            WriteBlockRecord(out, map, column, row, uint32_t(offset));
            if (layout)
                layout->blocks.push_back(offset);
        }
    const Derived derived(map);
    out.bytes.reserve(firstBlock + size_t(blocksX) * size_t(blocksY) * kBlockDataSize);
    for (int row = 0; row < blocksY; ++row)
        for (int column = 0; column < blocksX; ++column)
            WriteBlockData(out, map, derived, column, row);
    if (layout)
        layout->end = out.bytes.size();
    return out.bytes;
}

bool SaveMap(const std::filesystem::path& path, const LocationMap& map, std::string& error)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = WriteMap(map);
    } catch (const std::invalid_argument& e) {
        error = e.what();
        return false;
    }
    data::AtomicFile file;
    return file.Open(path, error) && file.Write(bytes.data(), bytes.size(), error) && file.Commit(error);
}

} // namespace zoq::tools::map
