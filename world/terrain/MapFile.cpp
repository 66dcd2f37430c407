#include "world/terrain/MapFile.h"

#include "foundation/PakManager.h"

#include <cstring>

bool PakMapSource::Read(void* dest, size_t n)
{
    return n == 0 || g_PakManager.ReadAvailable(dest, n) == n;
}

bool PakMapSource::Seek(int64_t position)
{
    return position >= 0 && position <= Size() && g_PakManager.Seek(long(position), 0);
}

int64_t PakMapSource::Tell() const
{
    return g_PakManager.Tell();
}

int64_t PakMapSource::Size() const
{
    return g_PakManager.Size();
}

bool XFileMapSource::Read(void* dest, size_t n)
{
    return n == 0 || m_file.ReadAvailable(dest, n) == n;
}

bool XFileMapSource::Seek(int64_t position)
{
    return position >= 0 && position <= Size() && m_file.Seek(long(position), 0);
}

bool MemoryMapSource::Read(void* dest, size_t n)
{
    if (n > m_size - m_position)
        return false;
    if (n != 0)
        std::memcpy(dest, m_data + m_position, n);
    m_position += n;
    return true;
}

bool MemoryMapSource::Seek(int64_t position)
{
    if (position < 0 || uint64_t(position) > m_size)
        return false;
    m_position = size_t(position);
    return true;
}

namespace {

template <class T> T Field(const uint8_t* bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

template <size_t N> bool Terminated(const char (&text)[N])
{
    return std::memchr(text, 0, N) != nullptr;
}

} // namespace

void MapFile::Need(int64_t position, int64_t bytes, const char* what)
{
    if (m_size < 0)
        m_size = m_source.Size();
    if (position < 0 || bytes < 0 || position > m_size || bytes > m_size - position)
        throw MapFileError(std::string(what) + " past end of file");
}

void MapFile::ReadAt(int64_t position, void* dest, size_t n, const char* what)
{
    Need(position, int64_t(n), what);
    if ((m_source.Tell() != position && !m_source.Seek(position)) || !m_source.Read(dest, n))
        throw MapFileError(std::string(what) + " unreadable");
}

MapHeader MapFile::ReadHeader()
{
    uint8_t bytes[kHeaderSize];
    ReadAt(0, bytes, sizeof bytes, "header");
    MapHeader header {};
    std::memcpy(header.name, bytes + 4, sizeof header.name);
    header.width = Field<int32_t>(bytes, 132);
    header.height = Field<int32_t>(bytes, 136);
    header.chunkCount = Field<int32_t>(bytes, 140);
    std::memcpy(header.horizon, bytes + 144, sizeof header.horizon);
    bool nameEnds = false;
    for (char16_t c : header.name)
        nameEnds = nameEnds || c == 0;
    if (!nameEnds)
        throw MapFileError("location name not terminated");
    if (!Terminated(header.horizon))
        throw MapFileError("horizon name not terminated");
    if (header.width < kMinPoints || header.width > kMaxPoints || header.height < kMinPoints
        || header.height > kMaxPoints)
        throw MapFileError("size " + std::to_string(header.width) + " x " + std::to_string(header.height)
            + " outside 2..4097 points");
    if (header.chunkCount < 0)
        throw MapFileError("negative chunk count");
    header.blocksX = ((header.width - 2) >> 6) + 1;
    header.blocksY = ((header.height - 2) >> 6) + 1;
    m_next = kHeaderSize;
    return header;
}

MapChunk MapFile::NextChunk()
{
    uint8_t bytes[kChunkHeaderSize];
    ReadAt(m_next, bytes, sizeof bytes, "chunk header");
    MapChunk chunk { Field<uint32_t>(bytes, 0), Field<uint32_t>(bytes, 8), m_next + kChunkHeaderSize };
    Need(chunk.payload, chunk.size, "chunk");
    m_next = chunk.payload;
    return chunk;
}

void MapFile::EndChunk(const MapChunk& chunk)
{
    m_next = chunk.payload + chunk.size;
    if (!m_source.Seek(m_next))
        throw MapFileError("chunk end unreachable");
}

std::vector<MapSurface> MapFile::ReadSurfaces(const MapChunk& chunk)
{
    std::vector<MapSurface> surfaces(chunk.size / kSurfaceSize);
    uint8_t bytes[kSurfaceSize];
    for (size_t i = 0; i < surfaces.size(); ++i) {
        ReadAt(chunk.payload + int64_t(i) * kSurfaceSize, bytes, sizeof bytes, "surface record");
        MapSurface& s = surfaces[i];
        s.waveSpeed = Field<float>(bytes, 8);
        s.waveAmplitude = Field<float>(bytes, 12);
        s.waterLevel = Field<float>(bytes, 20);
        std::memcpy(s.texture1, bytes + 24, sizeof s.texture1);
        s.atlasSide = Field<int32_t>(bytes, 56);
        s.atlasPeriod = Field<float>(bytes, 60);
        s.specular = Field<float>(bytes, 64);
        s.waterKind = Field<int32_t>(bytes, 68);
        std::memcpy(s.texture2, bytes + 132, sizeof s.texture2);
        if (!Terminated(s.texture1) || !Terminated(s.texture2))
            throw MapFileError("surface " + std::to_string(i) + ": texture name not terminated");
    }
    return surfaces;
}

std::vector<MapBlockRecord> MapFile::ReadBlockTable(const MapHeader& header)
{
    const size_t count = size_t(header.blocksX) * size_t(header.blocksY);
    std::vector<uint8_t> bytes(count * kBlockRecordSize);
    ReadAt(m_next, bytes.data(), bytes.size(), "block table");
    std::vector<MapBlockRecord> blocks(count);
    for (size_t n = 0; n < count; ++n) {
        const uint8_t* record = bytes.data() + n * kBlockRecordSize;
        blocks[n].offset = Field<uint32_t>(record, 0);
        std::memcpy(blocks[n].box, record + 4, sizeof blocks[n].box);
    }
    return blocks;
}

const char* MapFile::CheckBlock(const MapBlockRecord& block, size_t surfaceCount)
{
    if (m_size < 0)
        m_size = m_source.Size();
    if (int64_t(block.offset) > m_size - kBlockBytes)
        return "offset past end of file";
    int32_t surface = 0;
    ReadAt(block.offset, &surface, sizeof surface, "block");
    if (surface < -1 || (surface >= 0 && size_t(surface) >= surfaceCount))
        return "surface index outside the records";
    return nullptr;
}

void MapFile::ReadPlane(uint8_t* dest, int side, int stride, int plane, const char* what)
{
    uint8_t values[kFullPlaneBytes];
    const size_t n = size_t(side) * size_t(side);
    if (!m_source.Read(values, n * 4))
        throw MapFileError(std::string(what) + " unreadable");
    for (size_t i = 0; i < n; ++i)
        std::memcpy(dest + (i * size_t(stride) + size_t(plane)) * 4, values + i * 4, 4);
}

int32_t MapFile::ReadHalf(uint32_t offset, HalfPoint* points)
{
    Need(offset, 4 + kHalfPlanes * kHalfPlaneBytes, "block");
    int32_t surface = 0;
    ReadAt(offset, &surface, sizeof surface, "block");
    for (int plane = 0; plane < kHalfPlanes; ++plane)
        ReadPlane(reinterpret_cast<uint8_t*>(points), kHalfSide, 4, plane, "half plane");
    return surface;
}

int32_t MapFile::ReadFull(uint32_t offset, FullPlanes& planes)
{
    Need(offset, kBlockBytes, "block");
    int32_t surface = 0;
    ReadAt(offset, &surface, sizeof surface, "block");
    if (!m_source.Seek(int64_t(offset) + 4 + kHalfPlanes * kHalfPlaneBytes))
        throw MapFileError("block unreadable");
    if (!m_source.Read(&planes, sizeof planes))
        throw MapFileError("full planes unreadable");
    return surface;
}

std::vector<uint8_t> MapFile::ReadBytes(int64_t position, size_t n)
{
    std::vector<uint8_t> bytes(n);
    ReadAt(position, bytes.data(), n, "chunk");
    return bytes;
}

std::string MapNameUtf8(const char16_t* name)
{
    std::string out;
    for (int i = 0; i < 64 && name[i] != 0; ++i) {
        uint32_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < 64 && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(name[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}
