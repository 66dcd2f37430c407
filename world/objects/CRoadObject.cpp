#include "world/objects/CRoadObject.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "platform/win/text.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/PlacedInit.h"

#include <cmath>

namespace {

constexpr int kSlotBand = 6;

struct SBoxVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(SBoxVertex) == 32);
constexpr uint32_t kBoxFormat = 0x112; // position, normal, one texture set: the "MODELS" ring's

// The unit box about the origin, four vertices a face so that each face has its normal.
CVertexData& UnitBox()
{
    static CVertexData box;
    if (box.vertices)
        return box;
    uint16_t* indices = box.Allocate(kBoxFormat, 24, 36);
    auto* v = reinterpret_cast<SBoxVertex*>(box.vertices);
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            const float n = side == 0 ? -1.0f : 1.0f;
            const int face = axis * 2 + side;
            for (int k = 0; k < 4; ++k) {
                float p[3];
                p[axis] = 0.5f * n;
                p[(axis + 1) % 3] = (k & 1) ? 0.5f : -0.5f;
                p[(axis + 2) % 3] = (k & 2) ? 0.5f : -0.5f;
                float normal[3] = { 0.0f, 0.0f, 0.0f };
                normal[axis] = n;
                v[face * 4 + k] = SBoxVertex { p[0], p[1], p[2], normal[0], normal[1], normal[2],
                    float(k & 1), float((k & 2) >> 1) };
            }
            const uint16_t base = uint16_t(face * 4);
            const uint16_t quad[6] = { 0, 1, 2, 2, 1, 3 };
            for (int i = 0; i < 6; ++i)
                indices[face * 6 + i] = uint16_t(base + quad[i]);
        }
    }
    return box;
}

} // namespace

CRoadObject::CRoadObject()
{
    type = kRoad;
    alive = 1;
    visible = 1;
    notifyOnDelete = 1;
    deferredDelete = 1;
    runs = 0;
    moves = 0;
    hitByRays = 0;
    effectInView = 0;
}

void CRoadObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CRoadObject::Init");
    typeKey = typeId;
    TakePlacement(*this, placement);
    if (g_RoadManager.FindRow(typeId.text) > 0)
        WriteErrorLog(CP1251("Фигня какая-то c дорогами"));
    if (g_RoadManager.RowCount() == 0)
        throw XRangeError();
    TakeTypeRowAt(*this, g_RoadManager, 0);
}

Matrix4 CRoadObject::BandMatrix(const Vec3& to) const
{
    const Vec3& from = frame.position;
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    const float dz = to.z - from.z;
    const float horizontal = std::sqrt(dx * dx + dy * dy);
    const float heading = std::atan2(dy, dx);
    const float slope = std::atan2(dz, horizontal);
    const float ch = std::cos(heading);
    const float sh = std::sin(heading);
    const float cs = std::cos(slope);
    const float ss = std::sin(slope);
    Matrix4 m;
    Matrix4Identity(m);
    m.m[0] = cs * ch * horizontal;
    m.m[1] = cs * sh * horizontal;
    m.m[2] = ss * horizontal;
    m.m[4] = -sh;
    m.m[5] = ch;
    m.m[6] = 0.0f;
    m.m[8] = -ss * ch * kBandHeight;
    m.m[9] = -ss * sh * kBandHeight;
    m.m[10] = cs * kBandHeight;
    m.m[12] = (from.x + to.x) * 0.5f;
    m.m[13] = (from.y + to.y) * 0.5f;
    m.m[14] = (from.z + to.z) * 0.5f + radius;
    return m;
}

void CRoadObject::Draw()
{
    ZJ_TRACE("CRoadObject::Draw");
    CZJObject::Draw();
    if (links.Count() == 0 || !g_pModelManager || !g_TexShaderManager || g_pModelManager->ModelsSlot() < 0)
        return;
    for (int i = 0; i < links.Count(); ++i) {
        const CZJObject* other = links.At(i);
        Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), UnitBox());
        if (!mesh)
            continue;
        g_Graphic.SetWorldMatrix(BandMatrix(other->frame.position));
        g_TexShaderManager->Apply(kSlotBand, mesh);
    }
}

void CRoadObject::ProcessDelete(CZJObject* deleted)
{
    const int i = links.IndexOf(deleted);
    if (i >= 0)
        links.Delete(i);
}
