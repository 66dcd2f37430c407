// State setters and getters. Each Set* checks its values, then records them into the block
// being recorded or applies them live; Get* always reads the live state.
#include "platform/gfx/device.h"

#include "platform/gfx/fvf.h"
#include "platform/gfx/state_block.h"
#include "platform/win/debug.h"

#include <array>
#include <cmath>
#include <cstring>

namespace plat::gfx {
namespace {

bool Finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

// ---- Render and stage states ----

Result Device::SetRenderState(RenderState state, uint32_t value)
{
    if (!IsValidRenderStateValue(state, value))
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->renderSet.set(size_t(state));
        m_recording->render[size_t(state)] = value;
        return Result::Ok;
    }
    LiveSetRenderState(state, value);
    return Result::Ok;
}

void Device::LiveSetRenderState(RenderState state, uint32_t value)
{
    static constexpr auto kBits = [] {
        std::array<uint32_t, kRenderStateCount> bits {};
        for (size_t i = 0; i < kRenderStateCount; ++i)
            bits[i] = dirty::RenderStateBit(RenderState(i));
        return bits;
    }();
    uint32_t& slot = m_state.render[size_t(state)];
    if (slot != value) {
        slot = value;
        m_dirty |= kBits[size_t(state)];
    }
}

Result Device::GetRenderState(RenderState state, uint32_t& out) const
{
    if (size_t(state) >= kRenderStateCount)
        return Result::InvalidCall;
    out = m_state.render[size_t(state)];
    return Result::Ok;
}

Result Device::SetTextureStageState(uint32_t stage, StageState state, uint32_t value)
{
    if (stage >= kStageCount || !IsValidStageStateValue(state, value))
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->stageSet[stage].set(size_t(state));
        m_recording->stage[stage][size_t(state)] = value;
        return Result::Ok;
    }
    LiveSetStageState(stage, state, value);
    return Result::Ok;
}

void Device::LiveSetStageState(uint32_t stage, StageState state, uint32_t value)
{
    uint32_t& slot = m_state.stage[stage][size_t(state)];
    if (slot != value) {
        slot = value;
        m_dirty |= dirty::kStageStates;
    }
}

Result Device::GetTextureStageState(uint32_t stage, StageState state, uint32_t& out) const
{
    if (stage >= kStageCount || size_t(state) >= kStageStateCount)
        return Result::InvalidCall;
    out = m_state.stage[stage][size_t(state)];
    return Result::Ok;
}

// ---- Transforms, viewport, material, lights, clip planes ----

Result Device::SetTransform(Transform transform, const Matrix& matrix)
{
    if (size_t(transform) >= kTransformCount)
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->transformSet.set(size_t(transform));
        m_recording->transforms[size_t(transform)] = matrix;
        return Result::Ok;
    }
    LiveSetTransform(transform, matrix);
    return Result::Ok;
}

void Device::LiveSetTransform(Transform transform, const Matrix& matrix)
{
    Matrix& slot = m_state.transforms[size_t(transform)];
    if (!(slot == matrix)) {
        slot = matrix;
        m_dirty |= dirty::TransformBit(transform);
    }
}

Result Device::GetTransform(Transform transform, Matrix& out) const
{
    if (size_t(transform) >= kTransformCount)
        return Result::InvalidCall;
    out = m_state.transforms[size_t(transform)];
    return Result::Ok;
}

Result Device::SetViewport(const Viewport& viewport)
{
    const Surface* target = m_state.renderTarget;
    if (!target || viewport.width == 0 || viewport.height == 0
        || uint64_t(viewport.x) + viewport.width > target->Width()
        || uint64_t(viewport.y) + viewport.height > target->Height() || !(viewport.minZ >= 0)
        || !(viewport.maxZ <= 1) || !(viewport.minZ <= viewport.maxZ))
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->viewport = viewport;
        return Result::Ok;
    }
    LiveSetViewport(viewport);
    return Result::Ok;
}

void Device::LiveSetViewport(const Viewport& viewport)
{
    m_state.viewport = viewport;
    m_dirty |= dirty::kViewport;
}

Result Device::GetViewport(Viewport& out) const
{
    out = m_state.viewport;
    return Result::Ok;
}

Result Device::SetMaterial(const Material& material)
{
    if (m_recording) {
        m_recording->material = material;
        return Result::Ok;
    }
    LiveSetMaterial(material);
    return Result::Ok;
}

void Device::LiveSetMaterial(const Material& material)
{
    m_state.material = material;
    m_dirty |= dirty::kMaterial;
}

Result Device::GetMaterial(Material& out) const
{
    out = m_state.material;
    return Result::Ok;
}

Result Device::SetLight(uint32_t index, const Light& light)
{
    if (light.type == LightType::Spot) {
        win::DebugOutput("plat::gfx: SetLight: spot lights are not supported");
        return Result::InvalidCall;
    }
    if (light.type != LightType::Point && light.type != LightType::Directional)
        return Result::InvalidCall;
    if (light.type == LightType::Directional
        && (!Finite(light.direction)
            || (light.direction.x == 0 && light.direction.y == 0 && light.direction.z == 0)))
        return Result::InvalidCall;
    if (light.type == LightType::Point && (!Finite(light.position) || !(light.range >= 0)))
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->lights[index].light = light;
        return Result::Ok;
    }
    LiveSetLight(index, light);
    return Result::Ok;
}

void Device::LiveSetLight(uint32_t index, const Light& light)
{
    m_state.lights[index].light = light;
    m_dirty |= dirty::kLights;
}

Result Device::GetLight(uint32_t index, Light& out) const
{
    auto it = m_state.lights.find(index);
    if (it == m_state.lights.end())
        return Result::InvalidCall;
    out = it->second.light;
    return Result::Ok;
}

Result Device::LightEnable(uint32_t index, bool enable)
{
    if (m_recording) {
        m_recording->lights[index].enable = enable;
        return Result::Ok;
    }
    return LiveLightEnable(index, enable);
}

Result Device::LiveLightEnable(uint32_t index, bool enable)
{
    auto it = m_state.lights.find(index);
    if (it == m_state.lights.end()) {
        if (!enable)
            return Result::Ok;
        // Enabling a light never set makes the default one: white, pointing along +z.
        Light light;
        light.type = LightType::Directional;
        light.diffuse = { 1, 1, 1, 0 };
        light.direction = { 0, 0, 1 };
        it = m_state.lights.emplace(index, LightSlot { light, false }).first;
    }
    if (it->second.enabled == enable)
        return Result::Ok;
    if (enable) {
        uint32_t active = 0;
        for (const auto& [i, slot] : m_state.lights)
            active += slot.enabled ? 1 : 0;
        if (active >= m_caps.maxActiveLights) {
            win::DebugOutput("plat::gfx: LightEnable: more lights than MaxActiveLights");
            return Result::InvalidCall;
        }
    }
    it->second.enabled = enable;
    m_dirty |= dirty::kLights;
    return Result::Ok;
}

Result Device::GetLightEnable(uint32_t index, bool& out) const
{
    auto it = m_state.lights.find(index);
    if (it == m_state.lights.end())
        return Result::InvalidCall;
    out = it->second.enabled;
    return Result::Ok;
}

Result Device::SetClipPlane(uint32_t index, const float plane[4])
{
    if (index >= m_caps.maxUserClipPlanes || index >= kMaxClipPlanes || !plane)
        return Result::InvalidCall;
    Vector4 value { plane[0], plane[1], plane[2], plane[3] };
    if (m_recording) {
        m_recording->clipSet.set(index);
        m_recording->clipPlanes[index] = value;
        return Result::Ok;
    }
    LiveSetClipPlane(index, value);
    return Result::Ok;
}

void Device::LiveSetClipPlane(uint32_t index, const Vector4& plane)
{
    m_state.clipPlanes[index] = plane;
    m_dirty |= dirty::kClipPlanes;
}

Result Device::GetClipPlane(uint32_t index, float plane[4]) const
{
    if (index >= kMaxClipPlanes || !plane)
        return Result::InvalidCall;
    const Vector4& value = m_state.clipPlanes[index];
    plane[0] = value.x;
    plane[1] = value.y;
    plane[2] = value.z;
    plane[3] = value.w;
    return Result::Ok;
}

// ---- Bindings ----

Result Device::SetTexture(uint32_t stage, Texture* texture)
{
    if (stage >= kStageCount)
        return Result::InvalidCall;
    if (texture && (texture->OwnerDevice() != this || texture->GetPool() == Pool::SystemMem))
        return Result::InvalidCall;
    if (m_recording) {
        if (texture)
            texture->Bind();
        if (m_recording->textures[stage])
            m_recording->textures[stage]->Unbind();
        m_recording->textureSet.set(stage);
        m_recording->textures[stage] = texture;
        return Result::Ok;
    }
    LiveSetTexture(stage, texture);
    return Result::Ok;
}

void Device::LiveSetTexture(uint32_t stage, Texture* texture)
{
    Texture*& slot = m_state.textures[stage];
    if (slot == texture)
        return;
    if (texture)
        texture->Bind();
    if (slot)
        slot->Unbind();
    slot = texture;
    m_dirty |= dirty::kTextures;
}

Result Device::GetTexture(uint32_t stage, Texture** out)
{
    if (stage >= kStageCount || !out)
        return Result::InvalidCall;
    *out = m_state.textures[stage];
    if (*out)
        (*out)->AddRef();
    return Result::Ok;
}

Result Device::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride)
{
    if (stream != 0 || (buffer && (stride == 0 || buffer->OwnerDevice() != this)))
        return Result::InvalidCall;
    if (m_recording) {
        if (buffer)
            buffer->Bind();
        if (m_recording->stream)
            m_recording->stream->Unbind();
        m_recording->streamSet = true;
        m_recording->stream = buffer;
        m_recording->streamStride = stride;
        return Result::Ok;
    }
    LiveSetStream(buffer, stride);
    return Result::Ok;
}

void Device::LiveSetStream(VertexBuffer* buffer, uint32_t stride)
{
    if (m_state.streamSource == buffer && m_state.streamStride == stride)
        return;
    if (buffer)
        buffer->Bind();
    if (m_state.streamSource)
        m_state.streamSource->Unbind();
    m_state.streamSource = buffer;
    m_state.streamStride = stride;
    m_dirty |= dirty::kStream;
}

Result Device::GetStreamSource(uint32_t stream, VertexBuffer** out, uint32_t& stride)
{
    if (stream != 0 || !out)
        return Result::InvalidCall;
    *out = m_state.streamSource;
    stride = m_state.streamStride;
    if (*out)
        (*out)->AddRef();
    return Result::Ok;
}

Result Device::SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex)
{
    if (buffer && buffer->OwnerDevice() != this)
        return Result::InvalidCall;
    if (m_recording) {
        if (buffer)
            buffer->Bind();
        if (m_recording->indices)
            m_recording->indices->Unbind();
        m_recording->indicesSet = true;
        m_recording->indices = buffer;
        m_recording->baseVertexIndex = baseVertexIndex;
        return Result::Ok;
    }
    LiveSetIndices(buffer, baseVertexIndex);
    return Result::Ok;
}

void Device::LiveSetIndices(IndexBuffer* buffer, uint32_t base)
{
    if (m_state.indices == buffer && m_state.baseVertexIndex == base)
        return;
    if (buffer)
        buffer->Bind();
    if (m_state.indices)
        m_state.indices->Unbind();
    m_state.indices = buffer;
    m_state.baseVertexIndex = base;
    m_dirty |= dirty::kIndices;
}

Result Device::GetIndices(IndexBuffer** out, uint32_t& baseVertexIndex)
{
    if (!out)
        return Result::InvalidCall;
    *out = m_state.indices;
    baseVertexIndex = m_state.baseVertexIndex;
    if (*out)
        (*out)->AddRef();
    return Result::Ok;
}

// ---- Shaders and constants ----

bool Device::IsValidVertexShaderValue(uint32_t value) const
{
    if (value == 0)
        return true;
    if (IsShaderHandle(value))
        return m_vertexShaders.count(value) != 0;
    return DecodeFvf(value).valid;
}

Result Device::SetVertexShader(uint32_t fvfOrHandle)
{
    if (!IsValidVertexShaderValue(fvfOrHandle))
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->vertexShader = fvfOrHandle;
        return Result::Ok;
    }
    LiveSetVertexShader(fvfOrHandle);
    return Result::Ok;
}

void Device::LiveSetVertexShader(uint32_t value)
{
    if (m_state.vertexShader != value) {
        m_state.vertexShader = value;
        m_dirty |= dirty::kShaders;
    }
}

Result Device::GetVertexShader(uint32_t& out) const
{
    out = m_state.vertexShader;
    return Result::Ok;
}

Result Device::SetPixelShader(uint32_t handle)
{
    if (handle != 0 && m_pixelShaders.count(handle) == 0)
        return Result::InvalidCall;
    if (m_recording) {
        m_recording->pixelShader = handle;
        return Result::Ok;
    }
    LiveSetPixelShader(handle);
    return Result::Ok;
}

void Device::LiveSetPixelShader(uint32_t handle)
{
    if (m_state.pixelShader != handle) {
        m_state.pixelShader = handle;
        m_dirty |= dirty::kShaders;
    }
}

Result Device::GetPixelShader(uint32_t& out) const
{
    out = m_state.pixelShader;
    return Result::Ok;
}

Result Device::SetVertexShaderConstant(uint32_t reg, const void* data, uint32_t count)
{
    if (!data || uint64_t(reg) + count > kVertexShaderConstants)
        return Result::InvalidCall;
    Vector4 values[kVertexShaderConstants];
    std::memcpy(values, data, sizeof(Vector4) * count);
    if (m_recording) {
        for (uint32_t i = 0; i < count; ++i) {
            m_recording->vertexConstantSet.set(reg + i);
            m_recording->vertexConstants[reg + i] = values[i];
        }
        return Result::Ok;
    }
    LiveSetVertexConstants(reg, values, count);
    return Result::Ok;
}

void Device::LiveSetVertexConstants(uint32_t reg, const Vector4* data, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        m_state.vertexConstants[reg + i] = data[i];
    m_dirty |= dirty::kVertexConstants;
}

Result Device::GetVertexShaderConstant(uint32_t reg, void* data, uint32_t count) const
{
    if (!data || uint64_t(reg) + count > kVertexShaderConstants)
        return Result::InvalidCall;
    std::memcpy(data, &m_state.vertexConstants[reg], sizeof(Vector4) * count);
    return Result::Ok;
}

Result Device::SetPixelShaderConstant(uint32_t reg, const void* data, uint32_t count)
{
    if (!data || uint64_t(reg) + count > kPixelShaderConstants)
        return Result::InvalidCall;
    Vector4 values[kPixelShaderConstants];
    std::memcpy(values, data, sizeof(Vector4) * count);
    if (m_recording) {
        for (uint32_t i = 0; i < count; ++i) {
            m_recording->pixelConstantSet.set(reg + i);
            m_recording->pixelConstants[reg + i] = values[i];
        }
        return Result::Ok;
    }
    LiveSetPixelConstants(reg, values, count);
    return Result::Ok;
}

void Device::LiveSetPixelConstants(uint32_t reg, const Vector4* data, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        m_state.pixelConstants[reg + i] = data[i];
    m_dirty |= dirty::kPixelConstants;
}

Result Device::GetPixelShaderConstant(uint32_t reg, void* data, uint32_t count) const
{
    if (!data || uint64_t(reg) + count > kPixelShaderConstants)
        return Result::InvalidCall;
    std::memcpy(data, &m_state.pixelConstants[reg], sizeof(Vector4) * count);
    return Result::Ok;
}

} // namespace plat::gfx
