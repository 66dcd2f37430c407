// The effect renderer's geometry builders: the lit grid patch, spheres and camera-facing beams.
#include "world/terrain/CEffectRenderManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/fvf.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

struct GridVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
static_assert(sizeof(GridVertex) == 32);

// Position, diffuse and two texture sets: the beam buffer's and the spheres' format.
struct EffectVertex {
    float x, y, z;
    uint32_t diffuse;
    float u0, v0, u1, v1;
};
static_assert(sizeof(EffectVertex) == 32);
constexpr uint32_t kEffectFormat = plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse | plat::gfx::fvf::kTex2;

Vec3 Add(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x + b.x, a.y + b.y, a.z + b.z };
}
Vec3 Sub(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x - b.x, a.y - b.y, a.z - b.z };
}
Vec3 Scale(const Vec3& a, float s)
{
    return Vec3 { a.x * s, a.y * s, a.z * s };
}
float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}
float Length(const Vec3& a)
{
    return std::sqrt(Dot(a, a));
}

// A signed direction component as a byte: value x 127, two's complement.
uint32_t SignedByte(float value)
{
    return uint32_t(int32_t(value)) & 0xFFu;
}

uint32_t Encode(float alpha, float x, float y, float z)
{
    return SignedByte(alpha) << 24 | SignedByte(-127.0f * x) << 16 | SignedByte(-127.0f * y) << 8
        | SignedByte(127.0f * z);
}

uint32_t WhiteWithAlpha(float alpha)
{
    return uint32_t(std::clamp(int(alpha), 0, 255)) << 24 | 0x00FFFFFFu;
}

} // namespace

bool CEffectRenderManager::BuildGridPatch(float x1, float y1, float x2, float y2, float lightX, float lightY)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const uint32_t columns = std::max(2u, (uint32_t(std::fabs(dx)) >> 5) + 1);
    const uint32_t rows = std::max(2u, (uint32_t(std::fabs(dy)) >> 5) + 1);
    m_work.vertexCount = m_work.indexCount = 0;
    m_work.firstVertex = m_work.firstIndex = 0;
    const uint32_t indices = std::fabs(dy) >= 32.0f ? (columns - 1) * (rows - 1) * 6 : 0;
    if (columns * rows > m_work.vertexCapacity || indices > m_work.indexCapacity) {
        WriteErrorLog("CEffectRenderManager::BuildGridPatch patch larger than the screen");
        return false;
    }
    const float width = float(g_Graphic.ScreenWidth());
    const float height = width * 0.03f;
    auto* out = reinterpret_cast<GridVertex*>(m_work.vertices);
    for (uint32_t j = 0; j < rows; ++j) {
        for (uint32_t i = 0; i < columns; ++i) {
            const float u = float(i) / float(columns - 1);
            const float v = float(j) / float(rows - 1);
            const float x = x1 + dx * u;
            const float y = y1 + dy * v;
            const Vec3 d { lightX - x, lightY - y, height };
            const float length = Length(d);
            const Vec3 n = length > 0.0f ? Scale(d, 1.0f / length) : Vec3 { 0.0f, 0.0f, 1.0f };
            const float fall = width > 0.0f ? 1.0f - length / (width * 3.0f) : 1.0f;
            const float alpha = -128.0f * std::max(0.05f, fall * fall);
            Vec3 half = Add(n, Vec3 { 0.0f, 0.0f, 1.0f });
            const float halfLength = Length(half);
            half = halfLength > 0.0f ? Scale(half, 1.0f / halfLength) : Vec3 { 0.0f, 0.0f, 1.0f };
            out[j * columns + i] = GridVertex { x, y, 0.0f, 0.00001f, Encode(alpha, n.x, n.y, n.z),
                Encode(0.0f, half.x, half.y, half.z) + 0x10808080u, u, v };
        }
    }
    uint16_t* index = m_work.indices;
    for (uint32_t j = 0; indices && j + 1 < rows; ++j) {
        for (uint32_t i = 0; i + 1 < columns; ++i) {
            const auto a = uint16_t(j * columns + i);
            const auto b = uint16_t(a + 1);
            const auto c = uint16_t(a + columns);
            const auto d = uint16_t(c + 1);
            for (uint16_t k : { a, b, c, c, b, d })
                *index++ = k;
        }
    }
    m_work.vertexCount = columns * rows;
    m_work.indexCount = indices;
    return true;
}

void CEffectRenderManager::CreateSphereEx(
    CVertexData& target, float radius, int n, uint32_t colour, const Vec3& d, bool rim)
{
    ZJ_TRACE("CEffectRenderManager::CreateSphereEx");
    n = std::max(1, n);
    const auto ring = uint32_t(n + 5);
    const uint32_t vertexCount = uint32_t(n + 1) * ring + 2;
    const uint32_t indexCount = (ring * uint32_t(n) * 2 + 8) * 3;
    target.Allocate(kEffectFormat, vertexCount, indexCount);
    target.firstVertex = target.firstIndex = 0;

    const float dLength = Length(d);
    const Vec3 view = dLength > 0.0f ? Scale(d, 1.0f / dLength) : Vec3 { 0.0f, 0.0f, 1.0f };
    const Vec3 up = std::fabs(view.z) < 0.99f ? Vec3 { 0.0f, 0.0f, 1.0f } : Vec3 { 1.0f, 0.0f, 0.0f };
    Vec3 e1 = Cross(view, up);
    e1 = Scale(e1, 1.0f / Length(e1));
    const Vec3 e2 = Cross(view, e1);
    const float alpha = float(colour >> 24);

    auto* out = reinterpret_cast<EffectVertex*>(target.vertices);
    auto put = [&](uint32_t i, const Vec3& normal) {
        uint32_t c = colour;
        if (rim) {
            const float a = alpha * std::max(0.0f, 3.0f * std::fabs(Dot(view, normal)) - 2.0f);
            c = (colour & 0x00FFFFFFu) | uint32_t(a) << 24;
        }
        const float u = (Dot(e1, normal) + 1.0f) * 0.5f;
        const float v = (Dot(e2, normal) + 1.0f) * 0.5f;
        out[i] = EffectVertex { normal.x * radius, normal.y * radius, normal.z * radius, c, u, v, u, v };
    };
    put(0, Vec3 { 0.0f, 0.0f, 1.0f });
    for (int r = 0; r <= n; ++r) {
        const float theta = float(r + 1) * kPi / float(n + 2);
        for (uint32_t i = 0; i < ring; ++i) {
            const float phi = 2.0f * kPi * float(i % (ring - 1)) / float(n + 4);
            put(1 + uint32_t(r) * ring + i,
                Vec3 { std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta), std::cos(theta) });
        }
    }
    const uint32_t last = vertexCount - 1;
    put(last, Vec3 { 0.0f, 0.0f, -1.0f });

    uint16_t* index = target.indices;
    auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) {
        *index++ = uint16_t(a);
        *index++ = uint16_t(b);
        *index++ = uint16_t(c);
    };
    for (uint32_t i = 0; i + 1 < ring; ++i)
        triangle(0, i + 1, i + 2);
    for (int r = 0; r < n; ++r) {
        const uint32_t a = 1 + uint32_t(r) * ring;
        const uint32_t b = a + ring;
        for (uint32_t i = 0; i + 1 < ring; ++i) {
            const uint32_t next = (i + 1) % ring;
            triangle(a + i, b + i, b + next);
            triangle(a + i, b + next, a + next);
        }
    }
    const uint32_t base = 1 + uint32_t(n) * ring;
    for (uint32_t i = 0; i + 1 < ring; ++i)
        triangle(base + i + 1, base + i, last);
    target.vertexCount = vertexCount;
    target.indexCount = uint32_t(index - target.indices);
}

bool CEffectRenderManager::BuildBeam(
    const Vec3& a, const Vec3& b, const Vec3& eye, Vec3& d, Vec3& side, float& length)
{
    length = Length(Sub(b, a));
    if (!(length > 0.0f) || !m_beam.vertices)
        return false;
    d = Scale(Sub(b, a), 1.0f / length);
    const float along = std::clamp(Dot(Sub(eye, a), d), 0.0f, length);
    const Vec3 toBeam = Sub(Add(a, Scale(d, along)), eye);
    const Vec3 c = Cross(d, toBeam);
    const float cLength = Length(c);
    side = cLength < 0.000001f ? Vec3 { d.z, -d.x, d.y } : Scale(c, 1.0f / cLength);
    m_beam.firstVertex = m_beam.firstIndex = 0;
    return true;
}

Mesh* CEffectRenderManager::GetRayMesh(
    const Vec3& a, const Vec3& b, float w, const Vec3& eye, float f, bool tiled, float offset, float repeat)
{
    Vec3 d, side;
    float length;
    if (!BuildBeam(a, b, eye, d, side, length))
        return nullptr;
    const float alpha0 = f < 0.5f ? 255.0f : f < 0.75f ? (0.75f - f) * 1020.0f : 0.0f;
    const float alpha1 = f < 0.25f ? f * 1020.0f : f < 0.5f ? 255.0f : (0.5f - std::fabs(0.5f - f)) * 255.0f;
    const float perWidth = w != 0.0f ? length / (2.0f * w) * repeat : 0.0f;
    struct Pair {
        Vec3 centre;
        float alpha;
        float v;
    };
    const Pair pairs[4] = {
        { a, alpha0, offset },
        { Add(Scale(a, 0.9f), Scale(b, 0.1f)), alpha1, tiled ? offset + repeat * 0.1f : perWidth * 0.1f },
        { Sub(b, Scale(d, w * 8.0f)), 255.0f, tiled ? offset + repeat : perWidth },
        { b, 0.0f, tiled ? offset + repeat : perWidth },
    };
    auto* out = reinterpret_cast<EffectVertex*>(m_beam.vertices);
    for (int p = 0; p < 4; ++p) {
        const uint32_t colour = WhiteWithAlpha(pairs[p].alpha);
        const Vec3 left = Sub(pairs[p].centre, Scale(side, w));
        const Vec3 right = Add(pairs[p].centre, Scale(side, w));
        out[2 * p] = EffectVertex { left.x, left.y, left.z, colour, 0.0f, pairs[p].v, 0.0f, pairs[p].v };
        out[2 * p + 1]
            = EffectVertex { right.x, right.y, right.z, colour, 1.0f, pairs[p].v, 1.0f, pairs[p].v };
    }
    uint16_t* index = m_beam.indices;
    for (uint16_t p = 0; p < 3; ++p) {
        const auto k = uint16_t(2 * p);
        for (uint16_t i :
            { k, uint16_t(k + 1), uint16_t(k + 2), uint16_t(k + 2), uint16_t(k + 1), uint16_t(k + 3) })
            *index++ = i;
    }
    m_beam.vertexCount = 8;
    m_beam.indexCount = 18;
    return g_pModelManager ? g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), m_beam)
                           : nullptr;
}

Mesh* CEffectRenderManager::GetRayMesh2(
    const Vec3& a, const Vec3& b, float w, const Vec3& eye, float repeatLength, float offset)
{
    Vec3 d, side;
    float length;
    if (!BuildBeam(a, b, eye, d, side, length))
        return nullptr;
    const float u0 = repeatLength != 0.0f ? -offset / repeatLength : 0.0f;
    const float u1 = repeatLength != 0.0f ? (length - offset) / repeatLength : 1.0f;
    const Vec3 corners[4]
        = { Sub(a, Scale(side, w)), Add(a, Scale(side, w)), Sub(b, Scale(side, w)), Add(b, Scale(side, w)) };
    auto* out = reinterpret_cast<EffectVertex*>(m_beam.vertices);
    for (int i = 0; i < 4; ++i) {
        const float u = i < 2 ? u0 : u1;
        const float v = float(i % 2);
        out[i] = EffectVertex { corners[i].x, corners[i].y, corners[i].z, 0xFFFFFFFFu, u, v, u, v };
    }
    const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
    std::memcpy(m_beam.indices, indices, sizeof indices);
    m_beam.vertexCount = 4;
    m_beam.indexCount = 6;
    return g_pModelManager ? g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), m_beam)
                           : nullptr;
}
