#include "platform/dialog/dialog_internal.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/glcorearb.h>

#include <cstring>

namespace plat::dialog {

void ClearFrame(int width, int height)
{
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.78f, 0.78f, 0.78f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void ReadFrame(int width, int height, Pixels& out)
{
    out.width = width;
    out.height = height;
    out.argb.resize(size_t(width) * size_t(height));
    std::vector<uint32_t> rows(out.argb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    // BGRA bytes are 0xAARRGGBB words on a little-endian machine; GL's rows run bottom first.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < height; ++y)
        std::memcpy(&out.argb[size_t(y) * size_t(width)], &rows[size_t(height - 1 - y) * size_t(width)],
            size_t(width) * sizeof(uint32_t));
}

unsigned UploadPicture(unsigned texture, const Image& image)
{
    GLuint name = texture;
    if (name == 0)
        glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(
        GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, image.argb);
    return name;
}

void DeletePicture(unsigned texture)
{
    GLuint name = texture;
    if (name != 0)
        glDeleteTextures(1, &name);
}

} // namespace plat::dialog
