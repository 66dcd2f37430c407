// Pictures shown straight into a window, as the video player shows its frames: an XRGB8888
// picture in system memory, scaled to fill the window as far as its aspect allows, black bars
// around it, then swapped in. With a device it goes through the device's backend onto the
// device's window and leaves every state the device and its backend keep as it was; without one
// it goes through a backend and a context of its own on the given window.
#pragma once

#include "platform/gfx/types.h"
#include "platform/gfx/window.h"

#include <cstdint>

namespace plat::gfx {

class Device;

struct Picture {
    const void* pixels = nullptr; // rows `pitch` bytes apart; pixels 0x00RRGGBB (bytes B, G, R, X)
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pitch = 0;
};

inline constexpr uint32_t kMaxPictureSide = 16384;

// Pixels, sides of 1 to kMaxPictureSide, and a pitch of whole pixels that holds a row.
bool IsValidPicture(const Picture& picture);

// Where a picture goes in a window of the given size: as large as fits with its aspect kept,
// centred, an odd leftover pixel right of it and below it. Empty when either size is.
Rect FitPicture(uint32_t pictureWidth, uint32_t pictureHeight, uint32_t windowWidth, uint32_t windowHeight);

// With a device: on the device's window through its backend, the device's gamma ramp applied as
// at Present; DeviceLost while the device is lost (nothing shown). Without one (device null): on
// `window` through the backend ZOQ_GFX names (else the first built), which keeps a context on the
// window until ReleasePictureOutput or the next CreateDevice; NotAvailable when it cannot draw
// there. InvalidCall for a bad picture or no window. Main thread.
Result PresentPicture(Device* device, DeviceWindow* window, const Picture& picture);

// Drops what device-less pictures keep (the backend and its context).
void ReleasePictureOutput();

} // namespace plat::gfx
