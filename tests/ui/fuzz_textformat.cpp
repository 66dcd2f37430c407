// Fuzz entry: any bytes as a format text, filled with each of a few sets of values. The result is
// either the whole format or, for a format that matched, text no longer than the format and the
// values allow.
#include "tests/support/error_log_test.h"
#include "ui/TextFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)quiet;
    const std::string_view format(reinterpret_cast<const char*>(data), size);
    const std::string_view word = "value";
    const std::size_t limit = size * 128 + 1024;
    const std::string results[] = {
        FormatText("F", format, {}),
        FormatText("F", format, { int64_t(-1234567890123) }),
        FormatText("F", format, { word }),
        FormatText("F", format, { int64_t(7), word }),
        FormatText("F", format, { word, int64_t(INT64_MIN), int64_t(255) }),
    };
    for (const std::string& text : results) {
        if (text.size() > limit)
            __builtin_trap();
    }
    return 0;
}
