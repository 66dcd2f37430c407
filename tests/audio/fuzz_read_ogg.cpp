// Any bytes given to the Ogg Vorbis decoder: it refuses them or decodes within its buffer.
#include "audio/CFileUtil.h"
#include "tests/support/error_log_test.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (zoq::test::DiscardErrorLog(), true);
    (void)quiet;
    constexpr uint32_t kCapacity = 1 << 18;
    static std::vector<uint8_t> pcm(kCapacity);
    CFileUtil file(kCapacity);
    uint32_t decoded = 0;
    uint32_t read = 0;
    file.ReadOGGMemory(pcm.data(), "fuzz.ogg", { data, size }, decoded, read);
    return 0;
}
