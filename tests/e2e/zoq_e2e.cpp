// zoq-e2e: runs the game in-process on a step script. From the pump hook it sends each step's
// input and checks the game's state between passes; after the last step the game must end on
// its own. Prints "ok" per step or one "fail" line, then "exit <code>" with the game's code.
// The frame timer runs on a counter the hook advances by a fixed step each pass, so game time
// does not depend on the machine; both random generators start from 1 at the first pass.
#include "app/CZJApp.h"
#include "foundation/CTimer.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "platform/win/clock.h"
#include "platform/win/text.h"
#include "tests/e2e/E2EAppGame.h"
#include "tests/e2e/E2ERunner.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr uint32_t kEndPasses = 3000;
constexpr uint32_t kDefaultStepMs = 20;
constexpr uint32_t kRandomSeed = 1;

constexpr char kUsage[]
    = "usage: zoq-e2e run [--step MS] SCRIPT DIR [ARGS...]\n"
      "Runs the game with DIR as its base folder and ARGS as its command line, on the\n"
      "graphics backend ZOQ_GFX names, through the steps of SCRIPT. The frame timer advances\n"
      "MS milliseconds a pump pass (default 20); --step 0 runs it on the real clock.\n";

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
    if (argc < 2 || std::string(argv[1]) != "run")
        return Usage("");
    int first = 2; // SCRIPT
    uint32_t stepMs = kDefaultStepMs;
    if (argc > 3 && std::string_view(argv[2]) == "--step") {
        const std::string_view ms = argv[3];
        const auto [end, failure] = std::from_chars(ms.data(), ms.data() + ms.size(), stepMs);
        if (failure != std::errc() || end != ms.data() + ms.size())
            return Usage("'" + std::string(ms) + "' is no step in milliseconds");
        first = 4;
    }
    if (argc < first + 2)
        return Usage("");
    const char* scriptPath = argv[first];
    const char* folder = argv[first + 1];
    std::ifstream file(scriptPath, std::ios::binary);
    std::stringstream script;
    script << file.rdbuf();
    if (!file)
        return Usage(std::string("cannot read ") + scriptPath);
    std::vector<e2e::Step> steps;
    std::string error;
    if (!e2e::ParseScript(script.str(), steps, error))
        return Usage(std::string(scriptPath) + ": " + error);
    if (::chdir(folder) != 0)
        return Usage(std::string("cannot enter ") + folder);
    std::string commandLine;
    for (int i = first + 2; i < argc; ++i) {
        if (i > first + 2)
            commandLine += ' ';
        commandLine += plat::win::Utf8ToCp1251(argv[i]);
    }

    e2e::E2EAppGame game;
    e2e::StepRunner runner(std::move(steps), game, std::cout);
    if (!runner.ApplySettings())
        return 1;
    int64_t steppedCount = plat::win::CounterNow();
    if (stepMs > 0)
        FrameTimer = CTimer([&] { return steppedCount; }, plat::win::kCounterFrequency);
    uint32_t endPasses = 0;
    bool focused = false;
    CApplication::PumpHook = [&] {
        steppedCount += int64_t(stepMs) * (plat::win::kCounterFrequency / 1000);
        if (!e2e::E2EAppGame::Ready())
            return;
        if (!focused) {
            focused = true;
            SeedRand(kRandomSeed);
            SharedRandom = XRandom();
            SharedRandom.seed = kRandomSeed;
            e2e::E2EAppGame::Focus();
            return;
        }
        if (!runner.Failed())
            runner.Pass();
        if (!runner.Failed() && !runner.Finished())
            return;
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
