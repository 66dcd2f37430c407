// A shadow of the GL state one context holds, so no call repeats a value already set. All
// state changes of the backend go through it; Forget() drops what it knows (a new context).
#pragma once

#include "platform/gfx/gl/gl_api.h"

#include <array>
#include <cstdint>

namespace plat::gfx::gl {

class StateCache {
public:
    static constexpr uint32_t kUnits = 9; // eight stages and one unit for uploads
    static constexpr uint32_t kUploadUnit = 8;

    void Forget();

    void UseProgram(GLuint program);
    void BindVertexArray(GLuint array);
    // The element buffer belongs to the bound vertex array; callers track it per array.
    void BindTexture(uint32_t unit, GLuint texture);
    void BindSampler(uint32_t unit, GLuint sampler);
    void BindDrawFramebuffer(GLuint framebuffer);
    void BindReadFramebuffer(GLuint framebuffer);
    void BindArrayBuffer(GLuint buffer);

    void SetDepthTest(bool on);
    void SetDepthFunc(GLenum func);
    void SetDepthMask(bool on);
    void SetBlend(bool on);
    void SetBlendFunc(GLenum source, GLenum dest);
    void SetCull(bool on);
    void SetCullFace(GLenum face);
    void SetScissorTest(bool on);
    void SetClipPlanes(uint32_t mask);
    void SetPolygonOffset(float units); // 0 disables
    void SetViewport(int x, int y, int width, int height);
    void SetScissor(int x, int y, int width, int height);
    void SetDepthRange(float nearZ, float farZ);
    void SetColorMask(bool on);
    void SetClearColor(float r, float g, float b, float a);
    void SetClearDepth(float depth);
    void SetClearStencil(int stencil);
    void SetStencilMask(GLuint mask);

    GLuint Program() const { return m_program; }
    // Counts every change made through the cache and every Forget: equal counts at two moments
    // mean GL holds what it held at the first.
    uint64_t Changes() const { return m_changes; }
    // A deleted object may no longer be thought bound.
    void ForgetProgram(GLuint program);
    void ForgetTexture(GLuint texture);
    void ForgetVertexArray(GLuint array);
    void ForgetFramebuffer(GLuint framebuffer);
    void ForgetBuffer(GLuint buffer);

private:
    void ActiveUnit(uint32_t unit);

    // ~0 = unknown
    static constexpr uint32_t kUnknown = 0xFFFFFFFFu;
    uint64_t m_changes = 0;
    uint32_t m_program = kUnknown;
    uint32_t m_vertexArray = kUnknown;
    uint32_t m_activeUnit = kUnknown;
    static constexpr std::array<uint32_t, kUnits> Unknowns()
    {
        std::array<uint32_t, kUnits> a {};
        a.fill(kUnknown);
        return a;
    }
    std::array<uint32_t, kUnits> m_textures = Unknowns();
    std::array<uint32_t, kUnits> m_samplers = Unknowns();
    uint32_t m_drawFramebuffer = kUnknown;
    uint32_t m_readFramebuffer = kUnknown;
    uint32_t m_arrayBuffer = kUnknown;
    int m_depthTest = -1, m_depthMask = -1, m_blend = -1, m_cull = -1, m_scissorTest = -1, m_colorMask = -1;
    uint32_t m_depthFunc = kUnknown, m_blendSource = kUnknown, m_blendDest = kUnknown, m_cullFace = kUnknown;
    uint32_t m_clipPlanes = kUnknown;
    float m_polygonOffset = -1;
    bool m_polygonOffsetKnown = false;
    std::array<int, 4> m_viewport { -1, -1, -1, -1 };
    std::array<int, 4> m_scissor { -1, -1, -1, -1 };
    std::array<float, 2> m_depthRange { -1, -1 };
    std::array<float, 4> m_clearColor { -1, -1, -1, -1 };
    float m_clearDepth = -1;
    int m_clearStencil = -1;
    uint32_t m_stencilMask = kUnknown;
};

} // namespace plat::gfx::gl
