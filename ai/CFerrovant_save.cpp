// The machine record's save forms (full and short) and its wire form.
#include "ai/CFerrovant.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rating.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPartCount = 5;
static_assert(
    CFerrovant::kWireFixedBytes == 32 + sizeof(FerrovantConfig) + 4 + kPartCount * 4 + 4 + 2 + 3 * 4);

struct STables {
    const XStringTable& gliders = g_GliderManager.GetRowNames();
    const XStringTable& guns = g_GunManager.GetRowNames();
    const XStringTable& equipment = g_EquipmentManager.GetRowNames();
    const XStringTable& ammunition = g_MissileManager.GetRowNames();
};

void ToName(SItemRecord& item, const XStringTable& names)
{
    SetItemName(item, names.GetStringOrDefault(int32_t(item.words[0])));
}

void ToIndex(SItemRecord& item, const XStringTable& names)
{
    reinterpret_cast<char*>(item.words)[31] = '\0';
    item.words[0] = uint32_t(names.Find(ItemName(item)));
}

// The glider, gun and part items and the stocks, from indices to names or back.
void ConvertItems(FerrovantConfig& config, AmmoStock* stocks, int count, bool toNames)
{
    const STables tables;
    auto convert = [toNames](SItemRecord& item, const XStringTable& names) {
        toNames ? ToName(item, names) : ToIndex(item, names);
    };
    convert(config.glider, tables.gliders);
    convert(config.lightGun, tables.guns);
    convert(config.heavyGun, tables.guns);
    convert(config.rocketGun, tables.guns);
    convert(config.reactor, tables.equipment);
    convert(config.engine, tables.equipment);
    convert(config.shield, tables.equipment);
    convert(config.armour, tables.equipment);
    for (int i = 0; i < count; ++i)
        convert(reinterpret_cast<SItemRecord&>(stocks[i]), tables.ammunition);
}

// The names of a configuration image read from outside end inside their fields.
void TerminateNames(FerrovantConfig& config)
{
    config.name[sizeof config.name - 1] = '\0';
    for (SItemRecord* item : { &config.glider, &config.lightGun, &config.heavyGun, &config.rocketGun,
             &config.reactor, &config.engine, &config.shield, &config.armour, &config.bomb1, &config.bomb2,
             &config.rocket1, &config.rocket2 })
        reinterpret_cast<char*>(item->words)[31] = '\0';
}

// A wear read from outside: 0 for anything not a finite value of 0 or more.
float SaneWear(float wear)
{
    return std::isfinite(wear) && wear > 0.0f ? wear : 0.0f;
}

// Bounds-checked reading of the bytes of one record.
class CRecordReader {
public:
    CRecordReader(const uint8_t* bytes, int available)
        : m_bytes(bytes)
        , m_left(available)
    {
    }
    void Read(void* out, int n, const char* what)
    {
        if (n < 0 || n > m_left)
            throw Refusal { what };
        if (n > 0)
            std::memcpy(out, m_bytes + m_used, size_t(n));
        m_used += n;
        m_left -= n;
    }
    template <class T> T Value(const char* what)
    {
        T value;
        Read(&value, int(sizeof value), what);
        return value;
    }
    // A count of records of unit bytes each, at most limit (0: any), that must fit the rest.
    uint32_t Count(int unit, uint32_t limit, const char* what)
    {
        const uint32_t count = Value<uint32_t>(what);
        if ((limit != 0 && count > limit) || uint64_t(count) * uint64_t(unit) > uint64_t(m_left))
            throw Refusal { what };
        return count;
    }
    int Used() const { return m_used; }

    struct Refusal {
        const char* what;
    };

private:
    const uint8_t* m_bytes;
    int m_left;
    int m_used = 0;
};

// What both save forms and the wire carry after the configuration and its lists.
struct SStateTail {
    float wear[kPartCount];
    float rating;
    float respawnTime;
    uint8_t dead;
    uint8_t inBuilding;
    float shieldLevel;
    float armourLevel;
    float energy;
};

void ReadTail(CRecordReader& in, SStateTail& tail, bool withRespawn)
{
    for (float& wear : tail.wear)
        wear = in.Value<float>("part wear");
    tail.rating = in.Value<float>("rating");
    tail.respawnTime = withRespawn ? in.Value<float>("respawn time") : 0.0f;
    tail.dead = in.Value<uint8_t>("dead mark");
    tail.inBuilding = in.Value<uint8_t>("building mark");
    tail.shieldLevel = in.Value<float>("shield level");
    tail.armourLevel = in.Value<float>("armour level");
    tail.energy = in.Value<float>("energy");
}

} // namespace

void CFerrovant::ConvertIds(bool toNames)
{
    ConvertItems(config, ammo, std::clamp(ammoCount, 0, kMaxAmmo), toNames);
}

void CFerrovant::MarkWear(CEquipment& part, float savedWear)
{
    const float wear = SaneWear(savedWear);
    if (wear == 0.0f)
        return;
    part.wear = wear;
    float none = 0.0f;
    part.Damage(&none);
}

void CFerrovant::SaveGame(XMemBuffer& stream, bool full)
{
    ZJ_TRACE("CFerrovant::SaveGame");
    UpdateEquipment();
    const int stocks = std::clamp(ammoCount, 0, kMaxAmmo);
    if (full) {
        FerrovantConfig named = config;
        AmmoStock namedStocks[kMaxAmmo];
        std::copy(ammo, ammo + stocks, namedStocks);
        ConvertItems(named, namedStocks, stocks, true);
        stream.WriteValue(named);
        stream.WriteValue(uint32_t(mountedCount));
        for (int i = 0; i < mountedCount; ++i) {
            SEquipmentImage image = mounted[i]->Image();
            SetItemName(image.item, mounted[i]->Name());
            stream.WriteValue(image);
        }
        stream.WriteValue(uint32_t(stocks));
        stream.Write(namedStocks, int(sizeof(AmmoStock)) * stocks);
    } else {
        for (int i = 0; i < mountedCount; ++i)
            stream.WriteValue(mounted[i]->wear);
    }
    for (const CEquipment* part : Parts())
        stream.WriteValue(part->wear);
    stream.WriteValue(rating);
    stream.WriteValue(respawnTime);
    stream.WriteValue(dead);
    stream.WriteValue(inBuilding);
    stream.WriteValue(shieldLevel);
    stream.WriteValue(armourLevel);
    stream.WriteValue(energy);
    if (full)
        stream.WriteValue(cargo.bulkAmount);
    stream.WriteValue(uint32_t(cargo.items.Count()));
    stream.Write(cargo.items.Data(), int(sizeof(CargoItem)) * cargo.items.Count());
}

void CFerrovant::LoadGame(XMemBuffer& stream, bool full)
{
    ZJ_TRACE("CFerrovant::LoadGame");
    CRecordReader in(stream.Current(), stream.Remaining());
    FerrovantConfig newConfig {};
    std::vector<SEquipmentImage> images;
    AmmoStock stocks[kMaxAmmo] = {};
    uint32_t stockCount = 0;
    std::vector<float> itemWear;
    SStateTail tail {};
    float bulk = cargo.bulkAmount;
    std::vector<CargoItem> items;
    try {
        if (full) {
            in.Read(&newConfig, int(sizeof newConfig), "configuration");
            images.resize(in.Count(int(sizeof(SEquipmentImage)), kMaxMounted, "mounted item count"));
            in.Read(images.data(), int(images.size() * sizeof(SEquipmentImage)), "mounted items");
            stockCount = in.Count(int(sizeof(AmmoStock)), kMaxAmmo, "ammunition count");
            in.Read(stocks, int(stockCount * sizeof(AmmoStock)), "ammunition");
        } else {
            itemWear.resize(size_t(mountedCount));
            for (float& wear : itemWear)
                wear = in.Value<float>("item wear");
        }
        ReadTail(in, tail, true);
        if (full)
            bulk = in.Value<float>("bulk amount");
        items.resize(in.Count(int(sizeof(CargoItem)), 0, "cargo count"));
        in.Read(items.data(), int(items.size() * sizeof(CargoItem)), "cargo");
    } catch (const CRecordReader::Refusal& refusal) {
        WriteErrorLog(std::string("CFerrovant::LoadGame bad record at ") + refusal.what);
        throw XRangeError();
    }
    stream.Skip(in.Used());

    if (full) {
        TerminateNames(newConfig);
        std::vector<std::unique_ptr<CEquipment>> newItems;
        for (SEquipmentImage& image : images) {
            reinterpret_cast<char*>(image.item.words)[31] = '\0';
            SItemRecord named {};
            SetItemName(named, ItemName(image.item));
            auto item = std::make_unique<CEquipment>(named);
            if (item->index != -1)
                newItems.push_back(std::move(item));
        }
        config = newConfig;
        ClearMounted();
        for (auto& item : newItems)
            AddMounted(std::move(item));
        std::copy(stocks, stocks + stockCount, ammo);
        ammoCount = int32_t(stockCount);
        ConvertIds(false);
        ApplyConfig(-1, false, 0);
    } else {
        for (int i = 0; i < mountedCount; ++i)
            mounted[i]->wear = SaneWear(itemWear[size_t(i)]);
    }
    for (int i = 0; i < kPartCount; ++i)
        MarkWear(*Parts()[size_t(i)], tail.wear[i]);
    rating = tail.rating;
    UpdateRatingLevel(rating, level);
    if (IsPlayer())
        level = std::max(level, 1);
    respawnTime = tail.respawnTime;
    dead = tail.dead;
    inBuilding = tail.inBuilding;
    shieldLevel = tail.shieldLevel;
    armourLevel = tail.armourLevel;
    energy = tail.energy;
    cargo.bulkAmount = bulk;
    cargo.items.Done();
    for (CargoItem& item : items) {
        item.name[sizeof item.name - 1] = '\0';
        if (item.kind > CargoItem::kCaptured) {
            char line[128];
            std::snprintf(line, sizeof line, "CFerrovants::LoadGame error TYPE: %d ID=%s NUM=%d",
                int(item.kind), item.name, int(item.count));
            WriteErrorLog(line);
            continue;
        }
        cargo.items.Add(item);
    }
}

void CFerrovant::PutNetBuffer(XMemBuffer& out)
{
    ZJ_TRACE("CFerrovant::PutNetBuffer");
    UpdateEquipment();
    const int stocks = std::clamp(ammoCount, 0, kMaxAmmo);
    FerrovantConfig named = config;
    AmmoStock namedStocks[kMaxAmmo];
    std::copy(ammo, ammo + stocks, namedStocks);
    ConvertItems(named, namedStocks, stocks, true);
    out.Write(name, int(sizeof name));
    out.WriteValue(named);
    out.WriteValue(uint32_t(stocks));
    out.Write(namedStocks, int(sizeof(AmmoStock)) * stocks);
    for (const CEquipment* part : Parts())
        out.WriteValue(part->wear);
    out.WriteValue(rating);
    out.WriteValue(dead);
    out.WriteValue(inBuilding);
    out.WriteValue(shieldLevel);
    out.WriteValue(armourLevel);
    out.WriteValue(energy);
}

int CFerrovant::GetNetBuffer(const uint8_t* bytes, int available)
{
    ZJ_TRACE("CFerrovant::GetNetBuffer");
    CRecordReader in(bytes, std::max(available, 0));
    char newName[32];
    FerrovantConfig newConfig {};
    AmmoStock stocks[kMaxAmmo] = {};
    uint32_t stockCount = 0;
    SStateTail tail {};
    try {
        in.Read(newName, int(sizeof newName), "name");
        in.Read(&newConfig, int(sizeof newConfig), "configuration");
        stockCount = in.Count(int(sizeof(AmmoStock)), kMaxAmmo, "ammunition count");
        in.Read(stocks, int(stockCount * sizeof(AmmoStock)), "ammunition");
        ReadTail(in, tail, false);
    } catch (const CRecordReader::Refusal& refusal) {
        WriteErrorLog(std::string("CFerrovant::GetNetBuffer refused ") + std::to_string(available)
            + " bytes at " + refusal.what);
        return -1;
    }
    std::memcpy(name, newName, sizeof name);
    name[sizeof name - 1] = '\0';
    TerminateNames(newConfig);
    config = newConfig;
    std::copy(stocks, stocks + stockCount, ammo);
    ammoCount = int32_t(stockCount);
    ConvertIds(false);
    ApplyConfig(-1, false, 0);
    for (int i = 0; i < kPartCount; ++i)
        MarkWear(*Parts()[size_t(i)], tail.wear[i]);
    rating = tail.rating;
    dead = tail.dead;
    inBuilding = tail.inBuilding;
    shieldLevel = tail.shieldLevel;
    armourLevel = tail.armourLevel;
    energy = tail.energy;
    return in.Used();
}
