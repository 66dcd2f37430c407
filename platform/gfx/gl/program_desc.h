// What a draw's GLSL program depends on, read from the device state: the vertex part (the
// generated fixed function or a translated vs.1.1 shader) and the fragment part (the stage
// combiner or a translated ps.1.x program), each with the fog and alpha test around it. A
// description holds only what changes the code; values live in uniforms. Equal descriptions
// pack into equal keys, which the program cache looks up.
#pragma once

#include "platform/gfx/device_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace plat::gfx::gl {

// Where a stage's coordinates come from in the fixed-function vertex part.
enum class CoordSource : uint8_t { Set, CameraPosition, CameraReflection };

// How the fragment part fogs.
enum class FogKind : uint8_t {
    None,
    Vertex, // a factor computed per vertex (vertex fog, oFog, or the specular alpha)
    Table, // per pixel from the eye depth
};

// Where the per-vertex fog factor comes from.
enum class VertexFogSource : uint8_t { None, Computed, SpecularAlpha, ShaderOutput };

enum class ColorSource : uint8_t { Material, Diffuse, Specular };

struct StageCoords {
    bool used = false; // the fragment part samples this stage
    CoordSource source = CoordSource::Set;
    uint8_t set = 0; // vertex coordinate set (Set)
    uint8_t setFloats = 0; // floats of that set in the vertex, 0 when absent
    uint8_t count = 0; // TEXTURETRANSFORMFLAGS count, 0 = no transform
    bool projected = false;
};

struct VertexDesc {
    bool shader = false; // a translated vs.1.1 program
    uint32_t shaderId = 0; // its backend number
    uint32_t fvf = 0; // fixed function: the vertex format
    bool transformed = false; // XYZRHW
    bool lighting = false;
    bool normalize = false;
    bool localViewer = false;
    ColorSource diffuse = ColorSource::Material; // resolved material sources (lighting)
    ColorSource specular = ColorSource::Material;
    ColorSource ambient = ColorSource::Material;
    ColorSource emissive = ColorSource::Material;
    uint8_t blendWeights = 0; // 0 to 3
    VertexFogSource fogSource = VertexFogSource::None;
    FogMode fogMode = FogMode::None; // Computed: the formula
    bool rangeFog = false;
    bool eyeDepth = false; // table fog needs the eye depth
    bool points = false; // a point list: size computed
    bool pointScale = false;
    uint8_t clipPlanes = 0; // CLIPPLANEENABLE mask
    std::array<StageCoords, kStageCount> coords {};
};

struct StageDesc {
    TextureOp colorOp = TextureOp::Disable;
    std::array<uint8_t, 3> colorArg {}; // ARG0, ARG1, ARG2 with modifiers
    TextureOp alphaOp = TextureOp::Disable;
    std::array<uint8_t, 3> alphaArg {};
    bool resultTemp = false;
    bool projected = false; // divide the coordinates by the last kept component
    uint8_t projectedCount = 0;
};

struct FragmentDesc {
    bool shader = false; // a translated ps.1.x program
    uint32_t shaderId = 0;
    uint8_t stageCount = 0; // stages before the first colour DISABLE
    std::array<StageDesc, kStageCount> stages {};
    uint8_t sampledStages = 0; // mask of stages whose texture is read
    bool specularAdd = false;
    FogKind fog = FogKind::None;
    FogMode tableMode = FogMode::None;
    bool alphaTest = false;
    Compare alphaFunc = Compare::Always;
    bool sprite = false; // point sprites: coordinates from the point
};

struct ProgramDesc {
    VertexDesc vertex;
    FragmentDesc fragment;
};

// Compact bitfield of a description.
struct ProgramKey {
    std::array<uint64_t, 12> bits {};
    bool operator==(const ProgramKey&) const = default;
};

struct ProgramKeyHash {
    size_t operator()(const ProgramKey& key) const;
};

ProgramKey PackKey(const ProgramDesc& desc);

// Ids the backend gave the live shader objects; 0 = none (an unknown handle draws nothing).
struct ShaderIds {
    uint32_t vertex = 0;
    uint32_t pixel = 0;
    uint8_t pixelSamples = 0; // stages the pixel shader's tex instructions read
};

// The description of a draw; `points` is whether it draws a point list. False when the state
// cannot be drawn (an unknown shader handle, an invalid vertex format).
bool DescribeDraw(const DeviceState& state, bool points, const ShaderIds& shaders, ProgramDesc& out);

// The render states a description reads; a change to any other leaves the program as it is.
inline constexpr std::array kProgramRenderStates { RenderState::ColorVertex,
    RenderState::DiffuseMaterialSource, RenderState::SpecularMaterialSource,
    RenderState::AmbientMaterialSource, RenderState::EmissiveMaterialSource, RenderState::SpecularEnable,
    RenderState::Lighting, RenderState::NormalizeNormals, RenderState::LocalViewer, RenderState::VertexBlend,
    RenderState::ClipPlaneEnable, RenderState::FogEnable, RenderState::FogTableMode,
    RenderState::FogVertexMode, RenderState::RangeFogEnable, RenderState::AlphaTestEnable,
    RenderState::AlphaFunc, RenderState::PointScaleEnable, RenderState::PointSpriteEnable };

using ProgramRenderValues = std::array<uint32_t, kProgramRenderStates.size()>;

// The values of kProgramRenderStates in `state`.
ProgramRenderValues ProgramRenderValuesOf(const DeviceState& state);

// Which stage arguments an operation reads: bit 0 = ARG0, bit 1 = ARG1, bit 2 = ARG2.
uint32_t ArgumentsRead(TextureOp op);

} // namespace plat::gfx::gl
