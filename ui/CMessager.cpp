#include "ui/CMessager.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "script/CScriptHost.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

CMessager* g_pMessager = nullptr;

namespace {

constexpr float kDrawnFor = 20.0f;
constexpr float kFadeFrom = 18.0f;
constexpr float kKeptFor = 25.0f;
constexpr int32_t kExpandedHeight = 384;
constexpr int kPictureSlot = 18; // texture times the texture factor

uint32_t Mix(uint32_t a, uint32_t b, float f)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const float channel = float((a >> shift) & 0xFF) * f + float((b >> shift) & 0xFF) * (1.0f - f);
        out |= uint32_t(std::clamp(channel, 0.0f, 255.0f)) << shift;
    }
    return out;
}

void CopyName(char (&out)[32], const char* name)
{
    std::snprintf(out, sizeof out, "%s", name);
}

} // namespace

uint32_t MessageColour(uint32_t colour, float age, bool expanded, float alpha)
{
    if (!expanded && age > kDrawnFor)
        return 0;
    float a = 255.0f * alpha;
    if (!expanded && age > kFadeFrom)
        a = 255.0f * alpha * (kDrawnFor - age) * 0.5f;
    uint32_t shown = colour & 0xFFFFFFu;
    if (!expanded && age < 0.5f)
        shown = Mix(0xFFFFFF, 0x000000, 2.0f * age);
    else if (!expanded && age < 1.0f)
        shown = Mix(colour, 0xFFFFFF, 2.0f * age - 1.0f);
    return uint32_t(std::clamp(a, 0.0f, 255.0f)) << 24 | shown;
}

std::string StripMarkup(const std::string& text)
{
    std::string out;
    std::copy_if(
        text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != '<' && c != '>'; });
    return out;
}

CMessageWindow::CMessageWindow(CMessager& owner, int32_t left, int32_t top, int32_t right, int32_t bottom)
    : CZJHtmlWindow(left, top, right, bottom)
    , m_owner(owner)
{
}

void CMessageWindow::DrawText(
    int32_t x1, int32_t y1, int32_t x2, int32_t, int32_t, const char* text, uint32_t colour)
{
    lastDrawnY = y1;
    const CMessager::SSlot* slot = m_owner.SlotOf(currentBlock);
    const float age = slot ? float(m_owner.Now() - slot->time) : 0.0f;
    if (!m_owner.m_expanded && age > kDrawnFor) {
        ++skipped;
        return;
    }
    const uint32_t shown = MessageColour(colour, age, m_owner.m_expanded, alpha);
    PrintClipped(x1 + 1, y1 + 1, x2 - x1, text, shown & 0xFF000000u);
    PrintClipped(x1, y1, x2 - x1, text, shown);
}

CMessager::CMessager()
{
    ownsRenderTarget = 0;
    showsCursor = 1;
}

CMessager::~CMessager()
{
    if (g_pMessager == this)
        g_pMessager = nullptr;
}

double CMessager::DefaultClock()
{
    return GameClock;
}

float CMessager::FrameStep() const
{
    return frameTime ? frameTime() : FrameTime;
}

bool CMessager::Init()
{
    ZJ_TRACE("CMessager::Init");
    const int32_t lineHeight = g_pFont ? g_pFont->GetLineHeight() : 16;
    const int32_t width = g_Graphic.ScreenWidth();
    if (m_control)
        RemoveControl(m_control, true);
    m_window = std::make_unique<CMessageWindow>(*this, 200, 12, width - 200, 8 * lineHeight + 12);
    m_window->hoverColour = 0xFFFFFF;
    m_window->defaultColour = m_window->currentColour = 0xD0D0D0;
    m_window->referenceColour = 0xA099EA;
    m_window->linkColour = 0xC4635A;
    m_window->visitedColour = 0x8B8A9C;
    m_window->selectedColour = 0;
    m_window->alpha = 1.0f;
    m_window->Clear();
    m_ring = std::make_unique<SSlot[]>(kCapacity);
    m_head = m_write = 0;
    scrollAccumulator = 0.0f;
    m_control = new CHtmlControl(200, 12, width - 184, 8 * lineHeight + 12, m_window.get());
    AddControl(m_control);
    return true;
}

std::string CMessager::FirstBlockName() const
{
    // A copy: deleting the block moves the block list under the window's own name.
    const char* name = m_window->GetFirstBlockName();
    return name ? name : "";
}

const CMessager::SSlot* CMessager::SlotOf(const char* block) const
{
    if (!m_window || !m_ring || !m_window->SetBlock(block, true))
        return nullptr;
    const uint32_t index = m_window->GetBlockValue(block);
    return index < uint32_t(kCapacity) ? &m_ring[index] : nullptr;
}

void CMessager::AddMessage(const char* text, int colour, const char* name)
{
    ZJ_TRACE("CMessager::AddMessage");
    if (!m_window || !m_ring) {
        WriteErrorLog(text);
        return;
    }
    SSlot& slot = m_ring[size_t(m_write)];
    // The slot's old message leaves the window with it.
    if (slot.name[0] && m_window->SetBlock(slot.name, true)
        && m_window->GetBlockValue(slot.name) == uint32_t(m_write))
        m_window->DelBlock(slot.name, false);
    if (name && name[0]) {
        CopyName(slot.name, name);
    } else {
        char number[32];
        std::snprintf(number, sizeof number, "%x", m_serial++);
        CopyName(slot.name, number);
    }
    slot.time = float(Now());
    CXAnsiString markup;
    if (colour >= 0 && colour < int(std::size(kColours)))
        markup.Format("<color:%x>", kColours[colour]);
    markup += text;
    const auto index = uint32_t(m_write);
    m_write = (m_write + 1) % kCapacity;
    if (m_write == m_head)
        m_head = (m_head + 1) % kCapacity;
    // A full window gives up its oldest messages rather than the new one.
    while (!m_window->WouldAccept() && m_window->BlockCount() > 0)
        m_window->DelBlock(FirstBlockName().c_str(), false);
    m_window->AddText(markup, slot.name, true);
    m_window->SetBlockValue(slot.name, index);
    m_window->SetFlags(0, 1, 1);
}

void CMessager::Run()
{
    if (!m_window)
        return;
    try {
        if (m_expanded) {
            if (m_control)
                m_control->Run();
            return;
        }
        const int32_t lineHeight = m_window->GetFontHeight(0);
        const float dt = FrameStep();
        const int32_t middle = (m_window->top + m_window->bottom) / 2;
        const int32_t lastY = m_window->lastDrawnY;
        if (m_window->skipped != 0 || lastY > middle) {
            float speed = 0.0f;
            if (lastY >= m_window->bottom - 2 * lineHeight)
                speed = float((m_window->bottom - lastY) / 4) * float(lineHeight);
            else if (lastY > middle)
                speed = float(lineHeight);
            scrollAccumulator += speed * dt;
            scrollAccumulator += float(lineHeight) * float(std::min(m_window->skipped, 2)) * dt;
            if (scrollAccumulator >= 1.0f) {
                const int32_t n = std::min(int32_t(scrollAccumulator), 8);
                m_window->Scroll(n);
                scrollAccumulator -= float(n);
            }
        }
        if (m_window->BlockCount() > 0) {
            const std::string first = FirstBlockName();
            const SSlot* slot = SlotOf(first.c_str());
            if (slot && Now() - slot->time > kKeptFor) {
                try {
                    m_window->DelBlock(first.c_str(), false);
                } catch (...) {
                    WriteErrorLog("KokpitDelBlock");
                }
            }
        }
    } catch (...) {
        WriteErrorLog("CMessager::Run");
    }
}

void CMessager::Draw()
{
    if (!m_window)
        return;
    try {
        m_window->skipped = 0;
        m_window->lastDrawnY = 0;
        m_window->wholeLinesOnly = m_expanded ? 0 : 1;
        if (!m_expanded)
            m_window->Render();
        else if (m_control)
            m_control->Render();
        if (warningSign != -1 && !m_expanded)
            DrawWarningSign();
    } catch (...) {
        WriteErrorLog("CMessager::Draw");
    }
}

void CMessager::DrawWarningSign()
{
    if (!g_pSurfaceManager || !g_TexShaderManager)
        return;
    const int picture = g_pSurfaceManager->FindSurface("SUF_INT_TEXT");
    if (picture < 0)
        return;
    int32_t pictureW = 0;
    int32_t pictureH = 0;
    g_pSurfaceManager->GetSize(picture, pictureW, pictureH);
    if (warningSign < 0 || 30 * warningSign + 30 > pictureH)
        return;
    const float s = float(std::min(g_Graphic.ScreenHeight(), 768)) / 1024.0f;
    const auto x1 = int32_t(float(g_Graphic.ScreenWidth()) / 2.0f - 256.0f * s);
    const auto y1 = int32_t(220.0f * s);
    g_TexShaderManager->SetFactorColor(WarningSignColour(warningSign, Now()));
    g_pSurfaceManager->UpdateTexture(picture, kPictureSlot, x1, y1, int32_t(float(x1) + 512.0f * s),
        int32_t(float(y1) + 60.0f * s), 0, 30 * warningSign, 256, 30 * warningSign + 30, false);
}

void CMessager::UpdateState(bool expanded)
{
    m_expanded = expanded;
    if (!m_window)
        return;
    try {
        const int32_t height = expanded ? kExpandedHeight : 8 * m_window->GetFontHeight(0);
        m_window->bottom = m_window->top + height;
        if (m_control)
            m_control->bottom = m_window->bottom;
        if (!expanded)
            m_window->Scroll(1000);
    } catch (...) {
        WriteErrorLog("CMessager::UpdateState");
    }
}

void CMessager::ProcessCommand(int id)
{
    if (id != CHtmlControl::kLinkCommand || !m_window || !m_control)
        return;
    const CXAnsiString target = m_control->linkTarget.c_str();
    if (m_window->SetBlock(target.Text(), true)) {
        m_window->SetBlock(target.Text(), false);
        return;
    }
    if (!g_pScriptManager)
        return;
    CXAnsiString name;
    if (g_pScriptManager->GetTextName(target.Text(), name) && name.Text()[0]) {
        CXAnsiString text;
        g_pScriptManager->GetText(target.Text(), text);
        CXAnsiString message = "<p><color:0xD1D153>";
        message += name;
        message += "<color><p>";
        message += text;
        AddMessage(message.Text(), -1, target.Text());
        return;
    }
    char script[sizeof g_pScriptManager->runningScript];
    std::memcpy(script, g_pScriptManager->runningScript, sizeof script);
    if (!g_pScriptManager->ZJRunScript(script, 1, target.Text()) || !g_pScriptManager->LastProcedureFound())
        return;
    try {
        m_window->DelBlock("INT_NEXT_PAGE", false);
    } catch (...) {
        WriteErrorLog("Messager DelBlock");
    }
    for (const SScriptQuest& quest : g_pScriptManager->Quests())
        g_pScriptManager->AddEvent(quest.name, ".GET");
    if (g_pScriptHost)
        g_pScriptHost->UpdateJournal(1);
}

void CMessager::Clear()
{
    if (m_window)
        m_window->Clear();
    m_head = m_write = 0;
}

void CMessager::Done()
{
    Clear();
}
