// SaveHeader: the 728-byte header at the start of a save-game file, the one layout that the save
// writer stores and the save lists read. Little-endian; texts are NUL-terminated inside their
// fields. A game save (version 257) is followed by a 256 x 256 screenshot of 32-bit pixels (blue,
// green, red, a fourth byte), rows top to bottom.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct SaveHeader {
    static constexpr size_t kSize = 728;
    static constexpr uint32_t kScreenshotVersion = 257;
    static constexpr int kScreenshotSide = 256;
    static constexpr size_t kScreenshotSize = size_t(kScreenshotSide) * kScreenshotSide * 4;
    static constexpr size_t kTitleSize = 256;
    static constexpr size_t kLevelSize = 256;
    static constexpr size_t kKeySize = 32;
    static constexpr uint32_t kAutoSave = 1; // kind of "autosave.sav"

    enum class Read { Ok, Short, BadMagic };

    uint32_t flag = 0; // 1 when the writer's third argument was false
    uint32_t sectionCount = 0;
    std::string title; // the whole field when it holds no terminator
    std::string level; // the location file name
    float gameTime = 0.0f; // days
    std::string place; // the place key
    uint32_t rating = 0;
    uint32_t value = 0;
    std::string organisation;
    uint32_t kind = 0; // 0 manual, 1 automatic, 2 location save
    uint32_t version = 0;

    // Reads a header from the first bytes of a file; each text stops at its terminator or at the
    // end of its field. Short: fewer than kSize bytes; BadMagic: not "ZJSG".
    Read Parse(const uint8_t* data, size_t size);
    // The stored form: zero-filled, longer texts cut to leave their terminator.
    std::array<uint8_t, kSize> Encode() const;
    // Whether the screenshot follows the header.
    bool HasScreenshot() const { return version == kScreenshotVersion; }
};
