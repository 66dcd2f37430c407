#include "ui/CMainMenuButton.h"

#include "foundation/CTimer.h"
#include "render/CSurfaceManager.h"

#include <algorithm>

namespace {

constexpr int kSheetSlot = 6;
constexpr int kDissolveSlot = 30;
constexpr float kAppearRows = 22.666666f;
constexpr float kFramesPerSecond = 25.0f;
constexpr int32_t kHighlightFrames = 10;
constexpr int32_t kLastFadeFrame = 7;

} // namespace

CMainMenuButton::CMainMenuButton(int32_t left, int32_t top, int32_t right, int32_t bottom,
    int32_t buttonSheet, int32_t highlightSheet, int32_t fadeSheet, int32_t index, uint32_t command)
    : CMenuControl(left, top, right, bottom)
    , buttonSheet(buttonSheet)
    , highlightSheet(highlightSheet)
    , fadeSheet(fadeSheet)
    , index(index)
    , command(command)
{
}

int32_t CMainMenuButton::Row() const
{
    switch (state) {
    case kAppearing:
        // The product of the two f32 values, truncated before rounding: row 16 at phase 0.75.
        return int32_t(double(phase) * double(kAppearRows));
    case kHovered:
        return int32_t(phase * kFramesPerSecond) % kHighlightFrames;
    default:
        return kIdleRow;
    }
}

int32_t CMainMenuButton::FadeFrame() const
{
    if (state == kFadingOut)
        return std::min(int32_t(phase * kFramesPerSecond), kLastFadeFrame);
    return std::max(int32_t(-kFramesPerSecond * phase), 0);
}

void CMainMenuButton::Render()
{
    if (index < 0 || !g_pSurfaceManager)
        return;
    const int32_t x0 = index * kColumn;
    const int32_t x1 = x0 + kColumn;
    if (state == kFadingOut || state == kFadingIn) {
        const int32_t f = FadeFrame();
        g_pSurfaceManager->CopyToCacheTexture(fadeSheet, 0, kRow * f, kColumn, kRow * f + kRow);
        g_pSurfaceManager->UpdateTexture(buttonSheet, kDissolveSlot, left, top, right, bottom, x0,
            kRow * kIdleRow, x1, kRow * kIdleRow + kRow, false);
        return;
    }
    const int32_t r = Row();
    const int32_t sheet = state == kHovered ? highlightSheet : buttonSheet;
    g_pSurfaceManager->UpdateTexture(
        sheet, kSheetSlot, left, top, right, bottom, x0, kRow * r, x1, kRow * r + kRow, false);
}

void CMainMenuButton::OnHover()
{
    if (hoverFrames == 0)
        PlaySound("SND_INT_ONLINK");
    state = kHovered;
    hoverFrames = 2;
}

void CMainMenuButton::OnPress()
{
    pressed = 1;
    if (group)
        FadeOutOthers(group, GroupPosition());
    PlaySound("SND_MAINMENU_DOWNBUTTON");
}

void CMainMenuButton::OnRelease()
{
    if (!pressed)
        return;
    pressed = 0;
    PlaySound("SND_MAINMENU_UPBUTTON");
    SendCommand(command);
}

void CMainMenuButton::OnReleaseOutside()
{
    if (pressed && group)
        FadeInOthers(group, GroupPosition());
    pressed = 0;
}

void CMainMenuButton::Update()
{
    if (hoverFrames > 0)
        --hoverFrames;
    phase += FrameTime * speed;
    if (state == kAppearing && phase > 0.75f)
        state = kIdle;
    else if (state == kFadingIn && phase >= 0.0f)
        state = kIdle;
}

void CMainMenuButton::Run()
{
    if (hoverFrames == 0 && state == kHovered)
        state = kIdle;
}

int32_t CMainMenuButton::GroupPosition() const
{
    for (int i = 0; group && i < kGroup; ++i) {
        if (group[i] == this)
            return i;
    }
    return -1;
}

void CMainMenuButton::FadeOutOthers(CMainMenuButton* const group[kGroup], int32_t except)
{
    for (int i = 0; i < kGroup; ++i) {
        CMainMenuButton* button = group[i];
        if (!button || i == except)
            continue;
        if (button->state != kFadingOut)
            button->phase = 0.0f;
        button->state = kFadingOut;
    }
}

void CMainMenuButton::FadeInOthers(CMainMenuButton* const group[kGroup], int32_t except)
{
    for (int i = 0; i < kGroup; ++i) {
        CMainMenuButton* button = group[i];
        if (!button || i == except || button->state == kFadingIn)
            continue;
        button->phase = std::max(-button->phase, kFadeBackLimit);
        button->state = kFadingIn;
    }
}
