#include "platform/win/program_info.h"

#include <cerrno>
#include <cstdio>

namespace plat::win {

std::string_view ProgramVersion()
{
    return ZOQ_VERSION;
}

std::string ProgramName()
{
    return program_invocation_short_name;
}

std::optional<int> AnswerInfoOption(int argc, char** argv, std::string_view name, std::string_view usage)
{
    if (argc < 2)
        return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--help")
        std::fwrite(usage.data(), 1, usage.size(), stdout);
    else if (option == "--version")
        std::printf("%.*s %.*s\n", int(name.size()), name.data(), int(ProgramVersion().size()),
            ProgramVersion().data());
    else
        return std::nullopt;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace plat::win
