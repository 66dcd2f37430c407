#include "platform/gfx/gl/program_cache.h"

#include "platform/gfx/gl/gl_state.h"
#include "platform/win/debug.h"

#include <string>
#include <vector>

namespace plat::gfx::gl {
namespace {

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx::gl: " + text);
}

std::string ShaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(size_t(length > 0 ? length : 1) + 1, '\0');
    glGetShaderInfoLog(shader, GLsizei(text.size()), nullptr, text.data());
    return text.data();
}

std::string ProgramLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(size_t(length > 0 ? length : 1) + 1, '\0');
    glGetProgramInfoLog(program, GLsizei(text.size()), nullptr, text.data());
    return text.data();
}

GLuint Compile(GLenum kind, const std::string& source, std::string& error)
{
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        error = ShaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

void UploadVec4(GLint location, const Vec4* values, GLsizei count)
{
    if (location >= 0)
        glUniform4fv(location, count, values[0].v);
}

void UploadMat4(GLint location, const Mat4* values, GLsizei count)
{
    if (location >= 0)
        glUniformMatrix4fv(location, count, GL_TRUE, values[0].m);
}

} // namespace

ProgramCache::~ProgramCache() = default;

Program& ProgramCache::Get(
    const ProgramKey& key, const ProgramDesc& desc, const std::function<ProgramSources()>& make)
{
    auto it = m_programs.find(key);
    if (it != m_programs.end())
        return *it->second;
    auto program = std::make_unique<Program>();
    program->vertexShaderId = desc.vertex.shader ? desc.vertex.shaderId : 0;
    program->pixelShaderId = desc.fragment.shader ? desc.fragment.shaderId : 0;
    program->samples = desc.fragment.sampledStages;
    program->clipPlanes = desc.vertex.clipPlanes;
    ProgramSources sources = make();
    program->failed = !Build(*program, sources);
    ++m_compiled;
    Program& result = *program;
    m_programs.emplace(key, std::move(program));
    return result;
}

bool ProgramCache::Build(Program& program, const ProgramSources& sources)
{
    std::string error;
    GLuint vertex = Compile(GL_VERTEX_SHADER, sources.vertex, error);
    GLuint fragment = vertex ? Compile(GL_FRAGMENT_SHADER, sources.fragment, error) : 0;
    if (!vertex || !fragment) {
        if (vertex)
            glDeleteShader(vertex);
        Log("a generated program does not compile: " + error + "\n--- vertex ---\n" + sources.vertex
            + "--- fragment ---\n" + sources.fragment);
        return false;
    }
    GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, fragment);
    glLinkProgram(name);
    glDetachShader(name, vertex);
    glDetachShader(name, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        Log("a generated program does not link: " + ProgramLog(name) + "\n--- vertex ---\n" + sources.vertex
            + "--- fragment ---\n" + sources.fragment);
        glDeleteProgram(name);
        return false;
    }
    program.name = name;
    for (size_t i = 0; i < size_t(Uniform::Count); ++i)
        program.locations[i] = glGetUniformLocation(name, UniformInfo(Uniform(i)).name);
    m_state.UseProgram(name);
    for (uint32_t k = 0; k < kStageCount; ++k) {
        std::string sampler = "uTexture" + std::to_string(k);
        GLint location = glGetUniformLocation(name, sampler.c_str());
        if (location >= 0)
            glUniform1i(location, GLint(k));
    }
    return true;
}

void ProgramCache::Upload(Program& program, const UniformValues& values)
{
    auto stale = [&](UniformGroup group) {
        uint32_t current = values.Generation(group);
        uint32_t& held = program.generations[size_t(group)];
        if (held == current)
            return false;
        held = current;
        return true;
    };
    auto at = [&](Uniform u) { return program.locations[size_t(u)]; };

    if (stale(UniformGroup::Transforms)) {
        const TransformValues& t = values.Transforms();
        UploadMat4(at(Uniform::WorldView), t.worldView.data(), 4);
        if (at(Uniform::NormalMatrix) >= 0)
            glUniformMatrix3fv(at(Uniform::NormalMatrix), 4, GL_TRUE, values.Normals()[0].m);
        UploadMat4(at(Uniform::Projection), &t.projection, 1);
        UploadMat4(at(Uniform::WorldViewProjection), &t.worldViewProjection, 1);
        UploadMat4(at(Uniform::TextureMatrix), t.texture.data(), GLsizei(kStageCount));
    }
    if (stale(UniformGroup::Viewport)) {
        const ViewportValues& v = values.ViewportGroup();
        UploadVec4(at(Uniform::PixelShift), &v.pixelShift, 1);
        UploadVec4(at(Uniform::RhwMap), &v.rhwMap, 1);
        UploadVec4(at(Uniform::DepthMap), &v.depthMap, 1);
    }
    if (stale(UniformGroup::Lights)) {
        const LightValues& l = values.Lights();
        if (at(Uniform::LightCount) >= 0)
            glUniform1i(at(Uniform::LightCount), l.count);
        if (l.count > 0) {
            UploadVec4(at(Uniform::LightDiffuse), l.diffuse.data(), l.count);
            UploadVec4(at(Uniform::LightSpecular), l.specular.data(), l.count);
            UploadVec4(at(Uniform::LightAmbient), l.ambient.data(), l.count);
            UploadVec4(at(Uniform::LightPosition), l.position.data(), l.count);
            UploadVec4(at(Uniform::LightDirection), l.direction.data(), l.count);
            UploadVec4(at(Uniform::LightAttenuation), l.attenuation.data(), l.count);
        }
    }
    if (stale(UniformGroup::Material)) {
        const MaterialValues& m = values.MaterialGroup();
        UploadVec4(at(Uniform::MaterialDiffuse), &m.diffuse, 1);
        UploadVec4(at(Uniform::MaterialAmbient), &m.ambient, 1);
        UploadVec4(at(Uniform::MaterialSpecular), &m.specular, 1);
        UploadVec4(at(Uniform::MaterialEmissive), &m.emissive, 1);
        UploadVec4(at(Uniform::MaterialPower), &m.power, 1);
    }
    if (stale(UniformGroup::Values)) {
        const RenderValues& r = values.Values();
        UploadVec4(at(Uniform::GlobalAmbient), &r.globalAmbient, 1);
        UploadVec4(at(Uniform::TextureFactor), &r.textureFactor, 1);
        UploadVec4(at(Uniform::FogColor), &r.fogColor, 1);
        UploadVec4(at(Uniform::FogParams), &r.fogParams, 1);
        UploadVec4(at(Uniform::AlphaRef), &r.alphaRef, 1);
        UploadVec4(at(Uniform::PointParams), &r.pointParams, 1);
        UploadVec4(at(Uniform::PointScale), &r.pointScale, 1);
    }
    if (stale(UniformGroup::Stages))
        UploadVec4(at(Uniform::BumpMatrix), values.Stages().bump.data(), GLsizei(kStageCount));
    if (stale(UniformGroup::ClipPlanes)) {
        UploadVec4(at(Uniform::ClipPlanes), values.Clip().camera.data(), GLsizei(kMaxClipPlanes));
        UploadVec4(at(Uniform::ClipPlanesClip), values.Clip().clip.data(), GLsizei(kMaxClipPlanes));
    }
    if (stale(UniformGroup::VertexConstants))
        UploadVec4(at(Uniform::VsConst), values.Constants().vertex.data(), GLsizei(kVertexShaderConstants));
    if (stale(UniformGroup::PixelConstants))
        UploadVec4(at(Uniform::PsConst), values.Constants().pixel.data(), GLsizei(kPixelShaderConstants));
}

void ProgramCache::ForgetShader(uint32_t id, bool contextCurrent)
{
    for (auto it = m_programs.begin(); it != m_programs.end();) {
        Program& p = *it->second;
        if (p.vertexShaderId == id || p.pixelShaderId == id) {
            if (p.name && contextCurrent) {
                m_state.ForgetProgram(p.name);
                glDeleteProgram(p.name);
            }
            it = m_programs.erase(it);
        } else {
            ++it;
        }
    }
}

void ProgramCache::Clear(bool contextCurrent)
{
    for (auto& [key, program] : m_programs)
        if (program->name && contextCurrent) {
            m_state.ForgetProgram(program->name);
            glDeleteProgram(program->name);
        }
    m_programs.clear();
}

} // namespace plat::gfx::gl
