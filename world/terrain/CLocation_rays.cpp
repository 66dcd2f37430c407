// Terrain rays, the horizon bend, the ground colour and the per-frame water reflections.
#include "world/terrain/CLocation.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Color.h"
#include "render/CLandMaterials.h"
#include "render/TextureManager.h"
#include "world/terrain/CEffectRenderManager.h"

#include <cmath>

bool CLocation::GetRoughRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& out)
{
    ZJ_TRACE("CLocation::GetRoughRayIntersection");
    out = start;
    float step = 10.0f;
    float t = 0.0f;
    while (t < length) {
        t += step;
        out.x += t * direction.x;
        out.y += t * direction.y;
        out.z += t * direction.z;
        if (GetHeightAt(out, false) > out.z)
            return true;
        step *= 2.0f;
    }
    return false;
}

bool CLocation::FindTerrainCrossing(const Vec3& a, const Vec3& b, Vec3& out)
{
    const float da = a.z - GetHeight(a, true, false);
    const float db = GetHeight(b, true, false) - b.z;
    if (da <= 0.0f) {
        out = a;
        return false;
    }
    if (db <= 0.0f) {
        out = b;
        return false;
    }
    const float s = 1.0f / (da + db);
    out = Vec3 { (a.x * db + b.x * da) * s, (a.y * db + b.y * da) * s, (a.z * db + b.z * da) * s };
    return true;
}

bool CLocation::GetRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& out)
{
    ZJ_TRACE("CLocation::GetRayIntersection");
    float step = 0.5f;
    float t = 0.0f;
    while (t < length) {
        t += step;
        const Vec3 p { start.x + t * direction.x, start.y + t * direction.y, start.z + t * direction.z };
        const float h = step < 1.0f ? GetHeight(p, true, false) : GetHeightAt(p, true);
        if (p.z < h) {
            const Vec3 back { p.x - step * direction.x, p.y - step * direction.y, p.z - step * direction.z };
            FindTerrainCrossing(back, p, out);
            return true;
        }
        step *= 1.1f;
    }
    return false;
}

void CLocation::GetAttenuation(const Vec3& point, float& fade, float& sink) const
{
    const float dx = point.x - cameraCell.x;
    const float dy = point.y - cameraCell.y;
    const float dz = point.z - cameraCell.z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float s = attenuationStart;
    const float e = attenuationEnd;
    const float m = (s + e) * 0.5f;
    fade = d < m ? 1.0f : 1.0f - (d - m) * 0.5f / (e - s);
    sink = d < s ? 0.0f : (d - s) * -200.0f / (e - s);
}

namespace {

// Fade and sink at a world position, interpolated between the four surrounding cell corners.
void BendAt(const CLocation& location, float x, float y, float& fade, float& sink)
{
    const float px = x * 0.1f / 64.0f;
    const float py = y * 0.1f / 64.0f;
    const float i = std::trunc(px);
    const float j = std::trunc(py);
    const float u = px - i;
    const float v = py - j;
    float f[4];
    float s[4];
    const Vec3 corners[4] = { { i, j, 0 }, { i + 1, j, 0 }, { i + 1, j + 1, 0 }, { i, j + 1, 0 } };
    for (int k = 0; k < 4; ++k)
        location.GetAttenuation(corners[k], f[k], s[k]);
    fade = (f[0] * (1 - u) + f[1] * u) * (1 - v) + (f[3] * (1 - u) + f[2] * u) * v;
    sink = (s[0] * (1 - u) + s[1] * u) * (1 - v) + (s[3] * (1 - u) + s[2] * u) * v;
}

} // namespace

void CLocation::BendToHorizon(Matrix4& matrix, bool soft) const
{
    if (!bendHorizon)
        return;
    float fade = 1.0f;
    float sink = 0.0f;
    BendAt(*this, matrix.m[12], matrix.m[13], fade, sink);
    if (soft) {
        matrix.m[14] = std::pow(fade, 0.25f) * matrix.m[14] + sink;
    } else {
        matrix.m[10] *= fade;
        matrix.m[14] = fade * matrix.m[14] + sink;
    }
}

void CLocation::BendPointToHorizon(Vec3& out, const Vec3& point, bool soft) const
{
    out = point;
    if (!bendHorizon)
        return;
    float fade = 1.0f;
    float sink = 0.0f;
    BendAt(*this, point.x, point.y, fade, sink);
    out.z = (soft ? std::pow(fade, 0.25f) : fade) * point.z + sink;
}

uint32_t CLocation::GetGroundColor(float x, float y)
{
    const int gx = int(x * 0.1f + 0.5f);
    const int gy = int(y * 0.1f + 0.5f);
    if (gx < 0 || gx >= width || gy < 0 || gy >= height)
        return 0xFFFFFFu;
    const int column = std::min(blocksX - 1, gx >> 6);
    const int row = std::min(blocksY - 1, gy >> 6);
    const int lx = gx - 64 * column;
    const int ly = gy - 64 * row;
    const SCellRecord& record = Cell(column, row);
    if (record.half)
        return record.half->At(ly >> 1, lx >> 1).colour;
    if (!record.full)
        return 0xFFFFFFu;
    const MapPoint point = record.full->At(ly, lx);
    const int material = g_pLandMaterials ? g_pLandMaterials->FindByGID(point.code >> 16) : -1;
    if (material < 0 || !g_pTextureManager)
        return point.colour;
    const int texture = g_pLandMaterials->GetMaterial(material).texture;
    if (texture < 0 || texture >= g_pTextureManager->GetRecordCount())
        return point.colour;
    const uint32_t average = g_pTextureManager->GetColor(texture);
    const uint32_t product = ColorMul(point.colour, average);
    return BlendColor(product, point.colour, float(average >> 24) / 255.0f);
}

uint32_t CLocation::GetVertexColor(float x, float y)
{
    const int gx = int(x * 0.1f + 0.5f);
    const int gy = int(y * 0.1f + 0.5f);
    if (gx < 0 || gx >= width || gy < 0 || gy >= height)
        return 0xFFFFFFu;
    const int column = std::min(blocksX - 1, gx >> 6);
    const int row = std::min(blocksY - 1, gy >> 6);
    const SCellRecord& record = Cell(column, row);
    if (record.half)
        return record.half->At((gy - 64 * row) >> 1, (gx - 64 * column) >> 1).colour;
    if (record.full)
        return record.full->At(gy - 64 * row, gx - 64 * column).colour;
    return 0xFFFFFFu;
}

void CLocation::CycleMakeWater()
{
    for (MapSurface& surface : surfaces)
        surface.reflection = -1;
    const Vec3 camera = ViewFrame.position;
    for (int i = 0; i + 1 < visibleCount; ++i) {
        MapSurface* surface = Cell(visibleCells[i].column, visibleCells[i].row).surface;
        if (!surface || surface->waterKind != 0 || !(surface->waterLevel < camera.z)
            || surface->reflection != -1)
            continue;
        const CViewFrame saved = ViewFrame;
        Matrix4 mirrored = ViewFrame.matrix;
        mirrored.m[8] = -mirrored.m[8];
        mirrored.m[9] = -mirrored.m[9];
        mirrored.m[10] = -mirrored.m[10];
        ViewFrame.matrix = mirrored;
        ViewFrame.SetViewPosition(Vec3 { camera.x, camera.y, 2.0f * surface->waterLevel - camera.z });
        ViewFrame.Apply(true);
        surface->reflection = EffectRenderManager.CreateReflection(surface->waterLevel);
        ViewFrame = saved;
        ViewFrame.Apply(true);
    }
}
