// Fuzz entry: the input is the short save form of a machine record.
#include "tests/ai/fuzz_machine.h"

#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UseMachineTables();
    CFerrovant machine;
    machine.ApplyConfig(0, false, 0);
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    try {
        machine.LoadGame(stream, false);
        CheckSaveRoundTrip(machine, false);
    } catch (const XRangeError&) {
        if (stream.Position() != 0)
            __builtin_trap();
    }
    ResetCallTrace();
    return 0;
}
