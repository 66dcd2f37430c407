// CEnvironment: the location's day clock, sun and moon, sky colours and textures of the moment,
// fog, the weather records with the choice between them and the weather's particle effect, the
// sky and horizon drawing, the environment chunk of the map file and the save-game section.
// One global instance, Environment. Main thread only.
//
// Files: CEnvironment.cpp (construction), _clock (frame step, day phases, sun and moon, glare,
// hour lights), _weather (choice, switch, blend, effect upkeep), _sky (fog, background, sky,
// horizon, effects), _save (map chunk, reset, save section).
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "world/terrain/CEnvFX.h"
#include "world/terrain/SWeatherState.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Mesh;
class XMemBuffer;

class CEnvironment {
public:
    static constexpr int kSaveSize = 925;
    static constexpr int kStateSize = 765;
    static constexpr uint32_t kChunkHeadSize = 164;

    CEnvironment();
    ~CEnvironment();
    CEnvironment(const CEnvironment&) = delete;
    CEnvironment& operator=(const CEnvironment&) = delete;

    // Clock, sun and glare.
    void Run(float dt);
    void UpdateSunAndMoon();
    void UpdatePeriodFraction();
    // ((w & maskA) >> shiftA) x weightA + ((w & maskB) >> shiftB) x weightB.
    float DecodePackedValue(uint32_t word) const;

    // Weather.
    int ChooseWeather(int kind);
    void SetWeather(int index, bool initial);
    void BlendWeather();
    void ArmEffectWindow();
    // The record at index; throws std::out_of_range outside the list.
    SWeatherState& Weather(int index) { return weathers.at(size_t(index)); }
    int WeatherCount() const { return int(weathers.size()); }

    // Sky, horizon and fog.
    void SetFog(bool on, float scale, float offset);
    void ClearBackground();
    // Clears to the water's colour when the camera is under a surface of its cell.
    void ClearUnderwater();
    void RenderEnv();
    void RenderFX(bool skipParticles);
    void InitSky();
    void UpdateHorizont();
    void FreeSkyMeshes();
    void DrawCloudLayer(int texture, const Matrix4& m, float alpha);
    // The horizon split angle in degrees for a screen: 85 x 0.75 x width / height, within 83..89.9.
    static float SplitAngle(int width, int height);
    // The triangles (index triples) of the horizon that go to the +x, +y, -x and -y meshes: those
    // with a vertex whose |y| x factor < x (and likewise for the others).
    static std::array<std::vector<uint16_t>, 4> SplitHorizon(
        const std::vector<Vec3>& positions, const std::vector<uint16_t>& indices, float factor);

    // Settings and save.
    // Reads chunk 2 from the file layer's current file; payloadSize bounds what it may read.
    void Load(uint32_t payloadSize);
    // Takes chunk 2 from bytes; false (logged, nothing changed) when they do not hold it.
    bool LoadChunk(const uint8_t* bytes, size_t size);
    void Reset();
    void SaveGame(XMemBuffer& buffer);
    // False (logged, nothing changed) when fewer than 925 bytes remain.
    bool LoadGame(XMemBuffer& buffer);
    void WriteState(XMemBuffer& buffer);
    bool ReadState(XMemBuffer& buffer);

    // The weather effect of the current state (null when none).
    CEnvFX* Effect() const { return effect.get(); }

    uint8_t horizonFlag = 1;
    uint8_t frozen = 1; // the clock stands still; the game flow clears it at location load
    float hour = 12.0f;
    float moonClock = 0.0f;
    float dayCounter = 1.5f;
    Vec3 sunVector {};
    Vec3 moonVector {};
    float sunGlareLimit = 0.0f;
    float sunRedLevel = 0.0f;
    float skyLightLevel = 0.0f;
    float sunBrightness = 0.0f;
    int32_t horizonModel = -1;
    uint8_t transition = 0;
    float transitionFactor = 0.0f;
    float periodFraction = 0.0f;
    uint32_t fogColour = 0;
    // Cloud layers 1 and 2 of the active weather, then of the next.
    Matrix4 cloudMatrix[4] {};
    int32_t skyA = -1;
    int32_t skyB = -1;
    float skyBlend = 0.0f;
    uint32_t skyColour = 0;
    float sunGlare = 0.0f;
    std::unique_ptr<CEnvFX> effect;
    float windowStart = 0.0f;
    float windowLength = 0.0f;
    Vec3 wind {};
    SWeatherState current {};
    int32_t active = -1;
    int32_t next = -1;
    int32_t previous = -1;
    std::vector<SWeatherState> weathers;
    // Terrain hour-light selection.
    uint32_t lightMaskA = 0;
    uint32_t lightShiftA = 0;
    float lightWeightA = 0.0f;
    uint32_t lightMaskB = 0;
    uint32_t lightShiftB = 0;
    float lightWeightB = 0.0f;
    // Script height threshold: -1000 after construction and every Load.
    float dieHeight = -1000.0f;

    // Sky meshes: backdrop (44 vertices, 66 indices) and cloud dome (400, 2166).
    std::unique_ptr<Mesh> backdrop;
    std::unique_ptr<Mesh> cloudDome;
    // The horizon split into the meshes facing +x, +y, -x, -y.
    float sectorFactor = 1.0f;
    float splitFactor = 0.0f;
    std::unique_ptr<Mesh> horizonMeshes[4];

private:
    void BlendDayPhase();
    void UpdateGlare();
    void UpdateHourLights();
    void RunEffect(float dt);
    void ResolveTextures(SWeatherState& record) const;
    void DrawDisc(const Vec3& position, float size, int shader, int t0, int t1, float alpha);
};

extern CEnvironment Environment;

// The day counter in days (also the save header's game time) and the hour of the day.
inline float& GameTimeDays()
{
    return Environment.dayCounter;
}
inline float& TimeOfDay()
{
    return Environment.hour;
}
