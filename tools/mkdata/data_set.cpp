#include "tools/mkdata/data_set.h"

#include "platform/win/text.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zoq::tools::mkdata {

std::string Origin::Where() const
{
    return file + ":" + std::to_string(line);
}

std::string TableEntry::Value(size_t record, std::string_view field) const
{
    for (const data::TableValue& value : table.records[record].values) {
        if (!plat::win::EqualNoCase1251(table.fields[value.field].name, field))
            continue;
        if (table.fields[value.field].type == data::FieldType::Text)
            return value.bytes.substr(0, value.bytes.size() - 1);
        return value.bytes;
    }
    return {};
}

int TableEntry::ValueLine(size_t record, std::string_view field) const
{
    const std::vector<data::TableValue>& values = table.records[record].values;
    for (size_t i = 0; i < values.size(); ++i) {
        if (plat::win::EqualNoCase1251(table.fields[values[i].field].name, field))
            return valueLines[record][i];
    }
    return recordLines[record];
}

bool TableEntry::Deleted(size_t record) const
{
    for (const data::TableValue& value : table.records[record].values) {
        const data::TableField& field = table.fields[value.field];
        if (field.type == data::FieldType::Integer && plat::win::EqualNoCase1251(field.name, "Deleted")) {
            return LoadLE<int32_t>(value.bytes.data()) == 1;
        }
    }
    return false;
}

int TableEntry::Find(std::string_view row, bool withDeleted) const
{
    for (size_t i = 0; i < table.records.size(); ++i) {
        if (plat::win::EqualNoCase1251(table.records[i].name, row) && (withDeleted || !Deleted(i)))
            return int(i);
    }
    return -1;
}

DataSet::DataSet() = default;
DataSet::~DataSet() = default;

DataFile& DataSet::AddFile(std::string path, Origin origin, bool fromRecipe)
{
    auto file = std::make_unique<DataFile>();
    file->path = std::move(path);
    file->origin = std::move(origin);
    file->fromRecipe = fromRecipe;
    m_files.push_back(std::move(file));
    return *m_files.back();
}

DataFile* DataSet::FindFile(std::string_view path)
{
    for (const auto& file : m_files) {
        if (plat::win::EqualNoCase1251(file->path, path))
            return file.get();
    }
    return nullptr;
}

TableEntry& DataSet::AddTable(TableEntry table)
{
    m_tables.push_back(std::move(table));
    return m_tables.back();
}

const TableEntry* DataSet::FindTable(std::string_view name) const
{
    // Table names are case-sensitive in the database.
    for (const TableEntry& entry : m_tables) {
        if (entry.table.name == name)
            return &entry;
    }
    return nullptr;
}

void DataSet::NeedRow(std::string table, std::string row, std::string why)
{
    m_rowNeeds.push_back({ std::move(table), std::move(row), std::move(why) });
}

void DataSet::AddNameRule(std::string table, std::string field, std::string target)
{
    m_nameRules.push_back({ std::move(table), std::move(field), std::move(target) });
}

bool DataSet::MakeFiles(unsigned threads, std::string& error)
{
    std::vector<DataFile*> pending;
    for (const auto& file : m_files) {
        if (file->make)
            pending.push_back(file.get());
    }
    std::vector<std::string> errors(pending.size());
    std::vector<char> failed(pending.size(), 0);
    std::atomic<size_t> next { 0 };
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < pending.size();) {
            DataFile& file = *pending[i];
            try {
                failed[i] = file.make(file.bytes, errors[i]) ? 0 : 1;
            } catch (const std::exception& e) {
                failed[i] = 1;
                errors[i] = e.what();
            }
        }
    };
    threads = std::clamp(threads, 1u, unsigned(std::max<size_t>(pending.size(), 1)));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    for (size_t i = 0; i < pending.size(); ++i) {
        pending[i]->make = nullptr;
        if (failed[i] && error.empty())
            error = pending[i]->origin.Where() + ": " + errors[i];
    }
    return error.empty();
}

std::map<std::string, ReaderCount> CountReaders(const DataSet& set)
{
    std::map<std::string, ReaderCount> counts;
    for (const FileRef& ref : set.References()) {
        ReaderCount& count = counts[plat::win::Upper1251(ref.path)];
        (ref.access == Access::FileLayer ? count.fileLayer : count.disk) += 1;
    }
    return counts;
}

bool FieldMatches(std::string_view pattern, std::string_view field)
{
    if (pattern.size() != field.size())
        return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char p = pattern[i];
        const char f = field[i];
        if (p == '?')
            continue;
        if (p == '#') {
            if (f < '0' || f > '9')
                return false;
            continue;
        }
        if (plat::win::ToUpper1251(p) != plat::win::ToUpper1251(f))
            return false;
    }
    return true;
}

} // namespace zoq::tools::mkdata
