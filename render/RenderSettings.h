// The settings of section CONFIG of cfg.ini that the rendering engine reads. The application's
// settings reader fills them at start-up and on a reload; nothing here reads cfg.ini.
#pragma once

#include <cstdint>

struct SRenderSettings {
    int32_t textureBPS = 32; // TextureBPS: colour depth of textures
    int32_t textureQuality = 1; // TextureQuality: reduction step, 0 to 4
    bool textureCompression = true; // TextureCompression; cleared when DXT3 textures are absent
    int32_t codepage = 0; // Codepage: code page of the font's texts
};

extern SRenderSettings g_RenderSettings;
