#include "audio/CBinkPlayer.h"
#include "platform/window/keys.h"
#include "platform/window/message.h"
#include "platform/window/window.h"
#include "tests/audio/audio_fixture.h"
#include "tools/audio/theora_writer.h"

using namespace audiotest;

namespace {

constexpr uint32_t kColour = 0x2080C0;

class BinkPlayerTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        std::vector<uint32_t> colours(12, kColour);
        WriteFile("Data\\Video\\logo1.ogv", writer::EncodeSolidClip({ 64, 48, 25, 1, 48 }, colours));
        plat::window::ClearMessages();
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        desc.title = "video";
        desc.width = 320;
        desc.height = 240;
        desc.procedure = [this](plat::window::Window& window, const plat::window::Message& message) {
            if (message.kind == plat::window::MessageKind::KeyDown)
                m_keys.push_back(message.wParam);
            return plat::window::DefaultWindowProc(window, message);
        };
        m_window = plat::window::Window::Create(desc);
        ASSERT_NE(m_window, nullptr);
        // Clear what the new window reported about itself.
        plat::window::Message message;
        while (plat::window::PeekMessage(message, true)) { }
        m_player.SetPresenter([this](const plat::video::PictureView& picture) {
            ++m_presents;
            m_picture.assign(picture.pixels, picture.pixels + picture.width * picture.height);
            m_width = picture.width;
            m_height = picture.height;
        });
        // A counter that moves only when the pacer sleeps.
        m_player.SetPacerClock([this] { return m_now; }, 1'000'000,
            [this](uint32_t ms) {
                m_sleeps.push_back(ms);
                m_now += int64_t(ms) * 1000;
            });
    }
    void TearDown() override
    {
        m_player.Close();
        m_window.reset();
        plat::window::ClearMessages();
        AudioTest::TearDown();
    }

    uint32_t PixelAt(uint32_t x, uint32_t y) const { return m_picture.at(size_t(y) * m_width + x); }
    void PostKey(uint8_t key)
    {
        plat::window::PostMessage({ m_window.get(), plat::window::MessageKind::KeyDown, key, 0, 0 });
    }

    std::unique_ptr<plat::window::Window> m_window;
    CBinkPlayer m_player;
    int m_presents = 0;
    std::vector<uint32_t> m_picture;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    int64_t m_now = 0;
    std::vector<uint32_t> m_sleeps;
    std::vector<uint32_t> m_keys;
};

void ExpectColour(uint32_t actual, uint32_t expected)
{
    for (int shift : { 16, 8, 0 })
        EXPECT_NEAR(int((actual >> shift) & 0xFF), int((expected >> shift) & 0xFF), 4) << std::hex << actual;
}

TEST(BinkPlayerNames, AnyExtensionBecomesOgv)
{
    EXPECT_EQ(CBinkPlayer::VideoName("Data\\Video\\logo1.bik"), "Data\\Video\\logo1.ogv");
    EXPECT_EQ(CBinkPlayer::VideoName("Data\\V.1\\intro"), "Data\\V.1\\intro.ogv");
    EXPECT_EQ(CBinkPlayer::VideoName("clip.ogv"), "clip.ogv");
    EXPECT_EQ(CBinkPlayer::VideoName("a.b.c"), "a.b.ogv");
}

TEST_F(BinkPlayerTest, AVideoIsCentredOrPlacedAtTheCorner)
{
    ASSERT_EQ(m_player.InitFullscreen(m_window.get(), 800, 600, 32), kSoundOk);
    EXPECT_TRUE(m_player.IsFullscreen());
    struct Case {
        int width, height, x, y;
    };
    const Case cases[] = {
        { 64, 48, 368, 276 }, { 799, 597, 0, 1 }, // odd leftovers: the extra pixel goes right and down
        { 800, 600, 0, 0 }, { 801, 100, 0, 0 }, // wider than the area
        { 100, 601, 0, 0 }, // taller than the area
    };
    for (const Case& c : cases) {
        m_player.Centre(c.width, c.height);
        EXPECT_EQ(m_player.GetX(), c.x) << c.width << "x" << c.height;
        EXPECT_EQ(m_player.GetY(), c.y) << c.width << "x" << c.height;
    }
    m_window->SetClientSize(101, 51);
    ASSERT_EQ(m_player.InitWindowed(m_window.get()), kSoundOk);
    EXPECT_EQ(m_player.GetAreaWidth(), 101);
    m_player.Centre(50, 20);
    EXPECT_EQ(m_player.GetX(), 25);
    EXPECT_EQ(m_player.GetY(), 15);
    EXPECT_EQ(m_player.InitWindowed(nullptr), kSoundFail);
}

TEST_F(BinkPlayerTest, ThePacerSleepsOnceAMillisecondIsOwed)
{
    for (int call = 0; call < 3; ++call)
        m_player.Wait(500);
    ASSERT_EQ(m_sleeps, std::vector<uint32_t> { 1 });
    // A sleep that runs 2 ms over is credited against the next calls.
    m_player.SetPacerClock([this] { return m_now; }, 1'000'000,
        [this](uint32_t ms) {
            m_sleeps.push_back(ms);
            m_now += int64_t(ms + 2) * 1000;
        });
    m_player.Wait(500); // pending 1000, overshoot -500: d = 1500, sleeps 1 (3 ms)
    EXPECT_EQ(m_sleeps.size(), 2u);
    // 1.5 ms of credit: four more calls before the debt passes 1 ms again.
    for (int call = 0; call < 4; ++call)
        m_player.Wait(500);
    EXPECT_EQ(m_sleeps.size(), 2u);
    m_player.Wait(500);
    EXPECT_EQ(m_sleeps.size(), 3u);
}

TEST_F(BinkPlayerTest, APlayedClipShowsEveryFrameCentredInTheWindow)
{
    ASSERT_EQ(m_player.InitWindowed(m_window.get()), kSoundOk);
    m_player.Play("Data\\Video\\logo1.bik", true);
    EXPECT_EQ(m_presents, 12);
    ASSERT_EQ(m_width, 320u);
    ASSERT_EQ(m_height, 240u);
    ExpectColour(PixelAt(160, 120), kColour);
    ExpectColour(PixelAt(128, 96), kColour);
    EXPECT_EQ(PixelAt(127, 120), 0u);
    EXPECT_EQ(PixelAt(160, 144), 0u);
    // Twelve frames at 25 a second take 11 frame times of paced waiting.
    EXPECT_NEAR(double(m_now), 440000, 2000);
}

TEST_F(BinkPlayerTest, FullScreenClearsTheAreaFirst)
{
    ASSERT_EQ(m_player.InitFullscreen(m_window.get(), 800, 600, 32), kSoundOk);
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_EQ(m_presents, 13);
    ASSERT_EQ(m_width, 800u);
    ExpectColour(PixelAt(400, 300), kColour);
    EXPECT_EQ(PixelAt(0, 0), 0u);
}

TEST_F(BinkPlayerTest, EscapeSkipsOnlyASkippableClip)
{
    ASSERT_EQ(m_player.InitWindowed(m_window.get()), kSoundOk);
    PostKey(plat::window::key::Escape);
    m_player.Play("Data\\Video\\logo1.bik", true);
    EXPECT_LT(m_presents, 12);
    EXPECT_TRUE(m_keys.empty());
    m_presents = 0;
    PostKey(plat::window::key::Escape);
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_EQ(m_presents, 12);
    EXPECT_EQ(m_keys, std::vector<uint32_t> { plat::window::key::Escape });
    // The window's close request skips too.
    m_presents = 0;
    plat::window::PostMessage({ m_window.get(), plat::window::MessageKind::SysCommand,
        uint32_t(plat::window::SysCommand::Close), 0, 0 });
    m_player.Play("Data\\Video\\logo1.bik", true);
    EXPECT_LT(m_presents, 12);
    EXPECT_TRUE(m_window->IsAlive());
}

TEST_F(BinkPlayerTest, ACloseOrTheStopCheckEndsEvenAnUnskippableClip)
{
    ASSERT_EQ(m_player.InitWindowed(m_window.get()), kSoundOk);
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_FALSE(m_player.Stopped());
    m_presents = 0;
    plat::window::PostMessage({ m_window.get(), plat::window::MessageKind::Close, 0, 0, 0 });
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_LT(m_presents, 12);
    EXPECT_TRUE(m_player.Stopped());

    // The stop check (a termination signal) is polled between frames.
    bool signalled = true;
    m_player.SetStopCheck([&] { return signalled; });
    m_presents = 0;
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_LT(m_presents, 12);
    EXPECT_TRUE(m_player.Stopped());
    m_player.SetStopCheck({});
}

TEST_F(BinkPlayerTest, AMissingFilePlaysNothing)
{
    ASSERT_EQ(m_player.InitFullscreen(m_window.get(), 800, 600, 32), kSoundOk);
    m_player.Play("Data\\Video\\logo9.bik", true);
    EXPECT_EQ(m_presents, 0);
    EXPECT_TRUE(m_sleeps.empty());
    CBinkPlayer unopened;
    unopened.Play("Data\\Video\\logo1.bik", true);
}

TEST_F(BinkPlayerTest, AFailedLockSkipsThePictureWithALogLine)
{
    ASSERT_EQ(m_player.InitWindowed(m_window.get()), kSoundOk);
    m_player.GetSurface()->ForceLockFailure(true);
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_EQ(m_presents, 0);
    EXPECT_TRUE(LogHas("CBinkPlayer::ShowFrame Can`t lock surface"));
    m_player.GetSurface()->ForceLockFailure(false);
    m_player.GetSurface()->ForceLost(3);
    m_player.Play("Data\\Video\\logo1.bik", false);
    EXPECT_EQ(m_presents, 12);
}

} // namespace
