// Stand-in until the Ferrovant machine record lands.
#include "ai/CFerrovant.h"

CFerrovant* PlayerFerrovant = nullptr;
