// CMHTLWindow: drawing through the host's slots, hover and clicks.
#include "ui/CMHTLWindow.h"

#include "foundation/CallTrace.h"
#include "ui/CMHTLWindow_local.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsLink(const MHTLLine& line)
{
    return !line.kind.IsEmpty() && !mhtl::KindIs(line.kind, mhtl::kImage)
        && !mhtl::KindIs(line.kind, mhtl::kIcon);
}

// Hidden records keep their boxes under the text that moved up over them, so only visible ones
// are hit.
bool Holds(const MHTLLine& line, int32_t x, int32_t y)
{
    return line.visible && line.x1 <= x && x <= line.x2 - 1 && line.y1 <= y && y <= line.y2 - 1;
}

} // namespace

void CMHTLWindow::Render()
{
    try {
        int32_t block = 0;
        if (!blocks.IsEmpty())
            std::memcpy(currentBlock, blocks.At(0).name, sizeof currentBlock);
        const MHTLLine* hover = hoverLine >= 0 && hoverLine < lineCount ? &lines.At(hoverLine) : nullptr;
        for (int32_t i = 0; i < lineCount; ++i) {
            while (block + 1 < blocks.Count() && i > blocks.At(block).lastLine) {
                ++block;
                std::memcpy(currentBlock, blocks.At(block).name, sizeof currentBlock);
            }
            const MHTLLine& line = lines.At(i);
            if (!line.visible)
                continue;
            const bool inView
                = wholeLinesOnly ? line.y2 <= bottom && line.y1 >= top : line.y1 <= bottom && line.y2 >= top;
            const bool overlaps = line.y2 >= top && line.y1 <= bottom;
            if (mhtl::KindIs(line.kind, mhtl::kIcon)) {
                if (inView)
                    RenderIcon(line.x1, line.y1, line.x2, line.y2, line.text.Text());
            } else if (mhtl::KindIs(line.kind, mhtl::kImage)) {
                if (overlaps)
                    RenderImage(line.x1, line.y1, line.x2, line.y2, line.x1, std::max(line.y1, top), line.x2,
                        std::min(line.y2, bottom), line.text.Text());
            } else if (inView) {
                const bool hovered = hover
                    && (i == hoverLine
                        || ((i == hoverLine - 1 || i == hoverLine + 1) && line.kind == hover->kind));
                DrawText(line.x1, line.y1, line.x2, line.y2, line.font, line.text.Text(),
                    hovered ? hoverColour : line.colour);
            } else if (mhtl::KindIs(line.kind, mhtl::kObject) && overlaps) {
                DrawObject(line.x1, line.y1, line.x2, line.y2, line.x1, std::max(line.y1, top), line.x2,
                    std::min(line.y2, bottom), line.text.Text());
            }
        }
    } catch (...) {
        AppendCallTrace("CMHTLWindow::Render");
        FlushCallTrace();
    }
}

void CMHTLWindow::MouseMove(int32_t x, int32_t y)
{
    hoverLine = -1;
    for (int32_t i = 0; i < lineCount; ++i) {
        const MHTLLine& line = lines.At(i);
        if (Holds(line, x, y) && IsLink(line)) {
            hoverLine = i;
            return;
        }
    }
}

int CMHTLWindow::MouseClick(int32_t x, int32_t y, CXAnsiString& target)
{
    try {
        // Colours record i and its neighbours of the same kind that lie in the table.
        const auto mark = [this](int32_t i, uint32_t colour) {
            const MHTLText kind = lines.At(i).kind;
            for (int32_t k = std::max(i - 1, 0); k <= std::min(i + 1, lineCount - 1); ++k) {
                if (lines.At(k).kind == kind)
                    lines.At(k).colour = colour;
            }
        };
        for (int32_t i = 0; i < lineCount; ++i) {
            MHTLLine& line = lines.At(i);
            if (!Holds(line, x, y))
                continue;
            if (mhtl::KindIs(line.kind, mhtl::kIcon) && topDown) {
                if (line.text == "MINUS") {
                    line.text = mhtl::Constant("PLUS");
                    Collapse(i, true);
                    return -1;
                }
                if (line.text == "PLUS") {
                    line.text = mhtl::Constant("MINUS");
                    Collapse(i, false);
                    return -1;
                }
            }
            if (!IsLink(line))
                continue;
            target.Assign(line.kind.Length(), line.kind.Text());
            for (int32_t k = 0; k < lineCount; ++k) {
                if (lines.At(k).kind == line.kind)
                    lines.At(k).colour = visitedColour;
            }
            if (selectedLine >= 0 && selectedLine < lineCount)
                mark(selectedLine, visitedColour);
            if (markSelection)
                mark(i, selectedColour);
            selectedLine = i;
            return 1;
        }
        return 0;
    } catch (...) {
        AppendCallTrace("CMHTLWindow::MouseClick");
        FlushCallTrace();
        return 0;
    }
}
