// CMHTLWindow: the abstract mark-up text window. A tagged text becomes a fixed table of positioned
// line records (text runs, links, references, icons, images, objects) grouped in named blocks; the
// window wraps, justifies, scrolls, draws and hit-tests them. It never measures or draws itself:
// the host fills slots 3 to 10. Only a word written between "<" and ">" is a tag; text outside
// brackets, and a bracketed word that names no tag, is shown as text. Main thread only.
#pragma once

#include "foundation/CXAnsiString.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XFixedArray.h"
#include "ui/MHTLText.h"

#include <cstdint>
#include <vector>

// One record of the line table.
struct MHTLLine {
    MHTLText kind; // "icon", "image", "object", a link's target, or empty for plain text
    MHTLText text; // shown text; the name for icons, images and objects
    MHTLText block; // name of the block that holds the record
    uint32_t colour = 0; // 0x00RRGGBB
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    int32_t font = 0;
    uint8_t visible = 0; // 0 while its block is collapsed
    uint8_t keepRagged = 0; // a row that ends with this record is never justified
    int32_t width = -1; // the text's width as last measured, -1 when not known
};

// One entry of the block list: records firstLine..lastLine (inclusive).
struct MHTLBlock {
    static constexpr int kNameSize = 32;
    char name[kNameSize]; // at most 31 bytes, longer names are cut
    int32_t firstLine;
    int32_t lastLine;
    uint32_t value; // a datum of the owner
};

class CMHTLWindow {
public:
    static constexpr int kMaxLines = 2048;
    // AddText refuses a text while more records than this are in use.
    static constexpr int kAddLimit = 2028;

    CMHTLWindow(int32_t left, int32_t top, int32_t right, int32_t bottom);
    virtual ~CMHTLWindow();
    CMHTLWindow(const CMHTLWindow&) = delete;
    CMHTLWindow& operator=(const CMHTLWindow&) = delete;

    // Draws every visible record in view through the host's slots.
    virtual void Render();
    // Per-frame step of the host with the frame time in seconds; nothing here.
    virtual void Update(float frameTime) { (void)frameTime; }
    virtual int32_t GetFontHeight(int32_t font) = 0;
    virtual int32_t GetTextWidth(int32_t font, const char* text) = 0;
    virtual void DrawText(
        int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t font, const char* text, uint32_t colour)
        = 0;
    virtual void RenderIcon(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const char* name) = 0;
    virtual void RenderImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1, int32_t clipY1,
        int32_t clipX2, int32_t clipY2, const char* name)
        = 0;
    virtual void DrawObject(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1, int32_t clipY1,
        int32_t clipX2, int32_t clipY2, const char* name)
        = 0;
    virtual void GetImageSize(int32_t& width, int32_t& height, const char* name) = 0;
    virtual void GetObjectSize(int32_t& width, int32_t& height, const char* name) = 0;

    // Appends a text as a new block; nothing happens for an empty text or while more than
    // kAddLimit records are in use (see WouldAccept).
    void AddText(const CXAnsiString& text, const char* name, bool newRow);
    // Whether AddText would take a text now.
    bool WouldAccept() const { return lineCount <= kAddLimit; }
    void SetFlags(uint8_t markSelection, uint8_t topDown, uint8_t snapScroll);
    void Clear();
    // Whether a block of that name exists; without testOnly the text is also shifted to show it.
    bool SetBlock(const char* name, bool testOnly);
    // Deletes every block of that name (closing the gap), or with withFollowing the first one and
    // everything after it.
    void DelBlock(const char* name, bool withFollowing);
    // Hides (collapse) or shows the block after the one that holds the record.
    void Collapse(int32_t record, bool collapse);
    bool ReplaceTextInBlock(const char* name, const CXAnsiString& text);
    void SetBlockValue(const char* name, uint32_t value);
    // The value of the first block of that name, 0 when absent.
    uint32_t GetBlockValue(const char* name) const;
    // Name of block 0, null when there are no blocks.
    const char* GetFirstBlockName() const;
    void GetScrollInfo(int32_t& total, int32_t& page, int32_t& position) const;
    // The part of a scroll step that may be taken (positive: the text moves up).
    int32_t IsScroll(int32_t step);
    void Scroll(int32_t step);
    void MouseMove(int32_t x, int32_t y);
    // -1 after a PLUS/MINUS toggle, 1 after a link or reference click (target set), 0 otherwise.
    int MouseClick(int32_t x, int32_t y, CXAnsiString& target);

    // Largest / smallest y2 of the visible records.
    int32_t GetMaxBottom() const;
    int32_t GetMinBottom() const;

    int32_t LineCount() const { return lineCount; }
    const MHTLLine& Line(int32_t i) const { return lines.At(i); }
    int32_t BlockCount() const { return blocks.Count(); }
    const MHTLBlock& Block(int32_t i) const { return blocks.At(i); }

    // Named colours, 0x00RRGGBB, in the order of kColourNames (CMHTLWindow.cpp).
    uint32_t namedColours[8];
    uint8_t topDown = 1; // 0: each added text stands above the earlier ones
    uint32_t defaultColour = 0xFFFF00;
    uint32_t currentColour = 0xFFFF00;
    uint32_t linkColour = 0x00FFFF;
    uint32_t referenceColour = 0x0000FF;
    uint32_t visitedColour = 0xFF0000;
    uint32_t hoverColour = 0x00FF00;
    uint32_t selectedColour = 0xFF00FF;
    int32_t selectedLine = -1;
    char currentBlock[MHTLBlock::kNameSize] = {}; // block being parsed, or drawn
    uint8_t markSelection = 0;
    uint8_t snapScroll = 0;
    uint8_t wholeLinesOnly = 0; // draw only records wholly inside the window
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

protected:
    // Appends the records of one tagged text at the pen.
    void Parser(const CXAnsiString& text);
    // Breaks the record at lineCount, a blank blankWidth wide in its font, when it passes
    // rightLimit.
    void WrapLine(int32_t blankWidth);
    // Justifies the rows from a record on; the image records must be collected (the parser keeps
    // them).
    void JustifyRows(int32_t firstRecord);
    // Notes the image records of the table.
    void CollectImages();
    void ReDirect(int32_t first);
    int32_t BlockOfRecord(int32_t record) const;
    int32_t FindBlock(const char* name) const;
    // Copies the live records' texts into a fresh store once the store holds much more than them.
    void CompactTexts();

    int32_t lineCount = 0;
    int32_t rightLimit;
    int32_t floatBottom = 0;
    int32_t hoverLine = -1;
    int32_t floatMaxWidth;
    XFixedArray<MHTLLine, kMaxLines> lines;
    int32_t cursorX;
    int32_t cursorY;
    XDynamicArray<MHTLBlock> blocks;

private:
    // Owns the records' texts; the parser copies each text in once and cuts it in place.
    MHTLTextStore texts;
    size_t compactAt = 0; // store size at which CompactTexts copies
    MHTLText blockName; // currentBlock in the store, shared by the block's records
    std::vector<int32_t> imageRecords; // indices of the image records, kept while parsing and justifying
    std::vector<int32_t> blanksOf; // blanks of each piece of the row being justified
};
