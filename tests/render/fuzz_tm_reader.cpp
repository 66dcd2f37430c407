// The TM reader on arbitrary bytes: every path (32 and 16 bits, reductions, DXT5 upload and
// software decoding, managed or not) must fail cleanly or build a texture.
#include "tests/render/fuzz_harness.h"

#include "foundation/CallTrace.h"
#include "render/CTexture.h"
#include "tests/support/files.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = SetUpFuzzDevice() + "input.TM";
    zoq::test::WriteBytes(path, { data, size });
    const uint8_t choice = size > 12 ? data[12] : 0; // an unread header byte picks the path
    g_Graphic.MutableCaps().dxt5Textures = (choice & 1) != 0;
    CTexture texture;
    texture.ReadImageFile(
        path.c_str(), choice & 2 ? 16 : 32, (choice >> 2) & 3, choice >> 4 & 3, (choice & 0x40) == 0);
    ResetCallTrace();
    return 0;
}
