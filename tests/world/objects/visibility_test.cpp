// The visibility pass and the draw passes on a hand-set camera: range limits, the silhouette point
// and effect spheres, the three lists and their order, the pre-draw calls, the reflection draw, a
// full list and the view parameters.
#include "tests/world/objects/grid_fixture.h"

#include "render/Graphic.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

class VisibilityTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        ModelQuality = 0;
        Location.bendHorizon = 0;
        AllCellsVisible();
        LookFrom(kEye, Vec3 { 1, 0, 0 });
    }
    void TearDown() override
    {
        Location.bendHorizon = 1;
        GridTest::TearDown();
    }

    // Detail levels reach 300 radii: a probe of radius 10 is drawn to 3000.
    Probe* Add(const Vec3& p, std::string tag = {}, float radius = 10.0f)
    {
        return GridTest::Add(p, std::move(tag), radius);
    }

    // A point at distance ahead of the eye along +x, offset sideways by side (+y).
    static Vec3 Ahead(float distance, float side = 0.0f)
    {
        return Vec3 { kEye.x + distance, kEye.y + side, kEye.z };
    }
    bool Listed(const CZJObject* object, CZJObject* const* entries, int count) const
    {
        return std::find(entries, entries + count, object) != entries + count;
    }
    bool InVisible(const CZJObject* object) const
    {
        return Listed(object, list->visibleList.Data(), list->visibleList.Count());
    }
    bool InNotVisible(const CZJObject* object) const
    {
        return Listed(object, list->notVisibleList.Data(), list->notVisibleList.Count());
    }

    static constexpr Vec3 kEye { 1000.0f, 2560.0f, 50.0f };
};

TEST_F(VisibilityTest, rangeFollowsTheViewRangeTheObjectsScaleAndTheWatchedList)
{
    struct Case {
        const char* name;
        float distance;
        float scale;
        bool watched;
        bool considered;
    };
    // R = 2560: cell objects to sqrt(0.75) R = 2217, watched ones to sqrt(2.5) R = 4048.
    const Case cases[] = {
        { "plain at 1400", 1400, 1, false, true },
        { "plain at 2300", 2300, 1, false, false },
        { "scale 2 at 2300", 2300, 2, false, true },
        { "watched at 4000", 4000, 1, true, true },
        { "watched at 4100", 4100, 1, true, false },
        { "watched, scale 2, at 8000", 8000, 2, true, true },
        { "watched, scale 2, at 8200", 8200, 2, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Probe* probe = Add(Ahead(c.distance), c.name, 100.0f);
        probe->drawDistanceFactor = c.scale;
        if (c.watched)
            list->AddWatched(probe);
        list->CheckVisibility(true);
        EXPECT_EQ(InVisible(probe), c.considered);
        if (c.considered) {
            EXPECT_NEAR(probe->viewDistance, c.distance / c.scale, 0.01f);
        }
        probe->alive = 0;
        list->Pack(true);
    }
}

TEST_F(VisibilityTest, theSilhouettePointAndAnActiveEffectSphereBringAnObjectIntoView)
{
    // Just outside the frustum's side (|y| < 1.02 x depth): only the wide one's silhouette point
    // reaches in.
    Probe* wide = Add(Ahead(500, 520), "wide", 20.0f);
    Probe* thin = Add(Ahead(500, 530), "thin", 5.0f);
    // Behind the camera, with an effect sphere ahead.
    Probe* smoking = Add(Ahead(-300), "smoking", 5.0f);
    smoking->effectSphereCount = 1;
    smoking->EffectSphere(0) = SEffectSphere { 1, 5.0f, Ahead(300) };
    Probe* idle = Add(Ahead(-300, 10), "idle", 5.0f);
    idle->effectSphereCount = 1;
    idle->EffectSphere(0) = SEffectSphere { 0, 5.0f, Ahead(300) };
    list->CheckVisibility(true);
    EXPECT_TRUE(InVisible(wide));
    EXPECT_TRUE(InNotVisible(thin));
    EXPECT_TRUE(InVisible(smoking));
    EXPECT_TRUE(InNotVisible(idle));
}

TEST_F(VisibilityTest, anObjectNotVisibleIsListedUntestedAndNonFinitePositionsAreSkipped)
{
    Probe* hidden = Add(Ahead(2400), "hidden", 1.0f);
    hidden->visible = 0;
    hidden->viewDistance = -7.0f;
    Probe* lost = Add(Ahead(100), "lost");
    lost->frame.position.x = std::numeric_limits<float>::quiet_NaN();
    Probe* far = Add(Ahead(100), "watched");
    list->AddWatched(far);
    far->frame.position.y = std::numeric_limits<float>::infinity();
    Probe* plain = Add(Ahead(100), "plain");
    list->CheckVisibility(true);
    EXPECT_TRUE(InNotVisible(hidden));
    EXPECT_FLOAT_EQ(hidden->viewDistance, -7.0f);
    EXPECT_FALSE(InVisible(lost) || InNotVisible(lost));
    EXPECT_FALSE(InVisible(far) || InNotVisible(far));
    EXPECT_TRUE(InVisible(plain));
}

TEST_F(VisibilityTest, theVisibleListRunsFarthestFirstAndEqualDistancesKeepTheirOrder)
{
    // a and b share a cell and a distance of 500; a was filed first.
    Probe* a = Add(Ahead(480, 140), "a");
    Probe* b = Add(Ahead(400, 300), "b");
    Probe* near = Add(Ahead(200), "near");
    Probe* far = Add(Ahead(700), "far");
    list->CheckVisibility(true);
    ASSERT_EQ(list->visibleList.Count(), 4);
    EXPECT_EQ(list->visibleList.At(0), far);
    EXPECT_EQ(list->visibleList.At(1), a);
    EXPECT_EQ(list->visibleList.At(2), b);
    EXPECT_EQ(list->visibleList.At(3), near);
}

TEST_F(VisibilityTest, thePlayersPreDrawComesFirstThenKeysAscending)
{
    Add(Ahead(300), "far")->effectInView = 1;
    Add(Ahead(100), "near")->effectInView = 1;
    Add(Ahead(200), "mid")->effectInView = 1;
    // Out of view at 50: key 3 x 50.
    Add(Ahead(-50), "behind")->effectWhenHidden = 1;
    Probe* player = Add(Ahead(250), "player");
    player->effectInView = 1;
    PlayerObject = player;
    list->CheckVisibility(false);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(list->preDrawList.Count(), 5);
    list->CheckVisibility(true);
    const std::vector<std::string> expected
        = { "player:predraw", "near:predraw", "behind:predraw", "mid:predraw", "far:predraw" };
    EXPECT_EQ(calls, expected);
}

TEST_F(VisibilityTest, renderDrawsTheListsInItsSlotOrder)
{
    Probe* far = Add(Ahead(600), "far");
    far->postDrawInView = 1;
    Probe* near = Add(Ahead(300), "near");
    near->postDrawInView = 1;
    Probe* behind = Add(Ahead(-300), "behind");
    behind->drawWhenHidden = 1;
    behind->postDrawHidden = 1;
    Add(Ahead(-400), "quiet");
    list->CheckVisibility(false);
    list->Render();
    const std::vector<std::string> expected
        = { "far:draw", "near:draw", "behind:hidden", "far:post", "near:post", "behind:post" };
    EXPECT_EQ(calls, expected);
}

TEST_F(VisibilityTest, aFullListTakesNothingMoreAndIsLoggedOncePerRun)
{
    for (int i = 0; i < CObjectList::kVisible + 1; ++i)
        Add(Ahead(500, float(i % 50)));
    list->CheckVisibility(false);
    list->CheckVisibility(false);
    EXPECT_EQ(list->visibleList.Count(), CObjectList::kVisible);
    EXPECT_EQ(LogLineCount("visible list is full"), 1);
}

TEST_F(VisibilityTest, theReflectionDrawsWithinHalfTheRangeAtThreeTimesTheDistance)
{
    // 0.5 x R^2 reaches to 1810; detail levels there are taken at 3 x the distance.
    Probe* inside = Add(Ahead(1700), "inside", 100.0f);
    Add(Ahead(1900), "beyond", 100.0f);
    // 3 x 1000 / 9 = 333 is beyond the last detail band, 1000 / 9 is not.
    Add(Ahead(1000, 50), "small", 9.0f);
    Probe* player = Add(Ahead(200), "player", 10.0f);
    player->visible = 0;
    PlayerObject = player;
    list->RenderForWater();
    const std::vector<std::string> expected = { "inside:draw", "player:draw" };
    std::vector<std::string> drawn = calls;
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, expected);
    EXPECT_NEAR(inside->viewDistance, 1700.0f, 0.01f);
    EXPECT_EQ(player->visible, 0);
    EXPECT_EQ(list->reflection, 0);
}

TEST_F(VisibilityTest, setViewParamsStoresThePlanesAndTheProjection)
{
    CViewFrame view;
    list->SetViewParams(view, 14000.0f, 1.0f, 640.0f * 50.0f / 480.0f, 50.0f);
    EXPECT_FLOAT_EQ(view.farPlane, 14000.0f);
    EXPECT_FLOAT_EQ(view.nearPlane, 1.0f);
    const Matrix4& p = g_Graphic.GetProjection();
    EXPECT_EQ(std::memcmp(&view.projection, &p, sizeof p), 0);
    EXPECT_EQ(std::memcmp(&view.adjustment, &p, sizeof p), 0);
    EXPECT_FLOAT_EQ(p.m[5], float(1.0 / std::tan(25.0 * 3.14159265358979 / 180.0)));
    EXPECT_FLOAT_EQ(view.invDet3, 1.0f / (p.m[0] * p.m[5] * p.m[10]));
}

} // namespace
