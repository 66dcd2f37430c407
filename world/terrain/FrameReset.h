// The start of every drawn scene (the game frame, the save picture, the menus that draw a scene):
// the effect renderer's frame counters and the lights of the last frame are cleared.
#pragma once

void ResetFrame();
