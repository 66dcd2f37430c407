// What the device reads of its window. The window layer (or a test fake) implements it; the
// graphics layer never includes the window layer.
#pragma once

#include <cstdint>

namespace plat::gfx {

struct WindowSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

class DeviceWindow {
public:
    virtual ~DeviceWindow() = default;
    virtual bool IsMinimised() const = 0;
    virtual bool IsFocused() const = 0;
    virtual WindowSize ClientSize() const = 0;
    // The window layer's plat::window::Window the gl backend draws into; null makes it draw on a
    // hidden window of its own.
    virtual void* NativeHandle() const { return nullptr; }
};

} // namespace plat::gfx
