// The block patterns of the detail mesh: a 2 x 2-step block has 3 x 3 points, numbered
// row x 3 + column. Patterns 0 to 30 always use the corners and the centre and leave out edge
// midpoints 1, 3, 5 and 7 for bits 0, 1, 3 and 4 (bit 2 changes nothing); their triangles fan
// around the centre, two per side whose midpoint is used, one per side without it. Pattern 31 is
// the block as two triangles, 32 the same over the other diagonal. Every triangle is
// counter-clockwise seen from above (x = column, y = row, z up).
#pragma once

#include <array>
#include <cstdint>

struct SDetailPattern {
    uint16_t used; // bit k: point k
    uint8_t triangleCount;
    std::array<uint8_t, 24> indices;
};

namespace detail_patterns {

// The eight half-side triangles of a full block in fan order, each with its side (the bit that
// leaves out the side's midpoint), and the one triangle that replaces a side's pair.
struct SHalf {
    uint8_t a, b, c;
    uint8_t bit;
};
inline constexpr SHalf kHalves[8] = { { 0, 1, 4, 0 }, { 4, 3, 0, 1 }, { 1, 2, 4, 0 }, { 5, 4, 2, 3 },
    { 3, 4, 6, 1 }, { 7, 6, 4, 4 }, { 4, 5, 8, 3 }, { 8, 7, 4, 4 } };
inline constexpr uint8_t kWhole[5][3] = { { 0, 2, 4 }, { 4, 6, 0 }, {}, { 2, 8, 4 }, { 8, 6, 4 } };
inline constexpr uint8_t kMidpoint[5] = { 1, 3, 4, 5, 7 };

constexpr SDetailPattern Make(int p)
{
    SDetailPattern out {};
    if (p >= 31) {
        const uint8_t split[2][6] = { { 0, 2, 6, 8, 6, 2 }, { 0, 2, 8, 0, 8, 6 } };
        out.used = 0x145; // 0, 2, 6, 8
        out.triangleCount = 2;
        for (int i = 0; i < 6; ++i)
            out.indices[size_t(i)] = split[p - 31][i];
        return out;
    }
    out.used = 0x155; // 0, 2, 4, 6, 8
    bool whole[5] = {};
    for (int bit : { 0, 1, 3, 4 }) {
        if (!(p & (1 << bit)))
            out.used = uint16_t(out.used | (1u << kMidpoint[bit]));
    }
    int n = 0;
    for (const SHalf& half : kHalves) {
        const uint8_t* tri = nullptr;
        const uint8_t own[3] = { half.a, half.b, half.c };
        if (p & (1 << half.bit)) {
            if (whole[half.bit])
                continue;
            whole[half.bit] = true;
            tri = kWhole[half.bit];
        } else {
            tri = own;
        }
        for (int k = 0; k < 3; ++k)
            out.indices[size_t(3 * n + k)] = tri[k];
        ++n;
    }
    out.triangleCount = uint8_t(n);
    return out;
}

constexpr std::array<SDetailPattern, 33> MakeAll()
{
    std::array<SDetailPattern, 33> all {};
    for (int p = 0; p < 33; ++p)
        all[size_t(p)] = Make(p);
    return all;
}

} // namespace detail_patterns

inline constexpr std::array<SDetailPattern, 33> kDetailPatterns = detail_patterns::MakeAll();
