// g_Graphic on a null-backend device of a chosen caps profile, in a temporary folder that holds
// error.log; the shader-slot and mesh tests share it.
#pragma once

#include "platform/gfx/adapter.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/gfx/window.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "tests/support/device_windows.h"
#include "tests/support/error_log_test.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace shader_test {

// full: what the backend reports; minimal: two stages and textures, no TEMP, bump, projected,
// border or shaders; minimal+PS: minimal with pixel shaders 1.1.
enum class Profile { Full, Minimal, MinimalPs };

inline const char* ProfileName(Profile profile)
{
    switch (profile) {
    case Profile::Full:
        return "full";
    case Profile::Minimal:
        return "minimal";
    default:
        return "minimalPs";
    }
}

class ShaderTest : public zoq::test::ErrorLogTest {
protected:
    void TearDown() override
    {
        m_manager.reset();
        Mesh::ResetStreamCache();
        ClearStageTextureCache();
        g_Graphic.Release();
        plat::gfx::null::ResetConfig();
        ErrorLogTest::TearDown();
    }

    // A windowed 640x480 device of the profile, on the null backend unless named.
    void CreateGraphic(Profile profile = Profile::Full, const char* backend = "null",
        plat::gfx::Format format = plat::gfx::Format::X8R8G8B8)
    {
        plat::gfx::null::ResetConfig();
        ASSERT_TRUE(g_Graphic.CreateDirect3D(backend));
        plat::gfx::Adapter* adapter = g_Graphic.GetDirect3D();
        adapter->SetCapsProfile(
            profile == Profile::Full ? plat::gfx::CapsProfile::Full : plat::gfx::CapsProfile::Minimal);
        if (profile == Profile::MinimalPs) {
            plat::gfx::Caps caps;
            ASSERT_EQ(adapter->GetDeviceCaps(0, plat::gfx::DeviceType::Hal, caps), plat::gfx::Result::Ok);
            caps.pixelShaderVersion = plat::gfx::ShaderVersion(1, 1);
            caps.maxPixelShaderValue = 1;
            adapter->SetCaps(plat::gfx::DeviceType::Hal, caps);
        }
        const int32_t bits = format == plat::gfx::Format::R5G6B5 ? 16 : 32;
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, bits, format, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
    }

    // The manager, built with a fixed probe result.
    TexShaderManager& Manager(std::optional<bool> probe = true)
    {
        m_manager = std::make_unique<TexShaderManager>(probe);
        return *m_manager;
    }

    plat::gfx::Device& Dev() { return *g_Graphic.GetDevice(); }
    plat::gfx::null::NullDevice& Null() { return *plat::gfx::null::FromDevice(Dev()); }

    // Lines of error.log without their time stamp (UTF-8).
    std::vector<std::string> LogMessages() const
    {
        std::vector<std::string> messages;
        for (const std::string& line : LogLines())
            messages.push_back(line.size() > 24 ? line.substr(24) : line);
        return messages;
    }

    // A quad of the format with indices, drawable by any slot.
    std::unique_ptr<Mesh> MakeQuad(uint32_t format = 0x112)
    {
        auto mesh = std::make_unique<Mesh>(Mesh::kStaticManaged, format, 4, true, 6);
        if (mesh->Lock(true, true)) {
            const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
            std::copy(std::begin(indices), std::end(indices), mesh->indexData);
        }
        mesh->Unlock(true, true);
        return mesh;
    }

    std::unique_ptr<CTexture> MakeTexture(uint32_t size = 4)
    {
        auto texture = std::make_unique<CTexture>();
        g_Graphic.CreateTexture(
            texture.get(), size, size, 1, plat::gfx::Format::A8R8G8B8, plat::gfx::Pool::Managed, 0);
        return texture;
    }

    uint32_t Render(plat::gfx::RenderState state)
    {
        uint32_t value = 0;
        Dev().GetRenderState(state, value);
        return value;
    }
    uint32_t Stage(uint32_t stage, plat::gfx::StageState state)
    {
        uint32_t value = 0;
        Dev().GetTextureStageState(stage, state, value);
        return value;
    }

    zoq::test::FakeWindow m_window;
    std::unique_ptr<TexShaderManager> m_manager;
};

} // namespace shader_test
