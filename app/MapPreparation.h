// The pure parts of a game's preparation: the start-point choice, the scatter's cells and count,
// the observer count, the placement matrices and the location script's name.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class CHelperPoint;

namespace preparation {

// The kind of the start points among the helper points.
inline constexpr int kStartPointKind = 9;

// Picks start points until one lies in a tunnel (tunnelStart) or outside every tunnel (a name
// without "TUNNEL"): at most 101 picks, the last one standing. Null when pick gives none.
CHelperPoint* ChooseStartPoint(bool tunnelStart, const std::function<CHelperPoint*()>& pick);

// The number of things the scatter lays on a map of width x height grid points.
int ScatterCount(int32_t width, int32_t height);
// A random grid point in world units (z 0): Rand() mod height for y first, then mod width for x.
Vec3 ScatterCell(int32_t width, int32_t height);
// The observer flyers of a map: none unless it is wider than 1024 points and has more than 5
// machine groups.
int ObserverCount(int32_t width, int32_t height, int groups);

// The standard frame (side -x, up z, forward y) at a position.
Matrix4 StandardFrame(const Vec3& position);
// A frame at position whose forward axis is the level part of forward, up z; +y when forward is
// vertical.
Matrix4 LevelFrame(const Vec3& forward, const Vec3& position);
// A frame at position whose up axis is the unit normal, forward as near +y as it allows.
Matrix4 GroundFrame(const Vec3& normal, const Vec3& position);
// Half a turn about the frame's up axis: side and forward reversed.
void HalfTurn(Matrix4& m);

} // namespace preparation
