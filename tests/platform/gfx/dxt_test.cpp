// The DXT codec: known blocks in every mode, round trips of gradients, flat blocks.
#include "platform/gfx/d3dx/dxt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace plat::gfx::d3dx {
namespace {

std::vector<uint8_t> Block(std::initializer_list<uint32_t> bytes)
{
    std::vector<uint8_t> out;
    for (uint32_t b : bytes)
        out.push_back(uint8_t(b));
    return out;
}

struct KnownBlock {
    const char* name;
    Format format;
    std::vector<uint8_t> block;
    uint32_t expected[4]; // pixels 0 to 3 (the first row)
};

TEST(Dxt, knownBlocksDecodeBitExactInEveryMode)
{
    // Indices of the first row 0, 1, 2, 3 (0xE4); the other rows repeat index 0.
    const KnownBlock rows[] = {
        { "DXT1 four colours", Format::Dxt1, Block({ 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0 }),
            { 0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA } },
        { "DXT1 three colours", Format::Dxt1, Block({ 0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0 }),
            { 0xFF0000FF, 0xFFFF0000, 0xFF800080, 0x00000000 } },
        { "DXT1 equal end points", Format::Dxt1, Block({ 0x10, 0x84, 0x10, 0x84, 0xE4, 0, 0, 0 }),
            { 0xFF848284, 0xFF848284, 0xFF848284, 0x00000000 } },
        { "DXT1 bit replication", Format::Dxt1, Block({ 0x10, 0x84, 0x00, 0x00, 0xE4, 0, 0, 0 }),
            { 0xFF848284, 0xFF000000, 0xFF585758, 0xFF2C2B2C } },
        { "DXT3 alpha nibbles", Format::Dxt3,
            Block({ 0x10, 0xFA, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0 }),
            { 0x00FF0000, 0x110000FF, 0xAAAA0055, 0xFF5500AA } },
        { "DXT3 colour block stays four-colour", Format::Dxt3,
            Block({ 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0 }),
            { 0xFF0000FF, 0xFFFF0000, 0xFF5500AA, 0xFFAA0055 } },
        // Alpha 255, 0 with indices 0, 1, 2, 3 on the first row, 7 after.
        { "DXT5 eight alphas", Format::Dxt5,
            Block({ 0xFF, 0x00, 0x88, 0xF6, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0 }),
            { 0xFFFF0000, 0x000000FF, 0xDBAA0055, 0xB65500AA } },
        { "DXT5 six alphas", Format::Dxt5,
            Block({ 0x00, 0xFF, 0x88, 0xF6, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0 }),
            { 0x00FF0000, 0xFF0000FF, 0x33AA0055, 0x665500AA } },
    };
    for (const KnownBlock& row : rows) {
        uint32_t out[16];
        DecodeDxtBlock(row.format, row.block.data(), out);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(out[i], row.expected[i]) << row.name << " pixel " << i << std::hex << " got " << out[i];
    }
    // The rest of the DXT5 alpha indices: 4..7 on the second row give 146, 109, 73, 36, then index 7.
    uint32_t out[16];
    std::vector<uint8_t> eight
        = Block({ 0xFF, 0x00, 0x88, 0xF6, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0 });
    // Indices 4, 5, 6, 7 for pixels 4-7: bits 12..23 = 100 101 110 111.
    uint32_t bits = 0 | 1 << 3 | 2 << 6 | 3 << 9 | 4 << 12 | 5 << 15 | 6 << 18 | 7 << 21;
    eight[2] = uint8_t(bits);
    eight[3] = uint8_t(bits >> 8);
    eight[4] = uint8_t(bits >> 16);
    DecodeDxtBlock(Format::Dxt5, eight.data(), out);
    const uint32_t alphas[8] = { 255, 0, 219, 182, 146, 109, 73, 36 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i] >> 24, alphas[i]) << i;
    eight[0] = 0;
    eight[1] = 255;
    DecodeDxtBlock(Format::Dxt5, eight.data(), out);
    const uint32_t six[8] = { 0, 255, 51, 102, 153, 204, 0, 255 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i] >> 24, six[i]) << i;
}

double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int channel)
{
    double error = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        double d = double((a[i] >> (8 * channel)) & 255) - double((b[i] >> (8 * channel)) & 255);
        error += d * d;
    }
    error /= double(a.size());
    return error == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / error);
}

TEST(Dxt, gradientsRoundTripAboveThirtyDecibels)
{
    const uint32_t w = 64, h = 64;
    std::vector<uint32_t> picture(w * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t r = x * 4, g = y * 4, b = (x + y) * 2, a = 255 - (x * 2 + y * 2);
            picture[y * w + x] = a << 24 | r << 16 | g << 8 | b;
        }
    for (Format format : { Format::Dxt1, Format::Dxt3, Format::Dxt5 }) {
        std::vector<uint8_t> blocks((w / 4) * (h / 4) * DxtBlockBytes(format));
        uint32_t pitch = (w / 4) * DxtBlockBytes(format);
        std::vector<uint32_t> source = picture;
        if (format == Format::Dxt1)
            for (uint32_t& p : source)
                p |= 0xFF000000u;
        EncodeDxt(format, source.data(), w, w, h, blocks.data(), pitch);
        std::vector<uint32_t> back(w * h);
        DecodeDxt(format, blocks.data(), pitch, w, h, back.data(), w);
        for (int channel = 0; channel < (format == Format::Dxt1 ? 3 : 4); ++channel)
            EXPECT_GE(Psnr(source, back, channel), 30.0)
                << "format " << DxtBlockBytes(format) << " channel " << channel;
    }
}

TEST(Dxt, flatBlocksAreExactAndUniform)
{
    uint8_t block[16];
    uint32_t out[16];
    uint32_t in[16];
    for (uint32_t v = 0; v < 256; ++v) {
        // Alpha: exact for every value in DXT5, in DXT3 for the sixteen nibble levels.
        std::fill(in, in + 16, v << 24 | 0x123456);
        EncodeDxtBlock(Format::Dxt5, in, block);
        DecodeDxtBlock(Format::Dxt5, block, out);
        for (uint32_t p : out)
            ASSERT_EQ(p >> 24, v);
        std::fill(in, in + 16, (v / 17 * 17) << 24);
        EncodeDxtBlock(Format::Dxt3, in, block);
        DecodeDxtBlock(Format::Dxt3, block, out);
        for (uint32_t p : out)
            ASSERT_EQ(p >> 24, v / 17 * 17);
        // Grey: one colour over the block, within 2 of the input.
        std::fill(in, in + 16, 0xFF000000u | v << 16 | v << 8 | v);
        for (Format format : { Format::Dxt1, Format::Dxt3, Format::Dxt5 }) {
            EncodeDxtBlock(format, in, block);
            DecodeDxtBlock(format, block, out);
            for (uint32_t p : out) {
                ASSERT_EQ(p & 0xFFFFFF, out[0] & 0xFFFFFF) << "uniform";
                ASSERT_NEAR(int((p >> 8) & 255), int(v), 2) << "green " << v;
                ASSERT_NEAR(int(p & 255), int(v), 2) << "blue " << v;
            }
        }
    }
    // Colours the 5:6:5 grid holds come back exactly.
    const uint32_t exact[]
        = { 0xFF000000, 0xFFFFFFFF, 0xFF848284, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF214163 };
    for (uint32_t c : exact)
        for (Format format : { Format::Dxt1, Format::Dxt3, Format::Dxt5 }) {
            std::fill(in, in + 16, c);
            EncodeDxtBlock(format, in, block);
            DecodeDxtBlock(format, block, out);
            for (uint32_t p : out)
                ASSERT_EQ(p, c) << std::hex << c;
        }
}

TEST(Dxt, dxt1KeepsTransparentPixelsTransparent)
{
    uint32_t in[16], out[16];
    uint8_t block[8];
    for (int i = 0; i < 16; ++i)
        in[i] = i % 3 == 0 ? 0x00000000u : (0xFF000000u | uint32_t(i * 16) << 16 | 0x4000);
    EncodeDxtBlock(Format::Dxt1, in, block);
    DecodeDxtBlock(Format::Dxt1, block, out);
    for (int i = 0; i < 16; ++i) {
        if (i % 3 == 0)
            EXPECT_EQ(out[i], 0u) << i;
        else
            EXPECT_EQ(out[i] >> 24, 255u) << i;
    }
    std::fill(in, in + 16, 0x10FFFFFFu);
    EncodeDxtBlock(Format::Dxt1, in, block);
    DecodeDxtBlock(Format::Dxt1, block, out);
    for (uint32_t p : out)
        EXPECT_EQ(p, 0u);
}

TEST(Dxt, edgesOfLevelsOffTheBlockGridArePadded)
{
    // A 6x5 picture: two by two blocks; decoding writes only the 30 pixels.
    std::vector<uint32_t> picture(6 * 5);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = 0xFF000000u | uint32_t(i * 2) << 8;
    std::vector<uint8_t> blocks(4 * 16);
    EncodeDxt(Format::Dxt3, picture.data(), 6, 6, 5, blocks.data(), 32);
    std::vector<uint32_t> back(8 * 8, 0xDEADBEEF);
    DecodeDxt(Format::Dxt3, blocks.data(), 32, 6, 5, back.data(), 8);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x) {
            if (x >= 6 || y >= 5)
                EXPECT_EQ(back[y * 8 + x], 0xDEADBEEFu);
            else
                EXPECT_NEAR(int((back[y * 8 + x] >> 8) & 255), int((picture[y * 6 + x] >> 8) & 255), 8);
        }
}

} // namespace
} // namespace plat::gfx::d3dx
