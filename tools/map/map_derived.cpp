#include "tools/map/map_derived.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zoq::tools::map {

namespace {

size_t ClampedIndex(const LocationMap& map, int gx, int gy)
{
    return map.PointIndex(std::clamp(gx, 0, map.width - 1), std::clamp(gy, 0, map.height - 1));
}

// The height a mesh made of the corners of the 2 x 2-step block around a middle point gives at
// it: the edge's mean for an edge middle, the split diagonal's mean for the centre (the diagonal
// runs from the first corner when the block's column + row is even).
template <class Height> float CornerInterpolation(int gx, int gy, Height height)
{
    const int x0 = gx & ~1;
    const int y0 = gy & ~1;
    const bool midX = (gx & 1) != 0;
    const bool midY = (gy & 1) != 0;
    if (midX && midY) {
        if ((((x0 >> 1) + (y0 >> 1)) & 1) == 0)
            return (height(x0, y0) + height(x0 + 2, y0 + 2)) * 0.5f;
        return (height(x0 + 2, y0) + height(x0, y0 + 2)) * 0.5f;
    }
    if (midX)
        return (height(x0, y0) + height(x0 + 2, y0)) * 0.5f;
    return (height(x0, y0) + height(x0, y0 + 2)) * 0.5f;
}

} // namespace

Vec3 SunDirection(float hour)
{
    constexpr double kTilt = 3.75 * std::numbers::pi; // rotation about the x axis
    const double a = (double(hour) - 0.25) * std::numbers::pi / 12.0;
    const double y = -std::cos(a);
    const double x = std::sin(a);
    const double ry = std::cos(kTilt) * y;
    const double rz = -std::sin(kTilt) * y + 0.4;
    const double length = std::sqrt(x * x + ry * ry + rz * rz);
    return { float(x / length), float(ry / length), float(rz / length) };
}

float HeightAt(const LocationMap& map, int gx, int gy)
{
    return map.heights[ClampedIndex(map, gx, gy)];
}

Vec3 PointNormal(const LocationMap& map, int gx, int gy)
{
    gx = std::clamp(gx, 0, map.width - 1);
    gy = std::clamp(gy, 0, map.height - 1);
    const int xl = std::max(gx - 1, 0);
    const int xh = std::min(gx + 1, map.width - 1);
    const int yl = std::max(gy - 1, 0);
    const int yh = std::min(gy + 1, map.height - 1);
    const float dx = (HeightAt(map, xh, gy) - HeightAt(map, xl, gy)) / (float(xh - xl) * kStep);
    const float dy = (HeightAt(map, gx, yh) - HeightAt(map, gx, yl)) / (float(yh - yl) * kStep);
    const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
    return { -dx / length, -dy / length, 1.0f / length };
}

uint32_t PackNormal(const Vec3& normal)
{
    const auto fraction = [](float value) {
        return uint16_t(int16_t(std::lround(std::clamp(value, -1.0f, 1.0f) * 32766.0f)));
    };
    return uint32_t(fraction(normal[0])) | uint32_t(fraction(normal[1])) << 16;
}

std::vector<uint8_t> ShadowMasks(const LocationMap& map)
{
    std::vector<uint8_t> masks(map.heights.size(), 0);
    // Height of the shadow over each point: the highest line of sight toward the sun it lies under.
    std::vector<float> shade(map.heights.size());
    constexpr float kReach = 2.0f; // grid steps to the point upstream
    for (size_t hour = 0; hour < kLightHours.size(); ++hour) {
        const Vec3 sun = SunDirection(kLightHours[hour]);
        const float flat = std::hypot(sun[0], sun[1]);
        if (flat < 1e-6f)
            continue;
        const float dx = sun[0] / flat * kReach;
        const float dy = sun[1] / flat * kReach;
        const float drop = sun[2] / flat * kReach * kStep;
        // Walking the major axis away from the sun, the four points around the upstream sample
        // (at least 1.41 steps further along that axis) are done before the point itself.
        const bool alongX = std::fabs(dx) >= std::fabs(dy);
        const int outer = alongX ? map.width : map.height;
        const int inner = alongX ? map.height : map.width;
        const bool forward = (alongX ? dx : dy) < 0;
        for (int o = 0; o < outer; ++o) {
            const int major = forward ? o : outer - 1 - o;
            for (int minor = 0; minor < inner; ++minor) {
                const int gx = alongX ? major : minor;
                const int gy = alongX ? minor : major;
                const size_t at = map.PointIndex(gx, gy);
                const float h = map.heights[at];
                const float ux = float(gx) + dx;
                const float uy = float(gy) + dy;
                if (ux < 0 || uy < 0 || ux > float(map.width - 1) || uy > float(map.height - 1)) {
                    shade[at] = h;
                    continue;
                }
                const int x0 = std::min(int(ux), map.width - 2);
                const int y0 = std::min(int(uy), map.height - 2);
                const float u = ux - float(x0);
                const float v = uy - float(y0);
                const size_t up = map.PointIndex(x0, y0);
                const size_t w = size_t(map.width);
                const float upstream = (shade[up] * (1 - u) + shade[up + 1] * u) * (1 - v)
                    + (shade[up + w] * (1 - u) + shade[up + w + 1] * u) * v - drop;
                if (upstream > h)
                    masks[at] |= uint8_t(1u << hour);
                shade[at] = std::max(h, upstream);
            }
        }
    }
    return masks;
}

uint32_t LightWord(const Vec3& normal, uint8_t shadowMask)
{
    static const std::array<Vec3, kLightHours.size()> kSuns = [] {
        std::array<Vec3, kLightHours.size()> suns;
        for (size_t i = 0; i < suns.size(); ++i)
            suns[i] = SunDirection(kLightHours[i]);
        return suns;
    }();
    uint32_t word = 0;
    for (size_t i = 0; i < kSuns.size(); ++i) {
        const Vec3& sun = kSuns[i];
        const float facing = normal[0] * sun[0] + normal[1] * sun[1] + normal[2] * sun[2];
        uint32_t dark = 15;
        if (facing > 0 && (shadowMask & (1u << i)) == 0)
            dark = uint32_t(std::clamp(15.0f * (1.0f - facing), 0.0f, 15.0f));
        word |= dark << (4 * i);
    }
    return word;
}

uint8_t OmissionBits(const LocationMap& map, int gx, int gy)
{
    if ((gx & 1) == 0 && (gy & 1) == 0)
        return 0;
    const float expected = CornerInterpolation(gx, gy, [&](int x, int y) { return HeightAt(map, x, y); });
    const float off = std::fabs(HeightAt(map, gx, gy) - expected);
    uint8_t bits = 0;
    for (size_t level = 0; level < kOmitTolerance.size(); ++level)
        if (off <= kOmitTolerance[level])
            bits |= uint8_t(1u << level);
    return bits;
}

bool FarOmissible(const LocationMap& map, int gx, int gy)
{
    const int c = gx >> 1;
    const int r = gy >> 1;
    if ((c & 1) == 0 && (r & 1) == 0)
        return false;
    const auto half = [&](int hc, int hr) { return float(HalfHeight(HeightAt(map, 2 * hc, 2 * hr))); };
    return std::fabs(half(c, r) - CornerInterpolation(c, r, half)) <= kFarOmitTolerance;
}

int16_t HalfHeight(float height)
{
    return int16_t(std::clamp(std::lround(height), -32768L, 32767L));
}

uint32_t HalfPointWord(const LocationMap& map, int gx, int gy)
{
    const bool water = map.water[ClampedIndex(map, gx, gy)] != 0;
    return uint32_t(uint16_t(HalfHeight(HeightAt(map, gx, gy)))) | (FarOmissible(map, gx, gy) ? 1u << 19 : 0u)
        | (water ? 1u << 24 : 0u);
}

uint32_t FullPointWord(const LocationMap& map, int gx, int gy)
{
    const size_t at = ClampedIndex(map, gx, gy);
    return uint32_t(OmissionBits(map, gx, gy)) | (map.water[at] != 0 ? 1u << 8 : 0u)
        | uint32_t(map.materials[at]) << 16;
}

} // namespace zoq::tools::map
