// The record of one weapon panel of the cockpit, made from a weapon mount and its weapon row.
#pragma once

#include <cstdint>

class CGun;
struct SGunType;

struct SWeaponPanel {
    uint8_t ammoFed = 0;
    uint8_t overheated = 0;
    uint8_t firing = 0;
    uint8_t lowAmmo = 0;
    uint8_t charged = 0;
    uint8_t heatLimited = 0;
    int32_t icon = 0;
    int32_t ammo = 0;
    int32_t kind = 0;
    float q = 1.0f; // heat left, or the part of the reload done
    float charge = 0.0f;
    float fireFlash = 0.0f; // 1 when the weapon fires, then down to 0
    uint8_t notReady = 0;
    uint8_t readyFlash = 0;
    float rate = 0.0f;
};

// icon: the weapon's for the gun mounts, the projectile type's for the launchers.
SWeaponPanel MakeWeaponPanel(const CGun& gun, const SGunType& type, int32_t icon);
