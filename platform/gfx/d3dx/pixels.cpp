#include "platform/gfx/d3dx/pixels.h"

#include "platform/gfx/d3dx/dxt.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat::gfx::d3dx {
namespace {

uint32_t Widen(uint32_t value, uint32_t bits)
{
    // Bit replication to 8 bits.
    switch (bits) {
    case 1:
        return value ? 255 : 0;
    case 4:
        return value * 17;
    case 5:
        return (value << 3) | (value >> 2);
    case 6:
        return (value << 2) | (value >> 4);
    default:
        return value;
    }
}

uint32_t Narrow(uint32_t value, uint32_t bits)
{
    uint32_t levels = (1u << bits) - 1;
    return (value * levels + 127) / 255;
}

uint32_t Load16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

void Store16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

uint32_t Decode(Format format, const uint8_t* p)
{
    switch (format) {
    case Format::A8R8G8B8: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    case Format::X8R8G8B8: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v | 0xFF000000u;
    }
    case Format::R8G8B8:
        return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    case Format::R5G6B5: {
        uint32_t v = Load16(p);
        return 0xFF000000u | Widen(v >> 11, 5) << 16 | Widen((v >> 5) & 63, 6) << 8 | Widen(v & 31, 5);
    }
    case Format::X1R5G5B5:
    case Format::A1R5G5B5: {
        uint32_t v = Load16(p);
        uint32_t a = format == Format::X1R5G5B5 ? 255 : Widen(v >> 15, 1);
        return a << 24 | Widen((v >> 10) & 31, 5) << 16 | Widen((v >> 5) & 31, 5) << 8 | Widen(v & 31, 5);
    }
    case Format::A4R4G4B4: {
        uint32_t v = Load16(p);
        return Widen(v >> 12, 4) << 24 | Widen((v >> 8) & 15, 4) << 16 | Widen((v >> 4) & 15, 4) << 8
            | Widen(v & 15, 4);
    }
    default:
        return 0;
    }
}

void Encode(Format format, uint32_t argb, uint8_t* p)
{
    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format) {
    case Format::A8R8G8B8:
        std::memcpy(p, &argb, 4);
        break;
    case Format::X8R8G8B8: {
        uint32_t v = argb | 0xFF000000u;
        std::memcpy(p, &v, 4);
        break;
    }
    case Format::R8G8B8:
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
        break;
    case Format::R5G6B5:
        Store16(p, Narrow(r, 5) << 11 | Narrow(g, 6) << 5 | Narrow(b, 5));
        break;
    case Format::X1R5G5B5:
        Store16(p, 0x8000 | Narrow(r, 5) << 10 | Narrow(g, 5) << 5 | Narrow(b, 5));
        break;
    case Format::A1R5G5B5:
        Store16(p, (a >= 128 ? 0x8000 : 0) | Narrow(r, 5) << 10 | Narrow(g, 5) << 5 | Narrow(b, 5));
        break;
    case Format::A4R4G4B4:
        Store16(p, Narrow(a, 4) << 12 | Narrow(r, 4) << 8 | Narrow(g, 4) << 4 | Narrow(b, 4));
        break;
    default:
        break;
    }
}

uint32_t PixelBytes(Format format)
{
    switch (format) {
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
        return 4;
    case Format::R8G8B8:
        return 3;
    case Format::R5G6B5:
    case Format::X1R5G5B5:
    case Format::A1R5G5B5:
    case Format::A4R4G4B4:
        return 2;
    default:
        return 0;
    }
}

struct Tap {
    uint32_t first = 0;
    std::vector<float> weights;
};

// Weights of each target pixel along one axis.
std::vector<Tap> Taps(uint32_t source, uint32_t target, Filter filter)
{
    std::vector<Tap> taps(target);
    double scale = double(source) / double(target);
    for (uint32_t t = 0; t < target; ++t) {
        Tap& tap = taps[t];
        double centre = (t + 0.5) * scale; // in source pixel edges
        if (filter == Filter::Point) {
            tap.first = std::min<uint32_t>(source - 1, uint32_t(centre));
            tap.weights = { 1.0f };
            continue;
        }
        double radius;
        bool box = filter == Filter::Box;
        if (filter == Filter::Linear)
            radius = 1.0;
        else if (box)
            radius = std::max(0.5, scale / 2);
        else
            radius = std::max(1.0, scale);
        int64_t lo = int64_t(std::floor(centre - radius));
        int64_t hi = int64_t(std::ceil(centre + radius));
        std::vector<std::pair<int64_t, double>> raw;
        double sum = 0;
        for (int64_t i = lo; i < hi; ++i) {
            double w;
            if (box) {
                w = std::max(
                    0.0, std::min(double(i + 1), centre + radius) - std::max(double(i), centre - radius));
            } else {
                double d = std::fabs(i + 0.5 - centre) / radius;
                w = std::max(0.0, 1.0 - d);
            }
            if (w <= 0)
                continue;
            raw.emplace_back(std::clamp<int64_t>(i, 0, int64_t(source) - 1), w);
            sum += w;
        }
        if (raw.empty() || sum <= 0) {
            tap.first = std::min<uint32_t>(source - 1, uint32_t(centre));
            tap.weights = { 1.0f };
            continue;
        }
        int64_t first = raw.front().first, last = raw.front().first;
        for (const auto& [i, w] : raw) {
            first = std::min(first, i);
            last = std::max(last, i);
        }
        tap.first = uint32_t(first);
        tap.weights.assign(size_t(last - first + 1), 0.0f);
        for (const auto& [i, w] : raw)
            tap.weights[size_t(i - first)] += float(w / sum);
    }
    return taps;
}

uint32_t Pack(const float c[4])
{
    auto q = [](float v) { return uint32_t(std::clamp(std::lround(v), 0l, 255l)); };
    return q(c[0]) << 24 | q(c[1]) << 16 | q(c[2]) << 8 | q(c[3]);
}

} // namespace

bool CanConvert(Format format)
{
    return PixelBytes(format) != 0 || DxtBlockBytes(format) != 0;
}

void ToArgb(Format format, const uint8_t* source, uint32_t pitch, uint32_t width, uint32_t height,
    uint32_t* argb, uint32_t stride)
{
    if (DxtBlockBytes(format)) {
        DecodeDxt(format, source, pitch, width, height, argb, stride);
        return;
    }
    uint32_t bytes = PixelBytes(format);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            argb[size_t(y) * stride + x] = Decode(format, source + size_t(y) * pitch + size_t(x) * bytes);
}

void FromArgb(Format format, const uint32_t* argb, uint32_t stride, uint32_t width, uint32_t height,
    uint8_t* target, uint32_t pitch)
{
    if (DxtBlockBytes(format)) {
        EncodeDxt(format, argb, stride, width, height, target, pitch);
        return;
    }
    uint32_t bytes = PixelBytes(format);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            Encode(format, argb[size_t(y) * stride + x], target + size_t(y) * pitch + size_t(x) * bytes);
}

std::vector<uint32_t> Resample(const uint32_t* argb, uint32_t width, uint32_t height, uint32_t targetWidth,
    uint32_t targetHeight, Filter filter)
{
    std::vector<uint32_t> out(size_t(targetWidth) * targetHeight, 0);
    if (filter == Filter::Default)
        filter = Filter::Triangle;
    if (filter == Filter::None || (width == targetWidth && height == targetHeight)) {
        for (uint32_t y = 0; y < std::min(height, targetHeight); ++y)
            std::memcpy(&out[size_t(y) * targetWidth], argb + size_t(y) * width,
                4 * size_t(std::min(width, targetWidth)));
        return out;
    }
    std::vector<Tap> across = Taps(width, targetWidth, filter);
    std::vector<Tap> down = Taps(height, targetHeight, filter);
    // Horizontal pass into floats, then vertical.
    std::vector<float> middle(size_t(targetWidth) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* row = argb + size_t(y) * width;
        for (uint32_t x = 0; x < targetWidth; ++x) {
            const Tap& tap = across[x];
            float c[4] = { 0, 0, 0, 0 };
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                uint32_t p = row[tap.first + k];
                float w = tap.weights[k];
                c[0] += w * float(p >> 24);
                c[1] += w * float((p >> 16) & 255);
                c[2] += w * float((p >> 8) & 255);
                c[3] += w * float(p & 255);
            }
            std::memcpy(&middle[(size_t(y) * targetWidth + x) * 4], c, sizeof c);
        }
    }
    for (uint32_t y = 0; y < targetHeight; ++y) {
        const Tap& tap = down[y];
        for (uint32_t x = 0; x < targetWidth; ++x) {
            float c[4] = { 0, 0, 0, 0 };
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const float* m = &middle[((tap.first + k) * size_t(targetWidth) + x) * 4];
                float w = tap.weights[k];
                for (int i = 0; i < 4; ++i)
                    c[i] += w * m[i];
            }
            out[size_t(y) * targetWidth + x] = Pack(c);
        }
    }
    return out;
}

} // namespace plat::gfx::d3dx
