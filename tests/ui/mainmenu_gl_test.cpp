// The building menu and a plain in-base menu drawn by the OpenGL backend on the offscreen driver
// at 800 x 600 and driven by SDL events: the title in its colour, a list entry clicked with the
// mouse drawn in its selected colour, the preview model in the middle of the screen and the exit
// command ending the menu with result 1 after the closing slide. A failed check leaves "mainmenu.bmp" in the
// test's folder.
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "platform/input/input.h"
#include "platform/input/mouse.h"
#include "render/CFont.h"
#include "script/CZJScriptManager.h"
#include "tests/platform/window/sdl_events.h"
#include "tests/support/text_table.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/model/model_writer.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CBuildingMenu.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "world/db/CGliderManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tex = zoq::tools::texture;
using namespace plat::gfx;
using uitest::Hex;

namespace {

constexpr uint32_t kClear = 0xFF000000u;
constexpr float kFrame = 0.05f;

// An ARGB colour drawn over the black clear colour.
uint32_t OverBlack(uint32_t argb)
{
    const uint32_t alpha = argb >> 24;
    uint32_t shown = 0;
    for (int shift : { 0, 8, 16 })
        shown |= (((argb >> shift) & 255) * alpha / 255) << shift;
    return shown;
}

// The mouse of the window layer: the cursor position its drain keeps and the left button's
// presses and releases of the frame, read through the input layer.
class SdlMenuHost : public CMenuHost {
public:
    explicit SdlMenuHost(plat::window::Window& window)
        : m_window(window)
    {
        using namespace plat::input;
        m_mouse = m_input.CreateMouse();
        m_mouse->SetFormat(MouseFormat::Buttons8);
        m_mouse->SetCooperativeLevel(window, Cooperation::NonExclusive | Cooperation::Foreground);
        m_mouse->SetBufferSize(64);
        m_mouse->Acquire();
        SetMenuHost(this);
    }
    ~SdlMenuHost() override { SetMenuHost(nullptr); }

    void ReadInput() override
    {
        plat::window::DrainEvents();
        m_events = 0;
        plat::input::DeviceEvent events[64];
        uint32_t count = 64;
        if (m_mouse->GetDeviceData(events, count) != plat::input::Result::Ok)
            return;
        for (uint32_t i = 0; i < count; ++i) {
            if (events[i].offset == plat::input::MouseButtonOffset(0))
                m_events |= (events[i].data & 0x80) ? 0x80 : 0x40;
        }
    }
    plat::window::Point MousePosition() override { return m_window.CursorClientPos(); }
    uint8_t MouseEvents(int button) override { return button == 0 ? m_events : 0; }
    double RunningTime() override { return time; }

    double time = 0.0;

private:
    plat::window::Window& m_window;
    plat::input::Input m_input;
    std::unique_ptr<plat::input::Mouse> m_mouse;
    uint8_t m_events = 0;
};

// An in-base menu with a right list of three entries; the second one shows the preview model.
class PreviewMenu : public CMainMenu {
public:
    void OnChangeRightPanel() override
    {
        std::vector<SListEntry> entries(3);
        const char* names[] = { "AA", "AAAA", "A A" };
        for (int i = 0; i < 3; ++i) {
            entries[size_t(i)] = {};
            std::snprintf(entries[size_t(i)].key, 32, "ENTRY%d", i);
            std::snprintf(entries[size_t(i)].name, 64, "%s", names[i]);
        }
        FillRightList(entries.data(), 3);
    }
    void SelectRightList(int32_t index) override
    {
        CMainMenu::SelectRightList(index);
        if (index == 1)
            SetPreviewModel(model);
    }
    int32_t model = -1;
};

class MainMenuGlTest : public uitest::UiGlTest {
protected:
    MainMenuGlTest()
        : UiGlTest("mainmenu")
    {
    }
    void BeforeDevice() override
    {
        plat::window::ClearMessages();
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        desc.width = int32_t(kWidth);
        desc.height = int32_t(kHeight);
        m_view = m_gl.OpenWindow(desc);
        ASSERT_NE(m_view, nullptr);
        test::Focus(m_view->Window());
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());

        WriteBytes("white.dds", tex::EncodeDds32({ 8, 8, std::vector<uint32_t>(64, 0xFFFFFFFFu) }));
        WriteTable(
            CP1251("Текстуры"), { { "TEX_WHITE", { { "Filename", "white.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();

        SModelFile model;
        ASSERT_TRUE(zoq::tools::model::MakeModel("stone", "TEX_WHITE", model));
        WriteBytes("stone.mdl", zoq::tools::model::EncodeModelFile(model));
        WriteTable(CP1251("Модели"), { { "MOD_STONE", { { "Filename", "stone.mdl" }, { "Radius", "1" } } } });
        m_models->Init(CP1251("Модели"));

        m_font = uitest::LoadMenuFont();
        g_pFont = m_font.get();

        m_host = std::make_unique<SdlMenuHost>(m_view->Window());
        m_savedFrameTime = FrameTime;
    }
    void ReleaseScene() override
    {
        FrameTime = m_savedFrameTime;
        m_menu.reset();
        PlayerFerrovant = nullptr;
        m_machine.reset();
        ZJTrade.Clear();
        g_pScriptManager = nullptr;
        m_scripts.reset();
        SetBaseDirectory("");
        m_host.reset();
        g_pFont = nullptr;
        m_font.reset();
    }

    // Builds the menu as the modal loop does and runs frames until it is idle.
    void Open(std::unique_ptr<CMainMenu> menu)
    {
        m_menu = std::move(menu);
        m_menu->running = 1;
        m_menu->PreProcess();
        m_menu->Init();
        for (int i = 0; i < 40; ++i)
            Frame();
    }
    // The world, trade, texts and machine of a base "B_TEST" whose trade page sells TOV_ORE,
    // without a model, and TOV_GEM, which shows the stone model.
    void MakeBase()
    {
        WriteTable(CP1251("Глайдеры"), { { "GL_A", { { "WEIGHT", "40" }, { "MAXWEIGHT", "200" } } } });
        WriteTable(CP1251("Товары"),
            { { "TOV_ORE", { { "MASSA", "5" }, { "PRICE", "40" } } },
                { "TOV_GEM", { { "MASSA", "1" }, { "PRICE", "30" }, { "Model", "MOD_STONE" } } } });
        WriteTable(CP1251("Здания"), { { "BLD_BASE", { { "TYPE", "1" } } } });
        WriteTable(CP1251("Организации"), { { "ORG_PLAYER", { { "ICON", "1" } } } });
        WriteTable(CP1251("Оборудование"), {});
        WriteTable(CP1251("Оружие"), {});
        WriteTable(CP1251("Снаряды"), {});
        WriteTable(CP1251("Конфигурации"), {});
        std::string error;
        ASSERT_TRUE(zoq::test::WriteTextTable(m_dir,
            "[B_TEST]\nNAME = AAAAAA\n[TOV_ORE]\nNAME = AAAA\nTEXT = A\n[TOV_GEM]\nNAME = AAA\nTEXT = "
            "A\n[INT_BASE_SOLD]\nNAME = A A\n",
            error))
            << error;
        SetBaseDirectory(m_dir.string());
        m_scripts = std::make_unique<CZJScriptManager>();
        m_scripts->Init();
        g_pScriptManager = m_scripts.get();
        ZJEngine.ZJInit();
        ZJTrade.Clear();
        STradeEntry& entry = ZJTrade.Entry(ZJTrade.entryCount++);
        std::strncpy(entry.building, "B_TEST", sizeof entry.building - 1);
        entry.goods.Done();
        for (const char* key : { "TOV_ORE", "TOV_GEM" }) {
            SBuildingTrade good;
            std::memset(&good, 0, sizeof good);
            std::strncpy(good.key, key, sizeof good.key - 1);
            good.maxPrice = good.minPrice = 20.0f;
            entry.goods.Add(good);
        }
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
        m_machine = std::make_unique<CFerrovant>();
        const uint32_t params[7] = {};
        m_machine->hull.Set(g_GliderManager.FindRow("GL_A"), params);
        m_machine->cargo.bulkAmount = 100.0f;
        PlayerFerrovant = m_machine.get();
    }
    // Checks the title, clicks the entry, checks its colour and the preview, then exits.
    void CheckMenu(int32_t index)
    {
        ASSERT_NE(m_menu->titleControl, nullptr);
        EXPECT_GT(CountOf(*m_menu->titleControl, CMainMenu::kTitleColour, 2), 20) << "title in 0xD1D153";
        ASSERT_GE(index, 0);
        ASSERT_LT(index, m_menu->rightList.Count());
        const CMenuListEntry& entry = *m_menu->rightList.At(index);
        const uint32_t normal = OverBlack(entry.normalColour);
        EXPECT_GT(CountOf(entry, normal, 6), 20) << "an entry in its normal colour " << Hex(normal);

        const auto middle = [this] {
            return Count(
                300, 150, 500, 400, [](uint32_t p) { return (p & 0xFFFFFF) != (kClear & 0xFFFFFF); });
        };
        EXPECT_EQ(middle(), 0) << "no preview yet";

        Click(entry);
        EXPECT_EQ(m_menu->selectedRight, index);
        EXPECT_EQ(entry.selected, 1);
        ASSERT_NE(m_menu->previewModel, nullptr);
        const uint32_t shown = OverBlack(entry.BlendedColour());
        EXPECT_GT(CountOf(entry, shown, 6), 20) << "the selected colour " << Hex(shown);
        EXPECT_EQ(CountOf(entry, normal, 6), 0) << "no longer the normal colour";
        EXPECT_GT(middle(), 400) << "the preview model's pixels in the middle";

        m_menu->ProcessCommand(CMainMenu::kCmdExit);
        float elapsed = 0.0f;
        while (!m_menu->endRequested && elapsed < 5.0f) {
            Frame();
            elapsed += kFrame;
        }
        EXPECT_EQ(m_menu->endRequested, 1);
        EXPECT_EQ(m_menu->result, CMainMenu::kResultStay);
        EXPECT_GE(elapsed, 0.2f) << "the closing slide plays first";
    }
    // One frame of the modal loop, drawn without presenting so that the target can be read.
    void Frame()
    {
        FrameTime = kFrame;
        m_host->time += kFrame;
        ASSERT_NO_FATAL_FAILURE(DrawFrame(kClear, [this] {
            m_menu->RenderBackGround();
            m_menu->RenderControl();
        }));
        m_menu->ProcessMessages();
        m_menu->RunControl();
    }

    static bool Near(uint32_t a, uint32_t b, int tolerance)
    {
        for (int shift : { 0, 8, 16 })
            if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance)
                return false;
        return true;
    }
    // Pixels of the rectangle that pass the test.
    int Count(
        int32_t left, int32_t top, int32_t right, int32_t bottom, const std::function<bool(uint32_t)>& test)
    {
        const std::vector<uint32_t> screen = Screen();
        int n = 0;
        for (int32_t y = std::max(top, 0); y < std::min(bottom, int32_t(kHeight)); ++y)
            for (int32_t x = std::max(left, 0); x < std::min(right, int32_t(kWidth)); ++x)
                n += test(screen[size_t(y) * kWidth + size_t(x)]) ? 1 : 0;
        return n;
    }
    int CountOf(const CMenuControl& control, uint32_t colour, int tolerance)
    {
        return Count(control.left, control.top, control.right, control.bottom,
            [&](uint32_t p) { return Near(p, colour, tolerance); });
    }
    // Clicks the middle of the control through SDL, then moves the mouse away.
    void Click(const CMenuControl& control)
    {
        const int x = (control.left + control.right) / 2;
        const int y = (control.top + control.bottom) / 2;
        plat::window::Window& window = m_view->Window();
        test::PushMotion(window, x, y, 0, 0);
        Frame();
        test::PushButton(window, SDL_BUTTON_LEFT, true, x, y);
        test::PushButton(window, SDL_BUTTON_LEFT, false, x, y);
        Frame();
        test::PushMotion(window, 5, 5, 0, 0);
        for (int i = 0; i < 40; ++i)
            Frame();
    }

    zoq::test::LayerWindow* m_view = nullptr;
    std::unique_ptr<CFont> m_font;
    std::unique_ptr<SdlMenuHost> m_host;
    std::unique_ptr<CZJScriptManager> m_scripts;
    std::unique_ptr<CFerrovant> m_machine;
    std::unique_ptr<CMainMenu> m_menu;
    float m_savedFrameTime = 0.0f;
};

TEST_F(MainMenuGlTest, BuildingMenuTitleTradeEntryPreviewAndExit)
{
    MakeBase();
    Open(std::make_unique<CBuildingMenu>("B_TEST", "BLD_BASE", true, false));
    m_menu->ProcessCommand(CBuildingMenu::kCmdTrade);
    for (int i = 0; i < 40; ++i)
        Frame();
    EXPECT_EQ(m_menu->page, CBuildingMenu::kPageTrade);
    int32_t index = -1;
    for (int32_t i = 0; i < m_menu->rightList.Count(); ++i)
        if (std::strcmp(m_menu->rightList.At(i)->key, "TOV_GEM") == 0)
            index = i;
    CheckMenu(index);
}

TEST_F(MainMenuGlTest, InBaseMenuTitleEntryPreviewAndExit)
{
    auto menu = std::make_unique<PreviewMenu>();
    menu->model = m_models->FindModel("MOD_STONE");
    menu->buildingTitle = "AAAAAA";
    Open(std::move(menu));
    CheckMenu(1);
}

} // namespace
