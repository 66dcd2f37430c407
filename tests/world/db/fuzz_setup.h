// Shared by the world fuzz targets: a temporary base folder with ini-mode tables, made once, and
// an error log that goes nowhere. The working directory stays where it is: libFuzzer keeps
// relative paths to its corpus and artifacts.
#pragma once

#include "foundation/BaseDirectory.h"
#include "platform/win/text.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Makes a new temporary folder (removed at exit) the base directory, selects the tables (name,
// ini text; both UTF-8) and returns the folder.
inline std::filesystem::path UseFuzzFolder(const std::vector<std::pair<std::string, std::string>>& tables)
{
    static zoq::test::TempDir folder("world-fuzz");
    SetBaseDirectory(folder.Path().string());
    zoq::test::DiscardErrorLog();
    zoq::test::UseUtf8IniTables(tables);
    return folder.Path();
}
