#include "platform/gfx/gl/picture_output.h"

#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/window.h"

#include <vector>

namespace plat::gfx::gl {
namespace {

// The test capture of CaptureWindowPictures.
struct Capture {
    bool on = false;
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
};

Capture& TheCapture()
{
    static Capture capture;
    return capture;
}

} // namespace

std::unique_ptr<PictureOutput> PictureOutput::Create(plat::window::Window& window)
{
    std::unique_ptr<Context> context = Context::Create(&window);
    if (!context)
        return nullptr;
    return std::unique_ptr<PictureOutput>(new PictureOutput(std::move(context)));
}

PictureOutput::~PictureOutput()
{
    m_pass.Release(m_context->MakeCurrent());
}

bool PictureOutput::IsFor(const plat::window::Window* window) const
{
    return window && m_context->GetWindow() == window;
}

Result PictureOutput::Present(const Picture& picture)
{
    if (!m_context->MakeCurrent())
        return Result::NotAvailable;
    plat::window::Window* window = m_context->GetWindow();
    plat::window::Size drawable = window->DrawableSize();
    if (drawable.width <= 0 || drawable.height <= 0)
        return Result::Ok;
    GLuint image = m_pass.UploadPicture(picture);
    if (!image)
        return Result::OutOfVideoMemory;
    Capture& capture = TheCapture();
    m_pass.SetCapture(capture.on);
    Rect out = FitPicture(picture.width, picture.height, uint32_t(drawable.width), uint32_t(drawable.height));
    if (!m_pass.Draw(image, picture.width, picture.height, drawable.width, drawable.height, out,
            GammaRamp::Identity()))
        return Result::NotAvailable;
    if (capture.on)
        capture.pixels = m_pass.Captured(capture.width, capture.height);
    window->SwapBuffers();
    return Result::Ok;
}

void CaptureWindowPictures(bool on)
{
    Capture& capture = TheCapture();
    capture = Capture {};
    capture.on = on;
}

std::vector<uint32_t> CapturedWindowPicture(int& width, int& height)
{
    const Capture& capture = TheCapture();
    width = capture.width;
    height = capture.height;
    return capture.pixels;
}

} // namespace plat::gfx::gl
