#include "world/terrain/FrameReset.h"

#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"

void ResetFrame()
{
    EffectRenderManager.ResetFrame();
    LightWare.DisableActiveLights();
    LightWare.ClearLights();
}
