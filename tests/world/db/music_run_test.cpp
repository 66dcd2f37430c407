// The timed sounds of the location music on the loopback sound device: hour windows, schedules
// and held sounds.
#include "tests/audio/audio_fixture.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "world/db/SLocMusic.h"
#include "world/terrain/CEnvironment.h"

#include <cstring>
#include <memory>

namespace {

using namespace audiotest;

class MusicRunTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        WriteToneWav("Sound\\tone.wav");
        WriteTable(
            CP1251("Звуки"), { { "SND_WIND", { "Filename=Sound\\tone.wav", "VOLUME=0", "MAXSOUND=4" } } });
        m_manager = std::make_unique<CSoundManager>();
        m_manager->Init(CP1251("Звуки"));
        ASSERT_TRUE(m_manager->InitSound(nullptr));
        m_manager->SetVolume(10);
        m_manager->SetListener({ 0, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 });
        g_pSoundManager = m_manager.get();
        m_savedDays = GameTimeDays();
        m_savedClock = GameClock;
        m_music.Reset();
        GameClock = 100.0;
    }
    void TearDown() override
    {
        g_pSoundManager = nullptr;
        m_manager.reset();
        GameTimeDays() = m_savedDays;
        GameClock = m_savedClock;
        AudioTest::TearDown();
    }

    // One timed sound of the window [first, end) whose start falls in the next frame.
    void Sound(int first, int end, bool held, float length)
    {
        m_music.soundCount = 1;
        STimedSound& sound = m_music.sounds[0];
        std::strcpy(sound.key, "SND_WIND");
        sound.interval = 90.0f;
        sound.length = length;
        sound.held = held ? 1 : 0;
        sound.firstHour = first;
        sound.endHour = end;
        m_music.InitTimers();
        m_music.soundStates[0].nextStart = float(GameClock) + 0.01f;
        m_music.soundStates[0].remaining = length;
    }
    static void AtHour(float hour) { GameTimeDays() = 1.0f + hour / 24.0f; }
    int Controls() const { return m_manager->GetControls().Count(); }

    std::unique_ptr<CSoundManager> m_manager;
    SLocMusic m_music;
    float m_savedDays = 0.0f;
    double m_savedClock = 0.0;
};

TEST_F(MusicRunTest, TheStartTimersFallWithinOneIntervalAndTheLengthAroundItsMean)
{
    m_music.soundCount = 2;
    for (STimedSound& sound : m_music.sounds) {
        sound.interval = 90.0f;
        sound.length = 6.0f;
    }
    m_music.soundStates[0].handle = 5;
    m_music.InitTimers();
    for (int i = 0; i < 2; ++i) {
        const STimedSoundState& state = m_music.soundStates[i];
        EXPECT_EQ(state.handle, -1);
        EXPECT_GE(state.nextStart, 0.0f);
        EXPECT_LT(state.nextStart, 90.0f);
        EXPECT_GE(state.remaining, 3.0f);
        EXPECT_LT(state.remaining, 9.0f);
    }
    m_music.soundCount = 21;
    EXPECT_THROW(m_music.InitTimers(), XRangeError);
}

TEST_F(MusicRunTest, AHeldSoundStartsOnlyWithinItsWholeHours)
{
    struct Case {
        float hour;
        bool plays;
    };
    for (const Case& c :
        { Case { 5.95f, false }, Case { 6.02f, true }, Case { 6.98f, true }, Case { 7.02f, false } }) {
        Sound(6, 7, true, 20.0f);
        AtHour(c.hour);
        const float start = m_music.soundStates[0].nextStart;
        m_music.Run(0.025f);
        EXPECT_EQ(Controls(), c.plays ? 1 : 0) << c.hour;
        EXPECT_EQ(m_music.soundStates[0].handle >= 0, c.plays) << c.hour;
        EXPECT_FLOAT_EQ(m_music.soundStates[0].nextStart, c.plays ? start : start + 45.0f) << c.hour;
        m_manager->StopSoundControl(m_music.soundStates[0].handle, SLocMusic::kSoundTag);
    }
}

TEST_F(MusicRunTest, AWindowPastMidnightNeverPlays)
{
    for (float hour : { 23.5f, 0.5f, 3.0f, 5.5f, 12.0f }) {
        Sound(22, 6, true, 20.0f);
        AtHour(hour);
        for (int look = 0; look < 3; ++look) {
            const float start = m_music.soundStates[0].nextStart;
            GameClock = double(start) - 0.01;
            m_music.Run(0.025f);
            EXPECT_FLOAT_EQ(m_music.soundStates[0].nextStart, start + 45.0f) << hour;
        }
        EXPECT_EQ(Controls(), 0) << hour;
        GameClock = 100.0;
    }
}

TEST_F(MusicRunTest, AStartAndEndInOneFrameStopsTheLoopAtOnceAndSchedulesTheNext)
{
    Sound(0, 24, true, 0.01f);
    m_music.soundStates[0].remaining = 0.005f;
    AtHour(12.0f);
    SharedRandom.seed = 1;
    m_music.Run(0.025f);
    EXPECT_EQ(Controls(), 0);
    EXPECT_EQ(m_music.soundStates[0].handle, -1);
    const float next = m_music.soundStates[0].nextStart;
    EXPECT_GE(next, 100.0f + 45.0f + 0.025f - 0.01f);
    EXPECT_LT(next, 100.0f + 135.0f + 0.025f + 0.01f);
    EXPECT_GE(m_music.soundStates[0].remaining, 0.005f);
    EXPECT_LT(m_music.soundStates[0].remaining, 0.015f);

    // A one-shot sound in the same case plays once and needs no control.
    Sound(0, 24, false, 0.01f);
    m_music.soundStates[0].remaining = 0.005f;
    m_music.Run(0.025f);
    EXPECT_EQ(Controls(), 0);
    EXPECT_GT(m_music.soundStates[0].nextStart, 145.0f - 0.01f);
}

} // namespace
