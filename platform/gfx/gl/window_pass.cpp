#include "platform/gfx/gl/window_pass.h"

#include "platform/gfx/gl/context.h"
#include "platform/win/debug.h"

#include <algorithm>

namespace plat::gfx::gl {
namespace {

constexpr const char* kVertex = R"(#version 330 core
out vec2 vUv;
void main()
{
    vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
    vUv = vec2((p.x + 1.0) * 0.5, (1.0 - p.y) * 0.5);
    gl_Position = vec4(p, 0.0, 1.0);
}
)";

constexpr const char* kFragment = R"(#version 330 core
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

void WindowPass::Release(bool current)
{
    if (current) {
        GLuint textures[] = { m_rampTexture, m_picture };
        glDeleteTextures(2, textures);
        glDeleteVertexArrays(1, &m_emptyArray);
        GLuint samplers[] = { m_nearest, m_linear };
        glDeleteSamplers(2, samplers);
        if (m_program)
            glDeleteProgram(m_program);
        m_state.ForgetTexture(m_rampTexture);
        m_state.ForgetTexture(m_picture);
        m_state.ForgetVertexArray(m_emptyArray);
        m_state.ForgetProgram(m_program);
    }
    m_program = m_rampTexture = m_emptyArray = m_nearest = m_linear = m_picture = 0;
    m_pictureWidth = m_pictureHeight = 0;
    m_rampKnown = false;
    m_failed = false;
}

bool WindowPass::Prepare()
{
    if (m_program)
        return true;
    if (m_failed)
        return false;
    GLuint vertex = CompileStage(GL_VERTEX_SHADER, kVertex);
    GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, kFragment);
    if (!vertex || !fragment) {
        win::DebugOutput("plat::gfx::gl: the window pass does not compile");
        if (vertex)
            glDeleteShader(vertex);
        if (fragment)
            glDeleteShader(fragment);
        m_failed = true;
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
        win::DebugOutput("plat::gfx::gl: the window pass does not link");
        glDeleteProgram(program);
        m_failed = true;
        return false;
    }
    m_program = program;
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
    for (GLuint sampler : { m_nearest, m_linear }) {
        GLint filter = sampler == m_nearest ? GL_NEAREST : GL_LINEAR;
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return true;
}

GLuint WindowPass::UploadPicture(const Picture& picture)
{
    uint32_t limit = GetDriverInfo().maxTextureSize;
    if (picture.width > limit || picture.height > limit) {
        win::DebugOutput("plat::gfx::gl: PresentPicture: the picture is larger than a texture may be");
        return 0;
    }
    if (!m_picture) {
        glGenTextures(1, &m_picture);
        m_state.BindTexture(StateCache::kUploadUnit, m_picture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    m_state.BindTexture(StateCache::kUploadUnit, m_picture);
    // Rows keep their order: the first row is the top one, as in every image of this backend.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(picture.pitch / 4));
    if (picture.width != m_pictureWidth || picture.height != m_pictureHeight) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(picture.width), GLsizei(picture.height), 0, GL_BGRA,
            GL_UNSIGNED_INT_8_8_8_8_REV, picture.pixels);
        m_pictureWidth = picture.width;
        m_pictureHeight = picture.height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(picture.width), GLsizei(picture.height), GL_BGRA,
            GL_UNSIGNED_INT_8_8_8_8_REV, picture.pixels);
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return m_picture;
}

bool WindowPass::Draw(GLuint image, uint32_t imageWidth, uint32_t imageHeight, int drawableWidth,
    int drawableHeight, const Rect& out, const GammaRamp& ramp)
{
    if (!Prepare())
        return false;
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

    // The whole window black, then the image in its rectangle.
    m_state.BindDrawFramebuffer(0);
    m_state.SetScissorTest(false);
    m_state.SetColorMask(true);
    m_state.SetClearColor(0, 0, 0, 1);
    m_state.SetViewport(0, 0, drawableWidth, drawableHeight);
    glClear(GL_COLOR_BUFFER_BIT);

    m_state.SetViewport(out.left, drawableHeight - out.bottom, out.Width(), out.Height());
    m_state.SetBlend(false);
    m_state.SetDepthTest(false);
    m_state.SetCull(false);
    m_state.SetClipPlanes(0);
    m_state.UseProgram(m_program);
    bool whole = imageWidth > 0 && imageHeight > 0 && out.Width() % int(imageWidth) == 0
        && out.Height() % int(imageHeight) == 0;
    m_state.BindTexture(0, image);
    m_state.BindSampler(0, whole ? m_nearest : m_linear);
    m_state.BindTexture(1, m_rampTexture);
    m_state.BindSampler(1, m_nearest);
    m_state.BindVertexArray(m_emptyArray);
    glDrawArrays(GL_TRIANGLES, 0, 3);

    if (m_capture) {
        std::vector<uint32_t> rows(size_t(drawableWidth) * size_t(drawableHeight));
        m_state.BindReadFramebuffer(0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, drawableWidth, drawableHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
        m_captured.assign(rows.size(), 0);
        for (int y = 0; y < drawableHeight; ++y)
            std::copy_n(rows.data() + size_t(drawableHeight - 1 - y) * size_t(drawableWidth), drawableWidth,
                m_captured.data() + size_t(y) * size_t(drawableWidth));
        m_capturedWidth = drawableWidth;
        m_capturedHeight = drawableHeight;
    }
    return true;
}

std::vector<uint32_t> WindowPass::Captured(int& width, int& height) const
{
    width = m_capturedWidth;
    height = m_capturedHeight;
    return m_captured;
}

} // namespace plat::gfx::gl
