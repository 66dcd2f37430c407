// Shared by the world fuzz targets: a temporary working folder with ini-mode tables, made once,
// and an error log that goes nowhere.
#pragma once

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

inline void WriteFuzzFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Enters a new temporary folder and selects the tables (name, ini text; both UTF-8).
inline void EnterFuzzFolder(const std::vector<std::pair<std::string, std::string>>& tables)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zoq-world-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    // Removed at exit.
    static struct Folder {
        std::filesystem::path path;
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
            std::filesystem::remove_all(path, ec);
        }
    } folder { pattern };
    std::filesystem::current_path(pattern);
    SetErrorLogDirectory("/nonexistent-zoq-fuzz/");
    std::string root;
    int n = 0;
    for (const auto& [name, text] : tables) {
        const std::string file = "table" + std::to_string(n++) + ".ini";
        root += "[" + name + "]\nfilename=" + file + "\n";
        WriteFuzzFile(file, plat::win::Utf8ToCp1251(text));
    }
    WriteFuzzFile("tables.ini", plat::win::Utf8ToCp1251(root));
    g_ResourceDBManager.Init("tables.ini", 0);
}
