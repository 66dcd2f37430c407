#include "platform/gfx/gl/gl_state.h"

namespace plat::gfx::gl {
namespace {

void Toggle(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

// Sets a cached flag; true when GL must be told.
bool Changed(int& cached, bool on)
{
    if (cached == int(on))
        return false;
    cached = int(on);
    return true;
}

} // namespace

void StateCache::Forget()
{
    const uint64_t changes = m_changes;
    *this = StateCache {};
    m_changes = changes + 1;
}

void StateCache::UseProgram(GLuint program)
{
    if (m_program != program) {
        m_program = program;
        ++m_changes;
        glUseProgram(program);
    }
}

void StateCache::BindVertexArray(GLuint array)
{
    if (m_vertexArray != array) {
        m_vertexArray = array;
        ++m_changes;
        glBindVertexArray(array);
    }
}

void StateCache::ActiveUnit(uint32_t unit)
{
    if (m_activeUnit != unit) {
        m_activeUnit = unit;
        glActiveTexture(GL_TEXTURE0 + unit);
    }
}

void StateCache::BindTexture(uint32_t unit, GLuint texture)
{
    if (m_textures[unit] != texture) {
        ActiveUnit(unit);
        m_textures[unit] = texture;
        ++m_changes;
        glBindTexture(GL_TEXTURE_2D, texture);
    } else if (unit == kUploadUnit) {
        ActiveUnit(unit); // uploads act on the active unit
    }
}

void StateCache::BindSampler(uint32_t unit, GLuint sampler)
{
    if (m_samplers[unit] != sampler) {
        m_samplers[unit] = sampler;
        ++m_changes;
        glBindSampler(unit, sampler);
    }
}

void StateCache::BindDrawFramebuffer(GLuint framebuffer)
{
    if (m_drawFramebuffer != framebuffer) {
        m_drawFramebuffer = framebuffer;
        ++m_changes;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    }
}

void StateCache::BindReadFramebuffer(GLuint framebuffer)
{
    if (m_readFramebuffer != framebuffer) {
        m_readFramebuffer = framebuffer;
        ++m_changes;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    }
}

void StateCache::BindArrayBuffer(GLuint buffer)
{
    if (m_arrayBuffer != buffer) {
        m_arrayBuffer = buffer;
        ++m_changes;
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
    }
}

void StateCache::SetDepthTest(bool on)
{
    if (Changed(m_depthTest, on)) {
        ++m_changes;
        Toggle(GL_DEPTH_TEST, on);
    }
}

void StateCache::SetDepthFunc(GLenum func)
{
    if (m_depthFunc != func) {
        m_depthFunc = func;
        ++m_changes;
        glDepthFunc(func);
    }
}

void StateCache::SetDepthMask(bool on)
{
    if (Changed(m_depthMask, on)) {
        ++m_changes;
        glDepthMask(on ? GL_TRUE : GL_FALSE);
    }
}

void StateCache::SetBlend(bool on)
{
    if (Changed(m_blend, on)) {
        ++m_changes;
        Toggle(GL_BLEND, on);
    }
}

void StateCache::SetBlendFunc(GLenum source, GLenum dest)
{
    if (m_blendSource != source || m_blendDest != dest) {
        m_blendSource = source;
        m_blendDest = dest;
        ++m_changes;
        glBlendFunc(source, dest);
    }
}

void StateCache::SetCull(bool on)
{
    if (Changed(m_cull, on)) {
        ++m_changes;
        Toggle(GL_CULL_FACE, on);
    }
}

void StateCache::SetCullFace(GLenum face)
{
    if (m_cullFace != face) {
        m_cullFace = face;
        ++m_changes;
        glCullFace(face);
    }
}

void StateCache::SetScissorTest(bool on)
{
    if (Changed(m_scissorTest, on)) {
        ++m_changes;
        Toggle(GL_SCISSOR_TEST, on);
    }
}

void StateCache::SetClipPlanes(uint32_t mask)
{
    if (m_clipPlanes == mask)
        return;
    for (uint32_t i = 0; i < 6; ++i) {
        bool on = (mask >> i) & 1;
        if (m_clipPlanes == kUnknown || ((m_clipPlanes >> i) & 1) != uint32_t(on)) {
            ++m_changes;
            Toggle(GL_CLIP_DISTANCE0 + i, on);
        }
    }
    m_clipPlanes = mask;
}

void StateCache::SetPolygonOffset(float units)
{
    if (m_polygonOffsetKnown && m_polygonOffset == units)
        return;
    bool wasOn = m_polygonOffsetKnown && m_polygonOffset != 0;
    if (!m_polygonOffsetKnown || wasOn != (units != 0)) {
        ++m_changes;
        Toggle(GL_POLYGON_OFFSET_FILL, units != 0);
    }
    if (units != 0) {
        ++m_changes;
        glPolygonOffset(0.0f, units);
    }
    m_polygonOffset = units;
    m_polygonOffsetKnown = true;
}

void StateCache::SetViewport(int x, int y, int width, int height)
{
    // Field by field: comparing the arrays whole costs a call to memcmp on every draw.
    if (m_viewport[0] != x || m_viewport[1] != y || m_viewport[2] != width || m_viewport[3] != height) {
        m_viewport = { x, y, width, height };
        ++m_changes;
        glViewport(x, y, width, height);
    }
}

void StateCache::SetScissor(int x, int y, int width, int height)
{
    // Field by field: comparing the arrays whole costs a call to memcmp on every draw.
    if (m_scissor[0] != x || m_scissor[1] != y || m_scissor[2] != width || m_scissor[3] != height) {
        m_scissor = { x, y, width, height };
        ++m_changes;
        glScissor(x, y, width, height);
    }
}

void StateCache::SetDepthRange(float nearZ, float farZ)
{
    if (m_depthRange[0] != nearZ || m_depthRange[1] != farZ) {
        m_depthRange = { nearZ, farZ };
        ++m_changes;
        glDepthRange(nearZ, farZ);
    }
}

void StateCache::SetColorMask(bool on)
{
    if (Changed(m_colorMask, on)) {
        ++m_changes;
        glColorMask(on, on, on, on);
    }
}

void StateCache::SetClearColor(float r, float g, float b, float a)
{
    std::array<float, 4> v { r, g, b, a };
    if (m_clearColor != v) {
        m_clearColor = v;
        ++m_changes;
        glClearColor(r, g, b, a);
    }
}

void StateCache::SetClearDepth(float depth)
{
    if (m_clearDepth != depth) {
        m_clearDepth = depth;
        ++m_changes;
        glClearDepth(depth);
    }
}

void StateCache::SetClearStencil(int stencil)
{
    if (m_clearStencil != stencil) {
        m_clearStencil = stencil;
        ++m_changes;
        glClearStencil(stencil);
    }
}

void StateCache::SetStencilMask(GLuint mask)
{
    if (m_stencilMask != mask) {
        m_stencilMask = mask;
        ++m_changes;
        glStencilMask(mask);
    }
}

void StateCache::ForgetProgram(GLuint program)
{
    ++m_changes;
    if (m_program == program)
        m_program = kUnknown;
}

void StateCache::ForgetTexture(GLuint texture)
{
    ++m_changes;
    for (uint32_t& bound : m_textures)
        if (bound == texture)
            bound = kUnknown;
}

void StateCache::ForgetVertexArray(GLuint array)
{
    ++m_changes;
    if (m_vertexArray == array)
        m_vertexArray = kUnknown;
}

void StateCache::ForgetFramebuffer(GLuint framebuffer)
{
    ++m_changes;
    if (m_drawFramebuffer == framebuffer)
        m_drawFramebuffer = kUnknown;
    if (m_readFramebuffer == framebuffer)
        m_readFramebuffer = kUnknown;
}

void StateCache::ForgetBuffer(GLuint buffer)
{
    ++m_changes;
    if (m_arrayBuffer == buffer)
        m_arrayBuffer = kUnknown;
}

} // namespace plat::gfx::gl
