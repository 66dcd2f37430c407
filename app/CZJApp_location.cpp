// Building visits: the building screen run modally and what the player chose there (leave, enter
// again, travel to another location with or without the tunnel ride), and the save picture taken
// before a building is entered.
#include "app/CInputConfig.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "app/LocationTravel.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "audio/CSoundManager.h"
#include "audio/CSoundObject.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resource.h"
#include "platform/win/clock.h"
#include "platform/window/keys.h"
#include "render/CComplexObject.h"
#include "render/CEmitterInstance.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CBuildingMenu.h"
#include "ui/CMessager.h"
#include "ui/CRadar.h"
#include "ui/CRenderer.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <bit>
#include <cstdio>
#include <numbers>
#include <string>

namespace {

using plat::gfx::RenderState;

constexpr int kCarryBufferSize = 1000;
constexpr const char* kTunnelPicture = "Data\\Images\\tunnel.tga";
constexpr const char* kTunnelBackground = "MOD_FX_TUNEL_BACKGROUND";
constexpr const char* kTunnelModel = "MOD_FX_TUNEL_PEREHOD";
constexpr const char* kTunnelSound = "SND_FX_TUNNEL";
constexpr int kTunnelShaderSlot = 3;
constexpr int kTunnelNumbers = 9; // "B_L1_TUNNEL" to "B_L9_TUNNEL"
constexpr int kSettleRuns = 8;
constexpr float kSettleGroupTime = 150.0f;
// The save picture's camera: behind the glider along its forward column and 105 above it.
constexpr float kShotDistance = 175.0f;
constexpr float kShotRise = 0.6f;
constexpr uint32_t kCopyRetryMs = 100;

void SetFloatState(plat::gfx::Device& device, RenderState state, float value)
{
    device.SetRenderState(state, std::bit_cast<uint32_t>(value));
}

Matrix4 Identity()
{
    Matrix4 m;
    Matrix4Identity(m);
    return m;
}

CBuildingObject* FindBuilding(const char* name)
{
    return static_cast<CBuildingObject*>(ObjectList.FindObject(MakeNameKey32(name), CZJObject::kBuilding));
}

// The building a travel arrives in: the one named, else the first tunnel building by number.
CBuildingObject* ArrivalBuilding(const NameKey32& wanted)
{
    if (wanted.text[0] != '\0') {
        if (CBuildingObject* building = FindBuilding(wanted.text))
            return building;
    }
    for (int number = 1; number <= kTunnelNumbers; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "B_L%d_TUNNEL", number);
        if (CBuildingObject* building = FindBuilding(name))
            return building;
    }
    return nullptr;
}

// The first model part of the tunnel model when it has morph channels to run through.
CModel* TunnelMesh(CComplexObject* model, CTexture*& texture)
{
    if (!model || model->GetPartCount() == 0)
        return nullptr;
    CModel* part = model->GetPartObject(0);
    if (!part || part->channelCount <= 0)
        return nullptr;
    const int index = model->GetPart(0).textures[0];
    texture = g_pTextureManager && index >= 0 ? g_pTextureManager->GetTexture(index) : nullptr;
    return part;
}

CComplexObject* FindModel(const char* name, int& index)
{
    index = g_pModelManager ? g_pModelManager->FindModel(name) : -1;
    return index >= 0 ? g_pModelManager->GetModel(index) : nullptr;
}

void SetTunnelFog(plat::gfx::Device& device, const travel::STunnelRide& ride)
{
    SetFloatState(device, RenderState::FogStart, ride.FogStart());
    SetFloatState(device, RenderState::FogEnd, ride.FogEnd());
}

} // namespace

void CZJApp::ChangeLocation(NameKey32 building, NameKey32 buildingType)
{
    ZJ_TRACE("CZJApp::ChangeLocation");
    g_InputConfig.ProcessInput();
    if (PlayerGlider)
        PlayerGlider->UpdateAmmo(false, false);
    int result = 0;
    {
        CBuildingMenu menu(building.text, buildingType.text, true, true);
        result = RunModalMenu(&menu, true);
    }
    if (PlayerGlider)
        PlayerGlider->UpdateAmmo(true, false);

    switch (result) {
    case CMainMenu::kResultStay:
    case CMainMenu::kResultLeave:
        LeaveBuilding();
        break;
    case CMainMenu::kResultAgain: {
        SPendingAction& action = ZJEngine.pendingAction;
        if (CBuildingObject* current = ZJEngine.currentBuilding) {
            action.actionBuilding = MakeNameKey32(current->name);
            action.actionBuildingType = current->typeKey;
        } else {
            action.actionBuilding = building;
            action.actionBuildingType = buildingType;
        }
        ChangeLocation(action.actionBuilding, action.actionBuildingType);
        break;
    }
    case CMainMenu::kResultTunnel:
    case CMainMenu::kResultLinkJump:
        Travel(result == CMainMenu::kResultTunnel);
        break;
    default:
        break;
    }

    if (PlayerFerrovant) {
        PlayerFerrovant->energy = PlayerFerrovant->GetEnergyLevel(2);
        PlayerFerrovant->shieldLevel = PlayerFerrovant->GetShieldLevel(2);
    }
    if (g_pMessager)
        g_pMessager->Clear();
    const float width = float(g_Graphic.ScreenWidth());
    const float height = float(g_Graphic.ScreenHeight());
    constexpr float kFieldOfView = 50.0f;
    ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f,
        height > 0.0f ? width * kFieldOfView / height : kFieldOfView, kFieldOfView);
}

void CZJApp::LeaveBuilding()
{
    if (ZJEngine.currentBuilding && PlayerGlider)
        ZJEngine.currentBuilding->PlaceAtExit(PlayerGlider);
    if (PlayerGlider) {
        PlayerGlider->SyncEquipment();
        PlayerGlider->ferroChanged = 1;
    }
    if (CameraObject) {
        CameraObject->ApplyViewMode();
        CameraObject->Run();
    }
    ShowWaitScreen();
    if (g_pRenderer)
        g_pRenderer->DrawWaitScreen();
}

void CZJApp::Travel(bool tunnel)
{
    ZJ_TRACE("CZJApp::Travel");
    XMemBuffer carried(kCarryBufferSize);
    if (g_pRadar)
        g_pRadar->SetMarkPosition(0, nullptr);
    if (PlayerGlider)
        PlayerGlider->UpdateAmmo(false, false);
    if (PlayerFerrovant)
        PlayerFerrovant->SaveGame(carried, true);
    SavePlayerControlState(carried);

    const float arrivalHour = travel::ArrivalHour(TimeOfDay());
    SaveLoc();
    if (tunnel)
        TunnelTransition();
    ShowWaitScreen();
    LoadTunnelPicture();

    char destination[sizeof ZJEngine.destinationFile + 1] = {};
    std::snprintf(destination, sizeof destination, "%.*s", int(sizeof ZJEngine.destinationFile),
        ZJEngine.destinationFile);
    // The location's objects go with the load: the building left with them.
    ZJEngine.currentBuilding = nullptr;
    InitMap(destination, 0);
    ApplyStartConfig(true);
    InitMainFerro(false, tunnel);
    LoadLoc();
    for (int i = 0; i < kSettleRuns; ++i) {
        ZJTrade.Run(0);
        FerroGroupList.Run(kSettleGroupTime, false, false);
    }

    carried.Rewind();
    if (PlayerFerrovant)
        PlayerFerrovant->LoadGame(carried, true);
    if (PlayerGlider) {
        PlayerGlider->UpdateAmmo(true, false);
        PlayerGlider->SyncEquipment();
    }
    LoadPlayerControlState(carried);
    ApplyPlayerControlState();

    const float days = GameTimeDays();
    travel::AdvanceClockTo(arrivalHour, TimeOfDay(), [] {
        Environment.Run(travel::kClockStep);
        return TimeOfDay();
    });
    GameTimeDays() = days;

    if (g_pScriptManager)
        g_pScriptManager->ZJRunScript(travel::LocationScriptName(destination).c_str(), 1, nullptr);

    SPendingAction& action = ZJEngine.pendingAction;
    if (CBuildingObject* arrival = ArrivalBuilding(action.actionBuilding)) {
        ZJEngine.currentBuilding = arrival;
        action.actionPending = 1;
        action.actionCode = 5;
        action.actionBuilding = MakeNameKey32(arrival->name);
        action.actionBuildingType = arrival->typeKey;
    }
    if (PlayerFerrovant)
        PlayerFerrovant->inBuilding = 1;
}

void CZJApp::LoadTunnelPicture()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !shotSurface)
        return;
    plat::gfx::Surface* picture = nullptr;
    if (plat::gfx::Failed(
            device->CreateImageSurface(kShotSize, kShotSize, plat::gfx::Format::X8R8G8B8, &picture)))
        return;
    if (!plat::gfx::Failed(plat::gfx::d3dx::LoadSurfaceFromFile(
            *picture, nullptr, kTunnelPicture, nullptr, plat::gfx::d3dx::Filter::Default, 0, nullptr)))
        device->CopyRects(picture, nullptr, 0, shotSurface, nullptr);
    picture->Release();
}

void CZJApp::TunnelTransition()
{
    ZJ_TRACE("CZJApp::TunnelTransition");
    ScreenFadeIn();
    ViewFrame.matrix = Identity();
    ViewFrame.RotateX(std::numbers::pi_v<float> * 0.5f);
    ViewFrame.SetPosition({ 0.0f, 0.0f, 100.0f });
    ViewFrame.Apply(true);
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (device)
        g_Graphic.SetFullViewport();
    g_Graphic.SetWorldMatrix(Identity());

    int backgroundIndex = -1;
    int tunnelIndex = -1;
    CComplexObject* background = FindModel(kTunnelBackground, backgroundIndex);
    CTexture* tunnelTexture = nullptr;
    CModel* tunnel = TunnelMesh(FindModel(kTunnelModel, tunnelIndex), tunnelTexture);

    travel::STunnelRide ride;
    if (device) {
        device->SetRenderState(RenderState::RangeFogEnable, g_Graphic.Caps().fogRange ? 1u : 0u);
        device->SetRenderState(RenderState::FogVertexMode, uint32_t(plat::gfx::FogMode::Linear));
        device->SetRenderState(RenderState::FogTableMode, uint32_t(plat::gfx::FogMode::None));
        SetTunnelFog(*device, ride);
        device->SetRenderState(RenderState::FogEnable, 1);
        device->SetRenderState(RenderState::FogColor, 0xFFFFFFFFu);
    }

    CSoundObject* sound = nullptr;
    if (g_pSoundManager) {
        const int id = g_pSoundManager->GetRowNames().Find(kTunnelSound);
        if (id >= 0)
            sound = g_pSoundManager->PlaySound(id, 0);
    }
    CModelInstance instance;
    if (background)
        instance.Init(backgroundIndex, background);

    bool escape = false;
    // The pass reads the window's messages, so the keys stay current and a close ends the ride.
    while (!ride.Over(escape) && !m_quit && !QuitRequestPending()) {
        ProcessMessages();
        if (device) {
            g_Graphic.Clear(plat::gfx::clear::kTarget | plat::gfx::clear::kZBuffer, 0xFF000000u);
            device->BeginScene();
            SetTunnelFog(*device, ride);
            Matrix4 turn = Identity();
            Matrix4RotateZ(turn, ride.Turn());
            g_Graphic.SetWorldMatrix(turn);
            if (background) {
                background->Render(nullptr, 0, CComplexObject::kAllGroups);
                instance.Render();
            }
            if (tunnel && g_TexShaderManager) {
                const float weights[CModel::kMaxChannels] = { ride.MorphWeight(), 0.0f, 0.0f, 0.0f };
                if (Mesh* mesh = tunnel->GetMorphedMesh(weights)) {
                    g_Graphic.SetWorldMatrix(Identity());
                    g_TexShaderManager->SetFactorAlpha(1.0f);
                    g_TexShaderManager->Apply(kTunnelShaderSlot, mesh, tunnelTexture);
                }
            }
            g_Graphic.SetWorldMatrix(Identity());
        }
        if (sound) {
            sound->SetPosition(ViewFrame.position);
            sound->UpdateFade(FrameTime);
        }
        if (device) {
            device->EndScene();
            if (g_pModelManager)
                g_pModelManager->AdvanceFrame();
            device->Present();
        }
        FrameTimer.Update();
        FrameTime = ride.Advance(FrameTime);
        instance.Update(FrameTime);
        ResourceEngine.GlobalRun();
        g_InputConfig.ProcessInput();
        escape = g_InputConfig.IsHeld(plat::window::key::Escape);
    }

    if (sound)
        sound->Stop();
    if (device)
        device->SetRenderState(RenderState::FogEnable, 0);
    ScreenSetWhite();
    if (g_pTextureManager)
        g_pTextureManager->ReleaseTextures();
    if (g_pSoundManager)
        g_pSoundManager->StopAll(1);
}

void CZJApp::MakeScreenShot(plat::gfx::Surface* destination)
{
    ZJ_TRACE("CZJApp::MakeScreenShot");
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !shotTarget || !destination)
        return;
    g_Graphic.PushRenderTarget(shotTarget, shotDepth);
    device->SetViewport({ 0, 0, uint32_t(kShotSize), uint32_t(kShotSize), 0.0f, 1.0f });
    Location.renderListCount = 0;
    Location.detailDrawCount = 0;
    LightWare.DisableActiveLights();
    LightWare.count = 0;

    savedCameraMode = CameraMode;
    if (CameraObject && PlayerGlider) {
        CameraObject->SetOrbitMode(PlayerGlider);
        const float* m = PlayerGlider->frame.matrix.m;
        const Vec3& at = PlayerGlider->frame.position;
        CameraObject->SetPosition({ at.x - kShotDistance * m[2], at.y - kShotDistance * m[6],
            at.z - kShotDistance * (m[10] - kShotRise) });
        CameraObject->UpdateView();
        PlayerGlider->visible = 1;
    }
    Location.PreRender();
    ObjectList.CheckVisibility(true);
    if (g_pRenderer) {
        g_pRenderer->Render();
        device->EndScene();
    }
    if (CameraObject && PlayerGlider) {
        if (savedCameraMode == CCamera::kChase) {
            PlayerGlider->visible = 1;
            CameraObject->SetChaseMode(PlayerGlider);
        } else {
            PlayerGlider->visible = 0;
            CameraObject->AttachViewTarget(PlayerGlider);
        }
    }
    g_Graphic.PopRenderTarget();

    if (plat::gfx::Failed(device->CopyRects(shotTarget, nullptr, 0, destination, nullptr))) {
        plat::win::Sleep(kCopyRetryMs);
        if (plat::gfx::Failed(device->CopyRects(shotTarget, nullptr, 0, destination, nullptr)))
            WriteErrorLog("Can`t copt save screenshot from texture");
    }
}
