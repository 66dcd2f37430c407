#include "ui/CImageCache.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/resource.h"
#include "render/Graphic.h"

#include <cstring>

namespace {

void ReleaseImage(CImageCache::SImage& image)
{
    if (image.surface)
        image.surface->Release();
    image = CImageCache::SImage {};
}

} // namespace

int CImageCache::Find(const char* name) const
{
    for (int i = 0; i < m_count; ++i) {
        if (m_images[i].name == name)
            return i;
    }
    return -1;
}

CImageCache::SImage& CImageCache::FreeRecord()
{
    if (m_count < kCapacity)
        return m_images[m_count++];
    int oldest = 0;
    for (int i = 1; i < m_count; ++i) {
        if (m_images[i].lastUse < m_images[oldest].lastUse)
            oldest = i;
    }
    ReleaseImage(m_images[oldest]);
    return m_images[oldest];
}

const CImageCache::SImage* CImageCache::Get(const char* name)
{
    ZJ_TRACE("CZJHtmlWindow::GetImageData");
    if (!name)
        return nullptr;
    const int cached = Find(name);
    if (cached >= 0) {
        m_images[cached].lastUse = ++m_clock;
        return &m_images[cached];
    }
    namespace gfx = plat::gfx;
    const std::string path = std::string("Data\\Images\\") + name;
    gfx::d3dx::ImageInfo info;
    gfx::Device* device = g_Graphic.GetDevice();
    gfx::Surface* surface = nullptr;
    const bool loaded = std::strlen(name) <= kMaxName && device
        && gfx::Succeeded(gfx::d3dx::GetImageInfoFromFile(path, info)) && info.width > 0 && info.height > 0
        && gfx::Succeeded(
            device->CreateImageSurface(info.width, info.height, gfx::Format::A8R8G8B8, &surface))
        && gfx::Succeeded(gfx::d3dx::LoadSurfaceFromFile(
            *surface, nullptr, path, nullptr, gfx::d3dx::Filter::None, 0, nullptr));
    if (!loaded) {
        if (surface)
            surface->Release();
        WriteErrorLog("CZJHtmlWindow::GetImageData can`t load image file='" + std::string(name) + "'");
        return nullptr;
    }
    SImage& image = FreeRecord();
    image.name = name;
    image.surface = surface;
    image.width = int32_t(info.width);
    image.height = int32_t(info.height);
    image.lastUse = ++m_clock;
    return &image;
}

void CImageCache::Release()
{
    for (int i = 0; i < m_count; ++i)
        ReleaseImage(m_images[i]);
    m_count = 0;
}
