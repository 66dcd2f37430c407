#include "tests/render/render_fixture.h"

#include "platform/win/text.h"
#include "render/CSurfaceManager.h"
#include "render/TextureManager.h"
#include "tools/texture/tm_file.h"

#include <cstring>
#include <memory>

using namespace plat::gfx;
namespace tex = zoq::tools::texture;

namespace {

// A picture whose every 4 x 4 block differs from its neighbours.
void WritePicture(const std::string& name, uint32_t width, uint32_t height)
{
    tex::Bytes rgba;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rgba.insert(
                rgba.end(), { uint8_t(x / 4 * 37), uint8_t(y / 4 * 53), uint8_t((x + y) / 4 * 11), 255 });
    std::string error;
    ASSERT_TRUE(tex::WritePng(name, width, height, rgba, error)) << error;
}

class SurfaceManagerTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        WritePicture("big.png", 640, 480);
        WritePicture("auto.png", 100, 60);
    }
    void TearDown() override
    {
        g_pSurfaceManager = nullptr;
        m_surfaces.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        RenderTest::TearDown();
    }
    void Start(bool dynamicCache = true)
    {
        ASSERT_TRUE(CreateGraphic());
        g_Graphic.MutableCaps().dynamicTextures = dynamicCache;
        WriteTable(CP1251("Текстуры"), {});
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        m_textures->CreateCacheTextures();
        g_pTextureManager = m_textures.get();
        WriteTable(CP1251("Изображения"),
            {
                { "SUF_BIG",
                    { { "Filename", "big.png" }, { "WIDTH", "640" }, { "HEIGHT", "480" },
                        { "NOFILTER", "1" } } },
                { "SUF_AUTO", { { "Filename", "auto.png" }, { "WIDTH", "0" }, { "HEIGHT", "17" } } },
                { "SUF_LOST", { { "Filename", "lost.png" }, { "WIDTH", "64" }, { "HEIGHT", "64" } } },
                { "SUF_NONE", { { "Filename", "none.png" } } },
            });
        m_surfaces = std::make_unique<CSurfaceManager>();
        m_surfaces->Init(CP1251("Изображения"));
        g_pSurfaceManager = m_surfaces.get();
    }
    std::vector<SurfaceTile> Tiles(int index, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
    {
        std::vector<SurfaceTile> tiles;
        int32_t w = 0, h = 0;
        m_surfaces->GetSize(index, w, h);
        m_surfaces->DrawTiles(m_surfaces->GetSurface(index), w, h, x0, y0, x1, y1,
            [&](const SurfaceTile& tile) { tiles.push_back(tile); });
        return tiles;
    }
    // The first block row of the cache texture and of the picture at a block column.
    Bytes CacheBlocks(CTexture* cache, size_t bytes)
    {
        // The system copy: a static cache texture of the default pool does not lock.
        const uint8_t* bits = cache->GetTexture()->Level(0).Bits();
        return Bytes(bits, bits + bytes);
    }
    Bytes PictureBlocks(Surface* surface, int32_t column, size_t bytes)
    {
        return Bytes(
            surface->Bits() + size_t(column / 4) * 16, surface->Bits() + size_t(column / 4) * 16 + bytes);
    }

    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<CSurfaceManager> m_surfaces;
};

} // namespace

TEST_F(SurfaceManagerTest, recordsAndSurfaces)
{
    Start();
    EXPECT_EQ(m_surfaces->GetRecordCount(), 4);
    EXPECT_EQ(m_surfaces->FindSurface("SUF_AUTO"), 1);
    int32_t w = -1, h = -1;
    m_surfaces->GetSize(-1, w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    m_surfaces->GetSize(1, w, h); // WIDTH 0: both from the file
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 60);
    EXPECT_TRUE(m_surfaces->GetRecord(0).noFilter);
    EXPECT_EQ(m_surfaces->GetSurface(-1), nullptr);

    Surface* big = m_surfaces->GetSurface(0);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetFormat(), Format::Dxt3);
    EXPECT_EQ(m_surfaces->GetSurface(0), big);
    Surface* odd = m_surfaces->GetSurface(1);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->Width(), 100u);
    EXPECT_EQ(odd->Height(), 60u);
    EXPECT_FALSE(LogExists());

    // A file that does not load keeps its empty surface; one that cannot have a surface gives null,
    // logged once.
    EXPECT_NE(m_surfaces->GetSurface(2), nullptr);
    EXPECT_EQ(m_surfaces->GetSurface(3), nullptr);
    EXPECT_EQ(m_surfaces->GetSurface(3), nullptr);
    EXPECT_EQ(LogMessages(),
        (std::vector<std::string> { "CSurfaceManager::GetSurface Can`t load surface",
            "CTexture::LoadFromFile Can`t create surface" }));
    m_surfaces->CopyToCacheTexture(3, 0, 0, 16, 16);
    EXPECT_EQ(LogMessages().size(), 2u);
}

TEST_F(SurfaceManagerTest, aBigPictureIsCutIntoTiles)
{
    Start();
    const std::vector<SurfaceTile> tiles = Tiles(0, 0, 0, 640, 480);
    const int32_t sizes[6][2]
        = { { 256, 256 }, { 256, 256 }, { 128, 256 }, { 256, 224 }, { 256, 224 }, { 128, 224 } };
    ASSERT_EQ(tiles.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(tiles[i].screen.Width(), sizes[i][0]) << i;
        EXPECT_EQ(tiles[i].screen.Height(), sizes[i][1]) << i;
        EXPECT_EQ(tiles[i].source.Width(), sizes[i][0]) << i;
        EXPECT_EQ(tiles[i].texture, (Rect { 0, 0, 257, 257 })) << i;
    }
    EXPECT_EQ(tiles[4].screen, (Rect { 256, 256, 512, 480 }));

    // Drawn at half size into (10, 20)-(330, 260).
    const std::vector<SurfaceTile> half = Tiles(0, 10, 20, 330, 260);
    ASSERT_EQ(half.size(), 6u);
    EXPECT_EQ(half[2].screen, (Rect { 266, 20, 330, 148 }));
    EXPECT_EQ(half[0].texture, (Rect { 0, 0, 129, 129 }));
    // The last tile is in the cache: it equals the picture's block at column 512, row 256.
    Surface* big = m_surfaces->GetSurface(0);
    EXPECT_EQ(m_surfaces->LastSurface(), big);
    const Bytes cache = CacheBlocks(m_textures->GetCacheTexture1(), 16);
    const Bytes picture(big->Bits() + size_t(256 / 4) * big->Pitch() + 512 / 4 * 16,
        big->Bits() + size_t(256 / 4) * big->Pitch() + 512 / 4 * 16 + 16);
    EXPECT_EQ(cache, picture);
}

TEST_F(SurfaceManagerTest, theSameTileIsCopiedOnce)
{
    Start();
    WritePicture("square.png", 256, 256);
    WriteTable(CP1251("Изображения"), { { "SUF_SQUARE", { { "Filename", "square.png" } } } });
    m_surfaces->Init(CP1251("Изображения"));
    Surface* square = m_surfaces->GetSurface(0);
    ASSERT_NE(square, nullptr);
    const uint32_t before = Null().GetCounters().surfaceUploads;
    m_surfaces->DrawTiles(square, 256, 256, 0, 0, 256, 256, nullptr);
    const uint32_t once = Null().GetCounters().surfaceUploads;
    EXPECT_GT(once, before);
    m_surfaces->DrawTiles(square, 256, 256, 0, 0, 128, 128, nullptr);
    EXPECT_EQ(Null().GetCounters().surfaceUploads, once);
    m_surfaces->ForgetCachedTile();
    m_surfaces->DrawTiles(square, 256, 256, 0, 0, 256, 256, nullptr);
    EXPECT_GT(Null().GetCounters().surfaceUploads, once);
}

TEST_F(SurfaceManagerTest, pictureRectanglesStartOnTheBlockGrid)
{
    for (bool dynamicCache : { true, false }) {
        SCOPED_TRACE(dynamicCache);
        Start(dynamicCache);
        Surface* big = m_surfaces->GetSurface(0);
        std::vector<SurfaceTile> tiles;
        m_surfaces->DrawTilesEx(
            big, 0, 0, 100, 50, 5, 2, 105, 52, [&](const SurfaceTile& t) { tiles.push_back(t); });
        ASSERT_EQ(tiles.size(), 1u);
        EXPECT_EQ(tiles[0].source, (Rect { 4, 0, 108, 52 }));
        EXPECT_EQ(tiles[0].texture, (Rect { 1, 2, 257, 258 }));
        EXPECT_EQ(tiles[0].screen, (Rect { 0, 0, 100, 50 }));
        EXPECT_EQ(CacheBlocks(m_textures->GetCacheTexture1(), 32), PictureBlocks(big, 4, 32));
        EXPECT_FALSE(LogExists());

        // A rectangle reaching past the picture copies only what the picture holds.
        tiles.clear();
        m_surfaces->DrawTilesEx(
            big, 0, 0, 600, 100, 500, 400, 1100, 500, [&](const SurfaceTile& t) { tiles.push_back(t); });
        ASSERT_EQ(tiles.size(), 1u);
        EXPECT_EQ(tiles[0].source, (Rect { 500, 400, 640, 480 }));

        m_surfaces.reset();
        m_textures.reset();
        g_pTextureManager = nullptr;
        g_Graphic.Release();
    }
}

TEST_F(SurfaceManagerTest, copyFailuresAreLogged)
{
    Start(false);
    Surface* big = m_surfaces->GetSurface(0);
    null::GetConfig().failCopyRects = true;
    m_surfaces->DrawTilesEx(big, 0, 0, 64, 64, 0, 0, 64, 64, nullptr);
    null::GetConfig().failCopyRects = false;
    null::GetConfig().failUpdateTexture = true;
    m_surfaces->DrawTilesEx(big, 0, 0, 64, 64, 0, 0, 64, 64, nullptr);
    EXPECT_EQ(LogMessages(), (std::vector<std::string> { "Can`t copy rects", "UpdateTexture fails" }));
}

TEST_F(SurfaceManagerTest, copyToCacheTextureFillsTheSecondCache)
{
    for (bool dynamicCache : { true, false }) {
        SCOPED_TRACE(dynamicCache);
        Start(dynamicCache);
        Surface* big = m_surfaces->GetSurface(0);
        m_surfaces->CopyToCacheTexture(0, 6, 0, 600, 100); // edges brought up: columns 8 to 264
        EXPECT_EQ(CacheBlocks(m_textures->GetCacheTexture2(), 64), PictureBlocks(big, 8, 64));
        m_surfaces->CopyToCacheTexture(0, 600, 400, 900, 700); // clamped to the picture
        const uint8_t* corner = big->Bits() + size_t(400 / 4) * big->Pitch() + 600 / 4 * 16;
        EXPECT_EQ(CacheBlocks(m_textures->GetCacheTexture2(), 32), Bytes(corner, corner + 32));
        EXPECT_EQ(m_surfaces->LastSurface(), nullptr);
        EXPECT_FALSE(LogExists());
        m_surfaces.reset();
        m_textures.reset();
        g_pTextureManager = nullptr;
        g_Graphic.Release();
    }
}
