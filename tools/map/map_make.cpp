// zoq-map make RECIPE OUT: builds the map a recipe describes and writes it, silently.
#include "platform/win/paths.h"
#include "tools/map/map_recipe.h"
#include "tools/map/map_tool.h"

#include <cstdio>
#include <string>

namespace zoq::tools::map {

namespace {

std::string ReadText(const std::string& path)
{
    std::FILE* file = plat::win::OpenFile(path, "rb");
    if (!file)
        throw ToolFailure { path, 0, "cannot open the recipe" };
    std::string text;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw ToolFailure { path, 0, "cannot read the recipe" };
    return text;
}

} // namespace

int RunMake(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return kUsageExit;
    const std::string& recipePath = args[0];
    LocationMap map;
    try {
        map = BuildMap(ParseRecipe(ReadText(recipePath)));
    } catch (const RecipeError& e) {
        throw ToolFailure { recipePath, e.line, e.what() };
    }
    std::string error;
    if (!SaveMap(args[1], map, error))
        throw ToolFailure { args[1], 0, error };
    return 0;
}

} // namespace zoq::tools::map
