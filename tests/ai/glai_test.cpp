// The basic glider AI on a glider whose state the test sets.
#include "tests/ai/machine_fixture.h"

#include "ai/CBasicGLAI.h"
#include "world/objects/CGliderObject.h"

namespace {

class GlaiTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        FrameTime = 0.02f;
        machine.level = 5;
        glider.ferrovant = &machine;
        glider.frame.forward = { 1.0f, 0.0f, 0.0f };
        glider.turnRate = 2.0f;
        ai.glider = &glider;
        ai.clock = 1.0f;
        enemy.frame.SetPosition({ 1000.0f, 1000.0f, 0.0f });
    }

    // Runs one frame with the clock set so that the tick is the given one.
    void RunAtTick(int tick)
    {
        ai.clock = float(tick) - FrameTime * 10.0f + 0.001f;
        ai.Run();
        ASSERT_EQ(ai.tick, tick);
    }

    // Every Fire of a glider without a hull model logs that it found none.
    int Shots() const { return LogLineCount("Glider model not found"); }

    CFerrovant machine;
    CGliderObject glider;
    CGliderObject enemy;
    CBasicGLAI ai;
};

TEST_F(GlaiTest, ArrivingAtTheGoPointHoldsAndStops)
{
    const SAIReference point { 0, { 10.0f, 0.0f, -12.0f } };
    ai.Go(&point, { 0.0f, 0.0f, 0.0f });
    EXPECT_EQ(ai.state, CBasicGLAI::kGo);
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kIdle);
    EXPECT_FLOAT_EQ(glider.bankCoupling, 1.0f);

    // Exactly on the point, even with no arrival radius.
    ai.MoveTo({ 0.0f, 0.0f, -24.0f }, 1.0f, 0.0f, true);
    EXPECT_FLOAT_EQ(ai.movePoint.z, -12.0f);
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kIdle);
    EXPECT_FALSE(std::isnan(glider.throttle));
}

TEST_F(GlaiTest, GoingFarAheadDrivesAtFullSpeed)
{
    const SAIReference point { 0, { 5000.0f, 0.0f, -12.0f } };
    ai.Go(&point, { 0.0f, 0.0f, 0.0f });
    glider.velocity = { 30.0f, 0.0f, 0.0f };
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kGo);
    EXPECT_FLOAT_EQ(glider.throttle, 1.0f);
    EXPECT_FLOAT_EQ(glider.bankCoupling, 0.0f);
}

TEST_F(GlaiTest, ABlockedGliderJumpsAfterTwoSeconds)
{
    ai.MoveTo({ 5000.0f, 0.0f, 0.0f }, 1.0f, 10.0f, false);
    glider.velocity = { 10.0f, 0.0f, 0.0f }; // closing, yet slow
    FrameTime = 0.5f;
    GameClock = 10.0;
    machine.energy = 1000.0f;
    for (int i = 0; i < 4; ++i)
        ai.Run();
    EXPECT_FLOAT_EQ(machine.energy, 1000.0f);
    ai.Run();
    EXPECT_FLOAT_EQ(machine.energy, 900.0f); // the jump's price
    EXPECT_FLOAT_EQ(ai.blockedTime, 1.5f);
    EXPECT_FLOAT_EQ(glider.throttle, 2.0f);
}

TEST_F(GlaiTest, AttackPeriodsFollowDifficultyAndLevel)
{
    struct Case {
        int difficulty;
        int level;
        int rocketPeriod;
        int missilePeriod;
    };
    const Case cases[] = { { 2, 10, 32, 8 }, { 0, 1, 800, 100 }, { 1, 8, 250, 75 }, { 1, 9, 250, 37 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        Difficulty = c.difficulty;
        machine.level = c.level;
        enemy.frame.SetPosition({ 1000.0f, 0.0f, 0.0f }); // beyond every gun range, straight ahead
        ai.Attack(&enemy);
        const int before = Shots();
        for (int tick : { c.rocketPeriod * 3, c.missilePeriod * 5, c.missilePeriod * 5 + 1 })
            RunAtTick(tick);
        // A rocket and a bomb, each also on the other's tick when the periods meet there.
        EXPECT_EQ(Shots() - before,
            2 + (c.missilePeriod * 5 % c.rocketPeriod == 0 ? 1 : 0)
                + (c.rocketPeriod * 3 % c.missilePeriod == 0 ? 1 : 0));
    }
}

TEST_F(GlaiTest, ACloseTargetMakesTheAttackerBackOffFiringItsGuns)
{
    enemy.frame.SetPosition({ 20.0f, 0.0f, 0.0f });
    ai.Attack(&enemy);
    ai.Run();
    EXPECT_FLOAT_EQ(glider.throttle, 0.5f); // backing off: -0.5
    EXPECT_EQ(Shots(), 2); // light and heavy guns

    // Facing away: no shots.
    glider.frame.forward = { -1.0f, 0.0f, 0.0f };
    ai.Run();
    EXPECT_EQ(Shots(), 2);

    enemy.dead = 1;
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kIdle);
    ai.Attack(nullptr);
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kIdle);
}

TEST_F(GlaiTest, IdleManoeuvresStartOnlyOnMultiplesOfAHundredTicks)
{
    ai.Stop();
    RunAtTick(99);
    EXPECT_EQ(ai.idleAction, -1);
    RunAtTick(101);
    EXPECT_EQ(ai.idleAction, -1);
    RunAtTick(200);
    EXPECT_NE(ai.idleAction, -1);
    EXPECT_FLOAT_EQ(ai.idleTime, 0.5f);
    EXPECT_FLOAT_EQ(glider.bankCoupling, 1.0f);
    EXPECT_FLOAT_EQ(glider.throttle, 0.0f);
}

TEST_F(GlaiTest, InputsAreWrittenOnlyWhenTheyChange)
{
    enemy.frame.SetPosition({ 0.0f, 1000.0f, 0.0f }); // to the side
    ai.Attack(&enemy);
    ai.Run();
    EXPECT_NE(glider.controlX, 0.0f);
    const float turn = glider.controlX;
    glider.netDirty = 0;
    ai.Run();
    EXPECT_EQ(glider.controlX, turn);
    enemy.frame.SetPosition({ 0.0f, -1000.0f, 0.0f });
    ai.Run();
    EXPECT_NE(glider.controlX, turn);
    EXPECT_EQ(glider.netDirty, 1);
}

TEST_F(GlaiTest, SteeringClampsItsArcSines)
{
    machine.level = 6;
    glider.frame.forward = { 2.0f, 0.0f, 2.0f }; // not a unit vector
    ai.SteerTo({ 0.0f, 100.0f, -100.0f }, true);
    EXPECT_FALSE(std::isnan(glider.controlX));
    EXPECT_FALSE(std::isnan(glider.controlY));
    EXPECT_FLOAT_EQ(glider.controlX, -1.0f);
}

TEST_F(GlaiTest, RetreatStopsNearTheGoalAndDeadGlidersDoNothing)
{
    const SAIReference home { 0, { 30.0f, 0.0f, -12.0f } };
    ai.Retreat(&enemy, &home);
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kIdle);

    const SAIReference far { 0, { -1000.0f, 0.0f, 0.0f } };
    enemy.frame.SetPosition({ 100.0f, 0.0f, 0.0f });
    ai.Retreat(&enemy, &far);
    ai.Run();
    EXPECT_EQ(ai.state, CBasicGLAI::kRetreat);
    EXPECT_FLOAT_EQ(glider.throttle, 1.0f); // -1: backing towards the goal behind
    EXPECT_EQ(Shots(), 2);

    glider.dead = 1;
    const float clock = ai.clock;
    ai.Run();
    EXPECT_FLOAT_EQ(ai.clock, clock);
}

} // namespace
