// Stand-in until the world-object classes land.
#include "world/objects/CGliderObject.h"

#include "ai/CFerroGroup.h"

CGliderObject::~CGliderObject()
{
    delete netGroup;
}
