// The in-base frame and tool bar drawn by the OpenGL backend on the offscreen driver at 800 x 600:
// the left panel on screen when its slide is open and gone when closed, and a tool-bar icon cut
// from the bar picture with its tool-tip shown after the mouse rests on it. A failed check leaves
// "toolbar.bmp" in the test's folder.
#include "foundation/CTimer.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "tests/ui/fake_menu_host.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/texture/font_file.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuListEntry.h"
#include "ui/CRTMenu.h"
#include "ui/ToolBar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tex = zoq::tools::texture;

namespace {

constexpr uint32_t kClear = 0xFF000000u;
constexpr uint32_t kPanel = 0xFF2080C0u;
constexpr uint32_t kIcon = 0xFFE04020u;
constexpr uint32_t kBar = 0xFF406020u;

class ToolBarGlTest : public uitest::UiGlTest {
protected:
    ToolBarGlTest()
        : UiGlTest("toolbar")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());
        WriteBytes("icons.dds", tex::EncodeDds32(uitest::Painted(256, 256, 0xFFFFFFFFu)));
        WriteTable(CP1251("Текстуры"),
            { { "TEX_INT_ICONS", { { "Filename", "icons.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();
        m_textures->CreateCacheTextures();

        WriteBytes("panel_l.dds", tex::EncodeDds32(uitest::Painted(128, 600, kPanel)));
        tex::Picture bar = uitest::Painted(1024, 512, kBar);
        for (uint32_t y = 157; y < 211; ++y)
            for (uint32_t x = 0; x < 55; ++x)
                bar.argb[size_t(y) * 1024 + x] = kIcon;
        WriteBytes("bar.dds", tex::EncodeDds32(bar));
        WriteTable(CP1251("Изображения"),
            {
                { "SUF_INT_PANEL_L",
                    { { "Filename", "panel_l.dds" }, { "WIDTH", "128" }, { "HEIGHT", "600" } } },
                { "SUF_INT_BS", { { "Filename", "bar.dds" }, { "WIDTH", "1024" }, { "HEIGHT", "512" } } },
            });
        m_surfaces = std::make_unique<CSurfaceManager>();
        m_surfaces->Init(CP1251("Изображения"));
        g_pSurfaceManager = m_surfaces.get();

        m_font = uitest::LoadMenuFont();
        g_pFont = m_font.get();
        m_savedFrameTime = FrameTime;
        m_menu = std::make_unique<CMainMenu>();
        m_menu->running = 1;
        m_menu->Init();
        FrameTime = 0.05f;
        m_menu->messages.Init(CMainMenu::kQueueCapacity);
        m_menu->introPos = m_menu->secondPanelPos = 1.0f;
    }
    void ReleaseScene() override
    {
        m_menu.reset();
        FrameTime = m_savedFrameTime;
        g_pFont = nullptr;
        m_font.reset();
        g_pSurfaceManager = nullptr;
        m_surfaces.reset();
    }
    void Frame()
    {
        ASSERT_NO_FATAL_FAILURE(DrawFrame(kClear, [this] {
            m_menu->RenderBackGround();
            m_menu->RenderControl();
            if (m_menu->toolTipControl)
                m_menu->RenderToolTip();
        }));
    }

    uitest::FakeMenuHost m_host;
    std::unique_ptr<CSurfaceManager> m_surfaces;
    std::unique_ptr<CFont> m_font;
    std::unique_ptr<CMainMenu> m_menu;
    float m_savedFrameTime = 0.0f;
};

TEST_F(ToolBarGlTest, TheLeftPanelSlidesWithTheFirstPanelPosition)
{
    const int32_t width = int32_t(128.0f * 800.0f / 1024.0f);
    SListEntry entry {};
    std::snprintf(entry.key, sizeof entry.key, "E");
    m_menu->FillLeftList(&entry, 1);
    m_menu->firstPanelPos = 1.0f;
    ASSERT_NO_FATAL_FAILURE(Frame());
    EXPECT_EQ(m_menu->leftList.At(0)->left, m_menu->leftListLeft);
    EXPECT_TRUE(At(5, 300, kPanel));
    EXPECT_TRUE(At(uint32_t(width - 3), 20, kPanel));
    EXPECT_TRUE(At(uint32_t(width + 3), 20, kClear));

    m_menu->firstPanelPos = 0.0f;
    ASSERT_NO_FATAL_FAILURE(Frame());
    EXPECT_TRUE(At(5, 300, kClear)) << "gone past the left edge";
    EXPECT_EQ(m_menu->leftList.At(0)->left, m_menu->leftListLeft - width) << "the list goes with it";

    m_menu->firstPanelPos = 0.5f;
    ASSERT_NO_FATAL_FAILURE(Frame());
    EXPECT_TRUE(At(uint32_t(width / 2 - 3), 20, kPanel));
    EXPECT_TRUE(At(uint32_t(width / 2 + 3), 20, kClear));
}

TEST_F(ToolBarGlTest, AToolBarButtonShowsItsIconAndItsToolTipAfterTheMouseRests)
{
    m_menu->firstPanelPos = 0.0f;
    m_menu->BuildToolBar(CRTMenu::FlightToolBar(0, 0, 0));
    m_menu->toolBar[0]->caption = "AAAA";
    const SToolBarRect rect = ToolBarButtonRect(0, 800, 600, 600);
    const uint32_t cx = uint32_t((rect.left + rect.right) / 2);
    const uint32_t cy = uint32_t((rect.top + rect.bottom) / 2);
    ASSERT_NO_FATAL_FAILURE(Frame());
    EXPECT_TRUE(At(cx, cy, kIcon)) << "icon 0 of the bar picture";
    EXPECT_TRUE(At(uint32_t(rect.left + 2), uint32_t(rect.top + 2), kIcon));

    m_host.mouse = { int32_t(cx) + 40, int32_t(cy) };
    const auto tipAbove = [&] {
        int lit = 0;
        for (int32_t y = m_host.mouse.y - 10; y < m_host.mouse.y + 3; ++y)
            for (int32_t x = m_host.mouse.x - 3; x < m_host.mouse.x + 8; ++x)
                lit += At(uint32_t(x), uint32_t(y), kIcon) ? 0 : 1;
        return lit;
    };
    m_menu->ProcessMessages();
    ASSERT_NO_FATAL_FAILURE(Frame());
    EXPECT_EQ(m_menu->toolTipControl, nullptr) << "not before the delay";
    EXPECT_EQ(tipAbove(), 0);
    for (int i = 0; i < 12; ++i)
        m_menu->ProcessMessages();
    EXPECT_EQ(m_menu->toolTipControl, m_menu->toolBar[0]);
    ASSERT_NO_FATAL_FAILURE(Frame());
    EXPECT_GT(tipAbove(), 100) << "the tool-tip's box at the mouse";
}

} // namespace
