// A fixture that works inside a temporary folder (the base directory "." of every data path)
// with error.log there too, plus helpers that write archives and databases into it.
#pragma once

#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tools/data/db_writer.h"
#include "tools/data/pak_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using zoq::test::ReadBytes;
using zoq::test::WriteBytes;
using zoq::test::WriteText;

class DataDirTest : public zoq::test::WorkingDirLogTest {
protected:
    // An archive of (stored name, bytes) entries.
    static void WriteArchive(const std::filesystem::path& path,
        const std::vector<std::pair<std::string, Bytes>>& files, uint32_t blockSize = 64,
        zoq::tools::data::Codec codec = zoq::tools::data::Codec::Auto)
    {
        std::vector<zoq::tools::data::PakSource> sources;
        for (const auto& [name, bytes] : files)
            sources.push_back({ name, {}, bytes });
        if (path.has_parent_path())
            std::filesystem::create_directories(path.parent_path());
        std::string error;
        ASSERT_TRUE(zoq::tools::data::WritePak(path, sources, { blockSize, codec }, error)) << error;
    }

    // A database from table sources given as (file name, UTF-8 text).
    static void WriteDatabase(
        const std::filesystem::path& data, const std::vector<std::pair<std::string, std::string>>& sources)
    {
        std::vector<zoq::tools::data::TableSource> tables;
        std::string error;
        for (const auto& [file, text] : sources) {
            zoq::tools::data::TableSource table;
            std::string stem = std::filesystem::path(file).stem().string();
            ASSERT_TRUE(zoq::tools::data::ParseTableSource(text, file, stem, table, error)) << error;
            tables.push_back(std::move(table));
        }
        zoq::tools::data::DbImage image;
        ASSERT_TRUE(zoq::tools::data::BuildDatabase(tables, image, error)) << error;
        if (data.has_parent_path())
            std::filesystem::create_directories(data.parent_path());
        ASSERT_TRUE(zoq::tools::data::WriteDatabase(data, image, error)) << error;
    }
};

// Deterministic test content: table-like text, 16-bit runs and noise.
inline Bytes MixedBytes(size_t n, uint32_t seed)
{
    Bytes out;
    out.reserve(n);
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    while (out.size() < n) {
        switch (next() % 3) {
        case 0: {
            std::string line = "TEX_ROW_" + std::to_string(next()) + " = Data\\Textures\\t.tm\n";
            out.insert(out.end(), line.begin(), line.end());
            break;
        }
        case 1: {
            uint8_t lo = uint8_t(next()), hi = uint8_t(next());
            for (uint32_t k = next() % 40; k > 0; --k) {
                out.push_back(lo);
                out.push_back(hi);
            }
            break;
        }
        default:
            for (uint32_t k = next() % 30; k > 0; --k)
                out.push_back(uint8_t(next()));
        }
    }
    out.resize(n);
    return out;
}
