#include "platform/gfx/gl/context.h"

#include "platform/gfx/gl/gl_api.h"
#include "platform/win/debug.h"
#include "platform/window/window.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

namespace plat::gfx::gl {
namespace {

constexpr int kMajor = 3;
constexpr int kMinor = 3;

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx::gl: " + text);
}

bool HasExtension(const char* name)
{
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        auto* text = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, GLuint(i)));
        if (text && std::strcmp(text, name) == 0)
            return true;
    }
    return false;
}

std::string GlString(GLenum name)
{
    auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

DriverInfo Probe()
{
    DriverInfo info;
    // Whatever context the program has current (the settings program's dialog) stays current.
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    struct Restore {
        SDL_Window* window;
        SDL_GLContext context;
        ~Restore()
        {
            if (context)
                SDL_GL_MakeCurrent(window, context);
        }
    } restore { previousWindow, previousContext };
    std::unique_ptr<Context> context = Context::Create(nullptr);
    if (!context) {
        info.failure = "no OpenGL 3.3 core context";
        return info;
    }
    info.renderer = GlString(GL_RENDERER);
    info.version = GlString(GL_VERSION);
    GLint value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    info.maxTextureSize = uint32_t(std::max(value, 0));
    info.anisotropy = HasExtension("GL_EXT_texture_filter_anisotropic")
        || HasExtension("GL_ARB_texture_filter_anisotropic");
    if (info.anisotropy) {
        GLfloat max = 1;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &max);
        info.maxAnisotropy = std::max(1.0f, max);
    }
    info.s3tc = HasExtension("GL_EXT_texture_compression_s3tc");
    GLfloat range[2] = { 1, 1 };
    glGetFloatv(GL_POINT_SIZE_RANGE, range);
    info.maxPointSize = std::max(1.0f, range[1]);
    value = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &value);
    info.maxSamples = uint32_t(std::max(value, 0));
    // Two vendor extensions tell the memory, in kilobytes.
    constexpr GLenum kTotalMemoryNvx = 0x9048;
    constexpr GLenum kTextureFreeMemoryAti = 0x87FC;
    GLint kilobytes[4] = {};
    if (HasExtension("GL_NVX_gpu_memory_info"))
        glGetIntegerv(kTotalMemoryNvx, kilobytes);
    else if (HasExtension("GL_ATI_meminfo"))
        glGetIntegerv(kTextureFreeMemoryAti, kilobytes);
    info.textureMemory = uint64_t(std::max(kilobytes[0], 0)) * 1024;
    while (glGetError() != GL_NO_ERROR) { }
    info.ok = true;
    return info;
}

} // namespace

std::unique_ptr<Context> Context::Create(plat::window::Window* window)
{
    std::unique_ptr<Context> context(new Context());
    if (!window) {
        plat::window::WindowDesc desc;
        desc.className = "ZOQGL";
        desc.width = 1;
        desc.height = 1;
        desc.style = plat::window::Style::Hidden | plat::window::Style::Borderless;
        context->m_ownWindow = plat::window::Window::Create(desc);
        if (!context->m_ownWindow) {
            Log("no window for the context");
            return nullptr;
        }
        window = context->m_ownWindow.get();
    }
    context->m_window = window;
    context->m_windowId = window->Id();
    context->m_context = window->CreateGlContext(kMajor, kMinor);
    if (!context->m_context)
        return nullptr;
    // SDL makes a new context current; remember which it is.
    context->m_raw = SDL_GL_GetCurrentContext();
    if (!LoadGl())
        return nullptr;
    return context;
}

Context::~Context()
{
    m_context.reset();
    m_ownWindow.reset();
}

plat::window::Window* Context::GetWindow() const
{
    if (m_ownWindow)
        return m_ownWindow.get();
    return plat::window::FindWindow(m_windowId) == m_window ? m_window : nullptr;
}

bool Context::MakeCurrent()
{
    plat::window::Window* window = GetWindow();
    if (!window || !window->IsAlive())
        return false;
    // Other code (another device, a dialog) may have made its own context current meanwhile.
    if (SDL_GL_GetCurrentContext() == m_raw)
        return true;
    return m_context->MakeCurrent();
}

const DriverInfo& GetDriverInfo()
{
    static const DriverInfo info = Probe();
    return info;
}

} // namespace plat::gfx::gl
