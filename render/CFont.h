// CFont: the one bitmap font. A glyph file "data\fonts\NAME.kwd" maps UTF-16 characters to cells
// of a texture "NAME.dds"; CFont measures texts, shortens them to a width and lays them out as
// screen-space quads, one per glyph, in its vertex data. Texts are Windows-1251, one UTF-16
// character a byte, so they are read through a table of the glyphs of the 256 byte values. A
// layout hands its quads on in batches of at most 1024 glyphs. Main thread only.
#pragma once

#include "foundation/CXAnsiString.h"
#include "foundation/XDynamicArray.h"
#include "render/CVertexData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CTexture;

// One glyph of the file, 28 bytes.
struct FontGlyph {
    uint32_t code; // UTF-16 character
    int32_t left; // texture x of the cell
    int32_t top; // texture y
    int32_t right; // right - left is the advance
    int32_t fourth; // not read
    int32_t width; // cell width + 1
    int32_t height; // cell height + 1
};

class CFont {
public:
    static constexpr int kMetrics = 14;
    static constexpr uint32_t kVertexFormat = 0x204; // XYZRHW | TEX2, 32 bytes a vertex
    static constexpr int kBatchGlyphs = 1024;
    static constexpr uint32_t kVertices = 4 * kBatchGlyphs;
    static constexpr uint32_t kIndices = 6 * kBatchGlyphs;

    // Receives each batch of laid-out quads in the vertex data (vertexCount and indexCount set).
    using BatchSink = std::function<void(CVertexData& quads)>;

    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Reads the glyph file and the texture and prepares the quads. A glyph file that cannot be read
    // whole logs a line and throws; a texture that does not load is only logged.
    void Init(const char* name);
    // The glyph file's sizes, metrics and glyphs from its bytes; a file that does not hold what it
    // names logs a line naming path and throws XRangeError.
    void ReadGlyphFile(const uint8_t* data, size_t size, const char* path);
    // The quads' vertex data and the indices of 1024 quads.
    void AllocateQuads();
    void Release();
    void ClearGlyphs();

    int32_t GetLineHeight() const;
    // Sum of the advances of the text's glyphs; characters without a glyph add nothing.
    int32_t GetTextWidth(const char* text) const;
    // When the text is narrower than maxWidth: out = text, false. Else the first n characters, ".."
    // and the last tail ones, n shrinking from length - tail - 2 (at least 0) until out fits or n is
    // 0; true.
    bool FitText(const CXAnsiString& text, CXAnsiString& out, int32_t maxWidth, int32_t tail) const;

    // Lays the text out with its top-left corner at (x, y); returns the glyphs laid out.
    int LayoutText(int32_t x, int32_t y, const char* text, const BatchSink& sink);
    // The same, spreading width - text width over the blanks (nothing when that exceeds 20 a blank).
    int LayoutText(int32_t x, int32_t y, int32_t width, const char* text, const BatchSink& sink);

    // Draws the text through "SCREEN" with slot 37 and the font texture, each batch after setting
    // the texture factor to colour (CFont_draw.cpp).
    void PrintText(int32_t x, int32_t y, const char* text, uint32_t colour, int mask = 3);
    void Print(int32_t x, int32_t y, int32_t width, const char* text, uint32_t colour, int mask = 3);

    // The glyph of a UTF-16 character, first in file order; null when none, and for codes above
    // 0xFFFF, which no text can hold.
    const FontGlyph* FindGlyph(uint32_t code) const
    {
        if (code > 0xFFFF)
            return nullptr;
        const uint32_t slot = m_glyphSlots[size_t(m_glyphPages[code >> 8]) << 8 | (code & 0xFF)];
        return slot ? m_glyphs.Data() + (slot - 1) : nullptr;
    }
    int GetGlyphCount() const { return m_glyphs.Count(); }
    const int32_t* GetMetrics() const { return m_metrics; }
    CTexture* GetTexture() const { return m_texture; }
    uint32_t GetTextureWidth() const { return m_textureWidth; }
    uint32_t GetTextureHeight() const { return m_textureHeight; }
    CVertexData& GetVertexData() { return m_quads; }
    // Glyphs of the text last laid out.
    int GetLastGlyphCount() const { return m_lastGlyphs; }

private:
    int Layout(int32_t x, int32_t y, const char* text, bool spread, int32_t width, const BatchSink& sink);
    // Fills the character and byte lookups from the glyph table.
    void IndexGlyphs();
    const FontGlyph* GlyphOf(char byte) const { return m_byteGlyphs[uint8_t(byte)]; }

    int32_t m_metrics[kMetrics] = {};
    CTexture* m_texture = nullptr;
    XDynamicArray<FontGlyph> m_glyphs;
    // Character lookup: the high byte picks a page of 256 slots, each slot holds glyph index + 1
    // or 0. Page 0 stays empty and stands for every page without glyphs.
    std::array<uint16_t, 256> m_glyphPages = {};
    std::vector<uint32_t> m_glyphSlots = std::vector<uint32_t>(256);
    std::array<const FontGlyph*, 256> m_byteGlyphs = {}; // by Windows-1251 byte
    uint32_t m_textureWidth = 0;
    uint32_t m_textureHeight = 0;
    CVertexData m_quads;
    int m_lastGlyphs = 0;
};

extern CFont* g_pFont;
