// Fuzz entry: XStringTable::Read over arbitrary bytes, then every lookup the game makes.
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "foundation/XStringTable.h"
#include "tests/support/error_log_test.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (zoq::test::DiscardErrorLog(), true);
    (void)quiet;
    if (size > (1u << 20))
        return 0;
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer stream;
    stream.Attach(bytes.data(), static_cast<int>(bytes.size()));
    XStringTable table;
    try {
        table.Read(stream);
    } catch (const XRangeError&) {
        return 0;
    }
    for (int i = 0; i < table.Count(); ++i) {
        const char* name = table.GetString(i);
        if (table.Find(name) < 0 || table.Find(name) > i)
            __builtin_trap();
    }
    if (table.Count() > 0)
        table.Delete(0);
    XMemBuffer out(16);
    table.Write(out);
    return 0;
}
