// The ZOQ program: the command line as one Windows-1251 text, termination signals as a quit
// request, then the game.
#include "app/CZJApp.h"
#include "platform/win/environment.h"
#include "platform/win/text.h"

#include <csignal>
#include <string>

namespace {

extern "C" void OnTerminate(int)
{
    CApplication::RequestQuit();
}

} // namespace

int main(int argc, char** argv)
{
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
