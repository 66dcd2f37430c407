// The running application on the OpenGL backend (offscreen driver, 800 x 600, a device that reads
// back), input pushed as SDL events into the window layer's queue frame by frame: links of the
// expanded message log clicked through the menu host's mouse, and the cursor drawn at the mouse.
#include "app/CZJApp.h"
#include "app/CZJAppMenuHost.h"
#include "foundation/CTimer.h"
#include "platform/gfx/device.h"
#include "platform/window/display.h"
#include "platform/window/message.h"
#include "render/Graphic.h"
#include "script/CZJScriptManager.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/window/sdl_events.h"
#include "tests/support/gl_environment.h"
#include "tests/support/text_table.h"
#include "tools/script/script_compiler.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CHtmlControl.h"
#include "ui/CMessager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace tex = zoq::tools::texture;

constexpr uint32_t kCursorColour = 0xFF20C040u;
constexpr uint32_t kClear = 0xFF102030u;

class ScreenGlTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        plat::window::ClearMessages();
        const plat::window::DisplayMode mode { 800, 600, 60, plat::window::DisplayFormat::X8R8G8B8 };
        plat::window::OverrideDisplayModes({ mode }, mode);
        std::string error;
        ASSERT_TRUE(apptest::WriteDataFolder(m_dir,
            "[CONFIG]\r\nWindowed=0\r\nVideo=0\r\nScreenWidth=800\r\nScreenHeight=600\r\nForceScreenShots="
            "1\r\n",
            error))
            << error;
        // The cursor an opaque picture of one colour.
        zoq::test::WriteBytes(m_dir / "cursor.dds",
            tex::EncodeDds32({ 32, 32, std::vector<uint32_t>(32 * 32, kCursorColour) }));
        std::vector<std::pair<std::string, std::string>> tables = apptest::DefaultTables();
        tables[0].second = "@table Текстуры\n@field Filename text\n@field TEXTURETYPE int\n"
                           "[TEX_INT_CURSOR]\nFilename = cursor.dds\nTEXTURETYPE = 2\n";
        ASSERT_TRUE(apptest::WriteDatabase(m_dir / "Data" / "DB.dat", tables, error)) << error;
        ASSERT_TRUE(zoq::test::WriteTextTable(m_dir, "[KEY]\nTEXT = AAA\nNAME = AA\n", error)) << error;

        app.Init("", 0, CZJApp::kTitle);
        ASSERT_NE(app.GetWindow(), nullptr);
        ASSERT_NE(g_Graphic.GetDevice(), nullptr);
        ASSERT_EQ(g_Graphic.ScreenWidth(), 800);
        test::Focus(*app.GetWindow());
        app.CheckDevice(nullptr);
        FrameTimer = CTimer([this] { return m_ticks += 20; }, 1000);
    }
    void TearDown() override
    {
        FrameTimer = CTimer();
        app.Shutdown();
        plat::window::ClearMessages();
        plat::window::ClearDisplayModeOverride();
        apptest::TempDirTest::TearDown();
    }
    plat::window::Window& Window() { return *app.GetWindow(); }
    // Full screen with the game's own cursor: the layer moves its cursor by the events' deltas,
    // which are window pixels, scaled onto the 800 x 600 picture shown on the whole display. The
    // cursor lands within a pixel of (x, y).
    void PushMoveTo(int x, int y)
    {
        const plat::window::Window& w = Window();
        const plat::window::Point now = w.CursorClientPos();
        const double sx = double(w.DrawableSize().width) / w.ClientSize().width * w.LogicalSize().width
            / w.OutputRect().width;
        const double sy = double(w.DrawableSize().height) / w.ClientSize().height * w.LogicalSize().height
            / w.OutputRect().height;
        test::PushMotion(
            w, x, y, int(std::lround((x - now.x + 0.5) / sx)), int(std::lround((y - now.y + 0.5) / sy)));
    }
    // The application's script manager, started again over the test's text table and compiled
    // scripts.
    void StartScripts()
    {
        m_scripts = g_pScriptManager;
        m_scripts->Init();
    }
    void Script(const std::string& name, const std::string& source)
    {
        const std::filesystem::path text = m_dir / "src" / (name + ".scr");
        apptest::WriteText(text, source);
        std::vector<std::string> lines;
        std::string error;
        ASSERT_TRUE(zoq::tools::script::CompileScript(text, m_dir / "src", lines, error)) << error;
        zoq::test::WriteBytes(
            m_dir / "SCRIPT" / "bin" / (name + ".scr"), zoq::tools::script::StoreScript(lines));
    }

    // One frame of the paused game with the log open: this frame's events, the messager's input
    // (the base menu's mouse step through the application's host), its run step and its frame.
    void MessagerFrame(const std::function<void()>& events)
    {
        if (events)
            events();
        g_pMessager->ProcessMessages();
        g_pMessager->Run();
        g_pMessager->Render();
    }
    // The mouse moved onto the first record of a block and clicked there, then a frame to take it.
    void ClickBlock(const char* block)
    {
        const CMHTLWindow& window = *g_pMessager->Window();
        const MHTLLine* line = nullptr;
        for (int i = 0; i < window.BlockCount() && !line; ++i)
            if (std::strcmp(window.Block(i).name, block) == 0)
                line = &window.Line(window.Block(i).firstLine);
        ASSERT_NE(line, nullptr) << block;
        const int x = (line->x1 + line->x2) / 2;
        const int y = (line->y1 + line->y2) / 2;
        MessagerFrame([&] { PushMoveTo(x, y); });
        MessagerFrame([&] {
            test::PushButton(Window(), SDL_BUTTON_LEFT, true, x, y);
            test::PushButton(Window(), SDL_BUTTON_LEFT, false, x, y);
        });
        MessagerFrame(nullptr);
        MessagerFrame(nullptr);
    }
    bool Shows(const char* block) { return g_pMessager->Window()->SetBlock(block, true); }

    zoq::test::GlEnvironment m_gl;
    CZJApp app;
    CZJScriptManager* m_scripts = nullptr;
    int64_t m_ticks = 0;
};

TEST_F(ScreenGlTest, linksOfTheExpandedLogScrollAddAKeysTextOrRunAProcedure)
{
    ASSERT_NE(g_pMessager, nullptr);
    ASSERT_TRUE(g_pMessager->Init());
    Script("MAIN", "PROC OPEN\nEND\n");
    StartScripts();
    std::snprintf(m_scripts->runningScript, sizeof m_scripts->runningScript, "%s", "MAIN");
    m_scripts->AddQuest("Q1");

    g_pMessager->AddMessage("<link:AAA=FIRST>", -1, "LINK");
    for (int i = 0; i < 30; ++i)
        g_pMessager->AddMessage("AA", -1, nullptr);
    g_pMessager->AddMessage("AAAA", -1, "FIRST");
    app.ToggleMessageLog();
    ASSERT_TRUE(g_pMessager->Expanded());
    const CMHTLWindow& window = *g_pMessager->Window();
    ASSERT_GE(window.Line(window.LineCount() - 1).y1, window.bottom) << "the target starts out of view";

    ClickBlock("LINK");
    EXPECT_EQ(g_pMessager->Control()->linkTarget, "FIRST");
    const MHTLLine& target = window.Line(window.LineCount() - 1);
    EXPECT_GE(target.y1, window.top);
    EXPECT_LT(target.y1, window.bottom);
    EXPECT_EQ(window.BlockCount(), 32) << "scrolling adds nothing";

    g_pMessager->Clear();
    g_pMessager->AddMessage("<link:AAA=KEY>", -1, "LINK");
    ClickBlock("LINK");
    EXPECT_EQ(g_pMessager->Control()->linkTarget, "KEY");
    EXPECT_TRUE(Shows("KEY")) << "the key's text under its name";

    g_pMessager->Clear();
    g_pMessager->AddMessage("AA", -1, "INT_NEXT_PAGE");
    g_pMessager->AddMessage("<link:AAA=OPEN>", -1, "LINK");
    ClickBlock("LINK");
    EXPECT_EQ(g_pMessager->Control()->linkTarget, "OPEN");
    EXPECT_FALSE(Shows("INT_NEXT_PAGE"));
    EXPECT_TRUE(m_scripts->IsEventSet("Q1", ".GET"));
}

TEST_F(ScreenGlTest, theCursorIsDrawnAtTheMouse)
{
    AppMenuHost.SetCursorTextures("TEX_INT_CURSOR", "");
    PushMoveTo(300, 200);
    AppMenuHost.ReadInput();
    AppMenuHost.ProcessMessages();
    AppMenuHost.ReadInput();
    AppMenuHost.ProcessMessages();
    const plat::window::Point mouse = AppMenuHost.MousePosition();
    ASSERT_NEAR(mouse.x, 300, 1);
    ASSERT_NEAR(mouse.y, 200, 1);
    using namespace plat::gfx;
    Device& device = *g_Graphic.GetDevice();
    device.Clear(0, nullptr, clear::kTarget | clear::kZBuffer, kClear, 1.0f, 0);
    ASSERT_EQ(device.BeginScene(), Result::Ok);
    AppMenuHost.RenderCursor();
    ASSERT_EQ(device.EndScene(), Result::Ok);

    Surface* target = g_Graphic.RenderTarget();
    LockedRect locked;
    ASSERT_EQ(target->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
    const auto pixel = [&](int x, int y) {
        uint32_t value = 0;
        std::memcpy(&value, static_cast<const uint8_t*>(locked.bits) + y * locked.pitch + 4 * x, 4);
        return value & 0xFFFFFF;
    };
    // The quad spans the mouse position less 2 to it plus 30.
    const struct {
        int x;
        int y;
        uint32_t colour;
    } cases[] = {
        { mouse.x, mouse.y, kCursorColour & 0xFFFFFF },
        { mouse.x - 2, mouse.y - 2, kCursorColour & 0xFFFFFF },
        { mouse.x + 29, mouse.y + 29, kCursorColour & 0xFFFFFF },
        { mouse.x - 4, mouse.y, kClear & 0xFFFFFF },
        { mouse.x + 31, mouse.y, kClear & 0xFFFFFF },
        { mouse.x, mouse.y + 31, kClear & 0xFFFFFF },
    };
    for (const auto& c : cases) {
        const uint32_t actual = pixel(c.x, c.y);
        for (int shift : { 0, 8, 16 })
            EXPECT_NEAR(int((actual >> shift) & 255), int((c.colour >> shift) & 255), 2)
                << "(" << c.x << ", " << c.y << ") " << std::hex << actual;
    }
    target->UnlockRect();
}

} // namespace
