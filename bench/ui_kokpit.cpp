// The cockpit on the null backend (4 weapon panels, 20 lamps, 3 damaged parts and a target group
// of 10), against drawing as many screen quads one by one through DrawScreenQuad with one Apply
// each: collecting the frame pieces in batches keeps it within twice that.
#include "ai/CFerroGroup.h"
#include "bench/null_scene.h"
#include "bench/requirements.h"
#include "foundation/CViewFrame.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "ui/CRenderer.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

struct KokpitScene {
    KokpitScene()
    {
        renderer.showMessagesAndRadar = 0;
        renderer.LoadTextures();
        SWeaponPanel firing;
        firing.firing = 1;
        firing.ammoFed = 1;
        firing.ammo = 40;
        SWeaponPanel reloading;
        reloading.q = 0.4f;
        reloading.notReady = 1;
        frame.weapons = { firing, reloading, firing, reloading };
        for (int i = 0; i < CRenderer::kMaxLamps; ++i)
            frame.lamps.push_back({ 20 + i, i % 2 == 0 });
        frame.damaged = { { 4, 0.3f }, { 6, 0.5f }, { 5, 0.7f } };
        frame.energy = 0.2f;
        frame.armour = 0.6f;
        frame.shield = 0.9f;
        frame.armourHits = 0.5f;
        frame.speed = 120;
        frame.hours = 13.5f;
        frame.markShown = true;
        frame.markDistance = 850;
        // The target's group: ten machines in view.
        group = std::make_unique<CFerroGroup>();
        group->memberCount = CFerroGroup::kMaxMembers;
        for (int i = 0; i < CFerroGroup::kMaxMembers; ++i) {
            gliders[i].frame.position = { -0.5f + 0.1f * float(i), 0.2f, 0.0f };
            gliders[i].radius = 0.02f;
            gliders[i].ferrovant = &group->members[i];
            group->members[i].glider = &gliders[i];
            group->members[i].group = group.get();
        }
        player.target = &gliders[0];
        PlayerObject = &player;
        Matrix4Identity(ViewFrame.combined);
        // Every piece of one cockpit frame, counted.
        CRenderer::ResetFrameCounters();
        Draw();
        pieces = CRenderer::PiecesDrawn();
    }
    void Draw()
    {
        renderer.DrawPanels(frame);
        renderer.DrawTarget();
    }

    zoq::bench::NullScene null;
    CRenderer renderer;
    CRenderer::SKokpitFrame frame;
    std::unique_ptr<CFerroGroup> group;
    CGliderObject gliders[CFerroGroup::kMaxMembers];
    CGliderObject player;
    uint32_t pieces = 0;
};

KokpitScene& Scene()
{
    static KokpitScene scene;
    return scene;
}

void BM_KokpitDraw(benchmark::State& state)
{
    KokpitScene& scene = Scene();
    for (auto _ : state) {
        CRenderer::ResetFrameCounters();
        scene.Draw();
    }
    state.counters["pieces"] = double(scene.pieces);
}
BENCHMARK(BM_KokpitDraw);

void BM_KokpitScreenQuads(benchmark::State& state)
{
    KokpitScene& scene = Scene();
    const int slot = g_pModelManager->ScreenSlot();
    for (auto _ : state) {
        for (uint32_t i = 0; i < scene.pieces; ++i) {
            const float x = float(i % 40) * 20.0f;
            CVertexData& quad = g_pModelManager->DrawScreenQuad(x, 10.0f, x + 16.0f, 26.0f, nullptr, false);
            Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(slot, quad);
            g_TexShaderManager->SetFactorColor(0xFF93EE6Bu);
            g_TexShaderManager->Apply(19, mesh);
        }
    }
    state.counters["pieces"] = double(scene.pieces);
}
BENCHMARK(BM_KokpitScreenQuads);

const bool kKokpitRequired = zoq::bench::Require({
    "drawing the cockpit costs <= 2x drawing as many screen quads one by one",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_KokpitDraw") / zoq::bench::TimeOf(r, "BM_KokpitScreenQuads");
    },
    2.0,
});

} // namespace
