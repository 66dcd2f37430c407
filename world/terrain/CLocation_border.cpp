// Border stitching: a near cell's odd edge points pulled onto a far neighbour's coarser edge, and
// restored from the heights saved at load when the neighbour turns near.
#include "world/terrain/CLocation.h"

#include "foundation/CallTrace.h"

namespace {

// Neighbour offsets of the sides left, top, right, bottom, and the opposite side.
constexpr int kSideDx[4] = { -1, 0, 1, 0 };
constexpr int kSideDy[4] = { 0, -1, 0, 1 };
constexpr int kOpposite[4] = { 2, 3, 0, 1 };

// The height of odd point k (2k + 1) of a full-resolution side.
float& SideHeight(MapCell& cell, int side, int k)
{
    const int odd = 2 * k + 1;
    switch (side) {
    case 0:
        return cell.Height(odd, 0);
    case 1:
        return cell.Height(0, odd);
    case 2:
        return cell.Height(odd, 64);
    default:
        return cell.Height(64, odd);
    }
}

// Half-resolution point k of the far cell's edge that touches the near cell's side.
const HalfPoint& FarEdgePoint(const HalfCell& far, int nearSide, int k)
{
    switch (nearSide) {
    case 0:
        return far.At(k, 32);
    case 1:
        return far.At(32, k);
    case 2:
        return far.At(k, 0);
    default:
        return far.At(0, k);
    }
}

} // namespace

void CLocation::StitchSide(MapCell& cell, int side, const HalfCell& far)
{
    for (int k = 0; k < 32; ++k) {
        const float a = HalfHeight(FarEdgePoint(far, side, k).height);
        const float b = HalfHeight(FarEdgePoint(far, side, k + 1).height);
        SideHeight(cell, side, k) = (a + b) * 0.5f;
    }
    ReleaseQuadMeshes(cell);
    cell.stitched[side] = 1;
}

void CLocation::RestoreSide(MapCell& cell, int side)
{
    for (int k = 0; k < 32; ++k)
        SideHeight(cell, side, k) = cell.savedEdges[side][k];
    ReleaseQuadMeshes(cell);
    cell.stitched[side] = 0;
}

void CLocation::UpdateNearBorder(int column, int row)
{
    ZJ_TRACE("UpdateBorder0");
    SCellRecord& record = Cell(column, row);
    if (record.level == kFarLevel || !record.full)
        return;
    MapCell& cell = *record.full;
    for (int side = 0; side < 4; ++side) {
        const int nx = column + kSideDx[side];
        const int ny = row + kSideDy[side];
        if (!InMap(nx, ny))
            continue;
        const SCellRecord& neighbour = Cell(nx, ny);
        if (!cell.stitched[side] && neighbour.level == kFarLevel && neighbour.half)
            StitchSide(cell, side, *neighbour.half);
        else if (cell.stitched[side] && neighbour.level != kFarLevel)
            RestoreSide(cell, side);
    }
}

void CLocation::UpdateBorder(int column, int row)
{
    ZJ_TRACE("CLocation::UpdateBorder");
    SCellRecord& record = Cell(column, row);
    if (record.level == kFarLevel) {
        ZJ_TRACE("UpdateBorder4");
        if (!record.half)
            return;
        for (int side = 0; side < 4; ++side) {
            const int nx = column + kSideDx[side];
            const int ny = row + kSideDy[side];
            if (!InMap(nx, ny))
                continue;
            SCellRecord& neighbour = Cell(nx, ny);
            const int facing = kOpposite[side];
            if (neighbour.level == kNearLevel && neighbour.full && !neighbour.full->stitched[facing])
                StitchSide(*neighbour.full, facing, *record.half);
        }
        return;
    }
    UpdateNearBorder(column, row);
    for (int side = 0; side < 4; ++side) {
        const int nx = column + kSideDx[side];
        const int ny = row + kSideDy[side];
        if (InMap(nx, ny))
            UpdateNearBorder(nx, ny);
    }
}
