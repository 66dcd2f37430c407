// zoq-e2e: runs the game in-process on a step script. From the pump hook it sends each step's
// input and checks the game's state between passes; after the last step the game must end on
// its own. Prints "ok" per step or one "fail" line, then "exit <code>" with the game's code.
#include "app/CZJApp.h"
#include "platform/win/text.h"
#include "tests/e2e/E2EAppGame.h"
#include "tests/e2e/E2EMeasure.h"
#include "tests/e2e/E2ERunner.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr uint32_t kEndPasses = 3000;

constexpr char kUsage[]
    = "usage: zoq-e2e run SCRIPT DIR [ARGS...]\n"
      "   or: zoq-e2e measure DIR [--objects N] [--frames N] (a timed flight over location1)\n"
      "Runs the game with DIR as its base folder and ARGS as its command line, on the\n"
      "graphics backend ZOQ_GFX names, through the steps of SCRIPT.\n";

int Usage(const std::string& problem)
{
    if (!problem.empty())
        std::cerr << "zoq-e2e: " << problem << "\n";
    std::cerr << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "measure")
        return e2e::Measure(argc, argv);
    if (argc < 4 || std::string(argv[1]) != "run")
        return Usage("");
    std::ifstream file(argv[2], std::ios::binary);
    std::stringstream script;
    script << file.rdbuf();
    if (!file)
        return Usage(std::string("cannot read ") + argv[2]);
    std::vector<e2e::Step> steps;
    std::string error;
    if (!e2e::ParseScript(script.str(), steps, error))
        return Usage(std::string(argv[2]) + ": " + error);
    if (::chdir(argv[3]) != 0)
        return Usage(std::string("cannot enter ") + argv[3]);
    std::string commandLine;
    for (int i = 4; i < argc; ++i) {
        if (i > 4)
            commandLine += ' ';
        commandLine += plat::win::Utf8ToCp1251(argv[i]);
    }

    e2e::E2EAppGame game;
    e2e::StepRunner runner(std::move(steps), game, std::cout);
    uint32_t endPasses = 0;
    bool focused = false;
    CApplication::PumpHook = [&] {
        if (!e2e::E2EAppGame::Ready())
            return;
        if (!focused) {
            focused = true;
            e2e::E2EAppGame::Focus();
            return;
        }
        if (!runner.Failed() && !runner.Finished()) {
            runner.Pass();
            return;
        }
        if (runner.Failed())
            CApplication::RequestQuit();
        if (++endPasses <= kEndPasses)
            return;
        runner.Fail("the game did not end within " + std::to_string(kEndPasses) + " passes");
        std::cout.flush();
        std::_Exit(1);
    };
    const int code = GameMain(commandLine.c_str());
    CApplication::PumpHook = nullptr;
    if (!runner.Failed() && !runner.Finished())
        runner.Fail("the game ended with code " + std::to_string(code));
    if (runner.Failed())
        return 1;
    std::cout << "exit " << code << std::endl;
    return code;
}
