// Stand-in until the world-object classes land.
#include "world/objects/CGliderObject.h"

#include "ai/CFerroGroup.h"
#include "foundation/XRangeError.h"

CGliderObject::~CGliderObject()
{
    delete netGroup;
}

void CGliderObject::Fire(int slot, float value)
{
    if (slot < 0 || slot > 3)
        throw XRangeError();
    if (value > 0.0f)
        ++shots[slot];
}

void CGliderObject::Jump(float value)
{
    if (value > 0.0f)
        ++jumps;
}

void CGliderObject::SetTurnInput(float value)
{
    turnInput = value;
    controlsChanged = 1;
}

void CGliderObject::SetClimbInput(float value)
{
    climbInput = value;
    controlsChanged = 1;
}
