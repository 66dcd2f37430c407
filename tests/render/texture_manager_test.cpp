#include "tests/render/render_fixture.h"

#include "foundation/XRangeError.h"
#include "platform/win/text.h"
#include "render/TextureManager.h"
#include "tools/texture/font_file.h"
#include "tools/texture/tm_file.h"

#include <cstring>
#include <memory>

using namespace plat::gfx;
namespace tex = zoq::tools::texture;

namespace {

tex::Picture Flat(uint32_t side, uint32_t argb)
{
    return { side, side, std::vector<uint32_t>(size_t(side) * side, argb) };
}

class TextureManagerTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        std::string error;
        ASSERT_TRUE(tex::WriteTm("sample.TM", Flat(32, 0xFF808080), tex::TmFormat::Xrgb, error)) << error;
        ASSERT_TRUE(tex::WriteTm("rock.TM", Flat(64, 0xFF102030), tex::TmFormat::Argb, error)) << error;
        tex::Picture height = Flat(32, 0xFF000000);
        for (uint32_t i = 0; i < height.argb.size(); ++i)
            height.argb[i] |= (i * 13) & 0xFF;
        ASSERT_TRUE(tex::WriteTm("height.TM", height, tex::TmFormat::Xrgb, error)) << error;
    }
    void TearDown() override
    {
        m_manager.reset();
        RenderTest::TearDown();
    }

    void Load(std::vector<Row> rows)
    {
        WriteTable(CP1251("Текстуры"), rows);
        m_manager = std::make_unique<TextureManager>();
        m_manager->Init(CP1251("Текстуры"));
    }
    std::vector<Row> StandardRows()
    {
        return {
            { "TEX_SAMPLECOLOR", { { "Filename", "sample.TM" }, { "TEXTURETYPE", "2" } } },
            { "TEX_ROCK", { { "Filename", "rock.TM" }, { "Color", "-16711936" }, { "TEXTURETYPE", "2" } } },
            { "TEX_LOST", { { "Filename", "lost.TM" } } },
            { "TEX_BUMP", { { "Filename", "height.TM" }, { "Type", "3" }, { "TEXTURETYPE", "3" } } },
        };
    }

    std::unique_ptr<TextureManager> m_manager;
};

} // namespace

TEST(TextureQualityTest, tableOfTypeAndQuality)
{
    const int32_t expected[4][5][2] = {
        { { 32, 0 }, { 16, 0 }, { 32, 1 }, { 16, 1 }, { 16, 2 } },
        { { 32, 0 }, { 32, 0 }, { 16, 0 }, { 16, 0 }, { 16, 1 } },
        { { 32, 0 }, { 32, 0 }, { 32, 0 }, { 32, 0 }, { 32, 0 } },
        { { 16, 0 }, { 16, 0 }, { 16, 1 }, { 16, 1 }, { 16, 2 } },
    };
    for (uint32_t type = 0; type < 6; ++type) {
        for (int32_t quality = 0; quality < 5; ++quality) {
            int32_t bits = 0, reduction = 0;
            TextureManager::LoadQuality(type, quality, bits, reduction);
            const int32_t wantBits = type > 3 ? 32 : expected[type][quality][0];
            const int32_t wantReduction = type > 3 ? 0 : expected[type][quality][1];
            EXPECT_EQ(bits, wantBits) << type << " " << quality;
            EXPECT_EQ(reduction, wantReduction) << type << " " << quality;
        }
    }
}

TEST_F(TextureManagerTest, formatsAreProbedFromTheDevice)
{
    ASSERT_TRUE(CreateGraphic());
    const struct {
        int32_t bps;
        Format rgb, rgba, rgba1;
    } rows[] = {
        { 32, Format::X8R8G8B8, Format::A8R8G8B8, Format::A8R8G8B8 },
        { 16, Format::R5G6B5, Format::A4R4G4B4, Format::A1R5G5B5 },
    };
    for (const auto& row : rows) {
        g_RenderSettings.textureBPS = row.bps;
        TextureManager manager;
        EXPECT_EQ(manager.GetRgbFormat(), row.rgb);
        EXPECT_EQ(manager.GetRgbaFormat(), row.rgba);
        EXPECT_EQ(manager.GetRgba1Format(), row.rgba1);
        EXPECT_EQ(manager.GetBumpFormat(), Format::V8U8);
        EXPECT_TRUE(g_RenderSettings.textureCompression);
    }
    EXPECT_FALSE(LogExists());
    g_Graphic.Release();

    null::GetConfig().hal.refusedFormats = { Format::Dxt3, Format::V8U8, Format::A4R4G4B4 };
    ASSERT_TRUE(CreateGraphic());
    g_RenderSettings.textureBPS = 16;
    TextureManager manager;
    EXPECT_FALSE(g_RenderSettings.textureCompression);
    EXPECT_EQ(manager.GetBumpFormat(), Format::Unknown);
    EXPECT_EQ(manager.GetRgbaFormat(), Format::Unknown);
    EXPECT_EQ(LogMessages(), std::vector<std::string> { "RGBA texture format is not found" });
}

TEST_F(TextureManagerTest, recordsLoadOnFirstUse)
{
    ASSERT_TRUE(CreateGraphic());
    Load(StandardRows());
    EXPECT_EQ(m_manager->GetRecordCount(), 4);
    EXPECT_EQ(m_manager->GetFallbackIndex(), 0);
    EXPECT_EQ(m_manager->FindTexture("TEX_ROCK"), 1);
    EXPECT_EQ(m_manager->GetColor(1), 4278255360u);
    EXPECT_EQ(m_manager->GetTexture(-1), nullptr);
    EXPECT_THROW(m_manager->GetTexture(4), XRangeError);

    CTexture* rock = m_manager->GetTexture(1);
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->GetWidth(), 64);
    EXPECT_EQ(rock->GetTexture()->GetFormat(), Format::A8R8G8B8);
    EXPECT_EQ(m_manager->GetTexture(1), rock);
    EXPECT_EQ(m_manager->GetTextureCount(), 1);
    EXPECT_EQ(m_manager->GetTextureMemory(), int32_t(rock->GetMemory()));
    EXPECT_GT(m_manager->GetAvailableMemory(), 0u);
}

TEST_F(TextureManagerTest, qualityReducesAndDeepensTextures)
{
    ASSERT_TRUE(CreateGraphic());
    g_RenderSettings.textureQuality = 2;
    std::vector<Row> rows = StandardRows();
    rows[1].keys[2].second = "0"; // TEX_ROCK: TEXTURETYPE 0 at quality 2: 32 bits, one level dropped
    rows[0].keys[1].second = "1"; // TEX_SAMPLECOLOR: TEXTURETYPE 1 at quality 2: 16 bits
    Load(rows);
    CTexture* rock = m_manager->GetTexture(1);
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->GetWidth(), 32);
    EXPECT_EQ(rock->GetTexture()->GetFormat(), Format::A8R8G8B8);
    CTexture* sample = m_manager->GetTexture(0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->GetTexture()->GetFormat(), Format::R5G6B5);
}

TEST_F(TextureManagerTest, missingFileFallsBackAndLogsOnce)
{
    ASSERT_TRUE(CreateGraphic());
    Load(StandardRows());
    CTexture* sample = m_manager->GetTexture(0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(m_manager->GetTexture(2), sample);
    EXPECT_EQ(m_manager->GetTexture(2), sample);
    EXPECT_TRUE(m_manager->GetRecord(2).failed);
    EXPECT_EQ(LogMessages(),
        std::vector<std::string> { "TextureManager::GetTexture error loading texture 'lost.TM'" });
    EXPECT_EQ(m_manager->GetTextureCount(), 1);
}

TEST_F(TextureManagerTest, failingFallbackGivesNull)
{
    ASSERT_TRUE(CreateGraphic());
    std::vector<Row> rows = StandardRows();
    rows[0].keys[0].second = "nothing.TM";
    Load(rows);
    EXPECT_EQ(m_manager->GetTexture(2), nullptr);
    EXPECT_EQ(m_manager->GetTexture(0), nullptr);
    EXPECT_EQ(m_manager->GetTexture(2), nullptr);
    EXPECT_EQ(LogMessages().size(), 2u);
    EXPECT_EQ(m_manager->GetTextureCount(), 0);

    // Without a fallback row a failed record gives null too.
    rows.erase(rows.begin());
    Load(rows);
    EXPECT_EQ(m_manager->GetFallbackIndex(), -1);
    EXPECT_EQ(m_manager->GetTexture(1), nullptr);
}

TEST_F(TextureManagerTest, heightTexturesBecomeBumpTextures)
{
    ASSERT_TRUE(CreateGraphic());
    Load(StandardRows());
    m_manager->CreateCacheTextures();
    CTexture* bump = m_manager->GetTexture(3);
    ASSERT_NE(bump, nullptr);
    EXPECT_EQ(bump->GetTexture()->GetFormat(), Format::V8U8);
    EXPECT_EQ(bump->GetTexture()->GetLevelCount(), 5u); // the height texture's levels
    m_manager->GetTexture(0);
    m_manager->GetTexture(1);
    EXPECT_EQ(m_manager->GetTextureCount(), 5);
    m_manager->ReleaseCacheTextures();
    EXPECT_EQ(m_manager->GetTextureCount(), 0);
    EXPECT_EQ(m_manager->GetTextureMemory(), 0);
    EXPECT_EQ(m_manager->GetCacheTexture1(), nullptr);
    EXPECT_FALSE(LogExists());
}

TEST_F(TextureManagerTest, heightTexturesStayWithoutABumpFormat)
{
    null::GetConfig().hal.refusedFormats = { Format::V8U8 };
    ASSERT_TRUE(CreateGraphic());
    std::vector<Row> rows = StandardRows();
    rows.push_back({ "TEX_BUMP2", { { "Filename", "height.TM" }, { "Type", "3" } } });
    Load(rows);
    CTexture* first = m_manager->GetTexture(3);
    CTexture* second = m_manager->GetTexture(4);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetTexture()->GetFormat(), Format::X8R8G8B8); // always loaded at 32 bits
    EXPECT_EQ(LogMessages().size(), 1u);
}

TEST_F(TextureManagerTest, cacheTexturesAreDynamicDxt3AndCounted)
{
    ASSERT_TRUE(CreateGraphic());
    Load(StandardRows());
    m_manager->CreateCacheTextures();
    CTexture* cache = m_manager->GetCacheTexture1();
    ASSERT_NE(cache, nullptr);
    ASSERT_NE(cache->GetTexture(), nullptr);
    EXPECT_EQ(cache->GetTexture()->GetFormat(), Format::Dxt3);
    EXPECT_EQ(cache->GetTexture()->GetPool(), Pool::Default);
    EXPECT_TRUE(cache->IsDynamic());
    EXPECT_EQ(m_manager->GetTextureCount(), 2);
    EXPECT_EQ(m_manager->GetTextureMemory(), 2 * (1024 + 256 * 256 * 2));
    m_manager->CreateCacheTextures();
    EXPECT_EQ(m_manager->GetTextureCount(), 2);
    m_manager->AddMemory(100, 1);
    m_manager->AddMemory(-100, -1);
    m_manager->ReleaseCacheTextures();
    EXPECT_EQ(m_manager->GetTextureCount(), 0);
    EXPECT_EQ(m_manager->GetTextureMemory(), 0);

    // Without dynamic textures the cache is made static.
    g_Graphic.MutableCaps().dynamicTextures = false;
    m_manager->CreateCacheTextures();
    EXPECT_FALSE(m_manager->GetCacheTexture2()->IsDynamic());
    m_manager->ReleaseCacheTextures();
}

TEST_F(TextureManagerTest, idLogNamesEachLoadedRowOnce)
{
    ASSERT_TRUE(CreateGraphic());
    WriteTable(CP1251("Текстуры"), StandardRows());
    m_manager = std::make_unique<TextureManager>();
    m_manager->SetLogging(1);
    m_manager->Init(CP1251("Текстуры"));
    m_manager->GetTexture(1);
    m_manager->GetTexture(1);
    m_manager.reset();
    const Bytes log = ReadBytes("TextureManager_Log.txt");
    EXPECT_EQ(std::string(log.begin(), log.end()), "TEX_ROCK\trock.TM\n");
}

TEST_F(TextureManagerTest, memoryEstimateCountsEveryLevel)
{
    ASSERT_TRUE(CreateGraphic());
    CTexture texture;
    g_Graphic.CreateTexture(&texture, 256, 256, 9, Format::A8R8G8B8, Pool::Managed, 0);
    ASSERT_NE(texture.GetTexture(), nullptr);
    EXPECT_EQ(texture.GetMemory(), 9u * 1024 + 4 * (65536 + 16384 + 4096 + 1024 + 256 + 64 + 16 + 4 + 1));
    g_Graphic.CreateTexture(&texture, 64, 32, 2, Format::A1R5G5B5, Pool::Managed, 0);
    EXPECT_EQ(texture.GetMemory(), 2u * 1024 + 2 * (64 * 32 + 32 * 16));
    g_Graphic.CreateTexture(&texture, 64, 64, 0, Format::R5G6B5, Pool::Managed, 0);
    EXPECT_EQ(texture.GetMemory(), 0u);

    null::GetConfig().failCreates = 1;
    CTexture failed;
    g_Graphic.CreateTexture(&failed, 64, 64, 1, Format::R5G6B5, Pool::Managed, 0);
    EXPECT_EQ(failed.GetTexture(), nullptr);
    EXPECT_EQ(failed.GetMemory(), 0u);
    EXPECT_EQ(LogMessages(), std::vector<std::string> { "Graphic::CreateTexture fails" });
}

TEST_F(TextureManagerTest, setToStageBindsOnlyWhenTheStageHoldsAnother)
{
    ASSERT_TRUE(CreateGraphic());
    CTexture a, b;
    g_Graphic.CreateTexture(&a, 8, 8, 1, Format::A8R8G8B8, Pool::Managed, 0);
    g_Graphic.CreateTexture(&b, 8, 8, 1, Format::A8R8G8B8, Pool::Managed, 0);
    a.SetToStage(1);
    EXPECT_EQ(Device().State().textures[1], a.GetTexture());
    // The device changed behind the cache's back: a second SetToStage makes no call.
    Device().SetTexture(1, nullptr);
    a.SetToStage(1);
    EXPECT_EQ(Device().State().textures[1], nullptr);
    b.SetToStage(1);
    EXPECT_EQ(Device().State().textures[1], b.GetTexture());
    EXPECT_EQ(StageTextureCache[1], &b);
    // A texture that goes away leaves no entry behind.
    b.ReleaseTexture();
    EXPECT_EQ(StageTextureCache[1], nullptr);
}

TEST(FillBumpLevelTest, neighboursAndFormats)
{
    // Heights in the blue byte of 32-bit pixels; the centre is a pit.
    const uint8_t heights[3][3] = { { 10, 20, 30 }, { 40, 5, 60 }, { 70, 80, 90 } };
    uint32_t source[9];
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            source[y * 3 + x] = 0xFF000000u | heights[y][x];

    struct Expect {
        int x, y;
        uint8_t du, dv;
    };
    const Expect cells[] = {
        { 1, 1, 35, uint8_t(20 - 80) }, // pit: l - h
        { 0, 0, uint8_t(10 - 20), uint8_t(10 - 40) }, // left and upper neighbours are the pixel itself
        { 2, 2, uint8_t(80 - 90), uint8_t(60 - 90) }, // right and lower neighbours are the pixel itself
        { 2, 1, uint8_t(5 - 60), uint8_t(30 - 90) },
    };
    uint8_t v8u8[3][6] = {};
    TextureManager::FillBumpLevel(
        reinterpret_cast<const uint8_t*>(source), 12, &v8u8[0][0], 6, 3, 3, Format::V8U8);
    uint16_t l6v5u5[3][3] = {};
    TextureManager::FillBumpLevel(reinterpret_cast<const uint8_t*>(source), 12,
        reinterpret_cast<uint8_t*>(l6v5u5), 6, 3, 3, Format::L6V5U5);
    uint8_t x8l8v8u8[3][12] = {};
    TextureManager::FillBumpLevel(
        reinterpret_cast<const uint8_t*>(source), 12, &x8l8v8u8[0][0], 12, 3, 3, Format::X8L8V8U8);
    for (const Expect& cell : cells) {
        SCOPED_TRACE(cell.x * 10 + cell.y);
        const uint8_t h = heights[cell.y][cell.x];
        EXPECT_EQ(v8u8[cell.y][2 * cell.x], cell.du);
        EXPECT_EQ(v8u8[cell.y][2 * cell.x + 1], cell.dv);
        EXPECT_EQ(l6v5u5[cell.y][cell.x], uint16_t((cell.du >> 3) | (cell.dv >> 3) << 5 | (h >> 2) << 10));
        EXPECT_EQ(x8l8v8u8[cell.y][4 * cell.x], cell.du);
        EXPECT_EQ(x8l8v8u8[cell.y][4 * cell.x + 1], cell.dv);
        EXPECT_EQ(x8l8v8u8[cell.y][4 * cell.x + 2], h);
        EXPECT_EQ(x8l8v8u8[cell.y][4 * cell.x + 3], 0);
    }
}

TEST_F(TextureManagerTest, imageFilesLoadThroughThePlatformLoader)
{
    ASSERT_TRUE(CreateGraphic());
    tex::Picture picture = Flat(16, 0x80FF0000);
    std::string error;
    Bytes rgba;
    for (uint32_t pixel : picture.argb)
        rgba.insert(
            rgba.end(), { uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), uint8_t(pixel >> 24) });
    ASSERT_TRUE(tex::WritePng("red.png", 16, 16, rgba, error)) << error;
    WriteBytes("red.dds", tex::EncodeDds32(picture));

    const struct {
        const char* name;
        int32_t bits;
        Format format;
    } rows[] = {
        { "red.png", 16, Format::R5G6B5 },
        { "red.png", 32, Format::X8R8G8B8 },
        { "red.dds", 16, Format::A4R4G4B4 },
        { "red.dds", 32, Format::A8R8G8B8 },
    };
    for (const auto& row : rows) {
        CTexture texture;
        ASSERT_TRUE(texture.LoadFromFile(row.name, row.bits, 0, 0, true)) << row.name;
        EXPECT_EQ(texture.GetTexture()->GetFormat(), row.format);
        EXPECT_EQ(texture.GetWidth(), 16);
        EXPECT_EQ(texture.GetTexture()->GetLevelCount(), 5u);
        EXPECT_EQ(texture.GetMemory(), 5u * 1024 + uint32_t(row.bits / 8) * (256 + 64 + 16 + 4 + 1));
    }
    CTexture missing;
    EXPECT_FALSE(missing.LoadFromFile("none.png", 32, 0, 0, true));
    EXPECT_EQ(
        LogMessages(), std::vector<std::string> { "CTexture::LoadFromFile file 'none.png' not loaded" });
}
