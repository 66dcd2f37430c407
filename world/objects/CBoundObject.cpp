#include "world/objects/CBoundObject.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Numeric.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/fvf.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CBoundaryManager.h"
#include "world/db/CGun.h"
#include "world/db/CZJEngine.h"
#include "world/db/FactoryHelpers.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kWallReach = 50.0f;
constexpr float kFullStrength = 25.0f;
constexpr float kOnWall = 0.1f;
constexpr float kPlayerDamage = 1.0e6f;
constexpr float kOtherDamage = 10000.0f;
constexpr uint32_t kWallColour = 0x10FFFFFF;
constexpr int kSlotWall = 24;

struct WallVertex {
    float x, y, z;
    uint32_t diffuse;
    float u0, v0, u1, v1;
};
constexpr uint32_t kWallFormat = plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse | plat::gfx::fvf::kTex2;

float ModelRadius(const CZJObject& object)
{
    const int32_t model = object.ModelIndex();
    if (!g_pModelManager || model < 0 || model >= g_pModelManager->GetModelCount())
        return 0.0f;
    return g_pModelManager->GetModelRadius(model);
}

float FirstRowLength(const Matrix4& m)
{
    return std::sqrt(m.m[0] * m.m[0] + m.m[1] * m.m[1] + m.m[2] * m.m[2]);
}

} // namespace

CBoundObject::CBoundObject()
{
    type = 23;
    hitByRays = 1;
    alive = 1;
    visible = 1;
    customCollision = 1;
    notifyOnDelete = 1;
    runs = 0;
    moves = 0;
    solid = 0;
    effectInView = 0;
    lod = 0;
}

void CBoundObject::Init(const float* placement, NameKey32 typeId, const char* propertyText)
{
    ZJ_TRACE("CBoundObject::Init");
    if (placement) {
        Matrix4 m;
        std::memcpy(m.m, placement, sizeof m.m);
        frame.SetMatrix(m);
        frame.UpdateAxes();
    }
    typeKey = typeId;
    CopyPropertyText(*this, propertyText);
    if (g_BoundaryManager.FindRow(typeId.text) < 0)
        throw XRangeError();
    TakeTypeRow(*this, g_BoundaryManager, typeId);
    wall.Allocate(kWallFormat, 2 * kMaxLinks + 2, 6 * kMaxLinks);
    wall.vertexCount = wall.indexCount = 0;
}

void CBoundObject::UpdateBounds()
{
    reach = 0.0f;
    if (linkCount <= 0) {
        wall.vertexCount = wall.indexCount = 0;
        segmentCount = 0;
        return;
    }
    if (linkCount > kMaxLinks)
        throw XRangeError();
    const float m = ModelRadius(*this);
    radius = m * FirstRowLength(frame.matrix);
    if (!wall.vertices)
        wall.Allocate(kWallFormat, 2 * kMaxLinks + 2, 6 * kMaxLinks);
    auto* v = reinterpret_cast<WallVertex*>(wall.vertices);
    const Vec3& p = frame.position;
    v[0] = WallVertex { p.x, p.y, p.z - m, kWallColour, 0.0f, 0.0f, 0.0f, 0.0f };
    const float top = 0.1f * radius * 0.3f;
    v[1] = WallVertex { p.x, p.y, p.z + radius, kWallColour, 0.0f, top, 0.0f, top };
    for (int i = 0; i < linkCount; ++i) {
        const CBoundObject& other = *links[i];
        const Vec3& q = other.frame.position;
        const Vec3 mid { (p.x + q.x) * 0.5f, (p.y + q.y) * 0.5f, (p.z + q.z) * 0.5f };
        const float h = Vec3Length(Vec3 { q.x - p.x, q.y - p.y, q.z - p.z }) * 0.5f;
        const float u = std::round(0.1f * h) * 0.3f;
        const float v1 = 0.1f * (other.radius + radius) * 0.15f;
        v[2 + 2 * i] = WallVertex { mid.x, mid.y, mid.z - m, kWallColour, u, 0.0f, u, 0.0f };
        v[3 + 2 * i]
            = WallVertex { mid.x, mid.y, mid.z + (other.radius + radius) * 0.5f, kWallColour, u, v1, u, v1 };
        const auto a = uint16_t(2 + 2 * i);
        const uint16_t quad[6] = { 0, 1, a, a, 1, uint16_t(a + 1) };
        std::copy(std::begin(quad), std::end(quad), wall.indices + 6 * i);
        reach = std::max(reach, h);

        SSegment& s = segments[i];
        s.start = Vec3 { p.x, p.y, 0.0f };
        s.end = Vec3 { mid.x, mid.y, 0.0f };
        const Vec3 d { s.end.x - s.start.x, s.end.y - s.start.y, 0.0f };
        s.length = Vec3Length(d);
        s.direction = s.length > 0.0f ? Vec3 { d.x / s.length, d.y / s.length, 0.0f } : Vec3 {};
        s.normal = Vec3 { s.direction.y, -s.direction.x, 0.0f };
    }
    wall.firstVertex = wall.firstIndex = 0;
    wall.vertexCount = uint32_t(2 * linkCount + 2);
    wall.indexCount = uint32_t(6 * linkCount);
    radius += reach;
    segmentCount = linkCount;
}

void CBoundObject::SetPosition(const Vec3& position)
{
    CZJObject::SetPosition(position);
    UpdateBounds();
    for (int i = 0; i < linkCount; ++i) {
        if (i >= kMaxLinks)
            throw XRangeError();
        links[i]->UpdateBounds();
    }
}

void CBoundObject::ProcessDelete(CZJObject* deleted)
{
    ZJ_TRACE("CBoundObject::ProcessDelete");
    const auto end = std::remove(links, links + linkCount, deleted);
    const auto kept = int32_t(end - links);
    if (kept == linkCount)
        return;
    std::fill(links + kept, links + kMaxLinks, nullptr);
    linkCount = kept;
    UpdateBounds();
}

void CBoundObject::CustomCollision(CZJObject* mover, float dt)
{
    ZJ_TRACE("CustomCollision");
    auto* body = dynamic_cast<CDynamicObject*>(mover);
    if (!body)
        return;
    for (int i = 0; i < segmentCount; ++i) {
        const SSegment& s = segments[i];
        const Vec3& p = body->frame.position;
        const float along = std::clamp(
            (p.x - s.start.x) * s.direction.x + (p.y - s.start.y) * s.direction.y, 0.0f, s.length);
        const Vec3 offset { p.x - (s.start.x + s.direction.x * along),
            p.y - (s.start.y + s.direction.y * along), 0.0f };
        const float d = Vec3Length(offset);
        if (d <= kOnWall || d >= kWallReach)
            continue;
        const Vec3 n { offset.x / d, offset.y / d, 0.0f };
        const float strength = d < kFullStrength ? 1.0f : (kWallReach - d) * 0.04f;
        if (body->type == kGlider) {
            const float k = body == PlayerObject ? kPlayerDamage : kOtherDamage;
            body->Damage(k * dt / (d * d), Vec3 { p.x + n.x, p.y + n.y, p.z + n.z }, 1, nullptr, 0);
        }
        Vec3& v = body->velocity;
        const float vn = Vec3Dot(n, v);
        if (vn < 0.0f) {
            float damped = vn;
            DampValue(damped, dt, 1000.0f * strength * strength, 100.0f * strength);
            const float change = damped - vn;
            v = Vec3 { v.x + n.x * change, v.y + n.y * change, v.z + n.z * change };
        }
        const float push = 100.0f * strength * dt;
        v = Vec3 { v.x + n.x * push, v.y + n.y * push, v.z + n.z * push };
    }
}

void CBoundObject::Draw()
{
    CZJObject::Draw();
    if (EffectRenderManager.IsCollecting()) {
        const Vec3 d { frame.position.x - ViewFrame.position.x, frame.position.y - ViewFrame.position.y,
            frame.position.z - ViewFrame.position.z };
        EffectRenderManager.AddEffect(Vec3LengthSq(d), this, 0);
        return;
    }
    DrawEffect(0);
}

void CBoundObject::DrawEffect(int argument)
{
    ZJ_TRACE("CBoundObject::DrawEffect");
    (void)argument;
    if (wall.indexCount == 0 || !g_pModelManager || !g_TexShaderManager || !g_pTextureManager)
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), wall);
    if (!mesh)
        return;
    int texture = ZJEngine.ids2[CZJEngine::kTexFxBorder];
    if (typeRecord) {
        const int own = static_cast<const SBoundaryType*>(typeRecord)->texture.Index();
        if (own >= 0)
            texture = own;
    }
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    SetTextureFrame(4, 4, int(std::floor(GameClockF32 * 16.0f)) % 16);
    g_TexShaderManager->Apply(
        kSlotWall, mesh, texture >= 0 ? g_pTextureManager->GetTexture(texture) : nullptr);
    ResetTextureFrame();
}
