#include "tests/support/ini_tables.h"

#include "foundation/BaseDirectory.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"
#include "tests/support/files.h"

namespace zoq::test {

void UseIniTables(const IniTables& tables, const std::string& root)
{
    const auto inBase
        = [](const std::string& name) { return *plat::win::ResolvePath(BaseDirectory() + name); };
    std::string names;
    int n = 0;
    for (const auto& [name, text] : tables) {
        const std::string file = "table" + std::to_string(n++) + ".ini";
        names += "[" + name + "]\r\nfilename=" + file + "\r\n";
        WriteText(inBase(file), text);
    }
    WriteText(inBase(root), names);
    g_ResourceDBManager.Init(root.c_str(), 0);
}

void UseUtf8IniTables(const IniTables& tables)
{
    IniTables stored;
    for (const auto& [name, text] : tables)
        stored.push_back({ plat::win::Utf8ToCp1251(name), plat::win::Utf8ToCp1251(text) });
    UseIniTables(stored);
}

} // namespace zoq::test
