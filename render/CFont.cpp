#include "render/CFont.h"

#include "foundation/ByteOrder.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XRangeError.h"
#include "platform/win/text.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace plat::gfx;

CFont* g_pFont = nullptr;

namespace {

constexpr uint32_t kHeaderBytes = 128; // 60 unread, three sizes, the metrics
constexpr uint32_t kGlyphBytes = 28;
constexpr uint32_t kMaxTextureSide = 16384;

struct FontVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};
static_assert(sizeof(FontVertex) == 32);

[[noreturn]] void RefuseFile(const char* path, const char* reason)
{
    char text[512];
    std::snprintf(text, sizeof text, "CFont::Init font file '%s' %s", path ? path : "", reason);
    WriteErrorLog(text);
    throw XRangeError();
}

// Glyph values come from the file: all arithmetic on them is done wide.
int64_t Advance(const FontGlyph& glyph)
{
    return int64_t(glyph.right) - glyph.left;
}

} // namespace

CFont::~CFont()
{
    Release();
}

void CFont::Init(const char* name)
{
    ZJ_TRACE("CFont::Init");
    Release();
    const std::string path
        = std::string(g_ResourceDBManager.BaseDirectory()) + "data\\fonts\\" + (name ? name : "");
    const std::string glyphPath = path + ".kwd";
    const std::string texturePath = path + ".dds";

    XFile file;
    if (!g_PakManager.OpenXFile(glyphPath.c_str(), file))
        RefuseFile(glyphPath.c_str(), "cannot be opened");
    const int64_t size = file.Size();
    std::vector<uint8_t> bytes(size_t(std::max<int64_t>(size, 0)));
    bytes.resize(file.ReadAvailable(bytes.data(), bytes.size()));
    file.Close();
    ReadGlyphFile(bytes.data(), bytes.size(), glyphPath.c_str());

    m_texture = new CTexture();
    g_Graphic.CreateTexture(
        m_texture, m_textureWidth, m_textureHeight, 1, Format::A4R4G4B4, Pool::Managed, 0);
    m_texture->LoadFromFile(texturePath.c_str(), 16, 0, 1, false);
    // Counted once loaded, so that Release takes off the same amount.
    if (g_pTextureManager)
        g_pTextureManager->AddMemory(int32_t(m_texture->GetMemory()), 1);
    AllocateQuads();
}

void CFont::ReadGlyphFile(const uint8_t* data, size_t size, const char* path)
{
    if (size < kHeaderBytes)
        RefuseFile(path, "is short");
    const uint32_t textureWidth = uint32_t(LoadLE<int32_t>(data + 60));
    const uint32_t textureHeight = uint32_t(LoadLE<int32_t>(data + 64));
    const uint32_t count = uint32_t(LoadLE<int32_t>(data + 68));
    if (textureWidth == 0 || textureHeight == 0 || textureWidth > kMaxTextureSide
        || textureHeight > kMaxTextureSide)
        RefuseFile(path, "names a bad texture size");
    if (uint64_t(count) * kGlyphBytes > size - kHeaderBytes)
        RefuseFile(path, "holds fewer glyphs than it names");
    ClearGlyphs();
    for (int i = 0; i < kMetrics; ++i)
        m_metrics[i] = LoadLE<int32_t>(data + 72 + 4 * i);
    m_textureWidth = textureWidth;
    m_textureHeight = textureHeight;
    if (count > 0)
        m_glyphs.AddEmpty(true, int(count));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* bytes = data + kHeaderBytes + size_t(i) * kGlyphBytes;
        FontGlyph& glyph = m_glyphs.At(int(i));
        glyph.code = uint32_t(LoadLE<int32_t>(bytes));
        glyph.left = LoadLE<int32_t>(bytes + 4);
        glyph.top = LoadLE<int32_t>(bytes + 8);
        glyph.right = LoadLE<int32_t>(bytes + 12);
        glyph.fourth = LoadLE<int32_t>(bytes + 16);
        glyph.width = LoadLE<int32_t>(bytes + 20);
        glyph.height = LoadLE<int32_t>(bytes + 24);
    }
    IndexGlyphs();
}

void CFont::IndexGlyphs()
{
    m_glyphPages.fill(0);
    m_glyphSlots.assign(256, 0);
    for (int i = 0; i < m_glyphs.Count(); ++i) {
        const uint32_t code = m_glyphs.Data()[i].code;
        if (code > 0xFFFF)
            continue;
        uint16_t& page = m_glyphPages[code >> 8];
        if (page == 0) {
            page = uint16_t(m_glyphSlots.size() >> 8);
            m_glyphSlots.resize(m_glyphSlots.size() + 256, 0);
        }
        uint32_t& slot = m_glyphSlots[size_t(page) << 8 | (code & 0xFF)];
        if (slot == 0) // the first glyph of a code in file order wins
            slot = uint32_t(i) + 1;
    }
    // Windows-1251 is the one code page the game's data is written in; every Codepage value reads it.
    for (int byte = 0; byte < 256; ++byte)
        m_byteGlyphs[size_t(byte)] = FindGlyph(uint32_t(plat::win::Cp1251ToCodePoint(uint8_t(byte))));
}

void CFont::ClearGlyphs()
{
    m_glyphs.Done();
    IndexGlyphs();
}

void CFont::AllocateQuads()
{
    uint16_t* indices = m_quads.Allocate(kVertexFormat, kVertices, kIndices);
    for (uint32_t q = 0; q < uint32_t(kBatchGlyphs); ++q) {
        const uint16_t base = uint16_t(4 * q);
        const uint16_t quad[6]
            = { base, uint16_t(base + 1), uint16_t(base + 2), uint16_t(base + 2), uint16_t(base + 3), base };
        std::memcpy(indices + 6 * q, quad, sizeof quad);
    }
    m_quads.vertexCount = 0;
    m_quads.indexCount = 0;
}

void CFont::Release()
{
    m_quads.Free();
    if (m_texture) {
        if (g_pTextureManager)
            g_pTextureManager->AddMemory(-int32_t(m_texture->GetMemory()), -1);
        delete m_texture;
        m_texture = nullptr;
    }
    ClearGlyphs();
    m_lastGlyphs = 0;
}

int32_t CFont::GetLineHeight() const
{
    return int32_t(std::clamp<int64_t>(int64_t(m_metrics[0]) + m_metrics[2], INT32_MIN, INT32_MAX));
}

int32_t CFont::GetTextWidth(const char* text) const
{
    int64_t width = 0;
    for (const char* c = text ? text : ""; *c; ++c)
        if (const FontGlyph* glyph = GlyphOf(*c))
            width += Advance(*glyph);
    return int32_t(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

bool CFont::FitText(const CXAnsiString& text, CXAnsiString& out, int32_t maxWidth, int32_t tail) const
{
    ZJ_TRACE("CFont::FitText");
    // The width of first n + ".." + last tail is the head's width plus a fixed part, and the head
    // loses one character's advance a step: one pass finds the longest head that fits.
    const char* bytes = text.Text();
    auto advance = [this](char byte) {
        const FontGlyph* glyph = GlyphOf(byte);
        return glyph ? Advance(*glyph) : 0;
    };
    auto clamped = [](int64_t width) { return std::clamp<int64_t>(width, INT32_MIN, INT32_MAX); };
    const long long length = (long long)text.Length();
    int64_t head = 0;
    for (long long i = 0; i < length; ++i)
        head += advance(bytes[i]);
    if (clamped(head) < maxWidth) {
        out = text;
        return false;
    }
    tail = int32_t(std::clamp<long long>(tail, 0, length));
    long long n = std::max<long long>(length - tail - 2, 0);
    int64_t rest = 2 * advance('.');
    for (long long i = length - tail; i < length; ++i)
        rest += advance(bytes[i]);
    for (long long i = n; i < length; ++i)
        head -= advance(bytes[i]);
    while (clamped(head + rest) > maxWidth && n > 0) {
        --n;
        head -= advance(bytes[n]);
    }
    out = text.Left(n);
    out += "..";
    out += text.Right(tail);
    return true;
}

int CFont::LayoutText(int32_t x, int32_t y, const char* text, const BatchSink& sink)
{
    return Layout(x, y, text, false, 0, sink);
}

int CFont::LayoutText(int32_t x, int32_t y, int32_t width, const char* text, const BatchSink& sink)
{
    return Layout(x, y, text, true, width, sink);
}

int CFont::Layout(int32_t x, int32_t y, const char* text, bool spread, int32_t width, const BatchSink& sink)
{
    ZJ_TRACE("CFont::PrintText");
    m_lastGlyphs = 0;
    if (!text || !*text || !m_quads.vertices)
        return 0;

    float perBlank = 0;
    if (spread) {
        const float extra = float(int64_t(width) - GetTextWidth(text));
        int blanks = 0;
        for (const char* c = text; *c; ++c)
            blanks += *c == ' ';
        perBlank = blanks ? extra / float(blanks) : 0.0f;
        if (perBlank > 20.0f)
            perBlank = 0;
    }
    float accumulated = 0;
    int64_t given = 0;

    const float originX = float(x) - 0.5f;
    float penX = originX;
    float penY = float(y) - 0.5f;
    const float textureWidth = float(m_textureWidth);
    const float textureHeight = float(m_textureHeight);
    auto* vertices = reinterpret_cast<FontVertex*>(m_quads.vertices);
    int inBatch = 0;
    int total = 0;
    auto flush = [&] {
        if (inBatch == 0)
            return;
        m_quads.vertexCount = uint32_t(4 * inBatch);
        m_quads.indexCount = uint32_t(6 * inBatch);
        if (sink)
            sink(m_quads);
        inBatch = 0;
    };
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') {
            penX = originX;
            penY += float(GetLineHeight());
            continue;
        }
        const FontGlyph* glyph = GlyphOf(*c);
        if (!glyph)
            continue;
        if (inBatch == kBatchGlyphs)
            flush();
        const float w = float(int64_t(glyph->width) - 1);
        const float h = float(int64_t(glyph->height) - 1);
        const float u0 = float(glyph->left) / textureWidth;
        const float v0 = float(glyph->top) / textureHeight;
        const float u1 = float(int64_t(glyph->left) + glyph->width - 1) / textureWidth;
        const float v1 = float(int64_t(glyph->top) + glyph->height - 1) / textureHeight;
        FontVertex* quad = vertices + 4 * inBatch;
        quad[0] = { penX, penY, 0, 0.1f, u0, v0, 0, 0 };
        quad[1] = { penX + w, penY, 0, 0.1f, u1, v0, 0, 0 };
        quad[2] = { penX + w, penY + h, 0, 0.1f, u1, v1, 0, 0 };
        quad[3] = { penX, penY + h, 0, 0.1f, u0, v1, 0, 0 };
        ++inBatch;
        ++total;
        penX += float(Advance(*glyph));
        if (spread && *c == ' ') {
            accumulated += perBlank;
            const int64_t target = std::llround(accumulated);
            penX += float(target - given);
            given = target;
        }
    }
    flush();
    m_lastGlyphs = total;
    return total;
}
