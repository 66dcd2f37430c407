// Boundary posts on a flat writer-made map: the wall segments and their upkeep, the push, the
// damping of an approach and the damage to gliders.
#include "tests/world/objects/grid_fixture.h"
#include "tests/world/objects/translation.h"

#include "foundation/Numeric.h"
#include "world/objects/CBoundObject.h"

namespace {

// A moving object that records the damage dealt to it.
class Target : public CDynamicObject {
public:
    explicit Target(int32_t kind)
    {
        type = kind;
        mass = 1.0f;
    }
    void Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass) override
    {
        (void)attacker;
        (void)damageClass;
        damage += amount;
        lastPoint = point;
        lastHeavy = heavy;
    }
    float damage = 0.0f;
    Vec3 lastPoint {};
    int lastHeavy = 0;
};

class BoundaryTest : public GridTest {
protected:
    // Posts at x = 1000, 1200 and 1000, y = 1000, 1000 and 1300; the first linked to both.
    void SetUp() override
    {
        GridTest::SetUp();
        const Vec3 at[3] = { { 1000, 1000, 0 }, { 1200, 1000, 0 }, { 1000, 1300, 0 } };
        for (int i = 0; i < 3; ++i) {
            posts[i] = new CBoundObject;
            posts[i]->frame.SetMatrix(TranslationAt(at[i]));
            list->AddObject(posts[i]);
        }
        posts[0]->links[0] = posts[1];
        posts[0]->links[1] = posts[2];
        posts[0]->linkCount = 2;
        posts[1]->links[0] = posts[0];
        posts[1]->linkCount = 1;
        posts[2]->links[0] = posts[0];
        posts[2]->linkCount = 1;
        for (CBoundObject* post : posts)
            post->UpdateBounds();
    }

    // The velocity of a mover at (1150, 1000 + d) after one collision step of 0.1 s.
    Vec3 After(Target& mover, float d, const Vec3& velocity)
    {
        mover.frame.position = Vec3 { 1150, 1000 + d, 0 };
        mover.velocity = velocity;
        posts[1]->CustomCollision(&mover, 0.1f); // the first post's only other wall is far away
        return mover.velocity;
    }

    CBoundObject* posts[3] = {};
};

TEST_F(BoundaryTest, SegmentsReachAndMeshFollowTheLinks)
{
    CBoundObject& post = *posts[0];
    EXPECT_EQ(post.segmentCount, 2);
    EXPECT_FLOAT_EQ(post.reach, 150.0f);
    EXPECT_FLOAT_EQ(post.radius, 150.0f); // no model: the reach alone
    EXPECT_EQ(post.wall.vertexCount, 6u);
    EXPECT_EQ(post.wall.indexCount, 12u);
    EXPECT_FLOAT_EQ(post.segments[0].end.x, 1100.0f);
    EXPECT_FLOAT_EQ(post.segments[0].normal.y, -1.0f);
    EXPECT_FLOAT_EQ(post.segments[1].length, 150.0f);

    list->NotifyDelete(posts[2]);
    EXPECT_EQ(post.linkCount, 1);
    EXPECT_EQ(post.segmentCount, 1);
    EXPECT_FLOAT_EQ(post.radius, 100.0f);
    EXPECT_EQ(post.wall.indexCount, 6u);

    list->NotifyDelete(posts[1]);
    EXPECT_EQ(post.segmentCount, 0);
    EXPECT_EQ(post.wall.indexCount, 0u);
}

TEST_F(BoundaryTest, PushFallsLinearlyFromTwentyFiveToFiftyAndNothingOnTheWall)
{
    struct Case {
        float d;
        float push; // velocity gained along the normal in 0.1 s
    };
    for (const Case c :
        { Case { 0.05f, 0.0f }, Case { 0.1f, 0.0f }, Case { 10.0f, 10.0f }, Case { 25.0f, 10.0f },
            Case { 37.5f, 5.0f }, Case { 49.0f, 0.4f }, Case { 50.0f, 0.0f }, Case { 60.0f, 0.0f } }) {
        SCOPED_TRACE(c.d);
        Target mover(CZJObject::kStone);
        EXPECT_NEAR(After(mover, c.d, Vec3 {}).y, c.push, 1e-4f);
        EXPECT_NEAR(After(mover, -c.d, Vec3 {}).y, -c.push, 1e-4f);
    }
}

TEST_F(BoundaryTest, AnApproachIsDampedARecedingObjectKeepsItsSpeed)
{
    Target mover(CZJObject::kStone);
    EXPECT_NEAR(After(mover, 10.0f, Vec3 { 3, 20, 0 }).y, 30.0f, 1e-4f);
    const Vec3 v = After(mover, 10.0f, Vec3 { 3, -20, 0 });
    float damped = -20.0f;
    DampValue(damped, 0.1f, 1000.0f, 100.0f);
    EXPECT_NEAR(v.y, damped + 10.0f, 1e-4f);
    EXPECT_GT(damped, -20.0f);
    EXPECT_FLOAT_EQ(v.x, 3.0f);
}

TEST_F(BoundaryTest, GlidersTakeDamageOverDistanceSquaredThePlayerAHundredTimesMore)
{
    Target glider(CZJObject::kGlider);
    After(glider, 20.0f, Vec3 {});
    EXPECT_NEAR(glider.damage, 10000.0f * 0.1f / 400.0f, 1e-4f);
    EXPECT_FLOAT_EQ(glider.lastPoint.y, 1021.0f);
    EXPECT_EQ(glider.lastHeavy, 1);

    Target player(CZJObject::kGlider);
    PlayerObject = &player;
    After(player, 20.0f, Vec3 {});
    EXPECT_NEAR(player.damage, 1.0e6f * 0.1f / 400.0f, 1e-2f);
    PlayerObject = nullptr;

    Target stone(CZJObject::kStone);
    After(stone, 20.0f, Vec3 {});
    EXPECT_EQ(stone.damage, 0.0f);
}

} // namespace
