#include "foundation/CViewFrame.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace {

CViewFrame::ViewTransformSink& ViewTransformHook()
{
    static CViewFrame::ViewTransformSink sink;
    return sink;
}

CViewFrame::FacingSink& FacingHook()
{
    static CViewFrame::FacingSink sink;
    return sink;
}

} // namespace

CViewFrame ViewFrame;

CViewFrame::CViewFrame()
{
    const float h = 1.0f / std::sqrt(2.0f);
    forward = { 0.0f, 0.0f, -1.0f };
    up = { h, h, 0.0f };
    side = { -h, h, 0.0f };
    UpdateMatrix();
    RotateX(-0.475f * std::numbers::pi_v<float>);
    Matrix4Identity(adjustment);
    Recompute();
}

void CViewFrame::SetPosition(const Vec3& p)
{
    SetViewPosition(p);
}

void CViewFrame::Recompute()
{
    Matrix4Multiply(combined, matrix, adjustment);
    Matrix3Cofactor(combinedCofactor, combined);
    Matrix3Cofactor(frameCofactor, matrix);
}

void CViewFrame::Apply(bool recompute)
{
    if (recompute) {
        Recompute();
        if (const FacingSink& facing = FacingHook())
            facing(Vec3 { matrix.m[2], matrix.m[6], matrix.m[10] });
        UpdateAxes();
    }
    if (const ViewTransformSink& view = ViewTransformHook())
        view(matrix);
}

void CViewFrame::SetViewTransformSink(ViewTransformSink sink)
{
    ViewTransformHook() = std::move(sink);
}

void CViewFrame::SetFacingSink(FacingSink sink)
{
    FacingHook() = std::move(sink);
}
