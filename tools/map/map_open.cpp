#include "tools/map/map_open.h"

#include "foundation/PakManager.h"
#include "foundation/XFile.h"
#include "tools/map/map_tool.h"

#include <filesystem>
#include <system_error>

namespace zoq::tools::map {

std::vector<std::string> TakeBase(const std::vector<std::string>& args)
{
    if (args.empty() || args[0] != "--base")
        return args;
    if (args.size() < 2)
        return {};
    std::error_code ec;
    std::filesystem::current_path(args[1], ec);
    if (ec)
        throw ToolFailure { args[1], 0, "cannot enter the folder: " + ec.message() };
    g_PakManager.Init(".");
    return std::vector<std::string>(args.begin() + 2, args.end());
}

void OpenMap(const std::string& path, XFile& file)
{
    if (!g_PakManager.OpenXFile(path.c_str(), file))
        throw ToolFailure { path, 0, "cannot open the map" };
}

} // namespace zoq::tools::map
