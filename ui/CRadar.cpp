// Stand-in until the radar lands.
#include "ui/CRadar.h"

CRadar Radar;
