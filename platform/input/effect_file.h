// Force-feedback effect files (Data\FFE\*.ffe): our own UTF-8 text format, read as untrusted input.
//
//   ffe 1
//   effect <name, at most 31 characters>
//     kind constant|sine|triangle|sawtoothup|sawtoothdown|square|ramp|rumble
//     duration <ms 1..60000>|infinite
//     gain <0..10000>
//     magnitude <-10000..10000>            constant, periodic
//     period <ms 1..10000>                 periodic (sine, triangle, sawtooth*, square)
//     offset <-10000..10000>               periodic
//     phase <0..35999>                     periodic
//     start <-10000..10000>                ramp
//     end <-10000..10000>                  ramp
//     strong <0..10000>                    rumble
//     weak <0..10000>                      rumble
//     direction <0..35999>                 hundredths of a degree
//     attack <level 0..10000> <ms 0..60000>
//     fade <level 0..10000> <ms 0..60000>
//   end
//
// One key per line, '#' starts a comment; "end" without a value closes the effect. kind and duration are
// required; a key appears once per effect. At most 64 KB and 16 effects; any fault rejects the whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::input {

enum class EffectKind {
    Constant,
    Sine,
    Triangle,
    SawtoothUp,
    SawtoothDown,
    Square,
    Ramp,
    Rumble,
};

inline constexpr uint32_t kEffectInfinite = 0xFFFFFFFF;
inline constexpr std::size_t kMaxEffectFileBytes = 64 * 1024;
inline constexpr std::size_t kMaxEffects = 16;
inline constexpr std::size_t kMaxEffectName = 31;

struct EffectDesc {
    std::string name;
    EffectKind kind = EffectKind::Constant;
    uint32_t duration = 0; // ms, or kEffectInfinite
    int32_t gain = 10000;
    int32_t magnitude = 10000;
    int32_t period = 100;
    int32_t offset = 0;
    int32_t phase = 0;
    int32_t start = 0;
    int32_t end = 0;
    int32_t strong = 0;
    int32_t weak = 0;
    int32_t direction = 0;
    int32_t attackLevel = 0;
    int32_t attackTime = 0;
    int32_t fadeLevel = 0;
    int32_t fadeTime = 0;
};

struct EffectFile {
    std::vector<EffectDesc> effects;
};

struct EffectFileError {
    int line = 0; // 1-based; 0 for the file as a whole
    std::string reason;
};

// False, with the first fault, when the text is not a valid effect file; out is then empty.
bool ParseEffectFile(std::string_view text, EffectFile& out, EffectFileError& error);
// Reads and parses a file (a Windows-style path); a fault is logged as one line naming the file and
// the line.
bool LoadEffectFile(std::string_view path, EffectFile& out);

} // namespace plat::input
