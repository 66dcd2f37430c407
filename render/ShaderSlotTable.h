// The shader slot table as data: each slot's variants, each variant's requirements, validation
// kind, passes (lists of state operations with their texture lists), repeat and restore lists.
// TexShaderManager runs every variant through one builder; the rows live in ShaderSlots_0_23.cpp
// and ShaderSlots_24_49.cpp, and the order of building in ShaderInitSteps.cpp.
#pragma once

#include "platform/gfx/states.h"

#include <array>
#include <bit>
#include <cstdint>
#include <span>

// One state operation of a block.
struct SShaderOp {
    enum class Kind : uint8_t {
        Render, // SetRenderState(state, value)
        Stage, // SetTextureStageState(stage, state, value)
        Color, // COLOROP = state, then the arguments named in argMask
        Alpha, // ALPHAOP = state, then the arguments named in argMask
        PixelShader, // SetPixelShader(the manager's program `value`), kNoProgram: none
        VertexShader, // SetVertexShader(the water vertex shader)
        VsConstant, // SetVertexShaderConstant(state, vector, 1)
        Factor, // SetFactorColor(value, mask = state)
    };
    // Operations recorded only on some devices.
    enum class Cond : uint8_t {
        Always,
        WideStages, // only when stages > 2 and textures > 2
    };
    // Values chosen when the block is recorded.
    enum class Choice : uint8_t {
        Fixed,
        BorderElseClamp, // BORDER with border addressing, else CLAMP
    };

    static constexpr uint32_t kArg1 = 1, kArg2 = 2, kArg0 = 4;
    static constexpr uint32_t kNoProgram = 0xFFFFFFFFu;

    Kind kind = Kind::Render;
    uint8_t stage = 0;
    uint8_t argMask = 0;
    Cond cond = Cond::Always;
    Choice choice = Choice::Fixed;
    uint32_t state = 0;
    uint32_t value = 0;
    uint32_t args[3] = {}; // ARG1, ARG2, ARG0
    const float* vector = nullptr;
};

using ShaderOps = std::span<const SShaderOp>;

// Caller texture (0-3) bound to stage k; the list ends at the first negative entry.
using STexList = std::array<int8_t, 5>;

// What a variant needs of the device; a variant whose needs are not met fails before it
// touches the device.
struct SShaderNeeds {
    uint8_t stages = 0;
    uint8_t textures = 0;
    bool temp = false;
    bool bump = false;
    bool projected = false;
    bool pixelShader = false;
    bool probe = false; // the specular probe found per-vertex specular
};

enum class EShaderValidation : uint8_t {
    Recording, // ValidateDevice right after recording: judges the live state
    RecordingApplied, // as Recording, then each pass block is applied; a failing apply fails
    Live, // states set live and validated first, then recorded
};

struct SShaderPass {
    ShaderOps ops;
    STexList textures { -1, -1, -1, -1, -1 };
};

struct SShaderVariant {
    char letter = 'A';
    SShaderNeeds needs;
    EShaderValidation validation = EShaderValidation::Recording;
    bool defaultsBeforeTrial = false; // SetDefaultStages before the live trial
    bool defaultsBeforeRecording = false; // SetDefaultStages before the first BeginStateBlock
    bool waterVertexShader = false; // assembled and created first; Apply draws through it
    bool successOnValidate = false; // true once validation passed, whatever the restore End gives
    std::array<SShaderPass, 3> passes {};
    ShaderOps repeat; // empty: no repeat block
    ShaderOps restore; // empty: no restore block (-1)

    constexpr int PassCount() const
    {
        int count = 0;
        while (count < 3 && !passes[size_t(count)].ops.empty())
            ++count;
        return count;
    }
};

struct SShaderSlotDef {
    int slot = 0;
    const char* name = nullptr; // null: no message on failure
    const char* message = nullptr; // the whole failure message when it is not the usual one
    std::span<const SShaderVariant> variants;
};

// What Init does when a slot's last variant fails.
enum class EShaderOnFail : uint8_t {
    Silent, // return false without a message
    Stop, // write the message, return false
    Log, // write the message, go on
    Ignored, // the result is not looked at
};

struct SShaderInitStep {
    int slot = 0;
    char defaultsBefore = 0; // SetDefaultStages before this variant is tried; 0: never
    EShaderOnFail onFail = EShaderOnFail::Ignored;
};

extern const SShaderSlotDef kShaderSlots_0_23[24];
extern const SShaderSlotDef kShaderSlots_24_49[26];
extern const SShaderInitStep kShaderInitSteps[50];

// The definition of slot 0-49 (range-checked by the caller).
const SShaderSlotDef& ShaderSlotDef(int slot);

// The notation of the slot files: one call per state as the tables write it.
namespace ShaderNotation {

using plat::gfx::Blend;
using plat::gfx::Cull;
using plat::gfx::MaterialSource;
using plat::gfx::RenderState;
using plat::gfx::StageState;
using plat::gfx::TextureAddress;
using plat::gfx::TextureArg;
using plat::gfx::TextureOp;

// Operations and arguments by their short names.
inline constexpr TextureOp Disable = TextureOp::Disable;
inline constexpr TextureOp SelectArg1 = TextureOp::SelectArg1;
inline constexpr TextureOp SelectArg2 = TextureOp::SelectArg2;
inline constexpr TextureOp Modulate = TextureOp::Modulate;
inline constexpr TextureOp Modulate2x = TextureOp::Modulate2x;
inline constexpr TextureOp Modulate4x = TextureOp::Modulate4x;
inline constexpr TextureOp Add = TextureOp::Add;
inline constexpr TextureOp Subtract = TextureOp::Subtract;
inline constexpr TextureOp BlendTextureAlpha = TextureOp::BlendTextureAlpha;
inline constexpr TextureOp BlendFactorAlpha = TextureOp::BlendFactorAlpha;
inline constexpr TextureOp BlendCurrentAlpha = TextureOp::BlendCurrentAlpha;
inline constexpr TextureOp MultiplyAdd = TextureOp::MultiplyAdd;
inline constexpr TextureOp DotProduct3 = TextureOp::DotProduct3;
inline constexpr TextureOp BumpEnvMap = TextureOp::BumpEnvMap;
inline constexpr TextureArg Diffuse = TextureArg::Diffuse;
inline constexpr TextureArg Current = TextureArg::Current;
inline constexpr TextureArg Texture = TextureArg::Texture;
inline constexpr TextureArg TFactor = TextureArg::TFactor;
inline constexpr TextureArg Specular = TextureArg::Specular;
inline constexpr TextureArg Temp = TextureArg::Temp;

// An argument with its modifier bits.
struct SArg {
    uint32_t bits;
    constexpr SArg(TextureArg arg)
        : bits(uint32_t(arg))
    {
    }
    constexpr explicit SArg(uint32_t raw)
        : bits(raw)
    {
    }
};

constexpr SArg Complemented(TextureArg arg)
{
    return SArg(uint32_t(arg) | plat::gfx::kArgComplement);
}

constexpr SShaderOp StageOp(int stage, StageState state, uint32_t value)
{
    SShaderOp op;
    op.kind = SShaderOp::Kind::Stage;
    op.stage = uint8_t(stage);
    op.state = uint32_t(state);
    op.value = value;
    return op;
}

constexpr SShaderOp RenderOp(RenderState state, uint32_t value)
{
    SShaderOp op;
    op.kind = SShaderOp::Kind::Render;
    op.state = uint32_t(state);
    op.value = value;
    return op;
}

constexpr SShaderOp Combiner(
    SShaderOp::Kind kind, int stage, TextureOp textureOp, uint32_t mask, SArg a1, SArg a2, SArg a0)
{
    SShaderOp op;
    op.kind = kind;
    op.stage = uint8_t(stage);
    op.state = uint32_t(textureOp);
    op.argMask = uint8_t(mask);
    op.args[0] = a1.bits;
    op.args[1] = a2.bits;
    op.args[2] = a0.bits;
    return op;
}

constexpr SArg kNoArg { 0u };

// colour OP
constexpr SShaderOp Color(int stage, TextureOp op)
{
    return Combiner(SShaderOp::Kind::Color, stage, op, 0, kNoArg, kNoArg, kNoArg);
}
// colour OP(ARG1, ARG2)
constexpr SShaderOp Color(int stage, TextureOp op, SArg a1, SArg a2)
{
    return Combiner(SShaderOp::Kind::Color, stage, op, SShaderOp::kArg1 | SShaderOp::kArg2, a1, a2, kNoArg);
}
// colour OP(ARG1, ARG2, ARG0)
constexpr SShaderOp Color(int stage, TextureOp op, SArg a1, SArg a2, SArg a0)
{
    return Combiner(SShaderOp::Kind::Color, stage, op, SShaderOp::kArg1 | SShaderOp::kArg2 | SShaderOp::kArg0,
        a1, a2, a0);
}
// colour OP(COLORARG1 x)
constexpr SShaderOp Color1(int stage, TextureOp op, SArg a1)
{
    return Combiner(SShaderOp::Kind::Color, stage, op, SShaderOp::kArg1, a1, kNoArg, kNoArg);
}
// colour OP(COLORARG2 x)
constexpr SShaderOp Color2(int stage, TextureOp op, SArg a2)
{
    return Combiner(SShaderOp::Kind::Color, stage, op, SShaderOp::kArg2, kNoArg, a2, kNoArg);
}
constexpr SShaderOp Alpha(int stage, TextureOp op)
{
    return Combiner(SShaderOp::Kind::Alpha, stage, op, 0, kNoArg, kNoArg, kNoArg);
}
constexpr SShaderOp Alpha(int stage, TextureOp op, SArg a1, SArg a2)
{
    return Combiner(SShaderOp::Kind::Alpha, stage, op, SShaderOp::kArg1 | SShaderOp::kArg2, a1, a2, kNoArg);
}
constexpr SShaderOp Alpha1(int stage, TextureOp op, SArg a1)
{
    return Combiner(SShaderOp::Kind::Alpha, stage, op, SShaderOp::kArg1, a1, kNoArg, kNoArg);
}
constexpr SShaderOp Alpha2(int stage, TextureOp op, SArg a2)
{
    return Combiner(SShaderOp::Kind::Alpha, stage, op, SShaderOp::kArg2, kNoArg, a2, kNoArg);
}
// An argument set without its operation ("COLORARG2 SPECULAR").
constexpr SShaderOp ColorArg1(int stage, SArg a)
{
    return StageOp(stage, StageState::ColorArg1, a.bits);
}
constexpr SShaderOp ColorArg2(int stage, SArg a)
{
    return StageOp(stage, StageState::ColorArg2, a.bits);
}
constexpr SShaderOp AlphaArg2(int stage, SArg a)
{
    return StageOp(stage, StageState::AlphaArg2, a.bits);
}

constexpr SShaderOp ResultArg(int stage, TextureArg arg)
{
    return StageOp(stage, StageState::ResultArg, uint32_t(arg));
}
constexpr SShaderOp TexCoordIndex(int stage, uint32_t value)
{
    return StageOp(stage, StageState::TexCoordIndex, value);
}
constexpr uint32_t CameraSpacePosition = plat::gfx::kTexCoordCameraSpacePosition;
constexpr uint32_t CameraSpaceReflectionVector = plat::gfx::kTexCoordCameraSpaceReflectionVector;

// TEXTURETRANSFORMFLAGS
constexpr uint32_t TtfDisable = uint32_t(plat::gfx::TextureTransform::Disable);
constexpr uint32_t Count2 = uint32_t(plat::gfx::TextureTransform::Count2);
constexpr uint32_t Count3 = uint32_t(plat::gfx::TextureTransform::Count3);
constexpr uint32_t Projected = plat::gfx::kTextureTransformProjected;
constexpr SShaderOp TransformFlags(int stage, uint32_t flags)
{
    return StageOp(stage, StageState::TextureTransformFlags, flags);
}

constexpr SShaderOp AddressU(int stage, TextureAddress mode)
{
    return StageOp(stage, StageState::AddressU, uint32_t(mode));
}
constexpr SShaderOp AddressV(int stage, TextureAddress mode)
{
    return StageOp(stage, StageState::AddressV, uint32_t(mode));
}
constexpr SShaderOp BorderElseClamp(SShaderOp op)
{
    op.choice = SShaderOp::Choice::BorderElseClamp;
    return op;
}
constexpr SShaderOp AddressUBorderElseClamp(int stage)
{
    return BorderElseClamp(AddressU(stage, TextureAddress::Clamp));
}
constexpr SShaderOp AddressVBorderElseClamp(int stage)
{
    return BorderElseClamp(AddressV(stage, TextureAddress::Clamp));
}

constexpr SShaderOp BumpEnv(int stage, StageState state, float value)
{
    return StageOp(stage, state, std::bit_cast<uint32_t>(value));
}
constexpr SShaderOp BumpEnvMat00(int stage, float v)
{
    return BumpEnv(stage, StageState::BumpEnvMat00, v);
}
constexpr SShaderOp BumpEnvMat01(int stage, float v)
{
    return BumpEnv(stage, StageState::BumpEnvMat01, v);
}
constexpr SShaderOp BumpEnvMat10(int stage, float v)
{
    return BumpEnv(stage, StageState::BumpEnvMat10, v);
}
constexpr SShaderOp BumpEnvMat11(int stage, float v)
{
    return BumpEnv(stage, StageState::BumpEnvMat11, v);
}
constexpr SShaderOp BumpEnvLScale(int stage, float v)
{
    return BumpEnv(stage, StageState::BumpEnvLScale, v);
}
constexpr SShaderOp BumpEnvLOffset(int stage, float v)
{
    return BumpEnv(stage, StageState::BumpEnvLOffset, v);
}

// Render states.
constexpr SShaderOp SrcBlend(Blend blend)
{
    return RenderOp(RenderState::SrcBlend, uint32_t(blend));
}
constexpr SShaderOp DestBlend(Blend blend)
{
    return RenderOp(RenderState::DestBlend, uint32_t(blend));
}
constexpr SShaderOp CullMode(Cull cull)
{
    return RenderOp(RenderState::CullMode, uint32_t(cull));
}
constexpr SShaderOp ZEnable(bool on)
{
    return RenderOp(RenderState::ZEnable, on ? 1 : 0);
}
constexpr SShaderOp ZWriteEnable(bool on)
{
    return RenderOp(RenderState::ZWriteEnable, on ? 1 : 0);
}
constexpr SShaderOp AlphaTestEnable(bool on)
{
    return RenderOp(RenderState::AlphaTestEnable, on ? 1 : 0);
}
constexpr SShaderOp AlphaRef(uint32_t ref)
{
    return RenderOp(RenderState::AlphaRef, ref);
}
constexpr SShaderOp Lighting(bool on)
{
    return RenderOp(RenderState::Lighting, on ? 1 : 0);
}
constexpr SShaderOp SpecularEnable(bool on)
{
    return RenderOp(RenderState::SpecularEnable, on ? 1 : 0);
}
constexpr SShaderOp NormalizeNormals(bool on)
{
    return RenderOp(RenderState::NormalizeNormals, on ? 1 : 0);
}
constexpr SShaderOp FogEnable(bool on)
{
    return RenderOp(RenderState::FogEnable, on ? 1 : 0);
}
constexpr SShaderOp Clipping(bool on)
{
    return RenderOp(RenderState::Clipping, on ? 1 : 0);
}
constexpr SShaderOp DiffuseMaterialSource(MaterialSource source)
{
    return RenderOp(RenderState::DiffuseMaterialSource, uint32_t(source));
}
constexpr SShaderOp SpecularMaterialSource(MaterialSource source)
{
    return RenderOp(RenderState::SpecularMaterialSource, uint32_t(source));
}
constexpr SShaderOp EmissiveMaterialSource(MaterialSource source)
{
    return RenderOp(RenderState::EmissiveMaterialSource, uint32_t(source));
}

// Shaders, constants and the texture factor, recorded with the states.
constexpr SShaderOp PixelShader(uint32_t program)
{
    SShaderOp op;
    op.kind = SShaderOp::Kind::PixelShader;
    op.value = program;
    return op;
}
constexpr SShaderOp NoPixelShader()
{
    return PixelShader(SShaderOp::kNoProgram);
}
constexpr SShaderOp WaterVertexShader()
{
    SShaderOp op;
    op.kind = SShaderOp::Kind::VertexShader;
    return op;
}
constexpr SShaderOp VsConstant(uint32_t reg, const float* vector)
{
    SShaderOp op;
    op.kind = SShaderOp::Kind::VsConstant;
    op.state = reg;
    op.vector = vector;
    return op;
}
constexpr SShaderOp FactorColor(uint32_t argb, uint32_t mask)
{
    SShaderOp op;
    op.kind = SShaderOp::Kind::Factor;
    op.value = argb;
    op.state = mask;
    return op;
}

// Recorded only when stages > 2 and textures > 2.
constexpr SShaderOp WideStagesOnly(SShaderOp op)
{
    op.cond = SShaderOp::Cond::WideStages;
    return op;
}

// "stage 0 ← t1, stage 1 ← t2": Tex(1, 2).
constexpr STexList Tex(int s0 = -1, int s1 = -1, int s2 = -1, int s3 = -1, int s4 = -1)
{
    return STexList { int8_t(s0), int8_t(s1), int8_t(s2), int8_t(s3), int8_t(s4) };
}

} // namespace ShaderNotation
