// Fuzz entry: the input is a text script, also included by itself and by a second file. Every
// line loaded is a statement of at most 79 characters without blanks.
#include "tests/script/fuzz_setup.h"

#include "script/CScriptInter.h"

#include <cstdint>
#include <cstring>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path& folder = ScriptFuzzFolder();
    zoq::test::WriteBytes(folder / "SCRIPT" / "FUZZ.TXT", { data, size });
    zoq::test::WriteText(folder / "SCRIPT" / "TOP.TXT", "_A()\nINCLUDE FUZZ.TXT\n");
    CScriptInter inter;
    XStringTable table;
    table.Init(800, 16000);
    try {
        inter.LoadScript("TOP.TXT", table, false);
    } catch (const std::exception&) {
        __builtin_trap();
    }
    for (int i = 0; i < table.Count(); ++i) {
        const char* line = table.GetString(i);
        if (std::strlen(line) == 0 || std::strlen(line) > 79 || std::strpbrk(line, " \t;\r\n"))
            __builtin_trap();
    }
    try {
        inter.RunScript(table, nullptr);
    } catch (const std::exception&) {
    }
    ResetCallTrace();
    return 0;
}
