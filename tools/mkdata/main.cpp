// zoq-mkdata [--out DIR] [--src DIR] [--force] [--list]
#include "tools/mkdata/mkdata.h"

#include <cstdio>
#include <cstring>

#ifndef ZOQ_MKDATA_SOURCES
#define ZOQ_MKDATA_SOURCES "data"
#endif

namespace {

int Usage()
{
    std::fputs("usage: zoq-mkdata [--out DIR] [--src DIR] [--force] [--list]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    zoq::tools::mkdata::Options options;
    options.src = ZOQ_MKDATA_SOURCES;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            options.out = argv[++i];
        else if (std::strcmp(argv[i], "--src") == 0 && i + 1 < argc)
            options.src = argv[++i];
        else if (std::strcmp(argv[i], "--force") == 0)
            options.force = true;
        else if (std::strcmp(argv[i], "--list") == 0)
            options.list = true;
        else
            return Usage();
    }
    const zoq::tools::mkdata::RunResult result = zoq::tools::mkdata::Run(options);
    std::fputs(result.out.c_str(), stdout);
    std::fputs(result.err.c_str(), stderr);
    return result.exitCode;
}
