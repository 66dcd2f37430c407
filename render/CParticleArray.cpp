#include "render/CParticleArray.h"

#include "foundation/XRandom.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A signed spread angle: the sign and the size come from one draw.
float SpreadAngle(float spread)
{
    const float u = SharedRandom.Get(1.0f);
    return (u > 0.5f ? 1.0f : -1.0f) * u * spread * 0.5f;
}

void ApplyForce(const SForceKey& key, float dt, float* v)
{
    switch (key.kind) {
    case 0:
        v[0] += key.a * dt;
        v[1] += key.b * dt;
        v[2] += key.c * dt;
        break;
    case 1:
        v[0] += (key.a - key.d + SharedRandom.Get(2 * key.d)) * dt;
        v[1] += (key.b - key.e + SharedRandom.Get(2 * key.e)) * dt;
        v[2] += (key.c - key.f + SharedRandom.Get(2 * key.f)) * dt;
        break;
    case 2: {
        auto turn = [](float& p, float& q, float angle) {
            const float c = std::cos(angle), s = std::sin(angle);
            const float np = p * c - q * s;
            q = p * s + q * c;
            p = np;
        };
        if (key.a != 0)
            turn(v[1], v[2], key.a * dt);
        if (key.b != 0)
            turn(v[2], v[0], key.b * dt);
        if (key.c != 0)
            turn(v[0], v[1], key.c * dt);
        break;
    }
    default:
        break;
    }
}

} // namespace

void ScaleMatrixAxes(Matrix4& matrix, float factor)
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            matrix.m[4 * r + c] *= factor;
    }
}

CParticleArray::CParticleArray()
    : m_desc(std::make_shared<SEmitterDesc>())
{
    Matrix4Identity(matrix);
}

CParticleArray::~CParticleArray() = default;

void CParticleArray::SetBlock(const SParticleBlock& block)
{
    m_desc = std::make_shared<SEmitterDesc>(block.desc);
    m_keyCount = block.keyCount;
}

void CParticleArray::InitEmitter()
{
    m_pool.Init(int(std::min<uint32_t>(m_desc->maxParticles, 0x7FFFFFF)));
    Vec3 direction { m_desc->direction[0], m_desc->direction[1], m_desc->direction[2] };
    Vec3Normalize(direction, direction);
    m_desc->direction[0] = direction.x;
    m_desc->direction[1] = direction.y;
    m_desc->direction[2] = direction.z;
    m_spawnClock = m_burstClock = m_pauseClock = 0;
}

void CParticleArray::FreeArrays()
{
    m_pool.Free();
}

void CParticleArray::Generate(float dt)
{
    const SEmitterDesc& d = *m_desc;
    m_spawnClock += dt;
    m_boundsMin = { 1e10f, 1e10f, 1e10f };
    m_boundsMax = { -1e10f, -1e10f, -1e10f };
    bool extended = false;
    const float dragFactor = d.drag != 0 ? std::exp2(-d.drag * dt) : 1.0f;
    for (int slot = m_pool.First(); slot;) {
        const int next = m_pool.Next(slot);
        SParticle& p = m_pool.At(slot);
        p.life -= dt * p.decay;
        for (const SForceKey& key : d.keys) {
            if (key.enabled)
                ApplyForce(key, dt, p.velocity);
        }
        if (d.drag != 0) {
            for (float& v : p.velocity)
                v *= dragFactor;
        }
        for (int i = 0; i < 3; ++i)
            p.position[i] += p.velocity[i] * dt;
        if (p.life > 0) {
            m_boundsMin = { std::min(m_boundsMin.x, p.position[0]), std::min(m_boundsMin.y, p.position[1]),
                std::min(m_boundsMin.z, p.position[2]) };
            m_boundsMax = { std::max(m_boundsMax.x, p.position[0]), std::max(m_boundsMax.y, p.position[1]),
                std::max(m_boundsMax.z, p.position[2]) };
            extended = true;
        } else {
            m_pool.Remove(slot);
        }
        slot = next;
    }
    if (!extended)
        m_boundsMin = m_boundsMax = { 0, 0, 0 };

    if (m_burstClock >= d.burstDuration) {
        m_burstClock = 0;
        m_pauseClock += dt;
    }
    if (m_burstClock == 0 && m_pauseClock <= d.pauseDuration) {
        m_pauseClock += dt;
        return;
    }
    m_pauseClock = 0;
    m_burstClock += dt;
    const float due = d.rate * m_spawnClock;
    if (due > 1.0f)
        Build(int(std::min(due, float(m_pool.Capacity()) + 1.0f)));
}

void CParticleArray::Build(int count)
{
    const SEmitterDesc& d = *m_desc;
    if (d.lifetime > 0) {
        for (int i = 0; i < count; ++i) {
            const float a1 = SpreadAngle(d.spread);
            const float a2 = SpreadAngle(d.spread);
            const float a3 = SpreadAngle(d.spread);
            const float a4 = SpreadAngle(d.spread);
            const float x = d.direction[0], y = d.direction[1], z = d.direction[2];
            const float rho = std::sqrt(x * x + y * y + z * z);
            float theta = rho > 0 ? std::acos(std::clamp(z / rho, -1.0f, 1.0f)) : 0.0f;
            const float planar = std::sqrt(x * x + y * y);
            float phi = planar > 0 ? std::acos(std::clamp(x / planar, -1.0f, 1.0f)) : 0.0f;
            if (y < 0)
                phi = -phi;
            theta += a4;
            phi += SharedRandom.Get(1.0f) * float(M_PI);

            const float X = rho * std::sin(phi) * std::sin(theta);
            const float Y = rho * std::cos(phi) * std::sin(theta);
            const float Z = rho * std::cos(theta);
            const float X1 = X * std::cos(a1) + Y * std::sin(a1);
            const float Y1 = Y * std::cos(a1) - X * std::sin(a1);
            const float Y2 = Y1 * std::cos(a2) + Z * std::sin(a2);
            const float Z2 = Z * std::cos(a2) - Y1 * std::sin(a2);
            const float A = Z2 * std::cos(a1) + X1 * std::sin(a1);
            const float B = X1 * std::cos(a1) - Z2 * std::sin(a1);
            const float speed = d.speed - d.speedVariation + SharedRandom.Get(1.0f) * 2 * d.speedVariation;

            SParticle p {};
            for (int k = 0; k < 3; ++k)
                p.velocity[k] = speed * (Y2 * d.matrix[k] + B * d.matrix[4 + k] + A * d.matrix[8 + k]);
            p.decay = 0.875f + SharedRandom.Get(1.0f) * 0.125f;
            p.life = p.decay * d.lifetime;
            p.phase = SharedRandom.Get(1.0f);
            p.angle[0] = a2;
            p.angle[1] = a3;
            for (int k = 0; k < 3; ++k) {
                p.position[k] = d.matrix[12 + k];
                if (d.subFramePlacement)
                    p.position[k] += p.velocity[k] * m_spawnClock;
            }
            const int slot = m_pool.Add(p);
            if (slot < 0)
                break;
            OnNewParticle(m_pool.At(slot));
        }
    }
    m_spawnClock = 0;
}
