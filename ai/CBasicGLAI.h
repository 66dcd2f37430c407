// CBasicGLAI: drives one computer-controlled glider: goes to points, follows an object, attacks a
// target, retreats or idles, through the glider's control inputs and weapons only. Machine groups
// give the orders.
#pragma once

#include "foundation/Vector.h"

#include <cstdint>

class CGliderObject;
class CZJObject;

// A reference position given by a group: a word followed by the coordinates.
struct SAIReference {
    int32_t id;
    Vec3 position;
};

// The offset a new AI goes with, and the one Follow uses when the glider stands on its object.
extern const Vec3 DefaultAIOffset;

class CBasicGLAI {
public:
    enum State : int32_t { kIdle, kGo, kNothing, kAttack, kFollow, kRetreat, kMove };

    // State idle with no manoeuvre, no target, a random clock in 0..100.
    CBasicGLAI();
    virtual ~CBasicGLAI() = default;
    CBasicGLAI(const CBasicGLAI&) = delete;
    CBasicGLAI& operator=(const CBasicGLAI&) = delete;

    virtual void Run();
    virtual void Stop();
    virtual void Go(const SAIReference* reference, const Vec3& goOffset);
    virtual void Follow(const SAIReference* reference);
    virtual void Attack(CZJObject* opponent);
    virtual void Retreat(CZJObject* opponent, const SAIReference* reference);
    virtual void MoveTo(const Vec3& point, float speed, float radius, bool raise);
    virtual void ProcessFollow();
    virtual void ProcessGo();
    virtual void ProcessAttack();
    virtual void ProcessIdle();
    virtual void ProcessRetreat();
    virtual void ProcessMove();
    // Turns the nose towards p; the inputs are written only when they change.
    virtual void SteerTo(const Vec3& p, bool precise);
    // Drives towards the point; within radius2 it holds and stops.
    virtual void GoTo(Vec3 point, float radius2, float speed, bool raise);

    int32_t tick = 0;
    float clock = 0.0f; // tenths of a second
    float stuckTime = 0.0f;
    float blockedTime = 0.0f;
    float moveSpeed = 0.0f;
    float moveRadius2 = 0.0f;
    Vec3 movePoint {};
    float idleTime = 0.0f;
    int32_t idleAction = -1;
    Vec3 offset = DefaultAIOffset;
    int32_t state = kIdle;
    CGliderObject* glider = nullptr;
    CZJObject* target = nullptr;
    const SAIReference* object = nullptr;

private:
    bool TargetLost() const;
    void SetThrottle(float value);
    int Level() const;
};
