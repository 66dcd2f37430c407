#include "app/GameData.h"

#include "foundation/DataBase.h"
#include "foundation/KWEngine.h"
#include "platform/win/find.h"
#include "platform/win/paths.h"

#include <filesystem>
#include <string_view>

namespace {

constexpr const char* kDataFolder = "Data";
constexpr const char* kDatabase = "Data\\DB.dat";

std::string Shown(std::string_view path)
{
    std::string shown(path);
    for (char& c : shown)
        c = c == '\\' ? '/' : c;
    return shown;
}

std::string FaultLine(std::string_view path, const std::string& reason)
{
    return "ZOQ: " + Shown(path) + ": " + reason;
}

std::string ArchiveFault()
{
    const std::string folder = std::string(kDataFolder) + "\\";
    for (const plat::win::FoundFile& found :
        plat::win::FileSearch(plat::win::CurrentDirectory() + "\\" + folder + "*.pak")) {
        if (found.isDirectory)
            continue;
        const std::string path = folder + found.name;
        std::string reason = "cannot be found";
        KWEngine archive;
        const auto host = plat::win::ResolvePath(path);
        if (!host || !archive.Load(*host, reason))
            return FaultLine(path, reason);
    }
    return {};
}

std::string DatabaseFault()
{
    DataBase database;
    database.SetLog([](std::string_view) {});
    if (!database.Open(kDatabase, 0))
        return FaultLine(kDatabase, "not a database: " + database.OpenFault());
    if (database.RecordCount() == 0)
        return FaultLine(kDatabase, "not a database: its index holds no record");
    if (const std::string fault = database.CheckRecords(); !fault.empty())
        return FaultLine(kDatabase, "not a database: " + fault);
    return {};
}

} // namespace

std::string MissingGameDataLine()
{
    std::error_code error;
    if (const auto host = plat::win::ResolvePath(kDatabase);
        host && std::filesystem::is_regular_file(*host, error))
        return {};
    const std::string folder = std::filesystem::current_path(error).string();
    return "ZOQ: no game data in " + folder
        + ": run scripts/play, or start ZOQ inside a folder made by zoq-mkdata";
}

std::string FindGameDataFault()
{
    if (std::string fault = ArchiveFault(); !fault.empty())
        return fault;
    return DatabaseFault();
}
