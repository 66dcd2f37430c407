#include "world/db/CEquipment.h"

#include "foundation/ErrorLog.h"
#include "world/db/CEquipmentManager.h"

#include <cstring>

CEquipment::CEquipment(const SItemRecord& named)
{
    char name[33] = {};
    std::memcpy(name, named.words, 32);
    const int found = g_EquipmentManager.FindRow(name);
    if (found == -1) {
        WriteErrorLog(std::string("CEquipment::CEquipment Equipment '") + name + "' does not exists.");
        return;
    }
    const uint32_t zeros[7] = {};
    Set(found, zeros);
}

CEquipment::CEquipment(const SEquipmentImage& image)
{
    Set(image.item);
    wear = image.wear;
    weight = image.weight;
    destroyed = image.destroyed;
    hit = image.hit;
    active = image.active;
}

void CEquipment::Set(int32_t rowIndex, const uint32_t* parameters)
{
    SEquipmentType* found = rowIndex == -1 ? nullptr : &g_EquipmentManager.GetEquipment(rowIndex);
    index = rowIndex;
    std::memcpy(params, parameters, sizeof params);
    row = found;
    wear = 0.0f;
    destroyed = 0;
    hit = 0;
    weight = row ? row->weight : 0.0f;
}

void CEquipment::Damage(float* amount)
{
    hit = 1;
    if (!row)
        return;
    const float room = row->damageCapacity - wear;
    if (room > *amount) {
        wear += *amount;
        *amount = 0.0f;
    } else {
        *amount -= room;
        wear = row->damageCapacity;
        destroyed = 1;
    }
}

float CEquipment::WearRatio() const
{
    const float maximum = MaximumWear();
    return maximum == 0.0f ? 0.0f : wear / maximum;
}

SEquipmentImage CEquipment::Image() const
{
    SEquipmentImage image {};
    image.item.words[0] = uint32_t(index);
    std::memcpy(image.item.words + 1, params, sizeof params);
    image.wear = wear;
    image.weight = weight;
    image.destroyed = destroyed;
    image.hit = hit;
    image.active = active;
    return image;
}

const char* CEquipment::Name() const
{
    return g_EquipmentManager.GetRowNames().GetStringOrDefault(index);
}

float CEquipment::Power() const
{
    return row ? row->power : 0.0f;
}

float CEquipment::Maximum() const
{
    return row ? row->value1 : 0.0f;
}

float CEquipment::HitLimit() const
{
    return row ? row->value2 : 0.0f;
}

float CEquipment::Regeneration() const
{
    return row ? row->value3 : 0.0f;
}

float CEquipment::MaximumWear() const
{
    return row ? row->damageCapacity : 0.0f;
}
