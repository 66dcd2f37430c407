#include "audio/CMusicMng.h"
#include "audio/CSound.h"
#include "audio/CSoundMusicOGG.h"
#include "tests/audio/audio_fixture.h"

#include <vorbis/vorbisfile.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

using namespace audiotest;

namespace {

constexpr uint32_t kBlock = 4096;

// Exposes the loop flag so blocks can be loaded without the refill thread.
class TestMusic : public CSoundMusicOGG {
public:
    using CSoundMusicOGG::CSoundMusicOGG;
    void SetLoop(bool loop) { m_loop = loop ? 1 : 0; }
};

class MusicTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        m_track = writer::EncodeVorbis(Tone(0.35, 2, 22050), 2, 22050, { 0.3f, 1 });
        WriteFile("Music\\a.ogg", m_track);
        WriteFile("Music\\b.ogg", writer::EncodeVorbis(Tone(0.5, 1, 22050, 660), 1, 22050, { 0.3f, 2 }));
        ASSERT_FALSE(SoundFailed(m_sound.Initialize(nullptr, {}, 2)));
    }

    // What vorbisfile makes of the whole track, 16-bit little-endian.
    std::vector<uint8_t> Reference()
    {
        std::FILE* file = std::fopen("Music/a.ogg", "rb");
        OggVorbis_File vorbis;
        EXPECT_EQ(ov_open(file, &vorbis, nullptr, 0), 0);
        std::vector<uint8_t> pcm;
        char buffer[4096];
        int section = 0;
        long n = 0;
        while ((n = ov_read(&vorbis, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
            pcm.insert(pcm.end(), buffer, buffer + n);
        ov_clear(&vorbis);
        return pcm;
    }

    static std::vector<uint8_t> Block(CSoundMusic& music, uint32_t index)
    {
        plat::sound::LockRegion a, b;
        EXPECT_EQ(music.GetBuffer()->Lock((index % 2) * kBlock, kBlock, a, b), plat::sound::Result::Ok);
        std::vector<uint8_t> out(a.data, a.data + a.bytes);
        music.GetBuffer()->Unlock(a, b);
        return out;
    }

    void Render(uint32_t frames)
    {
        std::vector<int16_t> out(size_t(frames) * 2);
        m_sound.GetDevice()->Render(out.data(), frames);
    }

    CSound m_sound;
    writer::Bytes m_track;
};

TEST_F(MusicTest, ALoopIsWrittenWithoutAGap)
{
    const auto reference = Reference();
    ASSERT_GT(reference.size(), 7 * kBlock);
    TestMusic music(kBlock);
    ASSERT_EQ(music.SetFileName("Music\\a.ogg"), kSoundOk);
    ASSERT_EQ(music.PreLoad(0), kSoundOk);
    music.SetLoop(true);
    std::vector<uint8_t> written;
    for (uint32_t k = 0; k < 20; ++k) {
        ASSERT_EQ(music.LoadBlock(), kSoundOk);
        const auto block = Block(music, k);
        written.insert(written.end(), block.begin(), block.end());
    }
    EXPECT_EQ(music.GetPendingBlocks(), 20);
    std::vector<uint8_t> expected;
    while (expected.size() < written.size())
        expected.insert(expected.end(), reference.begin(), reference.end());
    expected.resize(written.size());
    EXPECT_TRUE(written == expected);
}

TEST_F(MusicTest, TheTailOfATrackIsWrittenZeroFilled)
{
    const auto reference = Reference();
    const uint32_t full = uint32_t(reference.size() / kBlock);
    ASSERT_NE(reference.size() % kBlock, 0u);
    TestMusic music(kBlock);
    music.SetFileName("Music\\a.ogg");
    ASSERT_EQ(music.PreLoad(0), kSoundOk);
    std::vector<uint8_t> written;
    for (uint32_t k = 0; k < full + 2; ++k) {
        music.LoadBlock();
        const auto block = Block(music, k);
        written.insert(written.end(), block.begin(), block.end());
    }
    // Every block of the track counts, the partial one too; the one after it is silence.
    EXPECT_EQ(music.GetPendingBlocks(), full + 1);
    std::vector<uint8_t> expected = reference;
    expected.resize(written.size(), 0);
    EXPECT_TRUE(written == expected);
}

TEST_F(MusicTest, APlayedTrackEndsByItselfAndCanPlayAgain)
{
    CSoundMusicOGG music(kBlock);
    music.SetFileName("Music\\a.ogg");
    ASSERT_EQ(music.Play(false), kSoundOk);
    EXPECT_TRUE(music.IsMusicPlayed());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (music.IsMusicPlayed() && std::chrono::steady_clock::now() < deadline) {
        Render(256);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(music.IsMusicPlayed());
    EXPECT_EQ(music.GetBuffer(), nullptr);
    // 7 whole blocks and the tail: eight blocks played.
    EXPECT_EQ(music.GetPlayedBlocks(), 8);
    ASSERT_EQ(music.Play(true), kSoundOk);
    EXPECT_TRUE(music.IsMusicPlayed());
    EXPECT_EQ(music.Stop(), kSoundOk);
    EXPECT_FALSE(music.IsMusicPlayed());
    EXPECT_EQ(music.SetVolume(0.5f), kSoundFail); // no buffer; the volume is kept
    EXPECT_FLOAT_EQ(music.GetVolume(), 0.5f);
}

TEST_F(MusicTest, MissingFilesDoNotPlay)
{
    CSoundMusicOGG music(kBlock);
    EXPECT_EQ(music.SetFileName(nullptr), kSoundFail);
    music.SetFileName("Music\\none.ogg");
    EXPECT_EQ(music.Play(true), kSoundFail);
    WriteFile("Music\\bad.ogg", writer::Bytes(5000, 7));
    music.SetFileName("Music\\bad.ogg");
    EXPECT_EQ(music.Play(true), kSoundFail);
    EXPECT_FALSE(music.IsMusicPlayed());
}

class MusicManagerTest : public MusicTest {
protected:
    void SetUp() override
    {
        MusicTest::SetUp();
        WriteTable(CP1251("Музыка"),
            {
                { "MUS_A", { "Filename=Music\\a.ogg", "TYPE=3" } },
                { "MUS_B", { "Filename=Music\\b.ogg" } },
                { "MUS_NONE", { "Filename=Music\\none.ogg" } },
            });
        m_music = std::make_unique<CMusicMng>();
        m_music->SetBlockSize(kBlock);
        m_music->Init(CP1251("Музыка"));
    }
    void TearDown() override
    {
        m_music.reset();
        MusicTest::TearDown();
    }
    void Tick(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            m_music->UpdateFade(0.02f);
    }
    std::unique_ptr<CMusicMng> m_music;
};

TEST_F(MusicManagerTest, TheTableNamesTheTracks)
{
    ASSERT_EQ(m_music->GetTrackCount(), 3);
    EXPECT_STREQ(m_music->GetTrack(0).fileName, "Music\\a.ogg");
    EXPECT_EQ(m_music->GetTrack(0).type, 3);
    EXPECT_EQ(m_music->GetRowNames().Find("MUS_B"), 1);
    EXPECT_EQ(m_music->GetCurrentTrack(), -1);
}

TEST_F(MusicManagerTest, ReplayingTheCurrentTrackFails)
{
    ASSERT_EQ(m_music->PlayMusic(0, true, false), kSoundOk);
    EXPECT_EQ(m_music->GetCurrentTrack(), 0);
    EXPECT_TRUE(m_music->IsPlaying(0));
    EXPECT_TRUE(m_music->IsPlaying(-1));
    EXPECT_FALSE(m_music->IsPlaying(1));
    CSoundMusicOGG* player = m_music->GetCurrentPlayer();
    EXPECT_EQ(m_music->PlayMusic(0, true, false), kSoundFail);
    EXPECT_EQ(m_music->GetCurrentPlayer(), player);
    EXPECT_EQ(m_music->PlayMusic(2, true, false), kSoundFail);
    EXPECT_EQ(m_music->GetCurrentTrack(), -1);
    EXPECT_FALSE(player->IsMusicPlayed());
}

TEST_F(MusicManagerTest, NothingPlaysWithMusicSwitchedOff)
{
    m_music->SetMusicEnable(false);
    EXPECT_EQ(m_music->PlayMusic(0, true, false), kSoundFail);
    EXPECT_EQ(m_music->GetCurrentTrack(), -1);
    EXPECT_EQ(m_music->GetTrack(0).player, nullptr);
}

TEST_F(MusicManagerTest, ACrossFadeOfOneSecondTakesFiftyTicks)
{
    m_music->SetVolume(0.8f);
    ASSERT_EQ(m_music->PlayMusic(0, true, false), kSoundOk);
    CSoundMusicOGG* a = m_music->GetCurrentPlayer();
    EXPECT_FLOAT_EQ(a->GetVolume(), 0.8f);
    ASSERT_EQ(m_music->PlayMusic(1, true, true), kSoundOk);
    CSoundMusicOGG* b = m_music->GetCurrentPlayer();
    EXPECT_EQ(m_music->GetFadingPlayer(), a);
    EXPECT_FLOAT_EQ(b->GetVolume(), 0);
    Tick(25);
    EXPECT_NEAR(a->GetVolume(), 0.4f, 1e-4);
    EXPECT_NEAR(b->GetVolume(), 0.4f, 1e-4);
    Tick(24);
    EXPECT_TRUE(a->IsMusicPlayed());
    EXPECT_EQ(m_music->GetFadingPlayer(), a);
    Tick(1);
    EXPECT_FALSE(a->IsMusicPlayed());
    EXPECT_EQ(m_music->GetFadingPlayer(), nullptr);
    EXPECT_FLOAT_EQ(b->GetVolume(), 0.8f);
    // After the fade the volume setting goes straight to the player.
    m_music->SetVolume(0.5f);
    EXPECT_FLOAT_EQ(b->GetVolume(), 0.5f);
}

TEST_F(MusicManagerTest, ATrackRestartedWhileFadingOutKeepsPlaying)
{
    ASSERT_EQ(m_music->PlayMusic(0, true, false), kSoundOk);
    CSoundMusicOGG* a = m_music->GetCurrentPlayer();
    m_music->StopMusic(true);
    EXPECT_EQ(m_music->GetCurrentTrack(), -1);
    Tick(25);
    ASSERT_EQ(m_music->PlayMusic(0, true, true), kSoundOk);
    EXPECT_EQ(m_music->GetFadingPlayer(), nullptr);
    Tick(75);
    EXPECT_TRUE(m_music->IsPlaying(0));
    EXPECT_TRUE(a->IsMusicPlayed());
    EXPECT_FLOAT_EQ(a->GetVolume(), 1.0f);
}

TEST_F(MusicManagerTest, StoppingWithoutFadeStopsAtOnce)
{
    ASSERT_EQ(m_music->PlayMusic(1, false, true), kSoundOk);
    CSoundMusicOGG* b = m_music->GetCurrentPlayer();
    Tick(10);
    m_music->StopMusic(false);
    EXPECT_FALSE(b->IsMusicPlayed());
    Tick(10);
    EXPECT_NEAR(b->GetVolume(), 0.2f, 1e-4);
}

TEST_F(MusicManagerTest, PlayAndStopAtRandomMomentsWhileTheFadeThreadTicks)
{
    std::atomic<bool> stop { false };
    std::thread gamma([&] {
        while (!stop) {
            m_music->UpdateFade(0.02f);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::minstd_rand random(12345);
    for (int cycle = 0; cycle < 50; ++cycle) {
        const int track = int(random() % 2);
        const bool fade = random() % 2;
        if (random() % 3)
            m_music->PlayMusic(track, random() % 2, fade);
        else
            m_music->StopMusic(fade);
        Render(uint32_t(random() % 1500));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
    }
    stop = true;
    gamma.join();
    m_music->StopMusic(false);
    EXPECT_EQ(m_music->GetCurrentTrack(), -1);
}

} // namespace
