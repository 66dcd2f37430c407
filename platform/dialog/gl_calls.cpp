#include "platform/dialog/dialog_internal.h"
#include "platform/win/debug.h"

#include <GL/glcorearb.h>

#include <cstring>
#include <string>

namespace plat::dialog {
namespace {

// The entry points the layer calls itself; ImGui's renderer loads its own.
struct GlCalls {
    PFNGLVIEWPORTPROC Viewport = nullptr;
    PFNGLDISABLEPROC Disable = nullptr;
    PFNGLCLEARCOLORPROC ClearColor = nullptr;
    PFNGLCLEARPROC Clear = nullptr;
    PFNGLPIXELSTOREIPROC PixelStorei = nullptr;
    PFNGLREADBUFFERPROC ReadBuffer = nullptr;
    PFNGLREADPIXELSPROC ReadPixels = nullptr;
    PFNGLGENTEXTURESPROC GenTextures = nullptr;
    PFNGLDELETETEXTURESPROC DeleteTextures = nullptr;
    PFNGLBINDTEXTUREPROC BindTexture = nullptr;
    PFNGLTEXPARAMETERIPROC TexParameteri = nullptr;
    PFNGLTEXIMAGE2DPROC TexImage2D = nullptr;
};

GlCalls g_gl;

template <typename F> bool Load(F& fn, const char* name)
{
    fn = reinterpret_cast<F>(window::GlContext::ProcAddress(name));
    if (!fn)
        win::DebugOutput(std::string("Dialog: OpenGL has no ") + name);
    return fn != nullptr;
}

} // namespace

bool LoadGl()
{
    bool ok = true;
    ok &= Load(g_gl.Viewport, "glViewport");
    ok &= Load(g_gl.Disable, "glDisable");
    ok &= Load(g_gl.ClearColor, "glClearColor");
    ok &= Load(g_gl.Clear, "glClear");
    ok &= Load(g_gl.PixelStorei, "glPixelStorei");
    ok &= Load(g_gl.ReadBuffer, "glReadBuffer");
    ok &= Load(g_gl.ReadPixels, "glReadPixels");
    ok &= Load(g_gl.GenTextures, "glGenTextures");
    ok &= Load(g_gl.DeleteTextures, "glDeleteTextures");
    ok &= Load(g_gl.BindTexture, "glBindTexture");
    ok &= Load(g_gl.TexParameteri, "glTexParameteri");
    ok &= Load(g_gl.TexImage2D, "glTexImage2D");
    return ok;
}

void ClearFrame(int width, int height)
{
    g_gl.Viewport(0, 0, width, height);
    g_gl.Disable(GL_SCISSOR_TEST);
    g_gl.ClearColor(0.78f, 0.78f, 0.78f, 1.0f);
    g_gl.Clear(GL_COLOR_BUFFER_BIT);
}

void ReadFrame(int width, int height, Pixels& out)
{
    out.width = width;
    out.height = height;
    out.argb.resize(size_t(width) * size_t(height));
    std::vector<uint32_t> rows(out.argb.size());
    g_gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    g_gl.ReadBuffer(GL_BACK);
    // BGRA bytes are 0xAARRGGBB words on a little-endian machine; GL's rows run bottom first.
    g_gl.ReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < height; ++y)
        std::memcpy(&out.argb[size_t(y) * size_t(width)], &rows[size_t(height - 1 - y) * size_t(width)],
            size_t(width) * sizeof(uint32_t));
}

unsigned UploadPicture(unsigned texture, const Image& image)
{
    GLuint name = texture;
    if (name == 0)
        g_gl.GenTextures(1, &name);
    g_gl.BindTexture(GL_TEXTURE_2D, name);
    g_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    g_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    g_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    g_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    g_gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    g_gl.TexImage2D(
        GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, image.argb);
    return name;
}

void DeletePicture(unsigned texture)
{
    GLuint name = texture;
    if (name != 0)
        g_gl.DeleteTextures(1, &name);
}

} // namespace plat::dialog
