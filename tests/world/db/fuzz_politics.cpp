// Fuzz entry: the input is the text of a politics file, applied to a table of four
// organisations; the relations are then drifted, changed and saved.
#include "tests/world/db/fuzz_setup.h"

#include "foundation/XMemBuffer.h"
#include "world/db/COrgManager.h"

#include <cstdint>
#include <exception>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        UseFuzzFolder({ { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_A]\nVOLATILE=0.5\n[ORG_B]\n" } });
        return true;
    }();
    (void)ready;
    g_OrgManager.Init(CP1251("Организации"));
    g_OrgManager.ApplyPolitics(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        g_OrgManager.Run(0.041666668f);
        g_OrgManager.ChangeRelation(2, 3, -1.0f, true);
        g_OrgManager.JoinOrganization(g_OrgManager.Count() - 1);
        g_OrgManager.LeaveOrganization(2);
        XMemBuffer stream;
        g_OrgManager.SaveGame(stream);
        const int bytes = stream.Position();
        stream.Rewind();
        if (!g_OrgManager.LoadGame(stream, bytes))
            __builtin_trap();
    } catch (const std::exception&) {
    }
    ResetCallTrace();
    return 0;
}
