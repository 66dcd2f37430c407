// Pictures and text drawn through the model manager's "SCREEN" ring and the shader slots.
#include "tests/render/model_fixture.h"

#include "platform/gfx/device.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "tools/texture/font_file.h"

#include <cstring>
#include <filesystem>

using namespace plat::gfx;
namespace tex = zoq::tools::texture;

namespace {

struct ScreenVertex {
    float x, y, z, rhw, u0, v0, u1, v1;
};

class ModelDrawTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        m_textures->CreateCacheTextures();
    }
    void TearDown() override
    {
        m_font.reset();
        g_pSurfaceManager = nullptr;
        m_surfaces.reset();
        ModelTest::TearDown();
    }
    uint32_t IdOf(CTexture* texture)
    {
        return texture && texture->GetTexture() ? texture->GetTexture()->Id() : 0;
    }
    uint32_t ScreenBufferId() { return m_models->GetBuffer(m_models->ScreenSlot()).vertexBuffer->Id(); }
    // The quad of the last submission to "SCREEN".
    std::vector<ScreenVertex> LastQuad()
    {
        CRenderBuffer& screen = m_models->GetBuffer(m_models->ScreenSlot());
        uint8_t* bytes = nullptr;
        EXPECT_EQ(
            screen.vertexBuffer->Lock(screen.startVertex * 32, 4 * 32, &bytes, lock::kReadOnly), Result::Ok);
        std::vector<ScreenVertex> quad(4);
        std::memcpy(quad.data(), bytes, 4 * 32);
        screen.vertexBuffer->Unlock();
        return quad;
    }

    std::unique_ptr<CSurfaceManager> m_surfaces;
    std::unique_ptr<CFont> m_font;
};

TEST_F(ModelDrawTest, pictureDrawsATileQuadPerApplyWithCacheAndPattern)
{
    WritePng("big.png", 640, 480);
    AddTable(CP1251("Изображения"),
        { { "SUF_BIG", { { "Filename", "big.png" }, { "WIDTH", "640" }, { "HEIGHT", "480" } } } });
    m_surfaces = std::make_unique<CSurfaceManager>();
    m_surfaces->Init(CP1251("Изображения"));
    g_pSurfaceManager = m_surfaces.get();
    CTexture* pattern = m_textures->GetTexture(1);
    ASSERT_NE(pattern, nullptr);
    constexpr int kSlot = 17; // binds the caller's first two textures
    Null().ClearRecords();
    m_surfaces->CopyToTexture(0, kSlot, 0, 0, 640, 480, pattern);
    ASSERT_EQ(Null().Draws().size(), 6u);
    for (const null::DrawRecord& draw : Null().Draws()) {
        EXPECT_EQ(draw.vertexBuffer, ScreenBufferId());
        EXPECT_EQ(draw.textures[0], IdOf(m_textures->GetCacheTexture1()));
        EXPECT_EQ(draw.textures[1], IdOf(pattern));
        EXPECT_EQ(draw.call.primitiveCount, 2u);
    }
    // The last tile, 128 x 224 at (512, 256): its pattern repeats every 64 pixels.
    const std::vector<ScreenVertex> quad = LastQuad();
    EXPECT_EQ(quad[0].x, 511.5f);
    EXPECT_EQ(quad[0].y, 255.5f);
    EXPECT_EQ(quad[3].x, 639.5f);
    EXPECT_EQ(quad[3].y, 479.5f);
    EXPECT_EQ(quad[3].u1, 2.0f);
    EXPECT_EQ(quad[3].v1, 3.5f);
    EXPECT_EQ(quad[0].u1, 0.0f);
    EXPECT_FLOAT_EQ(quad[3].u0, 128.0f / 257); // texture rectangle (0, 0)-(257, 257)
    // A rectangle of the picture draws with both cache textures.
    Null().ClearRecords();
    m_surfaces->UpdateTexture(0, kSlot, 10, 10, 30, 20, 5, 8, 25, 18, true);
    ASSERT_EQ(Null().Draws().size(), 1u);
    EXPECT_EQ(Null().Draws()[0].textures[1], IdOf(m_textures->GetCacheTexture2()));
    const std::vector<ScreenVertex> piece = LastQuad();
    EXPECT_FLOAT_EQ(piece[0].u0, 1.5f / 256); // column 5 in the block from column 4, half a texel in
    EXPECT_EQ(piece[0].u1, piece[0].u0);
    Null().ClearRecords();
    m_surfaces->CopyToTexture(-1, kSlot, 0, 0, 10, 10, pattern);
    EXPECT_TRUE(Null().Draws().empty());
}

TEST_F(ModelDrawTest, textDrawsThroughSlot37AfterItsFactorColour)
{
    tex::FontFile font;
    font.metrics[0] = 14;
    font.glyphs = { { 'A', 0, 0, 10, 0, 9, 13 }, { 'B', 10, 0, 22, 0, 11, 13 } };
    font.texture = { 32, 16, std::vector<uint32_t>(32 * 16, 0xFFFFFFFF) };
    std::filesystem::create_directories("data/fonts");
    std::string error;
    ASSERT_TRUE(tex::WriteFont("data/fonts/test", font, error)) << error;
    m_font = std::make_unique<CFont>();
    m_font->Init("test");
    Null().ClearRecords();
    m_font->PrintText(10, 20, "AB", 0x80FF0000u);
    ASSERT_EQ(Null().Draws().size(), 1u);
    const null::DrawRecord& draw = Null().Draws()[0];
    EXPECT_EQ(draw.vertexBuffer, ScreenBufferId());
    EXPECT_EQ(draw.textures[0], IdOf(m_font->GetTexture()));
    EXPECT_EQ(draw.render[size_t(RenderState::TextureFactor)], 0x80FF0000u);
    EXPECT_EQ(draw.call.primitiveCount, 4u);
    EXPECT_EQ(m_shaders->CurrentSlot(), 37);
    const std::vector<ScreenVertex> first = LastQuad();
    EXPECT_EQ(first[0].x, 9.5f);
    EXPECT_EQ(first[0].y, 19.5f);

    Null().ClearRecords();
    m_font->Print(0, 0, 200, std::string(1500, 'A').c_str(), 0xFF00FF00u, 3);
    ASSERT_EQ(Null().Draws().size(), 2u);
    EXPECT_EQ(Null().Draws()[0].call.primitiveCount, 2048u);
    EXPECT_EQ(Null().Draws()[1].call.primitiveCount, 2u * (1500 - 1024));
    EXPECT_EQ(Null().Draws()[1].render[size_t(RenderState::TextureFactor)], 0xFF00FF00u);
    Null().ClearRecords();
    m_font->PrintText(0, 0, "", 0);
    EXPECT_TRUE(Null().Draws().empty());
}

} // namespace
