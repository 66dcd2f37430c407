#include "settings/Resources.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t Argb(int a, int r, int g, int b)
{
    auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// Inside the triangle of a glider seen from above: nose at (cx, top), wings at the bottom.
bool InGlider(float x, float y, float cx, float top, float bottom, float halfWidth)
{
    if (y < top || y > bottom)
        return false;
    const float t = (y - top) / (bottom - top);
    const float notch = 0.25f * halfWidth * t * t;
    return std::fabs(x - cx) <= halfWidth * t && !(y > bottom - notch * 2.0f && std::fabs(x - cx) < notch);
}

} // namespace

SPicture DrawIcon(int size)
{
    SPicture icon { size, size, std::vector<uint32_t>(size_t(size) * size_t(size)) };
    const float centre = (float(size) - 1.0f) / 2.0f;
    const float radius = float(size) / 2.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = float(x) - centre;
            const float dy = float(y) - centre;
            const float d = std::sqrt(dx * dx + dy * dy) / radius;
            uint32_t pixel = 0;
            if (d <= 1.0f) {
                const int shade = int(140.0f * (1.0f - d));
                pixel = Argb(255, 20 + shade / 4, 40 + shade / 2, 90 + shade);
                if (d > 0.88f)
                    pixel = Argb(255, 200, 200, 210);
                if (InGlider(float(x), float(y), centre, float(size) * 0.18f, float(size) * 0.78f,
                        float(size) * 0.3f))
                    pixel = Argb(255, 240, 150 + int(60.0f * (1.0f - d)), 40);
            }
            icon.pixels[size_t(y) * size_t(size) + size_t(x)] = pixel;
        }
    }
    return icon;
}

SPicture DrawTitlePicture()
{
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    constexpr int kHorizon = 190;
    SPicture picture { kWidth, kHeight, std::vector<uint32_t>(size_t(kWidth) * kHeight) };
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t pixel;
            if (y < kHorizon) {
                const int t = y * 255 / kHorizon;
                pixel = Argb(255, 30 + t / 2, 50 + t / 2, 110 + t / 3);
            } else {
                // Ground with furrows running to the horizon.
                const float depth = float(y - kHorizon + 1) / float(kHeight - kHorizon);
                const float u = (float(x) - kWidth / 2.0f) / depth;
                const bool furrow = int(std::fabs(u) / 24.0f) % 2 == 0;
                const int shade = int(60.0f + 80.0f * depth);
                pixel = furrow ? Argb(255, shade, shade * 3 / 4, shade / 3)
                               : Argb(255, shade * 4 / 5, shade * 3 / 5, shade / 4);
            }
            // The sun above the horizon.
            const float sx = float(x - 300);
            const float sy = float(y - 120);
            if (sx * sx + sy * sy < 26.0f * 26.0f)
                pixel = Argb(255, 250, 220, 140);
            if (InGlider(float(x), float(y), 160.0f, 150.0f, 250.0f, 70.0f))
                pixel = Argb(255, 200 + (y - 150) / 2, 110, 40);
            picture.pixels[size_t(y) * kWidth + size_t(x)] = pixel;
        }
    }
    return picture;
}
