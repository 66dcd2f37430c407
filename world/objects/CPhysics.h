// Stand-in until the physics lands: the two steps of a moving object do nothing.
#pragma once

class CDynamicObject;

class CPhysics {
public:
    static void PreMove(CDynamicObject* object, float dt)
    {
        (void)object;
        (void)dt;
    }
    static void Move(CDynamicObject* object, float dt)
    {
        (void)object;
        (void)dt;
    }
};
