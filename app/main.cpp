// The ZOQ program: the command line as one Windows-1251 text, termination signals as a quit
// request, then the game.
#include "app/CZJApp.h"
#include "platform/win/environment.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"

#include <csignal>
#include <optional>
#include <string>

namespace {

constexpr char kUsage[] = "usage: ZOQ [-m FILE] [-freecamera WORD]\n"
                          "Starts the game in the working folder, a game folder made by zoq-mkdata.\n"
                          "  -m FILE            the start location file (location1.zjp)\n"
                          "  -freecamera WORD   free camera; the switch needs a word behind it\n"
                          "  --help, --version  this text, or the version\n";

extern "C" void OnTerminate(int)
{
    CApplication::RequestQuit();
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "ZOQ", kUsage))
        return *answered;
    if (plat::win::RefuseBadEnvironment("ZOQ"))
        return 2;
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += plat::win::Utf8ToCp1251(argv[i]);
    }
    return GameMain(commandLine.c_str());
}
