// CSmoke: the particle trail an owner carries as a plain member (not a world object). The owner
// feeds it points along its path; the trail ages, grows and fades its puffs, keeps a bounding
// sphere around the live ones and draws them as one camera-facing mesh a frame in one of five
// styles. The ring never grows: a full ring drops its oldest puff.
#pragma once

#include "foundation/Vector.h"
#include "render/CVertexData.h"

#include <cstdint>
#include <memory>

// One puff: twelve 32-bit fields in this order.
struct SSmokePuff {
    float age; // seconds since it was added
    float ageRate; // s², s random in 0.75 .. 1.25; dead once age x ageRate >= the puff life
    float size; // 1 at birth, then age / puff life x growth + 1
    int32_t frame; // cell 0..15 of the 4 x 4 texture sheet
    Vec3 position;
    float strength; // opacity factor given by the owner
    uint32_t colour; // RGB, top byte clear
    Vec3 velocity; // style 2 only
};
static_assert(sizeof(SSmokePuff) == 48);

// Mesh vertices: the quads repeat their texture pair in the second set, as the shared effect
// buffer they are copied into has two; points carry position and colour only.
struct SSmokeQuadVertex {
    float x, y, z;
    uint32_t colour; // ARGB, the puff's opacity as alpha
    float u, v;
    float u2, v2;
};
static_assert(sizeof(SSmokeQuadVertex) == 32);
struct SSmokePointVertex {
    float x, y, z;
    uint32_t colour;
};
static_assert(sizeof(SSmokePointVertex) == 16);

class CSmoke {
public:
    enum Style : int32_t {
        kStyleQuads = 0, // sorted camera-facing quads at the path points
        kStyleScatter = 1, // quads scattered sideways of the path
        kStyleDrift = 2, // quads drifting sideways, faint ones pooled
        kStyleRamp = 3, // quads coloured by age along a three-colour ramp
        kStylePoints = 4, // unsorted point sprites
        kStyleCount
    };

    CSmoke() = default;
    ~CSmoke();
    CSmoke(const CSmoke&) = delete;
    CSmoke& operator=(const CSmoke&) = delete;

    // Sets ready and the values, allocates the ring and the mesh, empties the trail and clears
    // gap, spiral and lastDirection. Throws for a capacity below 1.
    void Init(int32_t style, int32_t capacity, const Vec3& emitter, float density, float puffLife,
        float pointSize, float growth);
    void SetSpiralAxes(const Vec3& axisA, const Vec3& axisB);
    // The owner's per-frame feed: puffs one spacing (1 / density) apart from emitterPoint to
    // the point; a jump longer than 1000 spacings starts a fresh segment at the point. A density
    // of 0 or less leaves no puffs.
    void EmitTo(const Vec3& point, float strength, uint32_t colour);
    // Appends one puff; a full ring first drops its oldest. Nothing before Init.
    void AddPuff(const Vec3& point, float strength, uint32_t colour, const Vec3* velocity = nullptr);
    // Appends a puff at each point, as AddPuff without velocity would one after the other.
    void AddPuffs(const Vec3* points, int32_t n, float strength, uint32_t colour);
    // Ages every puff, drops dead ones from the old end only, and refreshes the bounds.
    void Update(float dt);
    // Moves emitterPoint and every live puff by the offset.
    void Drift(const Vec3& offset);
    // Moves every live puff away from the centre by the amount.
    void PushFrom(float amount, const Vec3& centre);
    // Builds mesh from the live puffs more than sqrt(3) from the camera of ViewFrame: quads far
    // to near (styles 0 to 3, six indices each) or points (style 4). An empty trail gives an
    // empty mesh.
    void MakeMesh();
    // Builds the mesh and draws it with the texture (an index of the texture manager).
    void Render(int texture);

    bool IsEmpty() const { return count == 0; }
    // Live puffs, oldest first: i in 0 .. Count() - 1.
    int32_t Count() const { return count; }
    const SSmokePuff& Puff(int32_t i) const { return puffs[(tail + i) % capacity]; }

    std::unique_ptr<SSmokePuff[]> puffs;
    int32_t tail = 0; // oldest live puff
    int32_t head = 0; // next free slot
    int32_t count = 0; // puffs in the ring: a full ring has tail == head too
    int32_t capacity = 0;
    int32_t style = kStyleQuads;
    Vec3 lastDirection {};
    Vec3 spiralAxes[2] {};
    Vec3 emitterPoint {};
    float travelled = 0.0f;
    float density = 1.0f;
    float puffLife = 1.0f;
    float growth = 0.0f;
    Vec3 boundsCentre {};
    float boundsRadius = 0.0f; // 0 while the trail is empty
    float pointSize = 1.0f;
    // Kept by owners: while set they feed no points; clearing it they first move emitterPoint to
    // their own position, so that no line of puffs bridges the gap.
    uint8_t gap = 0;
    CVertexData mesh;
    uint8_t spiral = 0;
    float spiralPeriod = 1.0f;
    // Owners may change it every frame; style 2 also takes it as the range of its sideways drift.
    float spiralRadius = 0.0f;
    uint8_t ready = 0;
    uint32_t rampColour[3] = {};
    float rampTime[4] = {};
};
