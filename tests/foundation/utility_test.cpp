#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/Color.h"
#include "foundation/GroupName.h"
#include "foundation/Numeric.h"
#include "foundation/Rating.h"
#include "foundation/Rect.h"
#include "foundation/SortIndices.h"
#include "platform/win/text.h"

namespace {

TEST(Numeric, RoundToIntTakesHalvesAwayFromZero)
{
    const struct {
        float value;
        int32_t expected;
    } cases[] = { { 2.5f, 3 }, { -2.5f, -3 }, { 0.4f, 0 }, { 0.0f, 0 }, { -0.4f, 0 }, { 1.49f, 1 } };
    for (const auto& c : cases)
        EXPECT_EQ(RoundToInt(c.value), c.expected) << c.value;
    EXPECT_EQ(SignOf(0.0f), -1);
    EXPECT_EQ(SignOf(0.1f), 1);
}

TEST(Numeric, DampValue)
{
    float v = 8.0f;
    DampValue(v, 1.0f, 2.0f, 1e10f);
    EXPECT_FLOAT_EQ(v, 4.0f);
    v = -30.0f;
    DampValue(v, 0.5f, 1.0f, 10.0f); // (3 + 1) ^ 0.5 = 2
    EXPECT_FLOAT_EQ(v, -15.0f);
}

TEST(Rect, PointInRectLeavesTheRightAndBottomEdgesOut)
{
    const struct {
        int32_t x, y;
        SRect rect;
        bool inside;
    } cases[] = {
        { 10, 5, { 0, 0, 10, 10 }, false },
        { 9, 9, { 0, 0, 10, 10 }, true },
        { 0, 0, { 0, 0, 10, 10 }, true },
        { 5, 10, { 0, 0, 10, 10 }, false },
        { -1, 5, { 0, 0, 10, 10 }, false },
        { 4, 3, { 4, 2, 4, 8 }, true }, // width 0 holds its own column
        { 5, 3, { 4, 2, 4, 8 }, false },
        { 3, 3, { 4, 2, 4, 8 }, false },
        { 6, 6, { 10, 10, 0, 0 }, true }, // reversed
        { INT32_MAX, 0, { INT32_MAX, 0, INT32_MAX, 0 }, true },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PointInRect(c.x, c.y, c.rect), c.inside) << c.x << ", " << c.y;
        EXPECT_EQ(PointInRect(c.x, c.y, c.rect.left, c.rect.top, c.rect.right, c.rect.bottom), c.inside);
    }
    const SRect r = MakeRect(3, 4, 5, 6);
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, 4);
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(r.bottom, 10);
}

TEST(Rating, LevelsAndFractions)
{
    const struct {
        float value;
        int32_t level;
        float fraction;
    } cases[] = {
        { 500.0f, 4, 0.0f },
        { 125.0f, 2, 0.5f },
        { 20000000.0f, 10, 1.0f },
        { 10000000.0f, 10, 1.0f },
        { 0.0f, 0, 0.0f },
        { -5.0f, 0, 0.0f },
        { 0.05f, 1, 0.001f },
        { 9999999.0f, 10, 0.99f },
    };
    for (const auto& c : cases) {
        int32_t level = -1;
        float fraction = -1.0f;
        GetRatingLevel(c.value, level, fraction);
        EXPECT_EQ(level, c.level) << c.value;
        EXPECT_NEAR(fraction, c.fraction, 1e-6f) << c.value;
    }
    int32_t level = 0;
    UpdateRatingLevel(1500.0f, level);
    EXPECT_EQ(level, 5);
    EXPECT_EQ(RatingThresholds[10], 10000000.0f);
}

TEST(Color, BlendColor)
{
    const struct {
        uint32_t a, b;
        float t;
        uint32_t expected;
    } cases[] = {
        { 0x12345678u, 0x9ABCDEF0u, 1.0f, 0xFF345678u },
        { 0x12345678u, 0x9ABCDEF0u, 0.0f, 0xFFBCDEF0u },
        { 0x00FF0000u, 0x000000FFu, 0.5f, 0xFF7F007Fu },
        { 0x00FFFFFFu, 0x00000000u, 2.0f, 0xFFFFFFFFu }, // t above 1: channels clamp, no carry
        { 0x00FFFFFFu, 0x00000000u, -1.0f, 0xFF000000u }, // t below 0
        { 0x00000000u, 0x00FF80FFu, -1.0f, 0xFFFFFFFFu },
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlendColor(c.a, c.b, c.t), c.expected) << std::hex << c.a << " " << c.b << " " << c.t;

    float rgba[4];
    ColorToFloat4(0x80FF0040u, rgba);
    EXPECT_FLOAT_EQ(rgba[0], 1.0f);
    EXPECT_FLOAT_EQ(rgba[1], 0.0f);
    EXPECT_FLOAT_EQ(rgba[2], 64.0f * 0.003921569f);
    EXPECT_FLOAT_EQ(rgba[3], 128.0f * 0.003921569f);
}

TEST(SortIndices, SortsByTheStridedKey)
{
    // Records of {key, payload}; stride 2.
    const int32_t records[] = { 5, 0, -3, 1, 9, 2, 0, 3, 5, 4, -7, 5, 2, 6 };
    std::vector<int32_t> indices(7);
    ShellSortIndices(records, 2, 7, indices.data());
    std::vector<int32_t> keys;
    for (int32_t i : indices)
        keys.push_back(records[2 * i]);
    EXPECT_EQ(keys, (std::vector<int32_t> { -7, -3, 0, 2, 5, 5, 9 }));

    const float radii[] = { 3.5f, 0.25f, 10.0f, -1.0f, 0.5f };
    std::vector<int32_t> order(5);
    SortIndicesByKey(radii, 1, 5, order.data());
    EXPECT_EQ(order, (std::vector<int32_t> { 3, 1, 4, 0, 2 }));

    int32_t one = 99;
    SortIndicesByKey(radii, 1, 1, &one);
    EXPECT_EQ(one, 0);
    SortIndicesByKey(radii, 1, 0, nullptr);
}

TEST(GroupName, StripGroupPrefix)
{
    const struct {
        std::string name, expected;
    } cases[] = {
        { "GRP_abc", "ABC" },
        { "grp_x", "GRP_X" },
        { "GRP_", "" },
        { "Caravan", "CARAVAN" },
        { CP1251("GRP_ёжик"), CP1251("ЁЖИК") },
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripGroupPrefix(c.name), c.expected) << c.name;
}

} // namespace
