// zoq-map view [--null] DIR LOCATION X Y Z HEADING PITCH [OUT.bmp]: loads the game folder DIR's
// tables and the location as the game does, puts the camera at (X, Y, Z) with the heading and
// pitch in degrees at 12:00 under the location's first day weather, runs two frames of the game's
// render order and prints the second frame's terrain counts. Without --null the frames are drawn
// by the gl backend (the offscreen driver serves a headless run) and the second one is written to
// OUT.bmp when given.
#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "platform/gfx/window.h"
#include "platform/win/profile.h"
#include "platform/win/text.h"
#include "platform/window/window.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/Screenshot.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tools/map/map_tool.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/FrameReset.h"
#include "world/terrain/TerrainSwitches.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace zoq::tools::map {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kPi = 3.14159265f;

// The device's view of the window it draws into: a window of the window layer for gl, none on
// the null backend.
class ViewWindow final : public plat::gfx::DeviceWindow {
public:
    explicit ViewWindow(plat::window::Window* window)
        : m_window(window)
    {
    }
    bool IsMinimised() const override { return false; }
    bool IsFocused() const override { return true; }
    plat::gfx::WindowSize ClientSize() const override { return { kWidth, kHeight }; }
    void* NativeHandle() const override { return m_window; }

private:
    plat::window::Window* m_window;
};

struct ViewOptions {
    bool null = false;
    std::string dir;
    std::string location;
    float x = 0, y = 0, z = 0, heading = 0, pitch = 0;
    std::string out;
};

bool Number(const std::string& text, float& value)
{
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return !text.empty() && *end == 0 && std::isfinite(value);
}

bool Parse(const std::vector<std::string>& args, ViewOptions& options)
{
    size_t i = 0;
    if (i < args.size() && args[i] == "--null") {
        options.null = true;
        ++i;
    }
    if (args.size() - i != 7 && args.size() - i != 8)
        return false;
    options.dir = args[i];
    options.location = args[i + 1];
    float* values[5] = { &options.x, &options.y, &options.z, &options.heading, &options.pitch };
    for (int k = 0; k < 5; ++k) {
        if (!Number(args[i + 2 + size_t(k)], *values[k]))
            throw ToolFailure { args[i + 2 + size_t(k)], 0, "not a number" };
    }
    if (args.size() - i == 8)
        options.out = args[i + 7];
    return true;
}

// The camera at eye looking along heading (degrees from +y toward +x) and pitch (degrees up).
void PlaceCamera(const Vec3& eye, float heading, float pitch)
{
    const float h = heading * kPi / 180.0f;
    const float p = pitch * kPi / 180.0f;
    const Vec3 forward { std::sin(h) * std::cos(p), std::cos(h) * std::cos(p), std::sin(p) };
    // The camera's frame: the side axis to the left of the view, up = forward x side.
    const Vec3 side { -std::cos(h), std::sin(h), 0.0f };
    Vec3 up;
    Vec3Cross(up, forward, side);
    ViewFrame.matrix = Matrix4 { { side.x, up.x, forward.x, 0, side.y, up.y, forward.y, 0, side.z, up.z,
        forward.z, 0, 0, 0, 0, 1 } };
    ViewFrame.SetViewPosition(eye);
    Matrix4Identity(ViewFrame.adjustment);
    ViewFrame.Apply(true);
}

// The game folder's managers on the chosen device, taken down in reverse.
class ViewFolder {
public:
    explicit ViewFolder(const ViewOptions& options)
    {
        std::error_code ec;
        std::filesystem::current_path(options.dir, ec);
        if (ec)
            throw ToolFailure { options.dir, 0, "cannot enter the folder: " + ec.message() };
        g_PakManager.Init("Data");
        try {
            g_ResourceDBManager.Init("Data\\DB.dat", 1);
        } catch (...) {
            ResetCallTrace();
            throw ToolFailure { "Data/DB.dat", 0, "cannot open the record database" };
        }
        VisibleRadius = std::clamp(
            int32_t(plat::win::ReadProfileInt("Data\\CONFIG\\cfg.ini", "CONFIG", "VisibleRadius", 256)), 128,
            512);
        if (!options.null) {
            plat::window::WindowDesc desc;
            desc.className = "ZOQMAPVIEW";
            desc.title = "zoq-map view";
            desc.width = kWidth;
            desc.height = kHeight;
            m_platformWindow = plat::window::Window::Create(desc);
            if (!m_platformWindow)
                throw ToolFailure { options.dir, 0, "cannot open a window for the gl device" };
        }
        m_window = std::make_unique<ViewWindow>(m_platformWindow.get());
        if (!g_Graphic.CreateDirect3D(options.null ? "null" : "gl")
            || !g_Graphic.CreateDevice(0, kWidth, kHeight, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
                plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false,
                m_window.get()))
            throw ToolFailure { options.dir, 0,
                options.null ? "cannot create the null device" : "cannot create the gl device" };
        m_textures = std::make_unique<TextureManager>();
        g_pTextureManager = m_textures.get();
        m_shaders = std::make_unique<TexShaderManager>();
        g_TexShaderManager = m_shaders.get();
        m_models = std::make_unique<CModelManager>();
        g_pModelManager = m_models.get();
        m_sounds = std::make_unique<CSoundManager>();
        g_pSoundManager = m_sounds.get();
        m_music = std::make_unique<CMusicMng>();
        g_pMusicMng = m_music.get();
        m_land = std::make_unique<CLandMaterials>();
        g_pLandMaterials = m_land.get();
        const char* table = "";
        try {
            table = "Текстуры";
            m_textures->Init(CP1251("Текстуры"));
            table = "Модели";
            m_models->Init();
            m_models->Init(CP1251("Модели"));
            table = "Поверхности";
            m_land->Init(CP1251("Поверхности"));
            table = "Звуки";
            m_sounds->Init(CP1251("Звуки"));
            table = "Музыка";
            m_music->Init(CP1251("Музыка"));
            table = "the type tables";
            ZJEngine.ZJInit();
        } catch (...) {
            ResetCallTrace();
            throw ToolFailure { "Data/DB.dat", 0, std::string("cannot load ") + table };
        }
        if (!m_shaders->Init(false))
            throw ToolFailure { options.dir, 0, "the device cannot build the shader slots" };
        EffectRenderManager.Init(2);
        Location.Init();
    }
    ~ViewFolder()
    {
        ObjectList.Clear();
        Location.Purge();
        EffectRenderManager.FreeBuffers();
        g_pLandMaterials = nullptr;
        m_land.reset();
        g_pMusicMng = nullptr;
        m_music.reset();
        g_pSoundManager = nullptr;
        m_sounds.reset();
        g_pModelManager = nullptr;
        m_models.reset();
        if (m_shaders)
            m_shaders->Purge();
        g_TexShaderManager = nullptr;
        m_shaders.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        g_Graphic.Release();
    }
    ViewFolder(const ViewFolder&) = delete;
    ViewFolder& operator=(const ViewFolder&) = delete;

private:
    std::unique_ptr<plat::window::Window> m_platformWindow;
    std::unique_ptr<ViewWindow> m_window;
    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<TexShaderManager> m_shaders;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<CSoundManager> m_sounds;
    std::unique_ptr<CMusicMng> m_music;
    std::unique_ptr<CLandMaterials> m_land;
};

// One frame in the game's render order.
void RunFrame()
{
    plat::gfx::Device& device = *g_Graphic.GetDevice();
    ResetFrame();
    g_Graphic.ResetFrameCounters();
    Environment.Run(0.0f);
    Location.PreRender();
    device.BeginScene();
    g_Graphic.Clear(plat::gfx::clear::kTarget | plat::gfx::clear::kZBuffer, 0xFF000000u);
    Environment.ClearBackground();
    Location.Render();
    Environment.RenderEnv();
    Location.CycleRenderWater();
    if (DetailsOn)
        Location.RenderDetailObjects();
    EffectRenderManager.RenderEffects();
    Environment.RenderFX(false);
    device.EndScene();
}

void PrintCounts()
{
    int near = 0;
    int quads[3] = {};
    for (int i = 0; i < Location.visibleCount; ++i) {
        const SCellRecord& cell
            = Location.Cell(Location.visibleCells[i].column, Location.visibleCells[i].row);
        if (cell.level != kNearLevel)
            continue;
        ++near;
        if (!cell.full)
            continue;
        for (const MapQuad& quad : cell.full->quads) {
            if (quad.visible && quad.level >= 1 && quad.level <= 3)
                ++quads[quad.level - 1];
        }
    }
    std::printf("cells %d near=%d far=%d\n", Location.visibleCount, near, Location.visibleCount - near);
    std::printf("quads %d %d %d\n", quads[0], quads[1], quads[2]);
    std::printf("water %d\n", Location.waterCellsDrawn);
    std::printf("details layers=%d objects=%d deferred=%d\n", Location.detailLayersDrawn,
        Location.detailObjectsDrawn, Location.detailObjectsDeferred);
    std::printf("draws %u\n", g_Graphic.DrawCalls());
}

} // namespace

int RunView(const std::vector<std::string>& args)
{
    ViewOptions options;
    if (!Parse(args, options))
        return kUsageExit;
    const std::filesystem::path out
        = options.out.empty() ? std::filesystem::path() : std::filesystem::absolute(options.out);
    ViewFolder folder(options);
    try {
        ZJEngine.Load(options.location.c_str());
    } catch (...) {
        ResetCallTrace();
        throw ToolFailure { options.location, 0, "cannot load the location" };
    }
    Environment.hour = 12.0f;
    for (int i = 0; i < Environment.WeatherCount(); ++i) {
        if (Environment.Weather(i).kind == 0) {
            Environment.SetWeather(i, true);
            break;
        }
    }
    PlaceCamera(Vec3 { options.x, options.y, options.z }, options.heading, options.pitch);
    g_Graphic.SetProjection(ViewFrame.farPlane, ViewFrame.nearPlane, 90.0f,
        2.0f * std::atan(float(kHeight) / float(kWidth)) * 180.0f / kPi, true);
    for (int frame = 0; frame < 2; ++frame)
        RunFrame();
    PrintCounts();
    if (!options.null && !out.empty()) {
        if (!SaveBackBuffer(out.string().c_str()))
            throw ToolFailure { options.out, 0, "cannot write the picture" };
    }
    return 0;
}

} // namespace zoq::tools::map
