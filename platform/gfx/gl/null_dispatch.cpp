#include "platform/gfx/gl/null_dispatch.h"

#include <string_view>

namespace plat::gfx::gl {
namespace {

NullCounts g_counts;

constexpr bool ChangesState(std::string_view name)
{
    constexpr std::string_view kOthers[]
        = { "glDraw", "glGet", "glFinish", "glFlush", "glReadPixels", "glCheckFramebufferStatus" };
    if (name == "glClear")
        return false;
    for (std::string_view other : kOthers) {
        if (name.starts_with(other) && name != "glDrawBuffer")
            return false;
    }
    return true;
}

template <class Fn, bool State> struct NoOp;

template <class R, class... A, bool State> struct NoOp<R(APIENTRYP)(A...), State> {
    static R APIENTRY Call(A...)
    {
        ++g_counts.calls;
        if constexpr (State)
            ++g_counts.stateChanges;
        return R();
    }
};

} // namespace

struct NullDispatch::Table {
#define ZOQ_GL_SLOT(type, name) type name = nullptr;
    ZOQ_GL_FUNCTIONS(ZOQ_GL_SLOT)
#undef ZOQ_GL_SLOT
};

NullDispatch::NullDispatch()
    : m_driver(std::make_unique<Table>())
{
#define ZOQ_GL_SWAP(type, name)                                                                              \
    m_driver->name = gl::name.fn;                                                                            \
    gl::name.fn = &NoOp<type, ChangesState(#name)>::Call;
    ZOQ_GL_FUNCTIONS(ZOQ_GL_SWAP)
#undef ZOQ_GL_SWAP
}

NullDispatch::~NullDispatch()
{
#define ZOQ_GL_RESTORE(type, name) gl::name.fn = m_driver->name;
    ZOQ_GL_FUNCTIONS(ZOQ_GL_RESTORE)
#undef ZOQ_GL_RESTORE
}

NullCounts NullDispatch::Counts()
{
    return g_counts;
}

} // namespace plat::gfx::gl
