#include "tools/mkdata/producers.h"

#include "platform/win/text.h"

#include <cctype>

namespace zoq::tools::mkdata {
namespace {

// Names between tables are checked once every producer has run; the world comes last because its
// locations name rows of every other producer's tables as they are read.
constexpr Producer kProducers[] = {
    { "config", ProduceConfig },
    { "render", ProduceRender },
    { "audio", ProduceAudio },
    { "terrain", ProduceTerrain },
    { "radar", ProduceRadar },
    { "world", ProduceWorld },
    { "script", ProduceScript },
    { "interface", ProduceInterface },
};

} // namespace

std::span<const Producer> Producers()
{
    return kProducers;
}

bool LoadTables(ProducerContext& context, std::initializer_list<const char*> files, std::string& error)
{
    for (const char* file : files) {
        const std::string relative = std::string("tables/") + file;
        TableEntry entry;
        if (!LoadTableSource(context.sources, relative, entry, error))
            return false;
        if (context.set.FindTable(entry.table.name)) {
            error = entry.origin.Where() + ": table '" + ToUtf8(entry.table.name) + "' is defined twice";
            return false;
        }
        context.set.AddTable(std::move(entry));
        context.tablesRead.push_back(file);
    }
    return true;
}

void ReferFileField(ProducerContext& context, std::string_view table, std::string_view field,
    size_t fieldBytes, Access (*accessOf)(std::string_view path), Access access)
{
    const TableEntry* entry = context.set.FindTable(table);
    if (!entry)
        return;
    for (size_t r = 0; r < entry->table.records.size(); ++r) {
        const std::string path = entry->Value(r, field);
        if (path.empty())
            continue;
        FileRef ref;
        ref.path = path;
        ref.origin = { entry->origin.file, entry->ValueLine(r, field) };
        ref.access = accessOf ? accessOf(path) : access;
        ref.fieldBytes = fieldBytes;
        context.set.AddReference(std::move(ref));
    }
}

void NeedRows(ProducerContext& context, std::string_view table, std::initializer_list<const char*> rows,
    std::string_view why)
{
    for (const char* row : rows)
        context.set.NeedRow(std::string(table), row, std::string(why));
}

std::string Extension(std::string_view path)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('\\');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot))
        return {};
    std::string ext(path.substr(dot + 1));
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

int SerialFor(std::string_view path)
{
    return int(Fnv1a(plat::win::Upper1251(path)) & 0x7FFFFFFF);
}

} // namespace zoq::tools::mkdata
