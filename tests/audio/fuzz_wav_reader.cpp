// Any bytes given to the WAV reader: it refuses them or reads its data, never past the file.
#include "audio/CFileUtil.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFileUtil file(16);
    if (SoundFailed(file.OpenWaveMemory({ data, size })))
        return 0;
    std::vector<uint8_t> out(file.GetSize() + 1);
    file.Read(out.data(), uint32_t(out.size()));
    return 0;
}
