// The shader assembler on the game's programs, and its errors with line numbers.
#include "tests/platform/gfx/gfx_fixture.h"
#include "tests/platform/gfx/water_shader.h"

#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/shader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat::gfx::test {
namespace {

using d3dx::AssembleShader;

std::string WaterSource()
{
    std::string text;
    for (const char* line : kWaterLines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

const char* const kSpecMap = "ps.1.0\ntex t0\ntex t1\nmov r0, v1\n";
const char* const kSkyLayer = "ps.1.0\ntex t0\ntex t1\nmul r0.a, t0.a, v0.a\nmul r1.a, t1.a, r0.a\nmov "
                              "r1.rgb, t0\nmul r0.a, c0.a, r1.a\n"
                              "mov r0.rgb, r1\n";
const char* const kSpecBump = "ps.1.1\ntex t0\ndp3_sat r0, t0_bx2, v1_bx2\nmul r1.rgb, r0, r0\nmul r0.rgb, "
                              "r1, r1\nmul r0.a, v0.a, t0.a\n";

ShaderProgram Load(const std::vector<uint32_t>& tokens, ShaderKind kind)
{
    ShaderProgram program;
    std::string error;
    EXPECT_EQ(LoadShaderTokens(tokens, kind, program, &error), Result::Ok) << error;
    return program;
}

TEST(Assembler, theWaterShaderAssemblesIntoOurTokens)
{
    std::vector<uint32_t> tokens;
    std::string errors;
    ASSERT_EQ(AssembleShader(WaterSource(), tokens, &errors), Result::Ok) << errors;
    EXPECT_TRUE(errors.empty());
    ShaderProgram program = Load(tokens, ShaderKind::Vertex);
    ASSERT_EQ(program.instructions.size(), 30u);
    const Instruction& m4x4 = program.instructions[4];
    EXPECT_EQ(m4x4.op, ShaderOp::M4x4);
    EXPECT_EQ(m4x4.dest.type, RegisterType::RastOut);
    EXPECT_EQ(m4x4.dest.index, kRastOutPosition);
    EXPECT_EQ(m4x4.source[1].type, RegisterType::Const);
    EXPECT_EQ(m4x4.source[1].index, 3);
    const Instruction& mad = program.instructions[10];
    EXPECT_EQ(mad.op, ShaderOp::Mad);
    EXPECT_EQ(mad.dest.type, RegisterType::TexCrdOut);
    EXPECT_EQ(mad.dest.index, 1);
    EXPECT_EQ(mad.dest.writeMask, kMaskX);
    EXPECT_EQ(mad.source[2].swizzle, MakeSwizzle(0, 0, 0, 0));
    const Instruction& rsq = program.instructions[19];
    EXPECT_EQ(rsq.op, ShaderOp::Rsq);
    EXPECT_EQ(rsq.source[0].swizzle, MakeSwizzle(2, 2, 2, 2));
    const Instruction& exp = program.instructions[28];
    EXPECT_EQ(exp.op, ShaderOp::Exp);
    EXPECT_EQ(exp.source[0].swizzle, kSwizzleIdentity) << "scalar ops without a swizzle read .w";
    const Instruction& fog = program.instructions[29];
    EXPECT_EQ(fog.dest.type, RegisterType::RastOut);
    EXPECT_EQ(fog.dest.index, kRastOutFog);
    EXPECT_EQ(fog.source[0].swizzle, MakeSwizzle(2, 2, 2, 2));
}

TEST(Assembler, theThreePixelProgramsAssemble)
{
    struct Row {
        const char* name;
        const char* source;
        uint32_t minor;
        size_t instructions;
    };
    for (Row row : { Row { "SpecMap", kSpecMap, 0, 3 }, Row { "sky layer", kSkyLayer, 0, 7 },
             Row { "SpecBump", kSpecBump, 1, 5 } }) {
        std::vector<uint32_t> tokens;
        std::string errors;
        ASSERT_EQ(AssembleShader(row.source, tokens, &errors), Result::Ok) << row.name << ": " << errors;
        ShaderProgram program = Load(tokens, ShaderKind::Pixel);
        EXPECT_EQ(program.minor, row.minor) << row.name;
        EXPECT_EQ(program.instructions.size(), row.instructions) << row.name;
    }
    std::vector<uint32_t> tokens;
    ASSERT_EQ(AssembleShader(kSpecBump, tokens, nullptr), Result::Ok);
    ShaderProgram bump = Load(tokens, ShaderKind::Pixel);
    const Instruction& dp3 = bump.instructions[1];
    EXPECT_TRUE(dp3.saturate);
    EXPECT_EQ(dp3.source[0].modifier, SourceModifier::Sign);
    EXPECT_EQ(dp3.source[1].modifier, SourceModifier::Sign);
    EXPECT_EQ(bump.instructions[4].dest.writeMask, kMaskW);
    EXPECT_EQ(bump.instructions[4].source[0].swizzle, kSwizzleAlpha);
}

TEST(Assembler, everyVertexInstructionAndMacroAssembles)
{
    const char* source = "vs_1_1\ndp4 r0, v0, c0\nmin r1, r0, c1\nmax r1, r1, -c2\nslt r2, r1, c3\nsge r3, "
                         "r1, c3\nlog r4, r1.x\n"
                         "lit r5, r1\ndst r6, r1, r2\nfrc r7, r1\nexpp r8, r1.y\nlogp r9, r1.w\nm3x4 r10, "
                         "v1, c4\nm3x3 r11, v1, c8\n"
                         "m3x2 oT0, v1, c12\nmov oPts.x, c13.x\nmov oD1, -v2\nnop\nsub r0.xz, r1.xxyy, "
                         "c95.wzyx\nDEF c94, 1, 2, 3, 4\n";
    std::vector<uint32_t> tokens;
    std::string errors;
    ASSERT_EQ(AssembleShader(source, tokens, &errors), Result::Ok) << errors;
    ShaderProgram program = Load(tokens, ShaderKind::Vertex);
    ASSERT_EQ(program.instructions.size(), 19u);
    EXPECT_EQ(program.instructions[13].dest.type, RegisterType::TexCrdOut);
    EXPECT_EQ(program.instructions[14].dest.index, kRastOutPointSize);
    EXPECT_EQ(program.instructions[15].source[0].modifier, SourceModifier::Negate);
    EXPECT_EQ(program.instructions[17].dest.writeMask, kMaskX | kMaskZ);
    EXPECT_EQ(program.instructions[17].source[0].swizzle, MakeSwizzle(0, 0, 1, 1));
    EXPECT_EQ(program.instructions[17].source[1].swizzle, MakeSwizzle(3, 2, 1, 0));
}

TEST(Assembler, modifiersAndCoIssue)
{
    const char* source = "ps.1.1\n"
                         "def c7, 0.5, -1, 2.25, 1\n"
                         "tex t0\n"
                         "mul_x2 r0.rgb, t0, 1-v0   ; comment\n"
                         "+add_d2_sat r0.a, -t0_bias, c7.a\n"
                         "lrp r1, c7, t0, r0 // another comment\n"
                         "cnd r0, r0.a, r1, -c7_bx2\n";
    std::vector<uint32_t> tokens;
    std::string errors;
    ASSERT_EQ(AssembleShader(source, tokens, &errors), Result::Ok) << errors;
    ShaderProgram program = Load(tokens, ShaderKind::Pixel);
    ASSERT_EQ(program.instructions.size(), 6u);
    EXPECT_EQ(program.instructions[0].op, ShaderOp::Def);
    EXPECT_EQ(program.instructions[0].value[2], 2.25f);
    EXPECT_EQ(program.instructions[2].shift, 1);
    EXPECT_EQ(program.instructions[2].source[1].modifier, SourceModifier::Complement);
    const Instruction& add = program.instructions[3];
    EXPECT_TRUE(add.coissue);
    EXPECT_TRUE(add.saturate);
    EXPECT_EQ(add.shift, -1);
    EXPECT_EQ(add.source[0].modifier, SourceModifier::BiasNegate);
    EXPECT_EQ(program.instructions[5].source[2].modifier, SourceModifier::SignNegate);
}

TEST(Assembler, errorsNameTheirLine)
{
    struct Row {
        const char* source;
        const char* expected; // the start of the error
    };
    const Row rows[] = {
        { "", "line 1: no version" },
        { "mov r0, v0", "line 1: a version" },
        { "vs.1.1\nmov r0, v0\nfoo r0, r1", "line 3: unknown instruction 'foo'" },
        { "vs.1.1\n\nmov r0, c96", "line 3: register 'c96'" },
        { "vs.1.1\nmov r0, c[a0.x + 4]", "line 2: relative addressing" },
        { "vs.1.1\nmov a0.x, c0", "line 2: relative addressing" },
        { "vs.1.1\nmov r0, v0, v1", "line 2: 'mov' takes 2 operands" },
        { "vs.1.1\nmov r0.yx, v0", "line 2: write mask components must be in order" },
        { "vs.1.1\nmov r0.q, v0", "line 2: write mask components must be in order" },
        { "vs.1.1\nmul_sat r0, v0, c0", "line 2: instruction modifiers are for pixel shaders" },
        { "vs.1.1\n+mov r0, v0", "line 2: co-issue" },
        { "vs.1.1\nmov r0, v0_bx2", "line 2: vertex shader sources take only negation" },
        { "vs.1.1\nmov oPos, oD0", "line 2: register cannot be read" },
        { "vs.1.1\nmov v0, r0", "line 2: register cannot be written" },
        { "vs.1.1\nmov r0, q0", "line 2: unknown register" },
        { "ps.1.1\ntex t0\nrcp r0, t0", "line 3: 'rcp' is not an instruction" },
        { "ps.1.1\nmov r0, v0\ntex t0", "line 3: tex after arithmetic" },
        { "ps.1.1\ntex t4", "line 2: register 't4'" },
        { "ps.1.1\nmov r0.xy, v0", "line 2: pixel write mask" },
        { "ps.1.1\nmov r0, v0.xyzx", "line 2: pixel sources take only" },
        { "ps.1.1\nmov r0.rgb, v0\n+mov r0.rgb, v1", "line 3: co-issue needs" },
        { "ps.1.1\ndef c0, 1, 2, x, 4", "line 2: bad number 'x'" },
        { "ps.1.1\nmov r0, -1-v0", "line 2: 1- takes no other modifier" },
        { "ps.1.1\nmul_x3 r0, v0, v1", "line 2: unknown instruction modifier '_x3'" },
        { "ps.1.1\nmov r0, v0\nmov r0, v0\nmov r0, v0\nmov r0, v0\nmov r0, v0\nmov r0, v0\nmov r0, v0\nmov "
          "r0, v0\n"
          "mov r0, v0",
            "line 10: too many instructions" },
        { "vs.2.0\nmov r0, v0", "line 1: a version" },
    };
    for (const Row& row : rows) {
        std::vector<uint32_t> tokens { 42 };
        std::string errors;
        EXPECT_EQ(AssembleShader(row.source, tokens, &errors), Result::InvalidData) << row.source;
        EXPECT_EQ(errors.rfind(row.expected, 0), 0u) << row.source << "\ngot: " << errors;
        EXPECT_EQ(tokens, std::vector<uint32_t> { 42 }) << "a failed assembly leaves the output alone";
    }
}

TEST_F(GfxTest, theDeviceCreatesTheGameShadersFromTheirTokens)
{
    CreateWindowed();
    std::vector<uint32_t> tokens;
    ASSERT_EQ(AssembleShader(WaterSource(), tokens, nullptr), Result::Ok);
    const VertexElement declaration[] = { { 0, DeclType::Float3 }, { 1, DeclType::Float3 },
        { 3, DeclType::Float3 }, { 5, DeclType::D3dColor }, { 7, DeclType::Float2 } };
    uint32_t handle = 0;
    ASSERT_EQ(m_device->CreateVertexShader(declaration, tokens.data(), handle, 0), Result::Ok);
    EXPECT_EQ(handle & 1, 1u) << "handles are odd, FVF codes even";
    EXPECT_NE(handle, 0xFFFFFFFFu);
    ASSERT_EQ(m_device->SetVertexShader(handle), Result::Ok);
    // A declaration without v7 refuses the program that reads it.
    uint32_t other = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_device->CreateVertexShader(std::span(declaration, 4), tokens.data(), other, 0),
        Result::InvalidCall);
    // A stream without its end token is refused.
    std::vector<uint32_t> cut(tokens.begin(), tokens.end() - 1);
    cut.insert(cut.end(), 4096, 0x80000000u);
    EXPECT_EQ(m_device->CreateVertexShader(declaration, cut.data(), other, 0), Result::InvalidCall);
    testing::internal::GetCapturedStderr();
    for (const char* source : { kSpecMap, kSkyLayer, kSpecBump }) {
        ASSERT_EQ(AssembleShader(source, tokens, nullptr), Result::Ok);
        uint32_t ps = 0;
        ASSERT_EQ(m_device->CreatePixelShader(tokens.data(), ps), Result::Ok);
        EXPECT_NE(ps, 0u);
    }
    EXPECT_EQ(m_device->Counts().pixelShaders, 3u);
    EXPECT_EQ(m_device->DeleteVertexShader(handle), Result::Ok);
    uint32_t current = 1;
    m_device->GetVertexShader(current);
    EXPECT_EQ(current, 0u);
    EXPECT_EQ(m_device->DeleteVertexShader(handle), Result::InvalidCall);
}

} // namespace
} // namespace plat::gfx::test
