// CExploObject's stages: what each kind sets up at Init and does every frame, the sub-explosions
// of kind 10 and the splinters of kind 11.
#include "world/objects/CExploObject.h"

#include "foundation/CTimer.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "world/objects/CCamera.h"
#include "world/objects/CExploObject_local.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kGravity = 29.4f;

// The camera's distance thins the sparks: half beyond 100, an eighth beyond 200, none beyond 300.
int ThinnedSparks(int count, float distance)
{
    if (distance > 300.0f)
        return 0;
    if (distance > 200.0f)
        return count / 8;
    if (distance > 100.0f)
        return count / 2;
    return count;
}

Vec3 CameraPosition(const Vec3& fallback)
{
    return CameraObject ? CameraObject->frame.position : fallback;
}

} // namespace

void CExploObject::InitStage(int i, const SExploLayer& stage)
{
    const Vec3& p = frame.position;
    const Matrix4& m = frame.matrix;
    XDynamicArray<SParticle>& pool = particles[i];
    const int count = Explo::StageCount(typeIndex, stage);
    switch (stage.kind) {
    case kSprite:
        stageBlend[i] = stage.extraKind == 2 ? Rand() % 2 : stage.extraKind;
        break;
    case kSheetSprite:
        stageFrame[i] = Rand() % Explo::SheetFrames(stage);
        break;
    case kSparks: {
        const int wanted = stage.count == 0 ? Rand() % 3 + 1 : count;
        const float distance = Vec3Length(Explo::Sub(CameraPosition(p), p));
        stageFrame[i] = ThinnedSparks(wanted, distance);
        pool.SetSize(stageFrame[i]);
        for (SParticle& spark : pool) {
            const float a = float(Rand() % 10);
            const float b = float(Rand() % 10);
            const Vec3 direction = Explo::Normalised(Vec3 { 2.0f - 0.4f * a, 2.0f - 0.4f * b, 1.0f });
            spark.velocity = Explo::Scale(direction, stage.speed * (0.5f + 0.1f * float(Rand() % 10)));
            spark.position = p;
            spark.frame = Rand() % Explo::SheetFrames(stage);
        }
        break;
    }
    case kRing: {
        pool.SetSize(count);
        const float phase = float(Rand() % 100) * kPi * 0.02f;
        for (int k = 0; k < count; ++k) {
            const float angle = 2.0f * kPi * float(k) / float(count) + phase;
            Vec3 direction;
            TransformNormal(direction, Vec3 { std::cos(angle), std::sin(angle), 0.1f }, m);
            SParticle& particle = pool.At(k);
            particle.position = Explo::Add(p, Explo::Scale(direction, 0.1f));
            particle.velocity = Explo::Scale(direction, stage.speed);
        }
        break;
    }
    case kDebris: {
        pool.SetSize(count);
        for (SParticle& particle : pool) {
            const float a = float(Rand() % 100);
            const float b = float(Rand() % 100);
            const float c = float(Rand() % 100);
            const float d = float(Rand() % 10);
            particle.velocity = Explo::Scale(Vec3 { 1.0f - 0.02f * a, 1.0f - 0.02f * b, 1.0f - 0.02f * c },
                stage.speed * (0.5f + 0.1f * d));
            const float back = FrameTime * 0.1f * float(5 + Rand() % 5);
            particle.position = Explo::Sub(p, Explo::Scale(particle.velocity, back));
        }
        break;
    }
    case kShells: {
        pool.SetSize(count);
        for (int k = 0; k < count; ++k) {
            const float f = float(k + 1) * 0.1f;
            pool.At(k).alpha = 1.0f - f * f;
            pool.At(k).size = f * stage.scale;
        }
        const Vec3 view = CameraObject ? CameraObject->frame.forward : Vec3 { 0.0f, 0.0f, 1.0f };
        CEffectRenderManager::CreateSphereEx(decals[i], 1.0f, 6, 0xFFFFFFFFu, view, true);
        decalBuilt[i] = 1;
        break;
    }
    case kSmokeRing: {
        if (count == 0)
            break;
        const float scale = stage.scale;
        CSmoke& smoke = stageSmoke[i];
        smoke.Init(0, 4 * count + 10, p, float(count) / (2.0f * kPi * scale), stage.duration * 0.66f,
            8.0f * kPi * scale / float(count + 1), (stage.speed * stage.duration + scale) / scale);
        const Vec3 side = Explo::Column(m, 0);
        const Vec3 up = Explo::Column(m, 1);
        const Vec3 lift = Explo::Scale(Explo::Column(m, 2), 0.1f);
        smoke.emitterPoint = Explo::Add(p, Explo::Scale(up, scale));
        for (int k = 0; k <= 20; ++k) {
            const float angle = float(k) * kPi * 0.1f;
            const Vec3 onCircle = Explo::Add(
                Explo::Scale(up, std::cos(angle) * scale), Explo::Scale(side, std::sin(angle) * scale));
            smoke.EmitTo(Explo::Add(Explo::Add(p, onCircle), lift), 1.0f, 0xFFFFFFu);
        }
        break;
    }
    default:
        break;
    }
}

void CExploObject::RunStage(int i, const SExploLayer& stage, float dt)
{
    const float t = elapsed - stage.delay;
    const float p = t / stage.duration;
    XDynamicArray<SParticle>& pool = particles[i];
    switch (stage.kind) {
    case kSparks:
        for (SParticle& spark : pool) {
            spark.velocity.z -= dt * kGravity * 3.0f;
            Vec3AddInPlace(spark.position, Explo::Scale(spark.velocity, dt));
        }
        break;
    case kRing:
        for (SParticle& particle : pool)
            Vec3AddInPlace(particle.position, Explo::Scale(particle.velocity, dt));
        break;
    case kDebris:
        for (SParticle& particle : pool) {
            Vec3AddInPlace(particle.position, Explo::Scale(particle.velocity, dt));
            Vec3ScaleInPlace(particle.velocity, 1.0f / std::exp(1.5f * dt));
            particle.velocity.z -= kGravity * dt;
        }
        break;
    case kShells:
        if (p >= 0.0f) {
            const float q = std::min(p, 1.0f);
            const int count = pool.Count();
            for (int k = 0; k < count; ++k) {
                const float g = 0.3f - 0.3f * float(k) / float(count);
                pool.At(k).alpha = 1.0f - q;
                pool.At(k).size = ((1.0f - g) * std::sqrt(q) + g) * stage.scale;
            }
        }
        break;
    case kSmokeRing:
        if (p >= 0.0f && stageSmoke[i].ready) {
            stageSmoke[i].Update(dt);
            stageSmoke[i].PushFrom(dt * stage.speed, frame.position);
        }
        break;
    case kSubExplosions:
        SpawnSubExplosions(i, stage, dt);
        break;
    case kSplinters:
        SpawnSplinters(i, stage, dt);
        break;
    default:
        break;
    }
}

void CExploObject::SpawnSubExplosions(int i, const SExploLayer& stage, float dt)
{
    const int count = Explo::StageCount(typeIndex, stage);
    if (stage.explosion.Index() < 0)
        return;
    // q2: the stage's share at the end of this frame's step of the explosion clock. stageFrame
    // counts those made, so that none is repeated or lost however the steps fall.
    const float q2 = (elapsed + dt * timeRate - stage.delay) / stage.duration * timeRate;
    if (!(q2 > 0.0f))
        return;
    const int n = stageFrame[i];
    const int n2 = q2 >= 1.0f ? count : std::min(int(float(count) * std::sqrt(q2)), count);
    stageFrame[i] = std::max(n, n2);
    for (int k = n + 1; k <= n2; ++k) {
        Vec3 v { float(Rand() % 100 - 50) * 0.02f, float(Rand() % 100 - 50) * 0.02f,
            float(Rand() % 100 - 50) * 0.02f };
        if (Vec3Length(v) > 1.0f)
            v = Explo::Normalised(v);
        Matrix4 placement;
        Matrix4Identity(placement);
        const Vec3 at = Explo::Add(frame.position, Explo::Scale(v, stage.scale));
        placement.m[12] = at.x;
        placement.m[13] = at.y;
        placement.m[14] = at.z;
        auto* sub = static_cast<CExploObject*>(
            g_ExploManager.CreateObject(stage.explosion.Key(), placement.m, nullptr));
        sub->remote = remote;
        sub->owned = owned;
        if (attached && owner)
            sub->AttachTo(owner);
    }
}

void CExploObject::SpawnSplinters(int i, const SExploLayer& stage, float dt)
{
    const int count = Explo::StageCount(typeIndex, stage);
    // Those due by the end of this frame's step of the explosion clock; stageFrame counts those
    // made, so that exactly NUM come however the steps fall.
    const float t = elapsed + dt * timeRate - stage.delay;
    if (!(t > 0.0f))
        return;
    const int n = stageFrame[i];
    const int n2 = t >= stage.duration ? count : std::min(int(float(count) / stage.duration * t), count);
    stageFrame[i] = std::max(n, n2);
    for (int k = n; k < n2; ++k) {
        const float s = (0.75f + SharedRandom.Get(0.5f)) * stage.scale;
        Matrix4 placement;
        Matrix4Identity(placement, s);
        placement.m[12] = frame.position.x;
        placement.m[13] = frame.position.y;
        placement.m[14] = frame.position.z;
        auto splinter = std::make_unique<CSplinterObject>();
        splinter->Spawn(placement, stage.models[stageModel[i]].Key(), stage.extraKind, nullptr);
        CSplinterObject* added = splinter.release();
        ObjectList.AddObject(added);
        added->owner = owner;
        const float a = float(Rand() % 10);
        const float b = float(Rand() % 10);
        const float c = float(Rand() % 10);
        const float e = float(Rand() % 10);
        const Vec3 direction = Explo::Normalised(Vec3 { 2.0f - 0.4f * a, 2.0f - 0.4f * b, 1.5f - 0.05f * c });
        added->velocity = Explo::Add(Explo::Scale(direction, stage.speed * (0.15f * e + 0.1f)), baseVelocity);
    }
}
