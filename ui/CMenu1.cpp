#include "ui/CMenu1.h"

#include "ai/CFerroGroupList.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/process.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"
#include "world/objects/CCamera.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/FrameReset.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr const char* kOptionsCommand = "Kelvane.exe -norun -project:ZOQ";
constexpr int kPictureSlot = 6;
constexpr int kFadingPictureSlot = 19;
constexpr uint32_t kNoiseColour = 0x8080B0;

CTexture* FindTexture(const char* name)
{
    if (!g_pTextureManager)
        return nullptr;
    const int index = g_pTextureManager->FindTexture(name);
    return index < 0 ? nullptr : g_pTextureManager->GetTexture(index);
}

} // namespace

const char* const CMenu1::kSurfaceNames[kSurfaceCount] = { "SUF_MAINMENU_BACK", "SUF_MAINMENU_FRONT",
    "SUF_ZOQ", "SUF_MAINMENU_EFFECT", "SUF_MAINMENU_ANGLE", "SUF_MAINMENU_TUBELEFT", "SUF_MAINMENU_TUBERIGHT",
    "SUF_MAINMENU_ELLEFT", "SUF_MAINMENU_ELRIGHT", "SUF_CORTEXELS_SYMB", "SUF_CORTEXELS_FERRO" };

const char* const CMenu1::kBumpNames[kSurfaceCount]
    = { "TEX_INT_ZJ_B_BUMP", "TEX_INT_ZJ_F_BUMP", nullptr, nullptr, "TEX_INT_ZJ_A_BUMP", "TEX_INT_ZJ_L_BUMP",
          "TEX_INT_ZJ_R_BUMP", "TEX_INT_ZJ_EL_BUMP", "TEX_INT_ZJ_ER_BUMP", nullptr, nullptr };

int32_t CMenu1::FindSurface(const char* name)
{
    return g_pSurfaceManager ? g_pSurfaceManager->FindSurface(name) : -1;
}

void CMenu1::SurfaceSize(int32_t surface, int32_t& width, int32_t& height)
{
    width = height = 0;
    if (g_pSurfaceManager && surface >= 0)
        g_pSurfaceManager->GetSize(surface, width, height);
}

CMenu1::CMenu1()
{
    ownsRenderTarget = 1;
    showsCursor = 1;
}

bool CMenu1::Init()
{
    ZJ_TRACE("CMenu1::Init");
    CBaseMenu::Init();
    for (int i = 0; i < kSurfaceCount; ++i) {
        surfaces[i] = FindSurface(kSurfaceNames[i]);
        pieceBumps[i]
            = g_pTextureManager && kBumpNames[i] ? g_pTextureManager->FindTexture(kBumpNames[i]) : -1;
    }
    bumpTexture = pieceBumps[kBack];
    int32_t width = 0, height = 0;
    if (g_pSurfaceManager && surfaces[kBack] >= 0)
        g_pSurfaceManager->GetSize(surfaces[kBack], width, height);
    const int32_t screenWidth = g_Graphic.ScreenWidth();
    const int32_t screenHeight = g_Graphic.ScreenHeight();
    panelLeft = (screenWidth - width) / 2;
    panelRight = panelLeft + width;
    panelBottom = centred ? (screenHeight + height) / 2 : screenHeight;
    panelTop = panelBottom - height;
    drawFront = 1;
    for (CMainMenuButton*& button : buttons)
        button = nullptr;
    return true;
}

void CMenu1::AddButtons(const SMenuButtonDesc (&layout)[kButtons])
{
    const int32_t sheets[3] = { FindSurface("SUF_MAINMENU_BUTTONS"), FindSurface("SUF_MAINMENU_BUTSHL"),
        FindSurface("SUF_MAINMENU_FADE") };
    float speed = kFirstButtonSpeed;
    for (int i = 0; i < kButtons; ++i) {
        const int32_t left = panelLeft + kButtonInset;
        const int32_t top = int32_t(float(i) * kButtonPitch + float(panelTop + 3));
        auto* button
            = new CMainMenuButton(left, top, left + CMainMenuButton::kColumn, top + CMainMenuButton::kRow,
                sheets[0], sheets[1], sheets[2], layout[i].column, layout[i].command);
        button->speed = speed;
        button->group = buttons;
        speed *= kButtonSpeedStep;
        buttons[i] = button;
        AddControl(button);
    }
}

void CMenu1::SetLayout(const SMenuButtonDesc (&layout)[kButtons])
{
    for (int i = 0; i < kButtons; ++i) {
        if (!buttons[i])
            continue;
        buttons[i]->index = layout[i].column;
        buttons[i]->command = layout[i].command;
    }
}

void CMenu1::FadeInOthers(int32_t except)
{
    CMainMenuButton::FadeInOthers(buttons, except);
}

bool CMenu1::ButtonsSettled() const
{
    for (const CMainMenuButton* button : buttons) {
        if (!button)
            continue;
        if (button->state == CMainMenuButton::kFadingOut && int32_t(button->phase * 25.0f) < 7)
            return false;
        if (button->state == CMainMenuButton::kFadingIn && button->phase < 0.0f)
            return false;
    }
    return true;
}

void CMenu1::ProcessMessages()
{
    CBaseMenu::ProcessMessages();
    if (result != 0 && !endRequested && ButtonsSettled())
        endRequested = 1;
}

void CMenu1::RunOptionsProgram()
{
    ZJ_TRACE("CMenu1::RunOptionsProgram");
    const plat::win::Process process = plat::win::StartProcess(kOptionsCommand, BaseDirectory());
    if (!process.Valid()) {
        WriteErrorLog(std::string("CMenu1: cannot start ") + kOptionsCommand);
    } else {
        while (!MenuHost().CheckDevice(&process) && !MenuHost().QuitRequested())
            MenuHost().ProcessMessages();
    }
    rebuildRequested = 1;
    endRequested = 1;
}

void CMenu1::DrawSurface(int32_t surface, int32_t x, int32_t y)
{
    if (!g_pSurfaceManager || surface < 0)
        return;
    int32_t width = 0, height = 0;
    g_pSurfaceManager->GetSize(surface, width, height);
    g_pSurfaceManager->UpdateTexture(
        surface, kPictureSlot, x, y, x + width, y + height, 0, 0, width, height, false);
}

void CMenu1::DrawSurfaceFrame(int32_t surface, int32_t x, int32_t y, int32_t frame)
{
    if (!g_pSurfaceManager || surface < 0)
        return;
    int32_t width = 0, height = 0;
    g_pSurfaceManager->GetSize(surface, width, height);
    const int32_t frames = width > 0 ? height / width : 0;
    if (frames <= 0)
        return;
    const int32_t top = (frame % frames) * width;
    g_pSurfaceManager->UpdateTexture(
        surface, kPictureSlot, x, y, x + width, y + width, 0, top, width, top + width, false);
}

void CMenu1::DrawLitSurface(int32_t surface, int32_t bump, int32_t x, int32_t y)
{
    DrawSurface(surface, x, y);
    if (!g_pTextureManager || surface < 0 || bump < 0 || bump >= g_pTextureManager->GetRecordCount())
        return;
    int32_t width = 0, height = 0;
    SurfaceSize(surface, width, height);
    const plat::window::Point mouse = MenuHost().MousePosition();
    DrawBumpPatch(g_pTextureManager->GetTexture(bump), float(x), float(y), float(x + width),
        float(y + height), float(mouse.x), float(mouse.y), highlightColour);
}

void CMenu1::RenderNoise(uint32_t colour, float strength)
{
    if (!g_TexShaderManager)
        return;
    const uint32_t alpha = uint32_t(std::clamp(strength, 0.0f, 1.0f) * 255.0f);
    g_TexShaderManager->SetFactorColor(alpha << 24 | (colour & 0xFFFFFFu));
    const float width = float(g_Graphic.ScreenWidth());
    const float height = float(g_Graphic.ScreenHeight());
    if (CTexture* noise = FindTexture("TEX_INT_NOISE")) {
        const float u = float(std::rand() % 128) / 128.0f;
        const float v = float(std::rand() % 128) / 128.0f;
        DrawMenuQuad(kFadingPictureSlot, noise, 0.0f, 0.0f, width, height, u, v, u + width / 128.0f,
            v + height / 128.0f);
    }
    if (CTexture* lines = FindTexture("TEX_INT_INTERLACE"))
        DrawMenuQuad(
            kFadingPictureSlot, lines, 0.0f, 0.0f, width, height, 0.0f, 0.0f, width / 16.0f, height / 16.0f);
    g_TexShaderManager->SetFactorColor(0xFFFFFFFFu);
}

void CMenu1::RenderScene(bool run)
{
    ZJ_TRACE("CMenu1::RenderScene");
    if (run) {
        CameraTimeStep = FrameTime;
        Environment.Run(FrameTime);
        FerroGroupList.Run(FrameTime, false, true);
        ObjectList.Run();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        ObjectList.Pack(false);
    }
    if (CameraObject)
        CameraObject->UpdateView();
    Location.PreRender();
    ObjectList.CheckVisibility(true);
    Environment.ClearBackground();
    Location.Render();
    Environment.RenderEnv();
    Location.RenderDetailObjects();
    ObjectList.Render();
    Location.CycleRenderWater();
    EffectRenderManager.RenderEffects();
    Environment.RenderFX(false);
}

void CMenu1::RenderMap(bool run)
{
    ZJ_TRACE("CMenu1::RenderMap");
    using namespace plat::gfx;
    if (!targetSurface) {
        g_Graphic.Clear(clear::kTarget | clear::kZBuffer, 0xFF000000u);
        return;
    }
    if (g_Graphic.PushRenderTarget(targetSurface, depthSurface) != 0) {
        g_Graphic.Clear(clear::kTarget | clear::kZBuffer, 0xFF000000u);
        g_Graphic.PopRenderTarget();
        return;
    }
    g_Graphic.Clear(clear::kTarget | clear::kZBuffer, 0xFF000000u);
    ResetFrame();
    RenderScene(run);
    g_Graphic.PopRenderTarget();
    DrawMenuQuad(kPictureSlot, targetTexture.get(), 0.0f, 0.0f, float(g_Graphic.ScreenWidth()),
        float(g_Graphic.ScreenHeight()));
    RenderNoise(kNoiseColour, 1.0f);
}

void CMenu1::RenderBackGround()
{
    ZJ_TRACE("CMenu1::RenderBackGround");
    if (renderScene) {
        RenderMap(runWorld != 0);
    } else {
        g_Graphic.Clear(plat::gfx::clear::kTarget, 0xFF000000u);
        if (backgroundSurface > 0 && g_pSurfaceManager) {
            int32_t width = 0, height = 0;
            g_pSurfaceManager->GetSize(backgroundSurface, width, height);
            g_pSurfaceManager->UpdateTexture(backgroundSurface, kFadingPictureSlot, 0, 0,
                g_Graphic.ScreenWidth(), g_Graphic.ScreenHeight(), 0, 0, 1024, 768, false);
        }
        RenderNoise(kNoiseColour, 1.0f);
    }
    if (!drawPanel)
        return;
    const int32_t frame = int32_t(GameClock * 12.0);
    int32_t tubeWidth = 0, tubeHeight = 0, angleWidth = 0, angleHeight = 0, elementWidth = 0,
            elementHeight = 0;
    if (g_pSurfaceManager) {
        if (surfaces[kTubeLeft] >= 0)
            g_pSurfaceManager->GetSize(surfaces[kTubeLeft], tubeWidth, tubeHeight);
        if (surfaces[kAngle] >= 0)
            g_pSurfaceManager->GetSize(surfaces[kAngle], angleWidth, angleHeight);
        if (surfaces[kElementLeft] >= 0)
            g_pSurfaceManager->GetSize(surfaces[kElementLeft], elementWidth, elementHeight);
    }
    const auto lit = [this](int piece, int32_t x, int32_t y) {
        DrawLitSurface(surfaces[piece], pieceBumps[piece], x, y);
    };
    lit(kTubeLeft, panelLeft - tubeWidth, panelBottom - tubeHeight);
    lit(kTubeRight, panelRight, panelBottom - tubeHeight);
    lit(kElementLeft, panelLeft - tubeWidth - elementWidth, panelBottom - elementHeight);
    lit(kElementRight, panelRight + tubeWidth, panelBottom - elementHeight);
    DrawLitSurface(surfaces[kBack], bumpTexture, panelLeft, panelTop);
    lit(kAngle, panelLeft - angleWidth / 2, panelTop - angleHeight / 2);
    lit(kAngle, panelRight - angleWidth / 2, panelTop - angleHeight / 2);
    DrawSurfaceFrame(
        surfaces[kSymbol], panelLeft - tubeWidth - elementWidth, panelBottom - elementHeight - 64, frame);
    DrawSurfaceFrame(surfaces[kMachine], panelRight + tubeWidth + elementWidth - 64,
        panelBottom - elementHeight - 64, frame);
}

void CMenu1::RenderControl()
{
    ZJ_TRACE("CMenu1::RenderControl");
    CBaseMenu::RenderControl();
    if (drawFront)
        DrawLitSurface(surfaces[kFront], pieceBumps[kFront], panelLeft, panelTop);
}
