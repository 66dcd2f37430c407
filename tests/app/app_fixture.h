// Test helpers for the application shell: a temporary folder that is the base directory (with
// error.log), and a Data folder for the game: a record database, cfg.ini, DICode.ini and fonts.
#pragma once

#include "platform/input/key_names.h"
#include "platform/win/text.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/text_table.h"
#include "tools/data/db_writer.h"
#include "tools/data/table_source.h"
#include "tools/texture/font_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace apptest {

using zoq::test::ReadText;
using zoq::test::WriteText;

// DICode.ini as the settings program writes it: every name the input layer knows.
inline std::string DICodeText()
{
    std::string rows;
    int count = 0;
    char line[64];
    for (const plat::input::KeyCodeName& row : plat::input::KeyCodeNames()) {
        std::snprintf(
            line, sizeof line, "%d 0x%X %.*s\n", count, row.code, int(row.name.size()), row.name.data());
        rows += line;
        ++count;
    }
    return std::to_string(count) + "\n" + rows;
}

inline std::string DefaultCfg(bool windowed)
{
    return std::string("[CONFIG]\r\nWindowed=") + (windowed ? "1" : "0")
        + "\r\nVideo=0\r\nScreenWidth=640\r\nScreenHeight=480\r\n";
}

// Table sources (UTF-8) of the tables the start-up reads.
inline std::vector<std::pair<std::string, std::string>> DefaultTables()
{
    return {
        { "textures.txt",
            "@table Текстуры\n@field Filename text\n[TEX_INT_CURSOR]\nFilename = Data\\Pictures\\wait.png\n"
            "[TEX_INT_CURSOR_BLUE]\nFilename = Data\\Pictures\\wait.png\n" },
        { "pictures.txt",
            "@table Изображения\n@field Filename text\n@field WIDTH int\n@field HEIGHT int\n"
            "[SUF_WAITFOR]\nFilename = Data\\Pictures\\wait.png\nWIDTH = 64\nHEIGHT = 64\n" },
        { "sounds.txt", "@table Звуки\n@field Filename text\n" },
        { "music.txt", "@table Музыка\n@field Filename text\n" },
        { "orgs.txt", "@table Организации\n@field ICON int\n[ORG_PLAYER]\nICON = 1\n" },
    };
}

inline bool WriteDatabase(const std::filesystem::path& data,
    const std::vector<std::pair<std::string, std::string>>& sources, std::string& error)
{
    std::vector<zoq::tools::data::TableSource> tables;
    for (const auto& [file, text] : sources) {
        zoq::tools::data::TableSource table;
        if (!zoq::tools::data::ParseTableSource(
                text, file, std::filesystem::path(file).stem().string(), table, error))
            return false;
        tables.push_back(std::move(table));
    }
    zoq::tools::data::DbImage image;
    if (!zoq::tools::data::BuildDatabase(tables, image, error))
        return false;
    std::filesystem::create_directories(data.parent_path());
    return zoq::tools::data::WriteDatabase(data, image, error);
}

inline bool WriteFonts(const std::filesystem::path& root, std::string& error)
{
    namespace tex = zoq::tools::texture;
    tex::FontFile font;
    font.metrics[0] = 14;
    font.metrics[2] = 4;
    font.glyphs = { { 'A', 0, 0, 10, 0, 9, 13 }, { ' ', 10, 0, 15, 0, 1, 1 } };
    font.texture = { 32, 16, std::vector<uint32_t>(32 * 16, 0xFFFFFFFF) };
    std::filesystem::create_directories(root / "Data" / "fonts");
    return tex::WriteFont(root / "Data" / "fonts" / "font1", font, error)
        && tex::WriteFont(root / "Data" / "fonts" / "font2", font, error);
}

// A Data folder the game starts with: database (unless withoutDatabase), cfg.ini, DICode.ini,
// fonts, and the script manager's text table.
inline bool WriteDataFolder(const std::filesystem::path& root, const std::string& cfg, std::string& error,
    bool withoutDatabase = false)
{
    if (!withoutDatabase && !WriteDatabase(root / "Data" / "DB.dat", DefaultTables(), error))
        return false;
    WriteText(root / "Data" / "CONFIG" / "cfg.ini", cfg);
    WriteText(root / "Data" / "CONFIG" / "DICode.ini", DICodeText());
    std::filesystem::create_directories(root / "Data" / "Pictures");
    if (!zoq::tools::texture::WritePng(root / "Data" / "Pictures" / "wait.png", 64, 64,
            zoq::tools::texture::Bytes(64 * 64 * 4, 0x80), error))
        return false;
    return WriteFonts(root, error) && zoq::test::WriteTextTable(root, "", error);
}

// A temporary folder that is the current directory and holds error.log.
using TempDirTest = zoq::test::WorkingDirLogTest;

} // namespace apptest
