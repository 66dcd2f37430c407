#include "platform/gfx/picture.h"

#include "platform/gfx/backend.h"
#include "platform/gfx/device.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <memory>
#include <string>

namespace plat::gfx {
namespace {

// The backend of device-less pictures, made on first use.
std::unique_ptr<AdapterBackend>& PictureBackend()
{
    static std::unique_ptr<AdapterBackend> backend;
    return backend;
}

} // namespace

bool IsValidPicture(const Picture& picture)
{
    return picture.pixels && picture.width >= 1 && picture.height >= 1 && picture.width <= kMaxPictureSide
        && picture.height <= kMaxPictureSide && picture.pitch % 4 == 0 && picture.pitch / 4 >= picture.width;
}

Rect FitPicture(uint32_t pictureWidth, uint32_t pictureHeight, uint32_t windowWidth, uint32_t windowHeight)
{
    if (pictureWidth == 0 || pictureHeight == 0 || windowWidth == 0 || windowHeight == 0)
        return {};
    uint64_t pw = pictureWidth, ph = pictureHeight, ww = windowWidth, wh = windowHeight;
    uint64_t width = ww;
    uint64_t height = wh;
    // Rounded to the nearest pixel, never below one.
    if (ww * ph <= wh * pw)
        height = std::max<uint64_t>(1, (2 * ww * ph + pw) / (2 * pw));
    else
        width = std::max<uint64_t>(1, (2 * wh * pw + ph) / (2 * ph));
    auto x = int32_t((ww - width) / 2);
    auto y = int32_t((wh - height) / 2);
    return { x, y, x + int32_t(width), y + int32_t(height) };
}

Result PresentPicture(Device* device, DeviceWindow* window, const Picture& picture)
{
    if (device)
        return device->PresentPicture(picture);
    if (!window || !IsValidPicture(picture))
        return Result::InvalidCall;
    std::unique_ptr<AdapterBackend>& backend = PictureBackend();
    if (!backend) {
        backend = CreateBackend(DefaultBackendName());
        if (!backend) {
            win::DebugOutput("plat::gfx: PresentPicture: no backend to show pictures");
            return Result::NotAvailable;
        }
    }
    return backend->PresentPicture(*window, picture);
}

void ReleasePictureOutput()
{
    PictureBackend().reset();
}

} // namespace plat::gfx
