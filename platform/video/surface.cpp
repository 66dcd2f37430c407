#include "platform/video/surface.h"

#include <algorithm>

namespace plat::video {

namespace {
Presenter& DefaultPresenterSlot()
{
    static Presenter presenter;
    return presenter;
}
} // namespace

void SetDefaultPresenter(Presenter presenter)
{
    DefaultPresenterSlot() = std::move(presenter);
}
const Presenter& DefaultPresenter()
{
    return DefaultPresenterSlot();
}

Surface::Surface(uint32_t width, uint32_t height, Presenter presenter)
    : m_width(width)
    , m_height(height)
    , m_presenter(std::move(presenter))
    , m_pixels(size_t(width) * height, 0)
{
}

SurfaceResult Surface::Lock(uint8_t*& bits, uint32_t& pitch)
{
    bits = nullptr;
    pitch = 0;
    if (m_failLocks || m_locked)
        return SurfaceResult::Fail;
    if (m_lost)
        return SurfaceResult::Lost;
    m_locked = true;
    bits = reinterpret_cast<uint8_t*>(m_pixels.data());
    pitch = Pitch();
    return SurfaceResult::Ok;
}

void Surface::Unlock()
{
    if (!m_locked)
        return;
    m_locked = false;
    Present();
}

SurfaceResult Surface::Restore()
{
    if (m_failingRestores > 0) {
        --m_failingRestores;
        return SurfaceResult::Lost;
    }
    m_lost = false;
    return SurfaceResult::Ok;
}

void Surface::Fill(uint32_t colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), colour & 0x00FFFFFF);
    Present();
}

void Surface::ForceLost(uint32_t failingRestores)
{
    m_lost = true;
    m_failingRestores = failingRestores;
}

void Surface::ForceLockFailure(bool fail)
{
    m_failLocks = fail;
}

void Surface::Present()
{
    if (m_presenter)
        m_presenter({ m_pixels.data(), m_width, m_height, Pitch() });
}

} // namespace plat::video
