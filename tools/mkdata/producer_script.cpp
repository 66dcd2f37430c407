// The script producer: every mission script data/scripts/<NAME>.scr|.qst|.inf (includes under
// data/scripts/include/) compiled to "SCRIPT\bin\<NAME>.<ext>", read through the file layer, and
// the text table data/scripts/texts.txt (table "INFORMATION") as the record database
// "SCRIPT\Quest.dat", opened from disk. The sounds the script manager plays are rows it needs.
#include "platform/win/text.h"
#include "tools/data/db_writer.h"
#include "tools/mkdata/producers.h"
#include "tools/script/script_compiler.h"

namespace zoq::tools::mkdata {
namespace {

constexpr std::size_t kMaxScriptName = 31; // the 32-byte script names of the manager
constexpr const char* kExtensions[] = { ".scr", ".qst", ".inf" };

bool CompileScripts(ProducerContext& context, std::string& error)
{
    const SourceTree& tree = context.sources;
    const std::filesystem::path root = tree.Root() / "scripts";
    for (const char* extension : kExtensions) {
        for (const std::string& file : tree.List("scripts", extension)) {
            const std::string relative = "scripts/" + file;
            std::string name;
            if (!ToCp1251(file, name) || name.size() - 4 > kMaxScriptName) {
                error = tree.Shown(relative) + ": a script name is at most 31 Windows-1251 characters";
                return false;
            }
            std::vector<std::string> lines;
            std::string fault;
            if (!script::CompileScript(root / file, root, lines, fault)) {
                const std::string prefix = root.string() + "/";
                if (fault.rfind(prefix, 0) == 0)
                    fault = tree.Shown("scripts/" + fault.substr(prefix.size()));
                error = fault;
                return false;
            }
            const std::string path = "SCRIPT\\bin\\" + name;
            DataFile& out = context.set.AddFile(path, tree.At(relative, 1), false);
            out.bytes = script::StoreScript(lines);
            context.set.AddReference({ path, tree.At(relative, 1), Access::FileLayer, 0 });
        }
    }
    return true;
}

bool AddTextTable(ProducerContext& context, std::string& error)
{
    TableEntry entry;
    if (!LoadTableSource(context.sources, "scripts/texts.txt", entry, error))
        return false;
    if (entry.table.name != "INFORMATION") {
        error = entry.origin.Where() + ": the text table is \"INFORMATION\"";
        return false;
    }
    data::DbImage image;
    if (!data::BuildDatabase({ entry.table }, image, error))
        return false;
    const std::pair<const char*, Bytes*> files[] = {
        { "SCRIPT\\Quest.dat", &image.data },
        { "SCRIPT\\Quest.tab", &image.names },
        { "SCRIPT\\Quest.ind", &image.index },
    };
    for (const auto& [path, bytes] : files) {
        DataFile& file = context.set.AddFile(path, entry.origin, false);
        file.bytes = std::move(*bytes);
        context.set.AddReference({ path, entry.origin, Access::Disk, 0 });
    }
    return true;
}

} // namespace

bool ProduceScript(ProducerContext& context, std::string& error)
{
    NeedRows(context, CP1251("Звуки"),
        { "SND_INT_QUEST_GET", "SND_INT_QUEST_SUCCESS", "SND_INT_QUEST_FAIL", "SND_INT_MONEY", "SND_LEVEL_UP",
            "SND_INT_MAP_PLACE" },
        "played by the script manager");
    return CompileScripts(context, error) && AddTextTable(context, error);
}

} // namespace zoq::tools::mkdata
