#include "tools/mkdata/checks.h"

#include "platform/win/text.h"
#include "tools/data/pak_writer.h"
#include "tools/mkdata/sources.h"

#include <map>

namespace zoq::tools::mkdata {
namespace {

bool IsNone(const std::string& value)
{
    return value.empty() || value == "_DEFAULT_";
}

void CheckFiles(const DataSet& set, std::vector<std::string>& faults)
{
    std::map<std::string, const DataFile*> byPath;
    for (const auto& file : set.Files()) {
        auto [it, added] = byPath.emplace(plat::win::Upper1251(file->path), file.get());
        if (!added)
            faults.push_back(file->origin.Where() + ": '" + ToUtf8(file->path) + "' is also made at "
                + it->second->origin.Where());
    }
    const std::map<std::string, ReaderCount> read = CountReaders(set);
    for (const FileRef& ref : set.References()) {
        if (!byPath.count(plat::win::Upper1251(ref.path)))
            faults.push_back(ref.origin.Where() + ": no recipe makes '" + ToUtf8(ref.path) + "'");
        if (ref.fieldBytes && ref.path.size() >= ref.fieldBytes)
            faults.push_back(ref.origin.Where() + ": '" + ToUtf8(ref.path) + "' is "
                + std::to_string(ref.path.size()) + " bytes long; its field holds "
                + std::to_string(ref.fieldBytes - 1));
    }
    for (const auto& file : set.Files()) {
        const auto it = read.find(plat::win::Upper1251(file->path));
        if (file->fromRecipe && it == read.end())
            faults.push_back(
                file->origin.Where() + ": orphan recipe: nothing reads '" + ToUtf8(file->path) + "'");
        // A file that goes into the archive keeps its name in an entry of 80 bytes.
        if (it != read.end() && it->second.Archived() && file->path.size() > data::kMaxPakName)
            faults.push_back(file->origin.Where() + ": '" + ToUtf8(file->path) + "' is "
                + std::to_string(file->path.size()) + " bytes long; an archive name holds "
                + std::to_string(data::kMaxPakName));
    }
}

void CheckRowNeeds(const DataSet& set, std::vector<std::string>& faults)
{
    for (const RowNeed& need : set.RowNeeds()) {
        const TableEntry* table = set.FindTable(need.table);
        if (!table) {
            faults.push_back("data/tables:1: no table '" + ToUtf8(need.table) + "' for the row '"
                + ToUtf8(need.row) + "' (" + need.why + ")");
            continue;
        }
        if (table->Find(need.row) < 0)
            faults.push_back(table->origin.Where() + ": missing required row '" + ToUtf8(need.row) + "' ("
                + need.why + ")");
    }
}

void CheckNameRules(const DataSet& set, std::vector<std::string>& faults)
{
    for (const NameRule& rule : set.NameRules()) {
        const TableEntry* table = set.FindTable(rule.table);
        if (!table)
            continue;
        const TableEntry* target = set.FindTable(rule.target);
        for (size_t r = 0; r < table->table.records.size(); ++r) {
            const data::TableRecord& record = table->table.records[r];
            for (size_t v = 0; v < record.values.size(); ++v) {
                const data::TableField& field = table->table.fields[record.values[v].field];
                if (field.type != data::FieldType::Text || !FieldMatches(rule.field, field.name))
                    continue;
                const std::string value = table->Value(r, field.name);
                if (IsNone(value))
                    continue;
                if (!target || target->Find(value) < 0) {
                    faults.push_back(table->origin.file + ":" + std::to_string(table->valueLines[r][v])
                        + ": '" + ToUtf8(value) + "' is no row of table '" + ToUtf8(rule.target) + "'");
                }
            }
        }
    }
}

} // namespace

bool CheckDataSet(const DataSet& set, std::vector<std::string>& faults)
{
    const size_t before = faults.size();
    CheckFiles(set, faults);
    CheckRowNeeds(set, faults);
    CheckNameRules(set, faults);
    return faults.size() == before;
}

} // namespace zoq::tools::mkdata
