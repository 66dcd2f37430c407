#include "ui/CZJHtmlWindow.h"

#include "foundation/CallTrace.h"
#include "platform/gfx/device.h"
#include "render/CComplexObject.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"
#include "ui/ModelView.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
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

Vec3 Unit(const Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? Vec3 { v.x / length, v.y / length, v.z / length } : Vec3 { 0.0f, 0.0f, 1.0f };
}

Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}

float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The camera's view matrix (left-handed, looking along +z).
plat::gfx::Matrix ViewFrom(const SModelView& view)
{
    const Vec3 z
        = Unit({ view.target.x - view.eye.x, view.target.y - view.eye.y, view.target.z - view.eye.z });
    const Vec3 x = Unit(Cross(view.up, z));
    const Vec3 y = Cross(z, x);
    plat::gfx::Matrix m;
    const Vec3 axes[3] = { x, y, z };
    for (int c = 0; c < 3; ++c) {
        m.m[0][c] = axes[c].x;
        m.m[1][c] = axes[c].y;
        m.m[2][c] = axes[c].z;
        m.m[3][c] = -Dot(axes[c], view.eye);
    }
    m.m[3][3] = 1.0f;
    return m;
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
    } else if (const CImageCache::SImage* image = GetImageData(name)) {
        width = image->width;
        height = image->height;
    }
}

void CZJHtmlWindow::RenderImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1,
    int32_t clipY1, int32_t clipX2, int32_t clipY2, const char* name)
{
    ZJ_TRACE("CZJHtmlWindow::RenderImage");
    if (IsModel(name)) {
        DrawModelView(x1, y1, x2, y2, clipX1, clipY1, clipX2, clipY2, name);
        return;
    }
    if (!g_pSurfaceManager)
        return;
    const CImageCache::SImage* image = GetImageData(name);
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

void CZJHtmlWindow::DrawModelView(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t clipX1,
    int32_t clipY1, int32_t clipX2, int32_t clipY2, const char* name)
{
    using namespace plat::gfx;
    Device* device = g_Graphic.GetDevice();
    const int index = g_pModelManager->FindModel(name);
    CComplexObject* model = g_pModelManager->GetModel(index);
    // The part of the box inside the clip rectangle and the screen is the viewport.
    const Rect clip { std::max({ clipX1, x1, 0 }), std::max({ clipY1, y1, 0 }),
        std::min({ clipX2, x2, g_Graphic.ScreenWidth() }),
        std::min({ clipY2, y2, g_Graphic.ScreenHeight() }) };
    if (!device || !model || clip.Width() <= 0 || clip.Height() <= 0 || x2 <= x1 || y2 <= y1)
        return;
    Vec3 centre {};
    model->GetBoundsCentre(centre);
    const float radius = g_pModelManager->GetModelRadius(index);
    const SModelView view = ModelViewAt(centre, centre, radius, MenuHost().RunningTime());
    const float r = radius > 0.0f ? radius : 1.0f;

    Matrix savedView;
    Matrix savedProjection;
    Viewport savedViewport;
    bool lightWasOn = false;
    device->GetTransform(Transform::View, savedView);
    device->GetTransform(Transform::Projection, savedProjection);
    device->GetViewport(savedViewport);
    device->GetLightEnable(0, lightWasOn);

    device->SetTransform(Transform::View, ViewFrom(view));
    device->SetTransform(Transform::Projection, ModelViewProjection(x1, y1, x2, y2, clip, r));
    device->SetViewport({ uint32_t(clip.left), uint32_t(clip.top), uint32_t(clip.Width()),
        uint32_t(clip.Height()), 0.0f, 1.0f });
    device->Clear(1, &clip, clear::kZBuffer, 0, 1.0f, 0);
    device->SetLight(0, ModelViewLight(view));
    device->LightEnable(0, true);
    Matrix4 world;
    Matrix4Identity(world);
    g_Graphic.SetWorldMatrix(world);
    model->Render(nullptr, 0, CComplexObject::kAllGroups);

    device->LightEnable(0, lightWasOn);
    device->SetViewport(savedViewport);
    device->SetTransform(Transform::Projection, savedProjection);
    device->SetTransform(Transform::View, savedView);
    Environment.SetFog(false, 1.0f, 0.0f);
}

plat::gfx::Matrix ModelViewProjection(
    int32_t x1, int32_t y1, int32_t x2, int32_t y2, const plat::gfx::Rect& clip, float radius)
{
    // The box's own perspective, 54 degrees high with square pixels, seen through the part of it that
    // the viewport shows: the box's device range is scaled and moved onto the viewport's.
    const float boxW = float(x2 - x1);
    const float boxH = float(y2 - y1);
    const float clipW = float(clip.Width());
    const float clipH = float(clip.Height());
    const float sy = 1.0f / std::tan(27.0f * float(std::numbers::pi) / 180.0f);
    const float sx = sy * boxH / boxW;
    const float nearPlane = 0.5f * radius;
    const float farPlane = 5.0f * radius;
    const float q = farPlane / (farPlane - nearPlane);
    plat::gfx::Matrix m;
    m.m[0][0] = sx * boxW / clipW;
    m.m[1][1] = sy * boxH / clipH;
    m.m[2][0] = (2.0f * float(x1 - clip.left) + boxW) / clipW - 1.0f;
    m.m[2][1] = 1.0f - (2.0f * float(y1 - clip.top) + boxH) / clipH;
    m.m[2][2] = q;
    m.m[2][3] = 1.0f;
    m.m[3][2] = -q * nearPlane;
    return m;
}
