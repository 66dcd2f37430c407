// The pass that puts an image into a window: the whole window black, then the image scaled into
// a rectangle of it (nearest for whole ratios, else linear) through the gamma ramp as a lookup
// (out = ramp[round(c * 255)] / 65535 per channel), flipped once: images hold their top row
// first, the window's bottom row comes first. Present's back buffer and device pictures share it.
// Every GL state it changes goes through the context's state cache.
#pragma once

#include "platform/gfx/gl/gl_api.h"
#include "platform/gfx/gl/gl_state.h"
#include "platform/gfx/picture.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <vector>

namespace plat::gfx::gl {

class WindowPass {
public:
    explicit WindowPass(StateCache& state)
        : m_state(state)
    {
    }
    WindowPass(const WindowPass&) = delete;
    WindowPass& operator=(const WindowPass&) = delete;

    // Deletes the pass's objects when its context is current, else forgets them.
    void Release(bool current);

    // Copies a checked picture into the pass's picture texture; 0 when GL cannot hold it.
    GLuint UploadPicture(const Picture& picture);
    // Draws into the window's framebuffer of the given drawable size; `out` is in window
    // pixels, top row first. False when the pass's program does not build.
    bool Draw(GLuint image, uint32_t imageWidth, uint32_t imageHeight, int drawableWidth, int drawableHeight,
        const Rect& out, const GammaRamp& ramp);

    // Keeps a copy of the window's pixels after each Draw (tests): rows top first, 0xAARRGGBB.
    void SetCapture(bool on) { m_capture = on; }
    std::vector<uint32_t> Captured(int& width, int& height) const;

private:
    bool Prepare();

    StateCache& m_state;
    GLuint m_program = 0;
    GLuint m_rampTexture = 0;
    GammaRamp m_ramp;
    bool m_rampKnown = false;
    GLuint m_emptyArray = 0;
    GLuint m_nearest = 0;
    GLuint m_linear = 0;
    GLuint m_picture = 0;
    uint32_t m_pictureWidth = 0;
    uint32_t m_pictureHeight = 0;
    bool m_failed = false;

    bool m_capture = false;
    std::vector<uint32_t> m_captured;
    int m_capturedWidth = 0;
    int m_capturedHeight = 0;
};

} // namespace plat::gfx::gl
