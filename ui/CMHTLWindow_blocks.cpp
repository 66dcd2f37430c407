// CMHTLWindow: blocks (adding, deleting, collapsing, rewriting) and scrolling.
#include "ui/CMHTLWindow.h"

#include "foundation/CallTrace.h"
#include "ui/CMHTLWindow_local.h"

#include <cstring>
#include <string_view>

namespace {

void LogFailure(const char* name)
{
    AppendCallTrace(name);
    FlushCallTrace();
}

} // namespace

int32_t CMHTLWindow::FindBlock(const char* name) const
{
    if (name == nullptr)
        return -1;
    char key[MHTLBlock::kNameSize] = {};
    std::strncpy(key, name, sizeof key - 1);
    for (int32_t i = 0; i < blocks.Count(); ++i) {
        if (std::strcmp(blocks.At(i).name, key) == 0)
            return i;
    }
    return -1;
}

int32_t CMHTLWindow::BlockOfRecord(int32_t record) const
{
    for (int32_t i = 0; i < blocks.Count(); ++i) {
        if (blocks.At(i).firstLine <= record && record <= blocks.At(i).lastLine)
            return i;
    }
    return -1;
}

int32_t CMHTLWindow::GetMaxBottom() const
{
    int32_t result = topDown ? top : bottom;
    for (int32_t i = 0; i < lineCount; ++i) {
        const MHTLLine& line = lines.At(i);
        if (line.visible && line.y2 > result)
            result = line.y2;
    }
    return result;
}

int32_t CMHTLWindow::GetMinBottom() const
{
    int32_t result = topDown ? bottom : top;
    for (int32_t i = 0; i < lineCount; ++i) {
        const MHTLLine& line = lines.At(i);
        if (line.visible && line.y2 < result)
            result = line.y2;
    }
    return result;
}

void CMHTLWindow::AddText(const CXAnsiString& text, const char* name, bool newRow)
{
    try {
        if (text.IsEmpty() || !WouldAccept())
            return;
        // The name may be one of the block list's own, which growing the list moves.
        char key[MHTLBlock::kNameSize] = {};
        std::strncpy(key, name ? name : "", sizeof key - 1);
        MHTLBlock& block = *blocks.AddEmpty(true);
        std::memcpy(block.name, key, sizeof key);
        block.firstLine = lineCount;
        std::memcpy(currentBlock, block.name, sizeof currentBlock);
        const int32_t index = blocks.Count() - 1;
        CompactTexts();
        blockName = texts.AddText(currentBlock);

        if (newRow) {
            currentColour = defaultColour;
            cursorY = GetMaxBottom();
            cursorX = left;
            rightLimit = right;
        } else if (lineCount > 0) {
            cursorY = lines.At(lineCount - 1).y1;
        }
        Parser(text);

        const int32_t firstLine = blocks.At(index).firstLine;
        if (lineCount > 0)
            lines.At(lineCount - 1).keepRagged = 1;
        JustifyRows(firstLine);
        blocks.At(index).lastLine = lineCount - 1;
        if (!topDown)
            ReDirect(firstLine);
    } catch (...) {
        LogFailure("CMHTLWindow::AddText");
    }
}

void CMHTLWindow::ReDirect(int32_t first)
{
    try {
        if (first >= lineCount)
            return;
        int32_t newBottom = lines.At(first).y2;
        for (int32_t i = first; i < lineCount; ++i)
            newBottom = std::max(newBottom, lines.At(i).y2);
        int32_t oldTop = lines.At(0).y1;
        for (int32_t i = 0; i < first; ++i)
            oldTop = std::min(oldTop, lines.At(i).y1);
        const int32_t shift = newBottom - oldTop;
        for (int32_t i = first; i < lineCount; ++i) {
            lines.At(i).y1 -= shift;
            lines.At(i).y2 -= shift;
        }
    } catch (...) {
        LogFailure("CMHTLWindow::ReDirect");
    }
}

void CMHTLWindow::SetFlags(uint8_t markSelection, uint8_t topDown, uint8_t snapScroll)
{
    this->markSelection = markSelection;
    this->topDown = topDown;
    this->snapScroll = snapScroll;
}

void CMHTLWindow::Clear()
{
    currentColour = defaultColour;
    blocks.Done();
    lineCount = 0;
    selectedLine = -1;
    hoverLine = -1;
    rightLimit = right;
    cursorY = top;
    cursorX = left;
    texts.Reset();
}

void CMHTLWindow::CompactTexts()
{
    // Deleted blocks and rewritten texts leave their bytes behind until the store is copied.
    static constexpr size_t kLeastCompact = 256 * 1024;
    if (texts.Used() < std::max(compactAt, kLeastCompact))
        return;
    MHTLTextStore kept;
    MHTLText oldBlock;
    MHTLText newBlock;
    for (int32_t i = 0; i < lineCount; ++i) {
        MHTLLine& line = lines.At(i);
        line.kind = kept.AddText(line.kind.View());
        line.text = kept.AddText(line.text.View());
        if (i == 0 || line.block.Text() != oldBlock.Text()) {
            oldBlock = line.block;
            newBlock = kept.AddText(line.block.View());
        }
        line.block = newBlock;
    }
    texts = std::move(kept);
    compactAt = 4 * texts.Used();
}

bool CMHTLWindow::SetBlock(const char* name, bool testOnly)
{
    try {
        const int32_t index = FindBlock(name);
        if (index < 0)
            return false;
        const MHTLBlock& block = blocks.At(index);
        if (testOnly || block.firstLine >= lineCount)
            return true;
        const int32_t d = lines.At(block.firstLine).y1 - top;
        const int32_t lastBottom = lines.At(lineCount - 1).y2;
        const int32_t shift
            = (lastBottom - d >= bottom || lastBottom + 20 <= bottom) ? d : lastBottom - bottom;
        int32_t lowest = lines.At(0).y2 - shift;
        for (int32_t i = 0; i < lineCount; ++i) {
            MHTLLine& line = lines.At(i);
            line.y1 -= shift;
            line.y2 -= shift;
            lowest = std::max(lowest, line.y2);
        }
        cursorY = lowest;
        return true;
    } catch (...) {
        LogFailure("CMHTLWindow::SetBlock");
        return false;
    }
}

void CMHTLWindow::DelBlock(const char* name, bool withFollowing)
{
    try {
        if (name == nullptr || blocks.IsEmpty() || lineCount == 0)
            return;
        selectedLine = -1;
        hoverLine = -1;
        // The name may be one of the block list's own, which each deletion moves.
        char key[MHTLBlock::kNameSize] = {};
        std::strncpy(key, name, sizeof key - 1);
        for (int32_t index = FindBlock(key); index >= 0; index = FindBlock(key)) {
            const int32_t firstLine = blocks.At(index).firstLine;
            if (withFollowing) {
                lineCount = std::min(lineCount, firstLine);
                while (blocks.Count() > index)
                    blocks.Delete(blocks.Count() - 1);
                return;
            }
            if (index == blocks.Count() - 1) {
                lineCount = std::min(lineCount, firstLine);
                blocks.Delete(index);
                continue;
            }
            const int32_t nextFirst = blocks.At(index + 1).firstLine;
            const int32_t removed = nextFirst - firstLine;
            const int32_t dy = removed > 0 && nextFirst < lineCount && firstLine < lineCount
                ? lines.At(nextFirst).y1 - lines.At(firstLine).y1
                : 0;
            blocks.Delete(index);
            for (int32_t from = nextFirst, to = firstLine; from < lineCount; ++from, ++to) {
                MHTLLine& line = lines.At(to);
                line = lines.At(from);
                line.y1 -= dy;
                line.y2 -= dy;
            }
            lineCount -= removed;
            for (int32_t i = index; i < blocks.Count(); ++i) {
                blocks.At(i).firstLine -= removed;
                blocks.At(i).lastLine -= removed;
            }
            Scroll(-dy);
        }
    } catch (...) {
        LogFailure("CMHTLWindow::DelBlock");
    }
}

void CMHTLWindow::Collapse(int32_t record, bool collapse)
{
    try {
        if (!topDown)
            return;
        const int32_t index = BlockOfRecord(record);
        if (index < 0 || index + 1 >= blocks.Count())
            return;
        const MHTLBlock& body = blocks.At(index + 1);
        if (body.firstLine > body.lastLine || body.firstLine >= lineCount)
            return;
        int32_t h = lines.At(body.firstLine).y2;
        for (int32_t i = body.firstLine; i <= body.lastLine; ++i) {
            MHTLLine& line = lines.At(i);
            h = std::max(h, line.y2);
            line.visible = collapse ? 0 : 1;
        }
        const int32_t height = h - lines.At(body.firstLine).y1;
        const int32_t move = collapse ? -height : height;
        for (int32_t i = body.lastLine + 1; i < lineCount; ++i) {
            lines.At(i).y1 += move;
            lines.At(i).y2 += move;
        }
    } catch (...) {
        LogFailure("CMHTLWindow::Collapse");
    }
}

bool CMHTLWindow::ReplaceTextInBlock(const char* name, const CXAnsiString& text)
{
    try {
        const int32_t index = FindBlock(name);
        if (index < 0)
            return false;
        const MHTLBlock& block = blocks.At(index);
        if (block.firstLine > block.lastLine || block.firstLine >= lineCount)
            return true;
        int32_t first = block.firstLine;
        int32_t start = left;
        if (mhtl::KindIs(lines.At(first).kind, mhtl::kIcon)) {
            start = lines.At(first).x2;
            ++first;
        }
        CompactTexts();
        std::string_view shown(text.Text(), text.Length());
        std::string_view kind;
        static constexpr std::string_view kReference = "<reference:";
        if (shown.substr(0, kReference.size()) == kReference) {
            const std::string_view attribute = shown.substr(kReference.size());
            const size_t eq = attribute.find('=');
            const std::string_view target
                = eq == std::string_view::npos ? attribute : attribute.substr(eq + 1);
            kind = target.substr(0, target.empty() ? 0 : target.size() - 1);
            shown = eq == std::string_view::npos ? std::string_view() : attribute.substr(0, eq);
        }
        const MHTLText kindText = texts.AddText(kind);
        const MHTLText shownText = texts.AddText(shown);
        for (int32_t i = first; i <= block.lastLine; ++i) {
            MHTLLine& line = lines.At(i);
            line.kind = kindText;
            line.text = shownText;
            line.keepRagged = 1;
            line.width = -1;
            line.x1 = start;
            line.x2 = right;
        }
        CollectImages();
        JustifyRows(first);
        return true;
    } catch (...) {
        LogFailure("CMHTLWindow::ReplaceTextInBlock");
        return false;
    }
}

void CMHTLWindow::SetBlockValue(const char* name, uint32_t value)
{
    const int32_t index = FindBlock(name);
    if (index >= 0)
        blocks.At(index).value = value;
}

uint32_t CMHTLWindow::GetBlockValue(const char* name) const
{
    const int32_t index = FindBlock(name);
    return index >= 0 ? blocks.At(index).value : 0;
}

const char* CMHTLWindow::GetFirstBlockName() const
{
    return blocks.IsEmpty() ? nullptr : blocks.At(0).name;
}

void CMHTLWindow::GetScrollInfo(int32_t& total, int32_t& page, int32_t& position) const
{
    page = bottom - top;
    if (lineCount == 0) {
        total = 0;
        position = 0;
        return;
    }
    position = top - lines.At(0).y1;
    total = lines.At(lineCount - 1).y2 - lines.At(0).y1;
}

int32_t CMHTLWindow::IsScroll(int32_t step)
{
    try {
        if (lineCount == 0)
            return 0;
        const int32_t maxB = GetMaxBottom();
        const int32_t firstTop = lines.At(0).y1;
        if (!topDown) {
            const int32_t minB = GetMinBottom();
            if (minB - step >= bottom)
                return minB - bottom;
            if (maxB - step < bottom)
                return maxB - bottom;
            return step;
        }
        if (snapScroll && maxB > top && firstTop <= top) {
            int32_t result = step;
            if (maxB - step >= top) {
                if (firstTop - step > top)
                    result = firstTop - top;
            } else {
                result = maxB - top - GetFontHeight(lines.At(0).font);
            }
            if (maxB - result > top || result < 1)
                return result;
            return result - GetFontHeight(lines.At(0).font);
        }
        if (step > 0) {
            if (maxB <= bottom)
                return 0;
            return maxB - step < bottom ? maxB - bottom : step;
        }
        if (step < 0) {
            if (firstTop >= top)
                return 0;
            return firstTop - step > top ? firstTop - top : step;
        }
        return 0;
    } catch (...) {
        LogFailure("CMHTLWindow::IsScroll");
        return 0;
    }
}

void CMHTLWindow::Scroll(int32_t step)
{
    try {
        if (lineCount == 0)
            return;
        const int32_t s = IsScroll(step);
        if (s == 0)
            return;
        for (int32_t i = 0; i < lineCount; ++i) {
            lines.At(i).y1 -= s;
            lines.At(i).y2 -= s;
        }
    } catch (...) {
        LogFailure("CMHTLWindow::Scroll");
    }
}
