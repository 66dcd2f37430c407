#include "foundation/BaseDirectory.h"

#include "platform/win/paths.h"

namespace {

std::string& ChosenBase()
{
    static std::string base;
    return base;
}

} // namespace

std::string BaseDirectory()
{
    const std::string& chosen = ChosenBase();
    return chosen.empty() ? plat::win::CurrentDirectory() + "\\" : chosen;
}

void SetBaseDirectory(const std::string& folder)
{
    ChosenBase() = folder.empty() ? folder : folder + "\\";
}
