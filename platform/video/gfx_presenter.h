// The presenter that shows video pictures through the graphics layer. It lives apart from the
// surface (library zoq_platform_video_gfx), so neither layer depends on the other; the program
// installs it once: SetDefaultPresenter(GfxPresenter(window, device)).
#pragma once

#include "platform/video/surface.h"

#include <functional>

namespace plat::gfx {
class Device;
class DeviceWindow;
} // namespace plat::gfx

namespace plat::video {

// Pictures go on the device `device` returns when it returns one, else straight on `window`,
// fitted to it with their aspect kept. The window must outlive the presenter's use.
Presenter GfxPresenter(plat::gfx::DeviceWindow& window, std::function<plat::gfx::Device*()> device = {});

} // namespace plat::video
