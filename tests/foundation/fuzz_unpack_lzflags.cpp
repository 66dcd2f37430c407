// Fuzz entry: UnpackLzFlags over arbitrary input and output room.
#include "tests/foundation/fuzz_unpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzUnpacker(&UnpackLzFlags, data, size);
}
