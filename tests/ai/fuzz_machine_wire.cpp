// Fuzz entry: the input is the wire form of a machine record.
#include "tests/ai/fuzz_machine.h"

#include "foundation/XMemBuffer.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UseMachineTables();
    CFerrovant machine;
    machine.ApplyConfig(0, false, 0);
    const std::vector<uint8_t> bytes(data, data + size);
    const int used = machine.GetNetBuffer(bytes.data(), int(bytes.size()));
    if (used > int(size))
        __builtin_trap();
    if (used > 0) {
        XMemBuffer out;
        machine.PutNetBuffer(out);
        CFerrovant copy;
        if (copy.GetNetBuffer(out.Data(), out.Position()) != out.Position())
            __builtin_trap();
        CheckSaveRoundTrip(machine, true);
    }
    ResetCallTrace();
    return 0;
}
