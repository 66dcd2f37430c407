#include "tools/ui/item_verb.h"

#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "foundation/CallTrace.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "ui/CMainMenu.h"
#include "ui/ItemPage.h"
#include "world/db/CZJEngine.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace zoq::tools::ui {

namespace {

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "zoq-ui: %s\n", reason.c_str());
    return 1;
}

void PrintPage(const SItemPage& page)
{
    for (const SItemLine& line : page.lines) {
        std::string text = "line";
        std::string values;
        for (int32_t p = 0; p < line.partCount; ++p) {
            text += std::string("\t") + line.parts[p].key;
            for (int32_t v = 0; v < line.parts[p].count; ++v)
                values += "\t" + std::to_string(line.parts[p].values[v]);
        }
        std::printf("%s%s\n", text.c_str(), values.c_str());
    }
    std::printf("offer\t%g\t%d\t%g\n", double(page.offerPrice), page.offerCost, double(page.offerWeight));
}

} // namespace

int ItemVerb(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    bool own = false;
    bool shop = false;
    bool network = false;
    int32_t kind = 1;
    for (int i = 5; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--own") {
            own = true;
        } else if (arg == "--shop") {
            shop = true;
        } else if (arg == "--network") {
            network = true;
        } else if (arg == "--kind" && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || value < -1 || value > 255)
                return 2;
            kind = int32_t(value);
        } else {
            return 2;
        }
    }
    const std::string dir = argv[2];
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    if (ec)
        return Fail(dir + ": " + ec.message());
    g_PakManager.Init("Data");
    try {
        g_ResourceDBManager.Init("Data\\DB.dat", 1);
        ZJEngine.ZJInit();
    } catch (...) {
        ResetCallTrace();
        return Fail(dir + ": cannot load the type tables");
    }
    const int config = FerrovantConfigList.Find(argv[3]);
    if (config < 0)
        return Fail(std::string("no configuration ") + argv[3]);
    CFerrovant machine;
    try {
        machine.ApplyConfig(config, true, 0);
    } catch (...) {
        ResetCallTrace();
        return Fail(std::string("cannot build the machine of ") + argv[3]);
    }
    // The building kind's price factors, as the menu's tool bar sets them.
    CMainMenu menu;
    menu.BuildToolBar(kind);
    SItemPricing pricing;
    pricing.ammoFactor = menu.ammoFactor;
    pricing.repairFactor = menu.repairFactor;
    pricing.orgRepairFactor = menu.orgRepairFactor;
    pricing.network = network;
    const SItemPage page = BuildItemPage(argv[4], own, shop, pricing, machine);
    if (page.found)
        PrintPage(page);
    return 0;
}

} // namespace zoq::tools::ui
