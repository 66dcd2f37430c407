#include "foundation/BaseDirectory.h"

#include "platform/win/paths.h"

std::string BaseDirectory()
{
    return plat::win::CurrentDirectory() + "\\";
}
