// The DICode.ini reader and the command-line parser on arbitrary text.
#include "app/CommandLine.h"
#include "foundation/KeyCodeTable.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    KeyCodeTable table;
    table.Parse(text, {});
    for (int i = 0; i < table.Count(); ++i) {
        const SKeyCodeRow& row = table.Row(i);
        if (table.Find(std::string_view(row.name, strnlen(row.name, sizeof row.name))) < 0)
            __builtin_trap();
    }
    for (const SCommandLinePair& pair : ScanCommandLine(text)) {
        if (pair.name.size() > 255 || pair.value.size() > 255)
            __builtin_trap();
    }
    return 0;
}
