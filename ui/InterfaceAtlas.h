// Where the menus' pieces lie in the interface texture "TEX_INT_ICONS" (256 x 256): the list
// icons, the tool-tip frame and the scroll bar. Every drawing of these pieces reads this table.
#pragma once

#include <cstdint>

struct SAtlasPiece {
    int32_t u, v, width, height;
};

namespace atlas {

constexpr const char* kTexture = "TEX_INT_ICONS";
constexpr int32_t kSize = 256;

// The 15 x 15 list and mark-up icons, side by side from the top left: icon i at (15 i, 0).
constexpr int32_t kIconSize = 15;
constexpr int32_t kIconCount = 3;
constexpr SAtlasPiece Icon(int32_t i)
{
    return { i * kIconSize, 0, kIconSize, kIconSize };
}

// The tool-tip frame: a 6 x 6 block of 2-pixel pieces, corners, edges and the centre.
enum ToolTipPiece { kTopLeft, kTop, kTopRight, kLeft, kCentre, kRight, kBottomLeft, kBottom, kBottomRight };
constexpr int32_t kFrameBorder = 2;
constexpr SAtlasPiece kToolTip[9] = {
    { 64, 0, 2, 2 },
    { 66, 0, 2, 2 },
    { 68, 0, 2, 2 },
    { 64, 2, 2, 2 },
    { 66, 2, 2, 2 },
    { 68, 2, 2, 2 },
    { 64, 4, 2, 2 },
    { 66, 4, 2, 2 },
    { 68, 4, 2, 2 },
};

// The scroll bar: the two arrows, the track and the thumb, 12 x 12 each.
enum ScrollPiece { kScrollUp, kScrollDown, kScrollTrack, kScrollThumb };
constexpr SAtlasPiece kScroll[4] = {
    { 96, 0, 12, 12 },
    { 108, 0, 12, 12 },
    { 120, 0, 12, 12 },
    { 132, 0, 12, 12 },
};

} // namespace atlas
