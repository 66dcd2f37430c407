// Fuzz entry: the input is save-game section 2 for a list of one group of each kind, two members
// each. A section that is read must leave every group within its bounds.
#include "tests/ai/fuzz_machine.h"

#include "ai/CFerroGroupList.h"
#include "ai/CGuardFerroGroup.h"
#include "ai/CHunterFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "foundation/XMemBuffer.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

template <class T> void Add(const char* name, uint32_t kind)
{
    auto group = std::make_unique<T>();
    std::snprintf(group->name, sizeof group->name, "%s", name);
    group->kind = kind;
    group->memberCount = group->configuredCount = 2;
    FerroGroupList.AddGroup(group.release());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UseMachineTables();
    FerroGroupList.Clear();
    Add<CGuardFerroGroup>("GUARD", CFerroGroup::kGuard);
    Add<CTransFerroGroup>("CARAVAN", CFerroGroup::kCaravan);
    Add<CHunterFerroGroup>("HUNTER", CFerroGroup::kHunter);
    Add<CPeopleFerroGroup>("PEOPLE", CFerroGroup::kPeople);
    Add<CFerroGroup>("STAND", CFerroGroup::kStanding);
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    if (FerroGroupList.LoadGame(stream)) {
        for (int i = 1; i < FerroGroupList.Count(); ++i) {
            const CFerroGroup& group = *FerroGroupList.At(i);
            if (group.memberCount > CFerroGroup::kMaxMembers || stream.Position() > int(size))
                __builtin_trap();
        }
    }
    FerroGroupList.Clear();
    ResetCallTrace();
    return 0;
}
