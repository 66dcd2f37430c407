// Fuzz entry: the input is a location's objects file; the location loads it with type tables
// that know a few ids of every block reader.
#include "tests/world/db/fuzz_setup.h"

#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path folder = [] {
        const std::filesystem::path base = UseFuzzFolder({
            { "Камни", "[ST_ROCK]\n" },
            { "Деревья", "[TR_OAK]\n" },
            { "Хелперы", "[HLP]\nTYPE=1\n" },
            { "Дороги", "[RD]\n" },
            { "Здания", "[BLD]\n" },
            { "Anomal", "[AN]\n" },
            { "Tower", "[TW]\n" },
            { "Boundary", "[BD]\n" },
            { "SoundZone", "[SZ]\n" },
            { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n" },
        });
        ZJEngine.ZJInit();
        zoq::test::WriteText(base / "Data/f.zjp", "map");
        return base;
    }();
    zoq::test::WriteText(folder / "Data/f.zjo", std::string(reinterpret_cast<const char*>(data), size));
    try {
        ZJEngine.Load("Data\\f.zjp");
    } catch (const std::exception&) {
    }
    ResetCallTrace();
    ObjectList.Clear();
    return 0;
}
