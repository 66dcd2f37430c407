// A font with a glyph of its own width for every Windows-1251 character, as the game's fonts have,
// for the text benchmarks.
#pragma once

#include "platform/win/text.h"
#include "render/CFont.h"
#include "tools/texture/font_file.h"

#include <cstdint>

namespace zoq::bench {

inline CFont& BenchFont()
{
    namespace tex = zoq::tools::texture;
    static CFont font;
    static const bool ready = [] {
        tex::FontFile file;
        file.metrics[0] = 14;
        file.metrics[2] = 4;
        file.texture = { 256, 256, {} };
        for (int byte = 1; byte < 256; ++byte) {
            const int32_t left = byte % 16 * 16;
            const int32_t top = byte / 16 * 16;
            file.glyphs.push_back({ uint32_t(plat::win::Cp1251ToCodePoint(uint8_t(byte))), left, top,
                left + 6 + byte % 5, 0, 9, 15 });
        }
        const tex::Bytes kwd = tex::EncodeKwd(file);
        font.ReadGlyphFile(kwd.data(), kwd.size(), "bench.kwd");
        font.AllocateQuads();
        return true;
    }();
    (void)ready;
    return font;
}

} // namespace zoq::bench
