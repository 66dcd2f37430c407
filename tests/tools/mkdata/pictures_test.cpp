#include "tools/mkdata/pictures.h"

#include <gtest/gtest.h>

#include <string>

using namespace zoq::tools::mkdata;

namespace {

constexpr uint32_t kBackground = 0xFF000000u;

Picture Blank(uint32_t width, uint32_t height)
{
    return Picture { width, height, std::vector<uint32_t>(size_t(width) * height, kBackground) };
}

} // namespace

TEST(Pictures, textStaysInsideItsFrame)
{
    // The logo clips' texts at their sizes, a line with descenders, and a text far too large.
    const struct {
        const char* text;
        uint32_t width, height, pixels;
    } rows[] = {
        { "ZOQ", 320, 192, 48 },
        { "Феррованты", 320, 192, 48 },
        { "SDL2 · OpenGL", 320, 192, 48 },
        { "Ogg Theora", 320, 192, 48 },
        { "ZOQ", 480, 272, 68 },
        { "gjpqy Ág", 160, 96, 48 },
        { "ZOQ", 64, 32, 200 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " at " + std::to_string(row.pixels));
        Picture picture = Blank(row.width, row.height);
        std::string error;
        ASSERT_TRUE(DrawText(picture, row.text, row.pixels, 0xFFFFFFFFu, error)) << error;
        int inked = 0;
        for (uint32_t y = 0; y < row.height; ++y) {
            for (uint32_t x = 0; x < row.width; ++x) {
                if (picture.argb[size_t(y) * row.width + x] == kBackground)
                    continue;
                ++inked;
                const bool inside = x >= uint32_t(kTextMargin) && y >= uint32_t(kTextMargin)
                    && x < row.width - kTextMargin && y < row.height - kTextMargin;
                ASSERT_TRUE(inside) << "ink at " << x << ", " << y;
            }
        }
        EXPECT_GT(inked, 0);
    }
}

TEST(Pictures, textThatCannotFitIsRefused)
{
    Picture picture = Blank(4, 4);
    std::string error;
    EXPECT_FALSE(DrawText(picture, "ZOQ", 48, 0xFFFFFFFFu, error));
    EXPECT_EQ(error, "the text does not fit a 4 x 4 picture");
}
