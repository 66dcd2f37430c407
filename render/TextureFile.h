// TextureFile: the software DXT5 decoder of TM files, for devices without DXT5 textures. Colours
// are widened without bit replication and every block has four colours; pixels come out as
// A8R8G8B8, zero where no block covers them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TextureFile {
public:
    TextureFile(uint32_t width, uint32_t height);
    virtual ~TextureFile() = default;

    uint8_t* Data() { return m_data.data(); }
    size_t DataSize() const { return m_data.size(); }
    const uint32_t* Pixels() const { return m_pixels.data(); }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }

    void Decode();
    // One 16-byte block into 16 pixels, row by row.
    void DecodeBlock(const uint8_t* block, uint32_t* pixels);

private:
    void DecodeColourEndpoints(uint16_t c0, uint16_t c1, uint32_t colours[4]);
    void ExpandColourIndices(const uint8_t* indices, const uint32_t colours[4], uint32_t* pixels);
    void ApplyAlphaBlock(const uint8_t* block, uint32_t* pixels);

    std::vector<uint8_t> m_data;
    std::vector<uint32_t> m_pixels;
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_alphas[8] = {};
    uint32_t m_alphaIndices[16] = {};
};
