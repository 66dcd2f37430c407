// GLSL programs by key, kept for the device's life. A program that fails to compile or link
// is logged once with its generated source and stays in the cache as failed, so its draws are
// skipped and validation refuses its state without compiling again.
#pragma once

#include "platform/gfx/gl/gl_api.h"
#include "platform/gfx/gl/glsl.h"
#include "platform/gfx/gl/program_desc.h"
#include "platform/gfx/gl/uniforms.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace plat::gfx::gl {

class StateCache;

struct Program {
    GLuint name = 0;
    bool failed = false;
    uint32_t vertexShaderId = 0;
    uint32_t pixelShaderId = 0;
    uint8_t samples = 0; // stages whose textures the program reads
    uint8_t clipPlanes = 0; // user clip planes it writes
    std::array<GLint, size_t(Uniform::Count)> locations {};
    std::array<uint32_t, kGroupCount> generations {}; // what the program holds; 0 = nothing
};

// The sources of a program, made on a cache miss.
struct ProgramSources {
    std::string vertex;
    std::string fragment;
};

class ProgramCache {
public:
    explicit ProgramCache(StateCache& state)
        : m_state(state)
    {
    }
    ~ProgramCache();
    ProgramCache(const ProgramCache&) = delete;
    ProgramCache& operator=(const ProgramCache&) = delete;

    // The program of a key, compiled on first use from `make`.
    Program& Get(const ProgramKey& key, const ProgramDesc& desc, const std::function<ProgramSources()>& make);

    // Sends the groups whose generation the program lacks. The program must be in use.
    void Upload(Program& program, const UniformValues& values);

    // Drops the programs built on a shader object that goes away.
    void ForgetShader(uint32_t id, bool contextCurrent);
    // Deletes every GL program (the context must be current) or forgets them (it is gone).
    void Clear(bool contextCurrent);

    uint64_t Compiled() const { return m_compiled; }
    size_t Size() const { return m_programs.size(); }

private:
    bool Build(Program& program, const ProgramSources& sources);

    StateCache& m_state;
    std::unordered_map<ProgramKey, std::unique_ptr<Program>, ProgramKeyHash> m_programs;
    uint64_t m_compiled = 0;
};

} // namespace plat::gfx::gl
