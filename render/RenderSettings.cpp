#include "render/RenderSettings.h"

SRenderSettings g_RenderSettings;
