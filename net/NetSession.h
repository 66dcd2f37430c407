// Session constants shared by the game and the server (fixed: both sides must agree).
#pragma once

#include "platform/net/net.h"

// {AF7C2A36-DAFE-4FE2-85F6-BFE384C41ED7}
inline constexpr plat::net::Guid kZJApplicationGuid { 0xAF7C2A36, 0xDAFE, 0x4FE2,
    { 0x85, 0xF6, 0xBF, 0xE3, 0x84, 0xC4, 0x1E, 0xD7 } };
inline constexpr char16_t kZJSessionName[] = u"Ferrovants DirectPlay Server 1.0";
inline constexpr char16_t kZJServerName[] = u"ZJ SERVER";
inline constexpr char16_t kZJClientName[] = u"PLAYER";
