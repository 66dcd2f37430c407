#include "world/db/CZJEngine.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CZJTrade.h"
#include "foundation/CallTrace.h"
#include "foundation/ConfigKeys.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XMemBuffer.h"
#include "platform/win/text.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/db/CBoundaryManager.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CFlyTehManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CHelperManager.h"
#include "world/db/CLanternManager.h"
#include "world/db/CMapCoverManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CSoundZoneManager.h"
#include "world/db/CStoneManager.h"
#include "world/db/CTowerManager.h"
#include "world/db/CTreeManager.h"
#include "world/db/LightManager.h"
#include "world/db/NetRecordFields.h"
#include "world/db/ObjectsFileReader.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

CZJEngine ZJEngine;
uint8_t g_FixCursor = 1;

namespace {

using Finder = int32_t (*)(const char*);

struct SWellKnown {
    const char* name;
    Finder find;
};

int32_t FindGun(const char* name)
{
    return g_GunManager.FindRow(name);
}

int32_t FindEquipment(const char* name)
{
    return g_EquipmentManager.FindRow(name);
}

const SWellKnown kWellKnown1[CZJEngine::kWellKnown1Count] = {
    { "GUN_BOMB_LAUNCHER", FindGun },
    { "GUN_ROCKET_LAUNCHER", FindGun },
    { "SND_BLD_DOOR_OPEN", FindSoundId },
    { "SND_PICK_UP_THING", FindSoundId },
    { "TEX_SUN_FRONT", FindTextureId },
    { "TEX_SUN_BACK", FindTextureId },
};

const SWellKnown kWellKnown2[CZJEngine::kWellKnown2Count] = {
    { "EQP_ANTIROCKET_SYSTEM", FindEquipment },
    { "EQP_INVISIBILITY_SHIELD", FindEquipment },
    { "EQP_BOOSTER", FindEquipment },
    { "EQP_ANALYZER", FindEquipment },
    { "TEX_FX_ROCKET_SMOKE", FindTextureId },
    { "TEX_FX_WATER_DUST", FindTextureId },
    { "MOD_GL_FIRE", FindModelId },
    { "TEX_GL_FIRE_GLOW", FindTextureId },
    { "TEX_FIRE_GLOW2", FindTextureId },
    { "MOD_FX_FORCE_3", FindModelId },
    { "MOD_FX_ROCKET_FIRE", FindModelId },
    { "TEX_LAMP_SHADOW", FindTextureId },
    { "TEX_LAMP_GLOW", FindTextureId },
    { "TEX_LAMP_FLARE", FindTextureId },
    { "MOD_GUN_CORBEL", FindModelId },
    { "TEX_FX_HAOS_PARTICLE", FindTextureId },
    { "TEX_FX_BORDER", FindTextureId },
    { "TEX_EXP_MASK", FindTextureId },
    { "MOD_FX_PODBOR", FindModelId },
    { "TEX_KPT_PRICEL", FindTextureId },
    { "TEX_KPT_PRICEL_GREEN", FindTextureId },
    { "TEX_KT_ALL", FindTextureId },
    { "TEX_KT_ICONS", FindTextureId },
    { "MUS_OBSERVER", FindMusicId },
};

// The manager that reads the blocks of a type code, null for an unlisted code.
CZJObjectManager* BlockReader(uint32_t code)
{
    switch (code) {
    case 3:
        return &g_StoneManager;
    case 4:
        return &g_TreeManager;
    case 7:
        return &g_HelperManager;
    case 8:
        return &g_RoadManager;
    case 11:
        return &g_BuildingManager;
    case 12:
        return &g_MapCoverManager;
    case 13:
        return &g_LanternManager;
    case 19:
        return &g_LightManager;
    case 20:
        return &g_AnomalZoneManager;
    case 22:
        return &g_TowerManager;
    case 23:
        return &g_BoundaryManager;
    case 24:
        return &g_SoundZoneManager;
    default:
        return nullptr;
    }
}

// Reads an unlisted block: no row is known, so every record takes the missing-id road.
class CUnlistedBlockManager : public CZJTypeManager<SStoneType> {
public:
    CUnlistedBlockManager()
        : CZJTypeManager(3)
    {
    }
};

// The objects file is the file layer's current file from Load's first read to its last.
class CurrentFileGuard {
public:
    ~CurrentFileGuard() { g_PakManager.CloseFile(); }
};

[[noreturn]] void FailLoad(const char* reason, const std::string& path)
{
    WriteErrorLog(std::string("CZJEngine::Load ") + reason + ": " + path);
    throw XRangeError();
}

// u32 L, then L bytes, wrapped in a stream at position 0.
std::vector<uint8_t> ReadSection(const char* what)
{
    const uint32_t length = CObjectsFileReader::ReadU32(what);
    CObjectsFileReader::CheckCount(length, 1, 0, what);
    std::vector<uint8_t> bytes(length);
    CObjectsFileReader::Read(bytes.data(), length, what);
    return bytes;
}

} // namespace

const CZJEngine::SInitStep* CZJEngine::InitSteps()
{
    static const SInitStep steps[kInitStepCount] = {
        { 1, CP1251("Камни"), &g_StoneManager },
        { 2, CP1251("Деревья"), &g_TreeManager },
        { 3, CP1251("Глайдеры"), &g_GliderManager },
        { 4, CP1251("Хелперы"), &g_HelperManager },
        { 5, CP1251("Дороги"), &g_RoadManager },
        { 6, CP1251("Взрывы"), &g_ExploManager },
        { 7, CP1251("Снаряды"), &g_MissileManager },
        { 8, CP1251("Оружие"), &g_GunManager },
        { 9, CP1251("Оборудование"), &g_EquipmentManager },
        { 10, CP1251("Здания"), &g_BuildingManager },
        { 11, CP1251("Покрытие"), &g_MapCoverManager },
        { 12, CP1251("Фонари"), &g_LanternManager },
        { 13, CP1251("Световые объекты"), &g_LightManager },
        { 14, CP1251("Товары"), &g_GoodsManager },
        { 15, CP1251("Конфигурации"), &FerrovantConfigList },
        { 16, CP1251("Организации"), &g_OrgManager },
        { 17, "Anomal", &g_AnomalZoneManager },
        { 18, "Tower", &g_TowerManager },
        { 19, "Boundary", &g_BoundaryManager },
        { 20, "SoundZone", &g_SoundZoneManager },
        { 21, "FlyTeh", &g_FlyTehManager },
    };
    return steps;
}

const char* CZJEngine::WellKnownName1(int i)
{
    return i >= 0 && i < kWellKnown1Count ? kWellKnown1[i].name : nullptr;
}

const char* CZJEngine::WellKnownName2(int i)
{
    return i >= 0 && i < kWellKnown2Count ? kWellKnown2[i].name : nullptr;
}

CZJEngine::CZJEngine()
{
    for (int32_t& id : ids1)
        id = -1;
    for (int32_t& id : ids2)
        id = -1;
    for (int32_t& id : soploSounds)
        id = -1;
    engineSound = -1;
    soploMinVolume = soploMidSpan = soploMaxSpan = 0.0f;
    modPeriod = modForce = playerFade = 0.0f;
    engineMinVolume = engineMaxVolume = engineMinFreq = engineMaxFreq = engineMaxSpeed = 0.0f;
    music.Reset();
}

int32_t CZJEngine::ZJInit()
{
    ZJ_TRACE("CZJEngine::ZJInit");
    const SInitStep* steps = InitSteps();
    for (int i = 0; i < kInitStepCount; ++i)
        steps[i].manager->Init(steps[i].table);
    LoadConfig();
    return ResolveResourceIds();
}

void CZJEngine::LoadConfig()
{
    ZJ_TRACE("CZJEngine::LoadConfig");
    const std::string file = std::string(g_ResourceDBManager.BaseDirectory()) + "DATA\\CONFIG\\cfg.ini";
    auto readInt = [&](const SConfigKey& key) { return float(ReadConfigNumber(file, key)); };
    auto readSound = [&](const SConfigKey& key) {
        char text[256];
        ReadConfigText(file, key, text, sizeof text);
        return FindSoundId(text);
    };
    g_FixCursor = ReadConfigNumber(file, ConfigKey("ZJCONFIG", "FIXCURSOR")) == 1 ? 1 : 0;
    constexpr std::string_view soplo = "SOUND_GL_SOPLO";
    static constexpr const SConfigKey* kSoploKeys[4] = { &ConfigKey(soplo, "SOUND1"),
        &ConfigKey(soplo, "SOUND2"), &ConfigKey(soplo, "SOUND3"), &ConfigKey(soplo, "SOUND4") };
    for (int i = 0; i < 4; ++i)
        soploSounds[i] = readSound(*kSoploKeys[i]);
    soploMinVolume = readInt(ConfigKey(soplo, "MIN_VOLUME")) * 0.01f;
    soploMidSpan = readInt(ConfigKey(soplo, "MID_VOLUME")) * 0.01f;
    soploMaxSpan = readInt(ConfigKey(soplo, "MAX_VOLUME")) * 0.01f;
    playerFade = readInt(ConfigKey(soplo, "PLAYER_FADE")) * 0.01f;
    modForce = readInt(ConfigKey(soplo, "MOD_FORCE")) * 0.01f;
    modPeriod = readInt(ConfigKey(soplo, "MOD_PERIOD")) * 0.001f;
    constexpr std::string_view engine = "SOUND_GL_ENGINE";
    engineSound = readSound(ConfigKey(engine, "SOUND"));
    engineMinVolume = readInt(ConfigKey(engine, "MIN_VOLUME")) * 0.01f;
    engineMaxVolume = readInt(ConfigKey(engine, "MAX_VOLUME")) * 0.01f;
    engineMaxSpeed = readInt(ConfigKey(engine, "MAX_SPEED"));
    engineMinFreq = readInt(ConfigKey(engine, "MIN_FREQ"));
    engineMaxFreq = readInt(ConfigKey(engine, "MAX_FREQ"));
    modForce *= 0.5f;
    soploMaxSpan -= soploMidSpan;
    soploMidSpan -= soploMinVolume;
}

int32_t CZJEngine::ResolveResourceIds()
{
    ZJ_TRACE("CZJEngine::ResolveResourceIds");
    for (int i = 0; i < kWellKnown1Count; ++i)
        ids1[i] = kWellKnown1[i].find(kWellKnown1[i].name);
    for (int i = 0; i < kWellKnown2Count; ++i)
        ids2[i] = kWellKnown2[i].find(kWellKnown2[i].name);
    return ids2[kMusObserver];
}

int CZJEngine::Load(const char* name)
{
    ZJ_TRACE("CZJEngine::Load");
    const std::string base = g_ResourceDBManager.BaseDirectory();
    const std::string mapPath = base + (name ? name : "");
    std::string objectsPath = mapPath;
    objectsPath.back() = 'o';
    {
        XFile probe;
        if (!g_PakManager.OpenXFile(objectsPath.c_str(), probe))
            FailLoad("objects file not found", objectsPath);
        const int64_t size = probe.Size();
        if (size < 0 || !g_PakManager.Open(objectsPath.c_str()))
            FailLoad("objects file not opened", objectsPath);
        CObjectsFileReader::Begin(objectsPath.c_str(), uint64_t(size));
        CurrentFileGuard closeObjects;
        Environment.Reset();
        Location.Purge();
        ZJLoadObjects();
        FerroGroupList.Load();
        std::vector<uint8_t> trade = ReadSection("trade section length");
        XMemBuffer tradeStream;
        tradeStream.Attach(trade.data(), int(trade.size()));
        ZJTrade.Load(tradeStream);
        ZJTrade.UpdatePrices();
        std::vector<uint8_t> musicBytes = ReadSection("music section length");
        XMemBuffer musicStream;
        musicStream.Attach(musicBytes.data(), int(musicBytes.size()));
        music.Load(musicStream);
    }
    std::snprintf(Location.fileName, sizeof Location.fileName, "%s", mapPath.c_str());
    if (!g_PakManager.Open(mapPath.c_str()))
        FailLoad("map file not found", mapPath);
    {
        CurrentFileGuard closeMap;
        Map::Load(Location);
        Location.ReleaseAllMapMeshes();
    }
    if (Location.streamOpen) {
        Location.streamFile.Close();
        Location.streamOpen = 0;
    }
    const int opened = g_PakManager.OpenXFile(mapPath.c_str(), Location.streamFile);
    Location.streamOpen = opened != 0 ? 1 : 0;
    return opened;
}

void CZJEngine::ZJLoadObjects()
{
    ZJ_TRACE("CZJEngine::ZJLoadObjects");
    Location.blocksX = 64;
    Location.blocksY = 64;
    // The file's ids stay as they are while it is read, also when reading fails.
    struct SLoadingScope {
        SLoadingScope() { ObjectList.loading = 1; }
        ~SLoadingScope() { ObjectList.loading = 0; }
    } const loadingScope;
    {
        ZJ_TRACE("PURGE");
        ObjectList.Clear();
    }
    ZJ_TRACE("OBJECTS");
    const uint32_t blocks = CObjectsFileReader::ReadU32("block count");
    CObjectsFileReader::CheckCount(blocks, 4, 0, "block count");
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint32_t code = CObjectsFileReader::ReadU32("block type code");
        if (CZJObjectManager* reader = BlockReader(code)) {
            reader->LoadObjects();
            continue;
        }
        WriteErrorLog("CZJEngine::ZJLoadObjects unknown data type");
        CUnlistedBlockManager unlisted;
        unlisted.LoadObjects();
    }
}

CZJObject* CZJEngine::CreateNetObject(const uint8_t* record)
{
    ZJ_TRACE("CZJEngine::CreateNetObject");
    const SNetRecordFields fields = SNetRecordFields::Read(record);
    switch (fields.kind) {
    case 14:
        return g_GliderManager.CreateNetObject(record);
    case 16:
        return g_MissileManager.CreateNetObject(record);
    case 21: {
        auto thing = std::make_unique<CTheThing>();
        const Matrix4 placement = fields.Placement();
        thing->Init(placement.m, 257);
        thing->networkId = fields.networkId;
        thing->remote = 1;
        thing->owned = 0;
        CTheThing* added = thing.get();
        ObjectList.AddObject(thing.release());
        ObjectList.AddToExtraList(added);
        return added;
    }
    default:
        return nullptr;
    }
}
