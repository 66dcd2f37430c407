// CGliderObject's weapons and drawing: firing the four mounts, the bomb's launch values, the hull
// with its morph animation, the gun models and lights, the projected shadow, the nozzle flames and
// glows, the dust, the shield hit marks and the player's headlights.
#include "world/objects/CGliderObject.h"

#include "foundation/CTimer.h"
#include "foundation/CTransform.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CSmoke.h"
#include "world/objects/PlayerGlobals.h"
#include "world/objects/ShadowSuppression.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

uint8_t ShadowSuppression = 0;

namespace {

constexpr int kSlotShadow = 7;
constexpr int kSlotHitMark = 19;
constexpr int kSlotGlow = 38;
constexpr float kModelScale = 4.0f;
constexpr uint32_t kShadowFormat = 0x202; // position and two texture coordinates
constexpr uint32_t kShadowVertices = 4000;
constexpr uint32_t kShadowIndices = 12000;
constexpr float kPi = 3.1415927f;

static_assert(sizeof(SAnimChannels) == 5 * sizeof(int32_t));

// A channel set as the five-entry table of CopyMorphChannels.
const int32_t* Table(const SAnimChannels& channels)
{
    return &channels.rotate;
}

CComplexObject* ModelOf(int32_t index)
{
    return index >= 0 && g_pModelManager && index < g_pModelManager->GetModelCount()
        ? g_pModelManager->GetModel(index)
        : nullptr;
}

CTexture* TextureOf(int32_t index)
{
    return index >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(index) : nullptr;
}

Vec3 Column(const Matrix4& m, int c)
{
    return Vec3 { m.m[c], m.m[4 + c], m.m[8 + c] };
}

Vec3 Translation(const Matrix4& m)
{
    return Vec3 { m.m[12], m.m[13], m.m[14] };
}

Vec3 Unit(const Vec3& v)
{
    Vec3 out;
    Vec3Normalize(out, v);
    return out;
}

// a + s x b
Vec3 Along(const Vec3& a, const Vec3& b, float s)
{
    return Vec3 { a.x + s * b.x, a.y + s * b.y, a.z + s * b.z };
}

// A rotation turned into the hull model's space: the X row negated, the Y and Z rows swapped,
// every element times 4, placed at the position.
Matrix4 ModelSpace(const Matrix4& rotation, const Vec3& position)
{
    static constexpr int kFrom[3] = { 0, 2, 1 };
    static constexpr float kScale[3] = { -kModelScale, kModelScale, kModelScale };
    Matrix4 out {};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.m[4 * r + c] = rotation.m[4 * kFrom[r] + c] * kScale[r];
    out.m[12] = position.x;
    out.m[13] = position.y;
    out.m[14] = position.z;
    out.m[15] = 1.0f;
    return out;
}

Matrix4 Moved(float x, float y, float z)
{
    Matrix4 m;
    Matrix4Identity(m);
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

float Sign(float x)
{
    return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
}

// s(x) of the lean weights: the sign of x times min(|x| x 0.01, 1).
float Lean(float x)
{
    return Sign(x) * std::min(std::fabs(x) * 0.01f, 1.0f);
}

plat::gfx::ColorValue Scaled(const plat::gfx::ColorValue& c, float s)
{
    return plat::gfx::ColorValue { c.r * s, c.g * s, c.b * s, 1.0f };
}

// The hull row with its model points ready; the light gun is switched off without its mount.
SGliderType* PrepareHull(CGliderObject& glider)
{
    SGliderType* row = glider.Type();
    if (!row)
        return nullptr;
    if (!row->prepared)
        g_GliderManager.InitGlider(glider.typeIndex);
    if (row->mounts[SGliderType::kLightGun].part < 0)
        glider.guns[CGliderObject::kLightGun].assigned = 0;
    return row;
}

// The mount point of a gun in the hull model: the centre of its marker part, the light gun's
// moved with the hull's morph.
Matrix4 MountMatrix(const CGliderObject& glider, CComplexObject& model, const SGliderType& row, int mount)
{
    const SGliderMount& m = row.mounts[mount];
    Matrix4 matrix;
    Matrix4Identity(matrix);
    CModel* part = model.GetPartObject(m.part);
    if (!part)
        return matrix;
    Vec3 centre;
    float weights[CGliderObject::kMorphWeights] = {};
    CGliderObject::CopyMorphChannels(glider.morphWeights, Table(row.body), weights, Table(m.channels));
    Matrix4 box;
    if (mount == SGliderType::kLightGun && part->GetBoxCenterFrame(row.mountCorners[2], weights, box))
        centre = Translation(box);
    else
        part->MainMesh().GetCenter(centre);
    matrix.m[12] = centre.x;
    matrix.m[13] = centre.y;
    matrix.m[14] = centre.z;
    return matrix;
}

// Lean forward and sideways from the velocity, bank from the roll and the turn, idle from the
// clock; all 0 without the GliderAnimation setting. A sum above 1 is scaled down.
void UpdateMorphWeights(CGliderObject& glider, const SGliderType* row)
{
    float* weights = glider.morphWeights;
    std::fill(weights, weights + CGliderObject::kMorphWeights, 0.0f);
    if (!row || !row->prepared || !GliderAnimation)
        return;
    const Matrix4& m = glider.frame.matrix;
    const float f = 5.0f * m.m[8];
    float k = Sign(f) * std::min(std::fabs(f), 1.0f) + glider.bank;
    if (std::fabs(k) > 1.0f)
        k = Sign(k);
    const float quarter = GameClockF32 / 4.0f;
    const struct {
        int32_t channel;
        float weight;
    } kWeights[] = {
        { row->body.forward, Lean(Vec3Dot(glider.velocity, Column(m, 2))) },
        { row->body.strafe, Lean(Vec3Dot(glider.velocity, Column(m, 1))) },
        { row->body.rotate, -k },
        { row->body.idle, Lean(2.0f * (std::trunc(quarter) - quarter) + 1.0f) },
    };
    for (const auto& w : kWeights) {
        if (w.channel >= CGliderObject::kMorphWeights)
            throw XRangeError();
        if (w.channel >= 0)
            weights[w.channel] = w.weight;
    }
    float sum = 0.0f;
    for (int i = 0; i < CGliderObject::kMorphWeights; ++i)
        sum += weights[i];
    if (sum > 1.0f) {
        const float root = std::sqrt(sum);
        for (int i = 0; i < CGliderObject::kMorphWeights; ++i)
            weights[i] /= root;
    }
}

// The effect of an object: into the sorted list while the effect renderer collects, else at once.
void SubmitEffect(CZJObject& object, const Vec3& place, uint32_t argument)
{
    if (EffectRenderManager.IsCollecting()) {
        Vec3 d;
        Vec3Sub(d, place, ViewFrame.position);
        EffectRenderManager.AddEffect(Vec3LengthSq(d), &object, argument);
    } else {
        object.DrawEffect(int(argument));
    }
}

// The light and heavy guns with their mount parts.
struct SGunMount {
    int gun;
    int mount;
};
constexpr SGunMount kDrawnGuns[2] = { { CGliderObject::kLightGun, SGliderType::kLightGun },
    { CGliderObject::kHeavyGun, SGliderType::kHeavyGun } };

// The ring the shadow patches are drawn from, made on first use.
int ShadowRing()
{
    static constexpr const char* kName = "GLIDERSHADOW";
    const int slot = g_pModelManager->FindBuffer(kName);
    return slot >= 0 ? slot
                     : g_pModelManager->CreateRenderBuffer(
                         kName, kShadowFormat, kShadowVertices, kShadowIndices, 2, false);
}

// The hull rendered into the off-screen texture and laid on the ground patch the sun throws it on.
void DrawShadow(const CGliderObject& glider, CComplexObject& model)
{
    Matrix4 rotation = glider.frame2.matrix;
    rotation.m[12] = rotation.m[13] = rotation.m[14] = 0.0f;
    if (!EffectRenderManager.RenderModelToTexture(&model, rotation, glider.bodyRadius * 0.5f, glider.lod == 0)
        || Environment.sunGlareLimit < 0.0f || !g_pModelManager || !g_TexShaderManager)
        return;
    const Vec3& p = glider.frame.position;
    const float h = p.z - Location.GetHeight(p, false, false);
    const Vec3 centre = Along(p, Environment.sunVector, -h);
    const int ring = ShadowRing();
    if (ring < 0)
        return;
    CVertexData patch(kShadowFormat, kShadowVertices, kShadowIndices);
    patch.vertexCount = 0;
    patch.indexCount = 0;
    if (!Location.GetMapMesh(centre, glider.bodyRadius * 2.5f, patch))
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(ring, patch);
    if (!mesh)
        return;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    const float lod = float(glider.lod);
    g_TexShaderManager->SetFactorAlpha(Environment.sunGlareLimit * (lod < 2.5f ? 1.0f : (3.0f - lod) * 2.0f));
    g_TexShaderManager->Apply(kSlotShadow, mesh, EffectRenderManager.GetModelTexture());
}

// Where hit mark i sits on the shield, for its distance to the camera.
Vec3 HitMarkPlace(const CGliderObject& glider, int i)
{
    Matrix4 rotation;
    Matrix4Multiply(rotation, glider.hitMarks[i].matrix, glider.frame.matrix);
    return Along(glider.frame.position, Column(rotation, 2), glider.bodyRadius);
}

void DrawHitMark(const CGliderObject& glider, int i)
{
    if (i < 0 || i >= CGliderObject::kHitMarks)
        throw XRangeError();
    const SGliderHitMark& mark = glider.hitMarks[i];
    CComplexObject* force = ModelOf(ZJEngine.ids2[CZJEngine::kModFxForce3]);
    CModel* shell = force && force->GetPartCount() > 0 ? force->GetPartObject(0) : nullptr;
    if (!shell || !g_TexShaderManager)
        return;
    Matrix4 rotation;
    Matrix4Multiply(rotation, mark.matrix, glider.frame.matrix);
    Matrix4 world;
    Matrix4Identity(world, glider.bodyRadius);
    Matrix4Multiply(world, world, rotation);
    const Vec3& p = glider.frame.position;
    world.m[12] = p.x;
    world.m[13] = p.y;
    world.m[14] = p.z;
    world.m[15] = 1.0f;
    g_Graphic.SetWorldMatrix(world);
    LightWare.SetLights(p.x, p.y, p.z, glider.radius);
    const int n = int((0.25f - mark.life) * 64.0f);
    const float strength = std::min(std::max(mark.amount * 0.01f, 0.1f), 1.0f);
    g_TexShaderManager->SetFactorAlpha(n == 0 ? 1.0f : (n == 1 ? (strength + 1.0f) * 0.5f : strength));
    force->SetFrame(n);
    // The shell shows through the factor-alpha slot whatever slot its file names.
    const uint32_t slot = shell->shaderSlot;
    shell->shaderSlot = kSlotHitMark;
    force->Render(nullptr, 0, CComplexObject::kAllGroups);
    shell->shaderSlot = slot;
}

// A camera-facing quad of the glow texture.
void DrawGlow(CTexture* texture, const Vec3& at, float size, float alpha)
{
    if (!texture || !g_pModelManager || !g_TexShaderManager || g_pModelManager->ModelsSlot() < 0)
        return;
    CVertexData& quad = g_pModelManager->AddBillboard(size, size, true);
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), quad);
    if (!mesh)
        return;
    Matrix4 world = g_pModelManager->BillboardMatrix();
    world.m[12] = at.x;
    world.m[13] = at.y;
    world.m[14] = at.z;
    world.m[15] = 1.0f;
    g_Graphic.SetWorldMatrix(world);
    g_TexShaderManager->SetFactorAlpha(alpha);
    g_TexShaderManager->Apply(kSlotGlow, mesh, texture);
}

// The flame and glow of each nozzle whose damage point does not burn.
void DrawNozzles(const CGliderObject& glider)
{
    const SGliderType* row = glider.Type();
    if (!row || (row->mounts[SGliderType::kFire].part < 0 && row->mounts[SGliderType::kFire1].part < 0))
        return;
    CComplexObject* hull = ModelOf(row->model.Index());
    CComplexObject* flame = ModelOf(ZJEngine.ids2[CZJEngine::kModGlFire]);
    if (!hull || !flame)
        return;
    for (int i = 0; i < 3; ++i) {
        if (CModel* part = flame->GetPartObject(i))
            part->materialState = -1;
    }
    const float level = glider.engineLevel;
    plat::gfx::Material material {};
    const float alpha = (1.0f - 7.0f / (level * 3.33f + 10.0f)) * 0.5f;
    material.diffuse = material.ambient = plat::gfx::ColorValue { 1.0f, 1.0f, 1.0f, alpha };
    g_Graphic.SetMaterial(material);
    const float length = (2.0f - 150.0f / (2.0f * level + 100.0f)) * 0.64777327f;
    const float glowSize = 7.5f * 1.1f * (1.0f + 0.05f * std::sin(41.0f * GameClockF32));
    const float glowAlpha = std::min(glider.engineLevel2 * 0.05f, 1.0f);
    CTexture* glow = TextureOf(ZJEngine.ids2[CZJEngine::kTexFireGlow2]);

    for (int nozzle = 0; nozzle < 2; ++nozzle) {
        const SGliderMount& mount = row->mounts[SGliderType::kFire + nozzle];
        if ((glider.nozzleDamage & (1u << nozzle)) || mount.part < 0)
            continue;
        CModel* part = hull->GetPartObject(mount.part);
        float weights[CGliderObject::kMorphWeights] = {};
        CGliderObject::CopyMorphChannels(
            glider.morphWeights, Table(row->body), weights, Table(mount.channels));
        Matrix4 box;
        Vec3 size;
        if (!part || !part->GetBoxCornerFrame(row->mountCorners[nozzle], weights, box, size))
            continue;
        Matrix4 placed = box;
        placed.m[14] -= 0.01f;
        for (int c = 0; c < 3; ++c) {
            placed.m[c] *= 0.8f;
            placed.m[4 + c] *= length;
            placed.m[8 + c] *= 0.8f;
        }
        Matrix4 world;
        Matrix4Multiply(world, placed, glider.frame2.matrix);
        g_Graphic.SetWorldMatrix(world);
        flame->Render(nullptr, 0, CComplexObject::kAllGroups);

        Vec3 middle = Translation(box);
        const float halves[3] = { 0.5f * size.x, 0.5f * size.y, 0.5f * size.z };
        for (int axis = 0; axis < 3; ++axis)
            middle = Along(
                middle, Vec3 { box.m[4 * axis], box.m[4 * axis + 1], box.m[4 * axis + 2] }, halves[axis]);
        Vec3 at;
        TransformCoord(at, middle, glider.frame2.matrix);
        DrawGlow(glow, at, glowSize, glowAlpha);
    }
}

} // namespace

void CGliderObject::CopyMorphChannels(
    const float* sourceWeights, const int32_t* sourceTable, float* targetWeights, const int32_t* targetTable)
{
    for (int k = 0; k < 5; ++k) {
        const int32_t to = targetTable[k];
        const int32_t from = sourceTable[k];
        if (to == -1)
            continue;
        if (to < 0 || to >= kMorphWeights || from < -1 || from >= kMorphWeights)
            throw XRangeError();
        targetWeights[to] = from == -1 ? 0.0f : sourceWeights[from];
    }
}

Matrix4 CGliderObject::MeshFrame(CComplexObject* model, const float* morph)
{
    Matrix4 frame;
    Matrix4Identity(frame);
    CModel* mesh = model && model->GetPartCount() > 0 ? model->GetPartObject(0) : nullptr;
    // The box frame over vertices 2, 0, 1, 5 has rows a = unit(P0 - P2), b = unit(P1 - P2),
    // -c = -unit(P5 - P2) and the translation P2; the result's columns are -a, -b and c.
    static constexpr int kCorners[4] = { 2, 0, 1, 5 };
    Matrix4 box;
    if (!mesh || !mesh->GetBoxFrame(kCorners, morph, box))
        return frame;
    for (int r = 0; r < 3; ++r) {
        frame.m[4 * r + 0] = -box.m[r];
        frame.m[4 * r + 1] = -box.m[4 + r];
        frame.m[4 * r + 2] = -box.m[8 + r];
    }
    frame.m[12] = box.m[12];
    frame.m[13] = box.m[13];
    frame.m[14] = box.m[14];
    return frame;
}

void CGliderObject::AddHitMark(float amount, const Matrix4& matrix)
{
    for (SGliderHitMark& mark : hitMarks)
        if (!(mark.life > 0.0f)) {
            mark = SGliderHitMark { matrix, 0.25f, 1, amount };
            hitMarksActive = 1;
            return;
        }
}

void CGliderObject::Fire(int mount, float power)
{
    ZJ_TRACE("CGliderObject::Fire exception");
    if (mount < 0 || mount >= kMounts)
        throw XRangeError();
    SGliderType* row = PrepareHull(*this);
    CComplexObject* model = row ? ModelOf(row->model.Index()) : nullptr;
    if (!model) {
        WriteErrorLog(TypeName());
        WriteErrorLog("Glider model not found..");
        return;
    }
    CGun& gun = guns[mount];
    if (!gun.assigned)
        return;

    const bool player = IsPlayer();
    Matrix4 rotation = frame.matrix;
    if (player && !g_FixCursor) {
        CTransform aimed = frame;
        aimed.SetDirection(aimDirection);
        rotation = aimed.matrix;
    } else if (!player) {
        aimDirection = Column(frame.matrix, 2);
    }
    const Matrix4 firing = ModelSpace(rotation, frame.position);
    const Vec3 d = g_FixCursor ? Column(frame.matrix, 2) : aimDirection;

    switch (mount) {
    case kLightGun: {
        ZJ_TRACE("LIGHT");
        gun.FIRE(firing, MountMatrix(*this, *model, *row, SGliderType::kLightGun), d, 1.0f);
        break;
    }
    case kHeavyGun: {
        ZJ_TRACE("HEAVY");
        gun.FIRE(firing, MountMatrix(*this, *model, *row, SGliderType::kHeavyGun), d, 1.0f);
        break;
    }
    case kRocketLauncher: {
        ZJ_TRACE("RT");
        gun.FIRE(firing, Moved(0.0f, 0.0f, 1.0f), d, 1.0f);
        break;
    }
    default:
        if (gun.ammo < 1.0f)
            return;
        gun.FIRE(firing, Moved(-1.0f, 0.0f, -0.5f), Unit(Along(aimDirection, Column(frame.matrix, 1), 0.1f)),
            power);
        break;
    }
}

void CGliderObject::GetLaunchParams(Vec3& point, Vec3& velocity, float& blastRadius, float power) const
{
    ZJ_TRACE("CGliderObject::GetLaunchParams");
    const Vec3 up = Column(frame.matrix, 1);
    point = Along(Along(frame.position, Column(frame.matrix, 0), 1.0f), up, -0.5f);
    velocity = Vec3 {};
    blastRadius = 0.0f;
    // An empty launcher throws nothing: no ammunition id, or less than one bomb left.
    const CGun& bombs = guns[kBombLauncher];
    if (bombs.projectileType == -1 || bombs.ammo < 1.0f)
        return;
    const SMissileType& bomb = g_MissileManager.GetDesc(bombs.projectileType);
    Vec3Scale(velocity, Unit(Along(aimDirection, up, 0.1f)), power * bomb.speed);
    const int32_t explosion = bomb.explosion.Index();
    blastRadius = explosion == -1 ? 0.0f : g_ExploManager.GetDesc(explosion).radius;
}

void CGliderObject::PreDraw()
{
    ZJ_TRACE("CGliderObject::PreDraw");
    if (!IsPlayer() || !PlayerControl.NightLight)
        return;
    static constexpr plat::gfx::ColorValue kColour { 224.0f / 255.0f, 224.0f / 255.0f, 1.0f, 1.0f };
    const Vec3& p = frame.position;

    headlight = plat::gfx::Light {};
    headlight.type = plat::gfx::LightType::Spot;
    headlight.diffuse = Scaled(kColour, 2.0f);
    headlight.specular = kColour;
    headlight.ambient = Scaled(kColour, 0.5f);
    headlight.position = { p.x, p.y, p.z + 5.0f };
    const Vec3 beam = Unit(Along(Column(frame.matrix, 2), Column(frame.matrix, 1), -0.1f));
    headlight.direction = { beam.x, beam.y, beam.z };
    headlight.range = 1500.0f;
    headlight.falloff = 4.0f;
    headlight.attenuation0 = 1.0f;
    headlight.attenuation2 = std::sqrt(3.0f) * 1.7777778e-6f;
    headlight.theta = kPi / 8.0f;
    headlight.phi = kPi / 3.0f;
    LightWare.AddLight(headlight, 1.0f);

    headGlow = plat::gfx::Light {};
    headGlow.type = plat::gfx::LightType::Point;
    headGlow.diffuse = headGlow.specular = headGlow.ambient = Scaled(kColour, 0.5f);
    headGlow.position = { p.x, p.y, p.z };
    headGlow.range = 50.0f;
    headGlow.attenuation0 = 1.0f;
    headGlow.attenuation2 = 0.0032f;
    LightWare.AddLight(headGlow, 2.0f);
}

void CGliderObject::Draw()
{
    ZJ_TRACE("CGliderObject::Draw");
    frame2.matrix = ModelSpace(frame.matrix, frame.position);
    Matrix4 world = frame2.matrix;
    Location.BendToHorizon(world, false);
    const SGliderType* row = PrepareHull(*this);
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    UpdateMorphWeights(*this, row);

    CComplexObject* model = row ? ModelOf(row->model.Index()) : nullptr;
    bool flashed = false;
    if (model) {
        for (const SGunMount& g : kDrawnGuns) {
            CGun& gun = guns[g.gun];
            if (!gun.assigned || row->mounts[g.mount].part < 0)
                continue;
            const Matrix4 mount = MountMatrix(*this, *model, *row, g.mount);
            if (gun.trigger != 0.0f) {
                gun.SetShotLights(world, mount);
                flashed = true;
            }
            gun.Draw(world, mount, lod);
        }

        g_Graphic.SetWorldMatrix(world);
        const float grey = GetObjectBrightness(p);
        model->SetColor(grey, grey, grey, 1.0f);
        model->Render(morphWeights, burningPoints, lod);
        model->ResetColor();

        if (lod <= 3 && !ShadowSuppression)
            DrawShadow(*this, *model);
    }
    if (flashed)
        DisableShotLights();

    SubmitEffect(*this, p, 1);
    for (int i = 0; i < kHitMarks; ++i) {
        if (hitMarks[i].life > 0.0f)
            SubmitEffect(*this, HitMarkPlace(*this, i), uint32_t(i + 2));
    }
}

void CGliderObject::DrawNVisible()
{
    ZJ_TRACE("CGliderObject::DrawNVisible");
    const SGliderType* row = PrepareHull(*this);
    frame2.matrix = ModelSpace(frame.matrix, frame.position);
    Matrix4 world = frame2.matrix;
    Location.BendToHorizon(world, false);
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    if (CComplexObject* model = row ? ModelOf(row->model.Index()) : nullptr) {
        for (const SGunMount& g : kDrawnGuns) {
            if (!guns[g.gun].assigned || row->mounts[g.mount].part < 0)
                continue;
            Matrix4 mount = MountMatrix(*this, *model, *row, g.mount);
            guns[g.gun].GetMountMatrices(world, mount);
        }
    }
    SubmitEffect(*this, p, 0);
}

void CGliderObject::DrawEffect(int argument)
{
    ZJ_TRACE("CGliderObject::DrawEffect");
    if (argument >= 2) {
        DrawHitMark(*this, argument - 2);
        return;
    }
    try {
        for (const SGunMount& g : kDrawnGuns) {
            if (guns[g.gun].assigned)
                guns[g.gun].DrawEffect(argument == 0, lod);
        }
    } catch (...) {
        char line[96];
        std::snprintf(line, sizeof line, "ERROR in glider %s id", TypeName());
        WriteErrorLog(line);
        throw;
    }
    if (argument != 1)
        return;
    if (float(lod) < 3.05f)
        dust.Render(ZJEngine.ids2[overLiquid ? CZJEngine::kTexFxWaterDust : CZJEngine::kTexFxRocketSmoke]);
    DrawNozzles(*this);
}
