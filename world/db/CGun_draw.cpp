// CGun's drawing: the gun model at its barrels, the muzzle flash, the shot visuals and the two
// shot lights.
#include "world/db/CGun.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "platform/gfx/device.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"

#include <algorithm>
#include <cstdio>

namespace {

using plat::gfx::RenderState;
using plat::gfx::StageState;

constexpr uint32_t kShotLight1 = 10;
constexpr uint32_t kShotLight2 = 11;
constexpr int kSlotAlphaEffect = 11;
constexpr int kSlotAlphaEffectFactor = 19;
constexpr int kSlotArc = 38;

CComplexObject* ModelOf(int32_t index)
{
    return index >= 0 && g_pModelManager ? g_pModelManager->GetModel(index) : nullptr;
}

CTexture* TextureOf(int32_t index)
{
    return index >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(index) : nullptr;
}

Vec3 Translation(const Matrix4& m)
{
    return Vec3 { m.m[12], m.m[13], m.m[14] };
}

// The camera position: the view matrix is the inverse of the camera's frame.
Vec3 CameraPosition(plat::gfx::Device& device)
{
    plat::gfx::Matrix view;
    if (device.GetTransform(plat::gfx::Transform::View, view) != plat::gfx::Result::Ok)
        return Vec3 {};
    const float* t = view.m[3];
    return Vec3 { -(t[0] * view.m[0][0] + t[1] * view.m[0][1] + t[2] * view.m[0][2]),
        -(t[0] * view.m[1][0] + t[1] * view.m[1][1] + t[2] * view.m[1][2]),
        -(t[0] * view.m[2][0] + t[1] * view.m[2][1] + t[2] * view.m[2][2]) };
}

// The frames of an effect model's atlas.
int FrameCount(const CModel* model)
{
    const int32_t grid = model ? model->frameGrid : 0;
    return grid < 256 ? grid * grid : (grid & 0xFF) * (grid >> 8);
}

// The device states the rays of kinds 1 and 7 set, saved first and restored after.
class SavedStates {
public:
    explicit SavedStates(plat::gfx::Device& device)
        : m_device(device)
    {
        for (size_t i = 0; i < std::size(kRenderStates); ++i)
            m_device.GetRenderState(kRenderStates[i], m_render[i]);
        for (size_t i = 0; i < std::size(kStageStates); ++i)
            m_device.GetTextureStageState(kStageStates[i].stage, kStageStates[i].state, m_stage[i]);
        m_device.GetTransform(plat::gfx::TextureTransformOf(1), m_transform);
    }
    ~SavedStates()
    {
        for (size_t i = 0; i < std::size(kRenderStates); ++i)
            m_device.SetRenderState(kRenderStates[i], m_render[i]);
        for (size_t i = 0; i < std::size(kStageStates); ++i)
            m_device.SetTextureStageState(kStageStates[i].stage, kStageStates[i].state, m_stage[i]);
        m_device.SetTransform(plat::gfx::TextureTransformOf(1), m_transform);
    }
    SavedStates(const SavedStates&) = delete;
    SavedStates& operator=(const SavedStates&) = delete;

private:
    struct Stage {
        uint32_t stage;
        StageState state;
    };
    static constexpr RenderState kRenderStates[] = { RenderState::AlphaBlendEnable, RenderState::SrcBlend,
        RenderState::DestBlend, RenderState::CullMode };
    static constexpr Stage kStageStates[] = {
        { 0, StageState::ColorOp },
        { 0, StageState::ColorArg1 },
        { 0, StageState::ColorArg2 },
        { 0, StageState::AlphaOp },
        { 0, StageState::AlphaArg1 },
        { 0, StageState::AlphaArg2 },
        { 0, StageState::TextureTransformFlags },
        { 1, StageState::ColorOp },
        { 1, StageState::ColorArg1 },
        { 1, StageState::ColorArg2 },
        { 1, StageState::AlphaOp },
        { 1, StageState::TextureTransformFlags },
    };

    plat::gfx::Device& m_device;
    uint32_t m_render[std::size(kRenderStates)] = {};
    uint32_t m_stage[std::size(kStageStates)] = {};
    plat::gfx::Matrix m_transform;
};

// Stage 0 texture times diffuse, stage 1 adds its texture scrolled by v; blended, not culled.
void SetRayStates(plat::gfx::Device& device, float scroll)
{
    using plat::gfx::Blend;
    using plat::gfx::StateValue;
    using plat::gfx::TextureArg;
    using plat::gfx::TextureOp;
    device.SetRenderState(RenderState::AlphaBlendEnable, 1);
    device.SetRenderState(RenderState::SrcBlend, StateValue(Blend::SrcAlpha));
    device.SetRenderState(RenderState::DestBlend, StateValue(Blend::InvSrcAlpha));
    device.SetRenderState(RenderState::CullMode, StateValue(plat::gfx::Cull::None));
    device.SetTextureStageState(0, StageState::ColorOp, StateValue(TextureOp::Modulate));
    device.SetTextureStageState(0, StageState::ColorArg1, StateValue(TextureArg::Texture));
    device.SetTextureStageState(0, StageState::ColorArg2, StateValue(TextureArg::Diffuse));
    device.SetTextureStageState(0, StageState::AlphaOp, StateValue(TextureOp::Modulate));
    device.SetTextureStageState(0, StageState::AlphaArg1, StateValue(TextureArg::Texture));
    device.SetTextureStageState(0, StageState::AlphaArg2, StateValue(TextureArg::Diffuse));
    device.SetTextureStageState(1, StageState::ColorOp, StateValue(TextureOp::Add));
    device.SetTextureStageState(1, StageState::ColorArg1, StateValue(TextureArg::Texture));
    device.SetTextureStageState(1, StageState::ColorArg2, StateValue(TextureArg::Current));
    device.SetTextureStageState(1, StageState::AlphaOp, StateValue(TextureOp::SelectArg2));
    plat::gfx::Matrix shift = plat::gfx::Matrix::Identity();
    shift.m[2][1] = scroll;
    device.SetTransform(plat::gfx::TextureTransformOf(1), shift);
    device.SetTextureStageState(
        1, StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Count2));
}

} // namespace

void SetTextureFrame(int columns, int rows, int n)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || columns <= 0 || rows <= 0)
        return;
    plat::gfx::Matrix m = plat::gfx::Matrix::Identity();
    m.m[0][0] = 1.0f / float(columns);
    m.m[1][1] = 1.0f / float(rows);
    m.m[2][0] = float(n % columns) / float(columns);
    m.m[2][1] = float(n / columns) / float(rows);
    device->SetTransform(plat::gfx::TextureTransformOf(0), m);
    device->SetTextureStageState(
        0, StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Count2));
}

void ResetTextureFrame()
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetTextureStageState(
            0, StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Disable));
}

void DisableShotLights()
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice()) {
        device->LightEnable(kShotLight1, false);
        device->LightEnable(kShotLight2, false);
    }
}

bool CGun::EffectPoint(int i, Matrix4& out)
{
    CComplexObject* model = desc ? ModelOf(desc->model.Index()) : nullptr;
    const int part = desc ? desc->effectPoints[i] : -1;
    if (!model || part < 0)
        return false;
    Matrix4Identity(out);
    CModel* point = model->GetPartObject(part);
    int corners[4] = { 0, 1, 2, 3 };
    float weights[4] = {};
    if (desc->fireAnimation >= 0 && desc->fireAnimation < 4)
        weights[desc->fireAnimation] = 4.0f * trigger;
    if (point && point->FindFrameCorners(corners) && !point->GetBoxFrame(corners, weights, out))
        Matrix4Identity(out);
    return true;
}

void CGun::Draw(const Matrix4& frame, Matrix4 mount, int partGroup)
{
    ZJ_TRACE("CGun::Draw");
    if (!desc)
        return;
    if (!desc->prepared)
        g_GunManager.InitGun(Index());
    float weights[4] = {};
    if (desc->fireAnimation >= 0 && desc->fireAnimation < 4)
        weights[desc->fireAnimation] = 4.0f * trigger;
    if (desc->openAnimation >= 0 && desc->openAnimation < 4 && desc->openTime != 0.0f)
        weights[desc->openAnimation] = openTimer / desc->openTime;
    CComplexObject* model = ModelOf(desc->model.Index());
    Matrix4Multiply(barrelMatrix, mount, frame);
    if (model) {
        g_Graphic.SetWorldMatrix(barrelMatrix);
        model->Render(weights, 0, partGroup);
    }
    if (!desc->doubleGun)
        return;
    mount.m[12] = -mount.m[12];
    Matrix4Multiply(mirroredMatrix, mount, frame);
    if (model) {
        g_Graphic.SetWorldMatrix(mirroredMatrix);
        model->Render(weights, 0, partGroup);
    }
    if (desc->weaponClass == 0 && partGroup < 2) {
        if (CComplexObject* corbel = ModelOf(ZJEngine.ids2[CZJEngine::kModGunCorbel])) {
            const float none[4] = {};
            g_Graphic.SetWorldMatrix(barrelMatrix);
            corbel->Render(none, 0, partGroup);
            g_Graphic.SetWorldMatrix(mirroredMatrix);
            corbel->Render(none, 0, partGroup);
        }
    }
}

void CGun::DrawEffect(bool withoutFlash, int partGroup)
{
    ZJ_TRACE("CGun::DrawEffect");
    try {
        if (!desc)
            return;
        if (!desc->prepared)
            g_GunManager.InitGun(Index());
        Matrix4 points[3];
        int count = 1;
        if (!EffectPoint(0, points[0]))
            Matrix4Identity(points[0]);
        while (count < 3 && EffectPoint(count, points[count]))
            ++count;

        bool flashed = false;
        CComplexObject* effect = ModelOf(desc->effectModel.Index());
        const bool shows = desc->continuous ? trigger > 0.0f : timeSinceShot < 0.5f;
        if (!withoutFlash && effect && shows) {
            int frame;
            if (desc->continuous && trigger < 0.25f && fireCounter != 0)
                frame = int(trigger * 16.0f);
            else if (desc->continuous && trigger < 0.25f)
                frame = int(16.0f - trigger * 16.0f);
            else if (desc->continuous)
                frame = 4 + int(GameClock * 64.0) % 8;
            else
                frame = int(2.0f * float(FrameCount(effect->GetPartObject(0))) * timeSinceShot);
            effect->SetFrame(frame);
            lastFlashFrame = frame;
            const bool first = !(desc->doubleGun && desc->weaponClass == 1 && currentBarrel == 1);
            const bool second = desc->doubleGun && (desc->weaponClass != 1 || currentBarrel == 1);
            const float none[4] = {};
            for (int p = 0; p < count; ++p) {
                Matrix4 world;
                if (first) {
                    Matrix4Multiply(world, points[p], barrelMatrix);
                    g_Graphic.SetWorldMatrix(world);
                    effect->Render(none, 0, partGroup);
                }
                if (second) {
                    Matrix4Multiply(world, points[p], mirroredMatrix);
                    g_Graphic.SetWorldMatrix(world);
                    effect->Render(none, 0, partGroup);
                }
            }
            flashed = true;
        }
        const int chosen = flashed && count >= 2 ? SharedRandom.GetInt(count) : 0;
        Matrix4 point1, point2;
        Matrix4Multiply(point1, points[chosen], barrelMatrix);
        Matrix4Multiply(point2, points[chosen], mirroredMatrix);
        if (IsFiring())
            DrawShoot(desc->shotKind, point1, point2);
    } catch (...) {
        char line[96];
        std::snprintf(line, sizeof line, "ERROR in gun %s id",
            Index() == -1 ? "None" : g_GunManager.GetRowNames().GetStringOrDefault(Index()));
        WriteErrorLog(line);
        throw;
    }
}

void CGun::DrawShoot(int kind, const Matrix4& point1, const Matrix4& point2)
{
    ZJ_TRACE("CGun::DrawShoot");
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!desc || shotLength == 0.0f || !device)
        return;
    device->SetRenderState(RenderState::ZWriteEnable, 0);
    const Vec3 camera = CameraPosition(*device);
    CTexture* t0 = TextureOf(desc->shotTextures[0].Index());
    CTexture* t1 = TextureOf(desc->shotTextures[1].Index());
    const float time = timeSinceShot;
    switch (ShotKind(kind)) {
    case ShotKind::Laser:
    case ShotKind::Bolt:
        if (shotVisibility > 0.0f)
            DrawRays(kind, point1, point2, camera);
        break;
    case ShotKind::Ray:
        for (int p = 0; p < 2; ++p) {
            const Vec3 start = Translation(p == 0 ? point1 : point2);
            const float scroll = float(int(350.0f * float(p) + float(GameClock) * 3000.0f) % 1000);
            const Vec3 end { start.x + aim.x * shotLength, start.y + aim.y * shotLength,
                start.z + aim.z * shotLength };
            Mesh* mesh = EffectRenderManager.GetRayMesh2(
                start, end, desc->shotScale * 0.15f, camera, 700.0f, scroll);
            if (mesh && g_TexShaderManager)
                g_TexShaderManager->Apply(kSlotAlphaEffect, mesh, t0, t1);
        }
        break;
    case ShotKind::Arc:
        if (time <= 0.7f)
            DrawArc(point1, point2, camera);
        break;
    case ShotKind::Pulse:
        if (time <= 0.75f) {
            const Vec3 start = Translation(point1);
            const Vec3 end = shotEnds[currentBarrel];
            const float width = time > 0.5f ? 2.0f * time * desc->shotScale : desc->shotScale;
            const float brightness = time < 0.5f ? 1.0f : (0.75f - time) * 4.0f;
            SetTextureFrame(1, 16, std::min(14, int(time * 28.0f)));
            Mesh* mesh = EffectRenderManager.GetRayMesh(
                start, end, width, camera, brightness, false, 0.0f, width * 0.1f);
            if (mesh && g_TexShaderManager)
                g_TexShaderManager->Apply(kSlotAlphaEffectFactor, mesh, t0, t1);
            ResetTextureFrame();
        }
        break;
    default:
        break;
    }
    device->SetRenderState(RenderState::ZWriteEnable, 1);
}

void CGun::DrawRays(int kind, const Matrix4& point1, const Matrix4& point2, const Vec3& camera)
{
    plat::gfx::Device& device = *g_Graphic.GetDevice();
    CTexture* t0 = TextureOf(desc->shotTextures[0].Index());
    CTexture* t1 = TextureOf(desc->shotTextures[1].Index());
    const bool bolt = ShotKind(kind) == ShotKind::Bolt;
    const float brightness = fireCounter == 0 ? 0.5f : 2.0f * trigger;
    const float repeat = 1.0f / float(desc->fanSize + 1);
    const int step = int(GameClock * 16.0) % 4;
    const SavedStates saved(device);
    SetRayStates(device, -float(int(GameClock * 1000.0) % 100) * 0.01f);
    if (t0)
        t0->SetToStage(0);
    if (t1)
        t1->SetToStage(1);
    const int barrels = desc->doubleGun && desc->weaponClass != 1 ? 2 : 1;
    for (int b = 0; b < barrels; ++b) {
        Vec3 start = Translation(b == 0 ? point1 : point2);
        const Vec3 end { start.x + aim.x * shotLength, start.y + aim.y * shotLength,
            start.z + aim.z * shotLength };
        if (IsPlayersGun() && !PlayerObject->visible) {
            const Matrix4& m = PlayerObject->frame.matrix;
            start = Vec3 { start.x - m.m[2] * 10.0f, start.y - m.m[6] * 10.0f, start.z - m.m[10] * 10.0f };
        }
        device.SetRenderState(RenderState::DestBlend, plat::gfx::StateValue(plat::gfx::Blend::InvSrcAlpha));
        SetTextureFrame(1, bolt ? 8 : 4, step);
        if (Mesh* mesh = EffectRenderManager.GetRayMesh(
                start, end, desc->shotScale * 0.1f, camera, brightness, false, 0.0f, repeat))
            mesh->Render(true);
        if (!bolt)
            continue;
        device.SetRenderState(RenderState::DestBlend, plat::gfx::StateValue(plat::gfx::Blend::One));
        SetTextureFrame(1, 8, 4 + step);
        if (Mesh* mesh = EffectRenderManager.GetRayMesh(
                start, end, desc->shotScale * 0.3f, camera, brightness, false, 0.0f, repeat * 0.5f))
            mesh->Render(true);
    }
}

void CGun::DrawArc(const Matrix4& point1, const Matrix4& point2, const Vec3& camera)
{
    const int n = std::clamp(1 + int(shotLength / 10.0f), 1, kArcPoints - 1);
    arcSegments = n;
    const float time = timeSinceShot;
    CTexture* t0 = TextureOf(desc->shotTextures[0].Index());
    CTexture* t1 = TextureOf(desc->shotTextures[1].Index());
    const int barrels = desc->doubleGun ? 2 : 1;
    for (int b = 0; b < barrels; ++b) {
        const Vec3 start = Translation(b == 0 ? point1 : point2);
        Vec3 end;
        if (desc->doubleGun)
            end = Vec3 { (shotEnds[0].x + shotEnds[1].x) * 0.5f, (shotEnds[0].y + shotEnds[1].y) * 0.5f,
                (shotEnds[0].z + shotEnds[1].z) * 0.5f };
        else
            end = Vec3 { shotEnds[currentBarrel].x + aim.x * 3.0f, shotEnds[currentBarrel].y + aim.y * 3.0f,
                shotEnds[currentBarrel].z + aim.z * 3.0f };
        PushRandomState();
        if (b == 1)
            SharedRandom.Get(1.0f);
        arcPoints[0] = start;
        arcPoints[n] = end;
        for (int k = 1; k < n; ++k) {
            const float along = float(k + 1) / float(n);
            const float scale = float(n - k - 1) * desc->shotScale * 0.75f / float(n - 1);
            const float dx = RandRange(10.0f) - 5.0f;
            const float dy = RandRange(10.0f) - 5.0f;
            const float dz = RandRange(10.0f) - 5.0f;
            arcPoints[k] = Vec3 { start.x + (end.x - start.x) * along + dx * scale,
                start.y + (end.y - start.y) * along + dy * scale,
                start.z + (end.z - start.z) * along + dz * scale };
        }
        const int strands = int(std::max(1.0f, float(desc->fanSize) - float(desc->fanSize + 1) * time));
        for (int k = 0; k < n; ++k) {
            const int base = int(float(Rand()) + float(GameClock) * 32.0f) % 8;
            for (int j = 0; j < strands; ++j) {
                const Vec3& a = arcPoints[k];
                const Vec3& c = arcPoints[k + 1];
                Mesh* mesh = EffectRenderManager.GetRayMesh2(a, c, 2.0f, camera, 0.0f, 0.0f);
                if (!mesh || !g_TexShaderManager)
                    continue;
                SetTextureFrame(1, 8, (j + base) % 8);
                g_TexShaderManager->Apply(kSlotArc, mesh, t0, t1);
            }
        }
        ResetTextureFrame();
        PopRandomState();
    }
}

void CGun::SetShotLights(const Matrix4& frame, Matrix4 mount)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!desc || !device)
        return;
    const bool light = desc->weaponClass == 0;
    const float intensity = light ? float(4 + Rand() % 4) * trigger : (0.5f - trigger) * 8.0f;
    plat::gfx::Light shot;
    shot.type = plat::gfx::LightType::Point;
    const plat::gfx::ColorValue colour { desc->color[0] * intensity, desc->color[1] * intensity,
        desc->color[2] * intensity, desc->color[3] };
    shot.diffuse = shot.specular = shot.ambient = colour;
    shot.range = light ? 5.0f : 30.0f;
    shot.attenuation0 = 0.001f;
    shot.attenuation1 = light ? 1.0f : 0.2f;
    shot.attenuation2 = 0.0f;
    Matrix4 world;
    Vec3 at;
    Matrix4Multiply(world, mount, frame);
    TransformCoord(at, desc->muzzleOffset, world);
    shot.position = plat::gfx::Vector3 { at.x, at.y, at.z };
    device->SetLight(kShotLight1, shot);
    device->LightEnable(kShotLight1, !desc->doubleGun || light || currentBarrel == 0);
    mount.m[12] = -mount.m[12];
    Matrix4Multiply(world, mount, frame);
    TransformCoord(at, desc->muzzleOffset, world);
    shot.position = plat::gfx::Vector3 { at.x, at.y, at.z };
    device->SetLight(kShotLight2, shot);
    device->LightEnable(kShotLight2, light || (desc->doubleGun && currentBarrel == 1));
}
