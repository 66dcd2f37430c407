#include "tests/support/gl_environment.h"

#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/picture.h"

namespace zoq::test {

GlEnvironment::GlEnvironment()
{
    plat::gfx::ReleasePictureOutput();
}

GlEnvironment::~GlEnvironment()
{
    plat::gfx::ReleasePictureOutput();
    plat::gfx::gl::CaptureWindowPictures(false);
    m_views.clear();
    m_windows.clear();
}

::testing::AssertionResult GlEnvironment::DriverReady()
{
    const plat::gfx::gl::DriverFacts facts = plat::gfx::gl::GetDriverFacts();
    if (facts.ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << facts.failure;
}

void GlEnvironment::CaptureWindowPictures()
{
    plat::gfx::gl::CaptureWindowPictures(true);
}

LayerWindow* GlEnvironment::OpenWindow(const plat::window::WindowDesc& desc)
{
    std::unique_ptr<plat::window::Window> window = plat::window::Window::Create(desc);
    if (!window)
        return nullptr;
    m_windows.push_back(std::move(window));
    m_views.push_back(std::make_unique<LayerWindow>(*m_windows.back()));
    return m_views.back().get();
}

} // namespace zoq::test
