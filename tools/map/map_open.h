// How the reading verbs of zoq-map open a map: "--base DIR" enters DIR and mounts its archives,
// so that MAP is opened through the file layer as the game opens it; without it MAP is a plain
// file.
#pragma once

#include <string>
#include <vector>

class XFile;

namespace zoq::tools::map {

// Takes "--base DIR" off the front of args, entering DIR and mounting its archives.
std::vector<std::string> TakeBase(const std::vector<std::string>& args);
// Opens path through the file layer; throws ToolFailure when it cannot.
void OpenMap(const std::string& path, XFile& file);

} // namespace zoq::tools::map
