#include "platform/video/surface.h"
#include "platform/video/video_file.h"
#include "tests/support/temp_dir.h"
#include "tools/audio/theora_writer.h"
#include "tools/audio/vorbis_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace plat::video;
namespace writer = zoq::tools::audio;

namespace {

std::vector<uint32_t> Colours(size_t n)
{
    std::vector<uint32_t> colours;
    for (size_t i = 0; i < n; ++i)
        colours.push_back(0x204060u + uint32_t(i) * 0x0A0B0C);
    return colours;
}

void ExpectColour(uint32_t actual, uint32_t expected, int tolerance = 4)
{
    for (int shift : { 16, 8, 0 }) {
        const int a = (actual >> shift) & 0xFF;
        const int e = (expected >> shift) & 0xFF;
        EXPECT_NEAR(a, e, tolerance) << std::hex << actual << " vs " << expected;
    }
}

TEST(VideoFile, AGeneratedClipGivesItsSizeCountAndColours)
{
    const auto colours = Colours(12);
    const auto clip = writer::EncodeSolidClip({ 64, 48, 25, 1, 48 }, colours);
    ASSERT_FALSE(clip.empty());
    VideoFile video;
    ASSERT_TRUE(video.OpenMemory(clip));
    EXPECT_EQ(video.Width(), 64u);
    EXPECT_EQ(video.Height(), 48u);
    EXPECT_EQ(video.FrameCount(), 12u);
    EXPECT_DOUBLE_EQ(video.FramesPerSecond(), 25.0);
    for (uint32_t frame = 1; frame <= 12; ++frame) {
        ASSERT_EQ(video.FrameNum(), frame);
        ASSERT_TRUE(video.DoFrame());
        ExpectColour(video.Picture()[24 * 64 + 32], colours[frame - 1]);
        ExpectColour(video.Picture()[0], colours[frame - 1]);
        video.NextFrame();
    }
    EXPECT_EQ(video.FrameNum(), 12u);
}

TEST(VideoFile, PictureSizesThatAreNoMultipleOfSixteenKeepTheirRegion)
{
    const auto clip = writer::EncodeSolidClip({ 70, 30, 10, 1, 48 }, Colours(3));
    VideoFile video;
    ASSERT_TRUE(video.OpenMemory(clip));
    EXPECT_EQ(video.Width(), 70u);
    EXPECT_EQ(video.Height(), 30u);
    ASSERT_TRUE(video.DoFrame());
    ExpectColour(video.Picture()[29 * 70 + 69], Colours(1)[0]);
}

TEST(VideoFile, FramesAreDueAtTheFrameRateOnTheCounter)
{
    int64_t now = 5'000'000'000;
    VideoFile video([&] { return now; });
    ASSERT_TRUE(video.OpenMemory(writer::EncodeSolidClip({ 32, 32, 25, 1, 48 }, Colours(3))));
    EXPECT_FALSE(video.Wait()); // the first frame is due at once
    video.DoFrame();
    video.NextFrame();
    EXPECT_TRUE(video.Wait());
    now += 39'000'000;
    EXPECT_TRUE(video.Wait());
    now += 1'000'000;
    EXPECT_FALSE(video.Wait());
    video.NextFrame();
    now += 39'999'999;
    EXPECT_TRUE(video.Wait());
    now += 1;
    EXPECT_FALSE(video.Wait());
}

TEST(VideoFile, CopyToBufferClipsToTheDestination)
{
    const uint32_t colour = 0xC08040;
    VideoFile video;
    ASSERT_TRUE(video.OpenMemory(writer::EncodeSolidClip({ 16, 16, 25, 1, 60 }, { &colour, 1 })));
    ASSERT_TRUE(video.DoFrame());
    struct Case {
        const char* name;
        int32_t x, y;
        uint32_t destHeight;
        int firstCol, lastCol, firstRow, lastRow; // painted region, inclusive
    };
    // Destination 20 x 20 pixels.
    const Case cases[] = {
        { "inside", 2, 3, 20, 2, 17, 3, 18 },
        { "left and top cut", -4, -6, 20, 0, 11, 0, 9 },
        { "right and bottom cut", 10, 12, 20, 10, 19, 12, 19 },
        { "height limit", 0, 0, 8, 0, 15, 0, 7 },
        { "outside", 25, 0, 20, -1, -1, -1, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> dest(20 * 20, 0xFFFFFFFF);
        video.CopyToBuffer(reinterpret_cast<uint8_t*>(dest.data()), 80, c.destHeight, c.x, c.y);
        for (int row = 0; row < 20; ++row) {
            for (int col = 0; col < 20; ++col) {
                const bool painted = col >= c.firstCol && col <= c.lastCol && row >= c.firstRow
                    && row <= c.lastRow && c.firstCol >= 0;
                const uint32_t p = dest[row * 20 + col];
                if (painted)
                    ExpectColour(p, colour);
                else
                    ASSERT_EQ(p, 0xFFFFFFFFu) << row << "," << col;
            }
        }
    }
}

TEST(VideoFile, OnlyTheTheoraStreamIsRead)
{
    // A sound stream before the video, as a chained file holds it.
    std::vector<float> silence(2 * 4410, 0.0f);
    auto bytes = writer::EncodeVorbis(silence, 2, 44100, { 0.2f, 9 });
    const uint32_t colour = 0x3060A0;
    const auto clip = writer::EncodeSolidClip({ 32, 32, 25, 1, 48 }, { &colour, 1 });
    bytes.insert(bytes.end(), clip.begin(), clip.end());
    VideoFile video;
    ASSERT_TRUE(video.OpenMemory(bytes));
    EXPECT_EQ(video.FrameCount(), 1u);
    ASSERT_TRUE(video.DoFrame());
    ExpectColour(video.Picture()[0], colour);
}

TEST(VideoFile, FilesWithoutAVideoDoNotOpen)
{
    VideoFile video;
    EXPECT_FALSE(video.Open("/nonexistent/clip.ogv"));
    std::vector<float> silence(4410, 0.0f);
    EXPECT_FALSE(video.OpenMemory(writer::EncodeVorbis(silence, 1, 44100)));
    const std::vector<uint8_t> garbage(5000, 0x4F);
    EXPECT_FALSE(video.OpenMemory(garbage));
    auto clip = writer::EncodeSolidClip({ 32, 32, 25, 1, 48 }, Colours(2));
    clip.resize(clip.size() / 10); // the headers cut off
    EXPECT_FALSE(video.OpenMemory(clip));
    EXPECT_FALSE(video.IsOpen());
    EXPECT_FALSE(video.Wait());
    EXPECT_FALSE(video.DoFrame());
}

TEST(VideoFile, OpensAFileFromDisk)
{
    const zoq::test::TempDir dir("video");
    const auto clip = writer::EncodeSolidClip({ 32, 32, 25, 1, 48 }, Colours(4));
    std::string error;
    ASSERT_TRUE(writer::WriteBytes(dir / "a.ogv", clip, error)) << error;
    VideoFile video;
    EXPECT_TRUE(video.Open((dir / "a.ogv").string()));
    EXPECT_EQ(video.FrameCount(), 4u);
}

TEST(Surface, UnlockAndFillShowThePicture)
{
    std::vector<uint32_t> shown;
    int presents = 0;
    Surface surface(8, 4, [&](const PictureView& picture) {
        ++presents;
        EXPECT_EQ(picture.width, 8u);
        EXPECT_EQ(picture.height, 4u);
        EXPECT_EQ(picture.pitch, 32u);
        shown.assign(picture.pixels, picture.pixels + 32);
    });
    surface.Fill(0xFF123456);
    EXPECT_EQ(presents, 1);
    EXPECT_EQ(shown[31], 0x123456u);
    uint8_t* bits = nullptr;
    uint32_t pitch = 0;
    ASSERT_EQ(surface.Lock(bits, pitch), SurfaceResult::Ok);
    EXPECT_EQ(surface.Lock(bits, pitch), SurfaceResult::Fail); // already locked
    ASSERT_EQ(surface.Lock(bits, pitch), SurfaceResult::Fail);
    surface.Unlock();
    ASSERT_EQ(surface.Lock(bits, pitch), SurfaceResult::Ok);
    reinterpret_cast<uint32_t*>(bits + pitch)[2] = 0xABCDEF;
    EXPECT_EQ(presents, 2);
    surface.Unlock();
    EXPECT_EQ(presents, 3);
    EXPECT_EQ(shown[8 + 2], 0xABCDEFu);

    surface.ForceLost(1);
    EXPECT_EQ(surface.Lock(bits, pitch), SurfaceResult::Lost);
    EXPECT_EQ(surface.Restore(), SurfaceResult::Lost);
    EXPECT_EQ(surface.Restore(), SurfaceResult::Ok);
    EXPECT_EQ(surface.Lock(bits, pitch), SurfaceResult::Ok);
    surface.Unlock();
    surface.ForceLockFailure(true);
    EXPECT_EQ(surface.Lock(bits, pitch), SurfaceResult::Fail);
    EXPECT_EQ(surface.SurfaceType(), kSurfaceXrgb8888);
}

} // namespace
