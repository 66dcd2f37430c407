#include "audio/CSoundContainer.h"
#include "audio/CSoundManager.h"
#include "audio/CSoundObject.h"
#include "foundation/CTimer.h"
#include "tests/audio/audio_fixture.h"

using namespace audiotest;

namespace {

constexpr int kNear = 0; // 3-D, MINDIST 10, looping hum
constexpr int kShot = 1; // 3-D, MINDIST 10, VOLUME 0.5, MAXSOUND 0
constexpr int kClick = 2; // 2-D
constexpr int kOther = 3; // 3-D, MINDIST 10

class SoundManagerTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        WriteToneWav("Sound\\tone.wav");
        WriteTable(CP1251("Звуки"),
            {
                { "SND_NEAR",
                    { "Filename=Sound\\tone.wav", "3DSound=1", "VOLUME=0", "MINDIST=10", "MAXSOUND=4" } },
                { "SND_SHOT",
                    { "Filename=Sound\\tone.wav", "3DSound=1", "VOLUME=0.5", "MINDIST=10", "MAXSOUND=0" } },
                { "SND_CLICK", { "Filename=Sound\\tone.wav", "VOLUME=0", "MAXSOUND=2" } },
                { "SND_OTHER",
                    { "Filename=Sound\\tone.wav", "3DSound=1", "VOLUME=0", "MINDIST=10", "MAXSOUND=4" } },
                { "SND_GONE", { "Filename=Sound\\tone.wav", "Deleted=1" } },
            });
        m_manager = std::make_unique<CSoundManager>();
        m_manager->Init(CP1251("Звуки"));
        ASSERT_TRUE(m_manager->InitSound(nullptr));
        m_manager->SetVolume(10);
        m_manager->SetListener({ 0, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 });
        FrameTime = 0.025f;
    }
    void TearDown() override
    {
        m_manager.reset();
        AudioTest::TearDown();
    }

    int Controls() const { return m_manager->GetControls().Count(); }

    std::unique_ptr<CSoundManager> m_manager;
};

TEST_F(SoundManagerTest, TheTableGivesTheRecords)
{
    ASSERT_EQ(m_manager->GetRecordCount(), 4);
    EXPECT_EQ(m_manager->GetRowNames().Find("SND_CLICK"), kClick);
    EXPECT_EQ(m_manager->GetRowNames().Find("SND_GONE"), -1);
    const SSoundRecord& shot = m_manager->GetRecord(kShot);
    EXPECT_STREQ(shot.fileName, "Sound\\tone.wav");
    EXPECT_STREQ(shot.rowName, "SND_SHOT");
    EXPECT_EQ(shot.is3D, 1);
    EXPECT_FLOAT_EQ(shot.volume, 0.5f);
    EXPECT_FLOAT_EQ(shot.maxDistance, 50);
    EXPECT_EQ(shot.duplicates, 16u);
    EXPECT_EQ(m_manager->GetRecord(kClick).is3D, 0);
    CSoundContainer* container = m_manager->GetSound(kShot);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->GetSlotCount(), 16);
    EXPECT_FLOAT_EQ(container->GetVolume(), 0.5f);
    EXPECT_FLOAT_EQ(container->GetSlot(15).GetMinDistance(), 10);
    EXPECT_FLOAT_EQ(container->GetSlot(15).GetMaxDistance(), 50);
    EXPECT_EQ(m_manager->GetSound(-1), nullptr);
    EXPECT_THROW(m_manager->GetSound(4), XRangeError);
}

TEST_F(SoundManagerTest, EstimatesDoubleAtTheMinimumDistance)
{
    const SSoundRecord& shot = m_manager->GetRecord(kShot);
    EXPECT_FLOAT_EQ(CSoundManager::RequestEstimate(shot, 10.0f), 1.0f);
    EXPECT_FLOAT_EQ(CSoundManager::RequestEstimate(shot, 9.999f), 0.5f);
    EXPECT_NEAR(CSoundManager::RequestEstimate(shot, 50.0f), 0.5f * std::pow(2.0f, 0.2f), 1e-6);
    EXPECT_FLOAT_EQ(CSoundManager::ControlEstimate(shot, 10.0f), 0.5f);
    EXPECT_FLOAT_EQ(CSoundManager::ControlEstimate(shot, 10.001f), 0.5f * std::pow(2.0f, 10.0f / 10.001f));
}

TEST_F(SoundManagerTest, AtTheSourceLimitOnlySoundsAboveTheThresholdStart)
{
    m_manager->SetSourceLimits(1, 10);
    int hum = m_manager->GetSoundControl(kNear, -1, 77, { 0, 5, 0 }, true);
    ASSERT_NE(hum, -1);
    m_manager->PlaySoundControl(hum, { 0, 5, 0 }, true, false);
    m_manager->ApplySettings();
    EXPECT_EQ(m_manager->GetLiveCount(), 1);
    // One looping control at estimate 1.0: the threshold is (1 + 1) / 2.
    EXPECT_FLOAT_EQ(m_manager->GetThreshold(), 1.0f);
    m_manager->Play3DSound(kOther, { 0, 9.99f, 0 }); // estimate 1.0: not above
    m_manager->ApplySettings();
    EXPECT_EQ(Controls(), 1);
    m_manager->Play3DSound(kOther, { 0, 10, 0 }); // estimate 2.0
    m_manager->ApplySettings();
    EXPECT_EQ(Controls(), 2);
    EXPECT_EQ(m_manager->GetLiveCount(), 2);
    EXPECT_TRUE(m_manager->GetSound(kOther)->GetSlot(0).IsPlaying());
    // Below the limit anything above 0.01 starts; beyond the maximum distance nothing does.
    m_manager->SetSourceLimits(8, 10);
    m_manager->Play3DSound(kOther, { 0, 40, 0 });
    m_manager->Play3DSound(kShot, { 0, 50, 0 });
    m_manager->ApplySettings();
    EXPECT_EQ(Controls(), 3);
    EXPECT_FALSE(m_manager->GetSound(kShot)->GetSlot(0).IsPlaying());
}

TEST_F(SoundManagerTest, TheHundredAndFiftyFirstRequestIsDropped)
{
    for (int i = 0; i < 151; ++i)
        m_manager->Play3DSound(kShot, { 0, 1, 0 });
    EXPECT_EQ(m_manager->GetQueuedCount(), 150);
    EXPECT_TRUE(LogHas("CSoundManager::Play3DSound too many new sounds"));
    m_manager->ApplySettings();
    EXPECT_EQ(m_manager->GetQueuedCount(), 0);
    // Equal estimates: the first eight fill MaxSoundSources, no later one passes the mean.
    EXPECT_EQ(Controls(), 8);
}

TEST_F(SoundManagerTest, AWrongOwnerTagLeavesTheSoundPlaying)
{
    int handle = m_manager->GetSoundControl(kNear, -1, 5, { 0, 5, 0 }, true);
    ASSERT_NE(handle, -1);
    // The owner's next request keeps its handle.
    EXPECT_EQ(m_manager->GetSoundControl(kNear, handle, 5, { 0, 6, 0 }, true), handle);
    m_manager->PlaySoundControl(handle, { 0, 6, 0 }, true, false);
    CSoundObject& slot = m_manager->GetSound(kNear)->GetSlot(0);
    const int kept = handle;
    m_manager->StopSoundControl(handle, 6);
    EXPECT_EQ(handle, -1);
    EXPECT_TRUE(slot.IsPlaying());
    EXPECT_TRUE(m_manager->GetControls().IsUsed(kept));
    handle = kept;
    m_manager->StopSoundControl(handle, 5);
    EXPECT_EQ(handle, -1);
    EXPECT_FALSE(slot.IsPlaying());
    EXPECT_EQ(Controls(), 0);
    EXPECT_EQ(m_manager->GetLiveCount(), 0);
    EXPECT_EQ(m_manager->GetSound(kNear)->GetLoopCount(), 0);
}

TEST_F(SoundManagerTest, AStaleHandleIsNotValidAfterItsControlIsFreed)
{
    int first = m_manager->GetSoundControl(kClick, -1, 5, { 0, 0, 0 }, false);
    ASSERT_NE(first, -1);
    int copy = first;
    m_manager->StopSoundControl(copy, 5);
    const int second = m_manager->GetSoundControl(kClick, -1, 9, { 0, 0, 0 }, false);
    ASSERT_EQ(second, first); // the slot is reused
    EXPECT_EQ(m_manager->GetControl(second)->ownerTag, 9u);
    // The first owner's old handle neither keeps nor stops the new owner's control.
    const int again = m_manager->GetSoundControl(kClick, first, 5, { 0, 0, 0 }, false);
    EXPECT_NE(again, first);
    copy = first;
    m_manager->StopSoundControl(copy, 5);
    EXPECT_TRUE(m_manager->GetControls().IsUsed(second));
    EXPECT_EQ(m_manager->GetControl(second)->ownerTag, 9u);
}

TEST_F(SoundManagerTest, AFullPoolLeavesTheCountersUnchanged)
{
    for (int i = 0; i < CSoundManager::kControls; ++i)
        ASSERT_NE(m_manager->GetSoundControl(kClick, -1, uint32_t(100 + i), { 0, 0, 0 }, false), -1);
    const int live = m_manager->GetLiveCount();
    const float threshold = m_manager->GetThreshold();
    EXPECT_EQ(live, 100);
    EXPECT_EQ(m_manager->GetSoundControl(kClick, -1, 999, { 0, 0, 0 }, false), -1);
    EXPECT_EQ(m_manager->GetLiveCount(), live);
    EXPECT_FLOAT_EQ(m_manager->GetThreshold(), threshold);
}

TEST_F(SoundManagerTest, AStartingControlIsPlacedWhereItIsAsked)
{
    // Owner 1 leaves the slot far off to the left; owner 2 starts it on the right.
    int handle = m_manager->GetSoundControl(kNear, -1, 1, { 30, 0, 0 }, true);
    m_manager->PlaySoundControl(handle, { 30, 0, 0 }, true, true);
    m_manager->StopSoundControl(handle, 1);
    m_manager->SetListener({ 0, 0, 0 }, { 0, 0, 1 }, { 0, 1, 0 });
    handle = m_manager->GetSoundControl(kNear, -1, 2, { -5, 0, 0 }, true);
    CSoundObject& slot = m_manager->GetSound(kNear)->GetSlot(0);
    ASSERT_EQ(m_manager->GetControl(handle)->slot, &slot);
    m_manager->PlaySoundControl(handle, { -5, 0, 0 }, true, false);
    EXPECT_FLOAT_EQ(slot.GetBuffer()->Get3D()->GetPosition().x, -5);
    m_manager->ApplySettings();
    std::vector<int16_t> out(2 * 4410);
    m_manager->GetDevice()->Render(out.data(), 4410);
    double left = 0, right = 0;
    for (size_t i = 0; i < out.size(); i += 2) {
        left += std::abs(out[i]);
        right += std::abs(out[i + 1]);
    }
    EXPECT_GT(left, 10 * right);
}

TEST_F(SoundManagerTest, TheFramePassFreesFinishedAndDistantControls)
{
    int far = m_manager->GetSoundControl(kNear, -1, 1, { 0, 20, 0 }, true);
    m_manager->PlaySoundControl(far, { 0, 20, 0 }, true, false);
    int unplayed = m_manager->GetSoundControl(kOther, -1, 2, { 0, 20, 0 }, true);
    ASSERT_NE(unplayed, -1);
    m_manager->ApplySettings();
    EXPECT_FALSE(m_manager->GetControls().IsUsed(unplayed));
    EXPECT_TRUE(m_manager->GetControls().IsUsed(far));
    m_manager->SetListener({ 0, -40, 0 }, { 0, 1, 0 }, { 0, 0, 1 });
    m_manager->ApplySettings();
    EXPECT_FALSE(m_manager->GetControls().IsUsed(far));
    EXPECT_FALSE(m_manager->GetSound(kNear)->GetSlot(0).IsPlaying());
    EXPECT_EQ(m_manager->GetLiveCount(), 0);
    EXPECT_FLOAT_EQ(m_manager->GetThreshold(), 0.01f);
}

TEST_F(SoundManagerTest, TooManySoundsFadeTheQuietestLoop)
{
    m_manager->SetSourceLimits(8, 2);
    int loud = m_manager->GetSoundControl(kNear, -1, 1, { 0, 5, 0 }, true);
    m_manager->PlaySoundControl(loud, { 0, 5, 0 }, true, false);
    int quiet = m_manager->GetSoundControl(kShot, -1, 2, { 0, 5, 0 }, true);
    m_manager->PlaySoundControl(quiet, { 0, 5, 0 }, true, false);
    m_manager->ApplySettings();
    CSoundObject& quietSlot = m_manager->GetSound(kShot)->GetSlot(0);
    EXPECT_TRUE(quietSlot.IsFading());
    EXPECT_FALSE(m_manager->GetSound(kNear)->GetSlot(0).IsFading());
    // The fade runs with the frame time until the slot stops and its control goes.
    for (int i = 0; i < 14; ++i)
        m_manager->ApplySettings();
    EXPECT_FALSE(quietSlot.IsPlaying());
    m_manager->ApplySettings();
    EXPECT_FALSE(m_manager->GetControls().IsUsed(quiet));
}

TEST_F(SoundManagerTest, SettersActOnLiveControlsOnly)
{
    int handle = m_manager->GetSoundControl(kNear, -1, 1, { 0, 5, 0 }, true);
    m_manager->PlaySoundControl(handle, { 0, 5, 0 }, true, false);
    CSoundObject& slot = *m_manager->GetControl(handle)->slot;
    m_manager->SetSoundControlDistance(handle, 100);
    EXPECT_FLOAT_EQ(slot.GetMinDistance(), 25);
    EXPECT_FLOAT_EQ(slot.GetMaxDistance(), 100);
    m_manager->SetSoundControlVolume(handle, 0.5f);
    EXPECT_FLOAT_EQ(slot.GetVolumeFactor(), 0.5f);
    m_manager->SetSoundControlFrequency(handle, 44100);
    uint32_t hz = 0;
    slot.GetBuffer()->GetFrequency(hz);
    EXPECT_EQ(hz, 44100u);
    m_manager->SetSoundControl2D(handle, true);
    EXPECT_TRUE(slot.Is2DMode());
    EXPECT_EQ(slot.GetBuffer()->Get3D()->GetMode(), plat::sound::Mode3D::Disable);
    m_manager->BeginFade(handle, 1.0f);
    m_manager->UpdateSoundControlFade(handle, 0.25f);
    EXPECT_FLOAT_EQ(slot.GetVolumeFactor(), 0.75f);
    for (int bad : { -1, 0, 55 })
        m_manager->SetSoundControlVolume(bad, 0.1f);
    EXPECT_FLOAT_EQ(slot.GetVolumeFactor(), 0.75f);
}

TEST_F(SoundManagerTest, PlaySoundAndTwoDimensionalPlays)
{
    CSoundObject* played = m_manager->PlaySound(kClick, 0);
    ASSERT_NE(played, nullptr);
    EXPECT_TRUE(played->IsPlaying());
    EXPECT_EQ(m_manager->PlaySound(kClick, 0), &m_manager->GetSound(kClick)->GetSlot(1));
    EXPECT_EQ(m_manager->PlaySound(kClick, 0), nullptr);
    EXPECT_EQ(m_manager->PlaySound(-1, 0), nullptr);
    m_manager->Play3DSound2D(kNear, { 100, 100, 100 });
    CSoundObject& slot = m_manager->GetSound(kNear)->GetSlot(0);
    EXPECT_TRUE(slot.IsPlaying());
    EXPECT_TRUE(slot.Is2DMode());
    // A queued request takes a slot back into 3-D.
    slot.Stop();
    m_manager->Play3DSound(kNear, { 0, 5, 0 });
    m_manager->ApplySettings();
    EXPECT_FALSE(slot.Is2DMode());
    EXPECT_TRUE(slot.IsPlaying());
}

TEST_F(SoundManagerTest, VolumeZeroDeletesEverySoundAndSwitchesSoundOff)
{
    m_manager->SetVolume(3);
    EXPECT_FLOAT_EQ(m_manager->GetMaster(), 0.25f);
    CSoundContainer* container = m_manager->GetSound(kClick);
    ASSERT_NE(container, nullptr);
    EXPECT_FLOAT_EQ(container->GetMaster(), 0.25f);
    int handle = m_manager->GetSoundControl(kClick, -1, 1, { 0, 0, 0 }, false);
    m_manager->PlaySoundControl(handle, { 0, 0, 0 }, true, false);
    m_manager->SetVolume(0);
    EXPECT_FALSE(m_manager->IsSoundOn());
    EXPECT_EQ(m_manager->GetRecord(kClick).container, nullptr);
    EXPECT_EQ(Controls(), 0);
    EXPECT_EQ(m_manager->PlaySound(kClick, 0), nullptr);
    m_manager->SetVolume(10);
    EXPECT_TRUE(m_manager->IsSoundOn());
    EXPECT_NE(m_manager->PlaySound(kClick, 0), nullptr);
}

} // namespace
