// Render states, texture-stage states, transforms and their values. Every state has one row
// in a table (kind, range, Direct3D-8 default); Set* checks values against it, CreateDevice
// and Reset start from its defaults.
#pragma once

#include "platform/gfx/types.h"

#include <cstddef>
#include <cstdint>

namespace plat::gfx {

enum class RenderState : uint32_t {
    ZEnable,
    ZWriteEnable,
    ZFunc,
    ZBias,
    AlphaTestEnable,
    AlphaRef,
    AlphaFunc,
    AlphaBlendEnable,
    SrcBlend,
    DestBlend,
    CullMode,
    Lighting,
    Ambient,
    SpecularEnable,
    NormalizeNormals,
    ColorVertex,
    LocalViewer,
    DiffuseMaterialSource,
    SpecularMaterialSource,
    AmbientMaterialSource,
    EmissiveMaterialSource,
    TextureFactor,
    FogEnable,
    FogColor,
    FogTableMode,
    FogVertexMode,
    FogStart,
    FogEnd,
    FogDensity,
    RangeFogEnable,
    VertexBlend,
    Clipping,
    ClipPlaneEnable,
    PointSize,
    PointSizeMin,
    PointSizeMax,
    PointSpriteEnable,
    PointScaleEnable,
    PointScaleA,
    PointScaleB,
    PointScaleC,
    DitherEnable, // accepted, no effect
    Count
};
constexpr size_t kRenderStateCount = size_t(RenderState::Count);

enum class StageState : uint32_t {
    ColorOp,
    ColorArg1,
    ColorArg2,
    AlphaOp,
    AlphaArg1,
    AlphaArg2,
    BumpEnvMat00,
    BumpEnvMat01,
    BumpEnvMat10,
    BumpEnvMat11,
    TexCoordIndex,
    AddressU,
    AddressV,
    BorderColor,
    MagFilter,
    MinFilter,
    MipFilter,
    MipMapLodBias,
    MaxAnisotropy,
    BumpEnvLScale,
    BumpEnvLOffset,
    TextureTransformFlags,
    ColorArg0,
    AlphaArg0,
    ResultArg,
    Count
};
constexpr size_t kStageStateCount = size_t(StageState::Count);
constexpr uint32_t kStageCount = 8;

enum class Compare : uint32_t { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };

enum class Blend : uint32_t {
    Zero,
    One,
    SrcColor,
    InvSrcColor,
    SrcAlpha,
    InvSrcAlpha,
    DestAlpha,
    InvDestAlpha,
    DestColor,
    InvDestColor,
};

enum class Cull : uint32_t { None, Cw, Ccw };

enum class MaterialSource : uint32_t { Material, Color1, Color2 };

enum class FogMode : uint32_t { None, Exp, Exp2, Linear };

// Number of blend weights in the vertex; Disable uses WORLD alone.
enum class VertexBlendMode : uint32_t { Disable, Weights1, Weights2, Weights3, Weights0 };

enum class TextureOp : uint32_t {
    Disable,
    SelectArg1,
    SelectArg2,
    Modulate,
    Modulate2x,
    Modulate4x,
    Add,
    Subtract,
    BlendTextureAlpha,
    BlendFactorAlpha,
    BlendCurrentAlpha,
    MultiplyAdd,
    Lerp,
    DotProduct3,
    BumpEnvMap,
    BumpEnvMapLuminance, // never supported; the caps bit exists for the probes
    Count
};

// Stage arguments: a selector with optional modifier bits.
enum class TextureArg : uint32_t { Diffuse, Current, Texture, TFactor, Specular, Temp, Count };
constexpr uint32_t kArgSelectMask = 0x0F;
constexpr uint32_t kArgComplement = 0x10;
constexpr uint32_t kArgAlphaReplicate = 0x20;

constexpr uint32_t Arg(TextureArg arg, uint32_t modifiers = 0)
{
    return uint32_t(arg) | modifiers;
}

// TEXCOORDINDEX: the coordinate set in the low 16 bits, a generation mode above.
constexpr uint32_t kTexCoordSetMask = 0xFFFF;
constexpr uint32_t kTexCoordPassThru = 0;
constexpr uint32_t kTexCoordCameraSpacePosition = 1u << 16;
constexpr uint32_t kTexCoordCameraSpaceReflectionVector = 2u << 16;

// TEXTURETRANSFORMFLAGS: a count of 0 (disable) to 4, optionally projected.
enum class TextureTransform : uint32_t { Disable, Count1, Count2, Count3, Count4 };
constexpr uint32_t kTextureTransformProjected = 0x100;

enum class TextureAddress : uint32_t { Wrap, Clamp, Border };

enum class TextureFilter : uint32_t { None, Point, Linear, Anisotropic };

enum class Transform : uint32_t {
    World, // WORLDMATRIX(0)
    World1,
    World2,
    World3,
    View,
    Projection,
    Texture0,
    Texture1,
    Texture2,
    Texture3,
    Texture4,
    Texture5,
    Texture6,
    Texture7,
    Count
};
constexpr size_t kTransformCount = size_t(Transform::Count);

constexpr Transform WorldMatrix(uint32_t index)
{
    return Transform(uint32_t(Transform::World) + index);
}
constexpr Transform TextureTransformOf(uint32_t stage)
{
    return Transform(uint32_t(Transform::Texture0) + stage);
}

constexpr uint32_t kMaxClipPlanes = 6;

template <class E> constexpr uint32_t StateValue(E value)
{
    return static_cast<uint32_t>(value);
}

// What a state's value may be.
enum class StateKind {
    Bool, // 0 or 1
    Enum, // 0 .. limit - 1
    Float, // any finite float bits
    Uint, // 0 .. limit
    Any, // colours, masks
    Arg, // a stage argument
    TexCoord, // TEXCOORDINDEX
    Transform, // TEXTURETRANSFORMFLAGS
};

struct StateRow {
    const char* name;
    StateKind kind;
    uint32_t limit;
    uint32_t defaultValue; // stage states: stage 0's where stages differ
};

const StateRow& RenderStateRow(RenderState state);
const StateRow& StageStateRow(StageState state);

// Direct3D 8 defaults; ZENABLE depends on whether the device has a depth buffer and the stage
// operations and coordinate index on the stage.
uint32_t DefaultRenderState(RenderState state, bool hasAutoDepth);
uint32_t DefaultStageState(uint32_t stage, StageState state);

bool IsValidRenderStateValue(RenderState state, uint32_t value);
bool IsValidStageStateValue(StageState state, uint32_t value);

const char* TextureOpName(TextureOp op);

} // namespace plat::gfx
