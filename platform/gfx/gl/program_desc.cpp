#include "platform/gfx/gl/program_desc.h"

#include "platform/gfx/fvf.h"

#include <cassert>

namespace plat::gfx::gl {
namespace {

// Appends fields to the key's words, low bits first.
// Packs fields into the key's words, filling one word in a register before storing it.
class KeyWriter {
public:
    explicit KeyWriter(ProgramKey& key)
        : m_key(key)
    {
    }
    void Put(uint64_t value, uint32_t bits)
    {
        value &= bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
        m_word |= value << m_shift;
        if (m_shift + bits >= 64) {
            const uint32_t spilled = m_shift + bits - 64;
            Flush();
            m_word = spilled > 0 ? value >> (bits - spilled) : 0;
            m_shift = spilled;
        } else {
            m_shift += bits;
        }
    }
    uint32_t Position() const { return m_index * 64 + m_shift; }
    // Stores the last, partly filled word.
    void Finish()
    {
        if (m_shift > 0)
            Flush();
    }

private:
    void Flush()
    {
        if (m_index < m_key.bits.size())
            m_key.bits[m_index] = m_word;
        ++m_index;
        m_word = 0;
    }

    ProgramKey& m_key;
    uint64_t m_word = 0;
    uint32_t m_index = 0;
    uint32_t m_shift = 0;
};

ColorSource ResolveSource(const DeviceState& state, RenderState which, const FvfLayout& layout)
{
    if (!state.Get(RenderState::ColorVertex))
        return ColorSource::Material;
    auto source = MaterialSource(state.Get(which));
    if (source == MaterialSource::Color1 && layout.diffuseOffset >= 0)
        return ColorSource::Diffuse;
    if (source == MaterialSource::Color2 && layout.specularOffset >= 0)
        return ColorSource::Specular;
    return ColorSource::Material;
}

bool ReadsTexture(TextureOp op, const std::array<uint8_t, 3>& args)
{
    uint32_t read = ArgumentsRead(op);
    for (uint32_t i = 0; i < 3; ++i)
        if (((read >> i) & 1) && (args[i] & kArgSelectMask) == uint32_t(TextureArg::Texture))
            return true;
    return false;
}

void ReadArguments(const DeviceState& state, uint32_t stage, TextureOp op, StageState a0, StageState a1,
    StageState a2, std::array<uint8_t, 3>& out)
{
    uint32_t read = ArgumentsRead(op);
    const StageState args[3] = { a0, a1, a2 };
    for (uint32_t i = 0; i < 3; ++i)
        out[i] = ((read >> i) & 1) ? uint8_t(state.Get(stage, args[i])) : 0;
}

void DescribeStages(const DeviceState& state, FragmentDesc& f)
{
    for (uint32_t k = 0; k < kStageCount; ++k) {
        auto colorOp = TextureOp(state.Get(k, StageState::ColorOp));
        if (colorOp == TextureOp::Disable)
            break;
        if (colorOp == TextureOp::BumpEnvMapLuminance)
            colorOp = TextureOp::BumpEnvMap;
        StageDesc& s = f.stages[k];
        s.colorOp = colorOp;
        ReadArguments(state, k, colorOp, StageState::ColorArg0, StageState::ColorArg1, StageState::ColorArg2,
            s.colorArg);
        auto alphaOp = TextureOp(state.Get(k, StageState::AlphaOp));
        if (alphaOp == TextureOp::BumpEnvMapLuminance)
            alphaOp = TextureOp::BumpEnvMap;
        // DOTPRODUCT3 fills alpha too, and a bump stage passes CURRENT on whole.
        if (colorOp == TextureOp::DotProduct3 || colorOp == TextureOp::BumpEnvMap)
            alphaOp = TextureOp::Disable;
        s.alphaOp = alphaOp;
        ReadArguments(state, k, alphaOp, StageState::AlphaArg0, StageState::AlphaArg1, StageState::AlphaArg2,
            s.alphaArg);
        s.resultTemp = state.Get(k, StageState::ResultArg) == uint32_t(TextureArg::Temp);
        if (colorOp == TextureOp::BumpEnvMap || colorOp == TextureOp::BlendTextureAlpha
            || alphaOp == TextureOp::BlendTextureAlpha || ReadsTexture(colorOp, s.colorArg)
            || ReadsTexture(alphaOp, s.alphaArg))
            f.sampledStages |= uint8_t(1u << k);
        f.stageCount = uint8_t(k + 1);
    }
}

} // namespace

uint32_t ArgumentsRead(TextureOp op)
{
    switch (op) {
    case TextureOp::Disable:
    case TextureOp::BumpEnvMap:
    case TextureOp::BumpEnvMapLuminance:
        return 0;
    case TextureOp::SelectArg1:
        return 2;
    case TextureOp::SelectArg2:
        return 4;
    case TextureOp::MultiplyAdd:
    case TextureOp::Lerp:
        return 7;
    default:
        return 6;
    }
}

ProgramRenderValues ProgramRenderValuesOf(const DeviceState& state)
{
    ProgramRenderValues values;
    for (size_t i = 0; i < kProgramRenderStates.size(); ++i)
        values[i] = state.Get(kProgramRenderStates[i]);
    return values;
}

size_t ProgramKeyHash::operator()(const ProgramKey& key) const
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint64_t word : key.bits) {
        hash ^= word;
        hash *= 0x100000001B3ull;
        hash ^= hash >> 29;
    }
    return size_t(hash);
}

ProgramKey PackKey(const ProgramDesc& desc)
{
    ProgramKey key;
    KeyWriter w(key);
    const VertexDesc& v = desc.vertex;
    w.Put(v.shader, 1);
    w.Put(v.shader ? v.shaderId : v.fvf, 32);
    w.Put(v.transformed, 1);
    w.Put(v.lighting, 1);
    w.Put(v.normalize, 1);
    w.Put(v.localViewer, 1);
    w.Put(uint32_t(v.diffuse), 2);
    w.Put(uint32_t(v.specular), 2);
    w.Put(uint32_t(v.ambient), 2);
    w.Put(uint32_t(v.emissive), 2);
    w.Put(v.blendWeights, 2);
    w.Put(uint32_t(v.fogSource), 2);
    w.Put(uint32_t(v.fogMode), 2);
    w.Put(v.rangeFog, 1);
    w.Put(v.eyeDepth, 1);
    w.Put(v.points, 1);
    w.Put(v.pointScale, 1);
    w.Put(v.clipPlanes, 6);
    for (const StageCoords& c : v.coords) {
        w.Put(c.used, 1);
        w.Put(uint32_t(c.source), 2);
        w.Put(c.set, 3);
        w.Put(c.setFloats, 3);
        w.Put(c.count, 3);
        w.Put(c.projected, 1);
    }
    const FragmentDesc& f = desc.fragment;
    w.Put(f.shader, 1);
    w.Put(f.shaderId, 32);
    w.Put(f.stageCount, 4);
    for (const StageDesc& s : f.stages) {
        w.Put(uint32_t(s.colorOp), 4);
        for (uint8_t arg : s.colorArg)
            w.Put(arg, 6);
        w.Put(uint32_t(s.alphaOp), 4);
        for (uint8_t arg : s.alphaArg)
            w.Put(arg, 6);
        w.Put(s.resultTemp, 1);
        w.Put(s.projected, 1);
        w.Put(s.projectedCount, 3);
    }
    w.Put(f.sampledStages, 8);
    w.Put(f.specularAdd, 1);
    w.Put(uint32_t(f.fog), 2);
    w.Put(uint32_t(f.tableMode), 2);
    w.Put(f.alphaTest, 1);
    w.Put(uint32_t(f.alphaFunc), 3);
    w.Put(f.sprite, 1);
    assert(w.Position() <= key.bits.size() * 64);
    w.Finish();
    return key;
}

bool DescribeDraw(const DeviceState& state, bool points, const ShaderIds& shaders, ProgramDesc& out)
{
    out = ProgramDesc {};
    VertexDesc& v = out.vertex;
    FragmentDesc& f = out.fragment;

    FvfLayout layout;
    if (IsShaderHandle(state.vertexShader)) {
        if (shaders.vertex == 0)
            return false;
        v.shader = true;
        v.shaderId = shaders.vertex;
    } else {
        layout = DecodeFvf(state.vertexShader);
        if (!layout.valid)
            return false;
        v.fvf = state.vertexShader;
        v.transformed = layout.transformed;
    }
    bool fixed = !v.shader;
    bool untransformed = fixed && !v.transformed;

    if (state.pixelShader != 0) {
        if (shaders.pixel == 0)
            return false;
        f.shader = true;
        f.shaderId = shaders.pixel;
        f.sampledStages = shaders.pixelSamples;
    } else {
        DescribeStages(state, f);
        f.specularAdd = state.Get(RenderState::SpecularEnable) != 0;
    }

    if (untransformed && state.Get(RenderState::Lighting)) {
        v.lighting = true;
        v.normalize = state.Get(RenderState::NormalizeNormals) != 0;
        v.localViewer = state.Get(RenderState::LocalViewer) != 0;
        v.diffuse = ResolveSource(state, RenderState::DiffuseMaterialSource, layout);
        v.specular = ResolveSource(state, RenderState::SpecularMaterialSource, layout);
        v.ambient = ResolveSource(state, RenderState::AmbientMaterialSource, layout);
        v.emissive = ResolveSource(state, RenderState::EmissiveMaterialSource, layout);
    }
    if (untransformed) {
        switch (VertexBlendMode(state.Get(RenderState::VertexBlend))) {
        case VertexBlendMode::Weights1:
            v.blendWeights = 1;
            break;
        case VertexBlendMode::Weights2:
            v.blendWeights = 2;
            break;
        case VertexBlendMode::Weights3:
            v.blendWeights = 3;
            break;
        default:
            v.blendWeights = 0;
            break;
        }
    }
    if (!v.transformed)
        v.clipPlanes = uint8_t(state.Get(RenderState::ClipPlaneEnable) & ((1u << kMaxClipPlanes) - 1));

    if (state.Get(RenderState::FogEnable)) {
        auto table = FogMode(state.Get(RenderState::FogTableMode));
        auto vertex = FogMode(state.Get(RenderState::FogVertexMode));
        if (table != FogMode::None) {
            f.fog = FogKind::Table;
            f.tableMode = table;
            v.eyeDepth = true;
        } else {
            f.fog = FogKind::Vertex;
            if (v.shader) {
                v.fogSource = VertexFogSource::ShaderOutput;
            } else if (untransformed && vertex != FogMode::None) {
                v.fogSource = VertexFogSource::Computed;
                v.fogMode = vertex;
                v.rangeFog = state.Get(RenderState::RangeFogEnable) != 0;
            } else {
                v.fogSource = VertexFogSource::SpecularAlpha;
            }
        }
    }
    if (state.Get(RenderState::AlphaTestEnable)) {
        auto func = Compare(state.Get(RenderState::AlphaFunc));
        if (func != Compare::Always) {
            f.alphaTest = true;
            f.alphaFunc = func;
        }
    }
    if (points) {
        v.points = true;
        v.pointScale = untransformed && state.Get(RenderState::PointScaleEnable) != 0;
        f.sprite = state.Get(RenderState::PointSpriteEnable) != 0;
    }

    for (uint32_t k = 0; k < kStageCount; ++k) {
        if (!((f.sampledStages >> k) & 1))
            continue;
        uint32_t flags = state.Get(k, StageState::TextureTransformFlags);
        uint32_t count = flags & 0xFF;
        StageDesc& s = f.stages[k];
        if ((flags & kTextureTransformProjected) && count >= 2 && !f.sprite) {
            s.projected = true;
            s.projectedCount = uint8_t(count);
        }
        if (f.sprite)
            continue; // coordinates come from the point
        StageCoords& c = v.coords[k];
        c.used = true;
        if (v.shader) {
            c.set = uint8_t(k);
            continue;
        }
        uint32_t index = state.Get(k, StageState::TexCoordIndex);
        uint32_t mode = index & ~kTexCoordSetMask;
        c.set = uint8_t(index & kTexCoordSetMask & 7);
        if (untransformed && mode == kTexCoordCameraSpacePosition)
            c.source = CoordSource::CameraPosition;
        else if (untransformed && mode == kTexCoordCameraSpaceReflectionVector)
            c.source = CoordSource::CameraReflection;
        if (c.source != CoordSource::Set)
            c.set = 0;
        else
            c.setFloats = uint8_t(c.set < layout.texCoordCount ? layout.texCoordFloats[c.set] : 0);
        c.count = uint8_t(count <= 4 ? count : 0);
        c.projected = s.projected;
    }
    return true;
}

} // namespace plat::gfx::gl
