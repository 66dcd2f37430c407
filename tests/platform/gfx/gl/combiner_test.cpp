// The stage combiner: each operation with representative arguments, worked by hand from
//   diffuse D = (a 128, r 64, g 128, b 192), texture T = (192, 128, 64, 255),
//   factor F = (64, 255, 128, 0), specular S = (16, 32, 64, 32),
// drawn into an A8R8G8B8 target so alpha is read back too.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include <functional>

namespace plat::gfx::gltest {
namespace {

constexpr Color kD = 0x804080C0u;
constexpr Color kT = 0xC08040FFu;
constexpr Color kF = 0x40FF8000u;
constexpr Color kS = 0x10204020u;

struct SpecularVertex {
    float x, y, z, rhw;
    Color diffuse;
    Color specular;
    float u, v;
};
constexpr uint32_t kSpecularFvf = fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1;

constexpr uint32_t D = uint32_t(TextureArg::Diffuse);
constexpr uint32_t C = uint32_t(TextureArg::Current);
constexpr uint32_t T = uint32_t(TextureArg::Texture);
constexpr uint32_t F = uint32_t(TextureArg::TFactor);
constexpr uint32_t S = uint32_t(TextureArg::Specular);
constexpr uint32_t M = uint32_t(TextureArg::Temp);

class CombinerTest : public GlTest {
public:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
        ASSERT_EQ(m_device->CreateRenderTarget(16, 16, Format::A8R8G8B8, MultiSample::None, true, &m_target),
            Result::Ok);
        ASSERT_EQ(m_device->SetRenderTarget(m_target, nullptr), Result::Ok);
        m_texture = SolidTexture(kT);
        m_device->SetRenderState(RenderState::TextureFactor, kF);
    }
    void TearDown() override
    {
        if (m_target)
            m_target->Release();
        GlTest::TearDown();
    }

    Device& Dev() { return *m_device; }

    void Stage(uint32_t stage, TextureOp op, uint32_t arg1, uint32_t arg2 = C, uint32_t arg0 = C)
    {
        m_device->SetTextureStageState(stage, StageState::ColorOp, uint32_t(op));
        m_device->SetTextureStageState(stage, StageState::ColorArg1, arg1);
        m_device->SetTextureStageState(stage, StageState::ColorArg2, arg2);
        m_device->SetTextureStageState(stage, StageState::ColorArg0, arg0);
    }
    void Alpha(uint32_t stage, TextureOp op, uint32_t arg1, uint32_t arg2 = C, uint32_t arg0 = C)
    {
        m_device->SetTextureStageState(stage, StageState::AlphaOp, uint32_t(op));
        m_device->SetTextureStageState(stage, StageState::AlphaArg1, arg1);
        m_device->SetTextureStageState(stage, StageState::AlphaArg2, arg2);
        m_device->SetTextureStageState(stage, StageState::AlphaArg0, arg0);
    }
    // Every stage back to: stage 0 colour SELECTARG1(DIFFUSE), alpha SELECTARG1(DIFFUSE), the rest off.
    void Baseline()
    {
        for (uint32_t k = 0; k < kStageCount; ++k) {
            Stage(k, k == 0 ? TextureOp::SelectArg1 : TextureOp::Disable, D);
            Alpha(k, k == 0 ? TextureOp::SelectArg1 : TextureOp::Disable, D);
            m_device->SetTextureStageState(k, StageState::ResultArg, C);
            m_device->SetTextureStageState(k, StageState::TexCoordIndex, 0);
            m_device->SetTexture(k, nullptr);
        }
        m_device->SetTexture(0, m_texture);
        m_device->SetRenderState(RenderState::SpecularEnable, 0);
    }

    uint32_t DrawAndRead(float u = 0.5f, float v = 0.5f)
    {
        SpecularVertex q[4]
            = { { -0.5f, -0.5f, 0.5f, 1, kD, kS, u, v }, { 15.5f, -0.5f, 0.5f, 1, kD, kS, u, v },
                  { -0.5f, 15.5f, 0.5f, 1, kD, kS, u, v }, { 15.5f, 15.5f, 0.5f, 1, kD, kS, u, v } };
        EXPECT_EQ(m_device->BeginScene(), Result::Ok);
        m_device->Clear(0, nullptr, clear::kTarget, 0, 1, 0);
        m_device->SetVertexShader(kSpecularFvf);
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, q, sizeof(SpecularVertex)),
            Result::Ok);
        EXPECT_EQ(m_device->EndScene(), Result::Ok);
        return Pixel(8, 8, m_target);
    }

    Surface* m_target = nullptr;
    Texture* m_texture = nullptr;
};

struct OpCase {
    const char* name;
    std::function<void(CombinerTest&)> setup;
    Color expected;
};

TEST_F(CombinerTest, eachOperationWithRepresentativeArguments)
{
    using Op = TextureOp;
    const OpCase cases[] = {
        { "SELECTARG1 texture", [](CombinerTest& t) { t.Stage(0, Op::SelectArg1, T); }, 0x808040FF },
        { "SELECTARG2 diffuse", [](CombinerTest& t) { t.Stage(0, Op::SelectArg2, T, D); }, 0x804080C0 },
        { "MODULATE", [](CombinerTest& t) { t.Stage(0, Op::Modulate, T, D); }, 0x802020C0 },
        { "MODULATE2X", [](CombinerTest& t) { t.Stage(0, Op::Modulate2x, T, D); }, 0x804040FF },
        { "MODULATE4X", [](CombinerTest& t) { t.Stage(0, Op::Modulate4x, T, D); }, 0x808080FF },
        { "ADD saturates", [](CombinerTest& t) { t.Stage(0, Op::Add, T, D); }, 0x80C0C0FF },
        { "SUBTRACT clamps at 0", [](CombinerTest& t) { t.Stage(0, Op::Subtract, T, D); }, 0x8040003F },
        { "BLENDTEXTUREALPHA", [](CombinerTest& t) { t.Stage(0, Op::BlendTextureAlpha, F, D); }, 0x80D0802F },
        { "BLENDFACTORALPHA", [](CombinerTest& t) { t.Stage(0, Op::BlendFactorAlpha, T, D); }, 0x805070D0 },
        { "BLENDCURRENTALPHA", [](CombinerTest& t) { t.Stage(0, Op::BlendCurrentAlpha, T, F); }, 0x80BF6080 },
        { "MULTIPLYADD", [](CombinerTest& t) { t.Stage(0, Op::MultiplyAdd, T, D, S); }, 0x804060E0 },
        { "LERP", [](CombinerTest& t) { t.Stage(0, Op::Lerp, T, D, F); }, 0x808060C0 },
        { "DOTPRODUCT3 fills alpha too", [](CombinerTest& t) { t.Stage(0, Op::DotProduct3, T, D); },
            0x80808080 },
        { "COMPLEMENT", [](CombinerTest& t) { t.Stage(0, Op::SelectArg1, T | kArgComplement); }, 0x807FBF00 },
        { "ALPHAREPLICATE", [](CombinerTest& t) { t.Stage(0, Op::SelectArg1, T | kArgAlphaReplicate); },
            0x80C0C0C0 },
        { "TEMP chain",
            [](CombinerTest& t) {
                t.Stage(0, Op::Modulate, T, D);
                t.Dev().SetTextureStageState(0, StageState::ResultArg, M);
                t.Stage(1, Op::SelectArg1, D);
                t.Alpha(1, Op::SelectArg1, D);
                t.Stage(2, Op::Add, M, C);
                t.Alpha(2, Op::SelectArg1, D);
            },
            0x8060A0FF },
        { "stages end at the first DISABLE",
            [](CombinerTest& t) {
                t.Stage(0, Op::SelectArg1, T);
                t.Stage(2, Op::SelectArg1, D);
                t.Alpha(2, Op::SelectArg1, F);
            },
            0x808040FF },
        { "an unbound stage reads opaque white",
            [](CombinerTest& t) {
                t.Dev().SetTexture(0, nullptr);
                t.Stage(0, Op::SelectArg1, T);
                t.Alpha(0, Op::SelectArg1, T);
            },
            0xFFFFFFFF },
        { "SPECULARENABLE adds after the last stage",
            [](CombinerTest& t) { t.Dev().SetRenderState(RenderState::SpecularEnable, 1); }, 0x8060C0E0 },
        { "alpha MODULATE", [](CombinerTest& t) { t.Alpha(0, Op::Modulate, T, D); }, 0x604080C0 },
        { "alpha DISABLE under a colour op passes alpha on",
            [](CombinerTest& t) {
                t.Dev().SetTexture(1, t.m_texture);
                t.Stage(1, Op::SelectArg1, T);
                t.Alpha(1, Op::Disable, T);
            },
            0x808040FF },
        { "alpha DOTPRODUCT3 over the colour", [](CombinerTest& t) { t.Alpha(0, Op::DotProduct3, T, D); },
            0x804080C0 },
        // The near terrain: T x D under a complemented texture alpha (.247), blended over D by it:
        // .247 D + .753 T x D = (40, 55.8, 192), alpha D's.
        { "BLENDCURRENTALPHA by a complemented texture alpha",
            [](CombinerTest& t) {
                t.Stage(0, Op::Modulate, T, D);
                t.Alpha(0, Op::SelectArg1, T | kArgComplement);
                t.Stage(1, Op::BlendCurrentAlpha, D, C);
                t.Alpha(1, Op::SelectArg1, D);
            },
            0x802838C0 },
    };
    for (const OpCase& c : cases) {
        Baseline();
        c.setup(*this);
        EXPECT_PIXEL(DrawAndRead(), c.expected) << c.name;
    }
}

TEST_F(CombinerTest, bumpEnvMapMovesTheNextLookupByTheMatrixTimesTheTexel)
{
    // V8U8 texel (du 64, dv 0) = (0.504, 0); the next stage reads a red | blue texture at u 0.25.
    Texture* bump = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::V8U8, Pool::Managed, &bump), Result::Ok);
    m_owned.push_back(bump);
    LockedRect locked;
    ASSERT_EQ(bump->LockRect(0, locked, nullptr, 0), Result::Ok);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            auto* texel = static_cast<int8_t*>(locked.bits) + y * locked.pitch + x * 2;
            texel[0] = 64; // du
            texel[1] = 0; // dv
        }
    bump->UnlockRect(0);
    Texture* halves = MakeTexture(2, 1, { 0xFFFF0000u, 0xFF0000FFu });

    for (auto [m00, expected] : { std::pair { 0.0f, 0xFFFF0000u }, std::pair { 1.0f, 0xFF0000FFu } }) {
        Baseline();
        m_device->SetTexture(0, bump);
        m_device->SetTexture(1, halves);
        Stage(0, TextureOp::BumpEnvMap, T);
        Alpha(0, TextureOp::SelectArg1, D);
        m_device->SetTextureStageState(0, StageState::BumpEnvMat00, FloatBits(m00));
        m_device->SetTextureStageState(0, StageState::BumpEnvMat11, FloatBits(m00));
        Stage(1, TextureOp::SelectArg1, T);
        Alpha(1, TextureOp::SelectArg1, T);
        EXPECT_PIXEL(DrawAndRead(0.25f, 0.5f), expected) << "matrix " << m00;
    }
}

} // namespace
} // namespace plat::gfx::gltest
