#include "tests/render/render_fixture.h"

#include "foundation/XRangeError.h"
#include "platform/win/text.h"
#include "render/CFont.h"
#include "render/CTexture.h"
#include "render/TextureManager.h"
#include "tools/texture/font_file.h"

#include <algorithm>
#include <memory>

using namespace plat::gfx;
namespace tex = zoq::tools::texture;

namespace {

struct Vertex {
    float x, y, z, rhw, u0, v0, u1, v1;
};

tex::FontFile TestFont()
{
    tex::FontFile font;
    font.metrics[0] = 14;
    font.metrics[1] = 99;
    font.metrics[2] = 4;
    // code, left, top, right (advance right - left), fourth, cell width + 1, cell height + 1
    font.glyphs = {
        { 'A', 0, 0, 10, 0, 9, 13 }, { 'B', 10, 0, 22, 0, 11, 13 }, { ' ', 22, 0, 27, 0, 1, 1 },
        { 'C', 27, 0, 35, 0, 8, 13 }, { '.', 35, 0, 38, 0, 3, 3 },
        { 0x0416, 0, 16, 11, 0, 11, 13 }, // Cyrillic capital zhe
        { 'A', 40, 16, 99, 0, 5, 5 }, // a second 'A' is never used
    };
    font.texture = { 64, 32, std::vector<uint32_t>(64 * 32, 0xFFFFFFFF) };
    return font;
}

class FontTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
        WriteTable(CP1251("Текстуры"), {});
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        g_pTextureManager = m_textures.get();
        std::filesystem::create_directories("data/fonts");
        std::string error;
        ASSERT_TRUE(tex::WriteFont("data/fonts/test", TestFont(), error)) << error;
    }
    void TearDown() override
    {
        m_font.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        RenderTest::TearDown();
    }
    CFont& Font()
    {
        if (!m_font) {
            m_font = std::make_unique<CFont>();
            m_font->Init("test");
        }
        return *m_font;
    }
    // Lays the text out and returns the quads of its batches.
    std::vector<Vertex> Quads(int32_t x, int32_t y, const char* text, int32_t width = -1)
    {
        std::vector<Vertex> out;
        auto sink = [&](CVertexData& quads) {
            const auto* v = reinterpret_cast<const Vertex*>(quads.vertices);
            out.insert(out.end(), v, v + quads.vertexCount);
        };
        if (width < 0)
            Font().LayoutText(x, y, text, sink);
        else
            Font().LayoutText(x, y, width, text, sink);
        return out;
    }

    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<CFont> m_font;
};

} // namespace

TEST_F(FontTest, initReadsGlyphsMetricsAndTexture)
{
    CFont& font = Font();
    EXPECT_EQ(font.GetGlyphCount(), 7);
    EXPECT_EQ(font.GetLineHeight(), 18);
    EXPECT_EQ(font.GetMetrics()[1], 99);
    EXPECT_EQ(font.GetTextureWidth(), 64u);
    ASSERT_NE(font.GetTexture(), nullptr);
    ASSERT_NE(font.GetTexture()->GetTexture(), nullptr);
    EXPECT_EQ(font.GetTexture()->GetTexture()->GetFormat(), Format::A4R4G4B4);
    EXPECT_EQ(font.GetTexture()->GetTexture()->GetLevelCount(), 1u);
    EXPECT_EQ(m_textures->GetTextureCount(), 1);
    EXPECT_EQ(m_textures->GetTextureMemory(), 1024 + 2 * 64 * 32);
    CVertexData& quads = font.GetVertexData();
    EXPECT_EQ(quads.stride, 32u);
    EXPECT_EQ(quads.vertexCapacity, 4096u);
    ASSERT_EQ(quads.indexCapacity, 6144u);
    const uint16_t last[6] = { 4092, 4093, 4094, 4094, 4095, 4092 };
    EXPECT_TRUE(std::equal(last, last + 6, quads.indices + 6138));
    font.Release();
    EXPECT_EQ(m_textures->GetTextureCount(), 0);
    EXPECT_EQ(m_textures->GetTextureMemory(), 0);
    EXPECT_EQ(font.GetGlyphCount(), 0);
    EXPECT_FALSE(LogExists());
}

TEST_F(FontTest, layoutPlacesGlyphsAndLines)
{
    const std::vector<Vertex> quads = Quads(100, 50, "AB\nC");
    ASSERT_EQ(quads.size(), 12u);
    const Vertex& a = quads[0];
    EXPECT_EQ(a.x, 99.5f);
    EXPECT_EQ(a.y, 49.5f);
    EXPECT_EQ(a.rhw, 0.1f);
    EXPECT_EQ(a.z, 0.0f);
    EXPECT_EQ(quads[2].x, 107.5f); // cell width 8
    EXPECT_EQ(quads[2].y, 61.5f); // cell height 12
    EXPECT_EQ(quads[2].u0, 8.0f / 64);
    EXPECT_EQ(quads[2].v0, 12.0f / 32);
    EXPECT_EQ(quads[3].u0, 0.0f);
    EXPECT_EQ(quads[4].x, 109.5f); // after A's advance of 10
    EXPECT_EQ(quads[4].u0, 10.0f / 64);
    EXPECT_EQ(quads[8].x, 99.5f); // C: back to x - 0.5, one line lower
    EXPECT_EQ(quads[8].y, 67.5f);
    EXPECT_EQ(Font().GetLastGlyphCount(), 3);
    EXPECT_EQ(Font().GetVertexData().indexCount, 18u);
}

TEST_F(FontTest, widthsCountAdvancesOfKnownGlyphs)
{
    EXPECT_EQ(Font().GetTextWidth(""), 0);
    EXPECT_EQ(Font().GetTextWidth("AB"), 22);
    EXPECT_EQ(Font().GetTextWidth("AxB"), 22);
    EXPECT_EQ(Font().GetTextWidth(CP1251("Ж")), 11);
    const std::vector<Vertex> quads = Quads(0, 0, "AxB");
    ASSERT_EQ(quads.size(), 8u);
    EXPECT_EQ(quads[4].x, 9.5f);
    EXPECT_TRUE(Quads(0, 0, "").empty());
    EXPECT_TRUE(Quads(0, 0, "xyz").empty());
}

TEST_F(FontTest, blanksTakeTheSpareWidth)
{
    // "A B" is 27 wide; B starts at 15 without spreading.
    const struct {
        int32_t width;
        float bAt;
    } rows[] = { { 27 + 40, 14.5f }, { 27 + 10, 24.5f }, { 27 - 3, 11.5f }, { 27, 14.5f } };
    for (const auto& row : rows) {
        const std::vector<Vertex> quads = Quads(0, 0, "A B", row.width);
        ASSERT_EQ(quads.size(), 12u);
        EXPECT_EQ(quads[8].x, row.bAt) << row.width;
    }
    // 2.5 a blank: the first gets 3 (half away from zero), the second 2.
    const std::vector<Vertex> two = Quads(0, 0, "A B C", 27 + 5 + 8 + 5);
    ASSERT_EQ(two.size(), 20u);
    EXPECT_EQ(two[8].x, 14.5f + 3);
    EXPECT_EQ(two[16].x, 14.5f + 3 + 12 + 5 + 2);
}

TEST_F(FontTest, fitTextKeepsTheTail)
{
    const CXAnsiString text("ABABABABABABABABABAB"); // 220 wide, ends "BAB"
    const struct {
        int32_t maxWidth;
        int32_t tail;
        bool shortened;
        const char* out;
    } rows[] = {
        { 221, 3, false, "ABABABABABABABABABAB" },
        { 220, 3, true, "ABABABABABABABA..BAB" }, // as wide as the limit: shortened
        { 210, 3, true, "ABABABABABABABA..BAB" }, // the first try, 15 + ".." + 3, fits
        { 190, 3, true, "ABABABABABABA..BAB" },
        { 1, 3, true, "..BAB" },
    };
    for (const auto& row : rows) {
        CXAnsiString out;
        EXPECT_EQ(Font().FitText(text, out, row.maxWidth, row.tail), row.shortened) << row.maxWidth;
        EXPECT_STREQ(out.Text(), row.out) << row.maxWidth;
    }
    CXAnsiString out;
    EXPECT_TRUE(Font().FitText(CXAnsiString("ABA"), out, 5, 3));
    EXPECT_STREQ(out.Text(), "..ABA");
    EXPECT_TRUE(Font().FitText(CXAnsiString("AB"), out, 5, 7));
    EXPECT_STREQ(out.Text(), "..AB");
}

// Shortening by measuring each try whole, as the fitting rule reads.
bool FitByMeasuring(
    const CFont& font, const CXAnsiString& text, CXAnsiString& out, int32_t maxWidth, int32_t tail)
{
    if (font.GetTextWidth(text.Text()) < maxWidth) {
        out = text;
        return false;
    }
    const long long length = (long long)text.Length();
    tail = int32_t(std::clamp<long long>(tail, 0, length));
    for (long long n = std::max<long long>(length - tail - 2, 0);; --n) {
        out = text.Left(n);
        out += "..";
        out += text.Right(tail);
        if (font.GetTextWidth(out.Text()) <= maxWidth || n <= 0)
            return true;
    }
}

TEST_F(FontTest, fitTextMatchesMeasuringEachTry)
{
    // A glyph that steps back makes widths fall as well as rise with the head's length.
    tex::FontFile file = TestFont();
    file.glyphs.push_back({ '<', 0, 0, -7, 0, 1, 1 });
    std::string error;
    ASSERT_TRUE(tex::WriteFont("data/fonts/back", file, error)) << error;
    CFont font;
    font.Init("back");
    const char* texts[] = { "", "A", "..", "AB<<<<AB", "A<B<C<A<B<C<", "<<<<<<<<AAAA", "AB?C?\n?BA",
        CP1251("ЖЖAЖЖBЖЖ<<<<"), "ABABABABABABABABABABABABABABABABABAB<<<<<<<<<<<<<<<<<<<<<<<<<<<<" };
    for (const char* text : texts)
        for (int32_t maxWidth : { -50, -1, 0, 1, 12, 25, 40, 70, 150, 400 })
            for (int32_t tail : { -1, 0, 1, 3, 40 }) {
                CXAnsiString fitted;
                CXAnsiString measured;
                const bool shortened = font.FitText(CXAnsiString(text), fitted, maxWidth, tail);
                EXPECT_EQ(shortened, FitByMeasuring(font, CXAnsiString(text), measured, maxWidth, tail));
                EXPECT_STREQ(fitted.Text(), measured.Text()) << text << " " << maxWidth << " " << tail;
            }
}

TEST_F(FontTest, glyphLookupKeepsCodesApart)
{
    tex::FontFile file = TestFont();
    file.glyphs.push_back({ 0x0141, 50, 0, 51, 0, 1, 1 }); // same low byte as 'A'
    file.glyphs.push_back({ 0x10041, 52, 0, 53, 0, 1, 1 }); // beyond UTF-16
    file.glyphs.push_back({ 0x10058, 56, 0, 57, 0, 1, 1 }); // low bits of 'X', which has none
    file.glyphs.push_back({ 0xFFFF, 54, 0, 55, 0, 1, 1 });
    std::string error;
    ASSERT_TRUE(tex::WriteFont("data/fonts/pages", file, error)) << error;
    CFont font;
    font.Init("pages");
    const struct {
        uint32_t code;
        int32_t left; // -1: no glyph
    } rows[] = { { 'A', 0 }, { 0x0141, 50 }, { 0x0416, 0 }, { 0x0441, -1 }, { 0xFFFF, 54 }, { 0x10041, -1 },
        { 'X', -1 }, { 0x10058, -1 }, { 0xFFFFFFFF, -1 }, { 0, -1 }, { 'Z', -1 } };
    for (const auto& row : rows) {
        const FontGlyph* glyph = font.FindGlyph(row.code);
        EXPECT_EQ(glyph ? glyph->left : -1, row.left) << row.code;
    }
    font.ClearGlyphs();
    EXPECT_EQ(font.FindGlyph('A'), nullptr);
    EXPECT_EQ(font.GetTextWidth("AB"), 0);
}

TEST_F(FontTest, longTextsGoInBatchesOf1024Glyphs)
{
    const std::string text(1500, 'A');
    std::vector<uint32_t> batches;
    const int glyphs = Font().LayoutText(0, 0, text.c_str(), [&](CVertexData& quads) {
        batches.push_back(quads.vertexCount);
        EXPECT_EQ(quads.indexCount, quads.vertexCount / 4 * 6);
    });
    EXPECT_EQ(glyphs, 1500);
    EXPECT_EQ(batches, (std::vector<uint32_t> { 4096, 1904 }));
    // The second batch starts where the first left the pen.
    const auto* first = reinterpret_cast<const Vertex*>(Font().GetVertexData().vertices);
    EXPECT_EQ(first[0].x, 1024 * 10 - 0.5f);
}

TEST_F(FontTest, badGlyphFilesThrowAfterTheTrace)
{
    tex::FontFile font = TestFont();
    tex::Bytes kwd = tex::EncodeKwd(font);
    kwd[68] = 9; // nine glyphs named, seven held
    WriteBytes("data/fonts/short.kwd", kwd);
    WriteBytes("data/fonts/tiny.kwd", tex::Bytes(100, 0));
    kwd = tex::EncodeKwd(font);
    kwd[60] = kwd[61] = 0; // texture width 0
    WriteBytes("data/fonts/flat.kwd", kwd);
    for (const char* name : { "short", "tiny", "flat", "missing" }) {
        SCOPED_TRACE(name);
        ResetCallTrace();
        CFont bad;
        EXPECT_THROW(bad.Init(name), XRangeError);
        EXPECT_NE(std::string(CallTraceText()).find("->CFont::Init"), std::string::npos);
        EXPECT_EQ(bad.GetGlyphCount(), 0);
    }
    EXPECT_EQ(LogMessages().size(), 4u);
    EXPECT_EQ(LogMessages()[0],
        "CFont::Init font file '.\\data\\fonts\\short.kwd' holds fewer glyphs than it names");
    EXPECT_EQ(m_textures->GetTextureCount(), 0);
}

TEST_F(FontTest, aMissingTextureIsOnlyLogged)
{
    std::filesystem::remove("data/fonts/test.dds");
    CFont& font = Font();
    EXPECT_EQ(font.GetGlyphCount(), 7);
    ASSERT_NE(font.GetTexture(), nullptr);
    EXPECT_EQ(font.GetTexture()->GetTexture(), nullptr);
    EXPECT_EQ(LogMessages(),
        std::vector<std::string> { "CTexture::LoadFromFile file '.\\data\\fonts\\test.dds' not loaded" });
    EXPECT_EQ(Quads(0, 0, "A").size(), 4u);
    font.Release();
    EXPECT_EQ(m_textures->GetTextureCount(), 0);
    EXPECT_EQ(m_textures->GetTextureMemory(), 0);
}
