// The player's remains: the thing made when the player's own glider was destroyed, never drawn.
// The gliders set it, the thing clears it when it goes, splinters read it. Null when none.
#pragma once

class CTheThing;

extern CTheThing* PlayerRemains;
