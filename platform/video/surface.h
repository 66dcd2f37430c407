// The picture surface a video is copied into: XRGB8888 in system memory with a pitch, locked
// for writing and shown when unlocked. Showing goes through a presenter the owner supplies,
// so this layer draws nothing itself.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace plat::video {

struct PictureView {
    const uint32_t* pixels = nullptr; // rows `pitch` bytes apart, 0x00RRGGBB
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pitch = 0;
};

// Draws a picture letterboxed into the window.
using Presenter = std::function<void(const PictureView& picture)>;

// The presenter new players take: the program sets it once to the graphics layer's picture
// presenter. Empty at start, when pictures are dropped.
void SetDefaultPresenter(Presenter presenter);
const Presenter& DefaultPresenter();

enum class SurfaceResult {
    Ok,
    Lost, // restore and lock again
    Fail,
};

// The pixel layout a video copies into this surface; every surface takes it.
inline constexpr int kSurfaceXrgb8888 = 1;

class Surface {
public:
    Surface(uint32_t width, uint32_t height, Presenter presenter);

    SurfaceResult Lock(uint8_t*& bits, uint32_t& pitch);
    // Shows the picture.
    void Unlock();
    SurfaceResult Restore();
    // Fills the whole surface and shows it.
    void Fill(uint32_t colour);

    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t Pitch() const { return m_width * 4; }
    int SurfaceType() const { return kSurfaceXrgb8888; }
    const std::vector<uint32_t>& Pixels() const { return m_pixels; }

    // Test hooks: the next locks report Lost until Restore has been called `failingRestores`
    // + 1 times; with `fail` every lock fails.
    void ForceLost(uint32_t failingRestores = 0);
    void ForceLockFailure(bool fail);

private:
    void Present();

    uint32_t m_width;
    uint32_t m_height;
    Presenter m_presenter;
    std::vector<uint32_t> m_pixels;
    bool m_locked = false;
    bool m_lost = false;
    uint32_t m_failingRestores = 0;
    bool m_failLocks = false;
};

} // namespace plat::video
