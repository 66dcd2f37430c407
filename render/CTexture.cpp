#include "render/CTexture.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "render/Graphic.h"
#include "render/TMReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

using namespace plat::gfx;

CTexture* StageTextureCache[kCachedStages] = {};

void ClearStageTextureCache()
{
    std::fill(std::begin(StageTextureCache), std::end(StageTextureCache), nullptr);
}

namespace {

std::string UpperExtension(const char* name)
{
    std::string path = name ? name : "";
    size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

CTexture::~CTexture()
{
    ReleaseTexture();
}

uint32_t CTexture::EstimateMemory(uint32_t width, uint32_t height, uint32_t levels, uint32_t bytesPerPixel)
{
    uint64_t memory = uint64_t(levels) * 1024;
    int32_t w = int32_t(width);
    int32_t h = int32_t(height);
    for (uint32_t i = 0; i < levels; ++i) {
        memory += uint64_t(w) * uint64_t(h) * bytesPerPixel;
        w >>= 1;
        h >>= 1;
    }
    return uint32_t(std::min<uint64_t>(memory, UINT32_MAX));
}

void CTexture::Attach(Texture* texture, int32_t width, int32_t height)
{
    ReleaseTexture();
    m_texture = texture;
    m_width = width;
    m_height = height;
}

void CTexture::ReleaseTexture()
{
    // A stage entry must not vouch for a texture this object no longer holds.
    for (CTexture*& entry : StageTextureCache)
        if (entry == this)
            entry = nullptr;
    if (m_texture) {
        m_texture->Release();
        m_texture = nullptr;
    }
}

void CTexture::ReadSurfaceSize(int32_t& width, int32_t& height)
{
    if (m_width == 0 && m_texture) {
        SurfaceDesc desc;
        if (Succeeded(m_texture->GetLevelDesc(0, desc))) {
            m_width = int32_t(desc.width);
            m_height = int32_t(desc.height);
        }
    }
    width = m_width;
    height = m_height;
}

void CTexture::SetToStage(uint32_t stage)
{
    if (!m_texture || stage >= uint32_t(kCachedStages) || StageTextureCache[stage] == this)
        return;
    if (Device* device = g_Graphic.GetDevice())
        device->SetTexture(stage, m_texture);
    StageTextureCache[stage] = this;
}

bool CTexture::LoadFromFile(
    const char* name, int32_t bitsPerPixel, int32_t reduction, uint32_t levels, bool managed)
{
    ZJ_TRACE("CTexture::LoadFromFile");
    ReleaseTexture();
    const std::string extension = UpperExtension(name);
    if (extension == "TM") {
        if (!ReadImageFile(name, bitsPerPixel, reduction, levels, managed))
            return false;
    } else {
        Format format;
        if (extension == "TGA" || extension == "DDS")
            format = bitsPerPixel == 16 ? Format::A4R4G4B4 : Format::A8R8G8B8;
        else
            format = bitsPerPixel == 16 ? Format::R5G6B5 : Format::X8R8G8B8;
        Texture* texture = nullptr;
        if (!LoadImageTexture(name, levels, format, texture)) {
            char text[512];
            std::snprintf(text, sizeof text, "CTexture::LoadFromFile file '%s' not loaded", name ? name : "");
            WriteErrorLog(text);
            return false;
        }
        m_width = 0;
        m_texture = texture;
    }
    int32_t width = 0;
    int32_t height = 0;
    ReadSurfaceSize(width, height);
    if (levels == 0)
        levels = uint32_t(1 + std::min(IntLog2(width), IntLog2(height)));
    m_memory
        = EstimateMemory(uint32_t(width), uint32_t(height), levels, uint32_t(std::max(bitsPerPixel, 0) / 8));
    return true;
}

bool CTexture::LoadImageTexture(const char* name, uint32_t levels, Format format, Texture*& out)
{
    out = nullptr;
    Device* device = g_Graphic.GetDevice();
    if (!device)
        return false;
    namespace d3dx = plat::gfx::d3dx;
    return Succeeded(d3dx::CreateTextureFromFileEx(*device, name ? name : "", d3dx::kDefault, d3dx::kDefault,
        levels, 0, format, Pool::Managed, d3dx::Filter::Box, d3dx::Filter::Default, 0, nullptr, &out));
}
