// While set, gliders draw no projected shadow. Nothing sets it yet: it is the renderer's switch
// for passes that must not show shadows.
#pragma once

#include <cstdint>

extern uint8_t ShadowSuppression;
