// Present: the back buffer goes through the window pass into the window layer's output
// rectangle, in a window as in full screen, then the swap. Pictures take the same pass into
// the rectangle that fits them. Read-backs never see the ramp.
#include "platform/gfx/gl/gl_device.h"

#include "platform/window/window.h"

namespace plat::gfx::gl {

void GlDevice::FinalPass(Surface& backBuffer, const GammaRamp& ramp)
{
    plat::window::Window* window = m_context->GetWindow();
    if (!window)
        return;
    plat::window::Size drawable = window->DrawableSize();
    if (drawable.width <= 0 || drawable.height <= 0)
        return;
    auto* object = static_cast<SurfaceObject*>(backBuffer.BackendData());
    if (!object)
        return;
    GLuint image = object->texture;
    if (object->samples > 0) {
        ReadableFramebuffer(backBuffer);
        image = object->resolveTexture;
    }
    plat::window::Rect out = window->OutputRect();
    m_windowPass.Draw(image, backBuffer.Width(), backBuffer.Height(), drawable.width, drawable.height,
        { out.x, out.y, out.x + out.width, out.y + out.height }, ramp);
}

Result GlDevice::Present(Surface& backBuffer, const GammaRamp& ramp)
{
    if (!Current())
        return Result::DeviceLost;
    FinalPass(backBuffer, ramp);
    if (plat::window::Window* window = m_context->GetWindow())
        window->SwapBuffers();
    return Result::Ok;
}

Result GlDevice::PresentPicture(const Picture& picture, const GammaRamp& ramp)
{
    if (!Current())
        return Result::DeviceLost;
    plat::window::Window* window = m_context->GetWindow();
    if (!window)
        return Result::DeviceLost;
    plat::window::Size drawable = window->DrawableSize();
    if (drawable.width <= 0 || drawable.height <= 0)
        return Result::Ok;
    GLuint image = m_windowPass.UploadPicture(picture);
    if (!image)
        return Result::OutOfVideoMemory;
    Rect out = FitPicture(picture.width, picture.height, uint32_t(drawable.width), uint32_t(drawable.height));
    if (!m_windowPass.Draw(image, picture.width, picture.height, drawable.width, drawable.height, out, ramp))
        return Result::NotAvailable;
    window->SwapBuffers();
    return Result::Ok;
}

std::vector<uint32_t> GlDevice::Captured(int& width, int& height) const
{
    return m_windowPass.Captured(width, height);
}

} // namespace plat::gfx::gl
