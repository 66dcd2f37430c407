// The program's own resources: the string table, the icon and the title picture, which are
// drawn rather than read from files.
#pragma once

#include "platform/win/text.h"

#include <cstdint>
#include <vector>

enum EStringId : uint32_t {
    IDS_NO_DIRECTX = 137,
    IDS_GRAPHICS = 138,
    IDS_DEFAULTS = 139,
    IDS_START = 140,
    IDS_SHEET_TITLE = 141,
    IDS_MODE_REFRESH = 142,
    IDS_MODE_SIZE = 143,
};

struct SStringResource {
    uint32_t id;
    const char* text; // Windows-1251
};

inline constexpr SStringResource kStringTable[] = {
    { IDS_NO_DIRECTX, CP1251("Не установлен DirectX 8.1!") },
    { IDS_GRAPHICS, CP1251("Параметры графики") },
    { IDS_DEFAULTS, CP1251("По умолчанию") },
    { IDS_START, CP1251("Старт") },
    { IDS_SHEET_TITLE, CP1251("Феррованты. Настройка параметров.") },
    { IDS_MODE_REFRESH, CP1251("%d x %d x %dГц") },
    { IDS_MODE_SIZE, CP1251("%d x %d") },
};

constexpr const char* LoadResString(uint32_t id)
{
    for (const SStringResource& row : kStringTable) {
        if (row.id == id)
            return row.text;
    }
    return "";
}

inline constexpr uint32_t IDI_ICON = 128;
inline constexpr uint32_t IDB_TITLE = 132;

// Pixels as 0xAARRGGBB, rows top first.
struct SPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Icon 128 at size x size pixels.
SPicture DrawIcon(int size);
// Bitmap 132, the title page's picture.
SPicture DrawTitlePicture();
