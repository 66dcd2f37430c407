#include "tests/support/ini_tables.h"

#include "foundation/ResourceDBManager.h"
#include "tests/support/files.h"

namespace zoq::test {

void UseIniTables(const IniTables& tables, const std::string& root)
{
    std::string names;
    int n = 0;
    for (const auto& [name, text] : tables) {
        const std::string file = "table" + std::to_string(n++) + ".ini";
        names += "[" + name + "]\r\nfilename=" + file + "\r\n";
        WriteText(file, text);
    }
    WriteText(root, names);
    g_ResourceDBManager.Init(root.c_str(), 0);
}

} // namespace zoq::test
