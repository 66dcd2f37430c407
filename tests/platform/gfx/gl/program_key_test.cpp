// The render states outside kProgramRenderStates never change a draw's program key, so a draw
// that changes only those keeps its program without describing the state again.
#include "platform/gfx/fvf.h"
#include "platform/gfx/gl/program_desc.h"
#include "platform/gfx/states.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace plat::gfx::gl {
namespace {

DeviceState Defaults()
{
    DeviceState state;
    for (size_t i = 0; i < kRenderStateCount; ++i)
        state.render[i] = DefaultRenderState(RenderState(i), true);
    for (uint32_t stage = 0; stage < kStageCount; ++stage)
        for (size_t i = 0; i < kStageStateCount; ++i)
            state.stage[stage][i] = DefaultStageState(stage, StageState(i));
    state.vertexShader = fvf::kXyz | fvf::kNormal | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1;
    return state;
}

struct Case {
    std::string name;
    std::function<void(DeviceState&)> set;
    bool points = false;
};

// Bases that reach each branch of the description: lighting, both fogs, alpha test, points.
const std::vector<Case> kCases = {
    { "defaults", [](DeviceState&) {} },
    { "lit vertex colours",
        [](DeviceState& s) {
            s.render[size_t(RenderState::Lighting)] = 1;
            s.render[size_t(RenderState::ColorVertex)] = 1;
            s.render[size_t(RenderState::DiffuseMaterialSource)] = uint32_t(MaterialSource::Color1);
        } },
    { "vertex fog and alpha test",
        [](DeviceState& s) {
            s.render[size_t(RenderState::FogEnable)] = 1;
            s.render[size_t(RenderState::FogVertexMode)] = uint32_t(FogMode::Linear);
            s.render[size_t(RenderState::AlphaTestEnable)] = 1;
            s.render[size_t(RenderState::AlphaFunc)] = uint32_t(Compare::Greater);
        } },
    { "table fog, textured stage",
        [](DeviceState& s) {
            s.render[size_t(RenderState::FogEnable)] = 1;
            s.render[size_t(RenderState::FogTableMode)] = uint32_t(FogMode::Exp);
            s.stage[0][size_t(StageState::ColorOp)] = uint32_t(TextureOp::Modulate);
        } },
    { "point sprites",
        [](DeviceState& s) {
            s.render[size_t(RenderState::PointSpriteEnable)] = 1;
            s.render[size_t(RenderState::PointScaleEnable)] = 1;
        },
        true },
};

ProgramKey KeyOf(const DeviceState& state, bool points)
{
    ProgramDesc desc;
    EXPECT_TRUE(DescribeDraw(state, points, ShaderIds {}, desc));
    return PackKey(desc);
}

TEST(ProgramKey, OnlyProgramRenderStatesChangeTheKey)
{
    const uint32_t values[] = { 0, 1, 2, 3, 4, 5, 8, 0xFF, 0xFFFFFFFFu, FloatBits(1.0f), FloatBits(64.0f) };
    for (const Case& c : kCases) {
        DeviceState base = Defaults();
        c.set(base);
        const ProgramKey key = KeyOf(base, c.points);
        for (size_t i = 0; i < kRenderStateCount; ++i) {
            auto state = RenderState(i);
            if (std::ranges::find(kProgramRenderStates, state) != kProgramRenderStates.end())
                continue;
            for (uint32_t value : values) {
                DeviceState changed = base;
                changed.render[i] = value;
                EXPECT_EQ(KeyOf(changed, c.points), key)
                    << c.name << ": render state " << i << " = " << value;
            }
        }
    }
}

TEST(ProgramKey, ProgramRenderStatesAreReadByTheDescription)
{
    // Each listed state changes the key of some base, so the list holds no state for nothing.
    for (RenderState state : kProgramRenderStates) {
        bool matters = false;
        for (const Case& c : kCases) {
            DeviceState base = Defaults();
            c.set(base);
            const ProgramKey key = KeyOf(base, c.points);
            for (uint32_t value : { 0u, 1u, 2u, 3u }) {
                DeviceState changed = base;
                changed.render[size_t(state)] = value;
                matters = matters || !(KeyOf(changed, c.points) == key);
            }
        }
        EXPECT_TRUE(matters) << "render state " << size_t(state);
    }
}

TEST(ProgramKey, ProgramRenderStatesMarkTheRenderStateGroup)
{
    // A state that only marks the value group would leave the program as it was.
    for (RenderState state : kProgramRenderStates)
        EXPECT_EQ(dirty::RenderStateBit(state), dirty::kRenderStates) << "render state " << size_t(state);
}

} // namespace
} // namespace plat::gfx::gl
