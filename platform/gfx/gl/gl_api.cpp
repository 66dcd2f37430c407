#include "platform/gfx/gl/gl_api.h"

#include "platform/win/debug.h"
#include "platform/window/window.h"

#include <string>

namespace plat::gfx::gl {

namespace detail {
uint64_t g_callCount = 0;
} // namespace detail

uint64_t GlCallCount()
{
    return detail::g_callCount;
}

bool LoadGl()
{
    static bool loaded = false;
    if (loaded)
        return true;
    const char* missing = nullptr;
#define ZOQ_GL_LOAD(type, name)                                                                              \
    name.fn = reinterpret_cast<type>(plat::window::GlContext::ProcAddress(#name));                           \
    if (!name.fn && !missing)                                                                                \
        missing = #name;
    ZOQ_GL_FUNCTIONS(ZOQ_GL_LOAD)
#undef ZOQ_GL_LOAD
    if (missing) {
        win::DebugOutput(std::string("plat::gfx::gl: the driver lacks ") + missing);
        return false;
    }
    loaded = true;
    return true;
}

} // namespace plat::gfx::gl
