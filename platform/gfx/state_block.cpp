#include "platform/gfx/state_block.h"

#include "platform/gfx/device.h"

namespace plat::gfx {

void StateBlock::Apply(Device& device) const
{
    for (size_t i = 0; i < kRenderStateCount; ++i)
        if (renderSet.test(i))
            device.LiveSetRenderState(RenderState(i), render[i]);
    for (uint32_t s = 0; s < kStageCount; ++s)
        for (size_t i = 0; i < kStageStateCount; ++i)
            if (stageSet[s].test(i))
                device.LiveSetStageState(s, StageState(i), stage[s][i]);
    for (size_t i = 0; i < kTransformCount; ++i)
        if (transformSet.test(i))
            device.LiveSetTransform(Transform(i), transforms[i]);
    if (viewport) {
        // A block recorded for another target size must not leave the viewport outside the
        // target the block is applied on.
        const Surface* target = device.m_state.renderTarget;
        if (target && uint64_t(viewport->x) + viewport->width <= target->Width()
            && uint64_t(viewport->y) + viewport->height <= target->Height())
            device.LiveSetViewport(*viewport);
    }
    if (material)
        device.LiveSetMaterial(*material);
    for (const auto& [index, entry] : lights) {
        if (entry.light)
            device.LiveSetLight(index, *entry.light);
        if (entry.enable)
            device.LiveLightEnable(index, *entry.enable);
    }
    for (uint32_t i = 0; i < kMaxClipPlanes; ++i)
        if (clipSet.test(i))
            device.LiveSetClipPlane(i, clipPlanes[i]);
    for (uint32_t s = 0; s < kStageCount; ++s)
        if (textureSet.test(s))
            device.LiveSetTexture(s, textures[s]);
    if (streamSet)
        device.LiveSetStream(stream, streamStride);
    if (indicesSet)
        device.LiveSetIndices(indices, baseVertexIndex);
    // A shader deleted since recording is skipped rather than set.
    if (vertexShader && device.IsValidVertexShaderValue(*vertexShader))
        device.LiveSetVertexShader(*vertexShader);
    if (pixelShader && (*pixelShader == 0 || device.FindPixelShader(*pixelShader)))
        device.LiveSetPixelShader(*pixelShader);
    for (uint32_t i = 0; i < kVertexShaderConstants; ++i)
        if (vertexConstantSet.test(i))
            device.LiveSetVertexConstants(i, &vertexConstants[i], 1);
    for (uint32_t i = 0; i < kPixelShaderConstants; ++i)
        if (pixelConstantSet.test(i))
            device.LiveSetPixelConstants(i, &pixelConstants[i], 1);
}

void StateBlock::ReleaseBindings()
{
    for (Texture*& texture : textures) {
        if (texture)
            texture->Unbind();
        texture = nullptr;
    }
    if (stream)
        stream->Unbind();
    stream = nullptr;
    if (indices)
        indices->Unbind();
    indices = nullptr;
}

} // namespace plat::gfx
