#include "tools/model/model_writer.h"

#include "platform/win/text.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace zoq::tools::model {
namespace {

using namespace modelfile;

class Out {
public:
    explicit Out(Bytes& bytes)
        : m_bytes(bytes)
    {
    }
    void Raw(const void* data, size_t n)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + n);
    }
    void U16(uint16_t v) { AppendLE(m_bytes, v); }
    void U32(uint32_t v) { AppendLE(m_bytes, v); }
    void F32(float v) { AppendLE(m_bytes, v); }
    void Zeros(size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    // A fixed text field of n bytes; the text is cut to leave room for the terminator.
    void Name(const char* text, size_t n)
    {
        const size_t length = strnlen(text, n - 1);
        Raw(text, length);
        Zeros(n - length);
    }
    size_t Size() const { return m_bytes.size(); }

private:
    Bytes& m_bytes;
};

void PutMesh(Out& out, const SMeshBlock& mesh)
{
    out.U32(mesh.format);
    out.U32(mesh.vertexCount);
    out.U32(uint32_t(mesh.indices.size()));
    out.Raw(mesh.vertices.data(), mesh.vertices.size());
    out.Raw(mesh.indices.data(), mesh.indices.size() * 2);
}

void PutChannel(Out& out, const SMorphChannelBlock& channel)
{
    out.U32(channel.type);
    out.Name(channel.name, sizeof channel.name);
    for (int b = 0; b < 4; ++b) {
        const bool used = b < channel.blockCount;
        out.U32(used ? uint32_t(channel.blocks[b].deltas.size()) : 0);
        out.U32(used && channel.blocks[b].hasIndices ? 1 : 0);
        out.U32(0);
    }
    for (int b = 0; b < channel.blockCount; ++b) {
        const SDeltaBlock& block = channel.blocks[b];
        if (block.hasIndices) {
            for (size_t k = 0; k < block.deltas.size(); ++k) {
                out.U16(k < block.indices.size() ? block.indices[k] : 0);
            }
        }
        out.Raw(block.deltas.data(), block.deltas.size() * sizeof(SMorphDelta));
    }
}

void PutModel(Out& out, const SModelBlock& model)
{
    const size_t start = out.Size();
    out.U32(uint32_t(model.channels.size()));
    out.Raw(model.material, sizeof model.material);
    out.U32(model.shaderSlot);
    out.U32(uint32_t(model.frameGrid));
    out.F32(model.frameTime);
    out.Zeros(4);
    out.Raw(&model.autoAnimate, 1);
    out.Zeros(3);
    out.F32(model.autoPeriod);
    out.U32(model.autoChannel);
    out.U32(model.blendMode);
    out.Zeros(4);
    out.U32(model.orderingsMode);
    out.U32(model.texParamKind);
    out.F32(model.texParamScale);
    out.U32(uint32_t(model.pieces.size()));
    out.Zeros(kModelHeaderBytes - (out.Size() - start));
    PutMesh(out, model.mesh);
    for (const SMorphChannelBlock& channel : model.channels)
        PutChannel(out, channel);
    if (model.HasOrderings())
        out.Raw(model.orderings.data(), model.orderings.size() * 2);
    for (const SDamagePieceBlock& piece : model.pieces) {
        out.U32(uint32_t(piece.triangles.size()));
        out.Name(piece.name, sizeof piece.name);
        out.Raw(piece.position, sizeof piece.position);
        out.Zeros(kPieceHeaderBytes - 48);
        out.Raw(piece.triangles.data(), piece.triangles.size() * 2);
        PutMesh(out, piece.mesh);
    }
}

std::string Text(const char* text)
{
    return *text ? plat::win::Cp1251ToUtf8(text) : std::string("-");
}

std::string Floats(const float* values, int n)
{
    std::string text;
    char buffer[32];
    for (int i = 0; i < n; ++i) {
        std::snprintf(buffer, sizeof buffer, i ? ",%g" : "%g", double(values[i]));
        text += buffer;
    }
    return text;
}

} // namespace

Bytes EncodeModelFile(const SModelFile& file)
{
    Bytes bytes;
    Out out(bytes);
    out.U32(uint32_t(file.parts.size()));
    out.Zeros(kFileHeaderBytes - 4);
    for (const SModelPartBlock& part : file.parts) {
        const SModelPartRecord& r = part.record;
        out.U32(r.type);
        out.Name(r.name, sizeof r.name);
        for (const auto& texture : r.textures)
            out.Name(texture, sizeof texture);
        out.U32(r.groupMask);
        out.U32(r.flags);
        out.Zeros(kPartRecordBytes - 172);
        if ((r.type == kPartModel || r.type == kPartShape) && part.model)
            PutModel(out, *part.model);
        else if (r.type == kPartEmitter && part.emitter)
            AppendParticleBlock(*part.emitter, bytes);
    }
    return bytes;
}

bool WriteModelFile(const std::filesystem::path& path, const SModelFile& file, std::string& error)
{
    const Bytes bytes = EncodeModelFile(file);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot create the file";
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush()) {
        error = "cannot write the file";
        return false;
    }
    return true;
}

std::string FormatModelInfo(const SModelFile& file)
{
    std::string text;
    char line[512];
    std::snprintf(line, sizeof line, "parts %zu\n", file.parts.size());
    text += line;
    for (size_t i = 0; i < file.parts.size(); ++i) {
        const SModelPartBlock& part = file.parts[i];
        const SModelPartRecord& r = part.record;
        std::snprintf(line, sizeof line,
            "part %zu type=%u name=%s group=0x%08x facing=%d textures=%s,%s,%s,%s\n", i, r.type,
            Text(r.name).c_str(), r.groupMask, (r.flags & kFacesCamera) ? 1 : 0, Text(r.textures[0]).c_str(),
            Text(r.textures[1]).c_str(), Text(r.textures[2]).c_str(), Text(r.textures[3]).c_str());
        text += line;
        if (part.model) {
            const SModelBlock& m = *part.model;
            std::snprintf(line, sizeof line,
                "  model fvf=0x%x vertices=%u triangles=%zu slot=%u grid=%d blend=%u orderings=%d\n",
                m.mesh.format, m.mesh.vertexCount, m.mesh.indices.size() / 3, m.shaderSlot, m.frameGrid,
                m.blendMode, m.HasOrderings() ? 1 : 0);
            text += line;
            std::snprintf(line, sizeof line,
                "  material diffuse=%s ambient=%s specular=%s emissive=%s power=%g\n",
                Floats(m.material, 4).c_str(), Floats(m.material + 4, 4).c_str(),
                Floats(m.material + 8, 4).c_str(), Floats(m.material + 12, 4).c_str(),
                double(m.material[16]));
            text += line;
            for (size_t k = 0; k < m.channels.size(); ++k) {
                const SMorphChannelBlock& c = m.channels[k];
                std::string deltas;
                for (int b = 0; b < c.blockCount; ++b)
                    deltas += (b ? "," : "") + std::to_string(c.blocks[b].deltas.size());
                std::snprintf(line, sizeof line, "  channel %zu type=%u name=%s deltas=%s\n", k, c.type,
                    Text(c.name).c_str(), deltas.empty() ? "-" : deltas.c_str());
                text += line;
            }
            for (size_t k = 0; k < m.pieces.size(); ++k) {
                const SDamagePieceBlock& p = m.pieces[k];
                std::snprintf(line, sizeof line,
                    "  point %zu name=%s at=%g,%g,%g triangles=%zu vertices=%u\n", k, Text(p.name).c_str(),
                    double(p.position[0]), double(p.position[1]), double(p.position[2]), p.triangles.size(),
                    p.mesh.vertexCount);
                text += line;
            }
        }
        if (part.emitter) {
            const SParticleBlock& e = *part.emitter;
            std::snprintf(line, sizeof line,
                "  emitter max=%u kind=%u texture=%s keys=%u lifetime=%g rate=%g\n", e.desc.maxParticles,
                e.viewer.kind, Text(e.viewer.texture).c_str(), e.keyCount, double(e.desc.lifetime),
                double(e.desc.rate));
            text += line;
        }
    }
    return text;
}

} // namespace zoq::tools::model
