// Fuzz entry: any bytes as a location save read into a location of one machine group and one
// trading building, through the section walk the game's location load uses: its owners refuse
// what does not fit, and nothing reads past the input.
#include "tests/world/db/fuzz_setup.h"

#include "ai/CFerroGroupList.h"
#include "app/CZJApp.h"
#include "foundation/CallTrace.h"
#include "tools/map/map_writer.h"
#include "tools/world/objects_writer.h"
#include "ui/CRadar.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CZJApp* const app = [] {
        const std::filesystem::path base = UseFuzzFolder({
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\n" },
            { "Оборудование", "[EQP_ARMOR]\nTYPE=3\nVALUE1=200\nDAMAGE=50\n" },
            { "Товары", "[TOV_A]\nMASSA=2\n" },
            { "Конфигурации", "[CFG_GUARD]\nRATING=3\nGLIDER=GL_A\nARMOR=EQP_ARMOR\n" },
            { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[BANDITS]\n" },
        });
        ZJEngine.ZJInit();
        VisibleRadius = 256;
        Location.Init();
        namespace zw = zoq::tools::world;
        zw::ObjectsFile file;
        zw::GroupEntry group;
        group.name = "GRP";
        group.organisation = "BANDITS";
        group.members = { "CFG_GUARD", "CFG_GUARD" };
        file.groups.groups.push_back(group);
        zw::TradeGood good;
        good.key = "TOV_A";
        good.maxPrice = 20;
        good.stock = 10;
        file.trade.entries.push_back(zw::TradeEntry { "B_L1_CEH", { good } });
        const std::vector<uint8_t> objects = zw::WriteObjectsFile(file);
        const std::vector<uint8_t> map
            = zoq::tools::map::WriteMap(zoq::tools::map::LocationMap::Flat(65, 65));
        zoq::test::WriteBytes(base / "Data/location1.zjo", objects);
        zoq::test::WriteBytes(base / "Data/location1.zjp", map);
        if (!ZJEngine.Load("Data\\location1.zjp"))
            __builtin_trap();
        g_pRadar = new CRadar();
        g_pRadar->InitLocation("none.mmm");
        return new CZJApp();
    }();
    std::string reason;
    if (!app->ReadLocationSave(std::vector<uint8_t>(data, data + size), reason) && reason.empty())
        __builtin_trap();
    ObjectList.Clear();
    ResetCallTrace();
    return 0;
}
