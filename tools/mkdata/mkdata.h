// zoq-mkdata: writes a game folder (<out>/Data/... and <out>/zjserv.ini) from the readable sources
// in data/ and procedural content, through the project's writers.
#pragma once

#include "tools/mkdata/data_set.h"

#include <filesystem>
#include <string>

namespace zoq::tools::mkdata {

struct Options {
    std::filesystem::path out; // the game folder
    std::filesystem::path src; // the source tree's data/
    bool force = false; // replace an existing cfg.ini; regenerate even when up to date
    bool list = false; // print the files and their places, write nothing
    unsigned threads = 0; // 0: the machine's cores, at most 4
};

struct RunResult {
    int exitCode = 0;
    std::string out; // lines for standard output
    std::string err; // lines for standard error
};

// Runs every producer and the checks into `set`; false with the fault lines in `faults`.
bool BuildDataSet(const std::filesystem::path& src, unsigned threads, DataSet& set, std::string& faults);

// The whole command.
RunResult Run(const Options& options);

// The hash that decides whether a folder is up to date: every file under src (path and bytes)
// and the generator's own program.
uint64_t SourceHash(const std::filesystem::path& src);

} // namespace zoq::tools::mkdata
