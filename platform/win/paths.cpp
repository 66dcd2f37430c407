#include "paths.h"

namespace plat::win {

std::string CurrentDirectory()
{
    return ".";
}

} // namespace plat::win
