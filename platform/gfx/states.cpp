#include "platform/gfx/states.h"

#include <cmath>
#include <iterator>

namespace plat::gfx {
namespace {

constexpr uint32_t kOne = 0x3F800000; // 1.0f
constexpr uint32_t kSixtyFour = 0x42800000; // 64.0f

constexpr uint32_t Enum(auto last)
{
    return uint32_t(last) + 1;
}

// In the order of RenderState.
constexpr StateRow kRenderStates[] = {
    { "ZENABLE", StateKind::Bool, 0, 1 },
    { "ZWRITEENABLE", StateKind::Bool, 0, 1 },
    { "ZFUNC", StateKind::Enum, Enum(Compare::Always), uint32_t(Compare::LessEqual) },
    { "ZBIAS", StateKind::Uint, 16, 0 },
    { "ALPHATESTENABLE", StateKind::Bool, 0, 0 },
    { "ALPHAREF", StateKind::Uint, 255, 0 },
    { "ALPHAFUNC", StateKind::Enum, Enum(Compare::Always), uint32_t(Compare::Always) },
    { "ALPHABLENDENABLE", StateKind::Bool, 0, 0 },
    { "SRCBLEND", StateKind::Enum, Enum(Blend::InvDestColor), uint32_t(Blend::One) },
    { "DESTBLEND", StateKind::Enum, Enum(Blend::InvDestColor), uint32_t(Blend::Zero) },
    { "CULLMODE", StateKind::Enum, Enum(Cull::Ccw), uint32_t(Cull::Ccw) },
    { "LIGHTING", StateKind::Bool, 0, 1 },
    { "AMBIENT", StateKind::Any, 0, 0 },
    { "SPECULARENABLE", StateKind::Bool, 0, 0 },
    { "NORMALIZENORMALS", StateKind::Bool, 0, 0 },
    { "COLORVERTEX", StateKind::Bool, 0, 1 },
    { "LOCALVIEWER", StateKind::Bool, 0, 1 },
    { "DIFFUSEMATERIALSOURCE", StateKind::Enum, Enum(MaterialSource::Color2),
        uint32_t(MaterialSource::Color1) },
    { "SPECULARMATERIALSOURCE", StateKind::Enum, Enum(MaterialSource::Color2),
        uint32_t(MaterialSource::Color2) },
    { "AMBIENTMATERIALSOURCE", StateKind::Enum, Enum(MaterialSource::Color2),
        uint32_t(MaterialSource::Material) },
    { "EMISSIVEMATERIALSOURCE", StateKind::Enum, Enum(MaterialSource::Color2),
        uint32_t(MaterialSource::Material) },
    { "TEXTUREFACTOR", StateKind::Any, 0, 0xFFFFFFFF },
    { "FOGENABLE", StateKind::Bool, 0, 0 },
    { "FOGCOLOR", StateKind::Any, 0, 0 },
    { "FOGTABLEMODE", StateKind::Enum, Enum(FogMode::Linear), uint32_t(FogMode::None) },
    { "FOGVERTEXMODE", StateKind::Enum, Enum(FogMode::Linear), uint32_t(FogMode::None) },
    { "FOGSTART", StateKind::Float, 0, 0 },
    { "FOGEND", StateKind::Float, 0, kOne },
    { "FOGDENSITY", StateKind::Float, 0, kOne },
    { "RANGEFOGENABLE", StateKind::Bool, 0, 0 },
    { "VERTEXBLEND", StateKind::Enum, Enum(VertexBlendMode::Weights0), uint32_t(VertexBlendMode::Disable) },
    { "CLIPPING", StateKind::Bool, 0, 1 },
    { "CLIPPLANEENABLE", StateKind::Uint, (1u << kMaxClipPlanes) - 1, 0 },
    { "POINTSIZE", StateKind::Float, 0, kOne },
    { "POINTSIZE_MIN", StateKind::Float, 0, kOne },
    { "POINTSIZE_MAX", StateKind::Float, 0, kSixtyFour },
    { "POINTSPRITEENABLE", StateKind::Bool, 0, 0 },
    { "POINTSCALEENABLE", StateKind::Bool, 0, 0 },
    { "POINTSCALE_A", StateKind::Float, 0, kOne },
    { "POINTSCALE_B", StateKind::Float, 0, 0 },
    { "POINTSCALE_C", StateKind::Float, 0, 0 },
    { "DITHERENABLE", StateKind::Bool, 0, 0 },
};
static_assert(std::size(kRenderStates) == kRenderStateCount);

constexpr uint32_t kArgTexture = uint32_t(TextureArg::Texture);
constexpr uint32_t kArgCurrent = uint32_t(TextureArg::Current);

// In the order of StageState; operations and TEXCOORDINDEX hold stage 0's default here.
constexpr StateRow kStageStates[] = {
    { "COLOROP", StateKind::Enum, uint32_t(TextureOp::Count), uint32_t(TextureOp::Modulate) },
    { "COLORARG1", StateKind::Arg, 0, kArgTexture },
    { "COLORARG2", StateKind::Arg, 0, kArgCurrent },
    { "ALPHAOP", StateKind::Enum, uint32_t(TextureOp::Count), uint32_t(TextureOp::SelectArg1) },
    { "ALPHAARG1", StateKind::Arg, 0, kArgTexture },
    { "ALPHAARG2", StateKind::Arg, 0, kArgCurrent },
    { "BUMPENVMAT00", StateKind::Float, 0, 0 },
    { "BUMPENVMAT01", StateKind::Float, 0, 0 },
    { "BUMPENVMAT10", StateKind::Float, 0, 0 },
    { "BUMPENVMAT11", StateKind::Float, 0, 0 },
    { "TEXCOORDINDEX", StateKind::TexCoord, 0, 0 },
    { "ADDRESSU", StateKind::Enum, Enum(TextureAddress::Border), uint32_t(TextureAddress::Wrap) },
    { "ADDRESSV", StateKind::Enum, Enum(TextureAddress::Border), uint32_t(TextureAddress::Wrap) },
    { "BORDERCOLOR", StateKind::Any, 0, 0 },
    { "MAGFILTER", StateKind::Enum, Enum(TextureFilter::Anisotropic), uint32_t(TextureFilter::Point) },
    { "MINFILTER", StateKind::Enum, Enum(TextureFilter::Anisotropic), uint32_t(TextureFilter::Point) },
    { "MIPFILTER", StateKind::Enum, Enum(TextureFilter::Linear), uint32_t(TextureFilter::None) },
    { "MIPMAPLODBIAS", StateKind::Float, 0, 0 },
    { "MAXANISOTROPY", StateKind::Any, 0, 1 },
    { "BUMPENVLSCALE", StateKind::Float, 0, 0 },
    { "BUMPENVLOFFSET", StateKind::Float, 0, 0 },
    { "TEXTURETRANSFORMFLAGS", StateKind::Transform, 0, uint32_t(TextureTransform::Disable) },
    { "COLORARG0", StateKind::Arg, 0, kArgCurrent },
    { "ALPHAARG0", StateKind::Arg, 0, kArgCurrent },
    { "RESULTARG", StateKind::Arg, 0, kArgCurrent },
};
static_assert(std::size(kStageStates) == kStageStateCount);

bool IsValid(const StateRow& row, uint32_t value)
{
    switch (row.kind) {
    case StateKind::Bool:
        return value <= 1;
    case StateKind::Enum:
        return value < row.limit;
    case StateKind::Uint:
        return value <= row.limit;
    case StateKind::Float:
        return std::isfinite(BitsFloat(value));
    case StateKind::Any:
        return true;
    case StateKind::Arg:
        return (value & kArgSelectMask) < uint32_t(TextureArg::Count)
            && (value & ~(kArgSelectMask | kArgComplement | kArgAlphaReplicate)) == 0;
    case StateKind::TexCoord: {
        uint32_t mode = value & ~kTexCoordSetMask;
        return (value & kTexCoordSetMask) < kStageCount
            && (mode == kTexCoordPassThru || mode == kTexCoordCameraSpacePosition
                || mode == kTexCoordCameraSpaceReflectionVector);
    }
    case StateKind::Transform:
        return (value & ~kTextureTransformProjected) <= uint32_t(TextureTransform::Count4);
    }
    return false;
}

} // namespace

const StateRow& RenderStateRow(RenderState state)
{
    return kRenderStates[size_t(state)];
}
const StateRow& StageStateRow(StageState state)
{
    return kStageStates[size_t(state)];
}

uint32_t DefaultRenderState(RenderState state, bool hasAutoDepth)
{
    if (state == RenderState::ZEnable)
        return hasAutoDepth ? 1 : 0;
    return kRenderStates[size_t(state)].defaultValue;
}

uint32_t DefaultStageState(uint32_t stage, StageState state)
{
    if (stage > 0 && (state == StageState::ColorOp || state == StageState::AlphaOp))
        return uint32_t(TextureOp::Disable);
    if (state == StageState::TexCoordIndex)
        return stage;
    return kStageStates[size_t(state)].defaultValue;
}

bool IsValidRenderStateValue(RenderState state, uint32_t value)
{
    return size_t(state) < kRenderStateCount && IsValid(kRenderStates[size_t(state)], value);
}

bool IsValidStageStateValue(StageState state, uint32_t value)
{
    if (size_t(state) >= kStageStateCount)
        return false;
    if (state == StageState::ResultArg)
        return value == uint32_t(TextureArg::Current) || value == uint32_t(TextureArg::Temp);
    if ((state == StageState::ColorOp || state == StageState::AlphaOp)
        && value == uint32_t(TextureOp::BumpEnvMapLuminance))
        return true; // accepted; ValidateDevice refuses it
    return IsValid(kStageStates[size_t(state)], value);
}

const char* TextureOpName(TextureOp op)
{
    static constexpr const char* kNames[] = { "DISABLE", "SELECTARG1", "SELECTARG2", "MODULATE", "MODULATE2X",
        "MODULATE4X", "ADD", "SUBTRACT", "BLENDTEXTUREALPHA", "BLENDFACTORALPHA", "BLENDCURRENTALPHA",
        "MULTIPLYADD", "LERP", "DOTPRODUCT3", "BUMPENVMAP", "BUMPENVMAPLUMINANCE" };
    static_assert(std::size(kNames) == size_t(TextureOp::Count));
    return size_t(op) < std::size(kNames) ? kNames[size_t(op)] : "?";
}

} // namespace plat::gfx
