// Where the menus' pieces lie: the list icons, the tool-tip frame and the count labels in the interface
// texture "TEX_INT_ICONS" (256 x 256), the scroll bar in "TEX_INT_PROK" (64 x 64). Every drawing of these
// pieces, and the demo data that paints them, reads this table.
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

// The count labels of the in-base menus: the icon without a count and the one above a count.
constexpr SAtlasPiece kNoCountIcon { 73, 51, 32, 32 };
constexpr SAtlasPiece kCountIcon { 112, 51, 32, 32 };

// The scroll bar of a mark-up control: the two 11 x 14 arrows, each also lit, and the track and
// thumb, 11 pixels wide, stretched to the bar's length.
constexpr const char* kScrollTexture = "TEX_INT_PROK";
constexpr int32_t kScrollSize = 64;
enum ScrollPiece { kScrollUp, kScrollUpLit, kScrollDown, kScrollDownLit, kScrollTrack, kScrollThumb };
constexpr SAtlasPiece kScroll[6] = {
    { 0, 0, 11, 14 },
    { 11, 0, 11, 14 },
    { 22, 0, 11, 14 },
    { 33, 0, 11, 14 },
    { 0, 16, 11, 32 },
    { 16, 16, 11, 32 },
};

} // namespace atlas
