// What the explosion's files share: vector shorthands and the checked reading of a stage record
// (list counts, sheet size and particle count kept within what the object holds).
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "world/db/CExploManager.h"
#include "world/objects/CExploObject.h"

#include <algorithm>
#include <cmath>

namespace Explo {

inline Vec3 Add(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x + b.x, a.y + b.y, a.z + b.z };
}
inline Vec3 Sub(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x - b.x, a.y - b.y, a.z - b.z };
}
inline Vec3 Scale(const Vec3& a, float s)
{
    return Vec3 { a.x * s, a.y * s, a.z * s };
}
inline Vec3 Normalised(const Vec3& a)
{
    Vec3 out;
    Vec3Normalize(out, a);
    return out;
}
// Column c of the matrix's rotation: 0 side, 1 up, 2 forward.
inline Vec3 Column(const Matrix4& m, int c)
{
    return Vec3 { m.m[c], m.m[4 + c], m.m[8 + c] };
}

// Columns and rows of the stage's animation sheet; 0 or less counts as 1.
inline int SheetColumns(const SExploLayer& stage)
{
    return std::max(1, stage.xStates);
}
inline int SheetRows(const SExploLayer& stage)
{
    return std::max(1, stage.yStates);
}
inline int SheetFrames(const SExploLayer& stage)
{
    return SheetColumns(stage) * SheetRows(stage);
}
// Entries of the texture and model lists to pick from: the row's count within 1..10.
inline int TextureChoices(const SExploLayer& stage)
{
    return std::clamp(stage.textureCount, 1, SExploLayer::kMaxTextures);
}
inline int ModelChoices(const SExploLayer& stage)
{
    return std::clamp(stage.modelCount, 1, SExploLayer::kMaxModels);
}
// The stage's NUM within 0..kMaxParticles; a larger NUM is logged once per row (by row index).
int StageCount(int rowIndex, const SExploLayer& stage);

} // namespace Explo
