#include "foundation/XFixedArray.h"
#include "foundation/XRangeError.h"
#include "world/objects/ObjectMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVec(const Vec3& v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

Vec3 Column(const Matrix4& m, int c)
{
    return { m.m[c], m.m[4 + c], m.m[8 + c] };
}

TEST(ObjectMathTest, Boxes)
{
    const float box[6] = { 0, 0, 0, 2, 4, 6 };
    struct Case {
        Vec3 point;
        bool inside;
    };
    for (const Case& c : { Case { { 1, 2, 3 }, true }, Case { { 2, 4, 6 }, true }, Case { { 0, 0, 0 }, true },
             Case { { 2.001f, 1, 1 }, false }, Case { { 1, 1, -0.001f }, false } })
        EXPECT_EQ(Math::BoxContains(box, c.point), c.inside) << c.point.x << " " << c.point.z;
    const float point[6] = { 1, 1, 1, 1, 1, 1 };
    EXPECT_TRUE(Math::BoxIsPoint(point));
    EXPECT_FALSE(Math::BoxIsPoint(box));
    ExpectVec(Math::BoxCentre(box), 1, 2, 3);
    Vec3 min { 0, 0, 0 }, max { 1, 1, 1 };
    Math::BoxExpand(Vec3 { -1, 0.5f, 3 }, min, max);
    ExpectVec(min, -1, 0, 0);
    ExpectVec(max, 1, 1, 3);
}

TEST(ObjectMathTest, ColoursAndDecay)
{
    EXPECT_EQ(Math::ScaleColour(0xFF808080u, 2.5f), 0x00FFFFFFu);
    EXPECT_EQ(Math::ScaleColour(0x80123456u, 1.0f), 0x00123456u);
    EXPECT_EQ(Math::ScaleColour(0xFF0A0B0Cu, 0.5f), 0x00050606u); // 5.5 and 6 round to nearest
    Vec3 v { 8, 4, 2 };
    Math::DividePower(v, 3.0f, 2.0f);
    ExpectVec(v, 1, 0.5f, 0.25f);
}

TEST(ObjectMathTest, FramesAndMatrices)
{
    ExpectVec(Math::MakeOrthoBasis(Vec3 { 0, 0, 1 }), 1, 0, 0);
    ExpectVec(Math::MakeOrthoBasis(Vec3 { 1, 0, 0 }), 0, 0, 1);

    // Inverse of a scaled rotation; the degenerate case writes zeros and says so.
    Matrix4 m {};
    Matrix4Identity(m);
    m.m[0] = 0;
    m.m[1] = 2;
    m.m[4] = -2;
    m.m[5] = 0;
    m.m[10] = 4;
    Matrix4 inverse {};
    Matrix4Identity(inverse);
    ASSERT_TRUE(Math::InverseMatrix3(m, inverse));
    Matrix4 product {};
    MultiplyRotation3(product, m, inverse);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(product.m[r * 4 + c], r == c ? 1.0f : 0.0f, 1e-6f);
    Matrix4 flat {};
    flat.m[0] = 1;
    flat.m[5] = 1; // third row zero
    EXPECT_FALSE(Math::InverseMatrix3(flat, inverse));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(inverse.m[r * 4 + c], 0.0f);
    EXPECT_EQ(inverse.m[15], 1.0f) << "only the 3x3 part is written";

    // Look from (0, -10, 0) at the origin: forward points back at the viewer, up is world up.
    Matrix4 look {};
    Math::MakeLookMatrix(Vec3 { 0, -10, 0 }, Vec3 { 0, 0, 0 }, look);
    ExpectVec(Column(look, 2), 0, -1, 0);
    ExpectVec(Column(look, 1), 0, 0, -1);
    ExpectVec(Column(look, 0), -1, 0, 0);
    EXPECT_EQ(look.m[13], -10.0f);

    Matrix4 direction {};
    Math::MakeDirectionMatrix(Vec3 { 0, 0, 1 }, direction);
    ExpectVec(Column(direction, 2), 0, 0, 1);
    ExpectVec(Column(direction, 1), 0, 1, 0);
    ExpectVec(Column(direction, 0), 1, 0, 0);
    Math::MakeDirectionMatrix(Vec3 { 0, 1, 0 }, direction); // along Y: the reference becomes X
    ExpectVec(Column(direction, 1), 1, 0, 0);
    EXPECT_EQ(direction.m[12], 0.0f);
}

TEST(ObjectMathTest, RollingAFrameTurnsAboutItsForwardAxis)
{
    CTransform frame;
    Matrix4 level {};
    Matrix4Identity(level);
    frame.SetMatrix(level);
    frame.UpdateAxes();
    const float a = 20.0f * float(M_PI) / 180.0f;
    Math::RotateFrameZ(frame, a);
    ExpectVec(Column(frame.matrix, 2), 0, 0, 1); // forward kept
    ExpectVec(Column(frame.matrix, 1), std::sin(a), std::cos(a), 0); // up tilted 20 degrees, not flipped
    ExpectVec(frame.up, 0, 1, 0); // the axis fields are the caller's to refresh
}

TEST(ObjectMathTest, InsertingIntoAFullListDropsTheLast)
{
    XFixedArrayList<int, 10> list;
    for (int i = 0; i < 10; ++i)
        list.Add(i);
    list.InsertAt(99, 9);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.At(8), 8);
    EXPECT_EQ(list.At(9), 99);
    list.InsertAt(50, 0);
    EXPECT_EQ(list.At(0), 50);
    EXPECT_EQ(list.At(1), 0);
    EXPECT_EQ(list.At(9), 8);
    EXPECT_THROW(list.InsertAt(1, 10), XRangeError);

    XFixedArrayList<int, 10> part;
    part.Add(1);
    part.Add(3);
    part.InsertAt(2, 1);
    part.InsertAt(4, 3); // at the count: appended
    EXPECT_EQ(part.Count(), 4);
    EXPECT_EQ(part.At(1), 2);
    EXPECT_EQ(part.At(3), 4);
    EXPECT_THROW(part.InsertAt(5, 5), XRangeError);
}

} // namespace
