// Model files: the records of the format and its one reader, shared by CComplexObject::Load and
// the tools. A file is a 68-byte header with the part count, then per part a 228-byte record and
// its data block (types 0 and 1 a model block, 4 a particle block). The reader checks every count
// and size against the bytes left before using it and refuses a file that breaks a rule with
// XModelFileError, whose text names the part, the field and the offset. Unread header bytes are
// ignored; the writer fills them with zeros.
#pragma once

#include "render/ParticleBlock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class XModelFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace modelfile {
constexpr uint32_t kFileHeaderBytes = 68;
constexpr uint32_t kPartRecordBytes = 228;
constexpr uint32_t kModelHeaderBytes = 144;
constexpr uint32_t kMeshHeaderBytes = 12;
constexpr uint32_t kChannelHeaderBytes = 64;
constexpr uint32_t kDeltaBytes = 24;
constexpr uint32_t kPieceHeaderBytes = 77;

constexpr uint32_t kMaxChannels = 4;
constexpr uint32_t kMaxPieces = 8;
constexpr uint32_t kMaxVertices = 65536; // 16-bit indices
constexpr int kOrderingCount = 6;
constexpr uint32_t kShaderSlots = 50;

// Part types.
constexpr uint32_t kPartModel = 0;
constexpr uint32_t kPartShape = 1; // system-memory model, not drawn
constexpr uint32_t kPartBillboard = 2;
constexpr uint32_t kPartBillboard2 = 3;
constexpr uint32_t kPartEmitter = 4;

// Part flags.
constexpr uint32_t kFacesCamera = 1;

// Delta blocks of a channel type 1-15; 0 for any other type.
int ChannelBlockCount(uint32_t type);
} // namespace modelfile

struct SMorphDelta {
    float position[3];
    float normal[3];
};
static_assert(sizeof(SMorphDelta) == 24);

// A mesh block: the vertices exactly as the device takes them, then u16 triangle-list indices.
struct SMeshBlock {
    uint32_t format = 0;
    uint32_t vertexCount = 0;
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> indices;
};

struct SDeltaBlock {
    bool hasIndices = false;
    // With indices, delta k moves vertex indices[k]; without, vertex k.
    std::vector<uint16_t> indices;
    std::vector<SMorphDelta> deltas;
};

struct SMorphChannelBlock {
    uint32_t type = 0;
    char name[12] = {}; // upper case
    int blockCount = 0; // 0: a channel of an unknown type, skipped
    SDeltaBlock blocks[4];
};

// A damage piece: the main-mesh triangles it removes and its own mesh. The header's name and
// position make the piece a model point ("FIRE", "FIRE1", ...).
struct SDamagePieceBlock {
    char name[32] = {};
    float position[3] = {};
    std::vector<uint16_t> triangles;
    SMeshBlock mesh;
};

struct SModelBlock {
    uint32_t channelCount = 0; // channel records in the file
    float material[17] = {}; // diffuse, ambient, specular, emissive (r, g, b, a), power
    uint32_t shaderSlot = 0;
    int32_t frameGrid = 0; // below 256 n x n frames; else low byte columns, high byte rows
    float frameTime = 0; // seconds per frame
    uint8_t autoAnimate = 0;
    float autoPeriod = 0;
    uint32_t autoChannel = 0;
    uint32_t blendMode = 0;
    uint32_t orderingsMode = 0; // 1 or 2: orderings follow the channels
    uint32_t texParamKind = 0;
    float texParamScale = 0;
    SMeshBlock mesh;
    std::vector<SMorphChannelBlock> channels;
    std::vector<uint16_t> orderings; // six index lists of the main mesh's length, or none
    std::vector<SDamagePieceBlock> pieces;

    bool HasOrderings() const { return orderingsMode == 1 || orderingsMode == 2; }
};

struct SModelPartRecord {
    uint32_t type = 0;
    char name[32] = {};
    char textures[4][32] = {};
    uint32_t groupMask = 0;
    uint32_t flags = 0;
};

struct SModelPartBlock {
    SModelPartRecord record;
    std::optional<SModelBlock> model; // types 0 and 1
    std::optional<SParticleBlock> emitter; // type 4
};

struct SModelFile {
    std::vector<SModelPartBlock> parts;
};

// Reads a model file held in memory, part by part, so that a caller can keep the parts read
// before a refusal.
class CModelFileReader {
public:
    using LogSink = std::function<void(std::string_view)>;

    // log receives the lines the game writes to its error log (unknown channel types); none:
    // WriteErrorLog.
    CModelFileReader(const uint8_t* data, size_t size, LogSink log = {});

    // The part count, checked against the bytes left.
    uint32_t ReadHeader();
    // The next part; a part type above 4 is refused.
    void ReadPart(SModelPartBlock& part);
    size_t Offset() const { return m_at; }

private:
    [[noreturn]] void Fail(const std::string& what) const;
    const uint8_t* Take(size_t bytes, const char* what);
    uint32_t U32(const char* what);
    void ReadModel(SModelBlock& model);
    void ReadMesh(SMeshBlock& mesh, const char* what);
    void ReadChannel(SMorphChannelBlock& channel, uint32_t vertexCount);
    void ReadPiece(SDamagePieceBlock& piece, uint32_t triangleCount);
    void ReadIndices(std::vector<uint16_t>& out, size_t count, uint32_t limit, const char* what);
    void Log(std::string_view line) const;

    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
    int m_part = -1;
    LogSink m_log;
};

// Reads a whole file; throws XModelFileError.
SModelFile ReadModelFile(const uint8_t* data, size_t size, CModelFileReader::LogSink log = {});
