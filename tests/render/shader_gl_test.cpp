// The slots drawn by the OpenGL backend on the offscreen driver: one row per family of slots,
// with its textures, factor, clear colour and the colour worked out by hand (±2 a channel).
// Textures are solid colours unless a row says otherwise, so coordinates do not matter.
#include "tests/render/shader_fixture.h"

#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "tests/support/files.h"
#include "tests/support/gl_environment.h"
#include "tools/texture/image_files.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace plat::gfx;
using namespace shader_test;

namespace {

constexpr uint32_t kSize = 32;

// A pre-transformed vertex with both colours and one coordinate set.
struct ScreenVertex {
    float x, y, z, rhw;
    Color diffuse;
    Color specular;
    float u, v;
};
constexpr uint32_t kScreenFvf = fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1;
static_assert(sizeof(ScreenVertex) == 32);

// The water vertex as its declaration reads it: v0, v1, v3 three floats, v5 a colour, v7 two.
struct WaterVertex {
    float position[3];
    float normal[3];
    float third[3];
    Color diffuse;
    float uv[2];
};
static_assert(sizeof(WaterVertex) == 48);

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// Red, green and blue within 2 of the expected.
::testing::AssertionResult RgbNear(uint32_t actual, uint32_t expected)
{
    for (int shift : { 0, 8, 16 })
        if (std::abs(int((actual >> shift) & 255) - int((expected >> shift) & 255)) > 2)
            return ::testing::AssertionFailure() << Hex(actual) << " is not " << Hex(expected) << " (±2)";
    return ::testing::AssertionSuccess();
}

} // namespace

class ShaderGlTest : public ShaderTest {
protected:
    // A 32x32 lockable window-sized device on gl; lower (the caps-limiting option) replaces what
    // the adapter reports, while the backend draws as before.
    void CreateGl(void (*lower)(Caps&) = nullptr)
    {
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        ASSERT_TRUE(g_Graphic.CreateDirect3D("gl"));
        Adapter* adapter = g_Graphic.GetDirect3D();
        adapter->SetCapsProfile(CapsProfile::Full);
        if (lower) {
            Caps caps;
            ASSERT_EQ(adapter->GetDeviceCaps(0, DeviceType::Hal, caps), Result::Ok);
            lower(caps);
            adapter->SetCaps(DeviceType::Hal, caps);
        }
        ASSERT_TRUE(g_Graphic.CreateDevice(0, kSize, kSize, 32, Format::X8R8G8B8, 0, 0, true,
            MultiSample::None, 0, 1, PresentInterval::Default, true, &m_small));
        ASSERT_EQ(g_Graphic.BackBufferFormat(), Format::X8R8G8B8);
        m_manager = std::make_unique<TexShaderManager>();
        ASSERT_TRUE(m_manager->Init(true));
    }
    void TearDown() override
    {
        m_textures.clear();
        m_meshes.clear();
        ShaderTest::TearDown();
    }

    CTexture* Solid(Color argb, Format format = Format::A8R8G8B8) { return Texels(1, 1, { argb }, format); }
    // A texture of 0xAARRGGBB texels, rows top first.
    CTexture* Texels(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels,
        Format format = Format::A8R8G8B8)
    {
        auto texture = std::make_unique<CTexture>();
        g_Graphic.CreateTexture(texture.get(), width, height, 1, format, Pool::Managed, 0);
        EXPECT_NE(texture->GetTexture(), nullptr);
        if (!texture->GetTexture())
            return nullptr;
        LockedRect locked;
        EXPECT_EQ(texture->GetTexture()->LockRect(0, locked, nullptr, 0), Result::Ok);
        if (format == Format::A8R8G8B8) {
            for (uint32_t y = 0; y < height; ++y)
                std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch),
                    &texels[size_t(y) * width], 4 * width);
        }
        texture->GetTexture()->UnlockRect(0);
        m_textures.push_back(std::move(texture));
        return m_textures.back().get();
    }

    // A screen quad over the whole target with these vertex colours.
    Mesh* Quad(Color diffuse, Color specular = 0)
    {
        auto mesh = std::make_unique<Mesh>(Mesh::kStaticManaged, kScreenFvf, 4, true, 6);
        EXPECT_TRUE(mesh->Lock(true, true));
        auto* vertices = reinterpret_cast<ScreenVertex*>(mesh->vertexData);
        for (int i = 0; i < 4; ++i) {
            const float x = float(i % 2) * kSize;
            const float y = float(i / 2) * kSize;
            vertices[i] = { x, y, 0.5f, 1.0f, diffuse, specular, x / kSize, y / kSize };
        }
        const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
        std::memcpy(mesh->indexData, indices, sizeof indices);
        mesh->Unlock(true, true);
        m_meshes.push_back(std::move(mesh));
        return m_meshes.back().get();
    }

    // Baseline, clear, one Apply.
    void Draw(int slot, Mesh* mesh, Color clear, CTexture* t0 = nullptr, CTexture* t1 = nullptr,
        CTexture* t2 = nullptr, CTexture* t3 = nullptr)
    {
        m_manager->SetDefaultStages();
        Dev().Clear(0, nullptr, clear::kTarget | clear::kZBuffer, clear, 1.0f, 0);
        ASSERT_EQ(Dev().BeginScene(), Result::Ok);
        m_manager->Apply(slot, mesh, t0, t1, t2, t3);
        ASSERT_EQ(Dev().EndScene(), Result::Ok);
    }

    uint32_t Pixel(uint32_t x, uint32_t y)
    {
        Surface* target = g_Graphic.RenderTarget();
        LockedRect locked;
        EXPECT_EQ(target->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
        uint32_t value = 0;
        std::memcpy(&value, static_cast<const uint8_t*>(locked.bits) + y * uint32_t(locked.pitch) + 4 * x, 4);
        target->UnlockRect();
        return value;
    }

    zoq::test::GlEnvironment m_gl;
    zoq::test::FakeWindow m_small { kSize, kSize };
    std::vector<std::unique_ptr<CTexture>> m_textures;
    std::vector<std::unique_ptr<Mesh>> m_meshes;
};

TEST_F(ShaderGlTest, theSpecularProbeFindsPerVertexSpecular)
{
    CreateGl();
    EXPECT_TRUE(m_manager->SpecularProbe());
    EXPECT_EQ(m_manager->BuiltVariant(1), 'A');
    EXPECT_EQ(m_manager->BuiltVariant(21), 'A');
    EXPECT_FALSE(LogExists()) << LogText();
}

TEST_F(ShaderGlTest, blendingSlotsMixTextureFactorAndTarget)
{
    CreateGl();
    Mesh* white = Quad(0xFFFFFFFFu);
    struct Row {
        const char* what;
        int slot;
        Color texel; // t0, 0: no texture
        Color factor;
        Color clear;
        Color expected;
    };
    const Row rows[] = {
        // 22: t0 x diffuse (white) = (200, 100, 50) a .502 over (0, 0, 100): (100.4, 50.2, 25.1 + 49.8).
        { "22 MODULATE", 22, 0x80C86432u, 0, 0x000064u, 0x64324Bu },
        // 2: t0 a .251 over (0, 100, 200): (50.2, 25.1 + 74.9, 12.6 + 149.8).
        { "2 SRCALPHA", 2, 0x40C86432u, 0, 0x0064C8u, 0x3264A2u },
        // 3: t0 (100, 50, 25) a .502 added to (50, 50, 50): (100.2, 75.1, 62.6).
        { "3 additive", 3, 0x80643219u, 0, 0x323232u, 0x644B3Fu },
        // 29: factor (200, 100, 50) a .502 over (0, 0, 100), no texture.
        { "29 factor", 29, 0, 0x80C86432u, 0x000064u, 0x64324Bu },
        // 37: white glyph x factor (255, 128, 0) a .502 over (0, 0, 200): (128, 64.3, 99.6).
        { "37 font", 37, 0xFFFFFFFFu, 0x80FF8000u, 0x0000C8u, 0x804064u },
    };
    for (const Row& row : rows) {
        m_manager->SetFactorColor(row.factor);
        CTexture* t0 = row.texel ? Solid(row.texel) : nullptr;
        Draw(row.slot, white, row.clear, t0);
        EXPECT_TRUE(RgbNear(Pixel(16, 16), row.expected)) << row.what;
    }
    EXPECT_FALSE(LogExists()) << LogText();
}

TEST_F(ShaderGlTest, multiStageSlotsCombineThroughTempAndBlends)
{
    CreateGl();
    // 1 A: TEMP = t0 (200, 100, 50) x diffuse .502 = (100.4, 50.2, 25.1); + t1 (white) x
    // specular (0, 64, 128) = (100.4, 114.2, 153.1).
    Mesh* lit = Quad(0xFF808080u, 0xFF004080u);
    ASSERT_EQ(m_manager->BuiltVariant(1), 'A');
    Draw(1, lit, 0x000000u, Solid(0xFFC86432u), Solid(0xFFFFFFFFu));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x647299u)) << "1 A";

    // 26 A: TEMP = t0 (200, 100, 40); CURRENT = t1 (128, 128, 128, a 128) x TEMP = (100.4, 50.2,
    // 20.1) a .502; BLENDCURRENTALPHA(CURRENT, TEMP) = (150.0, 75.0, 30.0).
    Mesh* white = Quad(0xFFFFFFFFu);
    ASSERT_EQ(m_manager->BuiltVariant(26), 'A');
    Draw(26, white, 0x000000u, Solid(0xFFC86428u), Solid(0x80808080u));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x964B1Eu)) << "26 A";

    // 35: pass 1 DOT3(t0 (191, 128, 128), 1 - diffuse (0, 128, 128)) = .498, stage 1 turns it into
    // 1 - .498 and the target is multiplied: (200, 100, 50) x .502. Pass 2's dot is negative: black
    // added (or alpha-tested away).
    Mesh* light = Quad(0xFF008080u);
    Draw(35, light, 0xC86432u, Solid(0xFFBF8080u));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x643219u)) << "35 DOT3";

    // 5: t0 (100, 50, 25) x white; a flat bump map leaves the environment map (50, 60, 70) where
    // it was, added: (150, 110, 95).
    ASSERT_EQ(m_manager->BuiltVariant(5), 'A');
    CTexture* bump = Solid(0, Format::V8U8);
    Draw(5, white, 0x000000u, Solid(0xFF643219u), nullptr, bump, Solid(0xFF323C46u));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x966E5Fu)) << "5 BUMPENVMAP";

    // 7: the target times 1 - t0 alpha (1) x factor alpha (.498): (200, 100, 50) x .502.
    m_manager->SetFactorAlpha(0.5f);
    Draw(7, white, 0xC86432u, Solid(0xFF000000u));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x643219u)) << "7 shadow";
    EXPECT_FALSE(LogExists()) << LogText();
}

TEST_F(ShaderGlTest, alphaRef5RejectsWhatRef1WouldKeep)
{
    CreateGl();
    // 27 with factor alpha 0: alpha = 64 x t0 alpha² (t1 alpha 1). Left texels alpha 3: 2.3/255,
    // above 1 but not above 5, so the clear colour stays; right texels alpha 64: 1, t1 drawn.
    std::vector<uint32_t> texels(16);
    for (int i = 0; i < 16; ++i)
        texels[size_t(i)] = i < 8 ? 0x03000000u : 0x40000000u;
    CTexture* t0 = Texels(16, 1, texels);
    CTexture* t1 = Solid(0xFF20A040u);
    Mesh* white = Quad(0xFFFFFFFFu);
    m_manager->SetFactorColor(0x00FFFFFFu);
    Draw(27, white, 0x102030u, t0, t1);
    EXPECT_TRUE(RgbNear(Pixel(4, 16), 0x102030u)) << "alpha 2.3 rejected";
    EXPECT_TRUE(RgbNear(Pixel(28, 16), 0x20A040u)) << "alpha 255 kept";
    // ALPHAREF is back to 1 after the slot.
    EXPECT_EQ(Render(RenderState::AlphaRef), 1u);
}

TEST_F(ShaderGlTest, loweredCapsReachTheFallbackVariants)
{
    // Without TEMP, slot 1 is the two-pass B: t0 x diffuse, then t1 x specular added.
    CreateGl([](Caps& caps) { caps.argTemp = false; });
    ASSERT_TRUE(m_manager->SpecularProbe());
    ASSERT_EQ(m_manager->BuiltVariant(1), 'B');
    Mesh* lit = Quad(0xFF808080u, 0xFF004080u);
    Draw(1, lit, 0x000000u, Solid(0xFFC86432u), Solid(0xFFFFFFFFu));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x647299u)) << "1 B";
    m_textures.clear();
    m_meshes.clear();
    m_manager.reset();
    g_Graphic.Release();

    // Two stages reported: slot 36 is the pixel shader SpecBump. dot(t0 (1, 0, 0), specular
    // (.71, 0, 0)) = .710, to the fourth .254 = 64.7, alpha 1, added to (10, 20, 30).
    CreateGl([](Caps& caps) { caps.maxTextureBlendStages = 2; });
    ASSERT_EQ(m_manager->BuiltVariant(36), 'B');
    Mesh* quad = Quad(0xFFFFFFFFu, 0xFFDA8080u);
    Draw(36, quad, 0x0A141Eu, Solid(0xFFFF8080u));
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x4B555Fu)) << "36 B";
    EXPECT_FALSE(LogExists()) << LogText();
}

TEST_F(ShaderGlTest, theWaterSlotDrawsThroughItsVertexShader)
{
    CreateGl();
    ASSERT_EQ(m_manager->BuiltVariant(23), 'A');
    // Constants: c3-c6 identity (positions are clip space), c11 0 (height 0), c0-c2 0 and c9.z 1
    // (the reflection coordinate is c8.xy), c10 (0, 0, 1, 0) (coordinates pass through, no fog),
    // c12 white, c13 far above (the alpha term is ~0).
    Matrix identity = Matrix::Identity();
    Matrix zero;
    SetVertexShaderMatrices(&identity, &zero);
    const Vector4 constants[]
        = { { 0, 0, 1, 0 }, { 0, 0, 1, 0 }, { 0, 0, 0, 0 }, { 1, 1, 1, 1 }, { 0, 0, 1000, 0 } };
    Dev().SetVertexShaderConstant(9, constants, 5);

    auto mesh = std::make_unique<Mesh>(Mesh::kStaticManaged, 0x2D2, 4, true, 6);
    ASSERT_TRUE(mesh->Lock(true, true));
    auto* vertices = reinterpret_cast<WaterVertex*>(mesh->vertexData);
    for (int i = 0; i < 4; ++i) {
        const float x = float(i % 2) * 2 - 1;
        const float y = 1 - float(i / 2) * 2;
        vertices[i] = { { x, y, 0 }, { 0, 0, 1 }, { 0, 0, 0 }, 0xFFFFFFFFu, { float(i % 2), float(i / 2) } };
    }
    const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
    std::memcpy(mesh->indexData, indices, sizeof indices);
    mesh->Unlock(true, true);

    // Water t0 (0, 0, 200) a .502: stage 2 gives (0, 0, 200) with alpha 1 - .502; stage 3 blends
    // it with the reflection t2 (200, 100, 0) in TEMP: (100.4, 50.2, 99.6), alpha 1.
    CTexture* water = Solid(0x800000C8u);
    CTexture* bump = Solid(0, Format::V8U8);
    CTexture* reflection = Solid(0xFFC86400u);
    Draw(23, mesh.get(), 0x000000u, water, bump, reflection);
    EXPECT_TRUE(RgbNear(Pixel(16, 16), 0x643264u)) << "23 A";
    EXPECT_FALSE(LogExists()) << LogText();
}

TEST_F(ShaderGlTest, theDrawnCursorKeepsItsTransparentCorner)
{
    // The cursor as the game loads it: a 32-bit TGA through the image loader, drawn with slot 11.
    CreateGl();
    std::vector<uint32_t> texels(kSize * kSize, 0x00000000u);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            texels[y * kSize + x] = 0xFFFFFFFFu;
    const std::filesystem::path file = m_dir / "cursor.tga";
    zoq::test::WriteBytes(file, zoq::tools::texture::MakeTga(texels, kSize, kSize, 2, 32, true));
    CTexture cursor;
    ASSERT_TRUE(cursor.LoadFromFile(file.string().c_str(), 32, 0, 1, true));
    Draw(11, Quad(0xFFFFFFFFu), 0x3050A0u, &cursor);
    EXPECT_TRUE(RgbNear(Pixel(2, 2), 0xFFFFFFu)) << "the arrow";
    EXPECT_TRUE(RgbNear(Pixel(28, 28), 0x3050A0u)) << "the transparent corner shows what lies below";
    EXPECT_FALSE(LogExists()) << LogText();
}
