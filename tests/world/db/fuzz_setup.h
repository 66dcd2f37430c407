// Shared by the world fuzz targets: a temporary working folder with ini-mode tables, made once,
// and an error log that goes nowhere.
#pragma once

#include "platform/win/text.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Enters a new temporary folder (left and removed at exit) and selects the tables (name, ini
// text; both UTF-8).
inline void EnterFuzzFolder(const std::vector<std::pair<std::string, std::string>>& tables)
{
    static zoq::test::TempDir folder("world-fuzz");
    static zoq::test::ScopedChdir inside(folder.Path());
    zoq::test::DiscardErrorLog();
    zoq::test::IniTables stored;
    for (const auto& [name, text] : tables)
        stored.push_back({ plat::win::Utf8ToCp1251(name), plat::win::Utf8ToCp1251(text) });
    zoq::test::UseIniTables(stored);
}
