// CExploObject: an explosion (type code 15). It stands where it was made (or follows the object it
// is attached to), deals its area damage and impulse once, lights its surroundings for two seconds
// and plays up to eight stages of its explosion row: sprites, sparks, particle rings, debris,
// expanding shells, ground marks, smoke rings, sub-explosions and splinters. When its time is over
// it leaves the object list.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"
#include "platform/gfx/types.h"
#include "render/CVertexData.h"
#include "world/objects/CSmoke.h"
#include "world/objects/CZJObject.h"

#include <cstdint>

struct SExploType;
struct SExploLayer;

class CExploObject : public CZJObject {
public:
    static constexpr int kStages = 8;
    // Particles (or shells) of one stage; a row's NUM above it is cut to it.
    static constexpr int kMaxParticles = 64;
    // The light shines this long of explosion time.
    static constexpr float kLightTime = 2.0f;

    // Stage kinds: a row's TYPE%d.
    enum EStage : int32_t {
        kEmpty = 0,
        kSprite = 1,
        kSheetSprite = 2,
        kGroundMark = 3,
        kScorchMark = 4,
        kSparks = 5,
        kRing = 6,
        kDebris = 7,
        kShells = 8,
        kSmokeRing = 9,
        kSubExplosions = 10,
        kSplinters = 11,
    };

    // One particle of a stage: sparks, ring and debris particles move; shells keep size and alpha.
    struct SParticle {
        Vec3 velocity;
        Vec3 position;
        int32_t frame; // sheet frame
        float size;
        float alpha;
    };

    // type 15, runs, visible, notifyOnDelete; nothing attached, baseVelocity 0.
    CExploObject();
    ~CExploObject() override;

    // Slot 2: queued on the effect renderer's deferred list while it collects, else drawn at once.
    void Draw() override;
    // Slot 4: the explosion light for the first kLightTime seconds.
    void PreDraw() override;
    // Slot 6: damage once, stage motion, spawning, time and removal.
    void Run() override;
    // Slot 7: draws the stages.
    void DrawEffect(int argument) override;
    // Slot 8: the owner's deletion clears owner.
    void ProcessDelete(CZJObject* deleted) override;

    // Slot 11 stays empty: explosions are set up only by the Init below.
    using CZJObject::Init;
    // Takes the frame and the row (a row outside the explosion table throws XRangeError), picks
    // the stages' textures, models and particles, plays the sound and notes the light.
    void Init(const Matrix4& frameMatrix, int32_t rowIndex);
    // Follows parent from now on, at the present offset from it.
    void AttachTo(CZJObject* parent);

    // The explosion row; Init must have run.
    const SExploType& Row() const;
    // Stage i's particles.
    XDynamicArray<SParticle>& Particles(int i) { return particles[i]; }
    const XDynamicArray<SParticle>& Particles(int i) const { return particles[i]; }

    float heightAboveGround = 0.0f; // position z minus the terrain height at Init
    float elapsed = 0.0f; // explosion time, runs at timeRate
    float remaining = 0.5f; // time left; raised to the latest stage end at Init
    float timeRate = 1.0f; // 0.667 .. 1.327, picked at Init
    uint8_t attached = 0; // follows owner
    Vec3 attachOffset {}; // own position minus the owner's
    uint8_t damageDone = 0;
    // Sheet frame; the spark count of kind 5; the sub-explosions or splinters made of kinds 10, 11.
    int32_t stageFrame[kStages] = {};
    int32_t stageTexture[kStages] = {}; // picked from the stage's texture list
    int32_t stageModel[kStages] = {}; // picked from the stage's model list
    int32_t stageBlend[kStages] = {}; // stage kind 1: 1 additive glow, 0 alpha blend
    CSmoke stageSmoke[kStages]; // stage kind 9
    Vec3 baseVelocity {}; // added to every splinter's velocity
    plat::gfx::Light light {};

private:
    void InitStage(int i, const SExploLayer& stage);
    void RunStage(int i, const SExploLayer& stage, float dt);
    void DealAreaDamage();
    void SpawnSubExplosions(int i, const SExploLayer& stage, float dt);
    void SpawnSplinters(int i, const SExploLayer& stage, float dt);
    void DrawStage(int i, const SExploLayer& stage, float dt);
    void BuildGroundMark(int i, float markRadius);

    XDynamicArray<SParticle> particles[kStages];
    CVertexData decals[kStages]; // ground mark (kinds 3, 4) or sphere (kind 8)
    uint8_t decalBuilt[kStages] = {};
};
