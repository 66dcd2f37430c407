// A fixture for the terrain renderers: a device on the null or gl backend, the texture, land
// material and model managers in their globals (two solid-colour materials, each with its own
// near and far texture), the location's pools and rings, and a hand-made visible list.
#pragma once

#include "tests/world/terrain/terrain_fixture.h"

#include "platform/gfx/null/null_backend.h"
#include "platform/win/text.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "tests/support/device_windows.h"
#include "tests/support/ini_tables.h"
#include "tools/texture/tm_file.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"

#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

class TerrainRenderTest : public TerrainTest {
protected:
    // Land material codes of the map and their textures' colours (RGBA bytes).
    static constexpr uint16_t kGrass = 1;
    static constexpr uint16_t kSand = 2;
    static constexpr uint16_t kUnknown = 9; // no material row: drawn untextured

    void TearDown() override
    {
        Location.InvalidateResources();
        Location.Purge();
        LightWare.ClearLights();
        g_pLandMaterials = nullptr;
        m_land.reset();
        g_pModelManager = nullptr;
        m_models.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        Mesh::ResetStreamCache();
        ClearStageTextureCache();
        g_Graphic.Release();
        plat::gfx::null::ResetConfig();
        TerrainTest::TearDown();
    }

    // The device (width x height), the managers and the location's pools for view range 256.
    void Start(const char* backend = "null", plat::gfx::CapsProfile profile = plat::gfx::CapsProfile::Full,
        uint32_t width = 640, uint32_t height = 480)
    {
        plat::gfx::null::ResetConfig();
        ASSERT_TRUE(g_Graphic.CreateDirect3D(backend));
        g_Graphic.GetDirect3D()->SetCapsProfile(profile);
        m_window = std::make_unique<zoq::test::FakeWindow>(width, height);
        ASSERT_TRUE(g_Graphic.CreateDevice(0, int32_t(width), int32_t(height), 32,
            plat::gfx::Format::X8R8G8B8, 0, 0, true, plat::gfx::MultiSample::None, 0, 1,
            plat::gfx::PresentInterval::Default, true, m_window.get()));
        Solid("grass.png", 0x40, 0x80, 0x20);
        Solid("grassfull.png", 0x30, 0x90, 0x10);
        Solid("sand.png", 0xC0, 0xA0, 0x60);
        Solid("sandfull.png", 0xD0, 0xB0, 0x70);
        zoq::test::UseIniTables(
            { { CP1251("Текстуры"),
                  "[TEX_GRASS]\nFilename=grass.png\n[TEX_GRASS_FULL]\nFilename=grassfull.png\n"
                  "[TEX_SAND]\nFilename=sand.png\n[TEX_SAND_FULL]\nFilename=sandfull.png\n" },
                { CP1251("Поверхности"),
                    "[LAND_GRASS]\nGID=1\nTexture=TEX_GRASS\nTextureFull=TEX_GRASS_FULL\n"
                    "[LAND_SAND]\nGID=2\nTexture=TEX_SAND\nTextureFull=TEX_SAND_FULL\n" } });
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        g_pTextureManager = m_textures.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        g_pModelManager = m_models.get();
        m_land = std::make_unique<CLandMaterials>();
        m_land->Init(CP1251("Поверхности"));
        g_pLandMaterials = m_land.get();
        VisibleRadius = 256;
        // The environment as constructed: other tests leave models and weather in it.
        Environment.~CEnvironment();
        new (&Environment) CEnvironment();
        Location.Init();
    }

    // The device texture of a land material's near (full) or far texture.
    uint32_t TextureId(uint16_t gid, bool full)
    {
        const SLandMaterial& material = m_land->GetMaterial(m_land->FindByGID(gid));
        CTexture* texture = m_textures->GetTexture(full ? material.textureFull : material.texture);
        return texture && texture->GetTexture() ? texture->GetTexture()->Id() : 0;
    }

    // The camera high over a world point looking straight down, and the view ranges for 256.
    static void Overhead(float x, float y, float z)
    {
        LookFrom(Vec3 { x, y, z }, Vec3 { 0, 0, -1 });
        Location.SetViewRanges(VisibleRadius);
        Location.cameraCell = Vec3 { x * 0.1f / 64.0f, y * 0.1f / 64.0f, 0.0f };
        Location.cameraHeight = z * 0.1f / 64.0f;
    }

    // The visible list, in order: {column, row, level}; each cell is loaded at its level.
    static void Visible(const std::vector<std::tuple<int, int, int>>& cells, bool load = true)
    {
        Location.visibleCount = 0;
        for (const auto& [column, row, level] : cells) {
            if (load)
                Location.LoadCell(column, row, level);
            Location.Cell(column, row).level = level;
            Location.visibleCells[Location.visibleCount++]
                = CLocation::SVisibleCell { float(Location.visibleCount), column, row };
        }
    }

    static void Solid(const std::string& name, uint8_t r, uint8_t g, uint8_t b)
    {
        zoq::tools::texture::Bytes rgba;
        for (int i = 0; i < 16; ++i)
            rgba.insert(rgba.end(), { r, g, b, 255 });
        std::string error;
        ASSERT_TRUE(zoq::tools::texture::WritePng(name, 4, 4, rgba, error)) << error;
    }

    std::unique_ptr<zoq::test::FakeWindow> m_window;
    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<CLandMaterials> m_land;
};
