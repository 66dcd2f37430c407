// The weapon panel record from a mount and its weapon row, and the screen layer's pure colours
// and ratios: the veil, the warning sign and the target's armour bar.
#include "ui/CMessager.h"
#include "ui/CRenderer.h"
#include "ui/WeaponPanel.h"
#include "world/db/CGun.h"
#include "world/db/CGunManager.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct SMount {
    uint8_t usesAmmo = 0;
    uint8_t continuous = 0;
    int32_t weaponClass = 0;
    uint8_t openAnimation = 0;
    float rate = 1.0f;
    float ammo = 0.0f;
    float heat = 0.0f;
    uint8_t overheated = 0;
    float reload = 0.0f;
    int32_t openState = CGun::kOpenClosed;
    float openTimer = 0.0f;
    float sinceShot = 1.5f;
    float readySignal = 0.0f;
};

struct SExpect {
    uint8_t lowAmmo, charged, heatLimited;
    int32_t ammo;
    float q, charge;
    uint8_t firing, notReady, readyFlash;
};

struct SCase {
    const char* what;
    SMount mount;
    SExpect expect;
};

SWeaponPanel Make(const SMount& m)
{
    SGunType type {};
    type.usesAmmo = m.usesAmmo;
    type.continuous = m.continuous;
    type.weaponClass = m.weaponClass;
    type.hasOpenAnimation = m.openAnimation;
    type.rateOfFire = m.rate;
    type.ammoCapacity = 100.0f;
    type.fireTime = 10.0f;
    type.openTime = 2.0f;
    type.icon = 7;
    CGun gun;
    gun.ammo = m.ammo;
    gun.heat = m.heat;
    gun.overheated = m.overheated;
    gun.reloadTimer = m.reload;
    gun.openState = m.openState;
    gun.openTimer = m.openTimer;
    gun.timeSinceShot = m.sinceShot;
    gun.readySignal = m.readySignal;
    return MakeWeaponPanel(gun, type, 7);
}

TEST(WeaponPanelTest, mountStatesGiveTheRecordFields)
{
    const SCase cases[] = {
        { "full rockets", { .usesAmmo = 1, .ammo = 40.0f }, { 0, 0, 0, 40, 1.0f, 0.0f, 0, 0, 0 } },
        { "rockets low", { .usesAmmo = 1, .ammo = 4.9f }, { 1, 0, 0, 4, 1.0f, 0.0f, 0, 0, 0 } },
        { "no rockets", { .usesAmmo = 1, .ammo = 0.0f }, { 1, 0, 0, 0, 1.0f, 0.0f, 0, 1, 0 } },
        { "kind 2 never low", { .usesAmmo = 1, .weaponClass = 2, .ammo = 1.0f },
            { 0, 0, 0, 1, 1.0f, 0.0f, 0, 0, 0 } },
        { "cool beam", { .continuous = 1, .heat = 2.5f }, { 0, 0, 1, 0, 0.75f, 0.0f, 0, 0, 0 } },
        { "overheated beam", { .continuous = 1, .heat = 10.0f, .overheated = 1 },
            { 1, 0, 1, 0, 0.0f, 0.0f, 0, 1, 0 } },
        { "slow gun reloading", { .rate = 0.25f, .reload = 2.0f }, { 0, 0, 0, 0, 0.5f, 0.0f, 0, 1, 0 } },
        { "fast gun reloading", { .rate = 5.0f, .reload = 0.1f }, { 0, 0, 0, 0, 1.0f, 0.0f, 0, 0, 0 } },
        { "charging",
            { .weaponClass = 1, .openAnimation = 1, .openState = CGun::kOpening, .openTimer = 0.5f },
            { 0, 1, 0, 0, 1.0f, 0.25f, 0, 1, 0 } },
        { "charged", { .weaponClass = 1, .openAnimation = 1, .openState = CGun::kOpen, .readySignal = 0.3f },
            { 0, 1, 0, 0, 1.0f, 1.0f, 0, 0, 1 } },
        { "closed charger", { .weaponClass = 1, .openAnimation = 1 }, { 0, 1, 0, 0, 1.0f, 0.0f, 0, 1, 0 } },
        { "just fired", { .sinceShot = 0.25f }, { 0, 0, 0, 0, 1.0f, 0.0f, 1, 0, 0 } },
    };
    for (const SCase& c : cases) {
        const SWeaponPanel p = Make(c.mount);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(p.lowAmmo, c.expect.lowAmmo);
        EXPECT_EQ(p.charged, c.expect.charged);
        EXPECT_EQ(p.heatLimited, c.expect.heatLimited);
        EXPECT_EQ(p.ammo, c.expect.ammo);
        EXPECT_FLOAT_EQ(p.q, c.expect.q);
        EXPECT_FLOAT_EQ(p.charge, c.expect.charge);
        EXPECT_EQ(p.firing, c.expect.firing);
        EXPECT_EQ(p.notReady, c.expect.notReady);
        EXPECT_EQ(p.readyFlash, c.expect.readyFlash);
        EXPECT_EQ(p.icon, 7);
    }
    EXPECT_FLOAT_EQ(Make({ .sinceShot = 0.25f }).fireFlash, 0.75f);
}

TEST(ScreenColoursTest, veilFollowsTheTransitionTimer)
{
    // State 1 at t = 5: alpha 255 x (0.25 + 0.026666667 x 4.5), below 0.5: the plain blue-grey.
    const uint32_t veil = VeilColour(1, 5.0f);
    EXPECT_EQ(veil >> 24, uint32_t(255.0f * (0.25f + 0.026666667f * 4.5f)));
    EXPECT_EQ(veil & 0xFFFFFF, 0x6060A0u);
    EXPECT_EQ(VeilColour(0, 3.0f) >> 24, 127u); // any other state: 0.5
    EXPECT_EQ(VeilColour(1, 1.0f), 0xFFFFFFFFu); // x = 1: opaque white
    EXPECT_EQ(VeilColour(3, 10.0f), 0x7F6060A0u); // x = 0: half
}

TEST(ScreenColoursTest, armourRatioOfAMachineWithoutMaximaIsZero)
{
    EXPECT_FLOAT_EQ(TargetArmourRatio(100.0f, 50.0f, 20.0f, 50.0f), (25.0f + 20.0f) / 100.0f);
    EXPECT_EQ(TargetArmourRatio(0.0f, 0.0f, 0.0f, 0.0f), 0.0f);
    EXPECT_EQ(TargetArmourRatio(-10.0f, 0.0f, 3.0f, 4.0f), 0.0f);
    EXPECT_FALSE(std::isnan(TargetArmourRatio(0.0f, 5.0f, 1.0f, 0.0f)));
}

// Each channel within one step of the expected colour.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 1)
            return ::testing::AssertionFailure() << std::hex << actual << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(ScreenColoursTest, warningSignPulses)
{
    // At a whole number of pulses p = 1, q = 1: every sign flashes white.
    for (const int sign : { 3, 5, 6, 7 })
        EXPECT_TRUE(Near(WarningSignColour(sign, 0.0), 0xFFFFFFFFu)) << sign;
    // Halfway through a pulse p = 0.625, q = 0.8: the plain colours.
    const double half = 1.0 / 3.0;
    EXPECT_TRUE(Near(WarningSignColour(5, half), 0x9FFFFF00u));
    EXPECT_TRUE(Near(WarningSignColour(6, half), 0x9FFF8000u));
    EXPECT_TRUE(Near(WarningSignColour(7, half), 0x9F000000u));
    EXPECT_TRUE(Near(WarningSignColour(0, half), 0x9FFF2C00u));
}

TEST(StripMarkupTest, removesAngleBrackets)
{
    EXPECT_EQ(StripMarkup("<link:RUN>Bob</link>"), "link:RUNBob/link");
    EXPECT_EQ(StripMarkup("plain"), "plain");
}

} // namespace
