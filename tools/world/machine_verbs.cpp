#include "tools/world/machine_verbs.h"

#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "foundation/CallTrace.h"
#include "foundation/XMemBuffer.h"
#include "platform/win/text.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CMissileManager.h"

#include <cstdio>
#include <exception>
#include <string>

namespace zoq::tools::world {

namespace {

// A stored name as UTF-8, "-" when empty.
std::string Shown(const char* name)
{
    return name[0] == '\0' ? std::string("-") : plat::win::Cp1251ToUtf8(name);
}

int Index(const SItemRecord& item)
{
    return int32_t(item.words[0]);
}

std::string Ammo(const SItemRecord& item, int32_t count)
{
    return Shown(ItemName(item)) + ":" + std::to_string(count);
}

void PrintPart(const char* kind, const CEquipment& part, const XStringTable& names)
{
    std::printf("part\t%s\t%d\t%s\twear=%.3f\thit=%d\tdestroyed=%d\n", kind, part.index,
        part.index == -1 ? "-" : Shown(names.GetString(part.index)).c_str(), part.wear, part.hit,
        part.destroyed);
}

} // namespace

void PrintConfigs()
{
    for (int i = 0; i < FerrovantConfigList.Count(); ++i) {
        const FerrovantConfig& c = FerrovantConfigList.Get(i);
        std::string eqp;
        for (int k = 0; k < c.itemCount && k < FerrovantConfig::kMaxItems; ++k)
            eqp += (k ? "," : "")
                + Shown(g_EquipmentManager.GetRowNames().GetStringOrDefault(Index(c.items[k].item)));
        std::printf(
            "config\t%d\t%s\trating=%d\tglider=%d\tlight=%d\theavy=%d\trocket=%d\treactor=%d\tengine=%d\t"
            "shield=%d\tarmour=%d\tammo=%s,%s,%s,%s\teqp=%s\n",
            i, Shown(FerrovantConfigList.GetRowNames().GetString(i)).c_str(), c.rating, Index(c.glider),
            Index(c.lightGun), Index(c.heavyGun), Index(c.rocketGun), Index(c.reactor), Index(c.engine),
            Index(c.shield), Index(c.armour), Ammo(c.bomb1, c.numBomb1).c_str(),
            Ammo(c.bomb2, c.numBomb2).c_str(), Ammo(c.rocket1, c.numRocket1).c_str(),
            Ammo(c.rocket2, c.numRocket2).c_str(), eqp.empty() ? "-" : eqp.c_str());
    }
}

bool PrintMachine(const std::vector<uint8_t>& bytes, bool full)
{
    CFerrovant m;
    int used = -1;
    std::vector<uint8_t> copy = bytes;
    if (full) {
        XMemBuffer stream;
        stream.Attach(copy.data(), int(copy.size()));
        try {
            m.LoadGame(stream, true);
            used = stream.Position();
        } catch (const std::exception&) {
            ResetCallTrace();
            return false;
        }
    } else {
        used = m.GetNetBuffer(copy.data(), int(copy.size()));
        if (used < 0)
            return false;
    }
    std::printf(
        "machine\t%s\tbytes=%d\tlevel=%d\trating=%.3f\tdead=%d\tinBuilding=%d\tshield=%.3f\tarmour=%.3f\t"
        "energy=%.3f\n",
        Shown(m.name).c_str(), used, m.level, m.rating, m.dead, m.inBuilding, m.shieldLevel, m.armourLevel,
        m.energy);
    const XStringTable& equipment = g_EquipmentManager.GetRowNames();
    PrintPart("reactor", m.reactor, equipment);
    PrintPart("engine", m.engine, equipment);
    PrintPart("shield", m.shield, equipment);
    PrintPart("armour", m.armour, equipment);
    PrintPart("hull", m.hull, g_GliderManager.GetRowNames());
    if (full) {
        for (int i = 0; i < m.MountedCount(); ++i) {
            const CEquipment& item = m.Mounted(i);
            std::printf("item\t%d\t%s\twear=%.3f\thit=%d\tdestroyed=%d\tactive=%d\n", i,
                Shown(item.Name()).c_str(), item.wear, item.hit, item.destroyed, item.active);
        }
    }
    for (int i = 0; i < m.ammoCount; ++i)
        std::printf("ammo\t%d\t%s\t%d\n", i,
            m.ammo[i].index == -1 ? "-"
                                  : Shown(g_MissileManager.GetRowNames().GetString(m.ammo[i].index)).c_str(),
            m.ammo[i].count);
    if (full) {
        for (int i = 0; i < m.cargo.items.Count(); ++i) {
            const CargoItem& item = m.cargo.items.At(i);
            std::printf("cargo\t%d\t%u\t%s\t%d\t%.3f\n", i, item.kind, Shown(item.name).c_str(), item.count,
                item.price);
        }
        std::printf("bulk\t%.3f\n", m.cargo.bulkAmount);
    }
    return true;
}

} // namespace zoq::tools::world
