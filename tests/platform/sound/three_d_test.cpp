#include "tests/platform/sound/loopback.h"

using namespace plat::sound;
using soundtest::Levels;

namespace {

constexpr BufferFlags k3D = BufferFlags::Ctrl3D | BufferFlags::CtrlVolume | BufferFlags::CtrlFrequency
    | BufferFlags::Mute3DAtMaxDistance;

class ThreeDTest : public soundtest::LoopbackTest {
protected:
    std::unique_ptr<Buffer> PlayingSource(const Vector& at, float minDistance = 1, float maxDistance = 100)
    {
        auto buffer = MakeBuffer(soundtest::Sine(441, 44100), k3D);
        Buffer3D* s = buffer->Get3D();
        EXPECT_NE(s, nullptr);
        s->SetMinDistance(minDistance, Apply::Immediate);
        s->SetMaxDistance(maxDistance, Apply::Immediate);
        s->SetPosition(at, Apply::Immediate);
        EXPECT_EQ(buffer->Play(true), Result::Ok);
        return buffer;
    }
};

struct SideCase {
    const char* name;
    Vector front;
    Vector top;
    Vector source;
    bool right;
};

TEST_F(ThreeDTest, SourcesAreHeardOnTheSideOfTopCrossFront)
{
    const SideCase cases[] = {
        { "front +z, source +x", { 0, 0, 1 }, { 0, 1, 0 }, { 5, 0, 0 }, true },
        { "front +z, source -x", { 0, 0, 1 }, { 0, 1, 0 }, { -5, 0, 0 }, false },
        { "front +y top +z, source -x", { 0, 1, 0 }, { 0, 0, 1 }, { -5, 0, 0 }, true },
        { "front +y top +z, source +x", { 0, 1, 0 }, { 0, 0, 1 }, { 5, 0, 0 }, false },
    };
    for (const SideCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_listener->SetOrientation(c.front, c.top, Apply::Immediate), Result::Ok);
        auto source = PlayingSource(c.source);
        const Levels levels = Settle();
        const double near = c.right ? levels.right : levels.left;
        const double far = c.right ? levels.left : levels.right;
        EXPECT_GT(near, 100);
        EXPECT_GE(near, 10 * far);
    }
}

TEST_F(ThreeDTest, LevelHalvesAtTwiceTheMinimumDistanceAndVanishesBeyondTheMaximum)
{
    auto source = PlayingSource({ 0, 0, 2 }, 2, 10);
    const double atMin = Settle().left;
    source->Get3D()->SetPosition({ 0, 0, 4 }, Apply::Immediate);
    const double atTwice = Settle().left;
    EXPECT_NEAR(atTwice / atMin, 0.5, 0.05);
    source->Get3D()->SetPosition({ 0, 0, 10.5f }, Apply::Immediate);
    const Levels beyond = Settle();
    EXPECT_LT(beyond.left, 3);
    EXPECT_LT(beyond.right, 3);
    // Back in range, and the listener walking away mutes it at the commit.
    source->Get3D()->SetPosition({ 0, 0, 4 }, Apply::Immediate);
    EXPECT_NEAR(Settle().left, atTwice, atTwice * 0.05);
    m_listener->SetPosition({ 0, 0, -7 }, Apply::Deferred);
    EXPECT_NEAR(Settle().left, atTwice, atTwice * 0.05);
    m_listener->CommitDeferredSettings();
    EXPECT_LT(Settle().left, 3);
}

TEST_F(ThreeDTest, DeferredMoveWaitsForTheCommit)
{
    auto source = PlayingSource({ 5, 0, 0 });
    source->Get3D()->SetPosition({ -5, 0, 0 }, Apply::Deferred);
    Levels levels = Settle();
    EXPECT_GT(levels.right, 10 * levels.left);
    EXPECT_FLOAT_EQ(source->Get3D()->GetPosition().x, 5);
    ASSERT_EQ(m_listener->CommitDeferredSettings(), Result::Ok);
    levels = Settle();
    EXPECT_GT(levels.left, 10 * levels.right);
}

TEST_F(ThreeDTest, DisabledModePlaysAtTheListener)
{
    auto source = PlayingSource({ 50, 0, 0 }, 1, 60);
    source->Get3D()->SetMode(Mode3D::Disable, Apply::Immediate);
    const Levels levels = Settle();
    EXPECT_NEAR(levels.left, levels.right, levels.left * 0.02);
    EXPECT_GT(levels.left, 3000);
}

TEST_F(ThreeDTest, StereoDataIsPositionedAfterTheMonoMix)
{
    // Left channel only: a 2-D buffer keeps it left, a 3-D one on the right places it right.
    std::vector<int16_t> stereo(2 * 44100);
    const auto sine = soundtest::Sine(441, 44100);
    for (size_t i = 0; i < sine.size(); ++i)
        stereo[2 * i] = sine[i];
    auto flat = MakeBuffer(stereo, BufferFlags::CtrlVolume, 2);
    flat->Play(true);
    Levels levels = Settle();
    EXPECT_GT(levels.left, 10 * levels.right + 100);
    flat->Stop();
    auto placed = MakeBuffer(stereo, k3D, 2);
    ASSERT_EQ(placed->Bytes(), stereo.size() * 2);
    placed->Get3D()->SetPosition({ 5, 0, 0 }, Apply::Immediate);
    placed->Play(true);
    levels = Settle();
    EXPECT_GT(levels.right, 10 * levels.left + 100);
}

} // namespace
