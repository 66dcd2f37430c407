// The slot table as data: every slot defined once at its index and built once by the Init steps;
// every variant reads its caller textures from t0-t3 and runs one to three passes; the programs
// kept as text.
#include "render/ShaderPrograms.h"
#include "render/ShaderSlotTable.h"

#include "platform/gfx/d3dx/d3dx.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(ShaderTableTest, everySlotIsDefinedAtItsIndexWithVariantsInLetterOrder)
{
    for (int slot = 0; slot < 50; ++slot) {
        const SShaderSlotDef& def = ShaderSlotDef(slot);
        EXPECT_EQ(def.slot, slot);
        ASSERT_FALSE(def.variants.empty()) << slot;
        char letter = 'A';
        for (const SShaderVariant& variant : def.variants) {
            EXPECT_EQ(variant.letter, letter++) << slot;
            const int passes = variant.PassCount();
            EXPECT_GE(passes, 1) << slot;
            for (int p = 0; p < 3; ++p) {
                EXPECT_EQ(variant.passes[size_t(p)].ops.empty(), p >= passes) << slot;
                for (int8_t entry : variant.passes[size_t(p)].textures)
                    EXPECT_LE(entry, 3) << slot;
            }
        }
    }
}

TEST(ShaderTableTest, initStepsBuildEverySlotOnce)
{
    std::set<int> seen;
    for (const SShaderInitStep& step : kShaderInitSteps) {
        EXPECT_TRUE(seen.insert(step.slot).second) << step.slot;
        if (step.defaultsBefore) {
            bool named = false;
            for (const SShaderVariant& variant : ShaderSlotDef(step.slot).variants)
                named = named || variant.letter == step.defaultsBefore;
            EXPECT_TRUE(named) << step.slot;
        }
        // A slot whose failure is reported has a name to report.
        if (step.onFail == EShaderOnFail::Stop || step.onFail == EShaderOnFail::Log) {
            EXPECT_NE(ShaderSlotDef(step.slot).name, nullptr) << step.slot;
        }
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(ShaderTableTest, waterVertexShaderTextIsKeptLineForLine)
{
    const std::string text = kWaterVertexShaderText;
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "vs.1.1");
    EXPECT_EQ(lines[1], "mul r2, v1, c11 ");
    EXPECT_EQ(lines[11], "mad oT1.x, r0.x, r0.z, c8.x ");
    EXPECT_EQ(lines[29], "exp r2, r1 ");
    EXPECT_EQ(lines[30], "mov oFog.x, r2.z");
    for (size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].back(), ' ') << i;
}

TEST(ShaderTableTest, programsAssemble)
{
    std::vector<uint32_t> tokens;
    std::string errors;
    EXPECT_EQ(plat::gfx::d3dx::AssembleShader(kWaterVertexShaderText, tokens, &errors), plat::gfx::Result::Ok)
        << errors;
    for (const char* text : kPixelShaderTexts) {
        tokens.clear();
        EXPECT_EQ(plat::gfx::d3dx::AssembleShader(text, tokens, &errors), plat::gfx::Result::Ok)
            << errors << text;
    }
}
