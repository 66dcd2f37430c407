#include "ai/CFerrovantConfigList.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/text.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"

#include <cstring>
#include <memory>
#include <string>

CFerrovantConfigList FerrovantConfigList;

const char* const CFerrovantConfigList::kEquipmentFields[kEquipmentFieldCount] = {
    "EQP_HI-POWER_ANTIGRAV",
    "EQP_BOOSTER",
    "EQP_INVISIBILITY_SHIELD",
    "EQP_MOBILIZER",
    "EQP_BRAKE_BOOSTER",
    "EQP_ZERO_THICKENER",
    "EQP_JUMP_CONCENTRATOR",
    "EQP_FUEL_EXPANDER",
    "EQP_CONTROL_BOOSTER",
    "EQP_ELM_STABILIZER",
    "EQP_ANTIROCKET_SYSTEM",
    "EQP_DISPERSE_SHIELD",
    "EQP_RADIATION_SHIELD",
    "EQP_CRYOGENERATOR",
    "EQP_ACCELERATOR",
    "EQP_ENERGY_RECYCLER",
};

namespace {

constexpr size_t kTextRoom = 4096;

// Reads one text field of the row into out (room bytes with the terminator); true when cut.
bool ReadText(const char* key, const char* field, char* out, size_t room)
{
    auto text = std::make_unique<char[]>(kTextRoom);
    g_ResourceDBManager.GetString(key, field, text.get(), kTextRoom);
    const size_t length = strnlen(text.get(), kTextRoom - 1);
    const size_t kept = length < room ? length : room - 1;
    std::memset(out, 0, room);
    std::memcpy(out, text.get(), kept);
    return kept < length;
}

bool ReadItem(const char* key, const char* field, SItemRecord& item)
{
    return ReadText(key, field, reinterpret_cast<char*>(item.words), sizeof item.words);
}

// Replaces the item's first word by the name's row; a missing name gives fallback, logged as
// "<what> '<item>' из конфигурации '<configuration>' не обнаружен" when what is given.
void Resolve(SItemRecord& item, int row, int fallback, const char* what, const char* configName)
{
    if (row == -1 && what != nullptr)
        WriteErrorLog(std::string(what) + " '" + ItemName(item) + "' " + CP1251("из конфигурации") + " '"
            + configName + "' " + CP1251("не обнаружен"));
    item.words[0] = uint32_t(row == -1 ? fallback : row);
}

} // namespace

void CFerrovantConfigList::Init(const char* table)
{
    ZJ_TRACE("CFerrovantConfigList::Init");
    DefaultManager::Init(table);
    m_configs.Done();
    const int count = m_rowCount;
    if (count <= 0)
        return;
    m_configs.AddEmpty(true, count);
    for (int i = 0; i < count; ++i) {
        const char* key = m_rowNames.GetString(i);
        FerrovantConfig& config = m_configs.At(i);
        bool cut = ReadText(key, "NAME", config.name, sizeof config.name);
        config.rating = g_ResourceDBManager.GetIntegerField(key, "RATING");
        cut |= ReadItem(key, "GLIDER", config.glider);
        cut |= ReadItem(key, "LIGHTGUN1", config.lightGun);
        cut |= ReadItem(key, "HEAVYGUN1", config.heavyGun);
        cut |= ReadItem(key, "ROCKETGUN", config.rocketGun);
        cut |= ReadItem(key, "BOMB1", config.bomb1);
        cut |= ReadItem(key, "BOMB2", config.bomb2);
        cut |= ReadItem(key, "ROCKET1", config.rocket1);
        cut |= ReadItem(key, "ROCKET2", config.rocket2);
        config.numBomb1 = g_ResourceDBManager.GetIntegerField(key, "NUMBOMB1");
        config.numBomb2 = g_ResourceDBManager.GetIntegerField(key, "NUMBOMB2");
        config.numRocket1 = g_ResourceDBManager.GetIntegerField(key, "NUMROCKET1");
        config.numRocket2 = g_ResourceDBManager.GetIntegerField(key, "NUMROCKET2");
        cut |= ReadItem(key, "REACTOR", config.reactor);
        cut |= ReadItem(key, "ENGINE", config.engine);
        cut |= ReadItem(key, "SHIELD", config.shield);
        cut |= ReadItem(key, "ARMOR", config.armour);
        if (cut)
            WriteErrorLog(std::string("CFerrovantConfigList::Init long text cut in row '") + key + "'");
        for (const char* field : kEquipmentFields) {
            if (g_ResourceDBManager.GetIntegerField(key, field) != 1)
                continue;
            SItemRecord named {};
            SetItemName(named, field);
            const CEquipment item(named);
            if (item.index != -1)
                config.items[config.itemCount++] = item.Image();
        }
    }
    const XStringTable& gliders = g_GliderManager.GetRowNames();
    const XStringTable& equipment = g_EquipmentManager.GetRowNames();
    const XStringTable& guns = g_GunManager.GetRowNames();
    for (FerrovantConfig& config : m_configs) {
        auto find
            = [](const XStringTable& names, const SItemRecord& item) { return names.Find(ItemName(item)); };
        Resolve(config.glider, find(gliders, config.glider), 0, CP1251("Глайдер"), config.name);
        Resolve(config.engine, find(equipment, config.engine), 0, CP1251("Движок"), config.name);
        Resolve(config.reactor, find(equipment, config.reactor), 0, CP1251("Реактор"), config.name);
        Resolve(config.lightGun, find(guns, config.lightGun), -1, nullptr, config.name);
        Resolve(config.heavyGun, find(guns, config.heavyGun), -1, nullptr, config.name);
        Resolve(config.rocketGun, find(guns, config.rocketGun), -1, nullptr, config.name);
        Resolve(config.shield, find(equipment, config.shield), -1, nullptr, config.name);
        Resolve(config.armour, find(equipment, config.armour), -1, nullptr, config.name);
    }
}
