// CParticleArray: the particles of one emitter. An emitter alternates bursts and pauses; while it
// emits, rate x the time since the last spawn particles are born along the emission direction
// within the spread, then move, feel the force keys, slow by drag and age until their life is
// spent. The description may be shared by clones (each with its own particles). Main thread only.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/XSlotPool.h"
#include "render/ParticleBlock.h"

#include <cstdint>
#include <memory>
#include <vector>

struct SParticle {
    float unused0[2];
    float position[3];
    float unused1[2];
    float velocity[3];
    float life; // seconds left x decay
    float phase; // random 0-1
    float angle[2];
    float decay; // life shrinks by this per second
};
static_assert(sizeof(SParticle) == 60);

// Multiplies the upper 3x3 of a 4x4 matrix by factor.
void ScaleMatrixAxes(Matrix4& matrix, float factor);

class CParticleArray {
public:
    CParticleArray();
    virtual ~CParticleArray();
    CParticleArray(const CParticleArray&) = delete;
    CParticleArray& operator=(const CParticleArray&) = delete;

    virtual void Update(float dt) { Generate(dt); }
    // The pool of maxParticles, the direction normalised, the clocks cleared.
    virtual void InitEmitter();
    virtual void FreeArrays();
    virtual void OnNewParticle(SParticle& particle) { (void)particle; }

    // Takes a block's description (its own copy).
    void SetBlock(const SParticleBlock& block);
    void Generate(float dt);
    void Build(int count);

    SEmitterDesc& Desc() { return *m_desc; }
    const SEmitterDesc& Desc() const { return *m_desc; }
    XSlotPool<SParticle>& Pool() { return m_pool; }
    uint32_t KeyCount() const { return m_keyCount; }
    const Vec3& BoundsMin() const { return m_boundsMin; }
    const Vec3& BoundsMax() const { return m_boundsMax; }
    float SpawnClock() const { return m_spawnClock; }
    float BurstClock() const { return m_burstClock; }
    float PauseClock() const { return m_pauseClock; }

    Matrix4 matrix {};

protected:
    std::shared_ptr<SEmitterDesc> m_desc;
    uint32_t m_keyCount = 0;
    float m_spawnClock = 0;
    float m_burstClock = 0;
    float m_pauseClock = 0;
    Vec3 m_boundsMin { 0, 0, 0 };
    Vec3 m_boundsMax { 0, 0, 0 };
    XSlotPool<SParticle> m_pool;
};
