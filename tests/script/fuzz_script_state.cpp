// Fuzz entry: the input is save section 1. A section that loads is saved and read back, and must
// come back the same; one that fails leaves the manager as it was.
#include "tests/script/fuzz_setup.h"

#include "foundation/XMemBuffer.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptFuzzFolder();
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer in;
    in.Attach(bytes.data(), int(bytes.size()));
    CZJScriptManager manager;
    try {
        manager.LoadState(in);
    } catch (const std::exception&) {
        if (manager.Events().Count() != 0 || !manager.Quests().empty() || manager.playerName.Length() != 0)
            __builtin_trap();
        ResetCallTrace();
        return 0;
    }
    manager.CheckTimers();
    XMemBuffer saved(4096);
    manager.SaveState(saved);
    const std::vector<uint8_t> first(saved.Data(), saved.Data() + saved.Position());
    saved.Rewind();
    CZJScriptManager again;
    again.LoadState(saved);
    XMemBuffer second(4096);
    again.SaveState(second);
    if (second.Position() != int(first.size()) || std::memcmp(second.Data(), first.data(), first.size()) != 0)
        __builtin_trap();
    ResetCallTrace();
    return 0;
}
