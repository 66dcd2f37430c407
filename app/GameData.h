// The game folder as start-up finds it, before the window opens: its data is there, every archive
// mounts and the record database reads. A fault is one line for the player, paths shown with '/'.
#pragma once

#include <string>

// "ZOQ: no game data in <folder>: ..." when the working folder holds no Data/DB.dat, else empty.
std::string MissingGameDataLine();
// The first archive or database fault ("ZOQ: Data/data01.pak: <reason>"), else empty.
std::string FindGameDataFault();

// Thrown when start-up cannot go on for a reason the player can mend; the game reports the line
// alone (no call trace) and exits with 2.
struct XStartupFault {
    std::string line;
};
