// The radar map writer: header, tile order and padding; the painted location; zoq-radar make and
// info on a picture and on a cut file.
#include "tools/radar/radar_writer.h"

#include "platform/gfx/d3dx/dxt.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/le_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "tools/texture/image_files.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using zoq::test::RunProgram;
using zoq::test::U32At;
using zoq::tools::radar::RadarPicture;

constexpr size_t kTileBytes = 4096;

// The colour of pixel (x, y) of tile index t, decoded.
uint32_t Decoded(const Bytes& file, size_t t, uint32_t x, uint32_t y)
{
    uint32_t block[16];
    const size_t at = 16 + t * kTileBytes + size_t(y / 4) * 256 + size_t(x / 4) * 16;
    plat::gfx::d3dx::DecodeDxtBlock(plat::gfx::Format::Dxt3, file.data() + at, block);
    return block[(y % 4) * 4 + x % 4];
}

RadarPicture Quarters(uint32_t w, uint32_t h)
{
    RadarPicture picture { w, h, std::vector<uint32_t>(size_t(w) * h) };
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            picture.argb[size_t(y) * w + x] = x < 64 ? (y < 64 ? 0xFFFF0000u : 0xFF0000FFu) : 0xFF00FF00u;
    return picture;
}

TEST(RadarWriterTest, writesTheHeaderAndTilesRowByRowPaddedWithBlack)
{
    const Bytes file = zoq::tools::radar::WriteRadarMap(Quarters(100, 70));
    ASSERT_EQ(file.size(), 16u + 4 * kTileBytes);
    EXPECT_EQ(U32At(file, 0), 16u);
    EXPECT_EQ(U32At(file, 4), 0u);
    EXPECT_EQ(U32At(file, 8), 100u);
    EXPECT_EQ(U32At(file, 12), 70u);
    EXPECT_EQ(Decoded(file, 0, 10, 10), 0xFFFF0000u);
    EXPECT_EQ(Decoded(file, 1, 10, 10), 0xFF00FF00u);
    EXPECT_EQ(Decoded(file, 2, 10, 2), 0xFF0000FFu);
    EXPECT_EQ(Decoded(file, 1, 40, 10), 0xFF000000u); // x 104: past the picture
    EXPECT_EQ(Decoded(file, 3, 10, 10), 0xFF000000u); // y 74
}

TEST(RadarWriterTest, refusesSidesOutsideTheFormatAndMismatchedPixels)
{
    EXPECT_THROW(zoq::tools::radar::WriteRadarMap({ 0, 1, {} }), std::invalid_argument);
    EXPECT_THROW(zoq::tools::radar::WriteRadarMap({ 2, 2, { 1, 2, 3 } }), std::invalid_argument);
}

TEST(RadarWriterTest, paintsOneTilePerBlockWithWaterBlue)
{
    auto location = zoq::tools::map::LocationMap::Flat(130, 66);
    location.water[location.PointIndex(5, 5)] = 1;
    const RadarPicture picture = zoq::tools::radar::PaintLocation(location);
    EXPECT_EQ(picture.width, uint32_t(64 * location.BlocksX()));
    EXPECT_EQ(picture.height, uint32_t(64 * location.BlocksY()));
    const uint32_t water = picture.argb[5 * picture.width + 5];
    const uint32_t land = picture.argb[6 * picture.width + 6];
    EXPECT_NE(water, land);
    EXPECT_GT(water & 0xFFu, (water >> 16) & 0xFFu); // more blue than red
}

class RadarProgramTest : public zoq::test::TempDirTest { };

TEST_F(RadarProgramTest, makeThenInfoPrintsTheGridAndACutFileFails)
{
    const auto picture = Quarters(100, 70);
    zoq::test::WriteBytes(m_dir / "map.png", zoq::tools::texture::MakePng(picture.argb, 100, 70, true));
    const std::string map = (m_dir / "map.mmm").string();
    const auto made = RunProgram(ZOQ_RADAR_PROGRAM, { "make", (m_dir / "map.png").string(), map });
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto info = RunProgram(ZOQ_RADAR_PROGRAM, { "info", map });
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, "offset\t16\nsize\t100\t70\ntiles\t2\t2\nbytes\t16400\t16400\n");

    Bytes bytes = zoq::test::ReadBytes(map);
    bytes.pop_back();
    zoq::test::WriteBytes(m_dir / "cut.mmm", bytes);
    const std::string cut = (m_dir / "cut.mmm").string();
    const auto cutInfo = RunProgram(ZOQ_RADAR_PROGRAM, { "info", cut });
    EXPECT_EQ(cutInfo.exitCode, 1);
    EXPECT_EQ(cutInfo.out, "offset\t16\nsize\t100\t70\ntiles\t2\t2\nbytes\t16399\t16400\n");
    EXPECT_EQ(cutInfo.err, "zoq-radar: " + cut + ": shorter than its tiles\n");
}

TEST_F(RadarProgramTest, refusedHeadersAndBadArguments)
{
    Bytes header(16, 0);
    zoq::test::WriteBytes(m_dir / "zero.mmm", header);
    const std::string zero = (m_dir / "zero.mmm").string();
    const auto refused = RunProgram(ZOQ_RADAR_PROGRAM, { "info", zero });
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "offset\t0\nsize\t0\t0\n");
    EXPECT_EQ(refused.err, "zoq-radar: " + zero + ": width outside 1..65536\n");

    EXPECT_EQ(RunProgram(ZOQ_RADAR_PROGRAM, {}).exitCode, 2);
    EXPECT_EQ(RunProgram(ZOQ_RADAR_PROGRAM, { "make", "one" }).exitCode, 2);
    zoq::test::WriteText(m_dir / "text.png", "not a picture");
    EXPECT_EQ(
        RunProgram(ZOQ_RADAR_PROGRAM, { "make", (m_dir / "text.png").string(), (m_dir / "out.mmm").string() })
            .exitCode,
        1);
}

} // namespace
