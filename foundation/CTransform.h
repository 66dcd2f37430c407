// A frame: a row-vector matrix (translation in row 3) with its position and its three axes.
// Every world object embeds two.
//
// The axes are named by matrix column, and every caller uses these names:
//   column 0: m[0], m[4], m[8]   -> side     the screen-right direction of a view frame
//   column 1: m[1], m[5], m[9]   -> up
//   column 2: m[2], m[6], m[10]  -> forward  heading, thrust and aim; a view frame's line of sight
// Go by the column, never by a word such as "right": a camera's right axis is column 0, while
// some object records call column 2 their right axis. The fields keep the order forward, up,
// side; the network record stores the columns in the order 2, 0, 1.
//
// The axis fields and the matrix are synchronised only by UpdateMatrix and UpdateAxes; RotateX,
// RotateZ, SetMatrix and the position setters leave the axes alone.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"

class CTransform {
public:
    // Position at the origin, matrix = AxisSwapMatrix; the axes read from it.
    CTransform();
    virtual ~CTransform() = default;
    CTransform(const CTransform&) = default;
    CTransform& operator=(const CTransform&) = default;

    // Position and translation row = p.
    virtual void SetPosition(const Vec3& p);
    // Matrix = m; position = its translation row.
    virtual void SetMatrix(const Matrix4& m);

    // Matrix from the axes and the position; the rest of column 3 becomes (0, 0, 0, 1).
    void UpdateMatrix();
    // Axes from the matrix columns.
    void UpdateAxes();
    // Faces a unit direction d: forward = d, side = normalise(Z x d), up = normalise(d x side),
    // then UpdateMatrix. Straight up gives up (0, 1, 0) and side (1, 0, 0); any other vertical
    // direction takes side (1, 0, 0) and up = d x side.
    void SetDirection(const Vec3& d);
    // Matrix = R(-a) x matrix, R about Z. Translation and axes unchanged.
    void RotateZ(float a);
    // 3x3 part = 3x3 part x Rx(a), Rx rows (1,0,0), (0,cos a,-sin a), (0,sin a,cos a).
    // Translation and axes unchanged.
    void RotateX(float a);
    // The other frame's rotation rows (with their fourth elements), then the virtual SetPosition
    // with its translation row.
    void Assign(const CTransform& other);
    // Matrix, position and axes.
    void CopyFrom(const CTransform& other);
    // Position = p; translation row = (-p . column 0, -p . column 1, -p . column 2), as in a view
    // matrix.
    void SetViewPosition(const Vec3& p);

    Matrix4 matrix;
    Vec3 position;
    Vec3 forward;
    Vec3 up;
    Vec3 side;
};
