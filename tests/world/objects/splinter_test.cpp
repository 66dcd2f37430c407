// Splinters: the set-up of each variant, bounces and landings by speed and slope, the resting
// wreck, the model's first half second, and the object a splinter carries until it lands (or
// frees when it is destroyed first).
#include "tests/world/objects/explo_fixture.h"

#include "world/db/PlayerRemains.h"
#include "world/objects/CPhysics.h"
#include "world/objects/CTheThing.h"

#include <cmath>
#include <numbers>

namespace {

// A carried object that counts its draws and says when it is destroyed.
class Cargo : public CTheThing {
public:
    explicit Cargo(bool* destroyed = nullptr)
        : m_destroyed(destroyed)
    {
        radius = 2.0f;
    }
    ~Cargo() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    void Draw() override { ++draws; }

    int draws = 0;

private:
    bool* m_destroyed;
};

class SplinterTest : public ExploTest {
protected:
    void SetUp() override
    {
        ExploTest::SetUp();
        UseExplosions("[EXP_NONE]\n");
    }
    void TearDown() override
    {
        PlayerRemains = nullptr;
        ExploTest::TearDown();
    }

    // A splinter of the variant spawned at p (scale 1, no model), carrying cargo, in the list.
    static CSplinterObject* Spawn(int variant, const Vec3& p, CZJObject* cargo = nullptr, float scale = 1.0f)
    {
        auto* splinter = new CSplinterObject;
        splinter->Spawn(TranslationAt(p, scale), NameKey32 { { -1, -1, -1, -1 } }, variant, cargo);
        ObjectList.AddObject(splinter);
        return splinter;
    }
};

TEST_F(SplinterTest, EachVariantSetsUpItsTrailsAndRest)
{
    UseMap([](int, int) { return 5.0f; });
    struct Case {
        int asked;
        int variant;
        float restLife;
        uint8_t smoking, moves, fire;
    };
    const Case cases[] = { { 1, 1, 5, 1, 1, 1 }, { 2, 2, 10, 0, 1, 0 }, { 3, 3, 40, 1, 0, 0 },
        { 4, 4, 25, 0, 1, 0 }, { 0, 2, 10, 0, 1, 0 }, { 7, 2, 10, 0, 1, 0 }, { -1, 2, 10, 0, 1, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        CSplinterObject* splinter = Spawn(c.asked, Vec3 { 300, 300, 50 }, nullptr, 2.0f);
        EXPECT_EQ(splinter->variant, c.variant);
        EXPECT_FLOAT_EQ(splinter->restLife, c.restLife);
        EXPECT_EQ(splinter->smoking, c.smoking);
        EXPECT_EQ(splinter->moves, c.moves);
        EXPECT_EQ(splinter->fireTrail.ready, c.fire);
        EXPECT_EQ(splinter->smokeTrail.ready, 1);
        EXPECT_FLOAT_EQ(splinter->scale, 2.0f);
        EXPECT_NEAR(splinter->frame.matrix.m[0], 1.0f, 1e-6f); // the frame is orthonormal
        EXPECT_FLOAT_EQ(splinter->frame.position.z, c.variant == 3 ? 5.0f : 50.0f);
        for (int k = 0; k < 2; ++k) {
            EXPECT_GE(splinter->spinRate[k], 0.6f * std::numbers::pi_v<float> - 1e-5f);
            EXPECT_LE(splinter->spinRate[k], 6.0f * std::numbers::pi_v<float> + 1e-5f);
        }
        if (c.fire) {
            EXPECT_EQ(splinter->fireTrail.style, CSmoke::kStylePoints);
            EXPECT_EQ(splinter->fireTrail.spiral, 1);
            EXPECT_FLOAT_EQ(splinter->fireTrail.spiralRadius, 10.0f);
            EXPECT_FLOAT_EQ(splinter->smokeTrail.density, 1.0f); // 2 / scale
        }
    }
}

TEST_F(SplinterTest, FastSplintersBounceSlowOnesLandAndBetweenOnlyOnLevelGround)
{
    struct Slope {
        float nz;
        float gradient;
    };
    for (const Slope slope : { Slope { 0.95f, 0.328684f }, Slope { 0.8f, 0.75f } }) {
        UseMap([&](int gx, int) { return slope.gradient * 10.0f * float(gx); });
        const Vec3 ground { 305, 305, Location.GetHeight(Vec3 { 305, 305, 0 }, false, true) };
        const Vec3 n = Physics.GetMapLNormal(ground, false);
        ASSERT_NEAR(n.z, slope.nz, 0.02f);
        for (const float speed2 : { 80.0f, 50.0f, 10.0f }) {
            SCOPED_TRACE(testing::Message() << slope.nz << " " << speed2);
            CSplinterObject* splinter = Spawn(2, Vec3 { ground.x, ground.y, ground.z - 0.2f });
            const float speed = std::sqrt(speed2);
            splinter->velocity = Vec3 { -n.x * speed, -n.y * speed, -n.z * speed };
            splinter->Run();
            const bool lands = speed2 <= 15.0f || (speed2 <= 75.0f && n.z >= 0.9f);
            if (lands) {
                EXPECT_EQ(splinter->moves, 0);
                EXPECT_NEAR(splinter->frame.position.z, ground.z, 0.05f);
                continue;
            }
            EXPECT_EQ(splinter->moves, 1);
            EXPECT_GT(Vec3Dot(splinter->velocity, n), 0.0f); // reflected
            EXPECT_NEAR(Vec3Length(splinter->velocity), speed * (n.z >= 0.9f ? 0.5f : 0.75f), 1e-3f);
        }
        ObjectList.Clear();
    }
}

TEST_F(SplinterTest, AWreckRestsFortySecondsWithoutEverShowingItsModel)
{
    UseMap([](int, int) { return 0.0f; });
    CSplinterObject* wreck = Spawn(3, Vec3 { 300, 300, 80 });
    EXPECT_FLOAT_EQ(wreck->frame.position.z, 0.0f);
    bool smoked = false;
    for (int k = 0; k < 79; ++k) {
        Frame(0.5f);
        smoked = smoked || !wreck->smokeTrail.IsEmpty();
        ASSERT_TRUE(InList(wreck));
        EXPECT_EQ(wreck->moves, 0);
        EXPECT_FLOAT_EQ(wreck->flightTime, 0.0f); // the model shows only after 0.5 s of flight
        EXPECT_LE(wreck->frame.position.z, 0.0f); // sinking while it smokes
    }
    EXPECT_TRUE(smoked);
    Frame(0.5f);
    Frame(0.5f);
    EXPECT_EQ(Count(CZJObject::kSplinter), 0);
}

TEST_F(SplinterTest, TheModelAndTheLoadShowOnlyAfterHalfASecondOfFlight)
{
    UseMap([](int, int) { return 0.0f; });
    auto* cargo = new Cargo;
    CSplinterObject* splinter = Spawn(4, Vec3 { 300, 300, 200 }, cargo);
    EXPECT_EQ(splinter->source, cargo);
    EXPECT_FLOAT_EQ(splinter->radius, 2.0f); // the load's radius is larger than the model's
    for (int k = 0; k < 5; ++k) {
        FrameTime = 0.1f;
        splinter->Run();
        splinter->Draw();
    }
    EXPECT_EQ(cargo->draws, 0);
    // The dying player's remains ride unseen.
    PlayerRemains = cargo;
    splinter->Run();
    splinter->Draw();
    EXPECT_EQ(cargo->draws, 0);
    EXPECT_FLOAT_EQ(cargo->frame.position.z, 201.0f); // riding raised by half its radius
    PlayerRemains = nullptr;
    splinter->Draw();
    EXPECT_EQ(cargo->draws, 1);
}

TEST_F(SplinterTest, TheLoadEntersTheWorldAtTheLandingPoint)
{
    UseMap([](int, int) { return 0.0f; });
    for (const uint8_t network : { 0, 1 }) {
        SCOPED_TRACE(int(network));
        ObjectList.Clear();
        CGliderObject* player = AddGlider(Vec3 { 10, 10, 0 }, 2.0f);
        player->remote = network;
        PlayerObject = player;
        auto* cargo = new Cargo;
        CSplinterObject* splinter = Spawn(4, Vec3 { 300, 300, 30 }, cargo);
        splinter->velocity = Vec3 { 5, 0, -10 };
        int frames = 0;
        while (splinter->moves && frames++ < 500) {
            EXPECT_FALSE(InList(cargo));
            Frame(0.02f);
        }
        ASSERT_EQ(splinter->moves, 0);
        ASSERT_TRUE(InList(cargo));
        EXPECT_EQ(splinter->source, nullptr);
        EXPECT_FLOAT_EQ(cargo->frame.position.x, splinter->frame.position.x);
        EXPECT_NEAR(cargo->frame.position.z, 1.0f, 1e-4f);
        EXPECT_EQ(cargo->remote, network);
        EXPECT_EQ(cargo->owned, network);
        EXPECT_EQ(ObjectList.ExtraList().IndexOf(cargo) >= 0, network == 1);
        if (network) {
            EXPECT_EQ(cargo->networkId, ObjectList.networkIdCounter);
        }
        PlayerObject = nullptr;
    }
}

TEST_F(SplinterTest, ASplinterDestroyedInFlightFreesItsLoad)
{
    UseMap([](int, int) { return 0.0f; });
    bool destroyed = false;
    Spawn(4, Vec3 { 300, 300, 100 }, new Cargo(&destroyed));
    Frame(0.02f);
    ObjectList.Clear();
    EXPECT_TRUE(destroyed);
}

} // namespace
