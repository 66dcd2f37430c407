// The per-frame visibility pass: cells in range, their level, the frustum test, the sorted
// visible list and the load queue.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "world/objects/PlayerGlobals.h"

#include <cmath>

namespace {

int Nearest(float value)
{
    return int(std::round(value));
}

bool Inside(const Vec3& point)
{
    Vec3 p {};
    TransformCoord(p, point, ViewFrame.combined);
    return p.z >= 0.0f && std::fabs(p.x) < 1.02f * p.z && std::fabs(p.y) < 1.02f * p.z;
}

} // namespace

bool CLocation::IsSphereVisible(const Vec3& centre, float radius)
{
    const Matrix4& view = ViewFrame.matrix;
    const float depth = centre.x * view.m[2] + centre.y * view.m[6] + centre.z * view.m[10] + view.m[14];
    if (depth < -radius)
        return false;
    if (Inside(centre))
        return true;
    const Vec3& camera = ViewFrame.position;
    Vec3 s { centre.x - camera.x, centre.y - camera.y, centre.z - camera.z };
    const float dist = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
    const float k = radius > 0.0f ? dist / radius : 1e30f;
    if (k < 2.0f)
        return true;
    s = Vec3 { s.x / dist, s.y / dist, s.z / dist };
    const Vec3 r { view.m[0], view.m[4], view.m[8] };
    Vec3 p { s.y * r.z - s.z * r.y, s.z * r.x - s.x * r.z, s.x * r.y - s.y * r.x };
    const float pl = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    if (pl <= 0.0f)
        return false;
    p = Vec3 { p.x / pl, p.y / pl, p.z / pl };
    const Vec3 sp { s.y * p.z - s.z * p.y, s.z * p.x - s.x * p.z, s.x * p.y - s.y * p.x };
    const float widen = (1.0f + 0.6f / (k * k)) * radius;
    return Inside(Vec3 { centre.x - sp.x * widen, centre.y - sp.y * widen, centre.z - sp.z * widen });
}

void CLocation::PreRender()
{
    ZJ_TRACE("CLocation::PreRender");
    CycleSetVisibility();
    CycleLoad();
    CycleMakeWater();
}

void CLocation::CycleSetVisibility()
{
    ZJ_TRACE("CLocation::CycleSetVisibility");
    candidateCount = 0;
    visibleCount = 0;
    renderListCount = 0;
    loadQueueCount = 0;
    SetViewRanges(VisibleRadius);
    const Vec3& camera = ViewFrame.position;
    const float cx = camera.x * 0.1f / 64.0f;
    const float cy = camera.y * 0.1f / 64.0f;
    cameraCell = Vec3 { cx, cy, 0.0f };
    cameraHeight = camera.z * 0.1f / 64.0f;
    const float r = viewRadius;
    const int rowFrom = std::max(0, std::min(blocksY - 1, Nearest(cy - r)));
    const int rowTo = std::min(blocksY, Nearest(cy + r));
    const int columnFrom = std::max(0, std::min(blocksX - 1, Nearest(cx - r)));
    const int columnTo = std::min(blocksX, Nearest(cx + r));
    for (int row = rowFrom; row < rowTo; ++row) {
        for (int column = columnFrom; column < columnTo; ++column) {
            const float dx = cx - float(column) - 0.5f;
            const float dy = cy - float(row) - 0.5f;
            const float d2 = dx * dx + dy * dy;
            if (d2 > r * r)
                continue;
            SCellRecord& cell = Cell(column, row);
            if (cell.full)
                cell.full->lastUse = GameClockF32;
            if (cell.half)
                cell.half->lastUse = GameClockF32;
            const int level = d2 < nearRadius * nearRadius ? kNearLevel : kFarLevel;
            if (candidateCount >= kCandidates)
                throw XRangeError();
            candidates[candidateCount++] = SCandidate { level, d2, column, row };
            if (!IsSphereVisible(cell.centre, cell.radius)) {
                if (cell.full)
                    cell.full->visible = 0;
                continue;
            }
            cell.previousLevel = cell.level;
            cell.level = level;
            if (cell.full)
                cell.full->visible = 1;
            if (level == kNearLevel && cell.full)
                cell.full->lastUse = GameClockF32;
            if (level == kFarLevel && cell.half)
                cell.half->lastUse = GameClockF32;
            if (visibleCount >= kVisible)
                throw XRangeError();
            visibleCells[visibleCount++] = SVisibleCell { d2, column, row };
            if ((level == kNearLevel && !cell.full) || (level == kFarLevel && !cell.half)) {
                if (loadQueueCount >= kQueue)
                    throw XRangeError();
                loadQueue[loadQueueCount++] = SQueuedLoad { visibleCount - 1, column, row, level };
            }
        }
    }
    for (int i = 0; i < visibleCount; ++i) {
        const SVisibleCell& v = visibleCells[i];
        SCellRecord& cell = Cell(v.column, v.row);
        const bool hasBuffer = cell.level == kFarLevel ? cell.half != nullptr : cell.full != nullptr;
        if (cell.level != cell.previousLevel && hasBuffer)
            UpdateBorder(v.column, v.row);
    }
    for (int end = visibleCount - 1; end > 0; --end) {
        bool exchanged = false;
        for (int i = 0; i < end; ++i) {
            if (visibleCells[i].d2 > visibleCells[i + 1].d2) {
                std::swap(visibleCells[i], visibleCells[i + 1]);
                exchanged = true;
            }
        }
        if (!exchanged)
            break;
    }
    for (int q = 0; q < loadQueueCount; ++q) {
        SQueuedLoad& entry = loadQueue[q];
        for (int i = visibleCount - 1; i >= 0; --i) {
            if (visibleCells[i].column == entry.column && visibleCells[i].row == entry.row) {
                entry.index = i;
                break;
            }
        }
    }
}
