#include "ui/CZJHtmlWindow.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/device.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int kIconSlot = 11;
constexpr int kImageSlot = 11;
constexpr std::string_view kIconNames[atlas::kIconCount] = { "POINT", "PLUS", "MINUS" };

uint32_t Flash(uint32_t colour, double time)
{
    const double p = time * 1.5 - std::floor(time * 1.5);
    const double v = std::max(1.0 - 0.75 * p, 0.8);
    uint32_t out = colour & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = int(colour >> shift & 0xFF);
        out |= uint32_t(std::min(255, c + int((v - 0.8) * 5.0 * (255 - c)))) << shift;
    }
    return out;
}

bool IsModel(const char* name)
{
    return g_pModelManager && name && g_pModelManager->FindModel(name) >= 0;
}

} // namespace

CZJHtmlWindow::CZJHtmlWindow(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : CMHTLWindow(left, top, right, bottom)
{
    if (g_pSurfaceManager)
        frameSurface = g_pSurfaceManager->FindSurface("SUF_HTML_RAMKA");
}

CZJHtmlWindow::~CZJHtmlWindow()
{
    for (SImage& image : images) {
        if (image.surface)
            image.surface->Release();
    }
}

uint32_t CZJHtmlWindow::Alpha() const
{
    return uint32_t(std::clamp(int(255.0f * opacity), 0, 255)) << 24;
}

int32_t CZJHtmlWindow::GetFontHeight(int32_t)
{
    return g_pFont ? g_pFont->GetLineHeight() : 16;
}

int32_t CZJHtmlWindow::GetTextWidth(int32_t, const char* text)
{
    return g_pFont ? g_pFont->GetTextWidth(text) : 8 * int32_t(std::strlen(text));
}

void CZJHtmlWindow::DrawText(
    int32_t x1, int32_t y1, int32_t x2, int32_t, int32_t, const char* text, uint32_t colour)
{
    uint32_t shown = Alpha() | (colour & 0xFFFFFFu);
    if ((colour & 0xFFFFFFu) == (hoverColour & 0xFFFFFFu))
        shown = Flash(shown, MenuHost().RunningTime());
    PrintClipped(x1, y1, x2 - x1, text, shown);
}

void CZJHtmlWindow::DrawPlainText(int32_t x, int32_t y, const char* text, uint32_t colour)
{
    PrintClipped(x, y, right - x, text, Alpha() | (colour & 0xFFFFFFu));
}

void CZJHtmlWindow::PrintClipped(int32_t x, int32_t y, int32_t width, const char* text, uint32_t colour)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!g_pFont || !device || right <= left || bottom <= top)
        return;
    const int32_t screenW = g_Graphic.ScreenWidth();
    const int32_t screenH = g_Graphic.ScreenHeight();
    const int32_t clipLeft = std::max(left, 0);
    const int32_t clipTop = std::max(top, 0);
    const int32_t clipRight = std::min(right, screenW);
    const int32_t clipBottom = std::min(bottom, screenH);
    if (clipRight <= clipLeft || clipBottom <= clipTop)
        return;
    device->SetViewport({ uint32_t(clipLeft), uint32_t(clipTop), uint32_t(clipRight - clipLeft),
        uint32_t(clipBottom - clipTop), 0.0f, 1.0f });
    g_pFont->Print(x, y, width, text, colour);
    device->SetViewport({ 0, 0, uint32_t(screenW), uint32_t(screenH), 0.0f, 1.0f });
}

void CZJHtmlWindow::RenderIcon(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const char* name)
{
    ZJ_TRACE("CZJHtmlWindow::RenderIcon");
    const auto found
        = std::find(std::begin(kIconNames), std::end(kIconNames), std::string_view(name ? name : ""));
    if (found == std::end(kIconNames))
        return;
    const float x = float((x1 + x2 - kIconSize) / 2);
    const float y = float((y1 + y2 - kIconSize) / 2);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorAlpha(opacity);
    DrawTexturePiece(kIconSlot, InterfaceTexture(), x, y, x + kIconSize, y + kIconSize,
        atlas::Icon(int32_t(found - std::begin(kIconNames))));
}

void CZJHtmlWindow::GetImageSize(int32_t& width, int32_t& height, const char* name)
{
    width = height = 0;
    if (IsModel(name)) {
        width = kObjectWidth;
        height = kObjectHeight;
    } else if (const SImage* image = GetImageData(name)) {
        width = image->width;
        height = image->height;
    }
}

const CZJHtmlWindow::SImage* CZJHtmlWindow::GetImageData(const char* name)
{
    ZJ_TRACE("CZJHtmlWindow::GetImageData");
    if (!name || !name[0])
        return nullptr;
    for (int i = 0; i < imageCount; ++i) {
        if (images[i].name == name) {
            images[i].lastUse = ++useClock;
            return &images[i];
        }
    }
    plat::gfx::Device* device = g_Graphic.GetDevice();
    const std::string path = BaseDirectory() + "Data\\Images\\" + name;
    plat::gfx::d3dx::ImageInfo info {};
    plat::gfx::Surface* surface = nullptr;
    const bool loaded = device && plat::gfx::d3dx::GetImageInfoFromFile(path, info) == plat::gfx::Result::Ok
        && device->CreateImageSurface(info.width, info.height, plat::gfx::Format::A8R8G8B8, &surface)
            == plat::gfx::Result::Ok
        && plat::gfx::d3dx::LoadSurfaceFromFile(
               *surface, nullptr, path, nullptr, plat::gfx::d3dx::Filter::None, 0, nullptr)
            == plat::gfx::Result::Ok;
    if (!loaded) {
        if (surface)
            surface->Release();
        char line[400];
        std::snprintf(line, sizeof line, "CZJHtmlWindow::GetImageData can`t load image file='%s'", name);
        WriteErrorLog(line);
        return nullptr;
    }
    SImage* slot = imageCount < kCachedImages
        ? &images[imageCount++]
        : std::min_element(std::begin(images), std::end(images),
            [](const SImage& a, const SImage& b) { return a.lastUse < b.lastUse; });
    if (slot->surface)
        slot->surface->Release();
    *slot = { name, surface, int32_t(info.width), int32_t(info.height), ++useClock };
    return slot;
}

void CZJHtmlWindow::RenderImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1,
    int32_t clipY1, int32_t clipX2, int32_t clipY2, const char* name)
{
    ZJ_TRACE("CZJHtmlWindow::RenderImage");
    (void)clipX1;
    (void)clipY1;
    (void)clipX2;
    (void)clipY2;
    if (IsModel(name) || !g_pSurfaceManager)
        return;
    const SImage* image = GetImageData(name);
    if (!image)
        return;
    g_pSurfaceManager->RenderSurfaceEx(
        image->surface, kImageSlot, x1, y1, x2, y2, 0, 0, image->width, image->height, false);
    if (image->width > kFramedWidth && frameSurface >= 0) {
        int32_t w = 0;
        int32_t h = 0;
        g_pSurfaceManager->GetSize(frameSurface, w, h);
        g_pSurfaceManager->UpdateTexture(
            frameSurface, kImageSlot, x1 - 2, y1 - 2, x2 + 2, y2 + 2, 0, 0, w, h, false);
    }
}

void CZJHtmlWindow::DrawObject(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1, int32_t clipY1,
    int32_t clipX2, int32_t clipY2, const char* name)
{
    RenderImage(x1, y1, x2, y2, clipX1, clipY1, clipX2, clipY2, name);
}
