// The script commands: one table over the 61 keyword places, in keyword order. Eleven places have
// no command (a null handler): a call of one takes the unknown-name path.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

class CZJScriptManager;
class XStringTable;

using ScriptHandler = bool (*)(CZJScriptManager& manager, XStringTable& arguments);

struct ScriptCommand {
    const char* keyword;
    ScriptHandler handler;
};

// Sum over the characters of (character as a signed byte) x (position + 10).
constexpr int HashScriptName(std::string_view name)
{
    int hash = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        hash += static_cast<signed char>(name[i]) * int(i + 10);
    return hash;
}

std::span<const ScriptCommand> ScriptCommands();
// The command of that name (its hash, then the name itself), null for none or a place without one.
const ScriptCommand* FindScriptCommand(std::string_view name);
