// Pictures shown into a window on the null backend: where they go, which pictures are refused,
// a lost device, and the device-less form.
#include "tests/platform/gfx/gfx_fixture.h"

#include "platform/gfx/picture.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace plat::gfx::test {
namespace {

TEST(FitPicture, keepsTheAspectCentredWithTheOddPixelRightAndBelow)
{
    struct Row {
        uint32_t pw, ph, ww, wh;
        Rect expected;
    };
    const Row rows[] = {
        { 320, 240, 320, 240, { 0, 0, 320, 240 } }, // 1:1
        { 800, 600, 1024, 768, { 0, 0, 1024, 768 } }, // same aspect, scaled up
        { 800, 600, 1280, 720, { 160, 0, 1120, 720 } }, // bars left and right
        { 800, 600, 640, 640, { 0, 80, 640, 560 } }, // bars above and below
        { 800, 600, 101, 100, { 0, 12, 101, 88 } }, // 75.75 rounds to 76; 24 left over, 12 above
        { 4, 3, 10, 4, { 2, 0, 7, 4 } }, // 5.33 -> 5; 5 left over: 2 left, 3 right
        { 2, 1, 6, 5, { 0, 1, 6, 4 } }, // 3 high; 2 left over: 1 above, 1 below
        { 1000, 1, 10, 10, { 0, 4, 10, 5 } }, // never thinner than a pixel
        { 0, 10, 10, 10, {} },
        { 10, 10, 0, 10, {} },
    };
    for (const Row& r : rows) {
        EXPECT_EQ(FitPicture(r.pw, r.ph, r.ww, r.wh), r.expected)
            << r.pw << "x" << r.ph << " in " << r.ww << "x" << r.wh;
    }
}

std::vector<uint32_t> Pixels(uint32_t width, uint32_t height, uint32_t pitchPixels)
{
    std::vector<uint32_t> pixels(size_t(pitchPixels) * height, 0xDEAD00u);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            pixels[size_t(y) * pitchPixels + x] = y << 8 | x;
    return pixels;
}

TEST_F(GfxTest, aDevicePictureIsRecordedFittedIntoTheWindowWithItsRowsPacked)
{
    CreateWindowed();
    m_window.size = { 1280, 720 };
    // Rows six pixels apart, four of them used.
    std::vector<uint32_t> pixels = Pixels(4, 3, 6);
    EXPECT_EQ(PresentPicture(m_device, nullptr, { pixels.data(), 4, 3, 24 }), Result::Ok);
    ASSERT_EQ(Null().Pictures().size(), 1u);
    const null::PictureRecord& record = Null().Pictures()[0];
    EXPECT_EQ(record.width, 4u);
    EXPECT_EQ(record.height, 3u);
    EXPECT_EQ(record.pitch, 24u);
    EXPECT_EQ(record.target, &m_window);
    EXPECT_EQ(record.output, (Rect { 160, 0, 1120, 720 }));
    EXPECT_EQ(Null().LastPicture(),
        (std::vector<uint32_t> {
            0x000, 0x001, 0x002, 0x003, 0x100, 0x101, 0x102, 0x103, 0x200, 0x201, 0x202, 0x203 }));
    // The device-less output saw nothing, and nothing else was drawn or presented.
    EXPECT_TRUE(null::WindowPictures().empty());
    EXPECT_TRUE(Null().Draws().empty());
    EXPECT_TRUE(Null().Presents().empty());
}

TEST_F(GfxTest, badPicturesAreRefusedAndALostDeviceShowsNone)
{
    CreateWindowed();
    std::vector<uint32_t> pixels(64 * 64);
    struct Row {
        const char* what;
        Picture picture;
    };
    const Row rows[] = {
        { "no pixels", { nullptr, 4, 4, 16 } },
        { "no width", { pixels.data(), 0, 4, 16 } },
        { "no height", { pixels.data(), 4, 0, 16 } },
        { "pitch shorter than a row", { pixels.data(), 4, 4, 12 } },
        { "pitch of part of a pixel", { pixels.data(), 4, 4, 18 } },
        { "too wide", { pixels.data(), kMaxPictureSide + 1, 1, (kMaxPictureSide + 1) * 4 } },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PresentPicture(m_device, nullptr, row.picture), Result::InvalidCall) << row.what;
    }
    FakeWindow other;
    EXPECT_EQ(PresentPicture(nullptr, nullptr, { pixels.data(), 4, 4, 16 }), Result::InvalidCall)
        << "no window";
    EXPECT_EQ(PresentPicture(nullptr, &other, { nullptr, 4, 4, 16 }), Result::InvalidCall);

    m_device->SetForcedLoss(true);
    EXPECT_EQ(PresentPicture(m_device, nullptr, { pixels.data(), 4, 4, 16 }), Result::DeviceLost);
    EXPECT_TRUE(Null().Pictures().empty());
    m_device->SetForcedLoss(false);
    EXPECT_EQ(PresentPicture(m_device, nullptr, { pixels.data(), 4, 4, 16 }), Result::DeviceLost)
        << "until Reset";
    PresentParameters params = Windowed();
    ASSERT_EQ(m_device->Reset(params), Result::Ok);
    EXPECT_EQ(PresentPicture(m_device, nullptr, { pixels.data(), 4, 4, 16 }), Result::Ok);
    EXPECT_EQ(Null().Pictures().size(), 1u);
}

// The device-less form on the backend ZOQ_GFX names.
class WindowPictureTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        ReleasePictureOutput();
        null::ClearWindowPictures();
    }
    void TearDown() override
    {
        ReleasePictureOutput();
        null::ClearWindowPictures();
        GfxTest::TearDown();
    }

    zoq::test::ScopedEnv m_backend { "ZOQ_GFX", "null" };
};

TEST_F(WindowPictureTest, withoutADeviceThePictureGoesOnTheWindowGiven)
{
    m_window.size = { 800, 600 };
    std::vector<uint32_t> pixels = Pixels(2, 2, 2);
    EXPECT_EQ(PresentPicture(nullptr, &m_window, { pixels.data(), 2, 2, 8 }), Result::Ok);
    FakeWindow other;
    other.size = { 100, 300 };
    EXPECT_EQ(PresentPicture(nullptr, &other, { pixels.data(), 2, 2, 8 }), Result::Ok);
    const std::vector<null::PictureRecord>& records = null::WindowPictures();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].target, &m_window);
    EXPECT_EQ(records[0].output, (Rect { 100, 0, 700, 600 }));
    EXPECT_EQ(records[1].target, &other);
    EXPECT_EQ(records[1].output, (Rect { 0, 100, 100, 200 }));
    EXPECT_EQ(null::LastWindowPicture(), (std::vector<uint32_t> { 0x000, 0x001, 0x100, 0x101 }));

    // A device takes over: the picture goes through it, not the device-less output.
    CreateWindowed();
    EXPECT_EQ(PresentPicture(m_device, &other, { pixels.data(), 2, 2, 8 }), Result::Ok);
    EXPECT_EQ(null::WindowPictures().size(), 2u);
    EXPECT_EQ(Null().Pictures().size(), 1u);
}

} // namespace
} // namespace plat::gfx::test
