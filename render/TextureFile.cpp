#include "render/TextureFile.h"

#include "foundation/ByteOrder.h"

#include <cstring>

TextureFile::TextureFile(uint32_t width, uint32_t height)
    : m_data(size_t(width) * height)
    , m_pixels(size_t(width) * height)
    , m_width(width)
    , m_height(height)
{
}

void TextureFile::Decode()
{
    if (m_height < 4 || m_width < 4)
        return;
    const uint32_t blocksWide = m_width / 4;
    const uint32_t blocksHigh = m_height / 4;
    const uint8_t* block = m_data.data();
    uint32_t pixels[16];
    for (uint32_t by = 0; by < blocksHigh; ++by) {
        for (uint32_t bx = 0; bx < blocksWide; ++bx, block += 16) {
            DecodeBlock(block, pixels);
            for (uint32_t row = 0; row < 4; ++row)
                std::memcpy(&m_pixels[size_t(by * 4 + row) * m_width + bx * 4], pixels + row * 4, 16);
        }
    }
}

void TextureFile::DecodeBlock(const uint8_t* block, uint32_t* pixels)
{
    uint32_t colours[4];
    DecodeColourEndpoints(LoadLE<uint16_t>(block + 8), LoadLE<uint16_t>(block + 10), colours);
    ExpandColourIndices(block + 12, colours, pixels);
    ApplyAlphaBlock(block, pixels);
}

void TextureFile::DecodeColourEndpoints(uint16_t c0, uint16_t c1, uint32_t colours[4])
{
    auto expand = [](uint16_t c, uint32_t rgb[3]) {
        rgb[0] = uint32_t(c >> 11) << 3;
        rgb[1] = uint32_t((c >> 5) & 0x3F) << 2;
        rgb[2] = uint32_t(c & 0x1F) << 3;
    };
    uint32_t a[3], b[3];
    expand(c0, a);
    expand(c1, b);
    auto pack = [](uint32_t r, uint32_t g, uint32_t bl) { return 0xFF000000u | r << 16 | g << 8 | bl; };
    colours[0] = pack(a[0], a[1], a[2]);
    colours[1] = pack(b[0], b[1], b[2]);
    colours[2] = pack((2 * a[0] + b[0]) / 3, (2 * a[1] + b[1]) / 3, (2 * a[2] + b[2]) / 3);
    colours[3] = pack((a[0] + 2 * b[0]) / 3, (a[1] + 2 * b[1]) / 3, (a[2] + 2 * b[2]) / 3);
}

void TextureFile::ExpandColourIndices(const uint8_t* indices, const uint32_t colours[4], uint32_t* pixels)
{
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 4; ++x)
            pixels[row * 4 + x] = colours[(indices[row] >> (2 * x)) & 3];
}

void TextureFile::ApplyAlphaBlock(const uint8_t* block, uint32_t* pixels)
{
    const uint32_t a0 = block[0];
    const uint32_t a1 = block[1];
    m_alphas[0] = a0;
    m_alphas[1] = a1;
    if (a0 > a1) {
        for (uint32_t k = 1; k <= 6; ++k)
            m_alphas[k + 1] = ((7 - k) * a0 + k * a1) / 7;
    } else {
        for (uint32_t k = 1; k <= 4; ++k)
            m_alphas[k + 1] = ((5 - k) * a0 + k * a1) / 5;
        m_alphas[6] = 0;
        m_alphas[7] = 255;
    }
    for (int group = 0; group < 2; ++group) {
        const uint8_t* bytes = block + 2 + group * 3;
        const uint32_t bits = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16;
        for (int i = 0; i < 8; ++i)
            m_alphaIndices[group * 8 + i] = (bits >> (3 * i)) & 7;
    }
    for (int i = 0; i < 16; ++i)
        pixels[i] = (pixels[i] & 0x00FFFFFFu) | m_alphas[m_alphaIndices[i]] << 24;
}
