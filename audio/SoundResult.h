// Result codes of the sound, music and video operations. They keep the Windows values that the
// callers test for (success 0, E_FAIL, E_INVALIDARG).
#pragma once

#include <cstdint>

using SoundResult = int32_t;

inline constexpr SoundResult kSoundOk = 0;
inline constexpr SoundResult kSoundFail = int32_t(0x80004005);
inline constexpr SoundResult kSoundInvalidArg = int32_t(0x80070057);

inline bool SoundFailed(SoundResult result)
{
    return result < 0;
}
