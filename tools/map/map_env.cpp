// zoq-map env [--base DIR] [--seed N] [--start H] [--save FILE] MAP HOUR...: runs the location's
// day clock and weather from hour H and prints the environment at each given game hour. With
// --base, DIR is a game folder: its Data archives are mounted and the texture and model tables
// read, so that texture names print and the horizon model resolves.
#include "foundation/PakManager.h"
#include "foundation/Rand.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRandom.h"
#include "platform/win/text.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "tools/map/map_open.h"
#include "tools/map/map_tool.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace zoq::tools::map {

namespace {

class HeadlessWindow final : public plat::gfx::DeviceWindow {
public:
    bool IsMinimised() const override { return false; }
    bool IsFocused() const override { return true; }
    plat::gfx::WindowSize ClientSize() const override { return { 640, 480 }; }
};

struct EnvOptions {
    uint32_t seed = 1;
    float start = 10.0f;
    std::string save;
    std::string map;
    std::vector<float> hours;
};

float Number(const std::string& text)
{
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(value))
        throw ToolFailure { text, 0, "not a number" };
    return value;
}

// False when the arguments do not fit the usage.
bool ParseEnv(const std::vector<std::string>& args, EnvOptions& options)
{
    size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); i += 2) {
        if (i + 1 >= args.size())
            return false;
        const std::string& value = args[i + 1];
        if (args[i] == "--seed") {
            const float seed = Number(value);
            if (seed < 0.0f || seed != std::floor(seed) || seed > 4294967295.0f)
                throw ToolFailure { value, 0, "not a seed" };
            options.seed = uint32_t(seed);
        } else if (args[i] == "--start") {
            options.start = Number(value);
            if (options.start < 0.0f || options.start >= 24.0f)
                throw ToolFailure { value, 0, "not an hour of the day (0 up to 24)" };
        } else if (args[i] == "--save") {
            options.save = value;
        } else {
            return false;
        }
    }
    if (args.size() < i + 2)
        return false;
    options.map = args[i];
    float last = options.start;
    for (size_t k = i + 1; k < args.size(); ++k) {
        const float hour = Number(args[k]);
        if (hour < last)
            throw ToolFailure { args[k], 0, "hours must ascend from the start hour" };
        options.hours.push_back(hour);
        last = hour;
    }
    return true;
}

std::string TextureName(int32_t index)
{
    if (!g_pTextureManager || index < 0 || index >= g_pTextureManager->GetRowNames().Count())
        return "-";
    return plat::win::Cp1251ToUtf8(g_pTextureManager->GetRowNames().GetString(index));
}

void PrintHour(float hour)
{
    const CEnvironment& e = Environment;
    std::printf("hour %g active=%d next=%d transition=%g sky=%s,%s blend=%g skycolour=%08X sun=%g,%g,%g "
                "glarelimit=%g light=%X:%u:%g,%X:%u:%g\n",
        double(hour), e.active, e.next, double(e.transitionFactor), TextureName(e.skyA).c_str(),
        TextureName(e.skyB).c_str(), double(e.skyBlend), e.skyColour, double(e.sunVector.x),
        double(e.sunVector.y), double(e.sunVector.z), double(e.sunGlareLimit), e.lightMaskA, e.lightShiftA,
        double(e.lightWeightA), e.lightMaskB, e.lightShiftB, double(e.lightWeightB));
}

} // namespace

int RunEnv(const std::vector<std::string>& given)
{
    const bool based = !given.empty() && given[0] == "--base";
    const std::vector<std::string> args = TakeBase(given);
    EnvOptions options;
    if (!ParseEnv(args, options))
        return kUsageExit;
    std::unique_ptr<TextureManager> textures;
    std::unique_ptr<CModelManager> models;
    HeadlessWindow window;
    if (based) {
        if (!g_Graphic.CreateDirect3D("null")
            || !g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
                plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &window))
            throw ToolFailure { given[1], 0, "cannot create the null graphics device" };
        // A game folder keeps its archives and tables under Data, as the game reads them.
        if (std::filesystem::is_directory("Data"))
            g_PakManager.Init("Data");
        try {
            g_ResourceDBManager.Init("Data\\DB.dat", 1);
            textures = std::make_unique<TextureManager>();
            textures->Init(plat::win::Utf8ToCp1251("Текстуры").c_str());
            models = std::make_unique<CModelManager>();
            models->Init(plat::win::Utf8ToCp1251("Модели").c_str());
        } catch (...) {
            throw ToolFailure { "Data/DB.dat", 0, "cannot load the texture and model tables" };
        }
        g_pTextureManager = textures.get();
        g_pModelManager = models.get();
    }
    struct Release {
        std::unique_ptr<TextureManager>& textures;
        std::unique_ptr<CModelManager>& models;
        ~Release()
        {
            Environment.effect.reset();
            g_pTextureManager = nullptr;
            g_pModelManager = nullptr;
            models.reset();
            textures.reset();
            g_Graphic.Release();
        }
    } release { textures, models };

    Environment.Reset();
    Location.SizeBufferPools(4, 4);
    if (!g_PakManager.Open(options.map.c_str()))
        throw ToolFailure { options.map, 0, "cannot open the map" };
    try {
        Map::Load(Location);
    } catch (const MapFileError& error) {
        throw ToolFailure { options.map, 0, error.what() };
    }
    g_PakManager.CloseFile();

    SeedRand(options.seed);
    SharedRandom.seed = options.seed;
    Environment.frozen = 0;
    Environment.hour = options.start;
    const bool night = options.start < 5.0f || options.start >= 21.0f;
    Environment.SetWeather(Environment.ChooseWeather(night ? 1 : 0), true);

    double elapsed = 0.0; // game seconds since the start hour
    for (const float hour : options.hours) {
        const double target = (double(hour) - double(options.start)) * 150.0;
        while (elapsed < target) {
            const double step = std::min(1.0, target - elapsed);
            Environment.Run(float(step));
            elapsed += step;
        }
        PrintHour(hour);
    }
    if (!options.save.empty()) {
        XMemBuffer buffer(CEnvironment::kSaveSize);
        Environment.SaveGame(buffer);
        std::ofstream out(options.save, std::ios::binary);
        out.write(reinterpret_cast<const char*>(buffer.Data()), buffer.Position());
        if (!out.flush())
            throw ToolFailure { options.save, 0, "cannot write the section" };
    }
    return 0;
}

} // namespace zoq::tools::map
