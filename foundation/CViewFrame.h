// The camera's view frame: a CTransform whose matrix is the device's view matrix, with the
// adjustment matrix (the projection) that the camera's view parameters set, and the matrices
// derived from both. One global instance, ViewFrame, is the camera's view.
//
// Rendering hooks, installed by the rendering layer (process-wide, for every instance):
// - the view-transform sink receives the frame matrix on every Apply; the device wrapper
//   installs its SetTransform(VIEW, m) here;
// - the facing sink receives the view's forward column (m[2], m[6], m[10]) whenever Apply
//   recomputes; the model manager builds its camera-facing matrix from it.
// With no hook installed Apply does the maths only, so this class needs no renderer.
#pragma once

#include <functional>

#include "foundation/CTransform.h"

class CViewFrame : public CTransform {
public:
    using ViewTransformSink = std::function<void(const Matrix4& view)>;
    using FacingSink = std::function<void(const Vec3& viewDirection)>;

    // As CTransform, then forward (0, 0, -1), up (1/sqrt 2, 1/sqrt 2, 0), side (-1/sqrt 2,
    // 1/sqrt 2, 0), UpdateMatrix and RotateX(-0.475 pi). Adjustment identity; the derived
    // matrices are computed once, without calling the hooks.
    CViewFrame();

    // A view frame places itself in view-matrix form.
    void SetPosition(const Vec3& p) override;

    // With recompute: combined = matrix x adjustment, the facing sink gets the forward column,
    // both cofactor matrices are refreshed and the axes read back. Always: the view-transform
    // sink gets the matrix.
    void Apply(bool recompute);

    static void SetViewTransformSink(ViewTransformSink sink);
    static void SetFacingSink(FacingSink sink);

    // Set by its owner (the camera's view parameters); Apply only multiplies by it.
    Matrix4 adjustment;
    // What the view parameters set (the object list's SetViewParams): the far and near planes, the
    // renderer's projection matrix and 1 / determinant of its upper-left 3x3 block.
    float nearPlane = 1.0f;
    float farPlane = 14000.0f;
    Matrix4 projection {};
    float invDet3 = 0.0f;
    // matrix x adjustment: the combined view-projection matrix.
    Matrix4 combined;
    // 3x3 cofactors (other elements 0) of the combined matrix and of the frame matrix.
    Matrix4 combinedCofactor;
    Matrix4 frameCofactor;

private:
    void Recompute();
};

extern CViewFrame ViewFrame;
