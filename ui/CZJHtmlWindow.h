// Stand-in until the game's mark-up window lands (the menus issue replaces it): a mark-up window
// that measures and draws plain text with the game font, clipped to the window. Icons, images and
// objects have no size and draw nothing. Without a font a byte is 8 pixels wide and a line 16 high.
#pragma once

#include "ui/CMHTLWindow.h"

class CZJHtmlWindow : public CMHTLWindow {
public:
    using CMHTLWindow::CMHTLWindow;

    int32_t GetFontHeight(int32_t font) override;
    int32_t GetTextWidth(int32_t font, const char* text) override;
    void DrawText(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t font, const char* text,
        uint32_t colour) override;
    void RenderIcon(int32_t, int32_t, int32_t, int32_t, const char*) override { }
    void RenderImage(
        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const char*) override
    {
    }
    void DrawObject(
        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const char*) override
    {
    }
    void GetImageSize(int32_t& width, int32_t& height, const char*) override { width = height = 0; }
    void GetObjectSize(int32_t& width, int32_t& height, const char*) override { width = height = 0; }

protected:
    // Draws the text at (x, y), wide at most width, in an ARGB colour, clipped to the window.
    void PrintClipped(int32_t x, int32_t y, int32_t width, const char* text, uint32_t colour);
};
