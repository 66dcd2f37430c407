#include "platform/gfx/gl/glsl.h"

#include "platform/gfx/fvf.h"

#include <cstdio>
#include <iterator>

namespace plat::gfx::gl {
namespace {

constexpr UniformRow kUniforms[] = {
    { Uniform::WorldView, "uWorldView", UniformGroup::Transforms },
    { Uniform::NormalMatrix, "uNormalMatrix", UniformGroup::Transforms },
    { Uniform::Projection, "uProjection", UniformGroup::Transforms },
    { Uniform::WorldViewProjection, "uWorldViewProjection", UniformGroup::Transforms },
    { Uniform::TextureMatrix, "uTextureMatrix", UniformGroup::Transforms },
    { Uniform::PixelShift, "uPixelShift", UniformGroup::Viewport },
    { Uniform::RhwMap, "uRhwMap", UniformGroup::Viewport },
    { Uniform::DepthMap, "uDepthMap", UniformGroup::Viewport },
    { Uniform::LightCount, "uLightCount", UniformGroup::Lights },
    { Uniform::LightDiffuse, "uLightDiffuse", UniformGroup::Lights },
    { Uniform::LightSpecular, "uLightSpecular", UniformGroup::Lights },
    { Uniform::LightAmbient, "uLightAmbient", UniformGroup::Lights },
    { Uniform::LightPosition, "uLightPosition", UniformGroup::Lights },
    { Uniform::LightDirection, "uLightDirection", UniformGroup::Lights },
    { Uniform::LightAttenuation, "uLightAttenuation", UniformGroup::Lights },
    { Uniform::MaterialDiffuse, "uMaterialDiffuse", UniformGroup::Material },
    { Uniform::MaterialAmbient, "uMaterialAmbient", UniformGroup::Material },
    { Uniform::MaterialSpecular, "uMaterialSpecular", UniformGroup::Material },
    { Uniform::MaterialEmissive, "uMaterialEmissive", UniformGroup::Material },
    { Uniform::MaterialPower, "uMaterialPower", UniformGroup::Material },
    { Uniform::GlobalAmbient, "uGlobalAmbient", UniformGroup::Values },
    { Uniform::TextureFactor, "uTextureFactor", UniformGroup::Values },
    { Uniform::FogColor, "uFogColor", UniformGroup::Values },
    { Uniform::FogParams, "uFogParams", UniformGroup::Values },
    { Uniform::AlphaRef, "uAlphaRef", UniformGroup::Values },
    { Uniform::PointParams, "uPointParams", UniformGroup::Values },
    { Uniform::PointScale, "uPointScale", UniformGroup::Values },
    { Uniform::BumpMatrix, "uBumpMatrix", UniformGroup::Stages },
    { Uniform::ClipPlanes, "uClipPlanes", UniformGroup::ClipPlanes },
    { Uniform::ClipPlanesClip, "uClipPlanesClip", UniformGroup::ClipPlanes },
    { Uniform::VsConst, "uVsConst", UniformGroup::VertexConstants },
    { Uniform::PsConst, "uPsConst", UniformGroup::PixelConstants },
};
static_assert(std::size(kUniforms) == size_t(Uniform::Count));

// printf into a string.
template <class... A> void Put(std::string& out, const char* format, A... args)
{
    char line[512];
    int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0)
        out.append(line, size_t(n) < sizeof line ? size_t(n) : sizeof line - 1);
}

const char* VecType(uint32_t floats)
{
    static constexpr const char* kTypes[] = { "float", "float", "vec2", "vec3", "vec4" };
    return floats <= 4 ? kTypes[floats] : "vec4";
}

// A set of `floats` components as (u, 1, 0, 0), (u, v, 1, 0), (u, v, w, 1) or whole.
std::string Padded(const std::string& name, uint32_t floats)
{
    switch (floats) {
    case 1:
        return "vec4(" + name + ", 1.0, 0.0, 0.0)";
    case 2:
        return "vec4(" + name + ", 1.0, 0.0)";
    case 3:
        return "vec4(" + name + ", 1.0)";
    case 4:
        return name;
    default:
        return "vec4(0.0, 0.0, 0.0, 1.0)";
    }
}

const char* kHeader = "#version 330 core\n";

// Outputs the fragment part reads; both parts declare the same names.
void DeclareVaryings(std::string& out, const ProgramDesc& desc, const char* direction)
{
    Put(out, "%s vec4 vDiffuse;\n%s vec4 vSpecular;\n", direction, direction);
    if (desc.fragment.fog == FogKind::Vertex)
        Put(out, "%s float vFog;\n", direction);
    if (desc.fragment.fog == FogKind::Table)
        Put(out, "%s float vEyeDepth;\n", direction);
    for (uint32_t k = 0; k < kStageCount; ++k)
        if (desc.vertex.coords[k].used)
            Put(out, "%s vec4 vTex%u;\n", direction, k);
}

void DeclareEpilogue(std::string& out)
{
    out += "uniform vec4 uPixelShift;\n"
           "void Emit(vec4 p)\n{\n"
           "    gl_Position = vec4(p.x + p.w * uPixelShift.x, -p.y + p.w * uPixelShift.y, 2.0 * p.z - p.w, "
           "p.w);\n"
           "}\n";
}

// ---- Fixed-function vertex part ----

void LightingCode(std::string& out, const VertexDesc& v)
{
    auto source = [](ColorSource s, const char* material) -> std::string {
        switch (s) {
        case ColorSource::Diffuse:
            return "diffuseIn";
        case ColorSource::Specular:
            return "specularIn";
        default:
            return material;
        }
    };
    Put(out, "    vec4 cd = %s;\n", source(v.diffuse, "uMaterialDiffuse").c_str());
    Put(out, "    vec4 cs = %s;\n", source(v.specular, "uMaterialSpecular").c_str());
    Put(out, "    vec4 ca = %s;\n", source(v.ambient, "uMaterialAmbient").c_str());
    Put(out, "    vec4 ce = %s;\n", source(v.emissive, "uMaterialEmissive").c_str());
    if (v.normalize)
        out += "    if (dot(N, N) > 0.0) N = normalize(N);\n";
    out += v.localViewer ? "    vec3 toEye = dot(P, P) > 0.0 ? normalize(-P) : vec3(0.0);\n"
                         : "    vec3 toEye = vec3(0.0, 0.0, -1.0);\n";
    out += "    vec3 ambientSum = uGlobalAmbient.rgb;\n"
           "    vec3 diffuseSum = vec3(0.0);\n"
           "    vec3 specularSum = vec3(0.0);\n"
           "    for (int i = 0; i < uLightCount; ++i) {\n"
           "        vec3 L = uLightDirection[i].xyz;\n"
           "        float att = 1.0;\n"
           "        if (uLightPosition[i].w != 0.0) {\n"
           "            vec3 d = uLightPosition[i].xyz - P;\n"
           "            float distance = length(d);\n"
           "            if (distance > uLightAttenuation[i].w)\n"
           "                continue;\n"
           "            float den = uLightAttenuation[i].x + uLightAttenuation[i].y * distance\n"
           "                + uLightAttenuation[i].z * distance * distance;\n"
           "            att = den > 0.0 ? 1.0 / den : 1.0;\n"
           "            L = distance > 0.0 ? d / distance : d;\n"
           "        }\n"
           "        ambientSum += att * uLightAmbient[i].rgb;\n"
           "        diffuseSum += att * uLightDiffuse[i].rgb * max(0.0, dot(N, L));\n"
           "        vec3 h = toEye + L;\n"
           "        float hl = length(h);\n"
           "        float nh = hl > 0.0 ? max(0.0, dot(N, h) / hl) : 0.0;\n"
           "        float power = nh > 0.0 ? pow(nh, uMaterialPower.x) : 0.0;\n"
           "        specularSum += att * uLightSpecular[i].rgb * power;\n"
           "    }\n"
           "    vDiffuse = clamp(vec4(ce.rgb + ca.rgb * ambientSum + cd.rgb * diffuseSum, cd.a), 0.0, 1.0);\n"
           "    vSpecular = clamp(vec4(cs.rgb * specularSum, 0.0), 0.0, 1.0);\n";
}

void FogCode(std::string& out, const VertexDesc& v, const char* specularAlpha)
{
    switch (v.fogSource) {
    case VertexFogSource::Computed: {
        out += v.rangeFog ? "    float fogDistance = length(P);\n" : "    float fogDistance = P.z;\n";
        switch (v.fogMode) {
        case FogMode::Linear:
            out += "    vFog = clamp((uFogParams.y - fogDistance) * uFogParams.z, 0.0, 1.0);\n";
            break;
        case FogMode::Exp:
            out += "    vFog = clamp(exp(-fogDistance * uFogParams.w), 0.0, 1.0);\n";
            break;
        case FogMode::Exp2:
            out += "    float fogProduct = fogDistance * uFogParams.w;\n"
                   "    vFog = clamp(exp(-fogProduct * fogProduct), 0.0, 1.0);\n";
            break;
        default:
            out += "    vFog = 1.0;\n";
            break;
        }
        break;
    }
    case VertexFogSource::SpecularAlpha:
        Put(out, "    vFog = %s;\n", specularAlpha);
        break;
    default:
        break;
    }
}

std::string FixedVertex(const ProgramDesc& desc)
{
    const VertexDesc& v = desc.vertex;
    FvfLayout layout = DecodeFvf(v.fvf);
    std::string out = kHeader;
    Put(out, "layout(location = %u) in %s aPosition;\n", attribute::kPosition,
        layout.transformed ? "vec4" : "vec3");
    if (layout.blendWeights > 0)
        Put(out, "layout(location = %u) in %s aWeights;\n", attribute::kWeights,
            VecType(layout.blendWeights));
    bool hasNormal = layout.normalOffset >= 0;
    if (hasNormal)
        Put(out, "layout(location = %u) in vec3 aNormal;\n", attribute::kNormal);
    if (layout.pointSizeOffset >= 0)
        Put(out, "layout(location = %u) in float aPointSize;\n", attribute::kPointSize);
    if (layout.diffuseOffset >= 0)
        Put(out, "layout(location = %u) in vec4 aDiffuse;\n", attribute::kDiffuse);
    if (layout.specularOffset >= 0)
        Put(out, "layout(location = %u) in vec4 aSpecular;\n", attribute::kSpecular);
    for (uint32_t set = 0; set < layout.texCoordCount; ++set)
        Put(out, "layout(location = %u) in %s aTex%u;\n", attribute::kTexCoord0 + set,
            VecType(layout.texCoordFloats[set]), set);
    DeclareVaryings(out, desc, "out");
    out += "uniform mat4 uWorldView[4];\n"
           "uniform mat3 uNormalMatrix[4];\n"
           "uniform mat4 uProjection;\n"
           "uniform mat4 uWorldViewProjection;\n"
           "uniform mat4 uTextureMatrix[8];\n"
           "uniform vec4 uRhwMap;\n"
           "uniform vec4 uDepthMap;\n"
           "uniform int uLightCount;\n"
           "uniform vec4 uLightDiffuse[16];\n"
           "uniform vec4 uLightSpecular[16];\n"
           "uniform vec4 uLightAmbient[16];\n"
           "uniform vec4 uLightPosition[16];\n"
           "uniform vec4 uLightDirection[16];\n"
           "uniform vec4 uLightAttenuation[16];\n"
           "uniform vec4 uMaterialDiffuse;\n"
           "uniform vec4 uMaterialAmbient;\n"
           "uniform vec4 uMaterialSpecular;\n"
           "uniform vec4 uMaterialEmissive;\n"
           "uniform vec4 uMaterialPower;\n"
           "uniform vec4 uGlobalAmbient;\n"
           "uniform vec4 uFogParams;\n"
           "uniform vec4 uPointParams;\n"
           "uniform vec4 uPointScale;\n"
           "uniform vec4 uClipPlanes[6];\n";
    DeclareEpilogue(out);
    out += "void main()\n{\n";
    Put(out, "    vec4 diffuseIn = %s;\n", layout.diffuseOffset >= 0 ? "aDiffuse" : "vec4(1.0)");
    Put(out, "    vec4 specularIn = %s;\n", layout.specularOffset >= 0 ? "aSpecular" : "vec4(0.0)");
    const char* specularAlpha = layout.specularOffset >= 0 ? "aSpecular.a" : "1.0";

    bool needNormal = v.lighting;
    bool needCamera = v.lighting || v.fogSource == VertexFogSource::Computed || v.eyeDepth || v.pointScale
        || v.clipPlanes != 0 || v.blendWeights > 0;
    for (const StageCoords& c : v.coords) {
        if (c.used && c.source != CoordSource::Set)
            needCamera = true;
        if (c.used && c.source == CoordSource::CameraReflection)
            needNormal = true;
    }

    if (v.transformed) {
        out += "    float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;\n"
               "    vec4 clip = vec4(((aPosition.x - uRhwMap.x) * uRhwMap.z - 1.0) * w,\n"
               "        (1.0 - (aPosition.y - uRhwMap.y) * uRhwMap.w) * w,\n"
               "        (aPosition.z - uDepthMap.x) * uDepthMap.y * w, w);\n"
               "    vDiffuse = diffuseIn;\n"
               "    vSpecular = specularIn;\n";
        if (v.eyeDepth)
            out += "    vEyeDepth = w;\n";
    } else {
        const char* normal = hasNormal ? "aNormal" : "vec3(0.0)";
        if (v.blendWeights > 0) {
            // n weights mix n + 1 world matrices, the last weight 1 - sum.
            out += "    float weights[4];\n    float weightSum = 0.0;\n";
            static constexpr const char* kComponent[] = { ".x", ".y", ".z" };
            for (uint32_t i = 0; i < v.blendWeights; ++i) {
                if (i < layout.blendWeights)
                    Put(out, "    weights[%u] = aWeights%s;\n", i,
                        layout.blendWeights == 1 ? "" : kComponent[i]);
                else
                    Put(out, "    weights[%u] = 0.0;\n", i);
                Put(out, "    weightSum += weights[%u];\n", i);
            }
            Put(out, "    weights[%u] = 1.0 - weightSum;\n", v.blendWeights);
            out += "    vec3 P = vec3(0.0);\n    vec3 N = vec3(0.0);\n";
            Put(out, "    for (int i = 0; i <= %u; ++i) {\n", v.blendWeights);
            out += "        P += weights[i] * (vec4(aPosition, 1.0) * uWorldView[i]).xyz;\n";
            Put(out, "        N += weights[i] * (%s * uNormalMatrix[i]);\n", normal);
            out += "    }\n";
            out += "    vec4 clip = vec4(P, 1.0) * uProjection;\n";
        } else if (needCamera) {
            out += "    vec3 P = (vec4(aPosition, 1.0) * uWorldView[0]).xyz;\n";
            if (needNormal)
                Put(out, "    vec3 N = %s * uNormalMatrix[0];\n", normal);
            out += "    vec4 clip = vec4(P, 1.0) * uProjection;\n";
        } else {
            out += "    vec4 clip = vec4(aPosition, 1.0) * uWorldViewProjection;\n";
        }
        if (v.lighting) {
            LightingCode(out, v);
        } else {
            out += "    vDiffuse = diffuseIn;\n    vSpecular = specularIn;\n";
        }
        if (v.eyeDepth)
            out += "    vEyeDepth = P.z;\n";
        for (uint32_t i = 0; i < kMaxClipPlanes; ++i)
            if ((v.clipPlanes >> i) & 1)
                Put(out, "    gl_ClipDistance[%u] = dot(vec4(P, 1.0), uClipPlanes[%u]);\n", i, i);
    }
    FogCode(out, v, specularAlpha);

    for (uint32_t k = 0; k < kStageCount; ++k) {
        const StageCoords& c = v.coords[k];
        if (!c.used)
            continue;
        std::string value;
        switch (c.source) {
        case CoordSource::Set:
            value = c.setFloats > 0 ? Padded("aTex" + std::to_string(c.set), c.setFloats) : Padded("", 0);
            break;
        case CoordSource::CameraPosition:
            value = "vec4(P, 1.0)";
            break;
        case CoordSource::CameraReflection:
            // The view ray from the eye through the vertex, mirrored by the normal.
            Put(out, "    vec3 incident%u = dot(P, P) > 0.0 ? normalize(P) : vec3(0.0, 0.0, 1.0);\n", k);
            value = "vec4(reflect(incident" + std::to_string(k) + ", N), 1.0)";
            break;
        }
        if (c.count > 0)
            value = "(" + value + ") * uTextureMatrix[" + std::to_string(k) + "]";
        Put(out, "    vTex%u = %s;\n", k, value.c_str());
    }

    if (v.points) {
        out += layout.pointSizeOffset >= 0 ? "    float pointSize = aPointSize;\n"
                                           : "    float pointSize = uPointParams.x;\n";
        if (v.pointScale)
            out += "    float pointDistance = length(P);\n"
                   "    float pointDen = uPointScale.x + uPointScale.y * pointDistance\n"
                   "        + uPointScale.z * pointDistance * pointDistance;\n"
                   "    pointSize = pointDen > 0.0 ? uPointParams.w * pointSize * sqrt(1.0 / pointDen) : "
                   "uPointParams.z;\n";
        out += "    gl_PointSize = clamp(pointSize, uPointParams.y, uPointParams.z);\n";
    }
    out += "    Emit(clip);\n}\n";
    return out;
}

// ---- Vertex part around a translated vs.1.1 program ----

std::string ShaderVertex(
    const ProgramDesc& desc, const TranslatedShader& shader, std::span<const VertexElement> declaration)
{
    const VertexDesc& v = desc.vertex;
    std::string out = kHeader;
    for (const VertexElement& element : declaration)
        Put(out, "layout(location = %u) in vec4 v%u;\n", element.reg, element.reg);
    // Inputs the declaration lacks read as zero (the device refuses such programs anyway).
    for (uint32_t r = 0; r < 16; ++r) {
        bool declared = false;
        for (const VertexElement& element : declaration)
            declared = declared || element.reg == r;
        if (!declared && ((shader.inputs >> r) & 1))
            Put(out, "const vec4 v%u = vec4(0.0);\n", r);
    }
    DeclareVaryings(out, desc, "out");
    out += "uniform vec4 uVsConst[96];\n"
           "uniform vec4 uPointParams;\n"
           "uniform vec4 uClipPlanesClip[6];\n";
    DeclareEpilogue(out);
    out += "void main()\n{\n"
           "    vec4 r0 = vec4(0.0), r1 = vec4(0.0), r2 = vec4(0.0), r3 = vec4(0.0), r4 = vec4(0.0), r5 = "
           "vec4(0.0);\n"
           "    vec4 r6 = vec4(0.0), r7 = vec4(0.0), r8 = vec4(0.0), r9 = vec4(0.0), r10 = vec4(0.0), r11 = "
           "vec4(0.0);\n"
           "    vec4 oPos = vec4(0.0, 0.0, 0.0, 1.0);\n"
           "    vec4 oFog = vec4(1.0);\n"
           "    vec4 oPts = uPointParams.xxxx;\n"
           "    vec4 oD0 = vec4(1.0), oD1 = vec4(0.0);\n"
           "    vec4 oT0 = vec4(0.0, 0.0, 0.0, 1.0), oT1 = oT0, oT2 = oT0, oT3 = oT0, oT4 = oT0, oT5 = oT0, "
           "oT6 = oT0,\n"
           "        oT7 = oT0;\n";
    out += shader.body;
    out += "    vDiffuse = clamp(oD0, 0.0, 1.0);\n"
           "    vSpecular = clamp(oD1, 0.0, 1.0);\n";
    if (v.fogSource == VertexFogSource::ShaderOutput)
        out += "    vFog = clamp(oFog.x, 0.0, 1.0);\n";
    if (v.eyeDepth)
        out += "    vEyeDepth = oPos.w;\n";
    for (uint32_t k = 0; k < kStageCount; ++k)
        if (v.coords[k].used)
            Put(out, "    vTex%u = oT%u;\n", k, v.coords[k].set);
    for (uint32_t i = 0; i < kMaxClipPlanes; ++i)
        if ((v.clipPlanes >> i) & 1)
            Put(out, "    gl_ClipDistance[%u] = dot(oPos, uClipPlanesClip[%u]);\n", i, i);
    if (v.points)
        out += "    gl_PointSize = clamp(oPts.x, uPointParams.y, uPointParams.z);\n";
    out += "    Emit(oPos);\n}\n";
    return out;
}

// ---- Fragment part ----

// The value of a stage argument, with its modifiers.
std::string Argument(uint8_t arg, uint32_t stage)
{
    std::string value;
    switch (TextureArg(arg & kArgSelectMask)) {
    case TextureArg::Diffuse:
        value = "vDiffuse";
        break;
    case TextureArg::Current:
        value = "current";
        break;
    case TextureArg::Texture:
        value = "tex" + std::to_string(stage);
        break;
    case TextureArg::TFactor:
        value = "uTextureFactor";
        break;
    case TextureArg::Specular:
        value = "vSpecular";
        break;
    case TextureArg::Temp:
        value = "temp";
        break;
    default:
        value = "vec4(0.0)";
        break;
    }
    if (arg & kArgAlphaReplicate)
        value += ".aaaa";
    if (arg & kArgComplement)
        value = "(vec4(1.0) - " + value + ")";
    return value;
}

// One operation on components `part` (".rgb" or ".a") of the arguments.
std::string Operation(TextureOp op, const std::array<uint8_t, 3>& args, uint32_t stage, const char* part)
{
    std::string a0 = Argument(args[0], stage) + part;
    std::string a1 = Argument(args[1], stage) + part;
    std::string a2 = Argument(args[2], stage) + part;
    std::string tex = "tex" + std::to_string(stage) + ".a";
    switch (op) {
    case TextureOp::SelectArg1:
        return a1;
    case TextureOp::SelectArg2:
        return a2;
    case TextureOp::Modulate:
        return a1 + " * " + a2;
    case TextureOp::Modulate2x:
        return "2.0 * " + a1 + " * " + a2;
    case TextureOp::Modulate4x:
        return "4.0 * " + a1 + " * " + a2;
    case TextureOp::Add:
        return a1 + " + " + a2;
    case TextureOp::Subtract:
        return a1 + " - " + a2;
    case TextureOp::BlendTextureAlpha:
        return "mix(" + a2 + ", " + a1 + ", " + tex + ")";
    case TextureOp::BlendFactorAlpha:
        return "mix(" + a2 + ", " + a1 + ", uTextureFactor.a)";
    case TextureOp::BlendCurrentAlpha:
        return "mix(" + a2 + ", " + a1 + ", current.a)";
    case TextureOp::MultiplyAdd:
        return a0 + " + " + a1 + " * " + a2;
    case TextureOp::Lerp:
        return a0 + " * " + a1 + " + (1.0 - " + a0 + ") * " + a2;
    case TextureOp::DotProduct3: {
        // Over the colour of the arguments, into every channel.
        std::string d = "4.0 * dot(" + Argument(args[1], stage) + ".rgb - 0.5, " + Argument(args[2], stage)
            + ".rgb - 0.5)";
        return std::string(part) == ".a" ? d : "vec3(" + d + ")";
    }
    default:
        return std::string("current") + part;
    }
}

// Coordinates of stage k, projected and offset by a bump stage before it.
std::string StageCoordinates(const FragmentDesc& f, uint32_t k, bool bumped)
{
    std::string uv;
    if (f.sprite) {
        uv = "gl_PointCoord";
    } else {
        const StageDesc& s = f.stages[k];
        std::string name = "vTex" + std::to_string(k);
        if (s.projected) {
            static constexpr const char* kComponent[] = { "x", "x", "y", "z", "w" };
            uv = "(" + name + ".xy / " + name + "." + kComponent[s.projectedCount] + ")";
        } else {
            uv = name + ".xy";
        }
    }
    if (bumped)
        uv += " + bump";
    return uv;
}

void CombinerCode(std::string& out, const FragmentDesc& f)
{
    out += "    vec4 current = vDiffuse;\n"
           "    vec4 temp = vec4(0.0);\n"
           "    vec2 bump = vec2(0.0);\n";
    bool bumped = false;
    for (uint32_t k = 0; k < f.stageCount; ++k) {
        const StageDesc& s = f.stages[k];
        if ((f.sampledStages >> k) & 1)
            Put(out, "    vec4 tex%u = texture(uTexture%u, %s);\n", k, k,
                StageCoordinates(f, k, bumped).c_str());
        bumped = false;
        const char* target = s.resultTemp ? "temp" : "current";
        if (s.colorOp == TextureOp::BumpEnvMap) {
            Put(out,
                "    bump = vec2(dot(tex%u.rg, uBumpMatrix[%u].xz), dot(tex%u.rg, uBumpMatrix[%u].yw));\n", k,
                k, k, k);
            Put(out, "    %s = current;\n", target);
            bumped = true;
            continue;
        }
        std::string color = Operation(s.colorOp, s.colorArg, k, ".rgb");
        std::string alpha;
        if (s.colorOp == TextureOp::DotProduct3)
            alpha = Operation(s.colorOp, s.colorArg, k, ".a");
        else if (s.alphaOp == TextureOp::Disable)
            alpha = "current.a";
        else
            alpha = Operation(s.alphaOp, s.alphaArg, k, ".a");
        Put(out, "    %s = clamp(vec4(%s, %s), 0.0, 1.0);\n", target, color.c_str(), alpha.c_str());
    }
    if (f.specularAdd)
        out += "    current.rgb = clamp(current.rgb + vSpecular.rgb, 0.0, 1.0);\n";
}

void PixelShaderCode(std::string& out, const FragmentDesc& f, const TranslatedShader& shader)
{
    out += "    vec4 r0 = vec4(0.0), r1 = vec4(0.0);\n"
           "    vec4 t0 = vec4(0.0), t1 = vec4(0.0), t2 = vec4(0.0), t3 = vec4(0.0);\n"
           "    vec4 v0 = vDiffuse, v1 = vSpecular;\n";
    for (uint32_t k = 0; k < 4; ++k)
        if ((f.sampledStages >> k) & 1)
            Put(out, "    vec4 tex%u = texture(uTexture%u, %s);\n", k, k,
                StageCoordinates(f, k, false).c_str());
    out += shader.body;
    out += "    vec4 current = r0;\n";
}

const char* CompareCode(Compare func)
{
    switch (func) {
    case Compare::Never:
        return "false";
    case Compare::Less:
        return "a8 < uAlphaRef.x";
    case Compare::Equal:
        return "a8 == uAlphaRef.x";
    case Compare::LessEqual:
        return "a8 <= uAlphaRef.x";
    case Compare::Greater:
        return "a8 > uAlphaRef.x";
    case Compare::NotEqual:
        return "a8 != uAlphaRef.x";
    case Compare::GreaterEqual:
        return "a8 >= uAlphaRef.x";
    default:
        return "true";
    }
}

void FogAndAlphaTest(std::string& out, const FragmentDesc& f)
{
    if (f.fog == FogKind::Table) {
        switch (f.tableMode) {
        case FogMode::Linear:
            out += "    float fog = clamp((uFogParams.y - vEyeDepth) * uFogParams.z, 0.0, 1.0);\n";
            break;
        case FogMode::Exp:
            out += "    float fog = clamp(exp(-vEyeDepth * uFogParams.w), 0.0, 1.0);\n";
            break;
        default:
            out += "    float fogProduct = vEyeDepth * uFogParams.w;\n"
                   "    float fog = clamp(exp(-fogProduct * fogProduct), 0.0, 1.0);\n";
            break;
        }
    } else if (f.fog == FogKind::Vertex) {
        out += "    float fog = vFog;\n";
    }
    if (f.fog != FogKind::None)
        out += "    current.rgb = mix(uFogColor.rgb, current.rgb, fog);\n";
    if (f.alphaTest) {
        out += "    float a8 = floor(clamp(current.a, 0.0, 1.0) * 255.0 + 0.5);\n";
        Put(out, "    if (!(%s))\n        discard;\n", CompareCode(f.alphaFunc));
    }
}

} // namespace

const UniformRow& UniformInfo(Uniform uniform)
{
    return kUniforms[size_t(uniform)];
}

std::string VertexSource(
    const ProgramDesc& desc, const TranslatedShader* shader, std::span<const VertexElement> declaration)
{
    if (desc.vertex.shader && shader)
        return ShaderVertex(desc, *shader, declaration);
    return FixedVertex(desc);
}

std::string FragmentSource(const ProgramDesc& desc, const TranslatedShader* shader)
{
    const FragmentDesc& f = desc.fragment;
    std::string out = kHeader;
    DeclareVaryings(out, desc, "in");
    for (uint32_t k = 0; k < kStageCount; ++k)
        if ((f.sampledStages >> k) & 1)
            Put(out, "uniform sampler2D uTexture%u;\n", k);
    out += "uniform vec4 uTextureFactor;\n"
           "uniform vec4 uBumpMatrix[8];\n"
           "uniform vec4 uFogColor;\n"
           "uniform vec4 uFogParams;\n"
           "uniform vec4 uAlphaRef;\n";
    if (f.shader)
        out += "uniform vec4 uPsConst[8];\n";
    out += "layout(location = 0) out vec4 oColor;\n"
           "void main()\n{\n";
    if (f.shader && shader)
        PixelShaderCode(out, f, *shader);
    else
        CombinerCode(out, f);
    FogAndAlphaTest(out, f);
    out += "    oColor = current;\n}\n";
    return out;
}

} // namespace plat::gfx::gl
