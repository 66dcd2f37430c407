#include "app/CResourceEngine.h"

#include "app/GameSettings.h"
#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "platform/window/window.h"
#include "render/CFont.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/RenderSettings.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "ui/CRenderer.h"

#include <mutex>

CResourceEngine ResourceEngine;

namespace {

// Guards g_pMusicMng against the gamma-fade thread, which ticks the manager's fade.
std::mutex& MusicPointerLock()
{
    static std::mutex lock;
    return lock;
}

template <typename T> void DeleteManager(T*& manager)
{
    T* doomed = manager;
    manager = nullptr;
    delete doomed;
}

void CreateTextureManager()
{
    g_pTextureManager = new TextureManager();
    g_pTextureManager->CreateCacheTextures();
}

void CreateShaderManager()
{
    g_TexShaderManager = new TexShaderManager();
    if (!g_TexShaderManager->Init(true))
        WriteErrorLog("CResourceEngine: shader slots incomplete");
}

void CreateModelManager()
{
    g_pModelManager = new CModelManager();
    g_pModelManager->Init();
}

void CreateSurfaceManager()
{
    g_pSurfaceManager = new CSurfaceManager();
    g_pSurfaceManager->Init(CP1251("Изображения"));
}

} // namespace

CResourceEngine::~CResourceEngine()
{
    DestroyManagers();
}

void CResourceEngine::CreateManagers()
{
    ZJ_TRACE("CResourceEngine::CreateManagers");
    CreateTextureManager();
    CreateShaderManager();
    CreateSurfaceManager();
    CreateModelManager();
}

void CResourceEngine::GlobalInit(bool create)
{
    ZJ_TRACE("CResourceEngine::GlobalInit");
    LimitTextureQuality(g_Graphic.Caps().maxTextureWidth);

    m_reserved[0] = 0;
    m_reserved[1] = 0;

    if (create)
        CreateTextureManager();
    g_pTextureManager->Init(CP1251("Текстуры"));

    if (create) {
        CreateShaderManager();
        CreateModelManager();
    }
    g_pModelManager->Init(CP1251("Модели"));

    g_pLandMaterials = new CLandMaterials();
    g_pLandMaterials->Init(CP1251("Поверхности"));

    g_pFont = new CFont();
    g_pFont->Init(g_Graphic.ScreenWidth() == 800 ? "font1" : "font2");

    if (create)
        CreateSurfaceManager();

    g_pSoundManager = new CSoundManager();
    g_pSoundManager->m_waveFormat = SSoundFormat { 44100, 2, 16 };
    g_pSoundManager->SetSourceLimits(GameSettings.MaxSoundSources, GameSettings.MaxSoundSources2);
    g_pSoundManager->Init(CP1251("Звуки"));
    g_pSoundManager->InitSound(plat::window::MainWindow());
    g_pSoundManager->SetVolume(uint32_t(GameSettings.SoundVolume));

    auto* music = new CMusicMng();
    music->SetMusicEnable(GameSettings.MusicEnable);
    music->Init(CP1251("Музыка"));
    music->SetVolume(MusicVolumeOf(GameSettings.MusicVolume));
    PublishMusicManager(music);

    plat::gfx::Material material;
    material.diffuse = { 1, 1, 1, 1 };
    material.ambient = { 1, 1, 1, 1 };
    material.power = 15.0f;
    g_Graphic.SetMaterial(material);
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetRenderState(
            plat::gfx::RenderState::AlphaFunc, plat::gfx::StateValue(plat::gfx::Compare::Greater));
}

void CResourceEngine::LimitTextureQuality(uint32_t maxTextureWidth)
{
    if (maxTextureWidth < 512)
        GameSettings.TextureQuality = 2;
    if (maxTextureWidth < 1024 && GameSettings.TextureQuality < 1)
        GameSettings.TextureQuality = 1;
    g_RenderSettings.textureQuality = GameSettings.TextureQuality;
}

void CResourceEngine::GlobalRun()
{
    ZJ_TRACE("CResourceEngine::GlobalRun");
    m_clock += double(FrameTime);
    if (g_pModelManager)
        g_pModelManager->Update(FrameTime);
}

void CResourceEngine::DestroyManagers()
{
    DeleteManager(g_pFont);
    if (g_pMusicMng) {
        CMusicMng* music = g_pMusicMng;
        PublishMusicManager(nullptr);
        delete music;
    }
    DeleteManager(g_pSoundManager);
    DeleteManager(g_pLandMaterials);
    if (g_TexShaderManager)
        g_TexShaderManager->Purge();
    DeleteManager(g_TexShaderManager);
    DeleteManager(g_pModelManager);
    DeleteManager(g_pSurfaceManager);
    DeleteManager(g_pTextureManager);
}

void CResourceEngine::PublishMusicManager(CMusicMng* manager)
{
    std::lock_guard<std::mutex> guard(MusicPointerLock());
    g_pMusicMng = manager;
}

void CResourceEngine::TickMusicFade(float seconds)
{
    std::lock_guard<std::mutex> guard(MusicPointerLock());
    if (g_pMusicMng)
        g_pMusicMng->UpdateFade(seconds);
}

void ResetFrameCounters()
{
    CRenderer::ResetFrameCounters();
    if (g_pModelManager)
        g_pModelManager->AdvanceFrame();
}
