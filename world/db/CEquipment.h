// CEquipment: one fitted item of a machine (reactor, engine, shield, armour, gun or device), its
// row of the equipment table, its wear and marks. SItemRecord is the eight-word item record:
// the row index (or, in text form, the name) and seven parameter words kept as they stand.
#pragma once

#include <cstdint>

struct SEquipmentType;

struct SItemRecord {
    uint32_t words[8];
};

// The 56-byte image of an item as configurations, save games and the wire hold it.
struct SEquipmentImage {
    uint32_t reserved;
    SItemRecord item;
    float wear;
    float weight;
    uint8_t destroyed;
    uint8_t hit;
    uint8_t padding1[2];
    uint8_t active;
    uint8_t padding2[3];
    uint32_t reserved2;
};
static_assert(sizeof(SEquipmentImage) == 56);

class CEquipment {
public:
    // An empty item (index -1).
    CEquipment() = default;
    // From an item record in text form: the name's row, or an empty item logged as missing.
    explicit CEquipment(const SItemRecord& named);
    // A copy of an image; the row is taken from the index (the range exception for a bad one).
    explicit CEquipment(const SEquipmentImage& image);
    virtual ~CEquipment() = default;
    CEquipment(const CEquipment&) = delete;
    CEquipment& operator=(const CEquipment&) = delete;

    // Index -1 empties the item; another index must be a row. Wear and marks are cleared.
    virtual void Set(int32_t row, const uint32_t* params);
    // Sets the hit mark and takes what the wear can still absorb; the rest stays in amount.
    virtual void Damage(float* amount);
    // wear / maximum wear; 0 without a row or for a maximum of 0.
    virtual float WearRatio() const;

    void Set(const SItemRecord& item) { Set(int32_t(item.words[0]), item.words + 1); }
    SEquipmentImage Image() const;
    // The row's name, "_DEFAULT_" for an empty item.
    const char* Name() const;
    // The row's values, 0 for an empty item.
    float Power() const;
    float Maximum() const;
    float HitLimit() const;
    float Regeneration() const;
    float MaximumWear() const;

    int32_t index = -1;
    uint32_t params[7] = {};
    float wear = 0.0f;
    float weight = 0.0f;
    uint8_t destroyed = 0;
    uint8_t hit = 0;
    uint8_t active = 0;
    SEquipmentType* row = nullptr;
};
