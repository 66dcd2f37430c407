// The cockpit scanner: columns of bearings, spikes across the wrap, the painted pixels and their
// alpha nibbles, read back from the locked painted texture on the null backend.
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "platform/gfx/resource.h"
#include "render/CTexture.h"
#include "tests/render/render_fixture.h"
#include "ui/ScannerTexture.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

class ScannerTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
        ASSERT_TRUE(CreateScannerTextures());
        m_savedView = ViewFrame;
        m_savedClock = GameClock;
        ScannerRandomState = 12345;
        // A grid of 2 x 2 cells without terrain: the radius queries find the objects filed in it.
        Location.blocksX = Location.blocksY = 2;
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.blocksX = Location.blocksY = 0;
        ViewFrame = m_savedView;
        GameClock = m_savedClock;
        ReleaseScannerTextures();
        RenderTest::TearDown();
    }

    uint16_t Pixel(int x, int y)
    {
        plat::gfx::Texture* texture = ScannerSystemTexture()->GetTexture();
        plat::gfx::LockedRect locked;
        EXPECT_FALSE(plat::gfx::Failed(texture->LockRect(0, locked, nullptr, 0)));
        uint16_t pixel;
        std::memcpy(&pixel, static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 2, 2);
        texture->UnlockRect(0);
        return pixel;
    }

    // Paints channels into the locked texture at a clock where every column's factor is 1 in
    // column 0.
    void Paint(const SScannerChannels& channels, double clock)
    {
        plat::gfx::Texture* texture = ScannerSystemTexture()->GetTexture();
        plat::gfx::LockedRect locked;
        ASSERT_FALSE(plat::gfx::Failed(texture->LockRect(0, locked, nullptr, 0)));
        PaintScannerRows(channels, clock, static_cast<uint8_t*>(locked.bits), locked.pitch);
        texture->UnlockRect(0);
    }

    CViewFrame m_savedView;
    double m_savedClock = 0.0;
};

TEST(ScannerColumnTest, bearingsMapToTheSpreadColumns)
{
    // View heading along +y: base = (0 + pi) / pi x 64 = 64.
    const float base = 64.0f;
    struct Case {
        float bearing;
        int column;
    };
    const Case cases[] = {
        { 0.0f, 64 }, // straight ahead
        { kPi, 0 }, // straight behind
        { -kPi / 2, 109 }, // u = 32: trunc(109.25)
        { kPi / 2, 18 }, // u = -32: trunc(18.75)
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScannerColumn(base, c.bearing), c.column) << c.bearing;
}

TEST(ScannerSpikeTest, spikesPastTheLastColumnContinueAtColumnZero)
{
    ScannerRandomState = 7;
    float channel[kScannerWidth] = {};
    AddScannerSpike(channel, 127, 10.0f, 2);
    EXPECT_GT(channel[127], 0.0f);
    EXPECT_GT(channel[0], 0.0f);
    EXPECT_GT(channel[1], 0.0f);
    EXPECT_GT(channel[125], 0.0f);
    EXPECT_EQ(channel[2], 0.0f);
    EXPECT_EQ(channel[124], 0.0f);
    // The centre gets a x (0.8 + (r mod 10000) x 0.00004) with r the next state.
    const int32_t r = int32_t((7LL * 9301 + 49297) % 233280);
    EXPECT_FLOAT_EQ(channel[127], 10.0f * (0.8f + float(r % 10000) * 0.00004f));
}

TEST_F(ScannerTest, clearedRowsAreOpaqueBlackAndAnEmptyFrameIsTransparent)
{
    ClearScannerTexture();
    EXPECT_EQ(Pixel(0, 11), 0xF000);
    EXPECT_EQ(Pixel(127, 52), 0xF000);
    EXPECT_EQ(Pixel(5, 10), 0x0000);
    ViewFrame.position = { 0.0f, 0.0f, 0.0f };
    ViewFrame.forward = { 0.0f, 1.0f, 0.0f };
    UpdateScannerTexture();
    for (int y = 11; y <= 52; ++y) {
        for (int x = 0; x < kScannerWidth; ++x)
            ASSERT_EQ(Pixel(x, y), 0x0000) << x << "," << y;
    }
}

TEST_F(ScannerTest, aThingAheadShowsAtTheMiddleAndATakenOneDoesNot)
{
    ViewFrame.position = { 0.0f, 0.0f, 0.0f };
    ViewFrame.forward = { 0.0f, 1.0f, 0.0f };
    auto* thing = new CTheThing();
    thing->frame.position = { 0.0f, 100.0f, 0.0f };
    ObjectList.AddObject(thing);
    GameClock = kPi / 20.0; // the centre column's factor |sin(10t + 19.2)| stays well above 0
    UpdateScannerTexture();
    EXPECT_EQ(Pixel(64, 32) & 0x0FFF, 0x085F); // blue-violet in the middle row
    thing->onGround = 0;
    UpdateScannerTexture();
    EXPECT_EQ(Pixel(64, 31), 0x0000);
}

TEST_F(ScannerTest, edgeRowsAndEveryThirdColumnHalveTheAlphaNibble)
{
    SScannerChannels channels {};
    channels.glider[0] = 0.0f;
    channels.building[0] = 5.5f; // rows with d < 5.5; the edge row is d = 5
    channels.building[1] = 5.5f;
    const double clock = kPi / 20.0; // f = 1 in column 0
    Paint(channels, clock);
    EXPECT_EQ(Pixel(0, 32 + 4), 0x40F0); // column 0 is a third column
    EXPECT_EQ(Pixel(0, 32 + 5), 0x20F0); // and the edge row: quartered
    EXPECT_EQ(Pixel(0, 32 + 6), 0x0000);
    // The same edge row matched by a second channel is still halved once for them.
    channels.thing[0] = 5.2f;
    Paint(channels, clock);
    EXPECT_EQ(Pixel(0, 32 + 5), 0x20F0);
    // A column that is not a third one keeps the full alpha inside the spike.
    const float f = float(std::fabs(std::sin(10.0 * clock + 0.3)) * 0.75 + 0.25);
    channels.building[1] = 5.5f / f;
    Paint(channels, clock);
    EXPECT_EQ(Pixel(1, 32 + 4), 0x80F0);
    // Rows outside 11..52 are never written.
    EXPECT_EQ(Pixel(0, 10), 0x0000);
}

} // namespace
