// SWeatherState: one weather record of a location, 428 bytes as it stands in the map file's
// environment chunk and in the save game. Texture names are NUL-terminated in their 32-byte
// fields; at load each is replaced in place by its texture index (first four bytes, -1 when
// unknown) and the rest of the field is zeroed.
#pragma once

#include <cstddef>
#include <cstdint>

struct STextureRef {
    int32_t index;
    uint8_t rest[28];
};

struct SWeatherState {
    uint8_t unused0[64];
    uint8_t kind; // 0 day weather, 1 night weather
    uint8_t unused65[3];
    uint32_t skyColour1;
    uint32_t fogToward1; // fog colour toward the sun, set 1
    uint32_t fogAway1;
    int32_t fogMode; // 1 exponential, 2 exponential squared, 3 linear; 0 is taken as 2
    float fogStart;
    float fogEnd;
    float fogDensity;
    STextureRef cloud1;
    STextureRef cloud2;
    float cloudScale1;
    float cloudScale2;
    float scroll1[2];
    uint32_t unused176;
    float scroll2[2];
    uint32_t unused188;
    STextureRef sun;
    uint32_t ambient;
    uint32_t sunColour;
    uint32_t moonColour;
    STextureRef moon;
    float weight;
    STextureRef sky1;
    STextureRef sky2;
    uint32_t skyColour2;
    float wind[3];
    uint32_t effectFlags; // bit 0 rain, bit 1 snow, bit 2 storm
    float effectIntensity; // 1.0 = 8000 particles
    float effectWindow;
    float effectChance;
    uint32_t fogToward2;
    uint32_t fogAway2;
    uint8_t unused376[52];

    // The six texture fields in file order: cloud 1, cloud 2, sun, moon, sky 1, sky 2.
    static constexpr size_t kTextureFields[6] = { 96, 128, 192, 236, 272, 304 };
};

static_assert(sizeof(SWeatherState) == 428);
static_assert(offsetof(SWeatherState, kind) == 64 && offsetof(SWeatherState, fogMode) == 80);
static_assert(offsetof(SWeatherState, cloud1) == 96 && offsetof(SWeatherState, scroll1) == 168);
static_assert(offsetof(SWeatherState, scroll2) == 180 && offsetof(SWeatherState, sun) == 192);
static_assert(offsetof(SWeatherState, moon) == 236 && offsetof(SWeatherState, weight) == 268);
static_assert(offsetof(SWeatherState, sky1) == 272 && offsetof(SWeatherState, skyColour2) == 336);
static_assert(offsetof(SWeatherState, effectFlags) == 352 && offsetof(SWeatherState, fogToward2) == 368);
