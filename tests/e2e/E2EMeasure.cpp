#include "tests/e2e/E2EMeasure.h"

#include "app/CZJApp.h"
#include "app/GameSettings.h"
#include "foundation/NameKey32.h"
#include "platform/input/key_names.h"
#include "platform/win/profile.h"
#include "tests/e2e/E2EAppGame.h"
#include "tests/e2e/E2ERunner.h"
#include "world/db/CStoneManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace e2e {

namespace {

constexpr char kUsage[] = "usage: zoq-e2e measure DIR [--objects N] [--frames N]\n";
constexpr uint32_t kDefaultFrames = 600;
constexpr uint32_t kEndPasses = 3000;
// A new game on the start menu's first difficulty, then out of its start building.
constexpr char kNewGameSteps[] = "wait menu=start\n"
                                 "click 3\n"
                                 "click 102\n"
                                 "wait menu=building\n"
                                 "click 1\n"
                                 "wait flying\n";

// The objects along the flight: a tenth of them things of this kind (a container), the rest
// stones. They stand beside the path, never on it, so the glider neither hits nor takes them.
constexpr int32_t kThingKind = 513;
constexpr uint32_t kThingEvery = 10;
// About the stretch a default flight covers, and the view ahead of its end.
constexpr float kPathLength = 600.0f;
constexpr float kNearestSide = 30.0f;
constexpr float kSideSpread = 60.0f;
constexpr float kMapMargin = 20.0f;
constexpr float kGridStep = 10.0f; // units between the location's grid points

struct Options {
    std::string folder;
    uint32_t objects = 0;
    uint32_t frames = kDefaultFrames;
};

int Refuse(const std::string& problem)
{
    std::cerr << "zoq-e2e: " << problem << "\n" << kUsage;
    return 2;
}

int Fail(const std::string& reason)
{
    std::cout.flush();
    std::cerr << "zoq-e2e: " << reason << std::endl;
    return 1;
}

bool ParseCount(const char* text, uint32_t& out)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || value > 1000000)
        return false;
    out = uint32_t(value);
    return true;
}

// Empty when the command line is good, else the problem.
std::string ParseOptions(int argc, char** argv, Options& options)
{
    if (argc < 3)
        return "measure needs a folder";
    options.folder = argv[2];
    for (int i = 3; i < argc; i += 2) {
        const std::string name = argv[i];
        uint32_t* target = name == "--objects" ? &options.objects
            : name == "--frames"               ? &options.frames
                                               : nullptr;
        if (!target)
            return "'" + name + "' is no option of measure";
        if (i + 1 >= argc || !ParseCount(argv[i + 1], *target))
            return name + " needs a count";
    }
    if (options.frames == 0)
        return "--frames needs a count above 0";
    return {};
}

double ThreadCpuMs()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

// The process's resident-memory high-water mark in MiB; negative when unreadable.
double PeakRssMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return -1.0;
}

// Stands `count` objects beside the glider's path ahead of it, within the map; the number made.
uint32_t PlaceObjects(uint32_t count)
{
    const XStringTable& stones = g_StoneManager.GetRowNames();
    if (count == 0 || !PlayerGlider || stones.Count() == 0)
        return 0;
    const Vec3 start = PlayerGlider->frame.position;
    Vec3 ahead = PlayerGlider->frame.forward;
    const float flat = std::hypot(ahead.x, ahead.y);
    ahead = flat > 0 ? Vec3 { ahead.x / flat, ahead.y / flat, 0 } : Vec3 { 1, 0, 0 };
    const float mapX = float(Location.width - 1) * kGridStep - kMapMargin;
    const float mapY = float(Location.height - 1) * kGridStep - kMapMargin;
    const auto inMap
        = [&](float x, float y) { return x >= kMapMargin && y >= kMapMargin && x <= mapX && y <= mapY; };
    // The path ends where it, or either side of it, would leave the map.
    const float sideMost = kNearestSide + kSideSpread;
    float length = kPathLength;
    while (length > 0) {
        const float x = start.x + ahead.x * length;
        const float y = start.y + ahead.y * length;
        if (inMap(x - ahead.y * sideMost, y + ahead.x * sideMost)
            && inMap(x + ahead.y * sideMost, y - ahead.x * sideMost))
            break;
        length -= kGridStep;
    }
    uint32_t made = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const float along = length * (float(i) + 0.5f) / float(count);
        const float side = (i % 2 ? 1.0f : -1.0f) * (kNearestSide + kSideSpread * float(i % 7) / 6.0f);
        Vec3 at { start.x + ahead.x * along - ahead.y * side, start.y + ahead.y * along + ahead.x * side, 0 };
        at.z = Location.GetHeight(at, false, true);
        const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, at.x, at.y, at.z, 1 };
        if (i % kThingEvery == kThingEvery - 1) {
            auto* thing = new CTheThing;
            if (!thing->Init(placement, kThingKind)) {
                delete thing;
                continue;
            }
            ObjectList.AddObject(thing);
        } else {
            const char* row = stones.GetString(int(i % uint32_t(stones.Count())));
            if (!g_StoneManager.CreateObject(MakeNameKey32(row), placement, nullptr))
                continue;
        }
        ++made;
    }
    return made;
}

// The flight's frames: each one's CPU time on the game's thread, pump pass to pump pass.
class Flight {
public:
    explicit Flight(uint32_t frames)
        : m_frames(frames)
    {
        m_times.reserve(frames);
    }

    bool Started() const { return m_started; }
    bool Done() const { return m_times.size() >= m_frames; }
    uint32_t Objects() const { return m_objects; }
    const std::vector<double>& Times() const { return m_times; }

    // False when the game binds no key to FORWARD.
    bool Start(E2EGame& game, uint32_t objects)
    {
        m_started = true;
        m_forwardKey = game.BindingCode(Binding::Forward);
        if (m_forwardKey == 0 || m_forwardKey >= plat::input::kMouseCodeBase)
            return false;
        m_objects = PlaceObjects(objects);
        game.Key(m_forwardKey, true);
        m_lastCpu = ThreadCpuMs();
        return true;
    }

    // One pass in flight; false when the glider stopped flying before its last frame.
    bool Pass(E2EGame& game)
    {
        const double now = ThreadCpuMs();
        m_times.push_back(now - m_lastCpu);
        m_lastCpu = now;
        if (Done()) {
            game.Key(m_forwardKey, false);
            game.Close();
        }
        return game.Flying();
    }

private:
    uint32_t m_frames;
    uint16_t m_forwardKey = 0;
    uint32_t m_objects = 0;
    bool m_started = false;
    double m_lastCpu = 0;
    std::vector<double> m_times;
};

// The runner's last line without its newline: its "fail" line after a failure.
std::string LastLine(std::string text)
{
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text.substr(text.rfind('\n') + 1);
}

void PrintFigures(double firstFrame, const Flight& flight)
{
    std::vector<double> times = flight.Times();
    double sum = 0;
    for (const double t : times)
        sum += t;
    std::sort(times.begin(), times.end());
    const size_t p95 = std::max<size_t>(size_t(std::ceil(0.95 * double(times.size()))), 1) - 1;
    std::printf("first-frame %.3f\n", firstFrame);
    std::printf("frame-cpu %.3f %.3f frames=%zu objects=%u\n", sum / double(times.size()), times[p95],
        times.size(), flight.Objects());
    std::printf("peak-rss %.1f\n", PeakRssMiB());
    std::fflush(stdout);
}

} // namespace

int Measure(int argc, char** argv)
{
    const auto began = std::chrono::steady_clock::now();
    Options options;
    if (const std::string problem = ParseOptions(argc, argv, options); !problem.empty())
        return Refuse(problem);
    if (::chdir(options.folder.c_str()) != 0)
        return Refuse("cannot enter " + options.folder);
    if (!plat::win::WriteProfileString(ConfigIniPath(), "CONFIG", "Video", "0"))
        return Fail("cannot write Video=0 into " + ConfigIniPath());
    std::vector<Step> steps;
    std::string error;
    if (!ParseScript(kNewGameSteps, steps, error))
        return Fail(error);

    E2EAppGame game;
    std::ostringstream stepLines;
    StepRunner runner(std::move(steps), game, stepLines);
    Flight flight(options.frames);
    double firstFrame = -1;
    std::string failure;
    uint32_t endPasses = 0;
    bool focused = false;
    // The first pump pass of the start menu follows its first present by one frame.
    CApplication::PumpHook = [&] {
        if (!E2EAppGame::Ready())
            return;
        if (firstFrame < 0 && game.Menu() == "start")
            firstFrame = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (!focused) {
            focused = true;
            E2EAppGame::Focus();
            return;
        }
        if (failure.empty() && !flight.Done()) {
            if (!runner.Finished()) {
                runner.Pass();
                if (runner.Failed())
                    failure = LastLine(stepLines.str());
            } else if (!flight.Started()) {
                if (!flight.Start(game, options.objects))
                    failure = "no key is bound to FORWARD";
            } else if (!flight.Pass(game) && !flight.Done()) {
                failure = "the flight ended after " + std::to_string(flight.Times().size())
                    + " frames (menu=" + game.Menu() + " state=" + std::to_string(game.State()) + ")";
            }
            return;
        }
        if (!failure.empty())
            CApplication::RequestQuit();
        if (++endPasses > kEndPasses)
            std::_Exit(Fail("the game did not end within " + std::to_string(kEndPasses) + " passes"));
    };
    const int code = GameMain("");
    CApplication::PumpHook = nullptr;
    if (!failure.empty())
        return Fail(failure);
    if (!flight.Done())
        return Fail("the game ended with code " + std::to_string(code) + " before the flight's end");
    if (code != 0)
        return Fail("the game ended with code " + std::to_string(code));
    if (firstFrame < 0)
        return Fail("the start menu never ran");
    PrintFigures(firstFrame, flight);
    return 0;
}

} // namespace e2e
