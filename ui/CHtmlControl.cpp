#include "ui/CHtmlControl.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/NameKey32.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CBaseMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/MenuDraw.h"
#include "world/objects/CObjectList.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kEnterKey = 28;
constexpr uint8_t kBackspace = 8;
constexpr int kBuildingType = 11;
constexpr int32_t kArrowSize = 14;
constexpr int32_t kArrowStep = 1;
constexpr int32_t kPressedArrowStep = 10;
constexpr int kScrollSlot = 11;
constexpr std::string_view kJumpTo = "JUMP TO ";

bool IsIgnored(uint8_t c)
{
    return c == ':' || c == '=' || c == '<' || c == '>';
}

// The text trimmed at both ends and upper-cased.
std::string CommandText(const std::string& typed)
{
    const size_t first = typed.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    std::string text = typed.substr(first, typed.find_last_not_of(' ') - first + 1);
    std::transform(
        text.begin(), text.end(), text.begin(), [](char c) { return char(std::toupper(uint8_t(c))); });
    return text;
}

bool Inside(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

} // namespace

CHtmlControl::CHtmlControl(int32_t left, int32_t top, int32_t right, int32_t bottom, CZJHtmlWindow* window)
    : CMenuControl(left, top, right, bottom)
    , window(window)
{
    if (!this->window) {
        this->window = new CZJHtmlWindow(left, top, right - kScrollBarWidth, bottom);
        ownsWindow = 1;
    }
}

CHtmlControl::~CHtmlControl()
{
    if (ownsWindow)
        delete window;
}

std::string CHtmlControl::TypedText() const
{
    const std::string text = inputText.Text();
    return text.substr(std::min(text.size(), size_t(promptLength)));
}

bool CHtmlControl::ScrollBarShown() const
{
    int32_t total = 0;
    int32_t page = 0;
    int32_t position = 0;
    window->GetScrollInfo(total, page, position);
    return total > page;
}

void CHtmlControl::ShowInput(bool cursor)
{
    CXAnsiString shown = inputText;
    if (cursor)
        shown += "_";
    window->ReplaceTextInBlock(blockName.c_str(), shown);
}

void CHtmlControl::StartInput(const char* block, const char* prompt, const char* initialText)
{
    inputText = prompt ? prompt : "";
    promptLength = int32_t(inputText.Length());
    inputText += initialText ? initialText : "";
    if (block) {
        blockName = block;
        ShowInput(true);
    } else {
        blockName = kConsoleBlock;
        window->DelBlock(kConsoleBlock, false);
        CXAnsiString shown = inputText;
        shown += "_";
        window->AddText(shown, kConsoleBlock, true);
    }
    inputActive = 1;
    inputPending = 1;
    MenuHost().SetTextInput(true);
    if (consoleEnabled && owner)
        owner->capturedControl = this;
}

void CHtmlControl::CloseInput()
{
    if (!inputActive)
        return;
    ShowInput(false);
    FinishInput(TypedText());
}

void CHtmlControl::EndTyping()
{
    inputActive = 0;
    MenuHost().SetTextInput(false);
    if (consoleEnabled && owner && owner->capturedControl == this)
        owner->capturedControl = nullptr;
}

void CHtmlControl::CancelInput()
{
    if (!inputActive)
        return;
    EndTyping();
    inputPending = 0;
}

void CHtmlControl::FinishInput(const std::string& typed)
{
    EndTyping();
    const std::string command = CommandText(typed);
    if (inputPending) {
        resultText = typed.c_str();
        inputPending = 0;
        SendCommand(kInputCommand);
    }
    if (!noCommands)
        RunConsoleLine(command);
}

void CHtmlControl::RunConsoleLine(const std::string& line)
{
    if (line.compare(0, kJumpTo.size(), kJumpTo) != 0) {
        if (g_pScriptManager && !line.empty())
            g_pScriptManager->CallFunction(line.c_str());
        return;
    }
    const std::string name = line.substr(kJumpTo.size());
    if (name.size() >= sizeof(NameKey32::text))
        return;
    NameKey32 key {};
    std::memcpy(key.text, name.data(), name.size());
    CZJObject* found = ObjectList.FindObject(key, kBuildingType);
    if (!found)
        return;
    jumpTarget = found;
    if (owner) {
        owner->result = kJumpResult;
        owner->endRequested = 1;
    }
}

void CHtmlControl::Run()
{
    CMenuHost& host = MenuHost();
    const bool enterDown = host.KeyDown(kEnterKey);
    const bool enterPressed = enterDown && !enterWasDown;
    enterWasDown = enterDown;
    if (enterPressed && (consoleEnabled || inputActive)) {
        if (inputActive)
            CloseInput();
        else
            StartInput(nullptr, kConsolePrompt, "");
    } else if (inputActive) {
        const uint8_t c = host.TakeChar();
        if (c != 0 && !IsIgnored(c)) {
            if (c == kBackspace) {
                if (int32_t(inputText.Length()) > promptLength) {
                    std::string text = inputText.Text();
                    text.pop_back();
                    inputText = text.c_str();
                }
            } else if (c >= 32 && int32_t(TypedText().size()) < maxLength) {
                const char typed[2] = { char(c), 0 };
                inputText += typed;
            }
            ShowInput(true);
        }
    }
    const plat::window::Point mouse = host.MousePosition();
    RunScrollBar(mouse.x, mouse.y);
}

void CHtmlControl::RunScrollBar(int32_t x, int32_t y)
{
    if (!ScrollBarShown())
        return;
    const bool overUp = Inside(x, y, right - 10, top, right + 1, top + kArrowSize);
    const bool overDown = Inside(x, y, right - 10, bottom - kArrowSize, right + 1, bottom);
    if (overUp)
        window->Scroll(-(arrowPressed < 0 ? kPressedArrowStep : kArrowStep));
    else if (overDown)
        window->Scroll(arrowPressed > 0 ? kPressedArrowStep : kArrowStep);
    if (!thumbDragging)
        return;
    int32_t total = 0;
    int32_t page = 0;
    int32_t position = 0;
    window->GetScrollInfo(total, page, position);
    const int32_t track = bottom - top - 2 * kArrowSize;
    if (track <= 0 || total <= page)
        return;
    const int32_t wanted = int32_t(int64_t(y - top - kArrowSize) * total / track) - page / 2;
    window->Scroll(std::clamp(wanted, 0, total - page) - position);
}

void CHtmlControl::OnPress()
{
    const plat::window::Point mouse = MenuHost().MousePosition();
    dragging = 1;
    dragX = mouse.x;
    dragY = mouse.y;
    arrowPressed = 0;
    if (mouse.x > right - kScrollBarWidth && ScrollBarShown()) {
        if (mouse.y <= top + kArrowSize)
            arrowPressed = -1;
        else if (mouse.y >= bottom - kArrowSize)
            arrowPressed = 1;
        else
            thumbDragging = 1;
    }
}

void CHtmlControl::OnReleaseOutside()
{
    dragging = 0;
    arrowPressed = 0;
    thumbDragging = 0;
}

void CHtmlControl::OnRelease()
{
    ZJ_TRACE("CHtmlControl::OnMouseUp");
    OnReleaseOutside();
    linkClicked = 0;
    if (consoleEnabled && inputActive)
        return;
    const plat::window::Point mouse = MenuHost().MousePosition();
    CXAnsiString target;
    if (window->MouseClick(mouse.x, mouse.y, target) != 1)
        return;
    PlaySound("SND_INT_LIST_ITEM");
    linkTarget = target.Text();
    linkClicked = 1;
    SendCommand(kLinkCommand);
}

void CHtmlControl::Update()
{
    CMenuHost& host = MenuHost();
    const plat::window::Point mouse = host.MousePosition();
    window->MouseMove(mouse.x, mouse.y);
    const int32_t barLeft = right - kScrollBarWidth;
    if (dragging && !thumbDragging && !arrowPressed && mouse.x <= barLeft && dragX <= barLeft) {
        window->Scroll(dragY - mouse.y);
        dragX = mouse.x;
        dragY = mouse.y;
    }
    const int32_t wheel = host.MouseWheel();
    if (wheel != 0 && Inside(mouse.x, mouse.y, left, top, right, bottom))
        window->Scroll(int32_t(std::trunc(-wheel * 0.1)));
    window->Update(FrameTime);
}

void CHtmlControl::Render()
{
    ZJ_TRACE("CHtmlControl::Render");
    if (showScrollBar && ScrollBarShown()) {
        const int scrollTexture
            = g_pTextureManager ? g_pTextureManager->FindTexture(atlas::kScrollTexture) : -1;
        CTexture* texture = scrollTexture >= 0 ? g_pTextureManager->GetTexture(scrollTexture) : nullptr;
        int32_t total = 0;
        int32_t page = 0;
        int32_t position = 0;
        window->GetScrollInfo(total, page, position);
        const float x1 = float(right - 11);
        const float x2 = float(right);
        const float trackTop = float(top + kArrowSize);
        const float trackBottom = float(bottom - kArrowSize);
        const float track = trackBottom - trackTop;
        const float thumbTop = trackTop + track * float(position) / float(total);
        const float thumbBottom = thumbTop + std::max(track * float(page) / float(total), 8.0f);
        const plat::window::Point mouse = MenuHost().MousePosition();
        const bool overUp = Inside(mouse.x, mouse.y, right - 10, top, right + 1, top + kArrowSize);
        const bool overDown = Inside(mouse.x, mouse.y, right - 10, bottom - kArrowSize, right + 1, bottom);
        const struct {
            float top, bottom;
            atlas::ScrollPiece piece;
        } pieces[] = {
            { trackTop, trackBottom, atlas::kScrollTrack },
            { thumbTop, std::min(thumbBottom, trackBottom), atlas::kScrollThumb },
            { float(top), trackTop, overUp ? atlas::kScrollUpLit : atlas::kScrollUp },
            { trackBottom, float(bottom), overDown ? atlas::kScrollDownLit : atlas::kScrollDown },
        };
        if (g_TexShaderManager)
            g_TexShaderManager->SetFactorAlpha(1.0f);
        for (const auto& piece : pieces)
            DrawTexturePiece(
                kScrollSlot, texture, x1, piece.top, x2, piece.bottom, atlas::kScroll[piece.piece]);
    }
    if (g_pTextureManager && g_TexShaderManager) {
        const int grid = g_pTextureManager->FindTexture("TEX_KT_SETKA");
        if (grid >= 0) {
            g_TexShaderManager->SetFactorAlpha(1.0f);
            DrawMenuQuad(kScrollSlot, g_pTextureManager->GetTexture(grid), float(window->left),
                float(window->top), float(window->right), float(window->bottom));
        }
    }
    window->Render();
}
