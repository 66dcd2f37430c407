#include "tools/data/db_writer.h"

#include "foundation/ByteOrder.h"
#include "tools/data/atomic_file.h"

#include <cstring>
#include <set>

namespace zoq::tools::data {
namespace {

constexpr size_t kNameSize = 32;

void PutName(std::vector<uint8_t>& out, const std::string& name)
{
    uint8_t field[kNameSize] = {};
    std::memcpy(field, name.data(), std::min(name.size(), kNameSize - 1));
    out.insert(out.end(), field, field + kNameSize);
}

} // namespace

bool BuildDatabase(const std::vector<TableSource>& tables, DbImage& image, std::string& error)
{
    image = DbImage();
    std::set<std::string> tableNames;
    std::vector<uint8_t> tableEntries;
    std::vector<uint8_t> fieldEntries;
    std::vector<std::vector<uint32_t>> fieldIds(tables.size());
    uint32_t fieldCount = 0;
    for (size_t t = 0; t < tables.size(); ++t) {
        const TableSource& table = tables[t];
        if (!tableNames.insert(table.name).second) {
            error = table.file + ": duplicate table";
            return false;
        }
        const uint32_t tableId = uint32_t(t + 1);
        AppendLE<uint32_t>(tableEntries, tableId);
        PutName(tableEntries, table.name);
        AppendLE<uint32_t>(tableEntries, 0);
        for (const TableField& field : table.fields) {
            ++fieldCount;
            fieldIds[t].push_back(fieldCount);
            AppendLE<uint32_t>(fieldEntries, tableId);
            AppendLE<uint32_t>(fieldEntries, fieldCount);
            PutName(fieldEntries, field.name);
            AppendLE<uint32_t>(fieldEntries, uint32_t(field.type));
            // Each new field name marks the last table entry with the new count.
            StoreLE<uint32_t>(&tableEntries[tableEntries.size() - 4], fieldCount);
        }
    }
    AppendLE<uint32_t>(image.names, uint32_t(tables.size()));
    AppendLE<uint32_t>(image.names, fieldCount);
    image.names.insert(image.names.end(), tableEntries.begin(), tableEntries.end());
    image.names.insert(image.names.end(), fieldEntries.begin(), fieldEntries.end());

    uint32_t recordCount = 0;
    AppendLE<uint32_t>(image.index, 0);
    for (size_t t = 0; t < tables.size(); ++t) {
        for (const TableRecord& record : tables[t].records) {
            if (record.values.size() > kMaxRecordFields) {
                error = tables[t].file + ": record has more than 256 fields";
                return false;
            }
            const size_t offset = image.data.size();
            for (const TableValue& value : record.values) {
                AppendLE<uint32_t>(image.data, fieldIds[t][value.field]);
                AppendLE<uint32_t>(image.data, uint32_t(value.bytes.size()));
                image.data.insert(image.data.end(), value.bytes.begin(), value.bytes.end());
            }
            if (image.data.size() > 0xFFFFFFFFull) {
                error = tables[t].file + ": database larger than 4 GiB";
                return false;
            }
            AppendLE<uint32_t>(image.index, uint32_t(t + 1));
            PutName(image.index, record.name);
            AppendLE<uint32_t>(image.index, uint32_t(offset));
            AppendLE<uint32_t>(image.index, uint32_t(image.data.size() - offset));
            ++recordCount;
        }
    }
    StoreLE<uint32_t>(&image.index[0], recordCount);
    return true;
}

std::filesystem::path DbCompanionPath(const std::filesystem::path& data, const char* extension)
{
    std::string name = data.filename().string();
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    std::filesystem::path result = data;
    result.replace_filename(name + extension);
    return result;
}

bool WriteDatabase(const std::filesystem::path& data, const DbImage& image, std::string& error)
{
    struct Output {
        std::filesystem::path path;
        const std::vector<uint8_t>& bytes;
    };
    const Output outputs[] = {
        { data, image.data },
        { DbCompanionPath(data, ".tab"), image.names },
        { DbCompanionPath(data, ".ind"), image.index },
    };
    AtomicFile files[3];
    std::string reason;
    for (int i = 0; i < 3; ++i) {
        if (!files[i].Open(outputs[i].path, reason)
            || !files[i].Write(outputs[i].bytes.data(), outputs[i].bytes.size(), reason)) {
            error = outputs[i].path.string() + ": " + reason;
            return false;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (!files[i].Commit(reason)) {
            error = outputs[i].path.string() + ": " + reason;
            return false;
        }
    }
    return true;
}

} // namespace zoq::tools::data
