// Stand-in until the Ferrovant configurations land.
#include "ai/CFerrovantConfigList.h"

CFerrovantConfigList FerrovantConfigList;
