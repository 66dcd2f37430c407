#include "render/ModelFile.h"

#include "foundation/ByteOrder.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "render/Mesh.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace modelfile {

int ChannelBlockCount(uint32_t type)
{
    // Delta blocks by channel type 0-15.
    static constexpr int kBlocks[16] = { 0, 4, 2, 1, 2, 1, 2, 2, 3, 4, 2, 2, 3, 3, 3, 4 };
    return type < 16 ? kBlocks[type] : 0;
}

} // namespace modelfile

namespace {

using namespace modelfile;

// A fixed text field: its last byte is made a terminator.
template <size_t N> void CopyName(char (&out)[N], const uint8_t* p)
{
    std::memcpy(out, p, N);
    out[N - 1] = 0;
}

// Position kinds XYZ, XYZRHW and XYZB1-3; 0x0C and 0x0E have no size.
bool HasPosition(uint32_t format)
{
    const uint32_t position = format & 0x0E;
    return position != 0 && position <= 0x0A;
}

} // namespace

CModelFileReader::CModelFileReader(const uint8_t* data, size_t size, LogSink log)
    : m_data(data)
    , m_size(data ? size : 0)
    , m_log(std::move(log))
{
}

void CModelFileReader::Fail(const std::string& what) const
{
    std::string text = m_part >= 0 ? "part " + std::to_string(m_part) + ": " : std::string();
    text += what + " at offset " + std::to_string(m_at);
    throw XModelFileError(text);
}

const uint8_t* CModelFileReader::Take(size_t bytes, const char* what)
{
    if (bytes > m_size - m_at)
        Fail(std::string("file ends inside ") + what);
    const uint8_t* p = m_data + m_at;
    m_at += bytes;
    return p;
}

uint32_t CModelFileReader::U32(const char* what)
{
    return LoadLE<uint32_t>(Take(4, what));
}

void CModelFileReader::Log(std::string_view line) const
{
    if (m_log)
        m_log(line);
    else
        WriteErrorLog(line);
}

uint32_t CModelFileReader::ReadHeader()
{
    m_part = -1;
    const uint8_t* header = Take(kFileHeaderBytes, "the file header");
    const uint32_t count = LoadLE<uint32_t>(header);
    if (count > (m_size - m_at) / kPartRecordBytes) {
        m_at = 0;
        Fail("part count " + std::to_string(count) + " needs more bytes than the file has");
    }
    return count;
}

void CModelFileReader::ReadPart(SModelPartBlock& part)
{
    ++m_part;
    part = SModelPartBlock();
    const uint8_t* record = Take(kPartRecordBytes, "the part record");
    SModelPartRecord& r = part.record;
    r.type = LoadLE<uint32_t>(record);
    CopyName(r.name, record + 4);
    for (int i = 0; i < 4; ++i)
        CopyName(r.textures[i], record + 36 + 32 * i);
    r.groupMask = LoadLE<uint32_t>(record + 164);
    r.flags = LoadLE<uint32_t>(record + 168);

    switch (r.type) {
    case kPartModel:
    case kPartShape:
        part.model.emplace();
        ReadModel(*part.model);
        break;
    case kPartBillboard:
    case kPartBillboard2:
        break;
    case kPartEmitter: {
        const uint32_t size = U32("the particle block size");
        const uint8_t* block = Take(size, "the particle block");
        part.emitter.emplace();
        std::string reason;
        if (!ParseParticleBlock(block, size, *part.emitter, reason))
            Fail(reason);
        break;
    }
    default:
        Log(CP1251("CComplexObject::Load Загрузка типа не реализована"));
        Fail("part type " + std::to_string(r.type) + " is unknown");
    }
}

void CModelFileReader::ReadIndices(std::vector<uint16_t>& out, size_t count, uint32_t limit, const char* what)
{
    const uint8_t* p = Take(count * 2, what);
    out.resize(count);
    if (count)
        std::memcpy(out.data(), p, count * 2);
    // Eight entries at a time: any entry at or past the limit marks its lane. The culprit is
    // looked for only on failure.
    using Lanes = uint16_t __attribute__((vector_size(16)));
    const Lanes bound = Lanes {} + uint16_t(std::min<uint32_t>(limit, 0xFFFF));
    Lanes over = {};
    const uint16_t* entries = out.data();
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        Lanes v;
        std::memcpy(&v, entries + i, sizeof v);
        over |= Lanes(v >= bound);
    }
    bool failed
        = limit <= 0xFFFF && (over[0] | over[1] | over[2] | over[3] | over[4] | over[5] | over[6] | over[7]);
    for (; i < count; ++i)
        failed = failed || entries[i] >= limit;
    if (!failed)
        return;
    for (size_t k = 0; k < count; ++k) {
        if (out[k] >= limit)
            Fail(std::string(what) + " entry " + std::to_string(k) + " = " + std::to_string(out[k])
                + " is not below " + std::to_string(limit));
    }
}

void CModelFileReader::ReadMesh(SMeshBlock& mesh, const char* what)
{
    const uint8_t* header = Take(kMeshHeaderBytes, what);
    mesh.format = LoadLE<uint32_t>(header);
    mesh.vertexCount = LoadLE<uint32_t>(header + 4);
    const uint32_t indexCount = LoadLE<uint32_t>(header + 8);
    const uint32_t stride = Mesh::GetFVFSize(mesh.format);
    const std::string name(what);
    if (!HasPosition(mesh.format)) {
        char text[64];
        std::snprintf(text, sizeof text, " format 0x%x has no position", mesh.format);
        Fail(name + text);
    }
    if (mesh.vertexCount > kMaxVertices)
        Fail(name + " has " + std::to_string(mesh.vertexCount) + " vertices, more than "
            + std::to_string(kMaxVertices));
    if (indexCount % 3 != 0)
        Fail(name + " index count " + std::to_string(indexCount) + " is not a multiple of 3");
    const size_t vertexBytes = size_t(stride) * mesh.vertexCount;
    const uint8_t* vertices = Take(vertexBytes, what);
    mesh.vertices.assign(vertices, vertices + vertexBytes);
    if (size_t(indexCount) * 2 > m_size - m_at)
        Fail("file ends inside " + name + " indices");
    ReadIndices(mesh.indices, indexCount, mesh.vertexCount, (name + " index").c_str());
}

void CModelFileReader::ReadModel(SModelBlock& model)
{
    const uint8_t* h = Take(kModelHeaderBytes, "the model header");
    model.channelCount = LoadLE<uint32_t>(h);
    std::memcpy(model.material, h + 4, sizeof model.material);
    model.shaderSlot = LoadLE<uint32_t>(h + 72);
    model.frameGrid = LoadLE<int32_t>(h + 76);
    model.frameTime = LoadLE<float>(h + 80);
    model.autoAnimate = h[88];
    model.autoPeriod = LoadLE<float>(h + 92);
    model.autoChannel = LoadLE<uint32_t>(h + 96);
    model.blendMode = LoadLE<uint32_t>(h + 100);
    model.orderingsMode = LoadLE<uint32_t>(h + 108);
    model.texParamKind = LoadLE<uint32_t>(h + 112);
    model.texParamScale = LoadLE<float>(h + 116);
    const uint32_t pieceCount = LoadLE<uint32_t>(h + 120);
    if (model.channelCount > kMaxChannels)
        Fail("channel count " + std::to_string(model.channelCount) + " is above "
            + std::to_string(kMaxChannels));
    if (model.shaderSlot >= kShaderSlots)
        Fail("shader slot " + std::to_string(model.shaderSlot) + " is not below "
            + std::to_string(kShaderSlots));
    if (pieceCount > kMaxPieces)
        Fail("damage piece count " + std::to_string(pieceCount) + " is above " + std::to_string(kMaxPieces));

    ReadMesh(model.mesh, "the main mesh");
    model.channels.resize(model.channelCount);
    for (SMorphChannelBlock& channel : model.channels)
        ReadChannel(channel, model.mesh.vertexCount);
    if (model.HasOrderings()) {
        const size_t count = model.mesh.indices.size() * kOrderingCount;
        if (count * 2 > m_size - m_at)
            Fail("file ends inside the orderings");
        ReadIndices(model.orderings, count, model.mesh.vertexCount, "ordering index");
    }
    const uint32_t triangleCount = uint32_t(model.mesh.indices.size() / 3);
    model.pieces.resize(pieceCount);
    for (SDamagePieceBlock& piece : model.pieces)
        ReadPiece(piece, triangleCount);
}

void CModelFileReader::ReadChannel(SMorphChannelBlock& channel, uint32_t vertexCount)
{
    const uint8_t* h = Take(kChannelHeaderBytes, "a channel header");
    channel.type = LoadLE<uint32_t>(h);
    CopyName(channel.name, h + 4);
    plat::win::MakeUpper1251(channel.name, std::strlen(channel.name));
    channel.blockCount = ChannelBlockCount(channel.type);
    if (channel.blockCount == 0) {
        for (int b = 0; b < 4; ++b) {
            if (LoadLE<uint32_t>(h + 16 + 12 * b) != 0)
                Fail("channel of type " + std::to_string(channel.type) + " with deltas is unknown");
        }
        Log(CP1251("CModel::Load Запись этого типа анимации не реализована"));
        return;
    }
    for (int b = 0; b < channel.blockCount; ++b) {
        SDeltaBlock& block = channel.blocks[b];
        const uint32_t count = LoadLE<uint32_t>(h + 16 + 12 * b);
        block.hasIndices = LoadLE<uint32_t>(h + 20 + 12 * b) != 0;
        const uint64_t bytes = uint64_t(count) * (kDeltaBytes + (block.hasIndices ? 2 : 0));
        if (bytes > m_size - m_at)
            Fail("file ends inside delta block " + std::to_string(b));
        if (block.hasIndices)
            ReadIndices(block.indices, count, vertexCount, "delta vertex index");
        else if (count > vertexCount)
            Fail("delta block " + std::to_string(b) + " has " + std::to_string(count) + " deltas for "
                + std::to_string(vertexCount) + " vertices");
        const uint8_t* deltas = Take(size_t(count) * kDeltaBytes, "a delta block");
        block.deltas.resize(count);
        if (count)
            std::memcpy(block.deltas.data(), deltas, size_t(count) * kDeltaBytes);
    }
}

void CModelFileReader::ReadPiece(SDamagePieceBlock& piece, uint32_t triangleCount)
{
    const uint8_t* h = Take(kPieceHeaderBytes, "a damage piece header");
    const uint32_t count = LoadLE<uint32_t>(h);
    CopyName(piece.name, h + 4);
    std::memcpy(piece.position, h + 36, sizeof piece.position);
    if (uint64_t(count) * 2 > m_size - m_at)
        Fail("file ends inside the damage piece triangles");
    ReadIndices(piece.triangles, count, triangleCount, "damage piece triangle");
    ReadMesh(piece.mesh, "a damage piece mesh");
}

SModelFile ReadModelFile(const uint8_t* data, size_t size, CModelFileReader::LogSink log)
{
    CModelFileReader reader(data, size, std::move(log));
    SModelFile file;
    const uint32_t count = reader.ReadHeader();
    file.parts.resize(count);
    for (SModelPartBlock& part : file.parts)
        reader.ReadPart(part);
    return file;
}
