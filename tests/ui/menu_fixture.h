// The menu tests' fixture: the null backend at 800 x 600, the script manager with its text table,
// and a menu host that plays the mouse, the keys and a queue of typed characters.
#pragma once

#include "tests/render/render_fixture.h"
#include "tests/script/script_fixture.h"
#include "tests/ui/fake_menu_host.h"
#include "ui/CBaseMenu.h"
#include "ui/CHtmlControl.h"
#include "ui/CZJHtmlWindow.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace uitest {

inline constexpr uint8_t kEnter = 28;
inline constexpr uint8_t kPressAndRelease = 0xC0;

// The fake host with a queue of typed characters.
class TypingHost : public FakeMenuHost {
public:
    void SetTextInput(bool on) override { textInput = on; }
    uint8_t TakeChar() override
    {
        if (chars.empty())
            return 0;
        const uint8_t c = chars.front();
        chars.pop_front();
        return c;
    }
    void Type(const std::string& text) { chars.insert(chars.end(), text.begin(), text.end()); }

    std::deque<uint8_t> chars;
    bool textInput = false;
};

class MenuTest : public zoq::test::ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 800, 600, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
    }
    void TearDown() override
    {
        g_Graphic.Release();
        ScriptTest::TearDown();
    }

    // The last record of a block (its link), or null.
    static const MHTLLine* LastLine(CMHTLWindow& window, const std::string& block)
    {
        for (int i = 0; i < window.BlockCount(); ++i)
            if (window.Block(i).name == block)
                return &window.Line(window.Block(i).lastLine);
        return nullptr;
    }
    // The text of a block's records.
    static std::string BlockText(CMHTLWindow& window, const std::string& block)
    {
        std::string text;
        for (int i = 0; i < window.LineCount(); ++i)
            if (std::string(window.Line(i).block.Text()) == block)
                text += window.Line(i).text.Text();
        return text;
    }
    // Presses and releases the left button over the control's record of that block.
    void Click(CBaseMenu& menu, CHtmlControl& control, const std::string& block)
    {
        const MHTLLine* line = LastLine(*control.window, block);
        ASSERT_NE(line, nullptr) << block;
        host.mouse = { line->x1 + 1, line->y1 + 1 };
        host.leftEvents = kPressAndRelease;
        menu.ProcessMouse(&control, host.mouse.x, host.mouse.y);
        host.leftEvents = 0;
    }
    // Runs the control's frames until every typed character is taken.
    void TypeInto(CHtmlControl& control, const std::string& text)
    {
        host.Type(text);
        while (!host.chars.empty())
            control.Run();
    }
    void PressEnter(CHtmlControl& control)
    {
        host.keys = { kEnter };
        control.Run();
        control.Run(); // held: no second toggle
        host.keys.clear();
        control.Run();
    }

    zoq::test::FakeWindow m_window { 800, 600 };
    TypingHost host;
};

} // namespace uitest
