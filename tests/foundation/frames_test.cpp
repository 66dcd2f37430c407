#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/CTransform.h"
#include "foundation/CViewFrame.h"
#include "foundation/Matrix.h"
#include "foundation/Vector.h"

namespace {

constexpr float kEps = 1e-5f;

void ExpectVec(const Vec3& v, float x, float y, float z, float eps = kEps)
{
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

void ExpectMatrix(const Matrix4& a, const Matrix4& b, float eps = kEps)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], eps) << "element " << i;
}

Vec3 Column(const Matrix4& m, int c)
{
    return { m.m[c], m.m[4 + c], m.m[8 + c] };
}
Vec3 Row(const Matrix4& m, int r)
{
    return { m.m[4 * r], m.m[4 * r + 1], m.m[4 * r + 2] };
}

void ExpectOrthonormal(const Matrix4& m)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(Vec3Length(Column(m, i)), 1.0f, kEps) << "column " << i;
        for (int j = i + 1; j < 3; ++j)
            EXPECT_NEAR(Vec3Dot(Column(m, i), Column(m, j)), 0.0f, kEps) << "columns " << i << ", " << j;
    }
    Vec3 cross;
    Vec3Cross(cross, Column(m, 0), Column(m, 1));
    EXPECT_NEAR(Vec3Dot(cross, Column(m, 2)), 1.0f, kEps) << "right-handed";
}

// A rotation about an arbitrary axis, translated.
Matrix4 SomeRotation()
{
    Matrix4 rx;
    Matrix4Identity(rx);
    Matrix4RotateX(rx, 0.7f);
    Matrix4 rz;
    Matrix4Identity(rz);
    Matrix4RotateZ(rz, -1.3f);
    Matrix4 r;
    Matrix4Multiply(r, rx, rz);
    r.m[12] = 5.0f;
    r.m[13] = -2.0f;
    r.m[14] = 9.0f;
    return r;
}

TEST(Vectors, NormalizeLeavesAZeroVectorZero)
{
    Vec3 v { 3.0f, 0.0f, 4.0f };
    Vec3Normalize(v, v);
    ExpectVec(v, 0.6f, 0.0f, 0.8f);
    Vec3 zero { 0.0f, 0.0f, 0.0f };
    Vec3Normalize(zero, zero);
    ExpectVec(zero, 0.0f, 0.0f, 0.0f, 0.0f);
}

TEST(Vectors, CrossMayWriteIntoAnInput)
{
    Vec3 a { 1.0f, 0.0f, 0.0f };
    Vec3Cross(a, a, Vec3 { 0.0f, 1.0f, 0.0f });
    ExpectVec(a, 0.0f, 0.0f, 1.0f);
}

TEST(Matrices, TransformVector3UndoesTransformNormalForARotation)
{
    Matrix4 r = SomeRotation();
    const std::vector<Vec3> vectors = { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 }, { 2.5f, -1.0f, 7.0f } };
    for (const Vec3& v : vectors) {
        Vec3 turned;
        TransformNormal(turned, v, r);
        Vec3 back;
        TransformVector3(back, r, turned);
        ExpectVec(back, v.x, v.y, v.z);
    }
}

TEST(Matrices, TransformCoordAddsTheTranslationRow)
{
    Matrix4 r = SomeRotation();
    Vec3 p { 1.0f, 2.0f, 3.0f };
    Vec3 normal;
    TransformNormal(normal, p, r);
    Vec3 coord;
    TransformCoord(coord, p, r);
    ExpectVec(coord, normal.x + 5.0f, normal.y - 2.0f, normal.z + 9.0f);
}

TEST(Matrices, CofactorOfARotationIsTheRotation)
{
    Matrix4 r = SomeRotation();
    Matrix4 c;
    Matrix3Cofactor(c, r);
    Matrix4 expected = r;
    for (int i : { 3, 7, 11, 12, 13, 14, 15 })
        expected.m[i] = 0.0f;
    ExpectMatrix(c, expected);
}

TEST(Matrices, RotateXWritesOntoADiagonalKeepingItsScale)
{
    Matrix4 m;
    Matrix4Identity(m, 2.0f);
    const float a = 0.3f;
    Matrix4RotateX(m, a);
    EXPECT_FLOAT_EQ(m.m[0], 2.0f);
    EXPECT_FLOAT_EQ(m.m[5], 2.0f * std::cos(a));
    EXPECT_FLOAT_EQ(m.m[6], -2.0f * std::sin(a));
    EXPECT_FLOAT_EQ(m.m[9], 2.0f * std::sin(a));
    EXPECT_FLOAT_EQ(m.m[10], 2.0f * std::cos(a));
    EXPECT_FLOAT_EQ(m.m[15], 1.0f);
}

TEST(Matrices, MultiplyRotation3ClearsAllButThe3x3Product)
{
    Matrix4 a = SomeRotation();
    Matrix4 b = SomeRotation();
    Matrix4 full;
    Matrix4Multiply(full, a, b);
    Matrix4 product;
    MultiplyRotation3(product, a, b);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float expected = r < 3 && c < 3 ? full.m[4 * r + c] : 0.0f;
            EXPECT_NEAR(product.m[4 * r + c], expected, kEps);
        }
    }
    Matrix3MultiplyInPlace(a, b);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(a.m[4 * r + c], full.m[4 * r + c], kEps);
    }
    EXPECT_FLOAT_EQ(a.m[12], 5.0f);
}

TEST(Matrices, NormalizeMatrixRowsGivesUnitRows)
{
    Matrix4 m = SomeRotation();
    for (int i = 0; i < 3; ++i)
        m.m[i] *= 4.0f;
    for (int i = 8; i < 11; ++i)
        m.m[i] *= 0.5f;
    NormalizeMatrixRows(m);
    for (int r = 0; r < 3; ++r)
        EXPECT_NEAR(Vec3Length(Row(m, r)), 1.0f, kEps);
}

TEST(Matrices, LookAtIsOrthonormalWithTheEyeInRowThree)
{
    struct Case {
        Vec3 eye, target, up;
    };
    const Case cases[] = {
        { { 0, 0, 10 }, { 0, 0, 0 }, { 0, 1, 0 } },
        { { 3, -4, 12 }, { 1, 1, 1 }, { 0, 0, 1 } },
        { { 0.2f, 0.5f, -0.9f }, { 0, 0, 0 }, { 0, 0, 1 } },
    };
    for (const Case& c : cases) {
        Matrix4 m;
        Matrix4Identity(m);
        m.m[3] = 7.0f; // column 3 is left as it was
        BuildLookAtMatrix(m, c.eye, c.target, c.up);
        ExpectOrthonormal(m);
        ExpectVec(Row(m, 3), c.eye.x, c.eye.y, c.eye.z);
        Vec3 forward;
        Vec3Sub(forward, c.eye, c.target);
        Vec3Normalize(forward, forward);
        ExpectVec(Column(m, 2), forward.x, forward.y, forward.z);
        EXPECT_FLOAT_EQ(m.m[3], 7.0f);
        EXPECT_FLOAT_EQ(m.m[15], 1.0f);
    }
}

TEST(Transform, ConstructorGivesTheAxisSwapMatrix)
{
    CTransform t;
    Matrix4 swap;
    AxisSwapMatrix(swap);
    const float expected[16] = { -1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1 };
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(swap.m[i], expected[i]);
        EXPECT_EQ(t.matrix.m[i], expected[i]);
    }
    ExpectVec(t.position, 0, 0, 0, 0);
    ExpectVec(t.side, -1, 0, 0, 0);
}

TEST(Transform, SetDirectionGivesAnOrthonormalFrame)
{
    const float d = 1.0f / std::sqrt(3.0f);
    struct Case {
        Vec3 direction;
        bool checkAxes;
        Vec3 up, side;
    };
    const Case cases[] = {
        { { 0, 0, 1 }, true, { 0, 1, 0 }, { 1, 0, 0 } },
        { { 0, 0, -1 }, true, { 0, -1, 0 }, { 1, 0, 0 } },
        { { 1, 0, 0 }, true, { 0, 0, 1 }, { 0, 1, 0 } },
        { { 0, 0.0000001f, -1 }, false, {}, {} },
        { { d, -d, d }, false, {}, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.direction.x << ", " << c.direction.y << ", " << c.direction.z);
        CTransform t;
        t.SetPosition({ 1.0f, 2.0f, 3.0f });
        t.SetDirection(c.direction);
        for (float v : t.matrix.m)
            EXPECT_FALSE(std::isnan(v));
        ExpectOrthonormal(t.matrix);
        ExpectVec(Column(t.matrix, 2), c.direction.x, c.direction.y, c.direction.z);
        ExpectVec(Column(t.matrix, 0), t.side.x, t.side.y, t.side.z, 0.0f);
        ExpectVec(Column(t.matrix, 1), t.up.x, t.up.y, t.up.z, 0.0f);
        ExpectVec(Row(t.matrix, 3), 1.0f, 2.0f, 3.0f, 0.0f);
        if (c.checkAxes) {
            ExpectVec(t.up, c.up.x, c.up.y, c.up.z);
            ExpectVec(t.side, c.side.x, c.side.y, c.side.z);
        }
    }
}

TEST(Transform, RotateXMultipliesOnTheRightAndLeavesTranslationAndAxes)
{
    CTransform t;
    t.SetMatrix(SomeRotation());
    t.UpdateAxes();
    const CTransform before = t;
    const float a = 0.4f;
    t.RotateX(a);

    Matrix4 rx;
    Matrix4Identity(rx);
    Matrix4RotateX(rx, a);
    Matrix4 expected;
    Matrix4Multiply(expected, before.matrix, rx);
    for (int i = 12; i < 16; ++i)
        expected.m[i] = before.matrix.m[i]; // only the 3x3 part turns
    ExpectMatrix(t.matrix, expected);
    ExpectVec(t.forward, before.forward.x, before.forward.y, before.forward.z, 0.0f);
    ExpectVec(t.side, before.side.x, before.side.y, before.side.z, 0.0f);
}

TEST(Transform, RotateZPremultipliesByTheNegatedAngle)
{
    CTransform t;
    t.SetMatrix(SomeRotation());
    t.UpdateAxes();
    const CTransform before = t;
    const float a = 0.9f;
    t.RotateZ(a);

    Matrix4 rz;
    Matrix4Identity(rz);
    Matrix4RotateZ(rz, -a);
    Matrix4 expected;
    Matrix4Multiply(expected, rz, before.matrix);
    ExpectMatrix(t.matrix, expected);
    ExpectVec(Row(t.matrix, 3), 5.0f, -2.0f, 9.0f, 0.0f);
    ExpectVec(t.up, before.up.x, before.up.y, before.up.z, 0.0f);
}

TEST(Transform, SetViewPositionWritesTheViewMatrixForm)
{
    CTransform t;
    t.SetMatrix(SomeRotation());
    const Vec3 p { 10.0f, -20.0f, 30.0f };
    t.SetViewPosition(p);
    ExpectVec(t.position, p.x, p.y, p.z, 0.0f);
    // The view matrix sends the eye to the origin.
    Vec3 eye;
    TransformCoord(eye, p, t.matrix);
    ExpectVec(eye, 0.0f, 0.0f, 0.0f, 1e-4f);
}

TEST(Transform, AssignUsesTheVirtualSetPosition)
{
    CTransform source;
    source.SetMatrix(SomeRotation());
    CViewFrame view;
    view.Assign(source);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(view.matrix.m[i], source.matrix.m[i]);
    ExpectVec(view.position, 5.0f, -2.0f, 9.0f, 0.0f);
    Vec3 eye;
    TransformCoord(eye, view.position, view.matrix);
    ExpectVec(eye, 0.0f, 0.0f, 0.0f, 1e-4f);

    CTransform copy;
    copy.CopyFrom(view);
    ExpectMatrix(copy.matrix, view.matrix, 0.0f);
}

class ViewFrameTest : public testing::Test {
protected:
    void TearDown() override
    {
        CViewFrame::SetViewTransformSink(nullptr);
        CViewFrame::SetFacingSink(nullptr);
    }
};

TEST_F(ViewFrameTest, ConstructorSetsTheAxesThenTurnsTheMatrix)
{
    CViewFrame view;
    const float h = 1.0f / std::sqrt(2.0f);
    ExpectVec(view.forward, 0, 0, -1);
    ExpectVec(view.up, h, h, 0);
    ExpectVec(view.side, -h, h, 0);

    CTransform expected;
    expected.forward = { 0, 0, -1 };
    expected.up = { h, h, 0 };
    expected.side = { -h, h, 0 };
    expected.UpdateMatrix();
    Matrix4 rx;
    Matrix4Identity(rx);
    Matrix4RotateX(rx, -0.475f * std::numbers::pi_v<float>);
    Matrix4 turned;
    Matrix4Multiply(turned, expected.matrix, rx);
    ExpectMatrix(view.matrix, turned);
}

TEST_F(ViewFrameTest, ApplyCallsBothHooks)
{
    CViewFrame view;
    view.SetMatrix(SomeRotation());
    Matrix4Identity(view.adjustment, 2.0f);

    std::vector<Matrix4> views;
    std::vector<Vec3> facings;
    CViewFrame::SetViewTransformSink([&](const Matrix4& m) { views.push_back(m); });
    CViewFrame::SetFacingSink([&](const Vec3& d) { facings.push_back(d); });

    view.Apply(true);
    ASSERT_EQ(views.size(), 1u);
    ASSERT_EQ(facings.size(), 1u);
    ExpectMatrix(views[0], view.matrix, 0.0f);
    const Vec3 column2 = Column(view.matrix, 2);
    ExpectVec(facings[0], column2.x, column2.y, column2.z, 0.0f);
    ExpectVec(view.forward, column2.x, column2.y, column2.z, 0.0f);

    Matrix4 combined;
    Matrix4Multiply(combined, view.matrix, view.adjustment);
    ExpectMatrix(view.combined, combined, 0.0f);
    Matrix4 cofactor;
    Matrix3Cofactor(cofactor, combined);
    ExpectMatrix(view.combinedCofactor, cofactor, 0.0f);
    Matrix3Cofactor(cofactor, view.matrix);
    ExpectMatrix(view.frameCofactor, cofactor, 0.0f);

    // Without recompute only the view transform is set.
    view.Apply(false);
    EXPECT_EQ(views.size(), 2u);
    EXPECT_EQ(facings.size(), 1u);
}

TEST_F(ViewFrameTest, ApplyWithoutHooksDoesTheMathsOnly)
{
    CViewFrame view;
    view.Apply(true);
    ExpectMatrix(view.combined, view.matrix, 0.0f);
}

} // namespace
