// CSplinterObject: a piece of debris (type code 17) thrown out by an explosion stage or a dying
// glider. It flies under gravity with a spin, trails smoke and fire, bounces on the terrain,
// comes to rest, smokes on the ground for a while and is removed. It may carry another world
// object, which it owns until it lands: the object then enters the world at the landing point.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/NameKey32.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CSmoke.h"

#include <cstdint>

class CSplinterObject : public CDynamicObject {
public:
    // Variants: what the creator asks for. Anything else counts as kPlain.
    enum EVariant : int32_t {
        kBurning = 1, // smoke and fire, 5 s on the ground
        kPlain = 2, // smoke, 10 s on the ground
        kWreck = 3, // rests on the ground from the start, smokes 40 s, never shows its model
        kCarrier = 4, // carries the given object, 25 s on the ground
    };

    // type 17, runs, moves, solid, pointSized, alive, visible; gravity on, everything else of the
    // physics off; mass 1, radius 1; the smoke trail enabled.
    CSplinterObject();
    // Destroys a carried object that never landed.
    ~CSplinterObject() override;

    // Slot 2: trails to the deferred list (argument 0) and, after 0.5 s of flight, the model.
    void Draw() override;
    // Slot 3: trails to the deferred list (argument 1).
    void DrawNVisible() override;
    // Slot 6: flight, bounces, landing, resting and removal.
    void Run() override;
    // Slot 7: the smoke trail, then the fire trail.
    void DrawEffect(int argument) override;

    // Right after construction: the frame (its first row's length is the scale), the model
    // reference (index in word 0), the variant and, for kCarrier, the object to carry (the splinter
    // owns it from now on). The creator then adds the splinter to the object list and sets its
    // owner and velocity.
    void Spawn(const Matrix4& frameMatrix, NameKey32 modelRef, int32_t variantKind, CZJObject* carried);

    CSmoke smokeTrail; // dark smoke
    CSmoke fireTrail; // variant 1's fire
    NameKey32 model {}; // index in word 0
    int32_t variant = kPlain;
    CZJObject* source = nullptr; // the carried object until landing
    float scale = 1.0f; // length of the spawning frame's first row
    float flightTime = 0.0f;
    float restTime = 0.0f;
    float restLife = 0.0f;
    uint8_t smoking = 0;
    uint8_t spinning = 0;
    float spinRate[2] = {}; // about z, then y; radians per second
    float spinAngle[2] = {};
    uint8_t trailEnabled = 1; // variants 1 and 2: the smoke trail

private:
    int32_t SplinterModel() const;
    Matrix4 SpunMatrix() const;
    void RunResting(float dt, float h);
    void RunFlying(float dt, float h);
    void Land(float h);
    void QueueEffects(uint32_t argument);
};
