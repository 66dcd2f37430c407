// Fuzz entry: any bytes through AddText on the fixed-width host, then the block operations, the
// scroll and the mouse over what was built. Every record must stay inside the table and every
// block must cover records that exist.
#include "tests/support/error_log_test.h"
#include "tools/ui/markup_host.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)quiet;
    zoq::tools::ui::MarkupHost window(0, 0, 400, 300);
    window.images["pic"] = { 100, 40 };
    window.images["wide"] = { 300, 60 };
    CXAnsiString text;
    text.Assign(size, reinterpret_cast<const char*>(data));
    window.AddText(text, "A", true);
    window.AddText(text, "B", size % 2 == 0);
    window.AddText("<icon:MINUS>head", "H", true);
    window.AddText(text, "A", true);

    const auto check = [&window] {
        if (window.LineCount() < 0 || window.LineCount() > CMHTLWindow::kMaxLines)
            __builtin_trap();
        for (int32_t i = 0; i < window.BlockCount(); ++i) {
            const MHTLBlock& block = window.Block(i);
            if (block.firstLine < 0 || block.lastLine >= window.LineCount() || block.name[31] != 0)
                __builtin_trap();
        }
    };
    check();
    const int32_t step = size > 0 ? int32_t(data[0]) - 128 : 5;
    window.Collapse(window.LineCount() / 2, true);
    window.Scroll(step);
    CXAnsiString target;
    for (int32_t y = 0; y < 300; y += 7)
        window.MouseClick(int32_t((y * 13) % 400), y, target);
    window.MouseMove(10, 10);
    window.Render();
    window.ReplaceTextInBlock("H", text);
    window.DelBlock("B", false);
    check();
    window.Collapse(0, false);
    window.Scroll(-step);
    window.DelBlock("A", size % 3 == 0);
    check();
    window.Render();
    ResetCallTrace();
    return 0;
}
