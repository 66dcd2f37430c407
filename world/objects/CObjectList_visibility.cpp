// Stand-in until the visibility/collision/ray passes land: the draw lists stay empty and nothing
// is drawn (the reflection runs waterTest); SetViewParams only stores the planes.
#include "world/objects/CObjectList.h"

#include "foundation/CViewFrame.h"

void CObjectList::CheckVisibility(bool preDraw)
{
    (void)preDraw;
    visibleList.Clear();
    notVisibleList.Clear();
    preDrawList.Clear();
}

void CObjectList::Render() { }

void CObjectList::RenderForWater()
{
    if (waterTest)
        waterTest();
}

void CObjectList::SetViewParams(CViewFrame& frame, float farPlane, float nearPlane, float fovX, float fovY)
{
    (void)fovX;
    (void)fovY;
    frame.farPlane = farPlane;
    frame.nearPlane = nearPlane;
}
