// CModel's morphing: the four channels' weights bend the rest pose through the delta blocks
// into the work copy, and the animation clock sweeps the automatic channel and the frame atlas.
#include "render/CModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

// Frames of the atlas: n x n below 256, else columns (low byte) x rows (high byte); at least 1.
int32_t FrameCount(int32_t grid)
{
    const int32_t n = grid < 256 ? grid * grid : (grid & 0xFF) * ((grid >> 8) & 0xFF);
    return std::max(n, 1);
}

// Block factors of one channel for weight w: position and normal factor of each delta block,
// and the block whose vertex list the terms follow. False when the channel adds nothing.
struct Terms {
    float position[4] = {};
    float normal[4] = {};
    int list = 0;
};

bool ChannelTerms(uint32_t type, float w, Terms& t)
{
    auto set = [&t](std::initializer_list<float> factors) {
        int b = 0;
        for (float f : factors) {
            t.position[b] = f;
            t.normal[b] = f;
            ++b;
        }
        return true;
    };
    const bool negated
        = type == 4 || type == 5 || type == 7 || type == 11 || type == 13 || type == 14 || type == 15;
    const float v = negated ? -w : w;
    switch (type) {
    case 1:
        if (w > 0)
            return set({ w, w * w });
        t.list = 2;
        return set({ 0, 0, -w, w * w });
    case 2:
    case 4:
        return v > 0 && set({ v, v * v });
    case 3:
    case 5:
        return v > 0 && set({ v });
    case 6:
    case 7:
        if (v <= 0)
            return false;
        return v <= 0.5f ? set({ v }) : set({ 0.5f, v - 0.5f });
    case 8:
    case 14:
        if (v <= 0)
            return false;
        if (v <= 1.0f / 3)
            return set({ v });
        if (v <= 2.0f / 3)
            return set({ 1.0f / 3, v - 1.0f / 3 });
        return set({ 1.0f / 3, 1.0f / 3, v - 2.0f / 3 });
    case 9:
    case 15:
        if (v <= 0)
            return false;
        if (v <= 0.25f)
            return set({ v });
        if (v <= 0.5f)
            return set({ 0.25f, v - 0.25f });
        if (v <= 0.75f)
            return set({ 0.25f, 0.25f, v - 0.5f });
        return set({ 0.25f, 0.25f, 0.25f, v - 0.75f });
    case 10:
    case 11: {
        const float angle = float(M_PI) * v;
        t.position[0] = 1 - std::cos(angle);
        t.position[1] = std::sin(angle);
        if (v > 0) {
            t.normal[0] = v;
            t.normal[1] = v * v;
        } else {
            t.normal[0] = -v;
            t.normal[1] = -2 * v - v * v;
        }
        return true;
    }
    case 12:
    case 13:
        return v > 0 && set({ v, v * v, v * v * v });
    default:
        return false;
    }
}

// One delta block's term of a blend: its deltas and the factors of position and normal.
struct DeltaTerm {
    const SMorphDelta* deltas;
    size_t count;
    float p, n;
};

template <int N, bool Normals>
void AddTermsOf(uint8_t* destination, uint32_t stride, uint32_t normalOffset, const uint16_t* indices,
    size_t count, const DeltaTerm* terms)
{
    for (size_t k = 0; k < count; ++k) {
        const size_t vertex = indices ? indices[k] : k;
        float* position = reinterpret_cast<float*>(destination + vertex * stride);
        float px = 0, py = 0, pz = 0, nx = 0, ny = 0, nz = 0;
        for (int a = 0; a < N; ++a) {
            const SMorphDelta& d = terms[a].deltas[k];
            px += terms[a].p * d.position[0];
            py += terms[a].p * d.position[1];
            pz += terms[a].p * d.position[2];
            if constexpr (Normals) {
                nx += terms[a].n * d.normal[0];
                ny += terms[a].n * d.normal[1];
                nz += terms[a].n * d.normal[2];
            }
        }
        position[0] += px;
        position[1] += py;
        position[2] += pz;
        if constexpr (Normals) {
            float* normal = reinterpret_cast<float*>(destination + vertex * stride + normalOffset);
            normal[0] += nx;
            normal[1] += ny;
            normal[2] += nz;
        }
    }
}

// The blend of vertices 0 to count - 1 of the list, where every term has a delta.
void AddTerms(int n, bool normals, uint8_t* destination, uint32_t stride, uint32_t normalOffset,
    const uint16_t* indices, size_t count, const DeltaTerm* terms)
{
    using Kernel = void (*)(uint8_t*, uint32_t, uint32_t, const uint16_t*, size_t, const DeltaTerm*);
    static constexpr Kernel kKernels[2][4] = {
        { AddTermsOf<1, false>, AddTermsOf<2, false>, AddTermsOf<3, false>, AddTermsOf<4, false> },
        { AddTermsOf<1, true>, AddTermsOf<2, true>, AddTermsOf<3, true>, AddTermsOf<4, true> },
    };
    if (n >= 1 && n <= 4)
        kKernels[normals ? 1 : 0][n - 1](destination, stride, normalOffset, indices, count, terms);
}

// The rest of the list, where shorter blocks have run out of deltas.
void AddTermsChecked(int n, bool normals, uint8_t* destination, uint32_t stride, uint32_t normalOffset,
    const uint16_t* indices, size_t first, size_t last, const DeltaTerm* terms)
{
    for (size_t k = first; k < last; ++k) {
        const size_t vertex = indices ? indices[k] : k;
        float* position = reinterpret_cast<float*>(destination + vertex * stride);
        float* normal = reinterpret_cast<float*>(destination + vertex * stride + normalOffset);
        for (int a = 0; a < n; ++a) {
            if (k >= terms[a].count)
                continue;
            const SMorphDelta& d = terms[a].deltas[k];
            for (int c = 0; c < 3; ++c) {
                position[c] += terms[a].p * d.position[c];
                if (normals)
                    normal[c] += terms[a].n * d.normal[c];
            }
        }
    }
}

} // namespace

Mesh* CModel::GetMorphedMesh(const float* weights)
{
    const bool automatic = autoAnimate;
    float use[kMaxChannels] = {};
    if (!weights || automatic || !hasChannels) {
        if ((!weights || !hasChannels) && !automatic)
            return &mainMesh;
        if (weights)
            std::copy(weights, weights + kMaxChannels, use);
        use[autoChannel] = autoPhase;
    } else {
        std::copy(weights, weights + kMaxChannels, use);
    }
    if (!hasChannels || m_baseVertices.empty())
        return &mainMesh;
    bool changed = false;
    bool active = false;
    for (int i = 0; i < kMaxChannels; ++i) {
        changed = changed || std::fabs(use[i] - lastWeights[i]) >= kWeightChange;
        active = active || std::fabs(use[i]) >= kWeightActive;
    }
    if (active && changed)
        return GetAnimatedMesh(use, false);
    if (active)
        return batched ? SubmitToBuffer() : m_workMesh.get();
    return &mainMesh;
}

Mesh* CModel::GetAnimatedMesh(const float* weights, bool force)
{
    if (m_baseVertices.empty())
        return &mainMesh;
    if (batched && !MakeWorkData())
        return &mainMesh;
    std::copy(weights, weights + kMaxChannels, lastWeights);
    // A system-memory work mesh is bent in place; a device one from its own copy.
    const bool inPlace = !batched && IsInSystemMemory();
    uint8_t* destination = batched ? m_workData->vertices
        : inPlace                  ? m_workMesh->vertexData
                                   : m_workVertices.data();
    std::memcpy(destination, m_baseVertices.data(), m_baseVertices.size());

    const uint32_t stride = mainMesh.stride;
    const bool hasNormal = (mainMesh.format & 0x10) != 0;
    bool applied = false;
    for (int i = 0; i < channelCount && i < kMaxChannels; ++i) {
        const float w = weights[i];
        const SMorphChannelBlock& channel = channels[size_t(i)];
        Terms terms;
        if (w == 0 || channel.blockCount == 0 || !ChannelTerms(channel.type, w, terms))
            continue;
        applied = true;
        const SDeltaBlock& list = channel.blocks[terms.list];
        const size_t count = list.deltas.size();
        DeltaTerm active[4];
        int activeCount = 0;
        size_t common = count;
        for (int b = 0; b < channel.blockCount; ++b) {
            if (terms.position[b] == 0 && terms.normal[b] == 0)
                continue;
            const std::vector<SMorphDelta>& deltas = channel.blocks[b].deltas;
            active[activeCount++] = { deltas.data(), deltas.size(), terms.position[b], terms.normal[b] };
            common = std::min(common, deltas.size());
        }
        const uint16_t* indices = list.hasIndices ? list.indices.data() : nullptr;
        // Every block holds a delta for the first `common` vertices; past them short blocks add nothing.
        AddTerms(activeCount, hasNormal, destination, stride, m_normalOffset, indices, common, active);
        AddTermsChecked(
            activeCount, hasNormal, destination, stride, m_normalOffset, indices, common, count, active);
    }
    if (!applied && !force)
        return &mainMesh;
    if (batched)
        return SubmitToBuffer();
    if (!inPlace) {
        if (m_workMesh->Lock(true, false) && m_workMesh->vertexData)
            std::memcpy(m_workMesh->vertexData, destination, m_baseVertices.size());
        m_workMesh->Unlock(true, false);
    }
    return m_workMesh.get();
}

int CModel::AdvanceAnimation(float dt)
{
    if (autoAnimate && autoPeriod > 0) {
        autoClock += dt;
        // x less its integer part with the lowest bit cleared: x modulo 2.
        const double x = double(autoClock) / double(autoPeriod);
        double p = std::isfinite(x) ? std::fmod(x, 2.0) : 0.0;
        if (p < 0)
            p += 2.0;
        autoPhase = float(p > 1 ? 2 - p : p);
    }
    int cycles = 0;
    if (frameGrid >= 1 && frameTime > 0) {
        frameClock += dt;
        if (frameClock > frameTime) {
            ++frame;
            frameClock -= frameTime;
        }
        const int32_t n = FrameCount(frameGrid);
        cycles = frame / n;
        frame %= n;
    }
    return cycles;
}

int CModel::FindMorphChannel(const char* name) const
{
    for (int i = 0; i < channelCount; ++i) {
        if (std::strncmp(channels[size_t(i)].name, name, sizeof channels[size_t(i)].name) == 0
            && std::strlen(name) < sizeof channels[size_t(i)].name)
            return i;
    }
    return -1;
}
