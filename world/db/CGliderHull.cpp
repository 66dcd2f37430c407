#include "world/db/CGliderHull.h"

#include "world/db/CGliderManager.h"

void CGliderHull::Assign(SItemRecord record)
{
    item = record;
    const int32_t index = int32_t(record.words[0]);
    type = index == -1 ? nullptr : &g_GliderManager.GetDesc(index);
    absorbed = 0.0f;
    destroyed = 0;
    touched = 0;
    weight = type ? type->weight : 0.0f;
}

void CGliderHull::AbsorbDamage(float& amount)
{
    touched = 1;
    if (!type)
        return;
    const float remaining = type->damage - absorbed;
    if (amount < remaining) {
        absorbed += amount;
        amount = 0.0f;
    } else {
        amount -= remaining;
        absorbed = type->damage;
        destroyed = 1;
    }
}

float CGliderHull::GetWear()
{
    if (!type)
        return 0.0f;
    if (type->damage <= 0.0f)
        return destroyed ? 1.0f : 0.0f;
    return absorbed / type->damage;
}
