// CEnvFX: the weather particle effects (rain, snow, storm) that fill a box around the camera.
// The environment owns at most one; it moves the box with the camera, runs and draws the effect.
// Particle records begin with the position and a flag word whose second byte marks a particle
// that was wrapped to the other side of the box this frame. Main thread only.
#pragma once

#include "foundation/Vector.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

class Mesh;

class CEnvFX {
public:
    // Common head of every particle record.
    struct SParticle {
        Vec3 position;
        uint32_t flags; // second byte: wrapped this frame
    };
    // Snow and storm particles.
    struct SFlake {
        SParticle head;
        Vec3 velocity;
        float speed;
    };
    static_assert(sizeof(SFlake) == 32);
    static constexpr uint32_t kWrapped = 0x100;
    static constexpr int kMaxRainParticles = 21845; // three 16-bit-indexed vertices each
    static constexpr int kMaxPointParticles = 65535;
    enum EFade { kSteady = 0, kFadeIn = 1, kFadeOut = 2 };

    CEnvFX();
    virtual ~CEnvFX();
    CEnvFX(const CEnvFX&) = delete;
    CEnvFX& operator=(const CEnvFX&) = delete;

    // Stores the intensity, sizes the particles (trunc(intensity x 8000); none for an intensity
    // that is not above 0 or not finite; capped at the effect's limit, logged), creates the
    // vertex buffer, looks the texture up and seeds.
    virtual void Init(float intensityValue);
    virtual void Seed() { }
    virtual void Render() { }
    // The base fades only.
    virtual void Run(float dt) { UpdateFade(dt); }
    virtual int GetParticleSize() const { return 16; }
    virtual void CenterChanged() { }

    // Shown at once: level 1, every particle active, steady.
    void Start();
    void UpdateFade(float dt);
    // Moves particles that left the box across it by whole box widths and marks them wrapped.
    void Check();
    // Check for one particle.
    void Wrap(SParticle& particle) const
    {
        const float r = halfSize;
        const float dx = particle.position.x - center.x;
        const float dy = particle.position.y - center.y;
        const float dz = particle.position.z - center.z;
        if (std::fabs(dx) <= r && std::fabs(dy) <= r && std::fabs(dz) <= r * 0.5f)
            particle.flags &= ~kWrapped;
        else
            WrapOutside(particle);
    }
    // Moves the box; a jump farther than 1.5 x the half-size (squared distance) re-seeds.
    void SetCenter(float x, float y, float z);

    SParticle& ParticleAt(int i)
    {
        return *reinterpret_cast<SParticle*>(particles.get() + size_t(i) * size_t(GetParticleSize()));
    }

    float level = 0.0f;
    Vec3 center {};
    std::unique_ptr<uint8_t[]> particles;
    int32_t maxParticles = 0;
    float halfSize = 0.0f;
    float intensity = 0.0f;
    int32_t activeParticles = 0;
    int32_t fadeMode = kSteady;
    int32_t texture = -1;
    // Vertices built by the last Render.
    uint32_t drawnVertices = 0;

protected:
    virtual int ParticleLimit() const { return kMaxPointParticles; }
    virtual const char* TextureName() const = 0;
    virtual float BoxHalfSize() const = 0;
    virtual void CreateBuffer() = 0;
    void WrapOutside(SParticle& particle) const;
    // A position x, y in [-R, R), z in [-R/2, R/2) around the centre.
    void SeedPosition(SParticle& particle) const;
    // Point sprites (snow, storm): a buffer of maximum-particles points, and the draw of the
    // active particles in view with shader 24.
    void CreatePointBuffer();
    void RenderPoints();
    SFlake& FlakeAt(int i) { return reinterpret_cast<SFlake*>(particles.get())[i]; }

    std::unique_ptr<Mesh> m_mesh;
};

// Snow: a flake's flag word holds its speed class (0-9) in the low byte.
class CEnvFXSnow : public CEnvFX {
public:
    void Seed() override;
    void Render() override { RenderPoints(); }
    void Run(float dt) override;
    int GetParticleSize() const override { return 32; }

protected:
    const char* TextureName() const override { return "TEX_FX_ENV_SNOW"; }
    float BoxHalfSize() const override { return 25.0f; }
    void CreateBuffer() override { CreatePointBuffer(); }

private:
    std::vector<uint16_t> m_draws; // this frame's random draws, one a flake
    std::vector<float> m_amplitudes; // their swing amplitudes
    std::vector<uint32_t> m_outside; // flakes that left the box this frame
    Vec3 m_wind {}; // the wind the velocities were last set for
    bool m_fresh = true; // seeded since: velocities not yet set for the wind
};

class CEnvFXStorm : public CEnvFX {
public:
    void Seed() override;
    void Render() override { RenderPoints(); }
    void Run(float dt) override;
    int GetParticleSize() const override { return 32; }

protected:
    const char* TextureName() const override { return "TEX_FX_ENV_STORM"; }
    float BoxHalfSize() const override { return 50.0f; }
    void CreateBuffer() override { CreatePointBuffer(); }
};

class CEnvFXRain : public CEnvFX {
public:
    struct SDrop {
        SParticle head;
        Vec3 tail; // relative to the centre
    };
    static_assert(sizeof(SDrop) == 28);

    void Seed() override;
    void Render() override;
    void Run(float dt) override;
    int GetParticleSize() const override { return 28; }

    Vec3 previousCenter {};
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;

protected:
    int ParticleLimit() const override { return kMaxRainParticles; }
    const char* TextureName() const override { return "TEX_FX_ENV_RAIN"; }
    float BoxHalfSize() const override { return 50.0f; }
    void CreateBuffer() override;
};

// Whether a world point lies in view of the combined view-projection matrix: w >= 0 and |x|,
// |y| below 1.02 w.
bool PointInView(const Vec3& point);
