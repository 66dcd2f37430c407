// Model files and morphing on the null backend: loading a 4 MB model through the file layer
// against copying its bytes (with the reader alone and the reader with the run-time objects for
// reference), and blending four channels over 10k vertices of a batched model against one scaled
// delta per vertex and channel.
#include "bench/null_graphic.h"
#include "bench/requirements.h"

#include "foundation/PakManager.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tools/model/model_writer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

namespace model = zoq::tools::model;

constexpr uint32_t kChannelTypes[4] = { 1, 8, 10, 12 };
constexpr uint32_t kMorphVertices = 10000;

// A null device and the generated files.
struct Scene {
    Scene()
    {
        zoq::bench::CreateNullGraphic(window);
        heavy = model::EncodeModelFile(model::MakeHeavyModel(40000, kChannelTypes, 3000));
        zoq::test::WriteBytes(path, heavy);
        manager = std::make_unique<CModelManager>();
        manager->Init();
        g_pModelManager = manager.get();
        // Batched, as the game's models: the bent vertices go through the "MODELS" ring.
        const SModelFile morph = model::MakeHeavyModel(kMorphVertices, kChannelTypes, kMorphVertices);
        morphModel.Load(*morph.parts[0].model, true);
    }
    ~Scene() { g_pModelManager = nullptr; }

    zoq::test::FakeWindow window;
    std::unique_ptr<CModelManager> manager;
    model::Bytes heavy;
    zoq::test::TempDir folder { "models-bench" };
    std::string path = (folder / "heavy.mdl").string();
    CModel morphModel;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_LoadModel(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        if (!g_PakManager.Open(scene.path.c_str())) {
            state.SkipWithError("model file did not open");
            break;
        }
        CComplexObject object;
        object.Load();
        g_PakManager.CloseFile();
        benchmark::DoNotOptimize(object.memoryBytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scene.heavy.size()));
}
BENCHMARK(BM_LoadModel)->Unit(benchmark::kMillisecond);

// The reader alone, from memory.
void BM_ParseModel(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadModelFile(scene.heavy.data(), scene.heavy.size()).parts.size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scene.heavy.size()));
}
BENCHMARK(BM_ParseModel)->Unit(benchmark::kMillisecond);

// The reader and the run-time objects, without the file layer.
void BM_BuildModel(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        CComplexObject object;
        object.Load(scene.heavy.data(), scene.heavy.size());
        benchmark::DoNotOptimize(object.memoryBytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scene.heavy.size()));
}
BENCHMARK(BM_BuildModel)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state)
{
    Scene& scene = TheScene();
    std::vector<uint8_t> copy(scene.heavy.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), scene.heavy.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scene.heavy.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_Morph(benchmark::State& state)
{
    CModel& model = TheScene().morphModel;
    float weights[4] = { 0.8f, 0.9f, 0.7f, 0.8f };
    for (auto _ : state) {
        for (float& w : weights)
            w = w > 0.85f ? w - 0.1f : w + 0.1f;
        benchmark::DoNotOptimize(model.GetAnimatedMesh(weights, false));
    }
    state.counters["vertex_channels"] = double(kMorphVertices) * 4;
}
BENCHMARK(BM_Morph)->Unit(benchmark::kMicrosecond);

void BM_DeltaAxpy(benchmark::State& state)
{
    // Position and normal of a 32-byte vertex, one 24-byte delta per vertex and channel.
    std::vector<float> vertices(size_t(kMorphVertices) * 8, 1.0f);
    std::vector<SMorphDelta> deltas(
        size_t(kMorphVertices) * 4, SMorphDelta { { 0.1f, 0.2f, 0.3f }, { 0.01f, 0, 0 } });
    float w = 0.5f;
    for (auto _ : state) {
        w = w > 0.55f ? w - 0.1f : w + 0.1f;
        for (int c = 0; c < 4; ++c) {
            const SMorphDelta* d = deltas.data() + size_t(c) * kMorphVertices;
            for (uint32_t v = 0; v < kMorphVertices; ++v) {
                float* p = vertices.data() + size_t(v) * 8;
                for (int k = 0; k < 3; ++k) {
                    p[k] += w * d[v].position[k];
                    p[3 + k] += w * d[v].normal[k];
                }
            }
        }
        benchmark::DoNotOptimize(vertices.data());
        benchmark::ClobberMemory();
    }
    state.counters["vertex_channels"] = double(kMorphVertices) * 4;
}
BENCHMARK(BM_DeltaAxpy)->Unit(benchmark::kMicrosecond);

const bool kLoadRequired = zoq::bench::Require({
    "a model file loads at least 10% as fast as memcpy copies it",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_Memcpy") / zoq::bench::TimeOf(r, "BM_LoadModel");
    },
    0.1,
    false,
});

const bool kMorphRequired = zoq::bench::Require({
    "blending costs at most 4x one scaled delta per vertex and channel",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_Morph") / zoq::bench::TimeOf(r, "BM_DeltaAxpy");
    },
    4.0,
    true,
});

} // namespace
