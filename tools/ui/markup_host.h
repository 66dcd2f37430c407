// A mark-up window that measures without a device: every byte 8 pixels wide and a line 16 high,
// or the game font's glyph advances and line height. Every font number measures with the one
// font. Drawing does nothing; images have the sizes given, anything else is 0 x 0.
#pragma once

#include "ui/CMHTLWindow.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

class CFont;

namespace zoq::tools::ui {

class MarkupHost : public CMHTLWindow {
public:
    static constexpr int32_t kCharWidth = 8;
    static constexpr int32_t kLineHeight = 16;

    // Without a font the fixed widths measure; the font must outlive the window.
    MarkupHost(int32_t left, int32_t top, int32_t right, int32_t bottom, const CFont* font = nullptr);

    int32_t GetFontHeight(int32_t font) override;
    int32_t GetTextWidth(int32_t font, const char* text) override;
    void DrawText(int32_t, int32_t, int32_t, int32_t, int32_t, const char*, uint32_t) override { }
    void RenderIcon(int32_t, int32_t, int32_t, int32_t, const char*) override { }
    void RenderImage(
        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const char*) override
    {
    }
    void DrawObject(
        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const char*) override
    {
    }
    void GetImageSize(int32_t& width, int32_t& height, const char* name) override;
    void GetObjectSize(int32_t& width, int32_t& height, const char* name) override;

    std::map<std::string, std::pair<int32_t, int32_t>> images; // name: width, height
    int64_t widthCalls = 0; // GetTextWidth calls so far

private:
    const CFont* m_font;
};

// The window's records and blocks as tab-separated UTF-8 lines:
//   record <i> <kind or -> <x1>,<y1>,<x2>,<y2> <RRGGBB> <font> <visible> <ragged> <block> <text>
//   block <name> <first> <last>
// A tab, line feed, carriage return or backslash in a text is written as \t, \n, \r or \\.
std::string DescribeTable(const CMHTLWindow& window);

// Reads the glyph file of the game font "data\fonts\font1.kwd" under the base folder dir (archives
// of its Data folder first); false with the reason.
bool LoadGameFont(const std::string& dir, CFont& font, std::string& error);

} // namespace zoq::tools::ui
