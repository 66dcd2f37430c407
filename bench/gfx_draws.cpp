// The gl backend's cost per draw against hand-written GL. One frame: 2,000 draws of two
// triangles from one buffer into a 64x64 target, each changing the texture (one of 8), WORLD
// and TEXTUREFACTOR, every tenth applying one of 6 state blocks. The baseline draws the same
// frame with prebuilt programs, one vertex array, per-draw uniforms and texture binds and a
// program switch every tenth draw. Both are timed to glFinish. The raw frame runs on a
// context of its own, so it needs the layer's GL loader. The software driver hides the layer's
// own cost, so the requirements judge both frames with every GL entry point a counting no-op;
// the figures with the driver are given for information.
#include "bench/requirements.h"
#include "platform/gfx/adapter.h"
#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "platform/gfx/gl/context.h"
#include "platform/gfx/gl/gl_api.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/null_dispatch.h"
#include "tests/support/gl_environment.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace plat::gfx;

constexpr int kDraws = 2000;
constexpr int kTextures = 8;
constexpr int kBlocks = 6;
constexpr uint32_t kSize = 64;

struct Vertex {
    float x, y, z;
    Color diffuse;
    float u, v;
};
constexpr uint32_t kFvf = fvf::kXyz | fvf::kDiffuse | fvf::kTex1;

const Vertex kTriangles[6]
    = { { -0.1f, 0.1f, 0.5f, 0xFFFFFFFFu, 0, 0 }, { 0.1f, 0.1f, 0.5f, 0xFFFFFFFFu, 1, 0 },
          { -0.1f, -0.1f, 0.5f, 0xFFFFFFFFu, 0, 1 }, { -0.1f, -0.1f, 0.5f, 0xFFFFFFFFu, 0, 1 },
          { 0.1f, 0.1f, 0.5f, 0xFFFFFFFFu, 1, 0 }, { 0.1f, -0.1f, 0.5f, 0xFFFFFFFFu, 1, 1 } };

uint32_t TextureColour(int i)
{
    return 0xFF000000u | uint32_t(i * 30) << 16 | uint32_t(255 - i * 25) << 8 | uint32_t(i * 13);
}

Matrix WorldOf(int i)
{
    Matrix m = Matrix::Identity();
    m.m[3][0] = float(i % 9) * 0.2f - 0.8f;
    m.m[3][1] = float(i / 9 % 9) * 0.2f - 0.8f;
    return m;
}

uint32_t FactorOf(int i)
{
    return 0xFF000000u | uint32_t(i * 7 % 256) << 16 | uint32_t(i * 3 % 256) << 8 | 0x80u;
}

[[noreturn]] void Die(const char* what)
{
    std::fprintf(stderr, "gfx_draws: %s\n", what);
    std::exit(1);
}

// ---- Through the layer ----

struct Layer {
    Adapter* adapter = nullptr;
    Device* device = nullptr;
    std::array<Texture*, kTextures> textures {};
    VertexBuffer* buffer = nullptr;
    std::array<uint32_t, kBlocks> blocks {};

    Layer()
    {
        adapter = CreateAdapter("gl", CapsProfile::Full);
        if (!adapter)
            Die("no gl adapter");
        PresentParameters params;
        params.windowed = true;
        params.backBufferWidth = kSize;
        params.backBufferHeight = kSize;
        params.backBufferFormat = Format::X8R8G8B8;
        if (adapter->CreateDevice(
                0, DeviceType::Hal, nullptr, create::kHardwareVertexProcessing, params, &device)
            != Result::Ok)
            Die("no gl device");
        for (int t = 0; t < kTextures; ++t) {
            if (device->CreateTexture(16, 16, 1, 0, Format::A8R8G8B8, Pool::Managed, &textures[t])
                != Result::Ok)
                Die("no texture");
            LockedRect locked;
            textures[t]->LockRect(0, locked, nullptr, 0);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    uint32_t c = TextureColour(t) ^ uint32_t((x ^ y) & 1) * 0x00202020u;
                    std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, &c, 4);
                }
            textures[t]->UnlockRect(0);
        }
        if (device->CreateVertexBuffer(sizeof kTriangles, usage::kWriteOnly, kFvf, Pool::Managed, &buffer)
            != Result::Ok)
            Die("no vertex buffer");
        uint8_t* bytes = nullptr;
        buffer->Lock(0, 0, &bytes, 0);
        std::memcpy(bytes, kTriangles, sizeof kTriangles);
        buffer->Unlock();

        device->SetRenderState(RenderState::Lighting, 0);
        device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
        device->SetRenderState(RenderState::ZEnable, 0);
        // Six blocks: the stage-0 operation on the texture and the factor, and blending.
        const TextureOp ops[kBlocks] = { TextureOp::Modulate, TextureOp::Add, TextureOp::Modulate2x,
            TextureOp::Modulate, TextureOp::Subtract, TextureOp::BlendFactorAlpha };
        for (int b = 0; b < kBlocks; ++b) {
            device->BeginStateBlock();
            device->SetTextureStageState(0, StageState::ColorOp, uint32_t(ops[b]));
            device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Texture));
            device->SetTextureStageState(0, StageState::ColorArg2, uint32_t(TextureArg::TFactor));
            device->SetRenderState(RenderState::AlphaBlendEnable, b >= 3);
            device->SetRenderState(RenderState::SrcBlend, uint32_t(b >= 3 ? Blend::SrcAlpha : Blend::One));
            device->SetRenderState(
                RenderState::DestBlend, uint32_t(b >= 3 ? Blend::InvSrcAlpha : Blend::Zero));
            device->EndStateBlock(blocks[b]);
        }
        device->SetVertexShader(kFvf);
        device->SetStreamSource(0, buffer, sizeof(Vertex));
    }

    ~Layer()
    {
        if (!device)
            return;
        device->SetStreamSource(0, nullptr, 0);
        device->SetTexture(0, nullptr);
        for (Texture* t : textures)
            t->Release();
        buffer->Release();
        device->Release();
        adapter->Release();
    }

    void Frame()
    {
        device->BeginScene();
        device->Clear(0, nullptr, clear::kTarget, 0xFF000000u, 1, 0);
        for (int i = 0; i < kDraws; ++i) {
            if (i % 10 == 0)
                device->ApplyStateBlock(blocks[size_t(i / 10 % kBlocks)]);
            device->SetTexture(0, textures[size_t(i % kTextures)]);
            device->SetTransform(Transform::World, WorldOf(i));
            device->SetRenderState(RenderState::TextureFactor, FactorOf(i));
            device->DrawPrimitive(PrimitiveType::TriangleList, 0, 2);
        }
        device->EndScene();
        gl::Finish(*gl::FromDevice(*device));
    }
};

// The gl backend as the tests have it (no shader cache on disk), for the whole run.
void UseGl()
{
    static const zoq::test::GlEnvironment environment;
}

Layer& TheLayer()
{
    UseGl();
    static Layer layer;
    return layer;
}

// ---- Hand-written GL ----

const char* kRawVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aDiffuse;
layout(location = 2) in vec2 aTex;
uniform mat4 uWorld;
out vec4 vDiffuse;
out vec2 vTex;
void main()
{
    vDiffuse = aDiffuse;
    vTex = aTex;
    gl_Position = vec4(aPosition, 1.0) * uWorld;
}
)";

const char* const kRawCombine[kBlocks]
    = { "t * f", "t + f", "2.0 * t * f", "t * f", "t - f", "mix(f, t, f.a)" };

struct Raw {
    std::unique_ptr<gl::Context> context;
    GLuint framebuffer = 0, colour = 0, buffer = 0, array = 0;
    std::array<GLuint, kTextures> textures {};
    std::array<GLuint, kBlocks> programs {};
    std::array<GLint, kBlocks> worldAt {}, factorAt {};

    Raw()
    {
        gl::GetDriverFacts();
        context = gl::Context::Create(nullptr);
        if (!context)
            Die("no GL context");
        using namespace plat::gfx::gl;
        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kSize, kSize, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        glViewport(0, 0, kSize, kSize);
        for (int t = 0; t < kTextures; ++t) {
            std::vector<uint32_t> texels(256);
            for (int i = 0; i < 256; ++i)
                texels[size_t(i)] = TextureColour(t) ^ uint32_t(((i % 16) ^ (i / 16)) & 1) * 0x00202020u;
            glGenTextures(1, &textures[size_t(t)]);
            glBindTexture(GL_TEXTURE_2D, textures[size_t(t)]);
            glTexImage2D(
                GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
        glGenVertexArrays(1, &array);
        glBindVertexArray(array);
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof kTriangles, kTriangles, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(
            1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex), reinterpret_cast<void*>(12));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(16));
        for (int b = 0; b < kBlocks; ++b) {
            std::string fragment
                = std::string("#version 330 core\nuniform sampler2D uTexture;\nuniform vec4 uFactor;\n")
                + "in vec4 vDiffuse;\nin vec2 vTex;\nout vec4 oColor;\nvoid main()\n{\n"
                + "    vec4 t = texture(uTexture, vTex);\n    vec4 f = uFactor;\n"
                + "    oColor = clamp(vec4((" + kRawCombine[b] + ").rgb, t.a), 0.0, 1.0);\n}\n";
            programs[size_t(b)] = Build(kRawVertex, fragment.c_str());
            worldAt[size_t(b)] = glGetUniformLocation(programs[size_t(b)], "uWorld");
            factorAt[size_t(b)] = glGetUniformLocation(programs[size_t(b)], "uFactor");
        }
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
    }

    static GLuint Build(const char* vertex, const char* fragment)
    {
        using namespace plat::gfx::gl;
        GLuint program = glCreateProgram();
        for (auto [kind, text] :
            { std::pair { GLenum(GL_VERTEX_SHADER), vertex }, { GLenum(GL_FRAGMENT_SHADER), fragment } }) {
            GLuint shader = glCreateShader(kind);
            glShaderSource(shader, 1, &text, nullptr);
            glCompileShader(shader);
            GLint ok = 0;
            glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
            if (!ok)
                Die("a baseline shader does not compile");
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok)
            Die("a baseline program does not link");
        return program;
    }

    void Frame()
    {
        using namespace plat::gfx::gl;
        context->MakeCurrent();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glBindVertexArray(array);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        size_t program = 0;
        for (int i = 0; i < kDraws; ++i) {
            if (i % 10 == 0) {
                program = size_t(i / 10 % kBlocks);
                glUseProgram(programs[program]);
                if (program >= 3) {
                    glEnable(GL_BLEND);
                    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                } else {
                    glDisable(GL_BLEND);
                }
            }
            glBindTexture(GL_TEXTURE_2D, textures[size_t(i % kTextures)]);
            Matrix world = WorldOf(i);
            glUniformMatrix4fv(worldAt[program], 1, GL_TRUE, &world.m[0][0]);
            ColorValue f = ToColorValue(FactorOf(i));
            const float factor[4] = { f.r, f.g, f.b, f.a };
            glUniform4fv(factorAt[program], 1, factor);
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        glFinish();
    }
};

Raw& TheRaw()
{
    UseGl();
    static Raw raw;
    return raw;
}

void BM_LayerFrame(benchmark::State& state)
{
    Layer& layer = TheLayer();
    layer.Frame(); // programs, samplers and arrays are built in the first frame
    gl::Stats before = gl::GetStats(*gl::FromDevice(*layer.device));
    for (auto _ : state)
        layer.Frame();
    gl::Stats after = gl::GetStats(*gl::FromDevice(*layer.device));
    double frames = double(state.iterations());
    state.counters["programs_compiled"] = double(after.programsCompiled - before.programsCompiled);
    state.counters["gl_calls_per_draw"] = double(after.glCalls - before.glCalls) / (frames * kDraws);
}
BENCHMARK(BM_LayerFrame)->Unit(benchmark::kMillisecond);

void BM_RawFrame(benchmark::State& state)
{
    Raw& raw = TheRaw();
    raw.Frame();
    uint64_t before = gl::GlCallCount();
    for (auto _ : state)
        raw.Frame();
    state.counters["gl_calls_per_draw"]
        = double(gl::GlCallCount() - before) / (double(state.iterations()) * kDraws);
}
BENCHMARK(BM_RawFrame)->Unit(benchmark::kMillisecond);

// Both frames in turns, so they meet the same machine load; the best frame of each side
// counts, which leaves out the moments another process held the cores.
void BM_Interleaved(benchmark::State& state)
{
    Layer& layer = TheLayer();
    Raw& raw = TheRaw();
    layer.Frame();
    raw.Frame();
    double bestLayer = 1e30, bestRaw = 1e30;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        layer.Frame();
        auto t1 = std::chrono::steady_clock::now();
        raw.Frame();
        auto t2 = std::chrono::steady_clock::now();
        bestLayer = std::min(bestLayer, std::chrono::duration<double, std::milli>(t1 - t0).count());
        bestRaw = std::min(bestRaw, std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    state.counters["layer_ms"] = bestLayer;
    state.counters["raw_ms"] = bestRaw;
}
BENCHMARK(BM_Interleaved)->Unit(benchmark::kMillisecond);

// One side of the frames without a driver: its best frame and the calls of all its frames.
struct Undriven {
    double bestMs = 1e30;
    uint64_t calls = 0, stateChanges = 0, frames = 0;

    // Two frames, timing the second, so the timed one never switches contexts.
    template <class Frames> void Measure(Frames& frames)
    {
        frames.Frame();
        const gl::NullCounts before = gl::NullDispatch::Counts();
        const auto start = std::chrono::steady_clock::now();
        frames.Frame();
        const auto end = std::chrono::steady_clock::now();
        const gl::NullCounts after = gl::NullDispatch::Counts();
        bestMs = std::min(bestMs, std::chrono::duration<double, std::milli>(end - start).count());
        calls += after.calls - before.calls;
        stateChanges += after.stateChanges - before.stateChanges;
        ++this->frames;
    }

    void Report(benchmark::State& state, const std::string& side) const
    {
        const double draws = double(frames) * kDraws;
        state.counters[side + "_ns_per_draw"] = bestMs * 1e6 / kDraws;
        state.counters[side + "_calls_per_draw"] = double(calls) / draws;
        state.counters[side + "_states_per_draw"] = double(stateChanges) / draws;
    }
};

// Both frames in turns with the driver taken out: the CPU the calling code itself spends, and
// the calls it makes. Runs last, as no object may be created meanwhile.
void BM_NoDriver(benchmark::State& state)
{
    Layer& layer = TheLayer();
    Raw& raw = TheRaw();
    layer.Frame();
    raw.Frame();
    Undriven layerSide, rawSide;
    for (auto _ : state) {
        const gl::NullDispatch noDriver;
        layerSide.Measure(layer);
        rawSide.Measure(raw);
    }
    layerSide.Report(state, "layer");
    rawSide.Report(state, "raw");
}
BENCHMARK(BM_NoDriver)->Unit(benchmark::kMillisecond);

double NoDriverRatio(const zoq::bench::Results& r, const std::string& figure)
{
    const auto& counters = r.at("BM_NoDriver").counters;
    return counters.at("layer_" + figure) / counters.at("raw_" + figure);
}

struct Target {
    const char* text;
    const char* figure;
    double limit;
};

const Target kTargets[] = {
    { "gl layer CPU per draw against hand-written GL, no driver, best frames in turns (at most 1.5x)",
        "ns_per_draw", 1.5 },
    { "gl layer GL calls per draw against hand-written GL (at most 1.2x)", "calls_per_draw", 1.2 },
    { "gl layer GL state changes per draw against hand-written GL (at most 1.2x)", "states_per_draw", 1.2 },
};

const bool kRequired = [] {
    for (const Target& target : kTargets) {
        zoq::bench::Require({ target.text,
            [figure = std::string(target.figure)](
                const zoq::bench::Results& r) { return NoDriverRatio(r, figure); },
            target.limit, true });
    }
    return true;
}();

} // namespace
