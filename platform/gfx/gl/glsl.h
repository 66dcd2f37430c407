// GLSL 330 generation: the fixed-function vertex part, the stage combiner, and the parts that
// wrap translated vs.1.1 / ps.1.x programs. Every vertex part ends in the same epilogue, the
// one place D3D's clip space, pixel centres and row order become GL's:
//   x += w / width (centres), y = -y + w / height (rows top first, centres), z = 2z - w.
#pragma once

#include "platform/gfx/gl/program_desc.h"
#include "platform/gfx/shader.h"

#include <cstdint>
#include <span>
#include <string>

namespace plat::gfx::gl {

// Uniforms the generated code may declare, by group; a group is uploaded to a program only
// when its values changed since that program last received them.
enum class UniformGroup : uint8_t {
    Transforms,
    Viewport,
    Lights,
    Material,
    Values,
    Stages,
    ClipPlanes,
    VertexConstants,
    PixelConstants,
    Count
};

enum class Uniform : uint8_t {
    WorldView, // mat4[4], rows as the device holds them, used as v * M
    NormalMatrix, // mat3[4]
    Projection, // mat4
    WorldViewProjection, // mat4
    TextureMatrix, // mat4[8]
    PixelShift, // vec4: 1/width, 1/height
    RhwMap, // vec4: viewport x, y, 2/width, 2/height
    DepthMap, // vec4: minZ, 1/(maxZ - minZ)
    LightCount, // int
    LightDiffuse, // vec4[16]
    LightSpecular,
    LightAmbient,
    LightPosition, // camera space; w 1 for a point light, 0 for a directional one
    LightDirection, // towards the light, camera space
    LightAttenuation, // a0, a1, a2, range
    MaterialDiffuse,
    MaterialAmbient,
    MaterialSpecular,
    MaterialEmissive,
    MaterialPower, // vec4: power in x
    GlobalAmbient,
    TextureFactor,
    FogColor,
    FogParams, // start, end, 1/(end - start), density
    AlphaRef, // vec4: ALPHAREF in x (0..255)
    PointParams, // size, min, max, viewport height
    PointScale, // A, B, C
    BumpMatrix, // vec4[8]: 00, 01, 10, 11
    ClipPlanes, // vec4[6], camera space (fixed function)
    ClipPlanesClip, // vec4[6], clip space (vertex shaders)
    VsConst, // vec4[96]
    PsConst, // vec4[8]
    Count
};

struct UniformRow {
    Uniform uniform;
    const char* name;
    UniformGroup group;
};

const UniformRow& UniformInfo(Uniform uniform);

// A vs.1.1 or ps.1.x program as GLSL statements; `ok` false with `error` when a construct
// cannot be translated.
struct TranslatedShader {
    bool ok = false;
    std::string error;
    std::string body; // statements of the shader function
    uint16_t inputs = 0; // vs: v registers read
    uint8_t samples = 0; // ps: stages read by tex
    bool writesPointSize = false;
    bool writesFog = false;
};

TranslatedShader TranslateVertexShader(const ShaderProgram& program);
TranslatedShader TranslatePixelShader(const ShaderProgram& program);

// Vertex part: the fixed function for desc.vertex, or the translated shader with its
// declaration; fragment part: the combiner or the translated pixel shader.
std::string VertexSource(
    const ProgramDesc& desc, const TranslatedShader* shader, std::span<const VertexElement> declaration);
std::string FragmentSource(const ProgramDesc& desc, const TranslatedShader* shader);

// Attribute locations of the fixed-function vertex part (vertex shaders use v register numbers).
namespace attribute {
constexpr uint32_t kPosition = 0;
constexpr uint32_t kWeights = 1;
constexpr uint32_t kNormal = 2;
constexpr uint32_t kPointSize = 3;
constexpr uint32_t kDiffuse = 4;
constexpr uint32_t kSpecular = 5;
constexpr uint32_t kTexCoord0 = 6;
} // namespace attribute

} // namespace plat::gfx::gl
