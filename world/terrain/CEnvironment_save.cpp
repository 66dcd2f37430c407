#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "render/CModelManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CEnvironment_local.h"
#include "world/terrain/MapFile.h"

#include <cstring>
#include <string>

static_assert(CEnvironment::kStateSize == 337 + int(sizeof(SWeatherState)));

void CEnvironment::ResolveTextures(SWeatherState& record) const
{
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    for (size_t offset : SWeatherState::kTextureFields) {
        char name[33] {};
        std::memcpy(name, bytes + offset, 32);
        const int32_t index = envlocal::FindTexture(name);
        std::memset(bytes + offset, 0, 32);
        std::memcpy(bytes + offset, &index, 4);
    }
}

bool CEnvironment::LoadChunk(const uint8_t* bytes, size_t size)
{
    dieHeight = -1000.0f;
    if (size < kChunkHeadSize) {
        WriteErrorLog("CEnvironment::Load chunk shorter than its head");
        return false;
    }
    uint32_t count = 0;
    std::memcpy(&count, bytes, 4);
    if ((size - kChunkHeadSize) / sizeof(SWeatherState) < count) {
        WriteErrorLog("CEnvironment::Load " + std::to_string(count) + " weather records do not fit "
            + std::to_string(size) + " bytes");
        return false;
    }
    char horizon[161] {};
    std::memcpy(horizon, bytes + 4, 160);
    weathers.assign(count, SWeatherState {});
    if (count > 0)
        std::memcpy(weathers.data(), bytes + kChunkHeadSize, size_t(count) * sizeof(SWeatherState));
    if (g_pModelManager && horizon[0] != 0) {
        const int model = g_pModelManager->FindModel(horizon);
        if (model != -1)
            horizonModel = model;
    }
    for (SWeatherState& record : weathers)
        ResolveTextures(record);
    return true;
}

void CEnvironment::Load(uint32_t payloadSize)
{
    ZJ_TRACE("CEnvironment::Load");
    dieHeight = -1000.0f;
    PakMapSource source;
    const int64_t left = source.Size() - source.Tell();
    if (int64_t(payloadSize) > left)
        throw MapFileError("environment chunk past the end of the file");
    std::vector<uint8_t> bytes(payloadSize);
    if (payloadSize > 0 && !source.Read(bytes.data(), payloadSize))
        throw MapFileError("environment chunk unreadable");
    if (!LoadChunk(bytes.data(), bytes.size()))
        throw MapFileError("environment chunk malformed");
}

void CEnvironment::Reset()
{
    weathers.clear();
    active = -1;
    next = -1;
}

void CEnvironment::WriteState(XMemBuffer& buffer)
{
    const uint32_t reserved = 0;
    buffer.WriteValue(hour);
    buffer.WriteValue(moonClock);
    buffer.WriteValue(sunVector);
    buffer.WriteValue(moonVector);
    buffer.WriteValue(sunGlareLimit);
    buffer.WriteValue(skyLightLevel);
    buffer.WriteValue(transition);
    buffer.WriteValue(transitionFactor);
    buffer.Write(cloudMatrix, int(sizeof cloudMatrix));
    buffer.WriteValue(skyA);
    buffer.WriteValue(skyB);
    buffer.WriteValue(skyBlend);
    buffer.WriteValue(skyColour);
    buffer.WriteValue(reserved);
    buffer.WriteValue(sunGlare);
    buffer.WriteValue(active);
    buffer.WriteValue(next);
    buffer.WriteValue(previous);
    buffer.WriteValue(current);
}

bool CEnvironment::ReadState(XMemBuffer& buffer)
{
    if (buffer.Remaining() < kStateSize) {
        WriteErrorLog("CEnvironment::ReadState " + std::to_string(buffer.Remaining()) + " bytes left, "
            + std::to_string(kStateSize) + " needed");
        return false;
    }
    const int count = WeatherCount();
    const int textures = g_pTextureManager ? g_pTextureManager->GetRecordCount() : 0;
    auto weatherIndex = [count](int32_t i) { return i < -1 ? -1 : i >= count ? count - 1 : i; };
    auto textureIndex = [textures](int32_t i) { return i < 0 || i >= textures ? -1 : i; };
    buffer.Read(&hour, 4);
    buffer.Read(&moonClock, 4);
    buffer.Read(&sunVector, 12);
    buffer.Read(&moonVector, 12);
    buffer.Read(&sunGlareLimit, 4);
    buffer.Read(&skyLightLevel, 4);
    buffer.Read(&transition, 1);
    buffer.Read(&transitionFactor, 4);
    buffer.Read(cloudMatrix, int(sizeof cloudMatrix));
    skyA = textureIndex(buffer.ReadI32());
    skyB = textureIndex(buffer.ReadI32());
    buffer.Read(&skyBlend, 4);
    buffer.Read(&skyColour, 4);
    buffer.Skip(4);
    buffer.Read(&sunGlare, 4);
    active = weatherIndex(buffer.ReadI32());
    next = weatherIndex(buffer.ReadI32());
    previous = weatherIndex(buffer.ReadI32());
    buffer.Read(&current, int(sizeof current));
    auto* bytes = reinterpret_cast<uint8_t*>(&current);
    for (size_t offset : SWeatherState::kTextureFields) {
        int32_t index = 0;
        std::memcpy(&index, bytes + offset, 4);
        index = textureIndex(index);
        std::memcpy(bytes + offset, &index, 4);
    }
    return true;
}

void CEnvironment::SaveGame(XMemBuffer& buffer)
{
    WriteState(buffer);
    const uint8_t zeros[kSaveSize - kStateSize] {};
    buffer.Write(zeros, int(sizeof zeros));
}

bool CEnvironment::LoadGame(XMemBuffer& buffer)
{
    if (buffer.Remaining() < kSaveSize) {
        WriteErrorLog("CEnvironment::LoadGame section of " + std::to_string(buffer.Remaining())
            + " bytes refused, " + std::to_string(kSaveSize) + " needed");
        return false;
    }
    ReadState(buffer);
    buffer.Skip(kSaveSize - kStateSize);
    return true;
}
