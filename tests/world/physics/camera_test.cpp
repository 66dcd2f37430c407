// The camera: what each view mode sets, the attached glider shown again, the chase placement and
// its heading, modes outside 0..5, the save record, deleted targets and the view frame.
#include "tests/world/physics/physics_fixture.h"

#include "foundation/CViewFrame.h"
#include "foundation/XMemBuffer.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <gtest/gtest.h>

#include <functional>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The player's glider, chased by its radius of 5.
class Glider : public CGliderObject {
public:
    Glider()
    {
        visible = 1;
        radius = 5.0f;
        bodyRadius = 5.0f;
    }
};

class CameraTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_mode = CameraMode;
        m_player = PlayerGlider;
        m_view = ViewFrame;
        glider.frame.SetPosition(Vec3 { 100, 200, 50 });
        PlayerGlider = &glider;
    }
    void TearDown() override
    {
        CameraMode = m_mode;
        PlayerGlider = m_player;
        ViewFrame = m_view;
    }

    Glider glider;
    CCamera camera;

private:
    int32_t m_mode = 0;
    CGliderObject* m_player = nullptr;
    CViewFrame m_view;
};

TEST_F(CameraTest, EachModeSetsItsFields)
{
    struct Case {
        const char* name;
        std::function<void(CCamera&, CZJObject*)> set;
        int32_t mode;
        uint8_t moves;
        bool looks;
        float turnRate;
        float mass;
        uint8_t hovers;
        float stiffness;
    } const cases[] = {
        { "attached", [](CCamera& c, CZJObject* t) { c.AttachViewTarget(t); }, 0, 1, false, 2 * kPi, 0.03f, 1,
            9 },
        { "chase", [](CCamera& c, CZJObject* t) { c.SetChaseMode(t); }, 1, 1, true, 2 * kPi, 0.03f, 1, 9 },
        { "free", [](CCamera& c, CZJObject*) { c.SetFreeMode(); }, 2, 1, false, kPi, 0.03f, 0, 50 },
        { "orbit", [](CCamera& c, CZJObject* t) { c.SetOrbitMode(t); }, 3, 1, true, kPi, 0.03f, 0, 50 },
        { "fixed", [](CCamera& c, CZJObject* t) { c.SetFixedMode(t); }, 4, 0, true, 2 * kPi, 0.03f, 1, 9 },
        { "fixed offset", [](CCamera& c, CZJObject* t) { c.AttachFixed(t); }, 5, 0, true, 2 * kPi, 0.03f, 1,
            9 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCamera fresh;
        fresh.velocity = Vec3 { 1, 2, 3 };
        fresh.thrust = 4.0f;
        c.set(fresh, &glider);
        EXPECT_EQ(CameraMode, c.mode);
        EXPECT_EQ(fresh.moves, c.moves);
        EXPECT_EQ(fresh.lookTarget, c.looks ? &glider : nullptr);
        EXPECT_EQ(fresh.attachedTarget, c.mode == 0 ? &glider : nullptr);
        EXPECT_FLOAT_EQ(fresh.turnRate, c.turnRate);
        EXPECT_FLOAT_EQ(fresh.mass, c.mass);
        EXPECT_EQ(fresh.hovers, c.hovers);
        EXPECT_EQ(fresh.gravityOn, c.hovers);
        EXPECT_FLOAT_EQ(fresh.pitchStiffness, c.stiffness);
        // Only the free mode stops the camera.
        EXPECT_FLOAT_EQ(fresh.velocity.x, c.mode == 2 ? 0.0f : 1.0f);
        EXPECT_FLOAT_EQ(fresh.thrust, c.mode == 2 ? 0.0f : 4.0f);
        glider.visible = 1;
    }
    CCamera chase;
    chase.SetChaseMode(&glider);
    EXPECT_FLOAT_EQ(chase.offset[0], 13.0f);
    EXPECT_FLOAT_EQ(chase.offset[1], 10.0f);
    EXPECT_FLOAT_EQ(chase.offset[2], 6.0f);
    EXPECT_EQ(chase.owner, &glider);
}

TEST_F(CameraTest, TheConstructorHovers)
{
    EXPECT_EQ(camera.type, CZJObject::kCamera);
    EXPECT_FLOAT_EQ(camera.turnRate, 4 * kPi);
    EXPECT_FLOAT_EQ(camera.mass, 1.0f);
    EXPECT_FLOAT_EQ(camera.radius, 2.5f);
    EXPECT_EQ(camera.visible, 0);
    EXPECT_EQ(camera.hitByRays, 0);
    EXPECT_EQ(camera.followsTerrain, 1);
    EXPECT_FLOAT_EQ(camera.offset[0], 10.0f);
    EXPECT_EQ(camera.notifyOnDelete, 1);
}

TEST_F(CameraTest, LeavingTheAttachedModeShowsTheGliderAgain)
{
    camera.AttachViewTarget(&glider);
    EXPECT_EQ(glider.visible, 0);
    EXPECT_EQ(camera.owner, &glider);
    camera.SetFreeMode();
    EXPECT_EQ(glider.visible, 1);
    EXPECT_EQ(camera.attachedTarget, nullptr);
    camera.AttachViewTarget(nullptr);
    EXPECT_EQ(camera.moves, 0);
}

TEST_F(CameraTest, TheChaseSitsBehindAndAboveEvenBehindATargetPointingUp)
{
    camera.SetChaseMode(&glider);
    const CTransform& t = glider.frame;
    const float back = 13.0f * 5.0f * 0.3f;
    const float rise = 6.0f * 5.0f * 0.3f;
    EXPECT_NEAR(camera.frame.position.x, t.position.x - t.forward.x * back + t.up.x * rise, 1e-3f);
    EXPECT_NEAR(camera.frame.position.y, t.position.y - t.forward.y * back + t.up.y * rise, 1e-3f);
    EXPECT_NEAR(camera.frame.position.z, t.position.z - t.forward.z * back + t.up.z * rise, 1e-3f);

    // At the desired point the chase asks for no velocity.
    camera.frame.SetPosition(
        Vec3 { t.position.x - t.forward.x * back, t.position.y - t.forward.y * back, t.position.z + rise });
    camera.velocity = Vec3 { 9, 9, 9 };
    camera.Run();
    EXPECT_NEAR(camera.velocity.x, 0.0f, 1e-3f);
    EXPECT_NEAR(camera.velocity.z, 0.0f, 1e-3f);

    glider.frame.SetDirection(Vec3 { 0, 0, 1 }); // heading near zero: straight above the target
    camera.frame.SetPosition(Vec3 { t.position.x, t.position.y, t.position.z + rise });
    camera.Run();
    EXPECT_NEAR(camera.velocity.x, 0.0f, 1e-3f);
    EXPECT_NEAR(camera.velocity.y, 0.0f, 1e-3f);
    EXPECT_NEAR(camera.velocity.z, 0.0f, 1e-3f);
}

TEST_F(CameraTest, AGliderIsChasedByItsHullRadius)
{
    CGliderObject hull;
    hull.radius = 50.0f;
    hull.bodyRadius = 4.0f;
    hull.frame.SetPosition(Vec3 { 0, 0, 100 });
    camera.SetChaseMode(&hull);
    EXPECT_NEAR(camera.frame.position.y, -13.0f * 4.0f * 0.3f, 1e-4f); // forward is +y
    EXPECT_NEAR(camera.frame.position.z, 100.0f + 6.0f * 4.0f * 0.3f, 1e-4f);
}

TEST_F(CameraTest, AModeOutsideTheTableDoesNothing)
{
    camera.SetChaseMode(&glider);
    CameraMode = 7;
    camera.moves = 0;
    camera.ApplyViewMode();
    EXPECT_EQ(CameraMode, 7);
    EXPECT_EQ(camera.moves, 0);
    EXPECT_EQ(camera.lookTarget, &glider);

    CameraMode = 1; // without a player glider every mode flies free
    PlayerGlider = nullptr;
    camera.ApplyViewMode();
    EXPECT_EQ(CameraMode, 2);
}

TEST_F(CameraTest, ALoadKeepsTheSavedPositionAndMode)
{
    camera.SetChaseMode(&glider);
    const Vec3 saved { 40, 50, 60 };
    camera.frame.SetPosition(saved);
    camera.moves = 0;
    XMemBuffer stream;
    int size = 0;
    camera.SaveGame(stream, &size, false);
    EXPECT_EQ(size, 68 + 40 + 16);

    CCamera loaded;
    CameraMode = 2;
    stream.Rewind();
    int read = 0;
    loaded.LoadGame(stream, &read, false);
    EXPECT_EQ(read, size);
    EXPECT_EQ(CameraMode, 1);
    EXPECT_EQ(loaded.lookTarget, &glider);
    EXPECT_FLOAT_EQ(loaded.frame.position.x, saved.x);
    EXPECT_FLOAT_EQ(loaded.frame.position.z, saved.z);
    EXPECT_EQ(loaded.moves, 0);

    // A mode outside 0..5 in the save is not applied.
    const int modeAt = size - 16;
    stream.Data()[modeAt] = 9;
    stream.Rewind();
    loaded.LoadGame(stream, &read, false);
    EXPECT_EQ(CameraMode, 1);
}

TEST_F(CameraTest, ADeletedTargetLeavesNoReferenceAndTheCameraStill)
{
    camera.SetChaseMode(&glider);
    camera.ProcessDelete(&glider);
    EXPECT_EQ(camera.lookTarget, nullptr);
    EXPECT_EQ(camera.owner, nullptr);
    EXPECT_EQ(CameraMode, 1);
    camera.velocity = Vec3 { 1, 2, 3 };
    const Matrix4 view = ViewFrame.matrix;
    camera.Run();
    camera.UpdateView();
    PlayerGlider = nullptr;
    camera.SetStrafe(1.0f);
    EXPECT_FLOAT_EQ(camera.velocity.y, 2.0f);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(ViewFrame.matrix.m[i], view.m[i]);

    CCamera attached;
    attached.AttachViewTarget(&glider);
    attached.ProcessDelete(&glider);
    EXPECT_EQ(attached.attachedTarget, nullptr);
}

TEST_F(CameraTest, TheViewFrameTakesTheCameraFrame)
{
    camera.AttachViewTarget(&glider);
    camera.UpdateView();
    EXPECT_FLOAT_EQ(ViewFrame.position.x, 100.0f);
    EXPECT_FLOAT_EQ(ViewFrame.position.z, 50.0f);
    for (int i : { 0, 1, 2, 4, 5, 6, 8, 9, 10 })
        EXPECT_FLOAT_EQ(ViewFrame.matrix.m[i], glider.frame.matrix.m[i]);

    // The fixed mode turns to the point offset[1] above the target's up axis.
    camera.SetFixedMode(&glider);
    camera.frame.SetPosition(Vec3 { 100, 100, 60 });
    camera.UpdateView();
    EXPECT_NEAR(camera.frame.forward.y, 1.0f, 1e-5f);
    EXPECT_NEAR(camera.frame.forward.z, 0.0f, 1e-5f);

    // The strafe slides along the glider's side axis.
    camera.SetStrafe(2.0f);
    EXPECT_NEAR(camera.velocity.x, -glider.frame.side.x * 2.0f * 3.0f / camera.mass, 1e-2f);
}

} // namespace
