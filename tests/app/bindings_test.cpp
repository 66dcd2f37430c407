#include "app/CInputConfig.h"
#include "foundation/ConfigKeys.h"
#include "foundation/KeyCodeTable.h"
#include "platform/input/key_names.h"
#include "tests/app/app_fixture.h"
#include "tests/app/fake_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using apptest::WriteText;

constexpr uint16_t kW = 0x11;
constexpr uint16_t kQ = 0x10;

TEST(KeyCodeTableTest, readsRowsAndSkipsOnlyBadOnes)
{
    KeyCodeTable table;
    std::vector<std::string> log;
    auto keep = [&](const char* line) { log.push_back(line); };
    EXPECT_TRUE(table.Parse(
        "5\n0 0x11 W\n1 0x101 Mouse1\n2 201 Joy1\n3 0x1E ABCDEFGHIJKLMNOP\n4 0x10000 Big\n", keep));
    ASSERT_EQ(table.Count(), 3);
    EXPECT_EQ(table.Find("w"), 0x11);
    EXPECT_EQ(table.Find("MOUSE1"), 0x101);
    EXPECT_EQ(table.Find("joy1"), 0x201);
    EXPECT_EQ(table.Find("ABCDEFGHIJKLMNOP"), -1);
    EXPECT_EQ(table.Find("Big"), -1);
    EXPECT_EQ(log.size(), 2u);

    // A 15-character name still fits.
    EXPECT_TRUE(table.Parse("1 x 0x1E ABCDEFGHIJKLMNO", keep));
    EXPECT_EQ(table.Find("abcdefghijklmno"), 0x1E);
}

TEST(KeyCodeTableTest, aMissingTokenEmptiesTheTable)
{
    KeyCodeTable table;
    for (const char* text : { "3\n0 0x11 W\n1 0x10 Q\n", "2\n0 0x11 W\n1 0x10", "99999999999 0 1 A" }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(table.Parse(text, {}));
        EXPECT_EQ(table.Count(), 0);
    }
    EXPECT_TRUE(table.Parse("", {}));
    EXPECT_TRUE(table.Parse("nonsense", {}));
    EXPECT_EQ(table.Count(), 0);
    EXPECT_TRUE(table.Parse("-4 0 0x11 W", {}));
    EXPECT_EQ(table.Count(), 0);
}

class BindingsTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        config.SetInput(input);
    }
    void TearDown() override
    {
        g_KeyCodeTable.Free();
        apptest::TempDirTest::TearDown();
    }
    void WriteDICode(const std::string& text) { WriteText("Data/CONFIG/DICode.ini", text); }
    void WriteInput(const std::string& lines) { WriteText("Data/CONFIG/cfg.ini", "[INPUT]\r\n" + lines); }
    void Load()
    {
        g_KeyCodeTable.Load();
        config.LoadBindings("cfg.ini");
    }

    FakeInput input;
    CInputConfig config { input };
};

TEST_F(BindingsTest, namesInCfgBecomeCodesThroughDICode)
{
    WriteDICode(apptest::DICodeText());
    WriteInput("FIRE2=mouse1\r\nFORWARD=Q\r\nBACKWARD=NoSuchKey\r\nFIRE=JOY2\r\nMouseSensitivity="
               "5\r\nInverseMouse=1\r\n");
    Load();
    EXPECT_EQ(config.Binding(EAction::FIRE2), 0x101);
    EXPECT_EQ(config.Binding(EAction::FORWARD), kQ);
    EXPECT_EQ(config.Binding(EAction::BACKWARD), 0x1F) << "unknown name keeps the default";
    EXPECT_EQ(config.Binding(EAction::FIRE), 0x202);
    EXPECT_EQ(config.Binding(EAction::FORWARD2), 0xC8);
    EXPECT_EQ(config.Binding(EAction::RIGHT2), 0);
    EXPECT_EQ(config.Binding(EAction::CRUISE), 0x29);
    EXPECT_EQ(config.Binding(EAction::UNUSED), 0);
    EXPECT_FLOAT_EQ(config.MouseSensitivity(), 6.0f);
    EXPECT_TRUE(config.InverseMouse());
}

TEST_F(BindingsTest, missingOrMalformedTablesKeepTheDefaults)
{
    WriteInput("FORWARD=Q\r\nFIRE2=Mouse3\r\nMouseSensitivity=-2\r\nInverseMouse=2\r\n");
    for (const char* dicode : { "", "3\n0 0x10 Q\n1 0x103", "garbage" }) {
        SCOPED_TRACE(dicode);
        std::filesystem::remove("Data/CONFIG/DICode.ini");
        if (*dicode)
            WriteDICode(dicode);
        Load();
        EXPECT_EQ(config.Binding(EAction::FORWARD), kW);
        EXPECT_EQ(config.Binding(EAction::FIRE2), 0x101);
        EXPECT_FLOAT_EQ(config.MouseSensitivity(), 6.0f) << "a negative sensitivity counts as absent";
        EXPECT_FALSE(config.InverseMouse());
    }
}

TEST(BindingDefaultsTest, everyDefaultOfCfgIniNamesAKey)
{
    for (const SConfigKey& key : kConfigKeys) {
        uint16_t code = 0;
        if (key.kind == EConfigKind::KeyName && *key.text) {
            EXPECT_TRUE(plat::input::FindKeyCode(key.text, code)) << key.section << " " << key.key;
        }
    }
}

TEST_F(BindingsTest, anOverlongNameDropsOnlyItsRow)
{
    WriteDICode("3\n0 0x10 Q\n1 0x1E SIXTEENCHARSXXXX\n2 0x103 Mouse3\n");
    WriteInput("FORWARD=Q\r\nFIRE2=mouse3\r\nSTRAFELEFT=SIXTEENCHARSXXXX\r\n");
    Load();
    EXPECT_EQ(g_KeyCodeTable.Count(), 2);
    EXPECT_EQ(config.Binding(EAction::FORWARD), kQ);
    EXPECT_EQ(config.Binding(EAction::FIRE2), 0x103);
    EXPECT_EQ(config.Binding(EAction::STRAFELEFT), 0x1E);
    EXPECT_EQ(LogLineCount("longer than 15"), 1);
}

// One frame's device state and what each query answers for one code.
struct QueryCase {
    const char* what;
    uint16_t code;
    std::function<void(FakeInput&)> before; // the previous frame
    std::function<void(FakeInput&)> now;
    bool held;
    bool pressed;
    bool released;
};

TEST_F(BindingsTest, queriesFollowEachDevicesRules)
{
    const QueryCase cases[] = {
        { "key down", kW, {}, [](FakeInput& i) { i.Key(kW, true); }, true, true, false },
        { "key tapped within the frame", kW, {}, [](FakeInput& i) { i.Tap(kW); }, true, true, false },
        { "key held from before", kW, [](FakeInput& i) { i.Key(kW, true); }, {}, true, false, false },
        { "key let go", kW, [](FakeInput& i) { i.Key(kW, true); }, [](FakeInput& i) { i.Key(kW, false); },
            false, false, true },
        { "mouse pressed and released in one frame", 0x101, {},
            [](FakeInput& i) {
                i.MouseButtonEvent(0, true);
                i.MouseButtonEvent(0, false);
            },
            true, true, true },
        { "mouse held", 0x102, [](FakeInput& i) { i.MouseButtonEvent(1, true); }, {}, true, false, false },
        { "joystick button goes down", 0x201, {}, [](FakeInput& i) { i.JoyButton(0, true); }, true, true,
            false },
        { "joystick button kept down", 0x201, [](FakeInput& i) { i.JoyButton(0, true); }, {}, true, false,
            false },
        { "joystick button let go", 0x201, [](FakeInput& i) { i.JoyButton(0, true); },
            [](FakeInput& i) { i.JoyButton(0, false); }, false, false, true },
        { "joystick button 33 has no previous state", 0x221, [](FakeInput& i) { i.JoyButton(32, true); }, {},
            true, true, false },
        { "unbound", 0, {}, [](FakeInput& i) { i.Key(0, true); }, false, false, false },
        { "other device", 0x301, {}, [](FakeInput& i) { i.Key(1, true); }, false, false, false },
        { "joystick code past its buttons", 0x2FF, {}, {}, false, false, false },
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakeInput fake;
        fake.joystick = true;
        CInputConfig query(fake);
        if (c.before)
            fake.frames.push_back(c.before);
        fake.GetData();
        if (c.now)
            fake.frames.push_back(c.now);
        fake.GetData();
        EXPECT_EQ(query.IsHeld(c.code), c.held);
        EXPECT_EQ(query.WasPressed(c.code), c.pressed);
        EXPECT_EQ(query.WasReleased(c.code), c.released);
    }
}

TEST_F(BindingsTest, withoutAJoystickNoJoystickCodeIsActive)
{
    input.frames.push_back([](FakeInput& i) { i.JoyButton(0, true); });
    input.GetData();
    EXPECT_FALSE(config.IsHeld(0x201));
    EXPECT_FALSE(config.WasPressed(0x201));
    EXPECT_FALSE(config.WasReleased(0x201));
}

} // namespace
