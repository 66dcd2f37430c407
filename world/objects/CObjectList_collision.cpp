// Stand-in until the visibility/collision/ray passes land: no collisions.
#include "world/objects/CObjectList.h"

void CObjectList::CheckCollision() { }

bool CObjectList::CheckSphereCollisionStatic(CZJObject* mover, CZJObject* other, float dt)
{
    (void)mover;
    (void)other;
    (void)dt;
    return false;
}

bool CObjectList::CheckSphereCollisionMove(CZJObject* mover, CZJObject* other, float dt)
{
    (void)mover;
    (void)other;
    (void)dt;
    return false;
}

bool CObjectList::CheckPolygonCollision(CZJObject* mover, CZJObject* other, float dt)
{
    (void)mover;
    (void)other;
    (void)dt;
    return false;
}

bool CObjectList::CheckCollisionPoint(CZJObject* mover, CZJObject* other, float dt)
{
    (void)mover;
    (void)other;
    (void)dt;
    return false;
}
