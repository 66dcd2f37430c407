// zoq-world groups: the machine groups of the loaded location, one line a group and a member.
#pragma once

namespace zoq::tools::world {

void PrintGroups();

} // namespace zoq::tools::world
