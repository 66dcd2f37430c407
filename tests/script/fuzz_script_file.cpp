// Fuzz entry: the input is a compiled script file. What loads is run from line 0 and by a
// procedure name; a second load of the same name comes from the cache.
#include "tests/script/fuzz_setup.h"

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path& folder = ScriptFuzzFolder();
    zoq::test::WriteBytes(folder / "SCRIPT" / "bin" / "FUZZ.scr", { data, size });
    CZJScriptManager manager;
    try {
        XStringTable* lines = manager.ZJLoadScript("FUZZ", 1);
        if (lines) {
            if (manager.ZJLoadScript("FUZZ", 1) != lines)
                __builtin_trap();
            manager.ZJRunScript("FUZZ", 1, nullptr);
            manager.ZJRunScript("FUZZ", 1, "P");
        }
    } catch (const std::exception&) {
    }
    if (manager.nesting != 0)
        __builtin_trap();
    ResetCallTrace();
    return 0;
}
