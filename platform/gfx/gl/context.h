// A GL 3.3 core context on a window of the window layer: the device's window, or a hidden 1x1
// window of its own when the device has none (tests, tools, the caps probe). Contexts are
// made current only when another one is.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace plat::window {
class Window;
class GlContext;
} // namespace plat::window

namespace plat::gfx::gl {

class Context {
public:
    // Null, with a debug line, when no context can be made or the entry points do not load.
    static std::unique_ptr<Context> Create(plat::window::Window* window);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // False when the window has gone away; GL must not be called then.
    bool MakeCurrent();
    // The window while it lives.
    plat::window::Window* GetWindow() const;
    bool OwnsWindow() const { return m_ownWindow != nullptr; }

private:
    Context() = default;

    std::unique_ptr<plat::window::Window> m_ownWindow;
    plat::window::Window* m_window = nullptr;
    uint32_t m_windowId = 0;
    std::unique_ptr<plat::window::GlContext> m_context;
    void* m_raw = nullptr; // SDL's handle, to tell whether it is current
};

// What the driver measures, probed once per process on a hidden window.
struct DriverInfo {
    bool ok = false;
    std::string failure; // why ok is false
    std::string renderer;
    std::string version;
    uint32_t maxTextureSize = 0;
    bool anisotropy = false;
    float maxAnisotropy = 1;
    bool s3tc = false;
    float maxPointSize = 1;
    uint32_t maxSamples = 0;
    uint64_t textureMemory = 0; // bytes the driver reports, 0 when it does not say
};

const DriverInfo& GetDriverInfo();

} // namespace plat::gfx::gl
