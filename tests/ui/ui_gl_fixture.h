// An OpenGL device on the offscreen driver at 800 x 600 in g_Graphic with its shader and model
// managers, the texture manager the test fills and read-back of the target, pixel by pixel (±2 a
// channel) or whole. A failed test leaves the screen as a bitmap of the fixture's name in the
// test's folder.
#pragma once

#include "platform/gfx/device.h"
#include "platform/win/text.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tests/render/render_fixture.h"
#include "tests/support/gl_environment.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "tools/texture/tm_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace uitest {

// The colour's RGB as six hex digits.
inline std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06X", value & 0xFFFFFF);
    return text;
}

// A picture of one colour.
inline zoq::tools::texture::Picture Painted(uint32_t width, uint32_t height, uint32_t fill)
{
    return { width, height, std::vector<uint32_t>(size_t(width) * height, fill) };
}

// The font "menu", an 'A' of 10 x 13 and a blank on a white texture, written under data/fonts in
// the current folder and loaded.
inline std::unique_ptr<CFont> LoadMenuFont()
{
    zoq::tools::texture::FontFile font;
    font.metrics[0] = 14;
    font.metrics[2] = 4;
    font.glyphs = { { 'A', 0, 0, 10, 0, 9, 13 }, { ' ', 10, 0, 15, 0, 1, 1 } };
    font.texture = { 32, 16, std::vector<uint32_t>(32 * 16, 0xFFFFFFFF) };
    std::filesystem::create_directories("data/fonts");
    std::string error;
    EXPECT_TRUE(zoq::tools::texture::WriteFont("data/fonts/menu", font, error)) << error;
    auto loaded = std::make_unique<CFont>();
    loaded->Init("menu");
    return loaded;
}

class UiGlTest : public RenderTest {
protected:
    static constexpr uint32_t kWidth = 800;
    static constexpr uint32_t kHeight = 600;

    // The screenshot a failed test leaves is named after `name`.
    explicit UiGlTest(std::string name)
        : m_name(std::move(name))
    {
    }

    void SetUp() override
    {
        using namespace plat::gfx;
        RenderTest::SetUp();
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        ASSERT_NO_FATAL_FAILURE(BeforeDevice());
        ASSERT_TRUE(g_Graphic.CreateDirect3D("gl"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, kWidth, kHeight, 32, Format::X8R8G8B8, 0, 0, true,
            MultiSample::None, 0, 1, PresentInterval::Default, true, &m_screen));
        m_shaders = std::make_unique<TexShaderManager>();
        ASSERT_TRUE(m_shaders->Init(true));
        g_TexShaderManager = m_shaders.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        g_pModelManager = m_models.get();
    }
    void TearDown() override
    {
        if (HasFailure())
            SaveScreen();
        ReleaseScene();
        g_pModelManager = nullptr;
        m_models.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        g_TexShaderManager = nullptr;
        m_shaders.reset();
        Mesh::ResetStreamCache();
        ClearStageTextureCache();
        RenderTest::TearDown();
    }
    // What the test opens before the device is made.
    virtual void BeforeDevice() { }
    // What the test releases before the managers go.
    virtual void ReleaseScene() { }

    // The texture manager of the table "Текстуры" the test has written.
    void InitTextures()
    {
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        g_pTextureManager = m_textures.get();
    }
    // Clears to the colour and draws what draw does, without presenting.
    template <class Draw> void DrawFrame(uint32_t colour, Draw draw)
    {
        using namespace plat::gfx;
        Device().Clear(0, nullptr, clear::kTarget | clear::kZBuffer, colour, 1.0f, 0);
        ASSERT_EQ(Device().BeginScene(), Result::Ok);
        m_shaders->SetDefaultStages();
        draw();
        ASSERT_EQ(Device().EndScene(), Result::Ok);
    }

    uint32_t Pixel(uint32_t x, uint32_t y)
    {
        using namespace plat::gfx;
        Surface* target = g_Graphic.RenderTarget();
        LockedRect locked;
        EXPECT_EQ(target->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
        uint32_t value = 0;
        std::memcpy(&value, static_cast<const uint8_t*>(locked.bits) + y * uint32_t(locked.pitch) + 4 * x, 4);
        target->UnlockRect();
        return value & 0xFFFFFF;
    }
    ::testing::AssertionResult At(uint32_t x, uint32_t y, uint32_t expected)
    {
        const uint32_t actual = Pixel(x, y);
        for (int shift : { 0, 8, 16 })
            if (std::abs(int((actual >> shift) & 255) - int((expected >> shift) & 255)) > 2)
                return ::testing::AssertionFailure()
                    << "(" << x << ", " << y << ") is " << Hex(actual) << ", not " << Hex(expected);
        return ::testing::AssertionSuccess();
    }
    // The target's RGB, row by row.
    std::vector<uint32_t> Screen()
    {
        std::vector<uint32_t> rgb(size_t(kWidth) * kHeight);
        EXPECT_TRUE(ReadScreen(rgb));
        return rgb;
    }
    void SaveScreen()
    {
        std::vector<uint32_t> argb(size_t(kWidth) * kHeight);
        if (!ReadScreen(argb))
            return;
        for (uint32_t& pixel : argb)
            pixel |= 0xFF000000u;
        WriteBytes(m_dir / (m_name + ".bmp"), zoq::tools::texture::MakeBmp(argb, kWidth, kHeight, 32, true));
    }

    zoq::test::GlEnvironment m_gl;
    zoq::test::FakeWindow m_screen { kWidth, kHeight };
    std::unique_ptr<TexShaderManager> m_shaders;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<TextureManager> m_textures;

private:
    bool ReadScreen(std::vector<uint32_t>& rgb)
    {
        using namespace plat::gfx;
        Surface* target = g_Graphic.RenderTarget();
        LockedRect locked;
        if (target->LockRect(locked, nullptr, lock::kReadOnly) != Result::Ok)
            return false;
        for (uint32_t y = 0; y < kHeight; ++y)
            std::memcpy(&rgb[size_t(y) * kWidth],
                static_cast<const uint8_t*>(locked.bits) + y * uint32_t(locked.pitch), 4 * kWidth);
        target->UnlockRect();
        for (uint32_t& pixel : rgb)
            pixel &= 0xFFFFFF;
        return true;
    }

    std::string m_name;
};

} // namespace uitest
