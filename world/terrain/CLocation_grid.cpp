// The cell object grid. Each filed object's cell rectangle is remembered, so a move or delete
// clears every cell that holds it, spread or filed under an older grid size alike.
#include "world/terrain/CLocation.h"

#include "foundation/ErrorLog.h"
#include "world/objects/CZJObject.h"

#include <algorithm>
#include <cstdio>

namespace {

// The cell index of a world coordinate: -1 below the grid (and for NaN), kGridCells beyond it. The
// range is checked before the conversion, so far-off positions convert nothing out of range.
int CellIndex(float world)
{
    const float step = world * 0.1f;
    if (!(step > -1.0f))
        return -1;
    if (step >= float(kGridCells * kCellSteps))
        return kGridCells;
    return int(step) >> 6;
}

} // namespace

bool CLocation::CellOfPosition(const Vec3& position, int& column, int& row, int bx, int by)
{
    column = CellIndex(position.x);
    row = CellIndex(position.y);
    return column >= 0 && row >= 0 && column < bx && row < by;
}

void CLocation::ClearCellObjects()
{
    for (size_t i = 0; i < size_t(kGridCells) * kGridCells; ++i)
        m_cells[i].objects.Clear();
    m_filed.clear();
}

void CLocation::Unfile(CZJObject* object, const SFiled& filed)
{
    for (int row = filed.y0; row <= filed.y1; ++row) {
        for (int column = filed.x0; column <= filed.x1; ++column)
            Cell(column, row).objects.Remove(object);
    }
}

void CLocation::File(const Vec3& position, CZJObject* object, bool spread)
{
    int column = 0;
    int row = 0;
    if (!CellOfPosition(position, column, row, blocksX, blocksY))
        return;
    SFiled filed { column, row, column, row, spread };
    if (spread && object->hitByRays && !object->solid && !object->classFlag0 && !object->collisionNotice) {
        const float r = object->radius;
        auto cellOf = [](float world, int blocks) { return std::clamp(CellIndex(world), 0, blocks - 1); };
        filed.x0 = cellOf(position.x - r, blocksX);
        filed.x1 = cellOf(position.x + r, blocksX);
        filed.y0 = cellOf(position.y - r, blocksY);
        filed.y1 = cellOf(position.y + r, blocksY);
    }
    for (int y = filed.y0; y <= filed.y1; ++y) {
        for (int x = filed.x0; x <= filed.x1; ++x) {
            XList<CZJObject>& list = Cell(x, y).objects;
            if (list.IndexOf(object) < 0)
                list.AddTail(object);
        }
    }
    m_filed[object] = filed;
}

void CLocation::AddCellObject(const Vec3& position, CZJObject* object, bool spread)
{
    if (auto it = m_filed.find(object); it != m_filed.end()) {
        Unfile(object, it->second);
        m_filed.erase(it);
    }
    File(position, object, spread);
}

void CLocation::MoveCellObject(const Vec3& oldPosition, const Vec3& newPosition, CZJObject* object)
{
    if (CellIndex(oldPosition.x) == CellIndex(newPosition.x)
        && CellIndex(oldPosition.y) == CellIndex(newPosition.y))
        return;
    bool spread = false;
    if (auto it = m_filed.find(object); it != m_filed.end()) {
        spread = it->second.spread;
        Unfile(object, it->second);
        m_filed.erase(it);
    }
    File(newPosition, object, spread);
}

void CLocation::DeleteCellObject(const Vec3& position, CZJObject* object)
{
    if (auto it = m_filed.find(object); it != m_filed.end()) {
        Unfile(object, it->second);
        m_filed.erase(it);
        return;
    }
    int column = 0;
    int row = 0;
    if (!CellOfPosition(position, column, row, blocksX, blocksY))
        return;
    char line[96];
    std::snprintf(
        line, sizeof line, "CLocation::DeleteCellObject Object not deleted. Type=%d", int(object->type));
    WriteErrorLog(line);
}
