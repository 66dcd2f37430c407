// The object list's visibility pass and draw passes: distance culling by the view range, detail
// levels, the one-point frustum test with its silhouette point and effect spheres, the three draw
// lists, the pre-draw calls in key order and the reflection draw. Also the view parameters.
#include "world/objects/CObjectList.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "render/Graphic.h"
#include "world/objects/CObjectList_local.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using ObjectGrid::IsFinite;

// Clip x, y and w of a point from the combined view-projection matrix (columns 0, 1 and 3).
bool InsideClip(const Vec3& p)
{
    const float* m = ViewFrame.combined.m;
    const float x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    const float y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    const float w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
    return w >= 0.0f && std::fabs(x) < 1.02f * w && std::fabs(y) < 1.02f * w;
}

// The in-view test of a sphere at p (already bent to the horizon where the pass bends).
bool SphereInView(const Vec3& p, float r)
{
    const float* v = ViewFrame.matrix.m;
    const float depth = p.x * v[2] + p.y * v[6] + p.z * v[10] + v[14];
    if (depth < -r)
        return false;
    if (InsideClip(p))
        return true;
    const Vec3& camera = ViewFrame.position;
    Vec3 line {};
    Vec3Sub(line, p, camera);
    const float e = Vec3Length(line);
    const float q = r > 0.0f ? e / r : INFINITY;
    if (q < 2.0f)
        return true;
    // One silhouette point across the line of sight, in the plane of the line and the right axis.
    Vec3 u {};
    Vec3Divide(u, line, e);
    const Vec3 right { v[0], v[4], v[8] };
    Vec3 a {};
    Vec3Cross(a, u, right);
    Vec3Normalize(a, a);
    Vec3 b {};
    Vec3Cross(b, a, u);
    const float reach = r * (1.0f + 0.6f / (q * q));
    return InsideClip(Vec3 { p.x + b.x * reach, p.y + b.y * reach, p.z + b.z * reach });
}

bool BentInView(const Vec3& p, float r, bool soft)
{
    Vec3 bent {};
    Location.BendPointToHorizon(bent, p, soft);
    return SphereInView(bent, r);
}

// The object or, failing that, one of its active effect spheres in view.
bool ObjectInView(const CZJObject& object, bool soft)
{
    if (BentInView(object.frame.position, object.radius, soft))
        return true;
    const int count = std::min(object.effectSphereCount, int32_t(CZJObject::kMaxEffectSpheres));
    for (int i = 0; i < count; ++i) {
        const SEffectSphere& sphere = object.effectSpheres.At(i);
        if (sphere.active && sphere.radius != 0.0f && IsFinite(sphere.centre)
            && BentInView(sphere.centre, sphere.radius, soft))
            return true;
    }
    return false;
}

// The squared camera distance normalised by the object's view-range scale.
float NormalisedDistanceSq(const CZJObject& object, float factor)
{
    Vec3 d {};
    Vec3Sub(d, object.frame.position, ViewFrame.position);
    const float ks = factor * object.drawDistanceFactor;
    return Vec3LengthSq(d) / (ks * ks);
}

// The objects met so far in one pass: a spread object is filed in several visible cells and a
// watched one may be filed in one, but each is listed once. Open addressing over the pointer
// values; only the slots used are cleared.
class SeenSet {
public:
    void Clear()
    {
        for (uint32_t slot : m_used)
            m_slots[slot] = nullptr;
        m_used.clear();
    }
    // False when the object was already met.
    bool Insert(const CZJObject* object)
    {
        uint32_t slot = uint32_t((reinterpret_cast<uintptr_t>(object) >> 4) * 2654435761u) & kMask;
        while (m_slots[slot]) {
            if (m_slots[slot] == object)
                return false;
            slot = (slot + 1) & kMask;
        }
        m_slots[slot] = object;
        m_used.push_back(slot);
        return true;
    }
    bool Contains(const CZJObject* object) const
    {
        uint32_t slot = uint32_t((reinterpret_cast<uintptr_t>(object) >> 4) * 2654435761u) & kMask;
        while (m_slots[slot]) {
            if (m_slots[slot] == object)
                return true;
            slot = (slot + 1) & kMask;
        }
        return false;
    }

private:
    // Twice the capacity of the visible and not-visible lists together, and a power of two.
    static constexpr uint32_t kSlots = 16384;
    static constexpr uint32_t kMask = kSlots - 1;
    std::vector<const CZJObject*> m_slots = std::vector<const CZJObject*>(kSlots, nullptr);
    std::vector<uint32_t> m_used;
};

SeenSet& Seen()
{
    static SeenSet seen;
    return seen;
}

// Appends to a draw list; a full list takes nothing more this pass, logged once per list.
template <int N>
bool Append(XFixedArrayList<CZJObject*, N>& list, CZJObject* object, uint8_t& logged, const char* overflow)
{
    if (list.IsFull()) {
        if (!logged)
            WriteErrorLog(overflow);
        logged = 1;
        return false;
    }
    list.Add(object);
    return true;
}

// The pre-draw keys sorted ascending (shell sort of the index table, gaps n/2, n/4, ..., 1);
// the player's vehicle first, then every entry in key order but the player's vehicle.
void RunPreDraw(CZJObject* const* entries, int n, const CObjectList::SPreDrawKey* keys, int32_t* order)
{
    ZJ_TRACE("PreDraw");
    for (int i = 0; i < n; ++i)
        order[i] = i;
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = gap; i < n; ++i) {
            const int32_t index = order[i];
            const float key = keys[index].key;
            int j = i;
            for (; j >= gap && keys[order[j - gap]].key > key; j -= gap)
                order[j] = order[j - gap];
            order[j] = index;
        }
    }
    if (PlayerObject)
        PlayerObject->PreDraw();
    for (int i = 0; i < n; ++i) {
        CZJObject* object = entries[order[i]];
        if (object != PlayerObject)
            object->PreDraw();
    }
}

// The integer detail level; -1 for a level that is negative or not a number.
int32_t LodIndex(float level)
{
    return level >= 0.0f ? int32_t(level) : -1;
}

} // namespace

void CObjectList::CheckVisibility(bool preDraw)
{
    ZJ_TRACE("CObjectList::CheckVisibility");
    visibleList.Clear();
    notVisibleList.Clear();
    preDrawList.Clear();
    SeenSet& seen = Seen();
    seen.Clear();
    const float range = float(VisibleRadius) * 10.0f;
    const float watchedLimit = 2.5f * range * range;
    const float cellLimit = 0.75f * range * range;
    const float k = viewRangeFactor;
    const auto toVisible = [&](CZJObject* object) {
        return Append(visibleList, object, overflowLogged[kOverflowVisible],
            "CObjectList::CheckVisibility visible list is full");
    };
    const auto toNotVisible = [&](CZJObject* object) {
        return Append(notVisibleList, object, overflowLogged[kOverflowNotVisible],
            "CObjectList::CheckVisibility not-visible list is full");
    };
    const auto toPreDraw = [&](CZJObject* object, float key) {
        const int at = preDrawList.Count();
        if (Append(preDrawList, object, overflowLogged[kOverflowPreDraw],
                "CObjectList::CheckVisibility pre-draw list is full"))
            preDrawKeys.At(at).key = key;
    };

    for (int i = 0; i < m_watched.Count(); ++i) {
        CZJObject* object = m_watched.At(i);
        if (!object || !IsFinite(object->frame.position))
            continue;
        const float q2 = NormalisedDistanceSq(*object, k);
        if (!(q2 <= watchedLimit))
            continue;
        const float d = std::sqrt(q2);
        object->viewDistance = d;
        const float ratio = d / object->radius;
        const int32_t level = LodIndex(GetLodLevel(ratio * ratio));
        if (level < 0)
            continue;
        object->lod = level;
        if (ObjectInView(*object, true) && seen.Insert(object) && toVisible(object) && object->effectInView)
            toPreDraw(object, d);
    }

    for (int c = 0; c < Location.visibleCount; ++c) {
        const CLocation::SVisibleCell& cell = Location.visibleCells[c];
        if (!Location.InMap(cell.column, cell.row))
            continue;
        const ObjectGrid::CellWalk walk(Location.Cell(cell.column, cell.row).objects);
        for (size_t i = 0; i < walk.Count(); ++i) {
            CZJObject* object = walk[i];
            if (!object->alive || object->notDrawn)
                continue;
            if (!object->visible) {
                if (seen.Insert(object))
                    toNotVisible(object);
                continue;
            }
            if (!IsFinite(object->frame.position))
                continue;
            const float q2 = NormalisedDistanceSq(*object, k);
            if (!(q2 <= cellLimit))
                continue;
            const float d = std::sqrt(q2);
            object->viewDistance = d;
            // The range decision takes the first effect sphere when it reaches farther.
            const float r = object->radius;
            float reach = r;
            if (object->effectSphereCount > 0) {
                const float sphere = object->effectSpheres.At(0).radius / (k * object->drawDistanceFactor);
                if (sphere >= r)
                    reach = sphere;
            }
            const float ratio = d / r;
            const float reachRatio = d / reach;
            if (LodIndex(GetLodLevel(reachRatio * reachRatio)) < 0)
                continue;
            object->lod = LodIndex(GetLodLevel(ratio * ratio));
            if (!seen.Insert(object))
                continue;
            if (ObjectInView(*object, false)) {
                if (toVisible(object) && object->effectInView)
                    toPreDraw(object, d);
            } else if (toNotVisible(object) && object->effectWhenHidden) {
                toPreDraw(object, 3.0f * d);
            }
        }
    }

    if (preDraw)
        RunPreDraw(preDrawList.Data(), preDrawList.Count(), preDrawKeys.Data(), preDrawOrder.Data());

    // Farthest first; equal distances keep their order (what passes of swaps until none is left
    // give, in n log n).
    std::stable_sort(visibleList.Data(), visibleList.Data() + visibleList.Count(),
        [](const CZJObject* a, const CZJObject* b) { return a->viewDistance > b->viewDistance; });
}

void CObjectList::Render()
{
    ZJ_TRACE("CObjectList::Render");
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetRenderState(plat::gfx::RenderState::NormalizeNormals, 1);
    Environment.SetFog(true, 1.0f, 0.0f);
    CZJObject* const* visible = visibleList.Data();
    CZJObject* const* hidden = notVisibleList.Data();
    for (int i = 0; i < visibleList.Count(); ++i)
        visible[i]->Draw();
    for (int i = 0; i < notVisibleList.Count(); ++i)
        if (hidden[i]->drawWhenHidden)
            hidden[i]->DrawNVisible();
    for (int i = 0; i < visibleList.Count(); ++i)
        if (visible[i]->postDrawInView)
            visible[i]->PostDraw();
    for (int i = 0; i < notVisibleList.Count(); ++i)
        if (hidden[i]->postDrawHidden)
            hidden[i]->PostDraw();
}

void CObjectList::RenderForWater()
{
    ZJ_TRACE("CObjectList::RenderForWater");
    reflection = 1;
    CZJObject* player = PlayerObject;
    const bool showPlayer = player && !player->visible;
    if (showPlayer)
        player->visible = 1;
    SeenSet& seen = Seen();
    seen.Clear();
    const float range = float(VisibleRadius) * 10.0f;
    const float limit = 0.5f * range * range;
    for (int c = 0; c < Location.visibleCount; ++c) {
        const CLocation::SVisibleCell& cell = Location.visibleCells[c];
        if (!Location.InMap(cell.column, cell.row))
            continue;
        const ObjectGrid::CellWalk walk(Location.Cell(cell.column, cell.row).objects);
        for (size_t i = 0; i < walk.Count(); ++i) {
            CZJObject* object = walk[i];
            if (!object->alive || !object->visible || !IsFinite(object->frame.position))
                continue;
            const float q2 = NormalisedDistanceSq(*object, viewRangeFactor);
            if (!(q2 <= limit) || !SphereInView(object->frame.position, object->radius)
                || !seen.Insert(object))
                continue;
            const float d = std::sqrt(q2);
            object->viewDistance = d;
            const float ratio = 3.0f * d / object->radius;
            const int32_t level = LodIndex(GetLodLevel(ratio * ratio));
            if (level < 0)
                continue;
            object->lod = level;
            object->Draw();
        }
    }
    if (showPlayer)
        player->visible = 0;
    reflection = 0;
}

void CObjectList::SetViewParams(CViewFrame& view, float farPlane, float nearPlane, float fovX, float fovY)
{
    view.farPlane = farPlane;
    view.nearPlane = nearPlane;
    g_Graphic.SetProjection(farPlane, nearPlane, fovX, fovY, true);
    view.projection = g_Graphic.GetProjection();
    view.adjustment = view.projection;
    const float* m = view.projection.m;
    const float det = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8])
        + m[2] * (m[4] * m[9] - m[5] * m[8]);
    view.invDet3 = 1.0f / det;
}
