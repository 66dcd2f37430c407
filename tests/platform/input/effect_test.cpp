#include "platform/input/effect.h"
#include "platform/input/effect_file.h"
#include "platform/input/recording_haptic.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace plat::input;
using Call = RecordingHaptic::Call;
using CK = RecordingHaptic::CallKind;

std::string ReadData(const char* name)
{
    return zoq::test::ReadText(std::string(ZOQ_EFFECT_FILES) + "/" + name);
}

HapticEffect Only(std::string_view text)
{
    EffectFile file;
    EffectFileError error;
    EXPECT_TRUE(ParseEffectFile(text, file, error)) << error.line << ": " << error.reason;
    if (file.effects.size() != 1)
        return {};
    auto fake = std::make_shared<RecordingHaptic>();
    EXPECT_TRUE(CreateEffect(fake, file));
    return fake->created.empty() ? HapticEffect {} : fake->created[0];
}

TEST(Effect, everyKindOfAValidFileShouldReachTheHapticDeviceScaled)
{
    struct Case {
        const char* name;
        const char* body;
        HapticEffect expected;
    };
    auto make = [](HapticKind kind, uint32_t length, auto fill) {
        HapticEffect e;
        e.kind = kind;
        e.length = length;
        fill(e);
        return e;
    };
    const Case cases[] = {
        { "constant with direction and envelope",
            "kind constant\nduration 250\nmagnitude 5000\ndirection 9000\nattack 10000 100\nfade 2000 50\n",
            make(HapticKind::Constant, 250,
                [](HapticEffect& e) {
                    e.level = 16384;
                    e.direction = 9000;
                    e.attackLevel = 32767;
                    e.attackLength = 100;
                    e.fadeLevel = 6553;
                    e.fadeLength = 50;
                }) },
        { "sine at half gain",
            "kind sine\nduration infinite\ngain 5000\nmagnitude -10000\nperiod 50\noffset 1000\nphase 9000\n",
            make(HapticKind::Sine, kHapticInfinity,
                [](HapticEffect& e) {
                    e.magnitude = -16384;
                    e.period = 50;
                    e.offset = 1638;
                    e.phase = 9000;
                }) },
        { "square plays as sine", "kind square\nduration 300\nmagnitude 10000\nperiod 20\n",
            make(HapticKind::Sine, 300,
                [](HapticEffect& e) {
                    e.magnitude = 32767;
                    e.period = 20;
                }) },
        { "triangle", "kind triangle\nduration 500\nmagnitude 3000\n",
            make(HapticKind::Triangle, 500,
                [](HapticEffect& e) {
                    e.magnitude = 9830;
                    e.period = 100;
                }) },
        { "sawtooth up", "kind sawtoothup\nduration 1\n",
            make(HapticKind::SawtoothUp, 1,
                [](HapticEffect& e) {
                    e.magnitude = 32767;
                    e.period = 100;
                }) },
        { "sawtooth down", "kind sawtoothdown\nduration 60000\nmagnitude -1\n",
            make(HapticKind::SawtoothDown, 60000,
                [](HapticEffect& e) {
                    e.magnitude = -3;
                    e.period = 100;
                }) },
        { "ramp", "kind ramp\nduration 800\nstart -10000\nend 10000\ndirection 18000\n",
            make(HapticKind::Ramp, 800,
                [](HapticEffect& e) {
                    e.start = -32767;
                    e.end = 32767;
                    e.direction = 18000;
                }) },
        { "rumble on the motors", "kind rumble\nduration 600\nstrong 10000\nweak 2500\n",
            make(HapticKind::LeftRight, 600,
                [](HapticEffect& e) {
                    e.largeMagnitude = 65535;
                    e.smallMagnitude = 16384;
                }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HapticEffect got = Only(std::string("ffe 1\neffect e\n") + c.body + "end\n");
        EXPECT_EQ(got, c.expected);
    }
}

TEST(Effect, theFirstEffectTheDeviceAcceptsShouldBeMade)
{
    EffectFile file;
    EffectFileError error;
    ASSERT_TRUE(ParseEffectFile(ReadData("all_kinds.ffe"), file, error))
        << error.line << ": " << error.reason;
    auto fake = std::make_shared<RecordingHaptic>(std::vector<HapticKind> { HapticKind::Constant });
    auto effect = CreateEffect(fake, file);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->Name(), "wobble");
    auto refusesAll = std::make_shared<RecordingHaptic>(
        std::vector<HapticKind> { HapticKind::Constant, HapticKind::Sine, HapticKind::Triangle,
            HapticKind::SawtoothUp, HapticKind::SawtoothDown, HapticKind::Ramp, HapticKind::LeftRight });
    EXPECT_FALSE(CreateEffect(refusesAll, file));
}

TEST(Effect, startStopAndReleaseShouldReachTheDevice)
{
    EffectFile file;
    EffectFileError error;
    ASSERT_TRUE(ParseEffectFile("ffe 1\neffect e\nkind constant\nduration 10\nend\n", file, error));
    auto fake = std::make_shared<RecordingHaptic>();
    auto effect = CreateEffect(fake, file);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->Start(kEffectForever), Result::Ok);
    EXPECT_EQ(effect->Start(3), Result::Ok);
    EXPECT_EQ(effect->Start(0), Result::InvalidParam);
    EXPECT_EQ(effect->Stop(), Result::Ok);
    effect.reset();
    EXPECT_EQ(fake->calls,
        (std::vector<Call> { { CK::Create, 0, 0 }, { CK::Run, 0, kHapticInfinity }, { CK::Run, 0, 3 },
            { CK::Stop, 0, 0 }, { CK::Destroy, 0, 0 } }));
}

// Effect files in a folder of the test's own.
class EffectFileTest : public zoq::test::TempDirTest {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::filesystem::path path = m_dir / name;
        zoq::test::WriteText(path, text);
        return path.string();
    }
};

std::string Effects(int count)
{
    std::string text = "ffe 1\n";
    for (int i = 0; i < count; ++i)
        text += "effect e" + std::to_string(i) + "\n  kind sine\n  duration 100\nend\n";
    return text;
}

TEST_F(EffectFileTest, aMalformedFileShouldLoadNothingAndLogOneLineNamingFileAndLine)
{
    struct Case {
        const char* name;
        std::string text;
        int line;
    };
    std::string big = "ffe 1\n" + std::string(70 * 1024, '#') + "\n";
    const Case cases[] = {
        { "unknown_key", "ffe 1\neffect e\n  kind sine\n  duration 100\n  colour red\nend\n", 5 },
        { "out_of_range", "ffe 1\neffect e\n  kind sine\n  duration 100\n  gain 10001\nend\n", 5 },
        { "no_end", "ffe 1\neffect e\n  kind sine\n  duration 100\n", 2 },
        { "long_name", "ffe 1\neffect " + std::string(32, 'n') + "\n  kind sine\n  duration 100\nend\n", 2 },
        { "seventeen", Effects(17), 66 },
        { "seventy_kb", big, 0 },
        { "no_header", "effect e\n  kind sine\n  duration 100\nend\n", 1 },
        { "wrong_version", "ffe 2\n", 1 },
        { "key_for_another_kind", "ffe 1\neffect e\n  kind ramp\n  duration 100\n  period 10\nend\n", 5 },
        { "twice", "ffe 1\neffect e\n  kind sine\n  kind sine\n  duration 100\nend\n", 4 },
        { "no_duration", "ffe 1\neffect e\n  kind sine\nend\n", 4 },
        { "not_a_number", "ffe 1\neffect e\n  kind sine\n  duration 1e3\nend\n", 4 },
        { "extra_value", "ffe 1\neffect e\n  kind sine sine\n  duration 10\nend\n", 3 },
        { "nul_byte", std::string("ffe 1\neffect e\n  kind sine\0\n  duration 10\nend\n", 41), 3 },
        { "no_effect", "ffe 1\n# nothing\n", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectFile file;
        EffectFileError error;
        EXPECT_FALSE(ParseEffectFile(c.text, file, error));
        EXPECT_EQ(error.line, c.line) << error.reason;
        EXPECT_TRUE(file.effects.empty());

        std::string path = Write(std::string(c.name) + ".ffe", c.text);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadEffectFile(path, file));
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(file.effects.empty());
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        std::string where = c.line > 0 ? path + ":" + std::to_string(c.line) + ":" : path + ":";
        EXPECT_NE(log.find(where), std::string::npos) << log;
    }
}

TEST_F(EffectFileTest, theHandMadeFileOfEveryKindShouldLoadWithoutErrors)
{
    testing::internal::CaptureStderr();
    EffectFile file;
    EXPECT_TRUE(LoadEffectFile(std::string(ZOQ_EFFECT_FILES) + "/all_kinds.ffe", file));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    std::vector<EffectKind> kinds;
    for (const EffectDesc& e : file.effects)
        kinds.push_back(e.kind);
    EXPECT_EQ(kinds,
        (std::vector<EffectKind> { EffectKind::Constant, EffectKind::Sine, EffectKind::SawtoothUp,
            EffectKind::SawtoothDown, EffectKind::Triangle, EffectKind::Square, EffectKind::Ramp,
            EffectKind::Rumble }));
    for (size_t i = 0; i < file.effects.size(); ++i) {
        EffectFile one { { file.effects[i] } };
        auto fake = std::make_shared<RecordingHaptic>();
        EXPECT_TRUE(CreateEffect(fake, one)) << file.effects[i].name;
    }
}

TEST_F(EffectFileTest, sixteenEffectsCommentsAndWindowsLineEndsShouldBeAccepted)
{
    EffectFile file;
    EffectFileError error;
    EXPECT_TRUE(ParseEffectFile(Effects(16), file, error)) << error.reason;
    EXPECT_EQ(file.effects.size(), 16u);
    EXPECT_TRUE(ParseEffectFile(ReadData("crlf.ffe"), file, error)) << error.line << ": " << error.reason;
    ASSERT_EQ(file.effects.size(), 1u);
    EXPECT_EQ(file.effects[0].strong, 5000);
    EXPECT_TRUE(ParseEffectFile("\xEF\xBB\xBF"
                                "ffe 1 # BOM\neffect "
            + std::string(31, 'n') + "\nkind ramp\nduration 5\nend",
        file, error))
        << error.reason;
}

} // namespace
