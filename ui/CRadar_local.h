// Helpers shared by the files of CRadar: quads of any four corners drawn through the screen buffer.
#pragma once

#include <cstdint>

class CTexture;

namespace radar {

// Shader slots: one texture with alpha; one texture tinted by the factor colour; the factor
// colour alone; the second texture's colour (second coordinate set) inside the first's alpha; the
// big map's picture, fog and back picture.
constexpr int kPlainSlot = 6;
constexpr int kTintSlot = 19;
constexpr int kColourSlot = 29;
constexpr int kWindowSlot = 48;
constexpr int kBigMapSlot = 44;

// One corner: screen position and the two texture-coordinate sets.
struct SCorner {
    float x, y;
    float u0, v0, u1, v1;
};

// Corners in the order top left, top right, bottom left, bottom right. False when nothing could
// be drawn (no model manager or shader manager).
bool DrawQuad(
    int slot, const SCorner (&corners)[4], CTexture* t0, CTexture* t1 = nullptr, CTexture* t2 = nullptr);
// An axis-aligned quad showing the texel rectangle (u0, v0)-(u1, v1) of a texture extent texels
// wide, in both coordinate sets.
bool DrawRect(int slot, CTexture* texture, float x1, float y1, float x2, float y2, float u0, float v0,
    float u1, float v1, float extent);
// A w x h quad turned by angle about its centre (cx, cy), showing the whole texture.
bool DrawTurned(int slot, CTexture* texture, float cx, float cy, float w, float h, float angle);

} // namespace radar
