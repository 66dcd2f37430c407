// zoq-world info DIR LOCATION: loads the type tables of DIR's record database and the location,
// and prints what they hold, one tab-separated line a fact.
// zoq-world trade DIR LOCATION [HOURS]: loads them the same way, runs the hourly trade tick for
// hours 1..HOURS from the seed 0 and prints every building's goods.
// zoq-world configs DIR and zoq-world machine DIR FILE wire|full: load the tables the same way and
// print the machine configurations or one stored machine record (tools/world/machine_verbs.cpp).
// zoq-world path DIR LOCATION FROM TO: loads the tables and the location and prints the road path
// between two nodes, named or given as #index.
// zoq-world hover DIR LOCATION X Y Z SECONDS: loads them as info does and steps a hovering object
// from (X, Y, Z) (tools/world/hover_verb.cpp).
// zoq-world query DIR LOCATION ray X Y Z DX DY DZ LENGTH | near X Y Z RADIUS TYPE and zoq-world
// frames DIR LOCATION X Y Z HEADING N: one object-list query, or N frames of the object passes
// from a free camera (tools/world/query_verbs.cpp).
// zoq-world placed DIR LOCATION: loads them as info does, runs the object list once and prints
// every placed building, tower, boundary post and piece of scenery (tools/world/placed_verb.cpp).
// zoq-world effects DIR [NAME...]: loads the tables with no location and prints each projectile
// and explosion row as its object comes out of Init (tools/world/effects_verb.cpp).
#include "ai/CFerroGroupList.h"
#include "ai/CZJTrade.h"
#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/Rand.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XRandom.h"
#include "platform/gfx/window.h"
#include "platform/win/paths.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "tools/world/effects_verb.h"
#include "tools/world/glider_verb.h"
#include "tools/world/group_verbs.h"
#include "tools/world/hover_verb.h"
#include "tools/world/machine_verbs.h"
#include "tools/world/placed_verb.h"
#include "tools/world/query_verbs.h"
#include "world/db/CRoadManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CAnomalZonePoint.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSoundZonePoint.h"
#include "world/objects/CZJObject.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

class HeadlessWindow final : public plat::gfx::DeviceWindow {
public:
    bool IsMinimised() const override { return false; }
    bool IsFocused() const override { return true; }
    plat::gfx::WindowSize ClientSize() const override { return { 640, 480 }; }
};

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::FILE* file = plat::win::OpenFile(path, "rb");
    if (!file)
        return lines;
    std::string line;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c != '\n') {
            line += char(c);
            continue;
        }
        lines.push_back(line);
        line.clear();
    }
    std::fclose(file);
    return lines;
}

struct Failure {
    std::string file; // as the user named it
    std::string reason;
};

// The reason of a failure that the game code wrote to error.log: its last line since `before`
// lines, less the time stamp (already UTF-8).
std::string LoggedReason(const std::string& logPath, size_t before, const std::string& otherwise)
{
    const std::vector<std::string> lines = ReadLines(logPath);
    if (lines.size() <= before)
        return otherwise;
    const std::string& last = lines.back();
    return otherwise + ": " + last.substr(std::min(last.size(), FormatErrorLogStamp({}).size()));
}

bool IsLocationName(const std::string& name)
{
    constexpr std::string_view kExtension = ".zjp";
    if (name.size() <= kExtension.size())
        return false;
    const std::string extension = name.substr(name.size() - kExtension.size());
    return std::equal(extension.begin(), extension.end(), kExtension.begin(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

constexpr char kUsage[] = "usage: zoq-world info DIR LOCATION\n"
                          "       zoq-world trade DIR LOCATION [HOURS]\n"
                          "       zoq-world groups DIR LOCATION [SECONDS]\n"
                          "       zoq-world configs DIR\n"
                          "       zoq-world machine DIR FILE wire|full\n"
                          "       zoq-world path DIR LOCATION FROM TO\n"
                          "       zoq-world hover DIR LOCATION X Y Z SECONDS\n"
                          "       zoq-world query DIR LOCATION ray X Y Z DX DY DZ LENGTH\n"
                          "       zoq-world query DIR LOCATION near X Y Z RADIUS TYPE\n"
                          "       zoq-world frames DIR LOCATION X Y Z HEADING N\n"
                          "       zoq-world placed DIR LOCATION\n"
                          "       zoq-world effects DIR [NAME...]\n"
                          "       zoq-world glider DIR TYPE\n";

constexpr char kHelp[]
    = "usage: zoq-world info DIR LOCATION\n"
      "       zoq-world trade DIR LOCATION [HOURS]\n"
      "       zoq-world groups DIR LOCATION [SECONDS]\n"
      "       zoq-world configs DIR\n"
      "       zoq-world machine DIR FILE wire|full\n"
      "       zoq-world path DIR LOCATION FROM TO\n"
      "       zoq-world hover DIR LOCATION X Y Z SECONDS\n"
      "       zoq-world query DIR LOCATION ray X Y Z DX DY DZ LENGTH\n"
      "       zoq-world query DIR LOCATION near X Y Z RADIUS TYPE\n"
      "       zoq-world frames DIR LOCATION X Y Z HEADING N\n"
      "       zoq-world placed DIR LOCATION\n"
      "       zoq-world effects DIR [NAME...]\n"
      "       zoq-world glider DIR TYPE\n"
      "Loads the type tables of the game folder DIR and the location map LOCATION (a .zjp\n"
      "name inside DIR, as the game names it). info prints what they hold, one line a fact;\n"
      "trade runs the hourly trade tick HOURS times (0 when not given) and prints every\n"
      "trading building and its goods; groups fast-forwards the machine groups by SECONDS\n"
      "(none when not given) and prints each group and its members. configs and machine load\n"
      "the tables only: configs lists the machine configurations, machine reads one machine\n"
      "record in its wire or full save form from FILE and prints it. path prints the shortest road path from "
      "the\n"
      "road node FROM to TO (names, or #index) and its length. hover steps a hovering object\n"
      "from (X, Y, Z) over the location for SECONDS at 1/60 s, printing it every 0.5 s and\n"
      "whether it settled. query asks the object list once: the nearest object on a ray, or\n"
      "the objects of one type within a radius. frames runs N frames of the object passes\n"
      "from a free camera facing HEADING degrees (0 = +y, 90 = +x) and prints the draw lists.\n"
      "placed runs the object list once with no player's glider and prints a line for every\n"
      "placed stone, tree, helper, road piece, building, map cover, lantern, light, anomaly\n"
      "zone, tower and boundary post, in list order: type code, name, type id, radius, solid,\n"
      "hit by rays and the kind's own fields.\n"
      "effects loads the tables only and prints every projectile and explosion row (or the\n"
      "rows NAME) as its missile or explosion comes out of Init.\n"
      "glider loads the tables only and prints what the glider type TYPE gives a glider: its\n"
      "radius and hover scale before and after the hull is set, damping, steering and mounts.\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

void PrintWorld()
{
    const CZJEngine::SInitStep* steps = CZJEngine::InitSteps();
    for (int i = 0; i < CZJEngine::kInitStepCount; ++i)
        std::printf("table\t%d\t%s\t%d\n", steps[i].step, plat::win::Cp1251ToUtf8(steps[i].table).c_str(),
            steps[i].manager->GetRowCount());
    for (int i = 0; i < CZJEngine::kWellKnown1Count; ++i)
        if (ZJEngine.ids1[i] == -1)
            std::printf("missing-id\t%s\n", CZJEngine::WellKnownName1(i));
    for (int i = 0; i < CZJEngine::kWellKnown2Count; ++i)
        if (ZJEngine.ids2[i] == -1)
            std::printf("missing-id\t%s\n", CZJEngine::WellKnownName2(i));

    std::map<int, int> objects;
    for (const CZJObject* object : ObjectList.Objects())
        if (object->alive)
            ++objects[object->type];
    for (const auto& [type, count] : objects)
        std::printf("objects\t%d\t%d\n", type, count);
    std::map<int, int> points;
    for (const CHelperPoint* point : ObjectList.HelperPoints()) {
        const int reader = dynamic_cast<const CAnomalZonePoint*>(point) ? 20
            : dynamic_cast<const CSoundZonePoint*>(point)               ? 24
                                                                        : 7;
        ++points[reader];
    }
    for (const auto& [reader, count] : points)
        std::printf("points\t%d\t%d\n", reader, count);
    int links = 0;
    for (const SRoadNode& node : g_RoadManager.Nodes())
        links += node.linkCount;
    std::printf("roads\t%d\t%d\n", g_RoadManager.NodeCount(), links);
    std::printf("groups\t%d\n", std::max(FerroGroupList.Count() - 1, 0));
    std::printf("trade\t%d\n", ZJTrade.entryCount);
    std::printf("music\t%u\t%u\t%u\n", ZJEngine.music.battleCount, ZJEngine.music.calmCount,
        ZJEngine.music.soundCount);
}

// A name as UTF-8, "-" when empty.
std::string Shown(const char* name)
{
    return name[0] ? plat::win::Cp1251ToUtf8(name) : "-";
}

void PrintTrade(int hours)
{
    SharedRandom.seed = 0;
    SharedRandom.last = 0.0f;
    for (int hour = 1; hour <= hours; ++hour)
        ZJTrade.Run(hour);
    for (int i = 0; i < ZJTrade.entryCount; ++i) {
        const STradeEntry& entry = ZJTrade.Entry(i);
        std::printf("entry\t%s\t%d\n", Shown(entry.building).c_str(), entry.goods.Count());
        for (const SBuildingTrade& good : entry.goods)
            std::printf("good\t%s\tcurve=%.3f\tbuy=%.3f\tstock=%.3f\tmax=%.3f\tmin=%.3f\tsold=%d\n",
                Shown(good.key).c_str(), double(ZJTrade.ComputePrice(good)), double(good.buyPrice),
                double(good.stock), double(good.maxPrice), double(good.minPrice), good.soldIn ? 1 : 0);
    }
}

// The game folder with its type tables loaded as the game loads them, on the null device; the
// error.log lines it had before.
class GameFolder {
public:
    explicit GameFolder(const std::string& dir)
    {
        std::error_code ec;
        std::filesystem::current_path(dir, ec);
        if (ec)
            throw Failure { dir, "cannot enter the folder: " + ec.message() };
        m_logPath = ErrorLogPath();
        m_logBefore = ReadLines(m_logPath).size();

        g_PakManager.Init("Data");
        try {
            g_ResourceDBManager.Init("Data\\DB.dat", 1);
        } catch (...) {
            ResetCallTrace();
            throw Failure { (std::filesystem::path(dir) / "Data" / "DB.dat").string(),
                LoggedReason(m_logPath, m_logBefore, "cannot open the record database") };
        }
        if (!g_Graphic.CreateDirect3D("null")
            || !g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
                plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window))
            throw Failure { dir, "cannot create the null device" };
        m_textures = std::make_unique<TextureManager>();
        m_models = std::make_unique<CModelManager>();
        m_sounds = std::make_unique<CSoundManager>();
        m_music = std::make_unique<CMusicMng>();
        g_pTextureManager = m_textures.get();
        g_pModelManager = m_models.get();
        g_pSoundManager = m_sounds.get();
        g_pMusicMng = m_music.get();
        try {
            m_textures->Init(CP1251("Текстуры"));
            m_models->Init(CP1251("Модели"));
            m_sounds->Init(CP1251("Звуки"));
            m_music->Init(CP1251("Музыка"));
            ZJEngine.ZJInit();
        } catch (...) {
            throw Failure { dir, LoggedReason(m_logPath, m_logBefore, "cannot load the type tables") };
        }
    }
    ~GameFolder()
    {
        ObjectList.Clear();
        g_pTextureManager = nullptr;
        g_pModelManager = nullptr;
        g_pSoundManager = nullptr;
        g_pMusicMng = nullptr;
        m_models.reset();
        m_textures.reset();
        g_Graphic.Release();
    }
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    // The reason of a failure that the game code logged, or otherwise.
    std::string Reason(const std::string& otherwise) const
    {
        return LoggedReason(m_logPath, m_logBefore, otherwise);
    }

    // error.log lines added since the folder was entered.
    std::ptrdiff_t Logged() const
    {
        const std::vector<std::string> log = ReadLines(m_logPath);
        const std::string start = ErrorLogStartLine();
        return std::count_if(log.begin() + std::ptrdiff_t(std::min(m_logBefore, log.size())), log.end(),
            [&](const std::string& line) { return !line.ends_with(start); });
    }
    // The last line: error.log lines added since the folder was entered.
    void PrintLogged() const { std::printf("logged\t%td\n", Logged()); }

private:
    HeadlessWindow m_window;
    std::string m_logPath;
    size_t m_logBefore = 0;
    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<CSoundManager> m_sounds;
    std::unique_ptr<CMusicMng> m_music;
};

// The index of a road node named by its name or "#index", -1 when there is none.
int RoadNode(const std::string& text)
{
    if (text.starts_with("#")) {
        int index = -1;
        const auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), index);
        const bool whole = ec == std::errc() && end == text.data() + text.size();
        return whole && index >= 0 && index < g_RoadManager.NodeCount() ? index : -1;
    }
    return g_RoadManager.FindNodeByName(plat::win::Utf8ToCp1251(text).c_str());
}

// 0 after printing the path, 1 after saying there is none.
int PrintPath(const std::string& from, const std::string& to)
{
    const int start = RoadNode(from);
    const int goal = RoadNode(to);
    XDynamicArray<int32_t> path;
    if (start < 0 || goal < 0 || !g_RoadManager.GetNearestPath(start, goal, path)) {
        std::fprintf(stderr, "zoq-world: no path from %s to %s\n", from.c_str(), to.c_str());
        return 1;
    }
    std::string line = "path";
    double length = 0.0;
    for (int i = 0; i < path.Count(); ++i) {
        const SRoadNode& node = *g_RoadManager.GetNode(path.At(i));
        line += " " + (node.name[0] ? plat::win::Cp1251ToUtf8(node.name) : "#" + std::to_string(path.At(i)));
        if (i > 0) {
            const SRoadNode& before = *g_RoadManager.GetNode(path.At(i - 1));
            const double dx = node.position[0] - before.position[0];
            const double dy = node.position[1] - before.position[1];
            const double dz = node.position[2] - before.position[2];
            length += std::sqrt(dx * dx + dy * dy + dz * dz);
        }
    }
    std::printf("%s length=%.3f\n", line.c_str(), length);
    return 0;
}

// Loads DIR's tables and the location as the game does, then prints through print.
int LoadAndRun(
    const std::string& dir, const std::string& location, const std::function<void(const GameFolder&)>& print)
{
    // The objects file is the location's name with its last letter made 'o'.
    if (!IsLocationName(location))
        throw Failure { location, "not a location map: its name ends in .zjp" };
    GameFolder folder(dir);
    try {
        ZJEngine.Load(location.c_str());
    } catch (...) {
        throw Failure { location, folder.Reason("cannot load the location") };
    }
    try {
        print(folder);
    } catch (const std::runtime_error& e) {
        throw Failure { location, e.what() };
    }
    return 0;
}

// LoadAndRun, then, when logged, the count of error.log lines added.
int LoadAndPrint(const std::string& dir, const std::string& location, const std::function<void()>& print,
    bool logged = true)
{
    return LoadAndRun(dir, location, [&](const GameFolder& folder) {
        print();
        if (logged)
            folder.PrintLogged();
    });
}

// A finite number that fills the whole text.
bool ParseNumber(std::string_view text, float& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// The numbers of argv from first on, each finite; false when one is not.
bool ParseNumbers(char** argv, int first, float* numbers, int count)
{
    for (int i = 0; i < count; ++i)
        if (!ParseNumber(argv[first + i], numbers[i]))
            return false;
    return true;
}

// zoq-world query and frames; 2 for bad usage.
int QueryOrFrames(int argc, char** argv, std::function<int()>& run)
{
    const std::string command = argv[1];
    const std::string kind = argc > 4 ? argv[4] : "";
    float n[7] = {};
    if (command == "query" && kind == "ray" && argc == 12) {
        if (!ParseNumbers(argv, 5, n, 7))
            return 2;
        const float length = std::sqrt(n[3] * n[3] + n[4] * n[4] + n[5] * n[5]);
        if (!(length > 0.0f) || !std::isfinite(length) || !(n[6] > 0.0f))
            return 2;
        const Vec3 origin { n[0], n[1], n[2] };
        const Vec3 direction { n[3] / length, n[4] / length, n[5] / length };
        const float reach = n[6];
        run = [=] {
            return LoadAndPrint(
                argv[2], argv[3], [=] { zoq::tools::world::PrintRay(origin, direction, reach); }, false);
        };
        return 0;
    }
    int type = 0;
    if (command == "query" && kind == "near" && argc == 10) {
        const std::string_view text = argv[9];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), type);
        if (!ParseNumbers(argv, 5, n, 4) || !(n[3] >= 0.0f) || ec != std::errc()
            || end != text.data() + text.size())
            return 2;
        const Vec3 centre { n[0], n[1], n[2] };
        const float radius = n[3];
        run = [=] {
            return LoadAndPrint(
                argv[2], argv[3], [=] { zoq::tools::world::PrintNear(centre, radius, type); }, false);
        };
        return 0;
    }
    int frames = 0;
    if (command == "frames" && argc == 9) {
        const std::string_view text = argv[8];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), frames);
        if (!ParseNumbers(argv, 4, n, 4) || ec != std::errc() || end != text.data() + text.size()
            || frames < 1 || frames > 1000000)
            return 2;
        const Vec3 eye { n[0], n[1], n[2] };
        const float heading = n[3];
        run = [=] {
            zoq::tools::world::PrepareFrames();
            return LoadAndRun(argv[2], argv[3], [=](const GameFolder& folder) {
                zoq::tools::world::PrintFrames(eye, heading, frames);
                zoq::tools::world::PrintListSizes(long(folder.Logged()));
            });
        };
        return 0;
    }
    return 2;
}

// Machines: the configurations and one stored record.
int Configs(const std::string& dir)
{
    GameFolder folder(dir);
    zoq::tools::world::PrintConfigs();
    folder.PrintLogged();
    return 0;
}

int Glider(const std::string& dir, const std::string& type)
{
    GameFolder folder(dir);
    if (!zoq::tools::world::PrintGlider(type.c_str())) {
        std::fprintf(stderr, "zoq-world: unknown glider %s\n", type.c_str());
        return 1;
    }
    return 0;
}

int Machine(const std::string& dir, const std::string& file, const std::string& form)
{
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(file, ec);
    std::vector<uint8_t> bytes;
    if (std::FILE* in = plat::win::OpenFile(path.string(), "rb")) {
        for (int c; (c = std::fgetc(in)) != EOF;)
            bytes.push_back(uint8_t(c));
        std::fclose(in);
    } else {
        throw Failure { file, "cannot read the file" };
    }
    GameFolder folder(dir);
    if (!zoq::tools::world::PrintMachine(bytes, form == "full"))
        throw Failure { file, folder.Reason("refused") };
    folder.PrintLogged();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-world", kHelp))
        return *answered;
    const std::string command = argc > 1 ? argv[1] : "";
    std::function<void()> print;
    if (command == "info" && argc == 4)
        print = PrintWorld;
    int hours = 0;
    if (command == "trade" && (argc == 4 || argc == 5)) {
        const std::string_view text = argc == 5 ? argv[4] : "0";
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), hours);
        if (ec != std::errc() || end != text.data() + text.size() || hours < 0)
            return Usage();
        print = [hours] { PrintTrade(hours); };
    }
    if (command == "groups" && (argc == 4 || argc == 5)) {
        double seconds = -1.0;
        if (argc == 5) {
            const std::string_view text = argv[4];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (ec != std::errc() || end != text.data() + text.size()
                || !(seconds >= 0.0 && seconds <= 1.0e6))
                return Usage();
        }
        SeedRand(0);
        SharedRandom.seed = 0;
        SharedRandom.last = 0.0f;
        print = [seconds] {
            if (seconds >= 0.0)
                FerroGroupList.Simulate(float(seconds));
            zoq::tools::world::PrintGroups();
        };
    }
    std::function<int()> run;
    if (print)
        run = [&] { return LoadAndPrint(argv[2], argv[3], print); };
    if (command == "hover" && argc == 8) {
        float numbers[4] = {};
        for (int i = 0; i < 4; ++i)
            if (!ParseNumber(argv[4 + i], numbers[i]))
                return Usage();
        if (numbers[3] <= 0.0f)
            return Usage();
        run = [&, numbers] {
            zoq::tools::world::PrepareHover();
            return LoadAndPrint(
                argv[2], argv[3],
                [numbers] {
                    zoq::tools::world::PrintHover(Vec3 { numbers[0], numbers[1], numbers[2] }, numbers[3]);
                },
                false);
        };
    }
    if ((command == "query" || command == "frames") && QueryOrFrames(argc, argv, run) != 0)
        return Usage();
    if (command == "configs" && argc == 3)
        run = [&] { return Configs(argv[2]); };
    if (command == "glider" && argc == 4)
        run = [&] { return Glider(argv[2], argv[3]); };
    const std::string form = argc == 5 ? argv[4] : "";
    if (command == "machine" && (form == "wire" || form == "full"))
        run = [&] { return Machine(argv[2], argv[3], form); };
    if (command == "effects" && argc >= 3) {
        run = [&] {
            const GameFolder folder(argv[2]);
            return zoq::tools::world::PrintEffects(std::vector<std::string>(argv + 3, argv + argc));
        };
    }
    if (command == "placed" && argc == 4)
        run = [&] { return LoadAndPrint(argv[2], argv[3], zoq::tools::world::PrintPlaced, false); };
    if (command == "path" && argc == 6) {
        run = [&] {
            int status = 0;
            const int loaded = LoadAndPrint(argv[2], argv[3], [&] { status = PrintPath(argv[4], argv[5]); });
            return loaded != 0 ? loaded : status;
        };
    }
    if (!run)
        return Usage();
    try {
        return run();
    } catch (const Failure& failure) {
        std::fprintf(stderr, "zoq-world: %s: %s\n", failure.file.c_str(), failure.reason.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zoq-world: %s: %s\n", argv[std::min(argc - 1, 3)],
            error.what()[0] ? error.what() : "failed");
    }
    // Where the game code failed, when the trace holds more than its empty start.
    const std::string trace = plat::win::Cp1251ToUtf8(CallTraceText());
    if (trace.find("->") != std::string::npos)
        std::fprintf(stderr, "%s\n", trace.c_str());
    std::fflush(stdout);
    return 1;
}
