// Present: the back buffer goes through one final pass into the window. The pass applies the
// gamma ramp as a lookup (out = ramp[round(c * 255)] / 65535 per channel), in a window as in
// full screen, scales the picture into the window layer's output rectangle (nearest for whole
// ratios, else linear) with black bars, and flips it once: framebuffers hold their top row
// first, the window's bottom row comes first. Read-backs never see the ramp.
#include "platform/gfx/gl/gl_device.h"

#include "platform/win/debug.h"
#include "platform/window/window.h"

#include <algorithm>
#include <string>

namespace plat::gfx::gl {
namespace {

constexpr const char* kFinalVertex = R"(#version 330 core
out vec2 vUv;
void main()
{
    vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
    vUv = vec2((p.x + 1.0) * 0.5, (1.0 - p.y) * 0.5);
    gl_Position = vec4(p, 0.0, 1.0);
}
)";

constexpr const char* kFinalFragment = R"(#version 330 core
uniform sampler2D uImage;
uniform sampler2D uRamp;
in vec2 vUv;
layout(location = 0) out vec4 oColor;
void main()
{
    ivec3 i = ivec3(floor(clamp(texture(uImage, vUv).rgb, 0.0, 1.0) * 255.0 + 0.5));
    oColor = vec4(texelFetch(uRamp, ivec2(i.r, 0), 0).r, texelFetch(uRamp, ivec2(i.g, 0), 0).g,
        texelFetch(uRamp, ivec2(i.b, 0), 0).b, 1.0);
}
)";

GLuint CompileStage(GLenum kind, const char* source)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

bool GlDevice::PrepareFinalPass()
{
    if (m_finalProgram)
        return true;
    GLuint vertex = CompileStage(GL_VERTEX_SHADER, kFinalVertex);
    GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, kFinalFragment);
    if (!vertex || !fragment) {
        win::DebugOutput("plat::gfx::gl: the final pass does not compile");
        if (vertex)
            glDeleteShader(vertex);
        if (fragment)
            glDeleteShader(fragment);
        return false;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        win::DebugOutput("plat::gfx::gl: the final pass does not link");
        glDeleteProgram(program);
        return false;
    }
    m_finalProgram = program;
    m_state.UseProgram(program);
    glUniform1i(glGetUniformLocation(program, "uImage"), 0);
    glUniform1i(glGetUniformLocation(program, "uRamp"), 1);

    glGenTextures(1, &m_rampTexture);
    m_state.BindTexture(StateCache::kUploadUnit, m_rampTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16, 256, 1, 0, GL_RGB, GL_UNSIGNED_SHORT, nullptr);
    m_rampKnown = false;

    glGenVertexArrays(1, &m_emptyArray);
    glGenSamplers(1, &m_nearest);
    glGenSamplers(1, &m_linear);
    for (GLuint sampler : {m_nearest, m_linear}) {
        GLint filter = sampler == m_nearest ? GL_NEAREST : GL_LINEAR;
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return true;
}

void GlDevice::FinalPass(Surface& backBuffer, const GammaRamp& ramp)
{
    plat::window::Window* window = m_context->GetWindow();
    if (!window)
        return;
    plat::window::Size drawable = window->DrawableSize();
    if (drawable.width <= 0 || drawable.height <= 0)
        return;
    auto* object = static_cast<SurfaceObject*>(backBuffer.BackendData());
    if (!object || !PrepareFinalPass())
        return;
    GLuint image = object->texture;
    if (object->samples > 0) {
        ReadableFramebuffer(backBuffer);
        image = object->resolveTexture;
    }

    if (!m_rampKnown || !(ramp == m_ramp)) {
        uint16_t rgb[256 * 3];
        for (int i = 0; i < 256; ++i) {
            rgb[i * 3] = ramp.red[i];
            rgb[i * 3 + 1] = ramp.green[i];
            rgb[i * 3 + 2] = ramp.blue[i];
        }
        m_state.BindTexture(StateCache::kUploadUnit, m_rampTexture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGB, GL_UNSIGNED_SHORT, rgb);
        m_ramp = ramp;
        m_rampKnown = true;
    }

    // The whole window black, then the picture in the output rectangle.
    m_state.BindDrawFramebuffer(0);
    m_state.SetScissorTest(false);
    m_state.SetColorMask(true);
    m_state.SetClearColor(0, 0, 0, 1);
    m_state.SetViewport(0, 0, drawable.width, drawable.height);
    glClear(GL_COLOR_BUFFER_BIT);

    plat::window::Rect out = window->OutputRect();
    m_state.SetViewport(out.x, drawable.height - out.y - out.height, out.width, out.height);
    m_state.SetBlend(false);
    m_state.SetDepthTest(false);
    m_state.SetCull(false);
    m_state.SetClipPlanes(0);
    m_state.UseProgram(m_finalProgram);
    bool whole = out.width % int(backBuffer.Width()) == 0 && out.height % int(backBuffer.Height()) == 0;
    m_state.BindTexture(0, image);
    m_state.BindSampler(0, whole ? m_nearest : m_linear);
    m_state.BindTexture(1, m_rampTexture);
    m_state.BindSampler(1, m_nearest);
    m_state.BindVertexArray(m_emptyArray);
    glDrawArrays(GL_TRIANGLES, 0, 3);

    if (m_capture) {
        std::vector<uint32_t> rows(size_t(drawable.width) * size_t(drawable.height));
        m_state.BindReadFramebuffer(0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, drawable.width, drawable.height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
        m_captured.assign(rows.size(), 0);
        for (int y = 0; y < drawable.height; ++y)
            std::copy_n(rows.data() + size_t(drawable.height - 1 - y) * size_t(drawable.width), drawable.width,
                m_captured.data() + size_t(y) * size_t(drawable.width));
        m_capturedWidth = drawable.width;
        m_capturedHeight = drawable.height;
    }
}

Result GlDevice::Present(Surface& backBuffer, const GammaRamp& ramp)
{
    if (!Current())
        return Result::DeviceLost;
    FinalPass(backBuffer, ramp);
    if (plat::window::Window* window = m_context->GetWindow())
        window->SwapBuffers();
    return Result::Ok;
}

std::vector<uint32_t> GlDevice::Captured(int& width, int& height) const
{
    width = m_capturedWidth;
    height = m_capturedHeight;
    return m_captured;
}

} // namespace plat::gfx::gl
