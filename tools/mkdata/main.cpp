// zoq-mkdata --out DIR [--src DIR] [--force] | --list [--src DIR]
#include "platform/win/program_info.h"
#include "tools/mkdata/mkdata.h"

#include <cstdio>
#include <cstring>
#include <optional>

#ifndef ZOQ_MKDATA_SOURCES
#define ZOQ_MKDATA_SOURCES "data"
#endif

namespace {

constexpr char kCommands[] = "zoq-mkdata --out DIR [--src DIR] [--force] | --list [--src DIR]";
const std::string kHelp = std::string("usage: ") + kCommands
    + "\nWrites a game folder (DIR/Data/..., DIR/cfg.ini, DIR/zjserv.ini) from the sources.\n"
      "  --out DIR   the game folder to write\n"
      "  --src DIR   the sources (" ZOQ_MKDATA_SOURCES ")\n"
      "  --force     replace an existing cfg.ini and write even when up to date\n"
      "  --list      print the files and their places, write nothing\n";

int Usage()
{
    std::fprintf(stderr, "usage: %s\n", kCommands);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-mkdata", kHelp))
        return *answered;
    zoq::tools::mkdata::Options options;
    options.src = ZOQ_MKDATA_SOURCES;
    bool hasOut = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            options.out = argv[++i];
            hasOut = true;
        } else if (std::strcmp(argv[i], "--src") == 0 && i + 1 < argc)
            options.src = argv[++i];
        else if (std::strcmp(argv[i], "--force") == 0)
            options.force = true;
        else if (std::strcmp(argv[i], "--list") == 0)
            options.list = true;
        else
            return Usage();
    }
    if (!hasOut && !options.list)
        return Usage();
    const zoq::tools::mkdata::RunResult result = zoq::tools::mkdata::Run(options);
    std::fputs(result.out.c_str(), stdout);
    std::fputs(result.err.c_str(), stderr);
    return result.exitCode;
}
