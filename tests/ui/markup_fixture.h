// The mark-up window on the fixed-width host (8 pixels a byte, 16 a line) that also records what
// Render hands to the drawing slots, and a short form of its records for comparing.
#pragma once

#include "tools/ui/markup_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zoq::test {

class RecordingWindow : public zoq::tools::ui::MarkupHost {
public:
    RecordingWindow(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : MarkupHost(left, top, right, bottom)
    {
    }

    void DrawText(
        int32_t x1, int32_t y1, int32_t, int32_t, int32_t, const char* text, uint32_t colour) override
    {
        drawn.push_back(Format("text %d,%d %06X %s", x1, y1, colour, text) + " [" + currentBlock + "]");
    }
    void RenderIcon(int32_t x1, int32_t y1, int32_t, int32_t, const char* name) override
    {
        drawn.push_back(Format("icon %d,%d %s", x1, y1, name));
    }
    void RenderImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t cx1, int32_t cy1, int32_t cx2,
        int32_t cy2, const char* name) override
    {
        drawn.push_back(Format("image %d,%d,%d,%d", x1, y1, x2, y2)
            + Format(" clip %d,%d,%d,%d", cx1, cy1, cx2, cy2) + " " + name);
    }

    int32_t Hover() const { return hoverLine; }
    int32_t Cursor() const { return cursorY; }

    std::vector<std::string> drawn;

private:
    template <class... Args> static std::string Format(const char* format, Args... args)
    {
        char text[256];
        std::snprintf(text, sizeof text, format, args...);
        return text;
    }
};

// "kind x1,y1,x2,y2 RRGGBB text" for each record, kind "-" when empty, joined by "; ".
inline std::string Records(const CMHTLWindow& window, int32_t from = 0)
{
    std::string out;
    for (int32_t i = from; i < window.LineCount(); ++i) {
        const MHTLLine& line = window.Line(i);
        char box[96];
        std::snprintf(box, sizeof box, " %d,%d,%d,%d %06X ", line.x1, line.y1, line.x2, line.y2, line.colour);
        out += (out.empty() ? "" : "; ") + std::string(line.kind.IsEmpty() ? "-" : line.kind.Text()) + box
            + line.text.Text();
    }
    return out;
}

} // namespace zoq::test
