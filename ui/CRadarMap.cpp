#include "ui/CRadarMap.h"

#include "foundation/ByteOrder.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"

#include <cstdio>
#include <cstring>

CRadarMap* g_pRadarMap = nullptr;

const char* RadarMapFormat::CheckHeader(const SRadarMapHeader& header, int64_t fileSize)
{
    if (header.width < 1 || header.width > kMaxSide)
        return "width outside 1..65536";
    if (header.height < 1 || header.height > kMaxSide)
        return "height outside 1..65536";
    if (int64_t(header.dataOffset) >= fileSize)
        return "data offset outside the file";
    return nullptr;
}

std::string RadarMapName(const char* locationFile)
{
    std::string name = locationFile ? locationFile : "";
    name.resize(name.size() >= 3 ? name.size() - 3 : 0);
    return name + "mmm";
}

bool CRadarMap::Open(const char* name)
{
    Close();
    std::snprintf(path, sizeof path, "%s%s", g_ResourceDBManager.BaseDirectory(), name ? name : "");
    if (!g_PakManager.OpenXFile(path, file))
        return false;
    uint8_t bytes[RadarMapFormat::kHeaderBytes] = {};
    const size_t got = file.ReadAvailable(bytes, sizeof bytes);
    SRadarMapHeader header {};
    header.dataOffset = LoadLE<uint32_t>(bytes);
    header.spare = LoadLE<uint32_t>(bytes + 4);
    header.width = LoadLE<uint32_t>(bytes + 8);
    header.height = LoadLE<uint32_t>(bytes + 12);
    const char* refused
        = got < sizeof bytes ? "shorter than its header" : RadarMapFormat::CheckHeader(header, file.Size());
    if (refused) {
        WriteErrorLog(std::string("CRadarMap::Open ") + path + ": " + refused);
        Close();
        return false;
    }
    dataOffset = header.dataOffset;
    width = int32_t(header.width);
    height = int32_t(header.height);
    columns = RadarMapFormat::Columns(width);
    rows = RadarMapFormat::Rows(height);
    return true;
}

void CRadarMap::Close()
{
    file.Close();
    dataOffset = 0;
    width = height = columns = rows = 0;
}

void CRadarMap::ReadTile(uint8_t* buffer, int32_t x, int32_t y)
{
    std::memset(buffer, 0, RadarMapFormat::kTileBytes);
    if (!file.IsOpened() || x < 0 || y < 0 || x >= columns || y >= rows)
        return;
    const int64_t at = int64_t(dataOffset) + (int64_t(columns) * y + x) * RadarMapFormat::kTileBytes;
    if (at >= file.Size() || !file.Seek(long(at), 0))
        return;
    file.ReadAvailable(buffer, RadarMapFormat::kTileBytes);
}
