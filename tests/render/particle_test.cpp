// Particle emitters: the slot pool, emission in bursts and pauses, forces, drawing by kind and
// the emitter instances of world objects.
#include "tests/render/model_fixture.h"

#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "platform/gfx/device.h"
#include "render/CEmitterInstance.h"

#include <cmath>
#include <cstring>

using namespace plat::gfx;

namespace {

SParticleBlock Block(uint32_t kind = 1, uint32_t maxParticles = 100)
{
    SParticleBlock block;
    SEmitterDesc& d = block.desc;
    d.maxParticles = maxParticles;
    for (int i = 0; i < 4; ++i)
        d.matrix[5 * i] = 1;
    d.direction[2] = 2;
    d.lifetime = 10;
    d.rate = 16;
    d.speed = 1;
    d.burstDuration = 100;
    d.pauseDuration = 0;
    block.viewer.kind = kind;
    std::strcpy(block.viewer.texture, "TEX_SAMPLECOLOR");
    block.viewer.birthSize = 1;
    block.viewer.deathSize = 3;
    return block;
}

std::vector<int> CountsOverSteps(CParticleViewer& emitter, int steps, float dt)
{
    std::vector<int> counts;
    for (int i = 0; i < steps; ++i) {
        emitter.Update(dt);
        counts.push_back(emitter.Pool().Count());
    }
    return counts;
}

TEST(SlotPool, reportsFullOnlyWhenEverySlotIsUsed)
{
    XSlotPool<int> pool(2);
    EXPECT_EQ(pool.Add(10), 1);
    EXPECT_EQ(pool.Add(20), 2);
    EXPECT_EQ(pool.Add(30), -1);
    pool.Remove(1);
    EXPECT_EQ(pool.Add(40), 1); // the mark had reached the capacity, yet a slot is free
    EXPECT_EQ(pool.At(1), 40);
    std::vector<int> order;
    for (int s = pool.First(); s; s = pool.Next(s))
        order.push_back(pool.At(s));
    EXPECT_EQ(order, (std::vector<int> { 40, 20 }));
}

TEST(SlotPool, removingAtTheMarkMovesItBack)
{
    XSlotPool<int> pool(5);
    for (int v : { 1, 2, 3 })
        pool.Add(v);
    pool.Remove(3);
    EXPECT_EQ(pool.Add(4), 3);
    pool.Remove(2);
    pool.Remove(1);
    EXPECT_EQ(pool.Add(5), 4);
    EXPECT_EQ(pool.Add(6), 5);
    EXPECT_EQ(pool.Add(7), 1); // the search wraps over the free slots
    std::vector<int> order;
    for (int s = pool.First(); s; s = pool.Next(s))
        order.push_back(s);
    EXPECT_EQ(order, (std::vector<int> { 1, 3, 4, 5 }));
}

class ParticleTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        SharedRandom.seed = 1234;
        GameClock = 0;
    }
    void TearDown() override
    {
        GameClock = 0;
        ModelTest::TearDown();
    }
    std::unique_ptr<CParticleViewer> Emitter(const SParticleBlock& block)
    {
        auto emitter = std::make_unique<CParticleViewer>();
        emitter->SetBlock(block);
        emitter->CreateBuffers();
        return emitter;
    }
};

TEST_F(ParticleTest, burstsAndPausesAlternate)
{
    SParticleBlock block = Block();
    block.desc.burstDuration = 0.5f;
    block.desc.pauseDuration = 0.25f;
    auto emitter = Emitter(block);
    EXPECT_EQ(
        CountsOverSteps(*emitter, 10, 0.125f), (std::vector<int> { 0, 0, 0, 8, 10, 12, 14, 14, 14, 20 }));
}

TEST_F(ParticleTest, nothingSpawnsUntilRateTimesClockPassesOne)
{
    SParticleBlock block = Block();
    block.desc.rate = 4;
    auto emitter = Emitter(block);
    EXPECT_EQ(CountsOverSteps(*emitter, 6, 0.125f), (std::vector<int> { 0, 0, 1, 1, 1, 2 }));
    block.desc.lifetime = 0;
    auto dead = Emitter(block);
    EXPECT_EQ(CountsOverSteps(*dead, 6, 0.125f), (std::vector<int>(6, 0)));
}

TEST_F(ParticleTest, fullPoolStopsSpawningAndDeadParticlesGo)
{
    SParticleBlock block = Block(1, 5);
    block.desc.rate = 1000;
    block.desc.lifetime = 0.3f;
    auto emitter = Emitter(block);
    emitter->Update(0.125f);
    emitter->Update(0.125f);
    EXPECT_EQ(emitter->Pool().Count(), 5);
    block.desc.rate = 0;
    emitter->Desc().rate = 0;
    for (int i = 0; i < 4; ++i)
        emitter->Update(0.125f);
    EXPECT_EQ(emitter->Pool().Count(), 0);
    EXPECT_EQ(emitter->BoundsMin().x, 0.0f);
    EXPECT_EQ(emitter->BoundsMax().z, 0.0f);
}

TEST_F(ParticleTest, seededRunsRepeat)
{
    auto positions = [&] {
        SharedRandom.seed = 77;
        SParticleBlock block = Block();
        block.desc.spread = 1.2f;
        block.desc.speedVariation = 0.5f;
        block.desc.keys[0] = SForceKey { 0, 0, 0, 1, 1, 1, 1, {}, 1 };
        auto emitter = Emitter(block);
        std::vector<float> out;
        for (int i = 0; i < 6; ++i)
            emitter->Update(0.125f);
        for (int s = emitter->Pool().First(); s; s = emitter->Pool().Next(s))
            out.insert(out.end(), emitter->Pool().At(s).position, emitter->Pool().At(s).position + 3);
        return out;
    };
    const std::vector<float> first = positions();
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(positions(), first);
}

TEST_F(ParticleTest, newParticlesFollowTheDirectionAndLiveTheirLifetime)
{
    SParticleBlock block = Block();
    block.desc.matrix[12] = 5; // emitter position
    auto emitter = Emitter(block);
    EXPECT_EQ(emitter->Desc().direction[2], 1.0f); // normalised
    emitter->Build(3);
    ASSERT_EQ(emitter->Pool().Count(), 3);
    for (int s = emitter->Pool().First(); s; s = emitter->Pool().Next(s)) {
        const SParticle& p = emitter->Pool().At(s);
        EXPECT_EQ(p.position[0], 5.0f);
        EXPECT_NEAR(
            p.velocity[0] * p.velocity[0] + p.velocity[1] * p.velocity[1] + p.velocity[2] * p.velocity[2],
            1.0f, 1e-5f);
        EXPECT_NEAR(p.life / p.decay, 10.0f, 1e-4f);
        EXPECT_GE(p.decay, 0.875f);
        EXPECT_LE(p.decay, 1.0f);
    }
}

TEST_F(ParticleTest, forcesAndDragChangeTheVelocity)
{
    SParticleBlock block = Block();
    block.desc.rate = 0;
    block.desc.drag = 1;
    block.desc.keys[0] = SForceKey { 0, 0, -8, 0, 0, 0, 1, {}, 0 };
    block.desc.keys[1] = SForceKey { 0, 0, float(M_PI), 0, 0, 0, 1, {}, 2 };
    block.desc.keys[2] = SForceKey { 100, 100, 100, 0, 0, 0, 0, {}, 0 }; // not enabled
    auto emitter = Emitter(block);
    SParticle p {};
    p.life = 5;
    p.decay = 1;
    p.velocity[0] = 2;
    const int slot = emitter->Pool().Add(p);
    emitter->Update(0.5f);
    const SParticle& moved = emitter->Pool().At(slot);
    // Gravity, then a quarter turn about Z, then drag 2^-0.5.
    const float drag = std::exp2(-0.5f);
    EXPECT_NEAR(moved.velocity[0], 0, 1e-5f);
    EXPECT_NEAR(moved.velocity[1], 2 * drag, 1e-5f);
    EXPECT_NEAR(moved.velocity[2], -4 * drag, 1e-5f);
    EXPECT_NEAR(moved.position[1], 0.5f * 2 * drag, 1e-5f);
    EXPECT_EQ(moved.life, 4.5f);
}

TEST_F(ParticleTest, ageAtlasStepsThroughItsCells)
{
    Start();
    SParticleBlock block = Block(3);
    block.desc.lifetime = 1;
    block.viewer.grid = 3;
    auto emitter = Emitter(block);
    SParticle p {};
    p.decay = 1;
    const int slot = emitter->Pool().Add(p);
    for (int k = 0; k < 9; ++k) {
        emitter->Pool().At(slot).life = 1.0f - (float(k) + 0.5f) / 9.0f;
        ASSERT_TRUE(emitter->BuildGeometry());
        float v[8];
        std::memcpy(v, emitter->Geometry().vertices, sizeof v);
        EXPECT_FLOAT_EQ(v[4], float(k % 3) / 3) << k;
        EXPECT_FLOAT_EQ(v[5], float(k / 3) / 3) << k;
    }
    EXPECT_EQ(emitter->Geometry().vertexCount, 4u);
    EXPECT_EQ(emitter->Geometry().indexCount, 6u);
    // Kind 2 runs with the game clock: 16 x (phase + clock) cells on.
    block.viewer.kind = 2;
    auto timed = Emitter(block);
    p.life = 0.5f;
    p.phase = 0.125f;
    timed->Pool().Add(p);
    GameClock = 0.25;
    ASSERT_TRUE(timed->BuildGeometry());
    float v[8];
    std::memcpy(v, timed->Geometry().vertices, sizeof v);
    EXPECT_FLOAT_EQ(v[4], 0.0f); // frame 6: column 0, row 2
    EXPECT_FLOAT_EQ(v[5], 2.0f / 3);
}

TEST_F(ParticleTest, quadsFadeAndGrowWithAge)
{
    Start();
    SParticleBlock block = Block(1);
    auto emitter = Emitter(block);
    emitter->right = { 1, 0, 0 };
    emitter->up = { 0, 1, 0 };
    SParticle p {};
    p.decay = 1;
    p.life = 5; // half of the lifetime: alpha 127, size 2
    p.position[2] = 7;
    emitter->Pool().Add(p);
    ASSERT_TRUE(emitter->BuildGeometry());
    struct V {
        float x, y, z;
        uint32_t colour;
        float u0, v0, u1, v1;
    } quad[4];
    std::memcpy(quad, emitter->Geometry().vertices, sizeof quad);
    EXPECT_EQ(quad[0].colour, 0x7FFFFFFFu);
    EXPECT_EQ(quad[0].x, 2.0f);
    EXPECT_EQ(quad[0].y, -2.0f);
    EXPECT_EQ(quad[1].y, 2.0f);
    EXPECT_EQ(quad[2].x, -2.0f);
    EXPECT_EQ(quad[3].z, 7.0f);
    EXPECT_EQ(quad[3].u0, 1.0f);
    EXPECT_EQ(quad[3].v1, 1.0f);
    EXPECT_EQ(std::vector<uint16_t>(emitter->Geometry().indices, emitter->Geometry().indices + 6),
        (std::vector<uint16_t> { 0, 1, 2, 2, 3, 1 }));
}

TEST_F(ParticleTest, pointSpritesDrawThroughTheirRing)
{
    Start();
    auto emitter = Emitter(Block(0));
    emitter->Build(5);
    Null().ClearRecords();
    emitter->Render();
    ASSERT_EQ(Null().Draws().size(), 1u);
    const null::DrawRecord& draw = Null().Draws()[0];
    EXPECT_EQ(draw.call.primitive, PrimitiveType::PointList);
    EXPECT_EQ(draw.call.primitiveCount, 5u);
    EXPECT_EQ(draw.vertexBuffer, m_models->GetBuffer(m_models->EffectPointSlot()).vertexBuffer->Id());
    EXPECT_EQ(draw.render[size_t(RenderState::PointSpriteEnable)], 1u);
    EXPECT_EQ(draw.render[size_t(RenderState::PointSizeMax)], std::bit_cast<uint32_t>(64.0f));
    uint32_t sprites = 1;
    Device().GetRenderState(RenderState::PointSpriteEnable, sprites);
    EXPECT_EQ(sprites, 0u);
    auto quads = Emitter(Block(1));
    quads->Build(2);
    Null().ClearRecords();
    quads->Render();
    ASSERT_EQ(Null().Draws().size(), 1u);
    EXPECT_EQ(Null().Draws()[0].call.primitiveCount, 4u);
    EXPECT_EQ(Null().Draws()[0].vertexBuffer, m_models->GetBuffer(m_models->EffectSlot()).vertexBuffer->Id());
}

TEST_F(ParticleTest, oversizedPoolsAreClampedToOneSubmission)
{
    auto points = Emitter(Block(0, 20000));
    EXPECT_EQ(points->Desc().maxParticles, 16000u);
    auto quads = Emitter(Block(2, 11000));
    EXPECT_EQ(quads->Desc().maxParticles, 10559u);
    EXPECT_EQ(quads->Geometry().indexCapacity, 63354u);
    EXPECT_EQ(Messages(),
        (std::vector<std::string> { "CParticleViewer::CreateBuffers maxParticles 20000 clamped to 16000",
            "CParticleViewer::CreateBuffers maxParticles 11000 clamped to 10559" }));
}

TEST_F(ParticleTest, instanceClonesTheEmitterAtTheFxMarker)
{
    Start();
    auto thing = Load(Kind("thing"));
    CEmitterInstance instance;
    instance.Init(-1, thing.get());
    ASSERT_EQ(instance.hasEmitter, 1);
    CParticleViewer* emitter = instance.Emitter();
    EXPECT_EQ(&emitter->Desc(), &thing->GetPartEmitter(2)->Desc());
    EXPECT_NE(&emitter->Pool(), &thing->GetPartEmitter(2)->Pool());
    const float expected[16] = { -1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0.6f, 1 };
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(emitter->Desc().matrix[i], expected[i]) << i;

    CEmitterInstance none;
    none.Init(-1, Load(Kind("stone")).get());
    EXPECT_EQ(none.hasEmitter, 0);
    EXPECT_EQ(none.Emitter(), nullptr);
    none.Update(1);
    none.Render();
}

TEST_F(ParticleTest, updateViewScalesTheSphereAndCarriesTheCameraAxes)
{
    Start();
    auto missile = Load(Kind("missile"));
    CModelInstance instance;
    instance.Init(-1, missile.get());
    ASSERT_TRUE(instance.Emitter());
    CParticleViewer& emitter = *instance.Emitter();
    SParticle p {};
    p.life = 1;
    p.decay = 1;
    p.position[0] = 1;
    emitter.Pool().Add(p);
    p.position[0] = 3;
    emitter.Pool().Add(p);
    emitter.Desc().rate = 0;
    emitter.Update(0.01f);
    Matrix4 object;
    Matrix4Identity(object, 2); // q = 4
    object.m[12] = 10;
    instance.UpdateView(object, { 1, 0, 0 }, { 0, 0, 1 });
    EXPECT_FLOAT_EQ(instance.effectCentre.x, 14);
    EXPECT_FLOAT_EQ(instance.effectRadius, (1 + 0.6f) * 4);
    EXPECT_FLOAT_EQ(emitter.matrix.m[0], 1); // the copy is scaled back to unit axes
    EXPECT_FLOAT_EQ(emitter.right.x, 1);
    EXPECT_FLOAT_EQ(emitter.up.z, 1);
}

} // namespace
