// CTheThing (type 21): a small glowing object on the ground holding up to ten content items
// (goods, ammunition, money or a machine's core). A glider that slows over it takes it: the items
// go into the glider's machine record, the thing rises for 0.5 s and is deleted. Kinds: 257 a
// machine's core, 513 a container, 514 a yellow container, 515 money.
#pragma once

#include "render/CVertexData.h"
#include "world/objects/CZJObject.h"
#include "world/objects/SThingItem.h"

class CGliderObject;

class CTheThing : public CZJObject {
public:
    using CZJObject::Init;
    static constexpr int kMaxContents = 10;
    static constexpr float kRiseTime = 0.5f;
    static constexpr float kExpiryAge = 1200.0f;
    static constexpr uint32_t kGlowLight = 10; // device light of the pulse
    static constexpr int kGroundVertices = 128;
    static constexpr int kGroundIndices = 288;

    CTheThing();
    ~CTheThing() override;

    // Places the thing, chooses model and glow by kind (an unknown kind is logged and leaves no
    // model), radius = model radius x the placement's scale, and lays the ground patch for the
    // glow around it; false when no terrain lies there.
    bool Init(const float* placement, int32_t thingKind);
    // Re-derives model and glow from the stored kind.
    void Init() override;
    // Appends a content item; nothing when all 10 are used.
    void AddItem(uint32_t itemKind, const char* id, uint32_t amount);

    void Run() override;
    void Draw() override;
    void DrawEffect(int argument) override;
    // Any hit clears alive.
    void Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass) override;
    // The base record, then u32 kind, u32 count and the 40-byte items (43 + 40 n bytes).
    void PackNetState(uint8_t* record, int* size) override;
    // A record whose item count is over 10 or runs past its length is ignored (size 0).
    void UnpackNetState(const uint8_t* record, int* size) override;
    // The base form, u32 kind, u8 player-only, u32 count, the items. A count over 10 throws
    // XRangeError with a log line, the thing unchanged.
    void SaveToStream2(XMemBuffer& stream) override;
    void LoadFromStream2(XMemBuffer& stream) override;

    // The glider may take the thing: alive, allowed, slower than 80 and within 16 horizontally,
    // within 8 unless it moves at most 8.
    bool Qualifies(const CGliderObject& glider) const;
    // The flash frame shown at that rise time for a frame grid value (below 256: value x value
    // frames, else (value & 255) x (value >> 8)).
    static int FlashFrame(uint32_t grid, float riseTime);
    // The pulse of the glow and its light at an age: the light's colour factor (sin(2 pi age) +
    // 1) x 0.5 and the decal's intensity sin(2 pi age) x 0.15 + 0.4.
    static float LightPulse(float age);
    static float GlowIntensity(float age);
    // Refills the ground patch from the terrain around the point; false when nothing was added.
    bool FillGround(const Vec3& centre, float size);

    uint8_t onGround = 1; // cleared when taken
    float riseTimer = 0.0f;
    float age = 0.0f;
    int32_t glowTexture = -1;
    int32_t kind = 0;
    SThingItem contents[kMaxContents] = {};
    int32_t contentCount = 0;
    uint8_t playerOnly = 0;
    int32_t modelIndex = -1;
    CVertexData ground; // the terrain patch under the thing, for the glow

private:
    void Expire();
    void LookForTakers();
    // Hands the items over in order; false when the load check stopped it or an item stayed.
    bool TransferTo(CGliderObject& glider, SThingItem* taken, int& takenCount);
    bool PassesLoadCheck(const CGliderObject& glider) const;
    bool GiveItem(CGliderObject& glider, const SThingItem& item);
    void PickedUp(CGliderObject& glider, const SThingItem* taken, int takenCount);
    void RemoveItem(int index);
    CComplexObject* Model() const;
    void SetGlowLight() const;
    void DrawGlow();

    uint32_t refusedLogged = 0; // bit per item already logged as refused
};
