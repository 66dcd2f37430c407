// Shared by the files of the script commands: argument reading and the handlers of the player's
// machine.
#pragma once

#include "foundation/XStringTable.h"

#include <cstdlib>

class CZJScriptManager;

namespace script_commands {

// Argument i, "" when the call has fewer.
inline const char* Arg(const XStringTable& arguments, int i)
{
    return i < arguments.Count() ? arguments.GetString(i) : "";
}
inline int ArgInt(const XStringTable& arguments, int i)
{
    return std::atoi(Arg(arguments, i));
}
inline float ArgFloat(const XStringTable& arguments, int i)
{
    return float(std::atof(Arg(arguments, i)));
}
// The organisation of that name, -1 when absent.
int Organisation(const char* name);

// The commands on the player's machine record.
bool AddBalance(CZJScriptManager& manager, XStringTable& arguments);
bool AddRating(CZJScriptManager& manager, XStringTable& arguments);
bool AddObject(CZJScriptManager& manager, XStringTable& arguments);
bool RemoveObject(CZJScriptManager& manager, XStringTable& arguments);
bool PlayerHas(CZJScriptManager& manager, XStringTable& arguments);
bool MoreBalance(CZJScriptManager& manager, XStringTable& arguments);
bool DamagedHigh(CZJScriptManager& manager, XStringTable& arguments);
bool DamagedLow(CZJScriptManager& manager, XStringTable& arguments);
bool IsGlider(CZJScriptManager& manager, XStringTable& arguments);
bool ShowObjectAtPos(CZJScriptManager& manager, XStringTable& arguments);

} // namespace script_commands
