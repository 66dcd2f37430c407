// Stand-in until the Ferrovant machine record lands.
#include "ai/CFerrovant.h"

CFerrovant* PlayerFerrovant = nullptr;

void CFerrovant::ApplyConfig(int32_t config, int32_t player, int32_t flag)
{
    if (config == 0 && player == 0 && flag == 0)
        *this = CFerrovant();
}
