#include "platform/gfx/d3dx/dxt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace plat::gfx::d3dx {
namespace {

uint32_t Expand5(uint32_t v)
{
    return (v << 3) | (v >> 2);
}
uint32_t Expand6(uint32_t v)
{
    return (v << 2) | (v >> 4);
}
// Interpolations of the format, rounded to nearest.
uint32_t Third(uint32_t a, uint32_t b)
{
    return (2 * a + b + 1) / 3;
}
uint32_t Half(uint32_t a, uint32_t b)
{
    return (a + b + 1) / 2;
}

uint16_t Read16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Write16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Write32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return 0xFF000000u | r << 16 | g << 8 | b;
}

// The four colours of a colour block; `dxt1` allows the three-colour mode.
void ColorPalette(uint16_t c0, uint16_t c1, bool dxt1, uint32_t palette[4])
{
    uint32_t r0 = Expand5(c0 >> 11), g0 = Expand6((c0 >> 5) & 63), b0 = Expand5(c0 & 31);
    uint32_t r1 = Expand5(c1 >> 11), g1 = Expand6((c1 >> 5) & 63), b1 = Expand5(c1 & 31);
    palette[0] = Rgb(r0, g0, b0);
    palette[1] = Rgb(r1, g1, b1);
    if (dxt1 && c0 <= c1) {
        palette[2] = Rgb(Half(r0, r1), Half(g0, g1), Half(b0, b1));
        palette[3] = 0; // transparent black
    } else {
        palette[2] = Rgb(Third(r0, r1), Third(g0, g1), Third(b0, b1));
        palette[3] = Rgb(Third(r1, r0), Third(g1, g0), Third(b1, b0));
    }
}

void DecodeColor(const uint8_t* block, bool dxt1, uint32_t out[16])
{
    uint32_t palette[4];
    ColorPalette(Read16(block), Read16(block + 2), dxt1, palette);
    uint32_t indices = Read32(block + 4);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(indices >> (2 * i)) & 3];
}

void AlphaPalette(uint32_t a0, uint32_t a1, uint32_t palette[8])
{
    palette[0] = a0;
    palette[1] = a1;
    if (a0 > a1) {
        for (uint32_t k = 2; k < 8; ++k)
            palette[k] = ((8 - k) * a0 + (k - 1) * a1 + 3) / 7;
    } else {
        for (uint32_t k = 2; k < 6; ++k)
            palette[k] = ((6 - k) * a0 + (k - 1) * a1 + 2) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
}

// End points (a, b) per 8-bit value whose 2/3 interpolation comes closest, preferring equal ones.
struct Match {
    uint8_t a, b;
};

template <int Bits> std::array<Match, 256> MakeMatchTable()
{
    std::array<Match, 256> table {};
    constexpr uint32_t kLevels = 1u << Bits;
    for (uint32_t v = 0; v < 256; ++v) {
        int best = 1 << 30;
        for (uint32_t a = 0; a < kLevels; ++a)
            for (uint32_t b = 0; b < kLevels; ++b) {
                uint32_t ea = Bits == 5 ? Expand5(a) : Expand6(a);
                uint32_t eb = Bits == 5 ? Expand5(b) : Expand6(b);
                int error = std::abs(int(Third(ea, eb)) - int(v)) * 1024 + std::abs(int(a) - int(b));
                if (error < best) {
                    best = error;
                    table[v] = { uint8_t(a), uint8_t(b) };
                }
            }
    }
    return table;
}

const std::array<Match, 256>& Match5()
{
    static const std::array<Match, 256> table = MakeMatchTable<5>();
    return table;
}

const std::array<Match, 256>& Match6()
{
    static const std::array<Match, 256> table = MakeMatchTable<6>();
    return table;
}

uint32_t Pack565(int r, int g, int b)
{
    auto q = [](int v, int levels) { return uint32_t((std::clamp(v, 0, 255) * levels + 127) / 255); };
    return q(r, 31) << 11 | q(g, 63) << 5 | q(b, 31);
}

int Distance(uint32_t a, uint32_t b)
{
    int dr = int((a >> 16) & 255) - int((b >> 16) & 255);
    int dg = int((a >> 8) & 255) - int((b >> 8) & 255);
    int db = int(a & 255) - int(b & 255);
    return dr * dr + dg * dg + db * db;
}

void WriteColorBlock(uint8_t* out, uint32_t c0, uint32_t c1, uint32_t indices)
{
    Write16(out, c0);
    Write16(out + 2, c1);
    Write32(out + 4, indices);
}

// Colour block by range fit. DXT1 pixels with alpha below 128 become the transparent index.
void EncodeColor(const uint32_t px[16], bool dxt1, uint8_t* out)
{
    bool transparent[16];
    bool anyTransparent = false;
    int used = 0;
    int minC[3] = { 255, 255, 255 }, maxC[3] = { 0, 0, 0 };
    float sum[3] = { 0, 0, 0 };
    for (int i = 0; i < 16; ++i) {
        transparent[i] = dxt1 && (px[i] >> 24) < 128;
        anyTransparent |= transparent[i];
        if (transparent[i])
            continue;
        ++used;
        int c[3] = { int((px[i] >> 16) & 255), int((px[i] >> 8) & 255), int(px[i] & 255) };
        for (int k = 0; k < 3; ++k) {
            minC[k] = std::min(minC[k], c[k]);
            maxC[k] = std::max(maxC[k], c[k]);
            sum[k] += float(c[k]);
        }
    }
    if (used == 0) {
        WriteColorBlock(out, 0, 0, 0xFFFFFFFFu);
        return;
    }
    bool threeColour = dxt1 && anyTransparent;
    uint32_t c0, c1;
    if (minC[0] == maxC[0] && minC[1] == maxC[1] && minC[2] == maxC[2]) {
        uint32_t indices = 0;
        if (threeColour) {
            c0 = c1 = Pack565(minC[0], minC[1], minC[2]);
            for (int i = 0; i < 16; ++i)
                indices |= (transparent[i] ? 3u : 0u) << (2 * i);
            WriteColorBlock(out, c0, c1, indices);
            return;
        }
        const Match& r = Match5()[minC[0]];
        const Match& g = Match6()[minC[1]];
        const Match& b = Match5()[minC[2]];
        c0 = uint32_t(r.a) << 11 | uint32_t(g.a) << 5 | b.a;
        c1 = uint32_t(r.b) << 11 | uint32_t(g.b) << 5 | b.b;
        uint32_t index = 0;
        if (c0 > c1) {
            index = 2;
        } else if (c0 < c1) {
            std::swap(c0, c1);
            index = 3;
        }
        WriteColorBlock(out, c0, c1, index * 0x55555555u);
        return;
    }

    // Principal axis of the colours by power iteration on their covariance.
    float mean[3] = { sum[0] / float(used), sum[1] / float(used), sum[2] / float(used) };
    float cov[6] = { 0, 0, 0, 0, 0, 0 };
    for (int i = 0; i < 16; ++i) {
        if (transparent[i])
            continue;
        float d[3] = { float((px[i] >> 16) & 255) - mean[0], float((px[i] >> 8) & 255) - mean[1],
            float(px[i] & 255) - mean[2] };
        cov[0] += d[0] * d[0];
        cov[1] += d[0] * d[1];
        cov[2] += d[0] * d[2];
        cov[3] += d[1] * d[1];
        cov[4] += d[1] * d[2];
        cov[5] += d[2] * d[2];
    }
    float axis[3] = { float(maxC[0] - minC[0]), float(maxC[1] - minC[1]), float(maxC[2] - minC[2]) };
    for (int iteration = 0; iteration < 4; ++iteration) {
        float x = cov[0] * axis[0] + cov[1] * axis[1] + cov[2] * axis[2];
        float y = cov[1] * axis[0] + cov[3] * axis[1] + cov[4] * axis[2];
        float z = cov[2] * axis[0] + cov[4] * axis[1] + cov[5] * axis[2];
        float largest = std::max({ std::fabs(x), std::fabs(y), std::fabs(z) });
        if (largest <= 0)
            break;
        axis[0] = x / largest;
        axis[1] = y / largest;
        axis[2] = z / largest;
    }
    float length2 = axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
    if (length2 <= 0) {
        axis[0] = axis[1] = axis[2] = 1;
        length2 = 3;
    }
    float tMin = 1e30f, tMax = -1e30f;
    for (int i = 0; i < 16; ++i) {
        if (transparent[i])
            continue;
        float t = (float((px[i] >> 16) & 255) - mean[0]) * axis[0]
            + (float((px[i] >> 8) & 255) - mean[1]) * axis[1] + (float(px[i] & 255) - mean[2]) * axis[2];
        tMin = std::min(tMin, t);
        tMax = std::max(tMax, t);
    }
    tMin /= length2;
    tMax /= length2;
    auto endpoint = [&](float t) {
        return Pack565(int(std::lround(mean[0] + t * axis[0])), int(std::lround(mean[1] + t * axis[1])),
            int(std::lround(mean[2] + t * axis[2])));
    };
    c0 = endpoint(tMax);
    c1 = endpoint(tMin);
    if (threeColour ? c0 > c1 : c0 < c1)
        std::swap(c0, c1);
    uint32_t palette[4];
    ColorPalette(uint16_t(c0), uint16_t(c1), dxt1, palette);
    uint32_t choices = threeColour ? 3 : (c0 == c1 ? 1 : 4);
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t best = 0;
        if (transparent[i]) {
            best = 3;
        } else {
            int bestDistance = Distance(px[i], palette[0]);
            for (uint32_t k = 1; k < choices; ++k) {
                int d = Distance(px[i], palette[k]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
        }
        indices |= best << (2 * i);
    }
    WriteColorBlock(out, c0, c1, indices);
}

void EncodeAlpha3(const uint32_t px[16], uint8_t* out)
{
    for (int i = 0; i < 8; ++i) {
        uint32_t lo = ((px[2 * i] >> 24) * 15 + 127) / 255;
        uint32_t hi = ((px[2 * i + 1] >> 24) * 15 + 127) / 255;
        out[i] = uint8_t(lo | hi << 4);
    }
}

void EncodeAlpha5(const uint32_t px[16], uint8_t* out)
{
    uint32_t lo = 255, hi = 0;
    for (int i = 0; i < 16; ++i) {
        lo = std::min(lo, px[i] >> 24);
        hi = std::max(hi, px[i] >> 24);
    }
    out[0] = uint8_t(hi);
    out[1] = uint8_t(lo);
    uint64_t bits = 0;
    if (hi != lo) {
        uint32_t palette[8];
        AlphaPalette(hi, lo, palette);
        for (int i = 0; i < 16; ++i) {
            int a = int(px[i] >> 24);
            uint32_t best = 0;
            int bestDistance = 256;
            for (uint32_t k = 0; k < 8; ++k) {
                int d = std::abs(a - int(palette[k]));
                if (d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
            bits |= uint64_t(best) << (3 * i);
        }
    }
    for (int i = 0; i < 6; ++i)
        out[2 + i] = uint8_t(bits >> (8 * i));
}

} // namespace

uint32_t DxtBlockBytes(Format format)
{
    switch (format) {
    case Format::Dxt1:
        return 8;
    case Format::Dxt3:
    case Format::Dxt5:
        return 16;
    default:
        return 0;
    }
}

void DecodeDxtBlock(Format format, const uint8_t* block, uint32_t out[16])
{
    if (format == Format::Dxt1) {
        DecodeColor(block, true, out);
        return;
    }
    DecodeColor(block + 8, false, out);
    if (format == Format::Dxt3) {
        for (int i = 0; i < 16; ++i) {
            uint32_t nibble = (block[i / 2] >> (4 * (i & 1))) & 15;
            out[i] = (out[i] & 0x00FFFFFFu) | (nibble * 17) << 24;
        }
    } else {
        uint32_t palette[8];
        AlphaPalette(block[0], block[1], palette);
        uint64_t bits = 0;
        for (int i = 0; i < 6; ++i)
            bits |= uint64_t(block[2 + i]) << (8 * i);
        for (int i = 0; i < 16; ++i)
            out[i] = (out[i] & 0x00FFFFFFu) | palette[(bits >> (3 * i)) & 7] << 24;
    }
}

void EncodeDxtBlock(Format format, const uint32_t in[16], uint8_t* block)
{
    if (format == Format::Dxt1) {
        EncodeColor(in, true, block);
        return;
    }
    if (format == Format::Dxt3)
        EncodeAlpha3(in, block);
    else
        EncodeAlpha5(in, block);
    EncodeColor(in, false, block + 8);
}

void DecodeDxt(Format format, const uint8_t* blocks, uint32_t pitch, uint32_t width, uint32_t height,
    uint32_t* argb, uint32_t stride)
{
    uint32_t blockBytes = DxtBlockBytes(format);
    uint32_t decoded[16];
    for (uint32_t by = 0; by < (height + 3) / 4; ++by)
        for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx) {
            DecodeDxtBlock(format, blocks + size_t(by) * pitch + size_t(bx) * blockBytes, decoded);
            for (uint32_t y = 0; y < 4 && by * 4 + y < height; ++y)
                for (uint32_t x = 0; x < 4 && bx * 4 + x < width; ++x)
                    argb[size_t(by * 4 + y) * stride + bx * 4 + x] = decoded[y * 4 + x];
        }
}

void EncodeDxt(Format format, const uint32_t* argb, uint32_t stride, uint32_t width, uint32_t height,
    uint8_t* blocks, uint32_t pitch)
{
    if (width == 0 || height == 0)
        return;
    uint32_t blockBytes = DxtBlockBytes(format);
    uint32_t pixels[16];
    for (uint32_t by = 0; by < (height + 3) / 4; ++by)
        for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx) {
            for (uint32_t y = 0; y < 4; ++y) {
                uint32_t sy = std::min(by * 4 + y, height - 1);
                for (uint32_t x = 0; x < 4; ++x)
                    pixels[y * 4 + x] = argb[size_t(sy) * stride + std::min(bx * 4 + x, width - 1)];
            }
            EncodeDxtBlock(format, pixels, blocks + size_t(by) * pitch + size_t(bx) * blockBytes);
        }
}

} // namespace plat::gfx::d3dx
