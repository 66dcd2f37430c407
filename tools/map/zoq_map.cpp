// zoq-map: location map files. Each verb is one row of the table below.
#include "platform/win/program_info.h"
#include "tools/map/map_tool.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zoq::tools::map;

constexpr Verb kVerbs[] = {
    { "make", "make RECIPE OUT", "builds the map that the recipe describes and writes it to OUT", RunMake },
    { "info", "info [--base DIR] MAP", "prints the header, chunks, surfaces, blocks and point totals of MAP",
        RunInfo },
    { "height", "height [--base DIR] MAP X Y [X Y ...]",
        "prints the game's terrain heights at world positions", RunHeight },
    { "env", "env [--base DIR] [--seed N] [--start H] [--save FILE] MAP HOUR...",
        "runs the day clock and weather of MAP from hour H and prints the environment at each HOUR", RunEnv },
    { "view", "view [--null] DIR LOCATION X Y Z HEADING PITCH [OUT.bmp]",
        "draws two frames of the location in game folder DIR from a camera pose, prints the terrain "
        "counts and writes the second frame to OUT.bmp",
        RunView },
};

std::string UsageLines()
{
    std::string text;
    for (const Verb& verb : kVerbs)
        text += std::string(text.empty() ? "usage: " : "       ") + "zoq-map " + verb.usage + "\n";
    return text;
}

std::string Help()
{
    std::string text = UsageLines();
    for (const Verb& verb : kVerbs)
        text += std::string("  ") + verb.name + ": " + verb.help + "\n";
    return text;
}

int Usage()
{
    std::fputs(UsageLines().c_str(), stderr);
    return kUsageExit;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-map", Help()))
        return *answered;
    if (argc < 2)
        return Usage();
    const std::string name = argv[1];
    for (const Verb& verb : kVerbs) {
        if (name != verb.name)
            continue;
        try {
            const int code = verb.run(std::vector<std::string>(argv + 2, argv + argc));
            return code == kUsageExit ? Usage() : code;
        } catch (const ToolFailure& failure) {
            std::fprintf(stderr, "zoq-map: %s%s: %s\n", failure.file.c_str(),
                failure.line > 0 ? (":" + std::to_string(failure.line)).c_str() : "", failure.reason.c_str());
            return 1;
        }
    }
    return Usage();
}
