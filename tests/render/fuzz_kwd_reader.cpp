// The font's glyph file on arbitrary bytes: the reader throws or reads, and measuring, shortening
// and laying out a text with every character stay inside the glyph table and the quads.
#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "render/CFont.h"
#include "tests/support/error_log_test.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = (zoq::test::DiscardErrorLog(), true);
    (void)ready;
    CFont font;
    try {
        font.ReadGlyphFile(data, size, "fuzz.kwd");
    } catch (const XRangeError&) {
        ResetCallTrace();
        return 0;
    }
    font.AllocateQuads();
    std::string text;
    for (int c = 1; c < 256; ++c)
        text += char(c);
    text += text;
    const int32_t width = font.GetTextWidth(text.c_str());
    font.LayoutText(3, 4, text.c_str(), nullptr);
    font.LayoutText(3, 4, width / 2, text.c_str(), nullptr);
    CXAnsiString out;
    font.FitText(CXAnsiString(text.c_str()), out, width / 3, 5);
    ResetCallTrace();
    return 0;
}
