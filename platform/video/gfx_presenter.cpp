#include "platform/video/gfx_presenter.h"

#include "platform/gfx/picture.h"

namespace plat::video {

Presenter GfxPresenter(plat::gfx::DeviceWindow& window, std::function<plat::gfx::Device*()> device)
{
    return [&window, device = std::move(device)](const PictureView& view) {
        plat::gfx::Picture picture { view.pixels, view.width, view.height, view.pitch };
        // A lost device or a window that cannot be drawn on shows nothing, as a lost surface would.
        plat::gfx::PresentPicture(device ? device() : nullptr, &window, picture);
    };
}

} // namespace plat::video
