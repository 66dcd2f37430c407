#include "ui/WeaponPanel.h"

#include "world/db/CGun.h"
#include "world/db/CGunManager.h"

#include <algorithm>

SWeaponPanel MakeWeaponPanel(const CGun& gun, const SGunType& type, int32_t icon)
{
    SWeaponPanel panel;
    panel.ammoFed = type.usesAmmo ? 1 : 0;
    panel.heatLimited = type.continuous ? 1 : 0;
    panel.charged = type.weaponClass == 1 && type.hasOpenAnimation ? 1 : 0;
    panel.kind = type.weaponClass;
    panel.rate = type.rateOfFire;
    panel.icon = icon;
    panel.ammo = int32_t(gun.ammo);
    const bool heatOnly = panel.heatLimited && !panel.ammoFed;
    panel.overheated = heatOnly ? gun.overheated : 0;
    panel.fireFlash = std::max(0.0f, 1.0f - gun.timeSinceShot);
    panel.firing = panel.fireFlash > 0.0f ? 1 : 0;
    if (panel.ammoFed)
        panel.lowAmmo = (panel.kind == 0 || panel.kind == 1) && gun.ammo < 0.05f * type.ammoCapacity ? 1 : 0;
    else if (heatOnly)
        panel.lowAmmo = panel.overheated;
    if (heatOnly)
        panel.q = 1.0f - gun.heat / type.fireTime;
    else if (!panel.heatLimited && panel.rate < 0.5f)
        panel.q = 1.0f - gun.reloadTimer * panel.rate;
    if (panel.charged) {
        if (gun.openState == CGun::kOpening || gun.openState == CGun::kClosing)
            panel.charge = gun.openTimer / type.openTime;
        else if (gun.openState == CGun::kOpen)
            panel.charge = 1.0f;
    }
    panel.notReady = (panel.ammoFed && panel.ammo == 0) || (heatOnly && panel.overheated)
            || (!panel.heatLimited && panel.q != 1.0f) || (panel.charged && panel.charge != 1.0f)
        ? 1
        : 0;
    panel.readyFlash = gun.readySignal > 0.0f ? 1 : 0;
    return panel;
}
