// TM texture files, read through the file layer. Little-endian header of 76 bytes:
//   +0 width, +4 height, +8 format (21 A8R8G8B8, 22 X8R8G8B8), +16 compressed flag,
//   +20 level count (compressed files), level data from +76, level 0 first.
// Uncompressed levels hold two planes so that a 16-bit texture reads only the first: format 21
// is an A4R4G4B4 plane of high nibbles then one of low nibbles; format 22 an R5G6B5 plane of the
// high bits then a byte plane of the low bits (red 5-7, green 3-4, blue 0-2). Compressed levels
// are DXT5 blocks, w * h bytes a level, sides multiples of 4 (not necessarily powers of two). Only level 0 of
// an uncompressed file is read; the smaller levels are averaged from it.
#pragma once

#include "foundation/XFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct TMHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = 0;
    uint32_t reserved = 0;
    uint32_t compressed = 0;
    uint32_t levels = 0;
};

class TMReader {
public:
    static constexpr uint32_t kHeaderSize = 76;
    static constexpr uint32_t kMaxSide = 8192;
    // Format values as TM files store them, and the two 16-bit forms the reader makes of them.
    static constexpr uint32_t kFormatArgb = 21; // A8R8G8B8
    static constexpr uint32_t kFormatXrgb = 22; // X8R8G8B8
    static constexpr uint32_t kFormatRgb565 = 23; // R5G6B5: plane A of format 22
    static constexpr uint32_t kFormatArgb4444 = 26; // A4R4G4B4: plane A of format 21

    // The header fields of 76 bytes.
    static TMHeader ParseHeader(const uint8_t* bytes);
    // Null for a header the reader takes, else why it is refused.
    static const char* CheckHeader(const TMHeader& header);
    // Compressed levels are whole 4 x 4 blocks: both sides multiples of 4. A file stores w * h bytes a
    // level, so only such levels hold whole blocks.
    static bool IsWholeBlocks(uint32_t width, uint32_t height);
    // Levels of whole blocks from (width, height) down: 3 for 16 x 8, 1 for 20 x 12.
    static uint32_t BlockLevels(uint32_t width, uint32_t height);
    // Bytes of uncompressed level 0 of a file in that format holding p pixels.
    static uint64_t UncompressedLevelBytes(uint32_t format, uint64_t pixels);

    // Opens and checks the file. At or below 16 pixels after the reduction a side is read whole and
    // at 32 bits; at 16 bits an uncompressed file reads as format 26 or 23. False when the file
    // cannot be opened (Refused() false) or its header is refused (Refused() true, Reason()).
    bool Open(const char* name, int32_t bitsPerPixel, int32_t reduction);
    // Writes the top level to a locked level of Width() x Height() pixels in Format().
    void ReadTopLevel(uint8_t* bits, int32_t pitch);
    // Compressed: moves to the first level kept and reads levels from there, w * h bytes each.
    void SeekCompressedLevels();
    // Reads n bytes at the position; bytes past the end of the file are zero.
    void ReadZeroFilled(uint8_t* dest, size_t n);
    void Close();

    // Averages a level of 4 x 4-byte pixels (21, 22) or 16-bit pixels (23, 26, each channel at its
    // own width) into the next: each target pixel takes the rounded mean of a 2 x 2 source square,
    // whose reads stop at the last row and column.
    static void BuildMipLevel(const uint8_t* source, int32_t sourcePitch, uint32_t sourceWidth,
        uint32_t sourceHeight, uint8_t* target, int32_t targetPitch, uint32_t targetWidth,
        uint32_t targetHeight, uint32_t format);

    bool Refused() const { return m_refused; }
    const std::string& Reason() const { return m_reason; }
    const TMHeader& Header() const { return m_header; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t Format() const { return m_format; }
    bool IsCompressed() const { return m_header.compressed != 0; }
    int32_t Reduction() const { return m_reduction; }
    int32_t BitsPerPixel() const { return m_bitsPerPixel; }
    // Compressed: the levels the file holds from the first one kept.
    uint32_t LevelsAfterReduction() const { return m_header.levels - uint32_t(m_reduction); }

private:
    bool Refuse(const char* reason);

    XFile m_file;
    uint64_t m_position = 0;
    uint64_t m_pixelCount = 0; // pixels of the level about to be read, as the file lays it out
    int32_t m_reduction = 0;
    int32_t m_bitsPerPixel = 32;
    TMHeader m_header;
    uint32_t m_width = 0; // reduced
    uint32_t m_height = 0;
    uint32_t m_format = 0; // as read: 21, 22, 23 or 26
    bool m_refused = false;
    std::string m_reason;
};
