// zoq-db: builds a record database from table sources and dumps one as text.
#include "tools/data/db_writer.h"

#include "foundation/ByteOrder.h"
#include "foundation/DataBase.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

namespace {

using namespace zoq::tools::data;

std::string g_lastMessage;

void Capture(std::string_view message)
{
    g_lastMessage = message;
}

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "zoq-db: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

constexpr char kCommands[] = "zoq-db build OUT.dat SRCDIR | dump DBFILE";
const std::string kHelp = std::string("usage: ") + kCommands
    + "\n  build    a record database (OUT.dat, .tab, .ind) from the table sources in SRCDIR\n"
      "  dump     every field of every record, one tab-separated line each\n";

int Usage()
{
    std::fprintf(stderr, "zoq-db: usage: %s\n", kCommands);
    return 2;
}

int Build(const std::string& out, const std::string& dir)
{
    std::vector<TableSource> tables;
    DbImage image;
    std::string error;
    if (!ParseTableDirectory(dir, tables, error) || !BuildDatabase(tables, image, error)
        || !WriteDatabase(out, image, error)) {
        std::fprintf(stderr, "zoq-db: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// Windows-1251 text as UTF-8 with TAB, CR and LF escaped.
std::string Escape(std::string_view text)
{
    std::string out;
    for (char c : plat::win::Cp1251ToUtf8(text)) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

int Dump(const std::string& path)
{
    const std::string names = DbCompanionPath(path, ".tab").string();
    const std::string index = DbCompanionPath(path, ".ind").string();
    // The database reads missing companions as an empty database; here they are a fault.
    for (const std::string& file : { path, names, index }) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error))
            return Fail(file, "missing: a database is a .dat file with its .tab and .ind beside it");
    }
    DataBase db;
    db.SetLog(&Capture);
    if (!db.OpenFiles(path, names, index, path))
        return Fail(path, g_lastMessage);
    std::unordered_map<uint32_t, int> tables;
    for (int i = 0; i < db.FloorCount(); ++i)
        tables.try_emplace(db.FloorEntry(i).id, i);
    std::unordered_map<uint64_t, int> fields;
    for (int i = 0; i < db.FieldNameCount(); ++i) {
        const SFieldNameEntry& entry = db.FieldNameEntry(i);
        fields.try_emplace(uint64_t(entry.tableId) << 32 | entry.fieldId, i);
    }
    std::string out;
    for (int r = 0; r < db.RecordCount(); ++r) {
        const SRecordEntry& record = db.RecordEntry(r);
        auto table = tables.find(record.tableId);
        const std::string where = std::string("record '") + plat::win::Cp1251ToUtf8(record.name) + "'";
        if (table == tables.end())
            return Fail(path, where + ": unknown table id " + std::to_string(record.tableId));
        if (!db.SelectRecord(r))
            return Fail(path, g_lastMessage);
        const std::string prefix
            = Escape(db.FloorEntry(table->second).name) + '\t' + Escape(record.name) + '\t';
        for (int s = 0; s < db.FieldCount(); ++s) {
            const DataBase::Field field = db.FieldAt(s);
            auto name = fields.find(uint64_t(record.tableId) << 32 | field.id);
            if (name == fields.end())
                return Fail(path, where + ": field id " + std::to_string(field.id) + " unknown to its table");
            const SFieldNameEntry& entry = db.FieldNameEntry(name->second);
            out += prefix + Escape(entry.name) + '\t';
            if (entry.type == DataBase::kTypeText) {
                const void* end = std::memchr(field.value, 0, field.length);
                size_t length = end ? size_t(static_cast<const uint8_t*>(end) - field.value) : field.length;
                out += "text\t"
                    + Escape(std::string_view(reinterpret_cast<const char*>(field.value), length));
            } else if (entry.type == DataBase::kTypeInteger || entry.type == DataBase::kTypeFloat) {
                if (field.length != 4)
                    return Fail(path,
                        where + ": field '" + Escape(entry.name) + "' holds " + std::to_string(field.length)
                            + " bytes, not 4");
                if (entry.type == DataBase::kTypeInteger) {
                    out += "int\t" + std::to_string(LoadLE<int32_t>(field.value));
                } else {
                    char text[32];
                    std::snprintf(text, sizeof text, "%.6g", double(LoadLE<float>(field.value)));
                    out += std::string("float\t") + text;
                }
            } else {
                return Fail(path,
                    "field '" + Escape(entry.name) + "' has unknown type " + std::to_string(entry.type));
            }
            out += '\n';
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("stdout", "write failed");
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-db", kHelp))
        return *answered;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "build")
        return Build(args[1], args[2]);
    if (args.size() == 2 && args[0] == "dump")
        return Dump(args[1]);
    return Usage();
}
