// zoq-tex run as a program, and the writers it shares with the demo data.
#include "tools/texture/font_file.h"
#include "tools/texture/tm_file.h"

#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/le_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace tex = zoq::tools::texture;

namespace {

class ZoqTexTest : public zoq::test::TempDirTest {
protected:
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // The tool with the arguments (words apart).
    static zoq::test::RunResult Tex(const std::string& arguments)
    {
        std::vector<std::string> words;
        std::istringstream text(arguments);
        for (std::string word; text >> word;)
            words.push_back(word);
        return zoq::test::RunProgram(ZOQ_TEX_PROGRAM, words);
    }

    // A smooth gradient with alpha, written as a PNG.
    tex::Picture WriteGradient(const std::string& name, uint32_t side)
    {
        tex::Picture picture { side, side, {} };
        tex::Bytes rgba;
        for (uint32_t y = 0; y < side; ++y) {
            for (uint32_t x = 0; x < side; ++x) {
                const uint32_t r = x * 255 / (side - 1), g = y * 255 / (side - 1),
                               b = (x + y) * 255 / (2 * side - 2);
                const uint32_t a = 255 - x * 128 / (side - 1);
                picture.argb.push_back(a << 24 | r << 16 | g << 8 | b);
                rgba.insert(rgba.end(), { uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a) });
            }
        }
        std::string error;
        EXPECT_TRUE(tex::WritePng(Path(name), side, side, rgba, error)) << error;
        return picture;
    }
};

} // namespace

TEST_F(ZoqTexTest, makeInfoAndPngAgree)
{
    const tex::Picture picture = WriteGradient("a.png", 256);
    zoq::test::RunResult make = Tex("make " + Path("a.png") + " " + Path("a.TM") + " --format 22");
    EXPECT_EQ(make.exitCode, 0) << make.err;
    EXPECT_EQ(make.out, "width 256 height 256 format 22 levels 9 compressed 0\n");
    EXPECT_EQ(Tex("info " + Path("a.TM")).out, "width 256 height 256 format 22 levels 9 compressed 0\n");

    zoq::test::RunResult png = Tex("png " + Path("a.TM") + " " + Path("b.png") + " --reduction 1 --bits 16");
    EXPECT_EQ(png.exitCode, 0) << png.err;
    EXPECT_EQ(png.out, "128 128\n");
    tex::Picture half;
    std::string error;
    ASSERT_TRUE(tex::ReadPng(Path("b.png"), half, error)) << error;
    ASSERT_EQ(half.width, 128u);
    // R5G6B5 of level 1, widened by bit replication, alpha 255.
    const tex::Picture level1 = tex::BuildLevels(picture, 2)[1];
    for (size_t i = 0; i < half.argb.size(); i += 97) {
        const uint32_t want = level1.argb[i];
        const uint32_t r5 = (want >> 19) & 31, g6 = (want >> 10) & 63, b5 = (want >> 3) & 31;
        const uint32_t expected
            = 0xFF000000u | ((r5 << 3 | r5 >> 2) << 16) | ((g6 << 2 | g6 >> 4) << 8) | (b5 << 3 | b5 >> 2);
        ASSERT_EQ(half.argb[i], expected) << i;
    }

    make = Tex("make " + Path("a.png") + " " + Path("c.TM") + " --format 21");
    EXPECT_EQ(make.out, "width 256 height 256 format 21 levels 9 compressed 0\n");
    png = Tex("png " + Path("c.TM") + " " + Path("c.png"));
    EXPECT_EQ(png.out, "256 256\n");
    tex::Picture exact;
    ASSERT_TRUE(tex::ReadPng(Path("c.png"), exact, error)) << error;
    EXPECT_EQ(exact.argb, picture.argb);
}

TEST_F(ZoqTexTest, dxt5KeepsBlockLevelsAndStaysClose)
{
    const tex::Picture picture = WriteGradient("d.png", 256);
    zoq::test::RunResult make = Tex("make " + Path("d.png") + " " + Path("d.TM") + " --format dxt5");
    EXPECT_EQ(make.exitCode, 0) << make.err;
    EXPECT_EQ(make.out, "width 256 height 256 format dxt5 levels 7 compressed 1\n");
    zoq::test::RunResult png = Tex("png " + Path("d.TM") + " " + Path("e.png"));
    EXPECT_EQ(png.out, "256 256\n");
    tex::Picture decoded;
    std::string error;
    ASSERT_TRUE(tex::ReadPng(Path("e.png"), decoded, error)) << error;
    double total[4] = {};
    for (size_t i = 0; i < picture.argb.size(); ++i)
        for (int c = 0; c < 4; ++c)
            total[c] += std::abs(
                int((picture.argb[i] >> (8 * c)) & 255) - int((decoded.argb[i] >> (8 * c)) & 255));
    for (int c = 0; c < 4; ++c)
        EXPECT_LE(total[c] / double(picture.argb.size()), 8.0) << c;

    // The header's level count sits at +20; the unread bytes stay zero.
    Bytes header = zoq::test::ReadBytes(Path("d.TM"));
    header.resize(76);
    EXPECT_EQ(header[20], 7);
    EXPECT_EQ(header[16], 1);
    for (int i = 24; i < 76; ++i)
        EXPECT_EQ(header[i], 0) << i;
}

TEST_F(ZoqTexTest, refusalsAndUsage)
{
    Bytes header = zoq::test::LeBytes(16u, 16u, 7u);
    header.resize(19 * 4);
    zoq::test::WriteBytes(Path("bad.TM"), header);
    zoq::test::RunResult info = Tex("info " + Path("bad.TM"));
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.err, "zoq-tex: " + Path("bad.TM") + ": unknown pixel format\n");
    EXPECT_EQ(Tex("png " + Path("bad.TM") + " " + Path("x.png")).exitCode, 1);
    EXPECT_EQ(Tex("info " + Path("missing.TM")).exitCode, 1);

    WriteGradient("odd.png", 3);
    zoq::test::RunResult odd = Tex("make " + Path("odd.png") + " " + Path("odd.TM") + " --format 22");
    EXPECT_EQ(odd.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("odd.TM")));

    for (const char* arguments : { "", "info", "make a.png b.TM --format 23", "png a.TM b.png --bits 8",
             "png a.TM b.png --reduction", "convert a b" })
        EXPECT_EQ(Tex(arguments).exitCode, 2) << arguments;
}

TEST(FontFileTest, kwdLayout)
{
    tex::FontFile font;
    font.metrics[0] = 12;
    font.metrics[2] = 4;
    font.glyphs.push_back({ 0x0410, 1, 2, 9, 0, 8, 13 });
    font.texture = { 8, 4, std::vector<uint32_t>(32, 0xFFFFFFFF) };
    const tex::Bytes kwd = tex::EncodeKwd(font);
    ASSERT_EQ(kwd.size(), 128u + 28u);
    auto u32 = [&](size_t at) {
        return uint32_t(kwd[at] | kwd[at + 1] << 8 | kwd[at + 2] << 16 | kwd[at + 3] << 24);
    };
    EXPECT_EQ(u32(60), 8u);
    EXPECT_EQ(u32(64), 4u);
    EXPECT_EQ(u32(68), 1u);
    EXPECT_EQ(u32(72), 12u);
    EXPECT_EQ(u32(80), 4u);
    EXPECT_EQ(u32(128), 0x0410u);
    EXPECT_EQ(u32(128 + 12), 9u);
    EXPECT_EQ(u32(128 + 24), 13u);
    EXPECT_EQ(tex::EncodeDds32(font.texture).size(), 128u + 32 * 4);
}
