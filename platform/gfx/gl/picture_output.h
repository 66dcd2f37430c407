// Pictures on a window without a device: a context of its own on the window, with its own state
// cache and window pass. It lives until the front drops the backend that holds it.
#pragma once

#include "platform/gfx/gl/context.h"
#include "platform/gfx/gl/gl_state.h"
#include "platform/gfx/gl/window_pass.h"
#include "platform/gfx/picture.h"

#include <memory>

namespace plat::gfx::gl {

class PictureOutput {
public:
    // Null, with a debug line, when no context can be made on the window.
    static std::unique_ptr<PictureOutput> Create(plat::window::Window& window);
    ~PictureOutput();
    PictureOutput(const PictureOutput&) = delete;
    PictureOutput& operator=(const PictureOutput&) = delete;

    // Whether this output draws on that window, which still lives.
    bool IsFor(const plat::window::Window* window) const;
    // A checked picture fitted into the window, then swapped in.
    Result Present(const Picture& picture);

private:
    explicit PictureOutput(std::unique_ptr<Context> context)
        : m_context(std::move(context))
    {
    }

    std::unique_ptr<Context> m_context;
    StateCache m_state;
    WindowPass m_pass { m_state };
};

} // namespace plat::gfx::gl
