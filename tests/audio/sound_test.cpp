#include "audio/CSoundContainer.h"
#include "audio/CSoundManager.h"
#include "audio/CSoundObject.h"
#include "tests/audio/audio_fixture.h"

using namespace audiotest;

namespace {

class SoundTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        WriteFile("Sound\\tone.wav", writer::MakeWav({ 1, 22050, 16 }, ToneBytes(22050)));
        WriteFile("Sound\\tone.ogg", writer::EncodeVorbis(Tone(0.5, 2, 22050), 2, 22050));
    }

    static writer::Bytes ToneBytes(size_t frames)
    {
        const auto tone = Tone(double(frames) / 22050, 1, 22050);
        std::vector<int16_t> samples(tone.size());
        for (size_t i = 0; i < tone.size(); ++i)
            samples[i] = int16_t(tone[i] * 32767);
        return writer::PcmBytes(samples);
    }

    double Level(uint32_t frames = 4410)
    {
        std::vector<int16_t> out(size_t(frames) * 2);
        m_sound.GetDevice()->Render(out.data(), 512);
        m_sound.GetDevice()->Render(out.data(), frames);
        double sum = 0;
        for (int16_t s : out)
            sum += double(s) * s;
        return std::sqrt(sum / double(out.size()));
    }

    bool Init()
    {
        return !SoundFailed(m_sound.Initialize(nullptr, {}, 2))
            && !SoundFailed(m_sound.Get3DListenerInterface());
    }

    CSound m_sound;
};

int32_t VolumeOf(CSoundObject& slot)
{
    int32_t volume = 1;
    EXPECT_EQ(slot.GetBuffer()->GetVolume(volume), plat::sound::Result::Ok);
    return volume;
}

TEST_F(SoundTest, AContainerPlaysOnceOnEachOfItsBuffers)
{
    ASSERT_TRUE(Init());
    EXPECT_EQ(g_pSound, &m_sound);
    std::unique_ptr<CSoundContainer> sound(m_sound.CreateSound("Sound\\tone.wav", 3, false));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->GetSlotCount(), 3);
    EXPECT_EQ(sound->Play(0, 0), kSoundOk);
    EXPECT_EQ(sound->Play(kSoundPlayLooping, 0), kSoundOk);
    EXPECT_EQ(sound->Play(0, 0), kSoundOk);
    EXPECT_EQ(sound->Play(0, 0), kSoundFail);
    EXPECT_EQ(sound->GetLoopCount(), 1);
    EXPECT_EQ(sound->GetFreeSlot(), nullptr);
    sound->StopAll();
    EXPECT_EQ(sound->GetLoopCount(), 0);
    EXPECT_EQ(sound->GetFreeSlot(), &sound->GetSlot(0));
    uint32_t at = 1;
    sound->GetSlot(1).GetBuffer()->GetCurrentPosition(at);
    EXPECT_EQ(at, 0u);
}

TEST_F(SoundTest, OggSoundsAndThreeDimensionalContainers)
{
    ASSERT_TRUE(Init());
    std::unique_ptr<CSoundContainer> sound(m_sound.CreateSound("Sound\\tone.ogg", 2, true));
    ASSERT_NE(sound, nullptr);
    CSoundObject& slot = sound->GetSlot(1);
    ASSERT_NE(slot.GetBuffer()->Get3D(), nullptr);
    EXPECT_TRUE(plat::sound::Has(slot.GetBuffer()->Flags(), plat::sound::BufferFlags::Mute3DAtMaxDistance));
    EXPECT_EQ(slot.GetBuffer()->Bytes(), 11025u * 4);
    sound->SetRange(10, 50);
    EXPECT_FLOAT_EQ(slot.GetMaxDistance(), 50);
    m_sound.ApplySettings();
    EXPECT_FLOAT_EQ(slot.GetBuffer()->Get3D()->GetMaxDistance(), 50);
    // Small moves are not passed on.
    slot.SetPosition({ 0.2f, 0, 0 });
    m_sound.ApplySettings();
    EXPECT_FLOAT_EQ(slot.GetBuffer()->Get3D()->GetPosition().x, 0);
    slot.SetPosition({ 0.4f, 0, 0 });
    m_sound.ApplySettings();
    EXPECT_FLOAT_EQ(slot.GetBuffer()->Get3D()->GetPosition().x, 0.4f);
}

TEST_F(SoundTest, VolumeReadsTheRootOfTheContainerVolumePlusATenth)
{
    ASSERT_TRUE(Init());
    std::unique_ptr<CSoundContainer> sound(m_sound.CreateSound("Sound\\tone.wav", 1, false));
    CSoundObject& slot = sound->GetSlot(0);
    struct Case {
        float container, master, factor;
        int32_t volume;
    };
    const Case cases[] = {
        { 1.0f, 1.0f, 1.0f, 0 }, // v > 1: full volume
        { 0.9f, 1.0f, 1.0f, -1 }, // v = 1
        { 1.0f, 1.0f, 0.0f, -10000 },
        { 1.0f, 0.25f, 1.0f, -893 }, // SoundVolume 3: -8.9 dB
        { 0.5f, 1.0f, 0.5f, -282 },
    };
    for (const Case& c : cases) {
        sound->SetMaster(c.master);
        sound->SetVolume(c.container);
        slot.SetVolume(c.factor);
        EXPECT_NEAR(VolumeOf(slot), c.volume, 1) << c.container << " " << c.master << " " << c.factor;
    }
    EXPECT_EQ(CSoundObject::VolumeOf(-0.5f), -10000);
}

TEST_F(SoundTest, AFadeLowersTheVolumeStopsAndThenRestoresIt)
{
    ASSERT_TRUE(Init());
    std::unique_ptr<CSoundContainer> sound(m_sound.CreateSound("Sound\\tone.wav", 1, false));
    sound->SetVolume(0.9f);
    CSoundObject& slot = sound->GetSlot(0);
    slot.Play(kSoundPlayLooping, 0);
    const double full = Level();
    slot.StartFade(1.0f);
    slot.UpdateFade(0.5f);
    EXPECT_FLOAT_EQ(slot.GetVolumeFactor(), 0.5f);
    EXPECT_NEAR(Level() / full, std::pow(10.0, CSoundObject::VolumeOf(0.5f) / 2000.0), 0.05);
    slot.StartFade(5.0f); // ignored while one runs
    slot.UpdateFade(0.6f);
    EXPECT_FALSE(slot.IsPlaying());
    EXPECT_EQ(sound->GetLoopCount(), 0);
    EXPECT_TRUE(slot.IsFading());
    slot.UpdateFade(0.1f);
    EXPECT_FALSE(slot.IsFading());
    EXPECT_FLOAT_EQ(slot.GetVolumeFactor(), 1.0f);
    // Playing a fading slot ends the fade at full volume.
    slot.StartFade(1.0f);
    slot.UpdateFade(0.9f);
    slot.Play(0, 0);
    EXPECT_FALSE(slot.IsFading());
    EXPECT_NEAR(Level(), full, full * 0.03);
}

TEST_F(SoundTest, UnplayableFilesGiveNoContainer)
{
    ASSERT_TRUE(Init());
    WriteFile("Sound\\wide.wav", writer::MakeWav({ 1, 22050, 24 }, writer::Bytes(300, 0)));
    WriteFile("Sound\\surround.wav", writer::MakeWav({ 6, 22050, 16 }, writer::Bytes(1200, 0)));
    EXPECT_EQ(m_sound.CreateSound("Sound\\wide.wav", 1, false), nullptr);
    EXPECT_TRUE(LogHas("Error!!! CSound::CreateSound->CreateSoundBuffer"));
    EXPECT_EQ(m_sound.CreateSound("Sound\\surround.wav", 1, true), nullptr);
    EXPECT_EQ(m_sound.CreateSound("Sound\\none.wav", 1, false), nullptr);
    EXPECT_EQ(m_sound.CreateSound(nullptr, 1, false), nullptr);
}

TEST_F(SoundTest, ALostPrimaryBufferIsRestoredWithinAHundredTries)
{
    ASSERT_TRUE(Init());
    int sleeps = 0;
    m_sound.SetSleep([&](uint32_t ms) {
        EXPECT_EQ(ms, 10u);
        ++sleeps;
    });
    m_sound.GetPrimaryBuffer()->ForceLost(3);
    EXPECT_EQ(m_sound.RestoreBuffer(), kSoundOk);
    EXPECT_EQ(sleeps, 3);
    sleeps = 0;
    m_sound.GetPrimaryBuffer()->ForceLost(1000);
    EXPECT_EQ(RestoreSoundBuffer(), kSoundFail);
    EXPECT_EQ(sleeps, 100);
    EXPECT_TRUE(LogHas("CSound::RestoreBuffer can`t restore the primary buffer"));
    plat::sound::BufferStatus status;
    m_sound.GetPrimaryBuffer()->GetStatus(status);
    EXPECT_TRUE(status.lost);
}

TEST_F(SoundTest, ALostSlotIsRestoredBeforeItsVolumeIsSet)
{
    ASSERT_TRUE(Init());
    std::unique_ptr<CSoundContainer> sound(m_sound.CreateSound("Sound\\tone.wav", 1, false));
    CSoundObject& slot = sound->GetSlot(0);
    slot.GetBuffer()->ForceLost();
    EXPECT_EQ(slot.Play(0, 0), kSoundFail);
    slot.SetVolume(1.0f);
    EXPECT_EQ(slot.Play(0, 0), kSoundOk);
}

TEST_F(SoundTest, WithoutADeviceSoundIsOffAndPlaysNothing)
{
    plat::sound::SetDeviceKind(plat::sound::DeviceKind::Unavailable);
    WriteTable(CP1251("Звуки"), { { "SND_TONE", { "Filename=Sound\\tone.wav" } } });
    CSoundManager manager;
    manager.Init(CP1251("Звуки"));
    EXPECT_FALSE(manager.InitSound(nullptr));
    EXPECT_TRUE(LogHas("CSound::Initialize Can`t create DirectSound: no output device"));
    EXPECT_TRUE(LogHas("Sound card not found"));
    manager.SetVolume(10);
    EXPECT_FALSE(manager.IsSoundOn());
    EXPECT_EQ(manager.PlaySound(0, 0), nullptr);
    EXPECT_EQ(manager.GetSoundControl(0, -1, 5, { 0, 0, 0 }, false), -1);
    manager.Play3DSound(0, { 0, 0, 0 });
    EXPECT_EQ(manager.GetQueuedCount(), 0);
    manager.Play3DSound2D(0, { 0, 0, 0 });
    manager.ApplySettings();
    manager.StopAll(1);
    manager.SetListener({ 1, 2, 3 }, { 0, 1, 0 }, { 0, 0, 1 });
    EXPECT_EQ(manager.GetRecord(0).container, nullptr);
}

} // namespace
