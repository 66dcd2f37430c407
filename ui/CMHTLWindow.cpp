// CMHTLWindow: construction, the parser and the layout (wrapping, justification).
#include "ui/CMHTLWindow.h"

#include "foundation/CallTrace.h"
#include "ui/CMHTLWindow_local.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct NamedColour {
    const char* name;
    uint32_t value;
};

// "cyan" is navy: the window's own table says so.
constexpr NamedColour kColourNames[8] = {
    { "red", 0xC5635A },
    { "green", 0x4AC64A },
    { "blue", 0x0000FF },
    { "white", 0xFFFFFF },
    { "cyan", 0x000080 },
    { "yellow", 0xFFFF00 },
    { "orange", 0xFF8000 },
    { "violet", 0x800080 },
};

enum class Tag { Icon, Br, P, Color, Font, Reference, Link, Image, Object, Text };

struct TagWord {
    std::string_view word;
    Tag tag;
};

// No word is another followed by ":", so the order only puts the most used first.
constexpr TagWord kTags[] = {
    { "color", Tag::Color },
    { "link", Tag::Link },
    { "reference", Tag::Reference },
    { "br", Tag::Br },
    { "p", Tag::P },
    { "icon", Tag::Icon },
    { "font", Tag::Font },
    { "image", Tag::Image },
    { "object", Tag::Object },
};

// A bracketed token names a tag when it is the tag word alone or the word, a colon and the
// attribute; anything else is text.
Tag Classify(std::string_view token, bool bracketed, std::string_view& attribute)
{
    if (bracketed) {
        for (const TagWord& row : kTags) {
            if (token.empty() || token[0] != row.word[0] || token.substr(0, row.word.size()) != row.word)
                continue;
            if (token.size() == row.word.size()) {
                attribute = token.substr(token.size()); // empty, at the token's end
                return row.tag;
            }
            if (token[row.word.size()] == ':') {
                attribute = token.substr(row.word.size() + 1);
                return row.tag;
            }
        }
    }
    return Tag::Text;
}

inline bool IsPicture(const MHTLLine& line)
{
    return mhtl::KindIs(line.kind, mhtl::kImage) || mhtl::KindIs(line.kind, mhtl::kIcon);
}

// The largest integer not above value; std::floor is a library call without SSE4.1.
int32_t Floor(double value)
{
    const int32_t whole = int32_t(value);
    return value < whole ? whole - 1 : whole;
}

// trunc(room / width x n) as doubles compute it, width > 0. When room x n is no multiple of width,
// the quotient lies at least 1 / width from a whole number while the doubles' rounding moves it
// far less, so one integer division gives the same; only an exact quotient takes the doubles.
int32_t FitEstimate(int32_t room, int32_t width, int32_t n)
{
    const int64_t product = int64_t(room) * n;
    if (product >= 0 && product <= INT32_MAX) {
        const auto whole = uint32_t(product) / uint32_t(width);
        if (uint32_t(product) != whole * uint32_t(width))
            return int32_t(whole);
    }
    return int32_t(double(room) / double(width) * double(n));
}

} // namespace

namespace mhtl {

bool IsTagWord(std::string_view token)
{
    std::string_view attribute;
    return Classify(token, true, attribute) != Tag::Text;
}

int ColourName(std::string_view value, long& number)
{
    number = 0;
    if (value.empty())
        return -1;
    // Up to eight plain hex digits, the usual form, are read here; no colour's name is all hex
    // digits, so such a value names none.
    if (value.size() <= 8) {
        long digits = 0;
        for (const char c : value) {
            const int digit = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f'             ? c - 'a' + 10
                : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                                   : -1;
            if (digit < 0) {
                digits = -1;
                break;
            }
            digits = digits * 16 + digit;
        }
        if (digits >= 0) {
            number = digits;
            return -1;
        }
    }
    for (int i = 0; i < int(std::size(kColourNames)); ++i) {
        if (value[0] == kColourNames[i].name[0] && value == kColourNames[i].name)
            return i;
    }
    // Anything else as strtol reads it.
    number = std::strtol(std::string(value).c_str(), nullptr, 16);
    return -1;
}

} // namespace mhtl

CMHTLWindow::CMHTLWindow(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : left(left)
    , top(top)
    , right(right)
    , bottom(bottom)
    , rightLimit(right)
    , floatMaxWidth((3 * (right - left)) / 5)
    , cursorX(left)
    , cursorY(top)
{
    for (int i = 0; i < 8; ++i)
        namedColours[i] = kColourNames[i].value;
}

CMHTLWindow::~CMHTLWindow() = default;

void CMHTLWindow::Parser(const CXAnsiString& text)
{
    try {
        currentColour = defaultColour;
        int32_t font = 0;
        // Heights and the gap one letter "A" wide after each text run, asked once per font.
        int32_t heightFont = 0;
        int32_t height = -1;
        const auto Height = [&](int32_t of) {
            if (height < 0 || heightFont != of) {
                heightFont = of;
                height = GetFontHeight(of);
            }
            return height;
        };
        int32_t gapFont = 0;
        int32_t gapWidth = -1;
        const auto LetterGap = [&](int32_t of) {
            if (gapWidth < 0 || gapFont != of) {
                gapFont = of;
                gapWidth = GetTextWidth(of, "A");
            }
            return gapWidth;
        };
        int32_t blankFont = 0;
        int32_t blankWidth = -1;
        const auto Blank = [&](int32_t of) {
            if (blankWidth < 0 || blankFont != of) {
                blankFont = of;
                blankWidth = GetTextWidth(of, " ");
            }
            return blankWidth;
        };
        CollectImages();
        // The records' texts are the tokens of one copy, terminated in place: the byte after a
        // token is a delimiter of the source or its end.
        const std::string_view source(text.Text(), text.Length());
        char* const copy = texts.Add(source.data(), source.size());
        mhtl::ForEachToken(source, [&](std::string_view token, bool bracketed) {
            char* const bytes = copy + (token.data() - source.data());
            bytes[token.size()] = 0;
            lines.At(lineCount).keepRagged = 1;
            std::string_view attribute = token.substr(token.size());
            const Tag tag = bracketed ? Classify(token, bracketed, attribute) : Tag::Text;
            char* const value = bytes + (attribute.data() - token.data());
            const MHTLText named(value, attribute.size());
            switch (tag) {
            case Tag::Icon: {
                MHTLLine& line = lines.At(lineCount);
                const int32_t h = Height(font);
                line.kind = mhtl::Constant(mhtl::kIcon);
                line.text = named;
                line.width = -1;
                line.font = font;
                line.visible = 1;
                line.x1 = left;
                line.x2 = left + h;
                line.y1 = cursorY;
                line.y2 = cursorY + h;
                line.block = blockName;
                cursorX = left + h;
                ++lineCount;
                break;
            }
            case Tag::Br:
                lines.At(lineCount).font = font;
                if (lineCount > 0)
                    lines.At(lineCount - 1).keepRagged = 1;
                cursorY += Height(font);
                cursorX = left;
                break;
            case Tag::P: {
                MHTLLine& line = lines.At(lineCount);
                line.kind = {};
                line.text = mhtl::Constant(" ");
                line.width = -1;
                line.colour = defaultColour;
                line.font = font;
                line.visible = 1;
                line.x1 = cursorX;
                line.x2 = cursorX + 1;
                line.y1 = cursorY;
                line.block = blockName;
                if (lineCount > 0)
                    lines.At(lineCount - 1).keepRagged = 0;
                cursorY += Height(font);
                cursorX = left + GetTextWidth(font, "    ");
                line.y2 = cursorY;
                ++lineCount;
                break;
            }
            case Tag::Color: {
                // A name counts before any hex reading; zero, black included, is the default.
                long number = 0;
                const int name = mhtl::ColourName(attribute, number);
                const uint32_t colour = uint32_t(number) & 0xFFFFFF;
                currentColour = name >= 0 ? namedColours[name] : (colour != 0 ? colour : defaultColour);
                break;
            }
            case Tag::Font:
                font = attribute.empty() ? 0 : int32_t(std::strtol(value, nullptr, 10));
                break;
            case Tag::Reference:
            case Tag::Link: {
                MHTLLine& line = lines.At(lineCount);
                const size_t eq = attribute.find('=');
                if (eq == std::string_view::npos) {
                    line.kind = named;
                    line.text = {};
                } else {
                    value[eq] = 0;
                    line.kind = MHTLText(value + eq + 1, attribute.size() - eq - 1);
                    line.text = MHTLText(value, eq);
                }
                line.colour = tag == Tag::Link ? linkColour : referenceColour;
                line.font = font;
                line.x1 = cursorX;
                line.y1 = cursorY;
                line.y2 = cursorY + Height(font);
                line.width = GetTextWidth(font, line.text.Text());
                line.x2 = line.x1 + line.width;
                line.visible = 1;
                line.block = blockName;
                if (line.x2 < rightLimit)
                    cursorX = line.x2;
                else
                    WrapLine(Blank(font));
                ++lineCount;
                break;
            }
            case Tag::Image:
            case Tag::Object: {
                int32_t w = 0;
                int32_t h = 0;
                if (tag == Tag::Image)
                    GetImageSize(w, h, value);
                else
                    GetObjectSize(w, h, value);
                rightLimit = right - w - 6;
                MHTLLine& line = lines.At(lineCount);
                line.kind = mhtl::Constant(tag == Tag::Image ? mhtl::kImage : mhtl::kObject);
                if (tag == Tag::Image)
                    imageRecords.push_back(lineCount);
                line.text = named;
                line.width = -1;
                line.font = font;
                line.visible = 1;
                line.block = blockName;
                if (w < floatMaxWidth) {
                    line.x1 = right - w;
                    line.x2 = right;
                    line.y1 = cursorY;
                    floatBottom = cursorY + h;
                    line.y2 = floatBottom;
                } else {
                    const int32_t lineHeight = Height(font);
                    line.x1 = left + (right - left) / 2 - w / 2;
                    line.x2 = line.x1 + w;
                    line.y1 = cursorY + lineHeight;
                    cursorY = cursorY + h + lineHeight;
                    floatBottom = cursorY;
                    line.y2 = cursorY;
                    rightLimit = right;
                    cursorX = left;
                }
                ++lineCount;
                break;
            }
            case Tag::Text: {
                MHTLLine& line = lines.At(lineCount);
                line.kind = {};
                line.text = MHTLText(bytes, token.size());
                line.width = GetTextWidth(font, bytes);
                line.colour = currentColour;
                line.font = font;
                line.x1 = cursorX;
                line.y1 = cursorY;
                line.y2 = cursorY + Height(font);
                line.x2 = cursorX + line.width + LetterGap(font);
                line.visible = 1;
                line.block = blockName;
                if (rightLimit < line.x2)
                    WrapLine(Blank(font));
                else
                    cursorX = line.x2;
                ++lineCount;
                break;
            }
            }
        });
        cursorY += Height(lines.At(lineCount).font);
    } catch (...) {
        AppendCallTrace("CMHTLWindow::Parser");
        FlushCallTrace();
    }
}

void CMHTLWindow::WrapLine(int32_t blankWidth)
{
    bool moved = false;
    for (;;) {
        MHTLLine& line = lines.At(lineCount);
        const int32_t width = line.width >= 0 ? line.width : GetTextWidth(line.font, line.text.Text());
        line.width = width;
        // Text and link records stand one line of their font high.
        const int32_t height = line.y2 - line.y1;
        const int32_t n = int32_t(line.text.Length());
        // The row being cut keeps its own limit; the next row's may be wider.
        const int32_t limit = rightLimit;
        const int32_t room = limit - line.x1;
        int32_t fit = width > 0 ? FitEstimate(room, width, n) : n;
        fit = fit < 0 ? 0 : (fit > n ? n : fit);
        // The last blank of the fitting prefix that is not its first byte.
        const void* blank = fit > 1 ? memrchr(line.text.Text() + 1, ' ', size_t(fit - 1)) : nullptr;
        const int32_t cut = blank ? int32_t(static_cast<const char*>(blank) - line.text.Text()) : -1;
        // A run that cannot be cut moves to a new row once; at a row's start it stays and
        // reaches past the edge.
        if (cut < 0 && (moved || line.x1 <= left)) {
            line.x2 = line.x1 + width;
            cursorX = line.x2;
            line.keepRagged = 0;
            return;
        }

        cursorX = left;
        cursorY = line.y2;
        floatBottom = lines.At(0).y2;
        for (const int32_t i : imageRecords) {
            const int32_t below = lines.At(i).y2 + 8;
            if (i < lineCount && below > floatBottom)
                floatBottom = below;
        }
        if (cursorY >= floatBottom)
            rightLimit = right;
        line.x2 = limit;
        line.keepRagged = 0;

        MHTLLine* current = &line;
        if (cut >= 0) {
            // Wrapped texts are the parser's copies in the store: the blank at the cut becomes
            // the head's terminator and the rest keeps the copy's own.
            char* const bytes = const_cast<char*>(line.text.Text());
            bytes[cut] = 0;
            MHTLLine& next = lines.At(lineCount + 1);
            next.text = MHTLText(bytes + cut + 1, size_t(n - cut - 1));
            next.kind = line.kind;
            next.colour = line.colour;
            next.font = line.font;
            next.block = line.block;
            const bool dropBlank = line.x1 == left && bytes[0] == ' ';
            line.text = dropBlank ? MHTLText(bytes + 1, size_t(cut - 1)) : MHTLText(bytes, size_t(cut));
            // Widths are sums of advances: the shorter side is measured, the other is the run
            // less it and the blanks cut.
            const int32_t blanksCut = blankWidth * (dropBlank ? 2 : 1);
            if (next.text.Length() < line.text.Length()) {
                next.width = GetTextWidth(next.font, next.text.Text());
                line.width = width - next.width - blanksCut;
            } else {
                line.width = GetTextWidth(line.font, line.text.Text());
                next.width = width - line.width - blanksCut;
            }
            ++lineCount;
            current = &next;
        } else {
            moved = true;
        }
        current->y1 = cursorY;
        current->x1 = cursorX;
        if (current->width < 0)
            current->width = GetTextWidth(current->font, current->text.Text());
        current->x2 = current->x1 + current->width;
        current->y2 = current->y1 + height;
        current->visible = 1;
        cursorX = current->x2;
        if (current->x2 <= rightLimit) {
            current->keepRagged = 0;
            return;
        }
    }
}

void CMHTLWindow::CollectImages()
{
    imageRecords.clear();
    for (int32_t i = 0; i < lineCount; ++i) {
        if (mhtl::KindIs(lines.At(i).kind, mhtl::kImage))
            imageRecords.push_back(i);
    }
}

void CMHTLWindow::JustifyRows(int32_t firstRecord)
{
    const std::vector<int32_t>& pictures = imageRecords;
    // A blank's width, asked once per font.
    int32_t blankFont = 0;
    int32_t blankWidth = -1;
    int32_t row = firstRecord < 0 ? 0 : firstRecord;
    while (row < lineCount) {
        // One pass over the row notes each record's blanks, -1 for an icon or a picture.
        const int32_t y = lines.At(row).y1;
        int32_t end = row;
        int32_t pieces = 0;
        blanksOf.clear();
        for (; end < lineCount && lines.At(end).y1 == y; ++end) {
            MHTLLine& line = lines.At(end);
            if (line.font < 0)
                line.font = 0;
            const bool picture = IsPicture(line);
            blanksOf.push_back(picture ? -1 : 0);
            pieces += picture ? 0 : 1;
        }
        const int32_t first = row;
        row = end;
        // A row of one piece, or one that ends with a ragged record, keeps its positions.
        if (pieces < 2 || lines.At(end - 1).keepRagged)
            continue;
        int32_t blanks = 0;
        int64_t summed = 0;
        for (int32_t i = first; i < end; ++i) {
            int32_t& count = blanksOf[size_t(i - first)];
            if (count < 0)
                continue;
            MHTLLine& line = lines.At(i);
            count = mhtl::CountBlanks(line.text.View());
            blanks += count;
            if (line.width < 0)
                line.width = GetTextWidth(line.font, line.text.Text());
            summed += line.width;
        }

        // The pieces start after a leading icon or picture and may reach the right edge, or the
        // margin of a floating picture beside the row.
        const MHTLLine& head = lines.At(first);
        const int32_t from = blanksOf[0] < 0 && first + 1 < end ? first + 1 : first;
        const int32_t start = lines.At(from).x1;
        int32_t limit = right;
        for (const int32_t p : pictures) {
            const MHTLLine& picture = lines.At(p);
            if (picture.y1 <= y && y < picture.y2 && picture.x1 > start)
                limit = std::min(limit, picture.x1 - 6);
        }
        if (blankWidth < 0 || blankFont != head.font) {
            blankFont = head.font;
            blankWidth = GetTextWidth(head.font, " ");
        }
        // The gap per space is a quotient of integers: it reaches blankWidth + 20 exactly when the
        // spare width reaches that many spaces' worth, so a row that stays ragged needs no division.
        const int64_t spare = int64_t(limit - start) - summed;
        const int64_t spaces = int64_t(pieces) + blanks - 1;
        if (spare >= (int64_t(blankWidth) + 20) * spaces)
            continue;
        const double gap = double(spare) / double(spaces);
        // Each piece starts at int(previous x2 + gap) and ends at floor(x1 + width + blanks x gap).
        // The gap is a quotient of small integers, so both roundings split into whole steps that
        // keep the positions in integers.
        const int32_t step = Floor(gap);
        const bool wholeGap = step == gap;
        int32_t x = start;
        for (int32_t i = first; i < end; ++i) {
            MHTLLine& line = lines.At(i);
            const int32_t blanksIn = blanksOf[size_t(i - first)];
            if (blanksIn < 0)
                continue;
            line.x1 = x;
            line.x2 = x + line.width + Floor(blanksIn * gap);
            x = line.x2 + step;
            if (x < 0 && !wholeGap)
                ++x; // int() truncates towards zero
        }
    }
}
