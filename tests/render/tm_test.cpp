#include "tests/render/render_fixture.h"

#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/format.h"
#include "render/CTexture.h"
#include "render/TMReader.h"
#include "render/TextureFile.h"
#include "tests/support/le_bytes.h"
#include "tools/texture/tm_file.h"

#include <cstring>

using namespace plat::gfx;
namespace tex = zoq::tools::texture;

namespace {

using zoq::test::PutU32;

Bytes TmHeader(uint32_t width, uint32_t height, uint32_t format, uint32_t compressed, uint32_t levels)
{
    Bytes out(TMReader::kHeaderSize, 0);
    PutU32(out, 0, width);
    PutU32(out, 4, height);
    PutU32(out, 8, format);
    PutU32(out, 16, compressed);
    PutU32(out, 20, levels);
    return out;
}

// Bytes whose value tells where they lie.
void AppendPattern(Bytes& out, size_t n, uint32_t seed)
{
    for (size_t i = 0; i < n; ++i)
        out.push_back(uint8_t((i * 7 + seed * 31 + (i >> 8)) & 0xFF));
}

// Copies level `level` of a texture, row by row without the pitch.
Bytes LevelBytes(Texture* texture, uint32_t level)
{
    SurfaceDesc desc;
    texture->GetLevelDesc(level, desc);
    LockedRect rect;
    EXPECT_EQ(texture->LockRect(level, rect, nullptr, lock::kReadOnly), Result::Ok);
    const uint32_t rowBytes = RowPitch(desc.format, desc.width);
    const uint32_t rows = RowCount(desc.format, desc.height);
    Bytes out;
    for (uint32_t row = 0; row < rows; ++row) {
        const auto* bits = static_cast<const uint8_t*>(rect.bits) + size_t(row) * size_t(rect.pitch);
        out.insert(out.end(), bits, bits + rowBytes);
    }
    texture->UnlockRect(level);
    return out;
}

tex::Picture Gradient(uint32_t width, uint32_t height)
{
    tex::Picture picture { width, height, {} };
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            picture.argb.push_back(uint32_t(((x * 255 / std::max(width - 1, 1u)) ^ 0x35) << 24
                | (x * 255 / std::max(width - 1, 1u)) << 16 | (y * 255 / std::max(height - 1, 1u)) << 8
                | ((x + y) * 255 / std::max(width + height - 2, 1u))));
    return picture;
}

class TmTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
    }
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        WriteBytes(name, bytes);
        return name;
    }
};

} // namespace

TEST_F(TmTest, smallSidesLoadWholeAt32Bits)
{
    Bytes file = TmHeader(16, 16, 21, 0, 0);
    AppendPattern(file, 4 * 256, 1);
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile(Write("small.TM", file).c_str(), 16, 1, 0, true));
    EXPECT_EQ(texture.GetWidth(), 16);
    EXPECT_EQ(texture.GetHeight(), 16);
    EXPECT_EQ(texture.GetTexture()->GetFormat(), Format::A8R8G8B8);
    EXPECT_EQ(texture.GetTexture()->GetLevelCount(), 4u);
}

TEST_F(TmTest, reductionSkipsLevelZeroAndReadsPlaneAAt16Bits)
{
    const uint32_t p = 512 * 256;
    Bytes file = TmHeader(512, 256, 22, 0, 0);
    AppendPattern(file, 3 * p, 1);
    const size_t levelOne = file.size();
    ASSERT_EQ(levelOne, 76u + 3 * 131072u);
    AppendPattern(file, 3 * p / 4, 2);
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile(Write("wide.TM", file).c_str(), 16, 1, 0, true));
    EXPECT_EQ(texture.GetWidth(), 256);
    EXPECT_EQ(texture.GetHeight(), 128);
    Texture* t = texture.GetTexture();
    EXPECT_EQ(t->GetFormat(), Format::R5G6B5);
    EXPECT_EQ(t->GetLevelCount(), 7u);
    const Bytes top = LevelBytes(t, 0);
    ASSERT_EQ(top.size(), 2 * 32768u);
    EXPECT_TRUE(std::equal(top.begin(), top.end(), file.begin() + long(levelOne)));
}

TEST_F(TmTest, compressedReductionSeeksPastTheSkippedLevels)
{
    const uint32_t side = 2048;
    const uint32_t top = side * side;
    Bytes file = TmHeader(side, side, uint32_t(Format::Dxt5), 1, 10);
    for (uint32_t level = 0; level < 10; ++level)
        AppendPattern(file, top >> (2 * level), level);
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile(Write("big.TM", file).c_str(), 32, 2, 0, true));
    Texture* t = texture.GetTexture();
    EXPECT_EQ(t->GetFormat(), Format::Dxt5);
    EXPECT_EQ(t->GetLevelCount(), 8u);
    EXPECT_EQ(texture.GetWidth(), 512);
    const size_t first = 76 + top + top / 4;
    const Bytes level0 = LevelBytes(t, 0);
    ASSERT_EQ(level0.size(), size_t(512 * 512));
    EXPECT_TRUE(std::equal(level0.begin(), level0.end(), file.begin() + long(first)));
    const Bytes level7 = LevelBytes(t, 7);
    ASSERT_EQ(level7.size(), 16u);
    EXPECT_TRUE(std::equal(level7.begin(), level7.end(), file.end() - 16));
}

TEST_F(TmTest, compressedLevelsStopAtFourByFour)
{
    Bytes file = TmHeader(16, 8, uint32_t(Format::Dxt5), 1, 5);
    AppendPattern(file, 128 + 32 + 8 + 2 + 1, 3);
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile(Write("tiny.TM", file).c_str(), 32, 0, 0, true));
    EXPECT_EQ(texture.GetTexture()->GetLevelCount(), 2u);
}

TEST_F(TmTest, compressedSidesNeedOnlyBeMultiplesOfFour)
{
    for (const auto& [w, h] : { std::pair { 20u, 12u }, std::pair { 12u, 20u } }) {
        const tex::Picture picture = Gradient(w, h);
        std::string error;
        ASSERT_TRUE(tex::WriteTm("blocks.TM", picture, tex::TmFormat::Dxt5, error)) << error;
        for (const bool hardware : { true, false }) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << (hardware ? " uploaded" : " decoded"));
            g_Graphic.MutableCaps().dxt5Textures = hardware;
            CTexture texture;
            ASSERT_TRUE(texture.ReadImageFile("blocks.TM", 32, 0, 0, true));
            EXPECT_EQ(texture.GetWidth(), int32_t(w));
            EXPECT_EQ(texture.GetHeight(), int32_t(h));
            Texture* t = texture.GetTexture();
            // Half of either side is no longer whole blocks: the file holds one level.
            EXPECT_EQ(t->GetLevelCount(), 1u);
            const Bytes file = ReadBytes("blocks.TM");
            const Bytes top = LevelBytes(t, 0);
            if (hardware) {
                ASSERT_EQ(top.size(), size_t(w) * h);
                EXPECT_TRUE(std::equal(top.begin(), top.end(), file.begin() + TMReader::kHeaderSize));
                continue;
            }
            // The graphics layer's codec widens 5 and 6 bits by repeating their top bits; the
            // reader does not, so channels may differ by up to 7.
            std::vector<uint32_t> expected(size_t(w) * h);
            d3dx::DecodeDxt(
                Format::Dxt5, file.data() + TMReader::kHeaderSize, 4 * w, w, h, expected.data(), w);
            ASSERT_EQ(top.size(), 4 * expected.size());
            for (size_t i = 0; i < expected.size(); ++i) {
                uint32_t pixel;
                std::memcpy(&pixel, &top[4 * i], 4);
                for (uint32_t shift = 0; shift < 32; shift += 8)
                    ASSERT_NEAR(int(pixel >> shift & 0xFF), int(expected[i] >> shift & 0xFF), 8)
                        << "pixel " << i << " channel at bit " << shift;
            }
        }
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(TmTest, compressedReductionStopsAtTheLastLevelOfWholeBlocks)
{
    std::string error;
    ASSERT_TRUE(tex::WriteTm("reduce.TM", Gradient(136, 72), tex::TmFormat::Dxt5, error)) << error;
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile("reduce.TM", 32, 2, 0, true));
    EXPECT_EQ(texture.GetWidth(), 68); // 34 x 18 would split blocks
    EXPECT_EQ(texture.GetHeight(), 36);
    EXPECT_EQ(texture.GetTexture()->GetLevelCount(), 1u);
}

TEST_F(TmTest, alphaBlockGivesEightAlphas)
{
    uint8_t block[16] = { 255, 0 };
    // Pixels 0-7 take indices 0-7, lowest bits first.
    uint32_t bits = 0;
    for (uint32_t i = 0; i < 8; ++i)
        bits |= i << (3 * i);
    block[2] = uint8_t(bits);
    block[3] = uint8_t(bits >> 8);
    block[4] = uint8_t(bits >> 16);
    TextureFile decoder(4, 4);
    uint32_t pixels[16];
    decoder.DecodeBlock(block, pixels);
    const uint32_t expected[8] = { 255, 0, 218, 182, 145, 109, 72, 36 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pixels[i] >> 24, expected[i]) << i;

    // a0 <= a1: six values with 0 and 255 last.
    block[0] = 10;
    block[1] = 60;
    decoder.DecodeBlock(block, pixels);
    const uint32_t six[8] = { 10, 60, 20, 30, 40, 50, 0, 255 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pixels[i] >> 24, six[i]) << i;
}

TEST_F(TmTest, colourBlockAlwaysHasFourColours)
{
    uint8_t block[16] = {};
    // c0 = black below c1 = white: still two interpolated colours, no transparent black.
    block[10] = 0xFF;
    block[11] = 0xFF;
    block[12] = 0 | 1 << 2 | 2 << 4 | 3 << 6;
    TextureFile decoder(4, 4);
    uint32_t pixels[16];
    decoder.DecodeBlock(block, pixels);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(pixels[1] & 0xFFFFFF, 0xF8FCF8u); // no bit replication
    EXPECT_EQ(pixels[2] & 0xFFFFFF, 0x525452u); // (2 * c0 + c1) / 3
    EXPECT_EQ(pixels[3] & 0xFFFFFF, 0xA5A8A5u); // (c0 + 2 * c1) / 3
}

TEST_F(TmTest, writerRoundTripsThroughTheReader)
{
    const tex::Picture picture = Gradient(32, 16);
    for (tex::TmFormat format : { tex::TmFormat::Argb, tex::TmFormat::Xrgb }) {
        std::string error;
        ASSERT_TRUE(tex::WriteTm("round.TM", picture, format, error)) << error;
        CTexture texture;
        ASSERT_TRUE(texture.ReadImageFile("round.TM", 32, 0, 0, true));
        const Bytes top = LevelBytes(texture.GetTexture(), 0);
        ASSERT_EQ(top.size(), picture.argb.size() * 4);
        for (size_t i = 0; i < picture.argb.size(); ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, &top[4 * i], 4);
            if (format == tex::TmFormat::Argb)
                ASSERT_EQ(pixel, picture.argb[i]) << i;
            else
                ASSERT_EQ(pixel, picture.argb[i] & 0xFFFFFF) << i;
        }
        // The reader's own levels match the writer's, which use the same filter.
        const std::vector<tex::Picture> chain = tex::BuildLevels(picture, 3);
        const Bytes second = LevelBytes(texture.GetTexture(), 2);
        for (size_t i = 0; i < chain[2].argb.size(); ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, &second[4 * i], 4);
            const uint32_t mask = format == tex::TmFormat::Argb ? 0xFFFFFFFFu : 0xFFFFFFu;
            ASSERT_EQ(pixel & mask, chain[2].argb[i] & mask) << i;
        }
    }
}

TEST_F(TmTest, badFilesAreRefusedWithALogLine)
{
    const struct {
        const char* name;
        Bytes bytes;
    } rows[] = {
        { "zero.TM", TmHeader(0, 16, 21, 0, 0) },
        { "huge.TM", TmHeader(1u << 20, 16, 21, 0, 0) },
        { "format.TM", TmHeader(16, 16, 7, 0, 0) },
        { "side6.TM", TmHeader(6, 8, uint32_t(Format::Dxt5), 1, 1) },
        { "side18.TM", TmHeader(20, 18, uint32_t(Format::Dxt5), 1, 1) },
        { "levels.TM", TmHeader(64, 64, uint32_t(Format::Dxt5), 1, 40) },
        { "nolevels.TM", TmHeader(64, 64, uint32_t(Format::Dxt5), 1, 0) },
        { "short.TM", Bytes(40, 1) },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(row.name, row.bytes);
        CTexture texture;
        EXPECT_FALSE(texture.ReadImageFile(row.name, 32, 0, 0, true));
        EXPECT_EQ(texture.GetTexture(), nullptr);
        ASSERT_FALSE(LogMessages().empty());
        EXPECT_EQ(LogMessages().back(), std::string("CTexture::ReadImageFile bad file '") + row.name + "'");
    }
    EXPECT_EQ(LogMessages().size(), std::size(rows));
    CTexture missing;
    EXPECT_FALSE(missing.ReadImageFile("absent.TM", 32, 0, 0, true));
    EXPECT_EQ(LogMessages().size(), std::size(rows));
}

TEST_F(TmTest, shortLevelDataStaysZero)
{
    Bytes file = TmHeader(8, 8, 21, 0, 0);
    file.resize(file.size() + 2 * 64, 0xFF); // plane A only
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile(Write("cut.TM", file).c_str(), 32, 0, 0, true));
    const Bytes top = LevelBytes(texture.GetTexture(), 0);
    for (size_t i = 0; i < 64; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, &top[4 * i], 4);
        EXPECT_EQ(pixel, 0xF0F0F0F0u) << i;
    }
}

TEST_F(TmTest, softwareDecodingBuildsAFullChain)
{
    g_Graphic.MutableCaps().dxt5Textures = false;
    const tex::Picture picture = Gradient(16, 16);
    std::string error;
    ASSERT_TRUE(tex::WriteTm("soft.TM", picture, tex::TmFormat::Dxt5, error)) << error;
    CTexture texture;
    ASSERT_TRUE(texture.ReadImageFile("soft.TM", 32, 0, 0, true));
    Texture* t = texture.GetTexture();
    EXPECT_EQ(t->GetFormat(), Format::A8R8G8B8);
    EXPECT_EQ(t->GetLevelCount(), 3u); // the header's levels: 16, 8, 4

    uint32_t width = 0, height = 0;
    Bytes rgba;
    ASSERT_TRUE(tex::DecodeTmTop("soft.TM", 0, 32, width, height, rgba, error)) << error;
    const Bytes top = LevelBytes(t, 0);
    for (size_t i = 0; i < 256; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, &top[4 * i], 4);
        EXPECT_EQ(pixel >> 16 & 0xFF, rgba[4 * i]);
        EXPECT_EQ(pixel >> 24, rgba[4 * i + 3]);
    }
}

TEST_F(TmTest, unmanagedTexturesEndInTheDefaultPool)
{
    const tex::Picture picture = Gradient(32, 32);
    std::string error;
    for (tex::TmFormat format : { tex::TmFormat::Argb, tex::TmFormat::Dxt5 }) {
        ASSERT_TRUE(tex::WriteTm("pool.TM", picture, format, error)) << error;
        CTexture texture;
        ASSERT_TRUE(texture.ReadImageFile("pool.TM", 32, 0, 0, false));
        EXPECT_EQ(texture.GetTexture()->GetPool(), Pool::Default);
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(TmTest, failedCreationLogsAndFails)
{
    const tex::Picture picture = Gradient(32, 32);
    std::string error;
    const struct {
        tex::TmFormat format;
        bool dxt5;
        const char* message;
    } rows[] = {
        { tex::TmFormat::Xrgb, true, "CTexture::ReadImageFile can`t create source texture" },
        { tex::TmFormat::Dxt5, true, "CTexture::ReadImageFile can`t create DXT5 source texture" },
        { tex::TmFormat::Dxt5, false, "CTexture::ReadImageFile can`t create source texture" },
    };
    for (const auto& row : rows) {
        g_Graphic.MutableCaps().dxt5Textures = row.dxt5;
        ASSERT_TRUE(tex::WriteTm("fail.TM", picture, row.format, error)) << error;
        null::GetConfig().failCreates = 1;
        CTexture texture;
        EXPECT_FALSE(texture.ReadImageFile("fail.TM", 32, 0, 0, true));
        ASSERT_FALSE(LogMessages().empty());
        EXPECT_EQ(LogMessages().back(), row.message);
    }
}

TEST(TmMipTest, averagesWithRoundingAndStopsAtTheEdges)
{
    // 32-bit: each byte of a 2 x 2 square, + 2, >> 2.
    const uint32_t square[4] = { 0x00000001, 0x00000002, 0xFF000000, 0x01000001 };
    uint32_t out = 0;
    TMReader::BuildMipLevel(reinterpret_cast<const uint8_t*>(square), 8, 2, 2,
        reinterpret_cast<uint8_t*>(&out), 4, 1, 1, TMReader::kFormatArgb);
    EXPECT_EQ(out, 0x40000001u);

    // A 3 x 1 source: the second target pixel reads column 2 twice and no row below.
    const uint32_t row[3] = { 0x10, 0x20, 0x40 };
    uint32_t two[2] = {};
    TMReader::BuildMipLevel(reinterpret_cast<const uint8_t*>(row), 12, 3, 1, reinterpret_cast<uint8_t*>(two),
        8, 2, 1, TMReader::kFormatArgb);
    EXPECT_EQ(two[0], 0x18u);
    EXPECT_EQ(two[1], 0x40u);

    // 16-bit formats average each channel at its own width.
    const uint16_t rgb[4] = { uint16_t(31 << 11 | 63 << 5 | 31), 0, 0, uint16_t(1 << 11 | 1 << 5 | 1) };
    uint16_t rgbOut = 0;
    TMReader::BuildMipLevel(reinterpret_cast<const uint8_t*>(rgb), 4, 2, 2,
        reinterpret_cast<uint8_t*>(&rgbOut), 2, 1, 1, TMReader::kFormatRgb565);
    EXPECT_EQ(rgbOut, uint16_t(8 << 11 | 16 << 5 | 8));
    const uint16_t argb[4] = { 0xF000, 0x0F00, 0x00F0, 0x000F };
    uint16_t argbOut = 0;
    TMReader::BuildMipLevel(reinterpret_cast<const uint8_t*>(argb), 4, 2, 2,
        reinterpret_cast<uint8_t*>(&argbOut), 2, 1, 1, TMReader::kFormatArgb4444);
    EXPECT_EQ(argbOut, 0x4444);
}
