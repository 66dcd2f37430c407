// The collision pass on the grid: which pairs meet and from which cells, and what each responder
// does to the mover's velocity.
#include "tests/world/objects/grid_fixture.h"

#include "audio/CSoundManager.h"
#include "tests/audio/audio_fixture.h"
#include "world/objects/CZJAppEvent.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using namespace audiotest;

namespace {

class CollisionTest : public GridTest {
protected:
    // A moving probe with velocity v.
    Probe* Mover(const Vec3& p, const Vec3& v, std::string tag = "mover")
    {
        auto* probe = new Probe(&calls, std::move(tag));
        probe->Place(p);
        probe->moves = 1;
        probe->velocity = v;
        list->AddObject(probe);
        return probe;
    }
    // A resting probe that handles collisions itself and records its movers.
    Probe* Catcher(const Vec3& p, std::string tag = "catcher")
    {
        Probe* probe = Add(p, std::move(tag));
        probe->customCollision = 1;
        return probe;
    }
    static bool Met(const Probe* catcher, const CZJObject* mover)
    {
        return std::count(catcher->customMovers.begin(), catcher->customMovers.end(), mover) == 1;
    }

    XDynamicArray<SCollisionTriangle> m_box = Box(Vec3 { 1, 1, 1 });
};

TEST_F(CollisionTest, aMovingPairIsHandledOnceByTheHigherIdAndOwnersNeverMeet)
{
    Probe* first = Mover(Vec3 { 1000, 1000, 10 }, Vec3 { 1, 0, 0 }, "first");
    Probe* second = Mover(Vec3 { 1001, 1000, 10 }, Vec3 { -1, 0, 0 }, "second");
    first->customCollision = 1;
    second->customCollision = 1;
    ASSERT_LT(first->id, second->id);
    // A shot and its shooter, both ways.
    Probe* shooter = Catcher(Vec3 { 1500, 1000, 10 }, "shooter");
    Probe* shot = Mover(Vec3 { 1500.5f, 1000, 10 }, Vec3 { 1, 0, 0 }, "shot");
    shot->owner = shooter;
    Probe* mine = Catcher(Vec3 { 1499.5f, 1000, 10 }, "mine");
    mine->owner = shot;
    list->CheckCollision();
    EXPECT_TRUE(first->customMovers.size() == 1 && first->customMovers[0] == second);
    EXPECT_TRUE(second->customMovers.empty());
    EXPECT_TRUE(shooter->customMovers.empty());
    EXPECT_TRUE(mine->customMovers.empty());
}

TEST_F(CollisionTest, aMoverSearchesItsCellAndTheThreeTowardsItsMotion)
{
    // Centre of cell (1, 1) moving -x, +y: own, west, north and north-west.
    Probe* mover = Mover(Vec3 { 960, 960, 10 }, Vec3 { -1414, 1414, 0 });
    Probe* catchers[3][3] = {};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            catchers[row][column]
                = Catcher(Vec3 { 320.0f + 640.0f * float(column), 330.0f + 640.0f * float(row), 10 },
                    "cell" + std::to_string(column) + std::to_string(row));
    list->CheckCollision();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            SCOPED_TRACE(testing::Message() << "column " << column << " row " << row);
            const bool searched = (column == 0 || column == 1) && (row == 1 || row == 2);
            EXPECT_EQ(Met(catchers[row][column], mover), searched);
        }
    }
}

TEST_F(CollisionTest, moversThatAreNotNumbersOrNotVisibleAreLeftOut)
{
    Probe* catcher = Catcher(Vec3 { 1000, 1000, 10 });
    Mover(Vec3 { 1000.5f, 1000, 10 }, Vec3 { std::numeric_limits<float>::quiet_NaN(), 0, 0 }, "nan");
    Probe* hidden = Mover(Vec3 { 999.5f, 1000, 10 }, Vec3 { 1, 0, 0 }, "hidden");
    hidden->visible = 0;
    list->CheckCollision();
    EXPECT_TRUE(catcher->customMovers.empty());
    // The player's vehicle takes part unseen.
    PlayerObject = hidden;
    list->CheckCollision();
    EXPECT_TRUE(Met(catcher, hidden));
}

TEST_F(CollisionTest, theRespondersAnswerWithTheirImpulses)
{
    struct Case {
        const char* name;
        Vec3 start; // the mover's, relative to the other object at (1000, 1000, 10)
        Vec3 velocity;
        std::function<void(Probe& mover, Probe& other)> set;
        float moverAfter; // velocity x
        float otherAfter;
    };
    const XDynamicArray<SCollisionTriangle>* box = &m_box;
    const Case cases[] = {
        // Contacts away from the faces' diagonals: one triangle each. Both spheres leave at 3 - (8.94 + 10):
        // the speeds along the normal are taken as at least 10.
        { "head-on spheres at 3", { -1.9f, 0, 0 }, { 3, 0, 0 },
            [](Probe&, Probe& o) {
                o.moves = 1;
                o.velocity = Vec3 { -3, 0, 0 };
            },
            3.0f - (std::sqrt(320.0f) / 2.0f + 10.0f), -3.0f + (std::sqrt(320.0f) / 2.0f + 10.0f) },
        { "a resting sphere takes 0.8 of the speed along the normal", { -1.9f, 0, 0 }, { 10, 0, 0 },
            [](Probe&, Probe&) {}, 2.0f, 0.0f },
        { "a box face pushes back max(v . -n, 1) x 1.3", { -2.5f, 0.9f, -0.9f }, { 10, 0, 0 },
            [box](Probe&, Probe& o) {
                o.solid = 0;
                o.shape = box;
                o.radius = 1.8f;
            },
            -3.0f, 0.0f },
        { "a slow contact still takes 1.3", { -2.02f, 0.9f, -0.9f }, { 0.5f, 0, 0 },
            [box](Probe&, Probe& o) {
                o.solid = 0;
                o.shape = box;
                o.radius = 1.8f;
            },
            0.5f - 1.3f, 0.0f },
        { "a point meets the box", { -1.5f, 0.9f, -0.9f }, { 10, 0, 0 },
            [box](Probe& m, Probe& o) {
                m.pointSized = 1;
                o.solid = 0;
                o.shape = box;
                o.radius = 1.8f;
            },
            -3.0f, 0.0f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Probe* other = Add(Vec3 { 1000, 1000, 10 }, "other");
        other->radius = 1.0f;
        Probe* mover = Mover(Vec3 { 1000 + c.start.x, 1000 + c.start.y, 10 + c.start.z }, c.velocity);
        c.set(*mover, *other);
        list->CheckCollision();
        EXPECT_NEAR(mover->velocity.x, c.moverAfter, 1e-3f);
        EXPECT_NEAR(other->velocity.x, c.otherAfter, 1e-3f);
        mover->alive = 0;
        other->alive = 0;
        list->Pack(true);
    }
}

TEST_F(CollisionTest, aPointMeetsOnlyTheFirstPolygonItCrosses)
{
    // Two faces towards -x; the farther one comes first in the shape.
    XDynamicArray<SCollisionTriangle> faces;
    faces.Add(Triangle(Vec3 { -0.9f, -5, -5 }, Vec3 { -0.9f, -5, 5 }, Vec3 { -0.9f, 5, 0 }));
    faces.Add(Triangle(Vec3 { -1, -5, -5 }, Vec3 { -1, -5, 5 }, Vec3 { -1, 5, 0 }));
    ASSERT_LT(faces.At(0).normal.x, -0.99f);
    Probe* wall = Add(Vec3 { 1000, 1000, 10 }, "wall", 8.0f);
    wall->solid = 0;
    wall->shape = &faces;
    wall->collisionNotice = 1;
    Probe* point = Mover(Vec3 { 998.5f, 1000, 10 }, Vec3 { 10, 0, 0 });
    point->pointSized = 1;
    list->CheckCollision();
    ASSERT_EQ(wall->contacts.size(), 1u);
    EXPECT_NEAR(wall->contacts[0].point.x, 999.1f, 1e-3f);
    EXPECT_NEAR(wall->contacts[0].normal.x, 1.0f, 1e-5f);
    EXPECT_NEAR(point->velocity.x, -3.0f, 1e-3f);
}

// Counts OnCollision; every other event is ignored.
class CollisionEvents : public CZJAppEvent {
public:
    void OnCollision() override { ++collisions; }
    void OnAddRating(float, int) override { }
    void OnGroupMessage(const char*, CFerroGroup*) override { }
    int collisions = 0;
};

// The moving-sphere responder on the loopback sound device, outside any grid.
class CollisionSoundTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        WriteFile("Sound\\knock.wav",
            writer::MakeWav({ 1, 22050, 16 }, writer::PcmBytes(std::vector<int16_t>(2205))));
        WriteTable(CP1251("Звуки"), { { "SND_COLLISION", { "Filename=Sound\\knock.wav", "3DSound=1" } } });
        m_manager = std::make_unique<CSoundManager>();
        m_manager->Init(CP1251("Звуки"));
        ASSERT_TRUE(m_manager->InitSound(nullptr));
        g_pSoundManager = m_manager.get();
        AppEvents = &m_events;
    }
    void TearDown() override
    {
        AppEvents = nullptr;
        PlayerObject = nullptr;
        g_pSoundManager = nullptr;
        m_manager.reset();
        AudioTest::TearDown();
    }

    std::unique_ptr<CSoundManager> m_manager;
    CollisionEvents m_events;
};

TEST_F(CollisionSoundTest, aHardKnockOfThePlayersVehicleQueuesTheSoundAndRaisesTheEvent)
{
    CObjectList list;
    for (const float w2 : { 300.0f, 200.0f }) {
        SCOPED_TRACE(w2);
        m_events.collisions = 0;
        const int queued = m_manager->GetQueuedCount();
        Probe other;
        other.Place(Vec3 { 1000, 1000, 10 });
        other.moves = 1;
        Probe player;
        player.Place(Vec3 { 998.1f, 1000, 10 });
        player.velocity = Vec3 { std::sqrt(w2), 0, 0 };
        PlayerObject = &player;
        EXPECT_TRUE(list.CheckSphereCollisionMove(&player, &other, 0.1f));
        const int expected = w2 > 250.0f ? 1 : 0;
        EXPECT_EQ(m_manager->GetQueuedCount() - queued, expected);
        EXPECT_EQ(m_events.collisions, expected);
    }
}

} // namespace
