// CZJHtmlWindow: the game's mark-up window. It measures and draws text runs with the game font
// inside its rectangle (a link under the mouse flashes), draws the three list icons, pictures of
// Data\Images\ (ten cached, the least recently used evicted), and frames pictures wider than 100
// pixels. A model of the model table takes a 200 x 150 place and shows its turning 3-D view there. Without a
// font a byte is 8 pixels wide and a line 16 high.
#pragma once

#include "platform/gfx/types.h"
#include "ui/CImageCache.h"
#include "ui/CMHTLWindow.h"

#include <cstdint>

class CZJHtmlWindow : public CMHTLWindow {
public:
    static constexpr int32_t kIconSize = 15;
    static constexpr int32_t kObjectWidth = 200;
    static constexpr int32_t kObjectHeight = 150;
    static constexpr int32_t kFramedWidth = 100;

    CZJHtmlWindow(int32_t left, int32_t top, int32_t right, int32_t bottom);

    int32_t GetFontHeight(int32_t font) override;
    int32_t GetTextWidth(int32_t font, const char* text) override;
    void DrawText(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t font, const char* text,
        uint32_t colour) override;
    void RenderIcon(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const char* name) override;
    void RenderImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1, int32_t clipY1,
        int32_t clipX2, int32_t clipY2, const char* name) override;
    void DrawObject(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1, int32_t clipY1,
        int32_t clipX2, int32_t clipY2, const char* name) override;
    void GetImageSize(int32_t& width, int32_t& height, const char* name) override;
    void GetObjectSize(int32_t& width, int32_t& height, const char*) override { width = height = 0; }
    // Draws plain text with the window's alpha, clipped to the window.
    void DrawPlainText(int32_t x, int32_t y, const char* text, uint32_t colour);

    // The cached picture of that name, loading it when absent; null when it cannot be loaded.
    const CImageCache::SImage* GetImageData(const char* name) { return images.Get(name); }
    int CachedImages() const { return images.Count(); }

    float opacity = 1.0f;

protected:
    // The alpha byte of the window's opacity, in place.
    uint32_t Alpha() const;
    // Draws the text at (x, y), wide at most width, in an ARGB colour, clipped to the window.
    void PrintClipped(int32_t x, int32_t y, int32_t width, const char* text, uint32_t colour);

private:
    // The turning 3-D view of a model of the model table in the box, drawn inside the clip.
    void DrawModelView(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1, int32_t clipY1,
        int32_t clipX2, int32_t clipY2, const char* name);

    CImageCache images;
    int32_t frameSurface = -1;
};

// The projection of a model view in the box (x1, y1) .. (x2, y2) for a viewport on the part `clip`
// of it: the box keeps its perspective and the viewport shows the clip's part of the picture.
plat::gfx::Matrix ModelViewProjection(
    int32_t x1, int32_t y1, int32_t x2, int32_t y2, const plat::gfx::Rect& clip, float radius);
