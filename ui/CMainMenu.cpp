#include "ui/CMainMenu.h"

#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Matrix.h"
#include "foundation/Rating.h"
#include "platform/gfx/device.h"
#include "render/CComplexObject.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/MenuDraw.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kPreviewLights = 100;
constexpr int32_t kIndent = 8; // pixels per list level
constexpr int kQuadSlot = 19;
constexpr int kPictureSlot = 6;
constexpr const char* kBarPicture = "SUF_INT_BS"; // the money and rating icons
constexpr float kInterfaceWidth = 1024.0f;
constexpr float kInterfaceHeight = 768.0f;

// New entries (".NC" set): normal, hover, pressed, selected.
constexpr uint32_t kNewColours[4] = { 0x80FFFF00, 0xFFFFFF00, 0xFFFFFFFF, 0xFFFFFFFF };

// Count label colours and icons.
constexpr uint32_t kBelowColour = 0xE0FF0000;
constexpr uint32_t kEqualColour = 0xE0FFFFFF;
constexpr uint32_t kAboveColour = 0xE000FF00;
constexpr SAtlasPiece kMoneyIcon { 110, 211, 256, 256 };
constexpr SAtlasPiece kRatingIcon { 366, 211, 256, 256 };
constexpr uint32_t kMoneyColour = 0xE0FFFFFF;
constexpr uint32_t kLevelColour = 0xFFFFFFFF;
constexpr int32_t kMoneyField = 200;
constexpr float kLoadBar = 221.0f;
constexpr float kRatingBar = 199.0f;
constexpr float kBarThickness = 12.0f;

float Flash(float pos)
{
    return pos < 0.5f ? 2.0f * pos : 2.0f - 2.0f * pos;
}

// Moves a position towards its end; true when it got there (then it is set to the end).
bool Slide(float& pos, float step)
{
    pos += step;
    if (step > 0.0f && pos >= 1.0f) {
        pos = 1.0f;
        return true;
    }
    if (step < 0.0f && pos < 0.0f) {
        pos = 0.0f;
        return true;
    }
    return false;
}

int32_t LineHeight()
{
    const int32_t h = g_pFont ? g_pFont->GetLineHeight() : 0;
    return h > 0 ? h : 16;
}

// A piece of the bar picture stretched over the screen rectangle.
void DrawBarPiece(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const SAtlasPiece& piece)
{
    if (!g_pSurfaceManager)
        return;
    const int picture = g_pSurfaceManager->FindSurface(kBarPicture);
    if (picture >= 0)
        g_pSurfaceManager->UpdateTexture(picture, kPictureSlot, x0, y0, x1, y1, piece.u, piece.v,
            piece.u + piece.width, piece.v + piece.height, false);
}

plat::gfx::Light DirectionalLight(plat::gfx::ColorValue diffuse, plat::gfx::ColorValue specular,
    plat::gfx::ColorValue ambient, Vec3 direction, float length)
{
    plat::gfx::Light light;
    light.type = plat::gfx::LightType::Directional;
    light.diffuse = diffuse;
    light.specular = specular;
    light.ambient = ambient;
    light.direction = { direction.x / length, direction.y / length, direction.z / length };
    return light;
}

constexpr Vec3 kLight1Direction { -0.5f, -0.5f, 0.1f };
const float kLight1Length = std::sqrt(0.51f);

void DrawBar(float x, float y, float length, uint32_t colour)
{
    const float sx = float(g_Graphic.ScreenWidth()) / kInterfaceWidth;
    const float sy = float(g_Graphic.ScreenHeight()) / kInterfaceHeight;
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(colour);
    DrawMenuQuad(kQuadSlot, nullptr, x * sx, y * sy, (x + length) * sx, (y + kBarThickness) * sy);
}

} // namespace

CMainMenu::CMainMenu()
{
    messages.Init(kQueueCapacity);
}

CMainMenu::~CMainMenu()
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice()) {
        device->LightEnable(0, false);
        device->LightEnable(1, false);
    }
}

void CMainMenu::PostMessage(uint32_t message)
{
    messages.Push(message);
}

void CMainMenu::CloseMenu(uint32_t code)
{
    if (closing)
        return;
    closing = 1;
    if (fadeOnClose)
        MenuHost().ScreenFadeOut();
    result = code;
    PostMessage(kMsgOutro);
    PostMessage(kMsgEnd);
}

void CMainMenu::ProcessMessages()
{
    ZJ_TRACE("CMainMenu::ProcessMessages");
    CMenuHost& host = MenuHost();
    if (currentMessage == kMsgIdle && messages.IsEmpty() && running) {
        CBaseMenu::ProcessMessages();
        const int32_t wheel = host.MouseWheel();
        if (wheel != 0) {
            const int32_t x = host.MousePosition().x;
            if (x < leftStripWidth)
                ProcessCommand(int(wheel > 0 ? kCmdLeftUp : kCmdLeftDown));
            else if (x > g_Graphic.ScreenWidth() - rightStripWidth)
                ProcessCommand(int(wheel > 0 ? kCmdRightUp : kCmdRightDown));
        }
    } else {
        host.ReadInput();
        host.ProcessMessages();
    }
    // Messages that end at once run on in the same frame; a slide takes the rest of it.
    for (int steps = 0; steps <= kQueueCapacity; ++steps) {
        if (currentMessage == kMsgIdle) {
            if (messages.IsEmpty())
                break;
            currentMessage = messages.Pop();
        }
        const uint32_t message = currentMessage;
        const bool ended = StepMessage(FrameTime);
        if (!ended)
            break;
        currentMessage = kMsgIdle;
        if (message <= kMsgCloseSecond || message >= kMsgCloseBoth)
            break;
    }
    firstPanelFlash = Flash(firstPanelPos);
    secondPanelFlash = Flash(secondPanelPos);
    for (CMenuControl* control : frameControls) {
        if (control && RemoveControl(control, false))
            AddControl(control);
    }
}

bool CMainMenu::StepMessage(float dt)
{
    const float step = kSlideSpeed * dt;
    switch (currentMessage) {
    case kMsgOpenFirst:
        return Slide(firstPanelPos, step);
    case kMsgCloseFirst:
        return Slide(firstPanelPos, -step);
    case kMsgOpenSecond:
        return Slide(secondPanelPos, step);
    case kMsgCloseSecond:
        return Slide(secondPanelPos, -step);
    case kMsgEnd:
        endRequested = 1;
        return true;
    case kMsgRightPanel:
        SelectRightList(-1);
        OnChangeRightPanel();
        return true;
    case kMsgLeftPanel:
        OnChangeLeftPanel();
        return true;
    case kMsgToggle:
        toggle ^= 1;
        return true;
    case kMsgWideLists:
    case kMsgNarrowLists:
        wideLists = currentMessage == kMsgWideLists;
        RelayoutLists();
        return true;
    case kMsgStopRunning:
    case kMsgStartRunning:
        running = currentMessage == kMsgStartRunning;
        return true;
    case kMsgCloseBoth:
        Slide(firstPanelPos, -step);
        if (!Slide(secondPanelPos, -step))
            return false;
        firstPanelPos = 0.0f;
        return true;
    case kMsgOpenBoth:
        Slide(firstPanelPos, step);
        if (!Slide(secondPanelPos, step))
            return false;
        firstPanelPos = 1.0f;
        return true;
    case kMsgIntro:
        introPlaying = 1;
        if (introPos < 1.0f) {
            Slide(introPos, step);
            return false;
        }
        Slide(firstPanelPos, step);
        if (!Slide(secondPanelPos, step))
            return false;
        firstPanelPos = 1.0f;
        introPlaying = 0;
        return true;
    case kMsgOutro:
        introPlaying = 1;
        if (firstPanelPos > 0.0f || secondPanelPos > 0.0f) {
            Slide(firstPanelPos, -step);
            if (Slide(secondPanelPos, -step))
                firstPanelPos = 0.0f;
            return false;
        }
        if (!Slide(introPos, -step))
            return false;
        introPlaying = 0;
        return true;
    default:
        return true;
    }
}

void CMainMenu::SelectRightList(int32_t index)
{
    SelectEntry(rightList, selectedRight, index);
}

void CMainMenu::SelectLeftList(int32_t index)
{
    SelectEntry(leftList, selectedLeft, index);
}

void CMainMenu::SelectEntry(MenuList& list, int32_t& selected, int32_t index)
{
    if (index < 0 || index >= list.Count())
        index = -1;
    if (index >= 0) {
        CMenuListEntry& entry = *list.At(index);
        if (entry.IsHeader() && index == selected) {
            entry.kind = entry.kind == kEntryClosedHeader ? kEntryOpenHeader : kEntryClosedHeader;
            RelayoutLists();
        }
    }
    selected = index;
    if (index >= 0) {
        const CMenuListEntry& entry = *list.At(index);
        if (!entry.IsHeader() && textOnSelect && textPanel && textPanel->window
            && !textPanel->window->SetBlock(entry.key, true) && g_pScriptManager) {
            CXAnsiString title;
            CXAnsiString body;
            g_pScriptManager->GetTextName(entry.key, title);
            g_pScriptManager->GetText(entry.key, body);
            ShowHTMLText(title, body, entry.key, 0, 1);
        }
    } else {
        buttonBarStale = 1;
        SetPreviewModel(-1);
    }
    for (int i = 0; i < list.Count(); ++i)
        list.At(i)->selected = i == index ? 1 : 0;
}

int32_t CMainMenu::SelectFirstEntry(bool left, bool fromEnd)
{
    MenuList& list = left ? leftList : rightList;
    const int32_t count = list.Count();
    for (int32_t n = 0; n < count; ++n) {
        const int32_t i = fromEnd ? count - 1 - n : n;
        if (list.At(i)->IsHeader())
            continue;
        if (left)
            SelectLeftList(i);
        else
            SelectRightList(i);
        return i;
    }
    return count;
}

void CMainMenu::MarkNewEntries(MenuList& list)
{
    if (!g_pScriptManager)
        return;
    for (CMenuListEntry* entry : list) {
        if (entry->IsHeader() || !g_pScriptManager->IsEventSet(entry->key, ".NC"))
            continue;
        entry->SetColours(kNewColours);
    }
}

float CMainMenu::PreviewRadius(const Vec3& extent)
{
    const float r = std::max(std::fabs(extent.z) * 1.2f, std::fabs(extent.y));
    return std::max(std::fabs(extent.x), r) * 0.5f;
}

void CMainMenu::SetPreviewModel(int32_t model)
{
    previewModel = model >= 0 && g_pModelManager && model < g_pModelManager->GetModelCount()
        ? g_pModelManager->GetModel(model)
        : nullptr;
    if (!previewModel)
        return;
    Vec3 extent {};
    previewModel->GetBoundsCentre(previewCentre);
    previewModel->GetBounds(extent);
    previewRadius = PreviewRadius(extent);
}

void CMainMenu::UpdateButtonList(MenuList& list, int32_t& scroll, int32_t& hiddenBelow)
{
    ZJ_TRACE("CMainMenu::UpdateButtonList");
    const int32_t lineHeight = LineHeight();
    const int32_t h = g_Graphic.ScreenHeight();
    const int32_t visible = h * (wideLists ? 320 : 400) / 600 / lineHeight;
    auto lines
        = [lineHeight](const CMenuListEntry& e) { return std::max(1, (e.bottom - e.top) / lineHeight); };

    int32_t total = 0;
    bool open = true;
    for (CMenuListEntry* entry : list) {
        if (entry->IsHeader()) {
            entry->hidden = 0;
            open = entry->kind == kEntryOpenHeader;
        } else {
            entry->hidden = open ? 0 : 1;
        }
        if (!entry->hidden)
            total += lines(*entry);
    }
    scroll = std::max(scroll, 0);
    if (total - scroll < visible)
        scroll = std::max(total - visible, 0);

    hiddenBelow = 0;
    int32_t y = h * 104 / 600;
    int32_t row = -scroll;
    for (CMenuListEntry* entry : list) {
        if (entry->hidden) {
            entry->visible = 0;
            continue;
        }
        const int32_t n = lines(*entry);
        row += n;
        if (row > visible) {
            entry->hidden = 1;
            hiddenBelow += n;
        } else if (row > 0) {
            entry->top = entry->rect[1] = y;
            entry->bottom = entry->rect[3] = y + n * lineHeight;
            y = entry->bottom;
        } else {
            entry->hidden = 1;
        }
        entry->visible = entry->hidden ? 0 : 1;
    }
    const bool left = &list == &leftList;
    CMenuControl* up = left ? leftUp : rightUp;
    CMenuControl* down = left ? leftDown : rightDown;
    if (up)
        up->enabled = scroll > 0 ? 1 : 0;
    if (down)
        down->enabled = list.Count() - scroll > visible ? 1 : 0;
}

void CMainMenu::RelayoutLists()
{
    UpdateButtonList(rightList, rightScroll, rightHeight);
    UpdateButtonList(leftList, leftScroll, leftHeight);
}

void CMainMenu::ClearList(MenuList& list)
{
    for (CMenuListEntry* entry : list)
        RemoveControl(entry, true);
    list.Done();
}

void CMainMenu::FillList(MenuList& list, bool left, const SListEntry* entries, int32_t count)
{
    ClearList(list);
    (left ? selectedLeft : selectedRight) = -1;
    if (entries && count > 0) {
        const int32_t lineHeight = LineHeight();
        const int32_t shift = left ? leftListShift : rightListShift;
        const int32_t x0 = (left ? leftListLeft : rightListLeft) + shift;
        const int32_t x1 = (left ? leftListRight : rightListRight) + shift;
        list.SetSize(count);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t indent = kIndent * int32_t(entries[i].level);
            auto* entry = new CMenuListEntry(x0 + indent, 0, x1, lineHeight, entries[i]);
            entry->command = (left ? kLeftListBase : kRightListBase) + uint32_t(i);
            list.At(i) = entry;
            AddControl(entry);
        }
    }
    if (left)
        UpdateButtonList(leftList, leftScroll, leftHeight);
    else
        UpdateButtonList(rightList, rightScroll, rightHeight);
}

void CMainMenu::FillRightList(const SListEntry* entries, int32_t count)
{
    FillList(rightList, false, entries, count);
}

void CMainMenu::FillLeftList(const SListEntry* entries, int32_t count)
{
    FillList(leftList, true, entries, count);
}

void CMainMenu::SetupPreviewLights()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    const float a = kPi * 0.5f;
    const float b = kPi * 0.11111111f;
    Matrix4 view;
    Matrix4Identity(view);
    Matrix4RotateX(view, a + b);
    view.m[13] = 1.0f - 10.0f * std::cos(a);
    view.m[14] = 10.0f * std::sin(a);
    device->SetTransform(plat::gfx::Transform::View, ToDeviceMatrix(view));

    const plat::gfx::Light light0 = DirectionalLight({ 0.75f, 0.75f, 0.75f, 0.75f }, { 1, 1, 1, 1 },
        { 0.4f, 0.4f, 0.4f, 0.4f }, { 0.5f, -2.0f, -0.5f }, std::sqrt(4.5f));
    device->SetLight(0, light0);
    device->LightEnable(0, true);
    const plat::gfx::Light light1
        = DirectionalLight({ 0.1f, 0, 0, 1 }, { 0.1f, 0.05f, 0, 1 }, {}, kLight1Direction, kLight1Length);
    device->SetLight(1, light1);
    device->LightEnable(1, true);
    for (uint32_t i = 2; i < kPreviewLights; ++i)
        device->LightEnable(i, false);
    device->SetRenderState(plat::gfx::RenderState::Ambient, 0);
    device->SetRenderState(plat::gfx::RenderState::NormalizeNormals, 1);
}

void CMainMenu::SetPreviewLight(bool highlighted)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    float red = 0.1f;
    if (highlighted)
        red = 2.0f * float(std::sin(5.0 * MenuHost().RunningTime()) + 1.0);
    const plat::gfx::ColorValue colour { red, 0, 0, 1 };
    device->SetLight(1, DirectionalLight(colour, colour, colour, kLight1Direction, kLight1Length));
    device->LightEnable(1, true);
}

void CMainMenu::DrawPreview()
{
    if (!previewModel)
        return;
    SetupPreviewLights();
    SetPreviewLight(previewHighlighted != 0);
    const float w = float(g_Graphic.ScreenWidth());
    const float h = float(std::max(g_Graphic.ScreenHeight(), 1));
    g_Graphic.SetProjection(14000.0f, 1.0f, 54.0f * w / h, 54.0f, false);
    Matrix4 world;
    Matrix4Identity(world, 2.4f / (previewRadius > 0.0f ? previewRadius : 1.0f));
    Matrix4RotateZ(world, 2.0f * kPi * previewAngle);
    const Vec3 c = previewCentre;
    Vec3 moved;
    TransformNormal(moved, Vec3 { -c.x, -c.y, -c.z }, world);
    world.m[12] = moved.x;
    world.m[13] = moved.y;
    world.m[14] = moved.z;
    g_Graphic.SetWorldMatrix(world);
    previewModel->Render(nullptr, 0, CComplexObject::kAllGroups);
    Environment.SetFog(false, 1.0f, 0.0f);
    g_Graphic.RestoreProjection();
    previewAngle += 0.1f * FrameTime;
}

float CMainMenu::LoadFraction(float carried, float capacity)
{
    if (capacity <= 0.0f)
        return 1.0f;
    return std::min(carried / capacity * 0.75f, 1.0f);
}

uint32_t CMainMenu::LoadColour(float load)
{
    if (load >= 0.9f)
        return 0xFFFF7349;
    if (load >= 0.75f)
        return 0xFFE5E973;
    return 0xFF46CE7F;
}

uint32_t CMainMenu::CountColour(int32_t count, int32_t required)
{
    if (required < 0 || count == required)
        return kEqualColour;
    return count < required ? kBelowColour : kAboveColour;
}

void CMainMenu::DrawCountLabel(int32_t x, int32_t y, int32_t count, int32_t required)
{
    if (count < -1)
        return;
    const SAtlasPiece& icon = count < 0 ? atlas::kNoCountIcon : atlas::kCountIcon;
    CTexture* picture = InterfaceTexture();
    DrawTexturePiece(
        kPictureSlot, picture, float(x), float(y), float(x + icon.width), float(y + icon.height), icon);
    if (count < 0 || !g_pFont)
        return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", int(count));
    const uint32_t colour = CountColour(count, required);
    const int32_t textY = y + icon.height;
    if (required < 0) {
        g_pFont->PrintText(x + (icon.width - g_pFont->GetTextWidth(digits)) / 2, textY, digits, colour);
        return;
    }
    char needed[16];
    std::snprintf(needed, sizeof needed, "/%d", int(required));
    const int32_t width = g_pFont->GetTextWidth(digits) + g_pFont->GetTextWidth(needed);
    const int32_t left = x + (icon.width - width) / 2;
    g_pFont->PrintText(left, textY, digits, colour);
    g_pFont->PrintText(left + g_pFont->GetTextWidth(digits), textY, needed, kEqualColour);
}

void CMainMenu::DrawMoney(int32_t x, int32_t y)
{
    DrawBarPiece(x - 16, y - 16, x + 20, y + 20, kMoneyIcon);
    if (!g_pFont || !PlayerFerrovant)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%d", int(PlayerFerrovant->cargo.bulkAmount));
    g_pFont->Print(x + 24, y - LineHeight() / 2, kMoneyField, text, kMoneyColour);
}

void CMainMenu::DrawLoad(CMenuControl* gauge, int32_t x, int32_t y)
{
    if (!PlayerFerrovant)
        return;
    const bool cargoFlag = PlayerEquipmentFlags[kEqpHiPowerAntigrav] != 0;
    const float carried = PlayerFerrovant->GetTotalWeight() + PlayerFerrovant->GetGoodsWeight();
    const float capacity = PlayerFerrovant->GetCapacity() * (cargoFlag ? 1.3f : 1.0f);
    const float load = LoadFraction(carried, capacity);
    if (gauge) {
        char text[64];
        std::snprintf(text, sizeof text, "%d / %d", int(carried), int(capacity));
        gauge->caption = text;
    }
    DrawBar(float(x), float(y), (load * 0.977f + 0.023f) * kLoadBar, LoadColour(load));
}

void CMainMenu::DrawRating(CMenuControl* gauge, int32_t x, int32_t y, int32_t iconX, int32_t iconY)
{
    if (!PlayerFerrovant)
        return;
    int32_t level = 0;
    float fraction = 0.0f;
    GetRatingLevel(PlayerFerrovant->rating, level, fraction);
    PlayerFerrovant->level = level;
    const int32_t shown = std::max(level, 1);
    if (gauge) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", double(float(shown) + fraction));
        gauge->caption = text;
    }
    DrawBar(float(x), float(y), (fraction * 0.975f + 0.025f) * kRatingBar, kLevelColour);
    DrawBarPiece(iconX - 16, iconY - 16, iconX + 20, iconY + 20, kRatingIcon);
    if (!g_pFont)
        return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", int(shown));
    g_pFont->PrintText(iconX + 24, iconY - LineHeight() / 2, digits, kLevelColour);
}
