// The verbs of zoq-map. Each verb lives in its own file and has one row in the table of
// zoq_map.cpp: its name, its usage line and its run.
#pragma once

#include <string>
#include <vector>

namespace zoq::tools::map {

// A failure zoq-map reports as "zoq-map: <file>[:<line>]: <reason>" with exit code 1.
struct ToolFailure {
    std::string file;
    int line = 0; // 0: no line
    std::string reason;
};

// Exit code of a verb given the wrong arguments: the program prints the usage.
inline constexpr int kUsageExit = 2;

struct Verb {
    const char* name;
    const char* usage; // "make RECIPE OUT", after "zoq-map "
    const char* help; // what it does, one line
    // The arguments after the verb; returns the exit code (0, or kUsageExit) or throws ToolFailure.
    int (*run)(const std::vector<std::string>& args);
};

int RunMake(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunHeight(const std::vector<std::string>& args);
int RunEnv(const std::vector<std::string>& args);
int RunView(const std::vector<std::string>& args);

} // namespace zoq::tools::map
