#include "ui/AddListEntry.h"

#include "foundation/CXAnsiString.h"
#include "script/CZJScriptManager.h"

#include <cstdio>
#include <cstring>

void AddListEntry(bool marked, SListEntry* entries, const char* key, int32_t& count, uint32_t kind,
    uint32_t data, int32_t number)
{
    SListEntry& entry = entries[count];
    entry = {};
    entry.id = (marked ? kLeftListBase : kRightListBase) + uint32_t(count);
    entry.data = data;
    std::snprintf(entry.key, sizeof entry.key, "%s", key ? key : "");
    entry.kind = kind;
    entry.collapsed = kind == kEntryClosedHeader ? 1 : 0;
    CXAnsiString name;
    if (!key || !g_pScriptManager || !g_pScriptManager->GetTextName(key, name))
        name = key ? key : "";
    if (number > 1)
        std::snprintf(entry.name, sizeof entry.name, "%s (%d)", name.Text(), int(number));
    else
        std::snprintf(entry.name, sizeof entry.name, "%s", name.Text());
    ++count;
}
