// Reading what is left of an open file descriptor, shared by the file readers of this layer.
#pragma once

#include <string>

namespace plat::win {

// Appends the rest of fd to out, retrying interrupted reads; false on a read error. The
// descriptor stays open.
bool ReadAll(int fd, std::string& out);

} // namespace plat::win
