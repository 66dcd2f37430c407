// The cost of drawing through a shader slot against drawing the mesh alone, on the null backend:
// batch mode must skip the redundant state blocks, so a run of draws with one slot costs little
// more than the draws themselves.
#include "bench/null_graphic.h"
#include "bench/requirements.h"

#include "platform/gfx/null/null_backend.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// A null device with the slots built, a 4-vertex quad and one texture.
struct Scene {
    Scene()
    {
        zoq::bench::CreateNullGraphic(window);
        // Counted, not logged: the call log is off.
        device = plat::gfx::null::FromDevice(*g_Graphic.GetDevice());
        if (!device)
            std::abort();
        device->SetStateBlockLog(false);
        manager = std::make_unique<TexShaderManager>(true);
        if (!manager->Init(true))
            std::abort();
        quad = std::make_unique<Mesh>(Mesh::kStaticManaged, 0x112, 4, true, 6);
        if (quad->Lock(true, true)) {
            const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
            std::copy(std::begin(indices), std::end(indices), quad->indexData);
        }
        quad->Unlock(true, true);
        texture = std::make_unique<CTexture>();
        g_Graphic.CreateTexture(
            texture.get(), 64, 64, 1, plat::gfx::Format::A8R8G8B8, plat::gfx::Pool::Managed, 0);
        if (!texture->GetTexture())
            std::abort();
    }

    zoq::test::FakeWindow window;
    plat::gfx::null::NullDevice* device = nullptr;
    std::unique_ptr<TexShaderManager> manager;
    std::unique_ptr<Mesh> quad;
    std::unique_ptr<CTexture> texture;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

constexpr const char* kBlocks = "state_blocks_per_call";

// State blocks the device applied so far.
uint64_t AppliedBlocks()
{
    return TheScene().device->GetCounters().stateBlocksApplied;
}

// Blocks applied per iteration.
void ReportBlocks(benchmark::State& state, uint64_t before)
{
    const uint64_t applied = AppliedBlocks() - before;
    const double calls = state.iterations() > 0 ? double(state.iterations()) : 1.0;
    state.counters[kBlocks] = double(applied) / calls;
}

void BM_RenderOnly(benchmark::State& state)
{
    Scene& scene = TheScene();
    scene.quad->Render(true);
    const uint64_t before = AppliedBlocks();
    for (auto _ : state)
        scene.quad->Render(true);
    ReportBlocks(state, before);
}
BENCHMARK(BM_RenderOnly);

void BM_ApplyNonBatch(benchmark::State& state)
{
    Scene& scene = TheScene();
    const uint64_t before = AppliedBlocks();
    for (auto _ : state)
        scene.manager->Apply(22, scene.quad.get(), scene.texture.get());
    ReportBlocks(state, before);
}
BENCHMARK(BM_ApplyNonBatch);

void BM_ApplyBatchSame(benchmark::State& state)
{
    Scene& scene = TheScene();
    TexShaderManager& manager = *scene.manager;
    manager.ResetCurrent();
    manager.Apply(22, scene.quad.get(), scene.texture.get());
    const uint64_t before = AppliedBlocks();
    for (auto _ : state)
        manager.Apply(22, scene.quad.get(), scene.texture.get());
    ReportBlocks(state, before);
    manager.ApplyEx();
}
BENCHMARK(BM_ApplyBatchSame);

void BM_ApplyBatchAlternating(benchmark::State& state)
{
    Scene& scene = TheScene();
    TexShaderManager& manager = *scene.manager;
    manager.ResetCurrent();
    manager.Apply(6, scene.quad.get(), scene.texture.get());
    const uint64_t before = AppliedBlocks();
    int slot = 22;
    for (auto _ : state) {
        manager.Apply(slot, scene.quad.get(), scene.texture.get());
        slot = slot == 22 ? 6 : 22;
    }
    ReportBlocks(state, before);
    manager.ApplyEx();
}
BENCHMARK(BM_ApplyBatchAlternating);

double BlocksOf(const zoq::bench::Results& results, const char* name)
{
    return results.at(name).counters.at(kBlocks);
}

const bool kBatchSameCost = zoq::bench::Require({
    "Apply of the same slot in batch mode costs at most 2x Mesh::Render",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_ApplyBatchSame") / zoq::bench::TimeOf(r, "BM_RenderOnly");
    },
    2.0,
    true,
});

const bool kNonBatchCost = zoq::bench::Require({
    "Apply outside batch mode costs at least 2x Apply of the same slot in batch mode",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_ApplyNonBatch") / zoq::bench::TimeOf(r, "BM_ApplyBatchSame");
    },
    2.0,
    false,
});

// Exact block counts: the distance from the expected count must be zero.
const bool kBlockCounts = zoq::bench::Require({
    "state blocks per call: 2 outside batch mode, 0 for the same slot, 2 alternating (distance from these)",
    [](const zoq::bench::Results& r) {
        return std::fabs(BlocksOf(r, "BM_ApplyNonBatch") - 2.0) + std::fabs(BlocksOf(r, "BM_ApplyBatchSame"))
            + std::fabs(BlocksOf(r, "BM_ApplyBatchAlternating") - 2.0);
    },
    0.0,
    true,
});

} // namespace
