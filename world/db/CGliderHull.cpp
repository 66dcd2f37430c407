#include "world/db/CGliderHull.h"

#include "world/db/CGliderManager.h"

#include <cstring>

void CGliderHull::Set(int32_t rowIndex, const uint32_t* parameters)
{
    SGliderType* found = rowIndex == -1 ? nullptr : &g_GliderManager.GetDesc(rowIndex);
    index = rowIndex;
    std::memcpy(params, parameters, sizeof params);
    type = found;
    row = nullptr;
    wear = 0.0f;
    destroyed = 0;
    hit = 0;
    weight = type ? type->weight : 0.0f;
}

void CGliderHull::Damage(float* amount)
{
    hit = 1;
    if (!type)
        return;
    const float remaining = type->damage - wear;
    if (*amount < remaining) {
        wear += *amount;
        *amount = 0.0f;
    } else {
        *amount -= remaining;
        wear = type->damage;
        destroyed = 1;
    }
}

float CGliderHull::WearRatio() const
{
    const float maximum = MaximumWear();
    return maximum <= 0.0f ? 0.0f : wear / maximum;
}

float CGliderHull::MaximumWear() const
{
    return type ? type->damage : 0.0f;
}
