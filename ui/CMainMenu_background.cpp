// The in-base menus' layout and frame: the background picture, the metal panels around the edges
// with their bump highlight lit from the cursor, their slides, and the centre plate.
#include "foundation/CallTrace.h"
#include "platform/gfx/device.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CTextMessageControl.h"
#include "world/terrain/CEffectRenderManager.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPictureSlot = 6;
constexpr int kCentreSlot = 19;
constexpr int kMaskSlot = 28;
constexpr int kBumpSlot = 43;
constexpr float kDesignWidth = 1024.0f;
constexpr float kDesignHeight = 768.0f;

// The information plate's values, in design pixels from the plate's top left: the money icon's
// centre, the load bar, the rating bar and the rating icon's centre; each row a tool-tip.
constexpr const char* kInfoTips[CMainMenu::kInfoValues]
    = { "INT_CRYSTALS_TIP", "INT_MASSA_TIP", "INT_RATING_TIP" };
constexpr int32_t kMoneyAt[2] = { 36, 24 };
constexpr int32_t kLoadAt[2] = { 16, 52 };
constexpr int32_t kRatingAt[2] = { 16, 80 };
constexpr int32_t kRatingIconAt[2] = { 232, 86 };
constexpr int32_t kInfoRow = 28;

CXAnsiString TextName(const char* key)
{
    CXAnsiString name;
    if (!g_pScriptManager || !g_pScriptManager->GetTextName(key, name))
        name = "";
    return name;
}

// The frame's pieces in drawing order: surface, mask, bump picture.
struct SPanelNames {
    const char* surface;
    const char* mask;
    const char* bump;
};
constexpr SPanelNames kPanels[CMainMenu::kPanelCount] = {
    { "SUF_INT_PANEL_U", "SUF_INT_MASK_U", "TEX_INT_BM_UP_BUMP" },
    { "SUF_INT_PANEL_D", "SUF_INT_MASK_D", "TEX_INT_BM_DP_BUMP" },
    { "SUF_INT_PANEL_L", "SUF_INT_MASK_L", "TEX_INT_BM_L_BUMP" },
    { "SUF_INT_PANEL_R2", "SUF_INT_MASK_R2", "TEX_INT_BM_R2_BUMP" },
    { "SUF_INT_INFO", "SUF_INT_MASK_I", nullptr },
    { "SUF_INT_CORNER_U", nullptr, "TEX_INT_BM_UC_BUMP" },
    { "SUF_INT_CORNER_D", nullptr, "TEX_INT_BM_DC_BUMP" },
    { "SUF_INT_PANEL_R", "SUF_INT_MASK_R", "TEX_INT_BM_R_BUMP" },
    { "SUF_INT_PANEL_R2", "SUF_INT_MASK_R2", "TEX_INT_BM_R2_BUMP" },
};

int32_t Surface(const char* name)
{
    return name && g_pSurfaceManager ? g_pSurfaceManager->FindSurface(name) : -1;
}

int32_t Texture(const char* name)
{
    return name && g_pTextureManager ? g_pTextureManager->FindTexture(name) : -1;
}

CTexture* TextureOf(int32_t id)
{
    return g_pTextureManager && id >= 0 && id < g_pTextureManager->GetRecordCount()
        ? g_pTextureManager->GetTexture(id)
        : nullptr;
}

void SurfaceSize(int32_t surface, int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    if (g_pSurfaceManager && surface >= 0)
        g_pSurfaceManager->GetSize(surface, width, height);
}

// The whole picture over the rectangle; with a material, it repeats every 64 screen pixels.
void DrawSurface(
    int32_t surface, int slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, CTexture* material)
{
    if (!g_pSurfaceManager || surface < 0 || x1 <= x0 || y1 <= y0)
        return;
    if (material) {
        g_pSurfaceManager->CopyToTexture(surface, slot, x0, y0, x1, y1, material);
        return;
    }
    int32_t width = 0;
    int32_t height = 0;
    SurfaceSize(surface, width, height);
    g_pSurfaceManager->UpdateTexture(surface, slot, x0, y0, x1, y1, 0, 0, width, height, false);
}

// The bump highlight over the rectangle, lit from the cursor, tinted with the factor colour.
void DrawBump(int32_t bump, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    CTexture* picture = TextureOf(bump);
    if (!picture || !g_pModelManager || !g_TexShaderManager || x1 <= x0 || y1 <= y0)
        return;
    const plat::window::Point mouse = MenuHost().MousePosition();
    if (!EffectRenderManager.BuildGridPatch(
            float(x0), float(y0), float(x1), float(y1), float(mouse.x), float(mouse.y)))
        return;
    const int buffer = g_pModelManager->FindBuffer("SCREEN2");
    if (buffer < 0)
        return;
    if (Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(buffer, EffectRenderManager.GridPatch()))
        g_TexShaderManager->Apply(kBumpSlot, mesh, picture);
}

void SetDepthTest(bool on)
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetRenderState(plat::gfx::RenderState::ZEnable, on ? 1 : 0);
}

} // namespace

float CMainMenu::ScaleX() const
{
    return float(g_Graphic.ScreenWidth()) / kDesignWidth;
}

float CMainMenu::ScaleY() const
{
    return float(g_Graphic.ScreenHeight()) / kDesignHeight;
}

void CMainMenu::GridRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const
{
    const float sx = ScaleX();
    const float sy = ScaleY();
    left = int32_t(std::round(float(g_Graphic.ScreenWidth()) - float(kGridColumns) * sx)) >> 1;
    top = int32_t(std::round(float(g_Graphic.ScreenHeight()) - float(kGridRows) * sy - 20.0f * sy)) >> 1;
    right = left + int32_t(float(kGridColumns) * sx);
    bottom = top + int32_t(float(kGridRows) * sy);
}

void CMainMenu::LookUpBackground()
{
    crystalTexture = Texture("TEX_INT_CRIST");
    gridTexture = Texture("TEX_INT_GRID");
    backgroundSurface = Surface(background.Text());
    barSurface = Surface("SUF_INT_BS");
    centreMask = Surface("SUF_INT_MASK_S");
    centreBump = Texture("TEX_INT_BM_S_BUMP");
    buttonSurface = Surface("SUF_INT_BUTTON");
    buttonMask = Surface("SUF_INT_MASK_BUTTON");
    for (int32_t i = 0; i < kPanelCount; ++i) {
        panelSurfaces[i] = Surface(kPanels[i].surface);
        panelMasks[i] = Surface(kPanels[i].mask);
        panelBumps[i] = Texture(kPanels[i].bump);
    }
}

void CMainMenu::PanelRect(
    int32_t panel, float position, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const
{
    const int32_t w = g_Graphic.ScreenWidth();
    const int32_t h = g_Graphic.ScreenHeight();
    const float sx = ScaleX();
    int32_t leftWidth = 0;
    int32_t leftHeight = 0;
    SurfaceSize(panelSurfaces[kPanelLeft], leftWidth, leftHeight);
    const float sy = leftHeight > 0 ? float(h) / float(leftHeight) : ScaleY();
    int32_t pw = 0;
    int32_t ph = 0;
    SurfaceSize(panelSurfaces[panel], pw, ph);
    const int32_t width = int32_t(float(pw) * sx);
    const int32_t height = int32_t(float(ph) * sy);
    const float away = 1.0f - std::clamp(position, 0.0f, 1.0f);
    const int32_t sideShift = int32_t(away * float(pw) * sx);
    const int32_t edgeShift = int32_t(away * float(ph) * sy);
    int32_t topHeight = 0;
    int32_t bottomHeight = 0;
    SurfaceSize(panelSurfaces[kPanelTop], pw, ph);
    topHeight = int32_t(float(ph) * sy);
    SurfaceSize(panelSurfaces[kPanelBottom], pw, ph);
    bottomHeight = int32_t(float(ph) * sy);
    SurfaceSize(panelSurfaces[kPanelRight], pw, ph);
    const int32_t rightWidth = int32_t(float(pw) * sx);
    const int32_t rightShift = int32_t(away * float(pw) * sx);
    switch (panel) {
    case kPanelTop:
        left = 0;
        top = -edgeShift;
        right = w;
        break;
    case kPanelBottom:
        left = 0;
        top = h - height + edgeShift;
        right = w;
        break;
    case kPanelLeft:
    case kPanelLeftAlt:
        left = -sideShift;
        top = 0;
        right = left + width;
        break;
    case kPanelInfo:
        left = -sideShift;
        top = h - bottomHeight - height;
        right = left + width;
        break;
    case kPanelCornerTop:
        left = w - rightWidth - width + rightShift;
        top = topHeight;
        right = left + width;
        break;
    case kPanelCornerBottom:
        left = w - rightWidth - width + rightShift;
        top = h - bottomHeight - height;
        right = left + width;
        break;
    default:
        left = w - width + sideShift;
        top = 0;
        right = left + width;
        break;
    }
    bottom = panel == kPanelLeft || panel == kPanelLeftAlt || panel >= kPanelRight ? h : top + height;
}

bool CMainMenu::Init()
{
    ZJ_TRACE("CMainMenu::Init");
    CBaseMenu::Init();
    closing = 0;
    const int32_t w = g_Graphic.ScreenWidth();
    const int32_t h = g_Graphic.ScreenHeight();
    LookUpBackground();
    leftListLeft = w * 20 / 800;
    leftListRight = w * 210 / 800;
    rightListLeft = w * 590 / 800;
    rightListRight = w * 780 / 800;
    leftStripWidth = w * 220 / 800;
    rightStripWidth = w * 220 / 800;
    textPanel = new CHtmlControl(w * 230 / 800, h * 104 / 600, w * 570 / 800, h * 500 / 600);
    AddControl(textPanel);
    auto* title = new CTextMessageControl(w * 230 / 800, h * 60 / 600, w * 570 / 800, h * 90 / 600,
        buildingTitle.Text(), 0xFF000000 | kTitleColour, false);
    title->alignment = CTextMessageControl::kCentred;
    title->shownCount = -1;
    titleControl = title;
    AddControl(titleControl);
    for (int i = 0; i < kInfoValues; ++i) {
        infoControls[i] = new CMenuControl(0, 0, 0, 0);
        infoControls[i]->caption = TextName(kInfoTips[i]);
        AddControl(infoControls[i]);
    }
    PostMessage(kMsgRightPanel);
    PostMessage(kMsgIntro);
    return true;
}

void CMainMenu::PreProcess()
{
    CBaseMenu::PreProcess();
    SetupPreviewLights();
}

void CMainMenu::DrawPanel(
    int32_t mask, int32_t surface, int32_t bump, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    DrawSurface(mask, kMaskSlot, left, top, right, bottom, TextureOf(gridTexture));
    DrawSurface(surface, kPictureSlot, left, top, right, bottom, nullptr);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(0xFF000000 | highlightColour);
    DrawBump(bump, left, top, right, bottom);
}

void CMainMenu::RenderBackGround()
{
    ZJ_TRACE("CMainMenu::RenderBackGround");
    const int32_t w = g_Graphic.ScreenWidth();
    const int32_t h = g_Graphic.ScreenHeight();
    SetDepthTest(false);
    DrawSurface(backgroundSurface, kPictureSlot, 0, 0, w, h, nullptr);

    const float alpha = introPlaying ? std::clamp(firstPanelPos, 0.0f, 1.0f) : 1.0f;
    int32_t gl = 0;
    int32_t gt = 0;
    int32_t gr = 0;
    int32_t gb = 0;
    GridRect(gl, gt, gr, gb);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor((uint32_t(alpha * 255.0f) << 24) | 0xFFFFFF);
    DrawSurface(centreMask, kCentreSlot, gl, gt, gr, gb, nullptr);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(0xFF000000 | highlightColour);
    DrawBump(centreBump, gl, gt, gr, gb);
    SetDepthTest(true);

    DrawPreview();

    SetDepthTest(false);
    const float positions[kPanelCount] = { introPos, introPos, firstPanelPos, firstPanelPos, introPos,
        secondPanelPos, secondPanelPos, secondPanelPos, secondPanelPos };
    for (int32_t panel = 0; panel < kPanelCount; ++panel) {
        if ((panel == kPanelLeft && toggle) || (panel == kPanelLeftAlt && !toggle)
            || (panel == kPanelRight && wideLists) || (panel == kPanelRightAlt && !wideLists))
            continue;
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
        PanelRect(panel, positions[panel], left, top, right, bottom);
        DrawPanel(panelMasks[panel], panelSurfaces[panel], panelBumps[panel], left, top, right, bottom);
        if (panel == kPanelInfo)
            DrawInfoValues(left, top);
    }
    // The lists' pieces slide with the left and right panels.
    int32_t width = 0;
    int32_t height = 0;
    SurfaceSize(panelSurfaces[toggle ? kPanelLeftAlt : kPanelLeft], width, height);
    ShiftList(leftList, leftListShift,
        -int32_t((1.0f - std::clamp(firstPanelPos, 0.0f, 1.0f)) * float(width) * ScaleX()));
    SurfaceSize(panelSurfaces[wideLists ? kPanelRightAlt : kPanelRight], width, height);
    ShiftList(rightList, rightListShift,
        int32_t((1.0f - std::clamp(secondPanelPos, 0.0f, 1.0f)) * float(width) * ScaleX()));
}

void CMainMenu::ShiftList(MenuList& list, int32_t& applied, int32_t wanted)
{
    const int32_t delta = wanted - applied;
    applied = wanted;
    if (delta == 0)
        return;
    for (CMenuListEntry* entry : list) {
        entry->left += delta;
        entry->right += delta;
        entry->rect[0] += delta;
        entry->rect[2] += delta;
    }
}

void CMainMenu::DrawInfoValues(int32_t left, int32_t top)
{
    const float sx = ScaleX();
    const float sy = ScaleY();
    const auto x = [&](int32_t design) { return left + int32_t(float(design) * sx); };
    const auto y = [&](int32_t design) { return top + int32_t(float(design) * sy); };
    DrawMoney(x(kMoneyAt[0]), y(kMoneyAt[1]));
    DrawLoad(infoControls[1], int32_t(float(x(kLoadAt[0])) / sx), int32_t(float(y(kLoadAt[1])) / sy));
    DrawRating(infoControls[2], int32_t(float(x(kRatingAt[0])) / sx), int32_t(float(y(kRatingAt[1])) / sy),
        x(kRatingIconAt[0]), y(kRatingIconAt[1]));
    for (int i = 0; i < kInfoValues; ++i) {
        CMenuControl* row = infoControls[i];
        if (!row)
            continue;
        row->left = left;
        row->right = x(256);
        row->top = y(kMoneyAt[1] - kInfoRow / 2 + i * kInfoRow);
        row->bottom = y(kMoneyAt[1] + kInfoRow / 2 + i * kInfoRow);
    }
}
