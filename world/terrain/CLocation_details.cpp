// Detail objects: small models strewn over the near quads. Each quad generates its set from the
// land materials under it with the shared generator, from a seed it keeps, so a regenerated set
// is the same and the generator's sequence is not disturbed. Each frame the visible near quads
// list the objects in range; opaque ones are drawn in one batch, fading ones go to the effect
// renderer's deferred list and come back through DrawDetailObject.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/TerrainSwitches.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr int kMaxQuadMaterials = 8;
constexpr float kFarQuadLimit = 12800.0f;
constexpr uint32_t kOpaqueSlot = 31;

struct SFadeRow {
    float start;
    float end;
    float slope;
    float spread;
};

// Types 0, 1 and 2; any other type fades as type 0 with a spread of 1.
constexpr SFadeRow kFadeRows[3] = {
    { 900.0f, 2025.0f, 0.00125f, 0.5f },
    { 3600.0f, 6400.0f, 0.00035714285f, 0.3f },
    { 100.0f, 400.0f, 0.0033333334f, 0.75f },
};

const SFadeRow& FadeRow(int type)
{
    return kFadeRows[type >= 0 && type <= 2 ? type : 0];
}

float Spread(int type)
{
    return type >= 0 && type <= 2 ? kFadeRows[type].spread : 1.0f;
}

// One step of the shared generator; the last value follows only where asked.
uint32_t NextSeed(bool updateLast)
{
    SharedRandom.seed = (SharedRandom.seed * XRandom::kMultiplier + XRandom::kIncrement) % XRandom::kModulus;
    if (updateLast)
        SharedRandom.last = float(SharedRandom.seed) * 4.286694e-6f;
    return SharedRandom.seed;
}

Matrix4 ObjectMatrix(const SDetailObject& object)
{
    Matrix4 w {};
    w.m[0] = w.m[5] = object.cosine * object.scale;
    w.m[1] = -object.sine * object.scale;
    w.m[4] = object.sine * object.scale;
    w.m[10] = object.scale;
    w.m[12] = object.position[0];
    w.m[13] = object.position[1];
    w.m[14] = object.position[2];
    w.m[15] = 1.0f;
    return w;
}

// World matrices 0 and 1 and the model renderer's current matrix.
void SetObjectMatrix(const Matrix4& w)
{
    g_Graphic.SetWorldMatrix(w);
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetTransform(plat::gfx::Transform::World1, ToDeviceMatrix(w));
}

// The first part's material with its model parts drawing through the current material.
plat::gfx::Material TakeMaterial(CComplexObject& model)
{
    if (model.GetPartCount() == 0)
        throw XRangeError();
    const CModel* first = model.GetPartObject(0);
    plat::gfx::Material material = first ? first->material : plat::gfx::Material {};
    model.ClearMaterials();
    return material;
}

plat::gfx::ColorValue Channels(uint32_t colour, float alpha)
{
    return { float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
        float(colour & 0xFF) / 255.0f, alpha };
}

} // namespace

void CLocation::GenerateNoiseObjects(int column, int row, int quad)
{
    ZJ_TRACE("CLocation::GenerateNoiseObjects");
    MapCell* cell = Cell(column, row).full;
    if (!cell || quad < 0 || quad > 3)
        throw XRangeError();
    cell->lastUse = GameClockF32;
    MapQuad& q = cell->quads[quad];
    const bool replay = q.seedSaved != 0;
    if (replay) {
        PushRandomState();
        SharedRandom.last = std::bit_cast<float>(q.seed.lastBits);
        SharedRandom.seed = q.seed.seed;
    } else {
        q.seed = SRandomState { std::bit_cast<uint32_t>(SharedRandom.last), SharedRandom.seed };
    }
    SDetailStore& store = *GetFreeMapMesh();
    q.detail = &store;
    store.generated = &q.generated;
    store.inUse = 1;
    store.lastUse = GameClock;

    // Quads are always 2 x 2, whether or not the quad test has run.
    const int lx0 = 32 * (quad % 2);
    const int ly0 = 32 * (quad / 2);
    const int x0 = 64 * column + lx0;
    const int y0 = 64 * row + ly0;
    uint32_t ids[kMaxQuadMaterials];
    int idCount = 0;
    for (int r = ly0; r < ly0 + 32; ++r) {
        for (int c = lx0; c < lx0 + 32; ++c) {
            const uint32_t id = cell->Code(r, c) >> 16;
            if (idCount < kMaxQuadMaterials && std::find(ids, ids + idCount, id) == ids + idCount)
                ids[idCount++] = id;
        }
    }

    int count = 0;
    for (int i = 0; i < idCount; ++i) {
        const int index = g_pLandMaterials ? g_pLandMaterials->FindByGID(ids[i]) : -1;
        if (index < 0)
            continue;
        const SLandMaterial& material = g_pLandMaterials->GetMaterial(index);
        for (const SLandLayer& layer : material.layers) {
            if (layer.model == -1)
                break;
            const int tries = int(float((NextSeed(false) >> 8) % 66 + 33) * layer.frequency);
            if (count >= SDetailStore::kCapacity) {
                WriteErrorLog("Превышено количество шумовых объектов на ячейку");
                break;
            }
            const float radius = g_pModelManager ? g_pModelManager->GetModelRadius(layer.model) : 1.0f;
            for (int t = 0; t < tries && count < SDetailStore::kCapacity; ++t) {
                const float x = float(NextSeed(false) % 10000) * 0.0032f + float(x0);
                const float y = float(NextSeed(true) % 10000) * 0.0032f + float(y0);
                const int gx = int(std::round(x)) - 64 * column;
                const int gy = int(std::round(y)) - 64 * row;
                if ((cell->Code(gy, gx) >> 16) != ids[i])
                    continue;
                const float heading = float(NextSeed(false) % 10000) * 3.14159265f * 0.0002f;
                const float r = float(NextSeed(true) % 10000) * 0.0002f - 1.0f;
                const float scale = (r * std::fabs(r) * Spread(layer.type) + 1.0f) * layer.scale;
                const float wx = kStep * x;
                const float wy = kStep * y;
                SDetailObject& object = store.objects[count];
                object = SDetailObject { layer.type, layer.model, scale, std::sin(heading), std::cos(heading),
                    { wx, wy, GetHeight(Vec3 { wx, wy, 0.0f }, false, false) }, scale * radius,
                    GetGroundColor(wx, wy) };
                store.order[count] = count;
                ++count;
            }
        }
    }
    // Shell sort by radius, gaps halving from count / 2.
    for (int gap = count / 2; gap > 0; gap /= 2) {
        for (int i = gap; i < count; ++i) {
            const int moving = store.order[i];
            int j = i;
            for (; j >= gap && store.objects[store.order[j - gap]].radius > store.objects[moving].radius;
                 j -= gap)
                store.order[j] = store.order[j - gap];
            store.order[j] = moving;
        }
    }
    store.count = count;
    q.generated = 1;
    if (replay)
        PopRandomState();
    else
        q.seedSaved = 1;
}

void MapQuad::RenderDetails()
{
    ZJ_TRACE("MapQuad::RenderDetails");
    CLocation& location = Location;
    if (!generated)
        location.GenerateNoiseObjects(column, row, number);
    SDetailStore& store = *detail;
    store.lastUse = GameClock;
    const Vec3& camera = ViewFrame.position;
    for (int i = store.count - 1; i >= 0; --i) {
        const SDetailObject& object = store.objects[store.order[i]];
        const float radius = std::max(object.radius, 2.0f);
        const float dx = object.position[0] - camera.x;
        const float dy = object.position[1] - camera.y;
        const float dz = object.position[2] - camera.z;
        const float d2 = dx * dx + dy * dy + dz * dz;
        const float q = d2 / (radius * radius);
        if (level > 1 && q > kFarQuadLimit)
            break;
        const SFadeRow& fade = FadeRow(object.type);
        if (q > fade.end)
            continue;
        const float lod = GetLodLevel(q);
        if (lod < 0.0f)
            continue;
        if (!CLocation::IsSphereVisible(
                Vec3 { object.position[0], object.position[1], object.position[2] }, radius))
            continue;
        if (location.detailDrawCount >= CLocation::kDetailDraws - 1) {
            WriteErrorLog("Превышено количество шумовых объектов");
            return;
        }
        CComplexObject* model = g_pModelManager ? g_pModelManager->GetModel(object.model) : nullptr;
        const CModel* first = model && model->GetPartCount() > 0 ? model->GetPartObject(0) : nullptr;
        const bool opaque = first && first->shaderSlot == kOpaqueSlot;
        location.detailDraws[location.detailDrawCount++] = CLocation::SDetailDraw { d2, model, &object,
            q < fade.start ? 1.0f : (fade.end - q) * fade.slope,
            opaque ? object.colour | 0xFF000000u : 0xFF000000u, opaque ? 0 : 1, int32_t(lod) };
    }
}

void CLocation::RenderDetailObjects()
{
    ZJ_TRACE("CLocation::RenderDetailObjects");
    detailDrawCount = 0;
    detailObjectsDrawn = 0;
    detailObjectsDeferred = 0;
    for (int i = 0; i < visibleCount; ++i) {
        const SVisibleCell& visible = visibleCells[i];
        const SCellRecord& record = Cell(visible.column, visible.row);
        if (!(visible.d2 < 100000.0f) || record.level != kNearLevel || !record.full)
            continue;
        record.full->lastUse = GameClockF32;
        for (MapQuad& quad : record.full->quads) {
            if (quad.visible && quad.level < 3)
                quad.RenderDetails();
        }
    }
    if (g_TexShaderManager)
        g_TexShaderManager->ResetCurrent();
    CComplexObject* last = nullptr;
    plat::gfx::Material material {};
    for (int k = 0; k < detailDrawCount; ++k) {
        const SDetailDraw& draw = detailDraws[k];
        if (draw.blended != 0 || draw.alpha <= 0.95f) {
            if (EffectRenderManager.IsCollecting()) {
                EffectRenderManager.AddDetailObject(draw.d2, k);
                ++detailObjectsDeferred;
            }
            continue;
        }
        if (!draw.model)
            continue;
        if (draw.model != last) {
            last = draw.model;
            material = TakeMaterial(*draw.model);
        }
        material.diffuse = Channels(draw.colour, draw.alpha);
        material.ambient = Channels(draw.colour, float(draw.colour >> 24) / 255.0f);
        g_Graphic.SetMaterial(material);
        SetObjectMatrix(ObjectMatrix(*draw.object));
        draw.model->Render(nullptr, 0, draw.lod);
        ++detailObjectsDrawn;
    }
    if (g_TexShaderManager)
        g_TexShaderManager->ApplyEx();
}

void CLocation::DrawDetailObject(int k)
{
    ZJ_TRACE("CLocation::DrawDetailObject");
    if (k < 0 || k >= kDetailDraws)
        throw XRangeError();
    // A record past this frame's list is left from an earlier frame.
    if (k >= detailDrawCount)
        return;
    const SDetailDraw& draw = detailDraws[k];
    if ((draw.blended != 0 && draw.blended != 1) || !draw.model)
        return;
    const SDetailObject& object = *draw.object;
    plat::gfx::Material material = TakeMaterial(*draw.model);
    if (draw.blended == 0) {
        material.diffuse = Channels(draw.colour, float(draw.colour >> 24) / 255.0f);
        material.ambient = material.diffuse;
    }
    const int gx = int(std::round(object.position[0] * 0.1f));
    const int gy = int(std::round(object.position[1] * 0.1f));
    const float l = Environment.DecodePackedValue(GetCell(gx, gy).Light());
    const float lit = (1.0f - l) * 103.0f + 152.0f;
    const float ambient = (1.0f - l) * 192.0f + 63.0f;
    material.diffuse = { material.diffuse.r * lit / 255.0f, material.diffuse.g * lit / 255.0f,
        material.diffuse.b * lit / 255.0f, draw.alpha };
    material.ambient = { material.ambient.r * ambient / 255.0f, material.ambient.g * ambient / 255.0f,
        material.ambient.b * ambient / 255.0f, material.ambient.a };
    g_Graphic.SetMaterial(material);
    const Matrix4 w = ObjectMatrix(object);
    LightWare.SetLights(object.position[0], object.position[1], object.position[2], 1.0f);
    if (draw.model->hasOrderings) {
        const Matrix4& v = ViewFrame.matrix;
        Vec3 direction;
        TransformNormal(direction, Vec3 { v.m[2], v.m[6], v.m[10] }, w);
        Vec3Negate(direction, direction);
        draw.model->SortByDirection(direction, false);
    }
    SetObjectMatrix(w);
    if (ModelLevelOn)
        draw.model->SetGroupParameter(nullptr, draw.lod);
    else
        draw.model->Render(nullptr, 0, draw.lod);
}
