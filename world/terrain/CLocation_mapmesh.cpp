// The ground-conforming patch of objects that lie on the ground: position, a white diffuse when the
// format has one, and the patch's texture coordinate twice.
#include "world/terrain/CLocation.h"

#include "foundation/CallTrace.h"
#include "platform/gfx/fvf.h"
#include "world/terrain/MeshTemplates.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

} // namespace

bool CLocation::GetMapMesh(const Vec3& position, float size, CVertexData& out)
{
    ZJ_TRACE("CLocation::GetMapMesh");
    const bool diffuse = (out.format & plat::gfx::fvf::kDiffuse) != 0;
    if (out.stride < (diffuse ? 24u : 20u))
        throw std::runtime_error("patch vertices need a position and a texture coordinate");
    const int gx0 = std::max(0, int((position.x - size) * 0.1f)) & ~1;
    const int gy0 = std::max(0, int((position.y - size) * 0.1f)) & ~1;
    const int gx1 = std::min(64 * blocksX, (int((position.x + size) * 0.1f) + 2) & ~1);
    const int gy1 = std::min(64 * blocksY, (int((position.y + size) * 0.1f) + 2) & ~1);
    const float originX = position.x - size;
    const float originY = position.y - size;
    const float span = 2.0f * size;
    const auto& templates = MeshTemplates();
    const uint32_t before = out.vertexCount;
    for (int gy = gy0; gy < gy1; gy += 2) {
        for (int gx = gx0; gx < gx1; gx += 2) {
            const int column = gx >> 6;
            const int row = gy >> 6;
            if (!InMap(column, row) || !Cell(column, row).full)
                continue;
            MapCell& cell = *Cell(column, row).full;
            const int lx = gx & 63;
            const int ly = gy & 63;
            const int level = cell.quadSplit == 2 ? cell.quads[(ly >> 5) * 2 + (lx >> 5)].level : 0;
            int mask = 31;
            if (level >= 1 && level <= 3) {
                mask = 0;
                constexpr int kMiddles[5][2] = { { 1, 1 }, { 3, 2 }, { 4, 4 }, { 5, 8 }, { 7, 16 } };
                for (const auto& middle : kMiddles) {
                    if (cell.Code(ly + middle[0] / 3, lx + middle[0] % 3) & (1u << (level - 1)))
                        mask |= middle[1];
                }
            }
            const SMeshTemplate& t = templates[size_t(TemplateIndex(mask, ly >> 1, lx >> 1))];
            if (out.vertexCount + 9 > out.vertexCapacity
                || out.indexCount + uint32_t(3 * t.count) > out.indexCapacity)
                return out.vertexCount != before;
            int16_t vertexOf[9] = { -1, -1, -1, -1, -1, -1, -1, -1, -1 };
            for (int k = 0; k < t.count; ++k) {
                for (int j = 0; j < 3; ++j) {
                    const int i = t.triangles[k][j];
                    if (vertexOf[i] < 0) {
                        const float x = kStep * float(gx + i % 3);
                        const float y = kStep * float(gy + i / 3);
                        const float position[3] = { x, y, cell.Height(ly + i / 3, lx + i % 3) };
                        const float uv[4] = { (x - originX) / span, (y - originY) / span,
                            (x - originX) / span, (y - originY) / span };
                        uint8_t* vertex = out.vertices + size_t(out.vertexCount) * out.stride;
                        std::memcpy(vertex, position, sizeof position);
                        size_t at = sizeof position;
                        if (diffuse) {
                            std::memcpy(vertex + at, &kWhite, sizeof kWhite);
                            at += sizeof kWhite;
                        }
                        std::memcpy(vertex + at, uv, std::min<size_t>(sizeof uv, out.stride - at));
                        vertexOf[i] = int16_t(out.vertexCount++ - out.firstVertex);
                    }
                    out.indices[out.indexCount++] = uint16_t(vertexOf[i]);
                }
            }
        }
    }
    return out.vertexCount != before;
}
