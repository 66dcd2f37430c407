// OpenGL 3.3 core entry points, loaded once through the window layer (SDL_GL_GetProcAddress).
// Only platform/gfx/gl includes this header. Every call goes through a counting wrapper, so
// the backend can report GL calls per draw; the count costs one increment.
#pragma once

#include <GL/glcorearb.h>

#include <cstdint>

namespace plat::gfx::gl {

// GL calls made through the wrappers since the process started.
uint64_t GlCallCount();

namespace detail {
extern uint64_t g_callCount;

template <class Fn> struct Entry;

template <class R, class... A> struct Entry<R(APIENTRYP)(A...)> {
    R(APIENTRYP fn)(A...) = nullptr;
    R operator()(A... args) const
    {
        ++g_callCount;
        return fn(args...);
    }
};
} // namespace detail

#define ZOQ_GL_FUNCTIONS(X)                                                                                  \
    X(PFNGLGETERRORPROC, glGetError)                                                                         \
    X(PFNGLGETSTRINGPROC, glGetString)                                                                       \
    X(PFNGLGETSTRINGIPROC, glGetStringi)                                                                     \
    X(PFNGLGETINTEGERVPROC, glGetIntegerv)                                                                   \
    X(PFNGLGETFLOATVPROC, glGetFloatv)                                                                       \
    X(PFNGLENABLEPROC, glEnable)                                                                             \
    X(PFNGLDISABLEPROC, glDisable)                                                                           \
    X(PFNGLENABLEIPROC, glEnablei)                                                                           \
    X(PFNGLBLENDFUNCPROC, glBlendFunc)                                                                       \
    X(PFNGLDEPTHFUNCPROC, glDepthFunc)                                                                       \
    X(PFNGLDEPTHMASKPROC, glDepthMask)                                                                       \
    X(PFNGLDEPTHRANGEPROC, glDepthRange)                                                                     \
    X(PFNGLCULLFACEPROC, glCullFace)                                                                         \
    X(PFNGLFRONTFACEPROC, glFrontFace)                                                                       \
    X(PFNGLPOLYGONOFFSETPROC, glPolygonOffset)                                                               \
    X(PFNGLVIEWPORTPROC, glViewport)                                                                         \
    X(PFNGLSCISSORPROC, glScissor)                                                                           \
    X(PFNGLCLEARCOLORPROC, glClearColor)                                                                     \
    X(PFNGLCLEARDEPTHPROC, glClearDepth)                                                                     \
    X(PFNGLCLEARSTENCILPROC, glClearStencil)                                                                 \
    X(PFNGLCLEARPROC, glClear)                                                                               \
    X(PFNGLCOLORMASKPROC, glColorMask)                                                                       \
    X(PFNGLSTENCILMASKPROC, glStencilMask)                                                                   \
    X(PFNGLPIXELSTOREIPROC, glPixelStorei)                                                                   \
    X(PFNGLREADPIXELSPROC, glReadPixels)                                                                     \
    X(PFNGLFINISHPROC, glFinish)                                                                             \
    X(PFNGLFLUSHPROC, glFlush)                                                                               \
    X(PFNGLPOINTPARAMETERIPROC, glPointParameteri)                                                           \
    X(PFNGLGENTEXTURESPROC, glGenTextures)                                                                   \
    X(PFNGLDELETETEXTURESPROC, glDeleteTextures)                                                             \
    X(PFNGLBINDTEXTUREPROC, glBindTexture)                                                                   \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                                                               \
    X(PFNGLTEXIMAGE2DPROC, glTexImage2D)                                                                     \
    X(PFNGLTEXSUBIMAGE2DPROC, glTexSubImage2D)                                                               \
    X(PFNGLCOMPRESSEDTEXIMAGE2DPROC, glCompressedTexImage2D)                                                 \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE2DPROC, glCompressedTexSubImage2D)                                           \
    X(PFNGLTEXPARAMETERIPROC, glTexParameteri)                                                               \
    X(PFNGLGENSAMPLERSPROC, glGenSamplers)                                                                   \
    X(PFNGLDELETESAMPLERSPROC, glDeleteSamplers)                                                             \
    X(PFNGLBINDSAMPLERPROC, glBindSampler)                                                                   \
    X(PFNGLSAMPLERPARAMETERIPROC, glSamplerParameteri)                                                       \
    X(PFNGLSAMPLERPARAMETERFPROC, glSamplerParameterf)                                                       \
    X(PFNGLSAMPLERPARAMETERFVPROC, glSamplerParameterfv)                                                     \
    X(PFNGLGENBUFFERSPROC, glGenBuffers)                                                                     \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                                               \
    X(PFNGLBINDBUFFERPROC, glBindBuffer)                                                                     \
    X(PFNGLBUFFERDATAPROC, glBufferData)                                                                     \
    X(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                                                               \
    X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                                                           \
    X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                                                     \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                                                           \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)                                           \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                                                   \
    X(PFNGLVERTEXATTRIB4FPROC, glVertexAttrib4f)                                                             \
    X(PFNGLDRAWARRAYSPROC, glDrawArrays)                                                                     \
    X(PFNGLDRAWELEMENTSPROC, glDrawElements)                                                                 \
    X(PFNGLDRAWELEMENTSBASEVERTEXPROC, glDrawElementsBaseVertex)                                             \
    X(PFNGLCREATESHADERPROC, glCreateShader)                                                                 \
    X(PFNGLSHADERSOURCEPROC, glShaderSource)                                                                 \
    X(PFNGLCOMPILESHADERPROC, glCompileShader)                                                               \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv)                                                                   \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                                                         \
    X(PFNGLDELETESHADERPROC, glDeleteShader)                                                                 \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                                                               \
    X(PFNGLATTACHSHADERPROC, glAttachShader)                                                                 \
    X(PFNGLDETACHSHADERPROC, glDetachShader)                                                                 \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram)                                                                   \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                                                 \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                                       \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                                               \
    X(PFNGLUSEPROGRAMPROC, glUseProgram)                                                                     \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                                                     \
    X(PFNGLUNIFORM1IPROC, glUniform1i)                                                                       \
    X(PFNGLUNIFORM1FPROC, glUniform1f)                                                                       \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv)                                                                     \
    X(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv)                                                         \
    X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)                                                         \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                                                     \
    X(PFNGLBINDFRAGDATALOCATIONPROC, glBindFragDataLocation)                                                 \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                                           \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                                     \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                           \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)                                                 \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                                           \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                                             \
    X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                                         \
    X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                                   \
    X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                                         \
    X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                                                   \
    X(PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, glRenderbufferStorageMultisample)                             \
    X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)                                                           \
    X(PFNGLDRAWBUFFERPROC, glDrawBuffer)                                                                     \
    X(PFNGLREADBUFFERPROC, glReadBuffer)

#define ZOQ_GL_DECLARE(type, name) inline detail::Entry<type> name;
ZOQ_GL_FUNCTIONS(ZOQ_GL_DECLARE)
#undef ZOQ_GL_DECLARE

// Loads every entry point; false (with a debug line naming the first missing one) when the
// driver lacks one. Needs a current context of the window layer; repeated calls are free.
bool LoadGl();

} // namespace plat::gfx::gl
