// The four block unpackers over hand-made vectors, valid and invalid. Input and output are
// exact-size heap blocks, so the sanitizer tree catches any access outside them.
#include "foundation/KWUnpack.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace {

using Unpacker = bool (*)(const uint8_t*, size_t, uint8_t*, size_t, size_t&);
using Bytes = std::vector<uint8_t>;

struct UnpackCase {
    const char* name;
    Unpacker unpack;
    Bytes input;
    size_t capacity;
    bool valid;
    Bytes expected; // for valid cases
};

Bytes Repeat(std::initializer_list<uint8_t> unit, size_t times)
{
    Bytes out;
    for (size_t i = 0; i < times; ++i)
        out.insert(out.end(), unit);
    return out;
}

const UnpackCase kCases[] = {
    // 8-bit runs: escape 0xAA.
    { "rle8 run of three", UnpackRle8, { 0xAA, 0xAA, 0, 0x41 }, 16, true, { 0x41, 0x41, 0x41 } },
    { "rle8 literal escape", UnpackRle8, { 0xAA, 0xAA, 255 }, 16, true, { 0xAA } },
    { "rle8 literals and a run", UnpackRle8, { 0xAA, 1, 2, 0xAA, 2, 7, 3 }, 16, true,
        { 1, 2, 7, 7, 7, 7, 7, 3 } },
    { "rle8 longest run", UnpackRle8, { 0xAA, 0xAA, 254, 9 }, 257, true, Repeat({ 9 }, 257) },
    { "rle8 empty", UnpackRle8, {}, 16, true, {} },
    { "rle8 escape alone", UnpackRle8, { 0xAA }, 16, true, {} },
    { "rle8 code cut after escape", UnpackRle8, { 0xAA, 5, 0xAA }, 16, false, {} },
    { "rle8 run without value", UnpackRle8, { 0xAA, 0xAA, 0 }, 16, false, {} },
    { "rle8 run past capacity", UnpackRle8, { 0xAA, 0xAA, 10, 1 }, 12, false, {} },
    { "rle8 literal past capacity", UnpackRle8, { 0xAA, 1, 2, 3 }, 2, false, {} },
    // 16-bit runs: escape 0x7F in the header word.
    { "rle16 literal word", UnpackRle16, { 0x7F, 0, 0x34, 0x12 }, 16, true, { 0x34, 0x12 } },
    { "rle16 run of five", UnpackRle16, { 0x7F, 0, 2, 0x7F, 0x11, 0x22 }, 16, true,
        Repeat({ 0x11, 0x22 }, 5) },
    { "rle16 literal escaped word", UnpackRle16, { 0x7F, 0, 255, 0x7F, 0x01, 0x7F }, 16, true,
        { 0x01, 0x7F } },
    { "rle16 run of equal bytes", UnpackRle16, { 0x7F, 0, 0, 0x7F, 0x05, 0x05 }, 16, true, Repeat({ 5 }, 6) },
    { "rle16 shorter than four bytes", UnpackRle16, { 0x7F, 0, 1 }, 16, true, {} },
    { "rle16 odd trailing byte ignored", UnpackRle16, { 0x7F, 0, 0x34, 0x12, 0x99 }, 16, true,
        { 0x34, 0x12 } },
    { "rle16 run without value", UnpackRle16, { 0x7F, 0, 2, 0x7F }, 16, false, {} },
    { "rle16 run past capacity", UnpackRle16, { 0x7F, 0, 2, 0x7F, 1, 2 }, 9, false, {} },
    // LZ with flag bytes.
    { "lzflags five copies of the last byte", UnpackLzFlags, { 0x02, 'a', 0x10, 0x01 }, 16, true,
        Bytes(6, 'a') },
    { "lzflags literals only", UnpackLzFlags, { 0x00, 'x', 'y' }, 16, true, { 'x', 'y' } },
    { "lzflags overlapping copy", UnpackLzFlags, { 0x04, 'a', 'b', 0x00, 0x02 }, 16, true,
        { 'a', 'b', 'a', 'b', 'a', 'b' } },
    { "lzflags trailing flag byte ends", UnpackLzFlags, { 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0xFF }, 16, true,
        { 1, 2, 3, 4, 5, 6, 7, 8 } },
    { "lzflags distance zero", UnpackLzFlags, { 0x02, 'a', 0x10, 0x00 }, 16, false, {} },
    { "lzflags distance before the output", UnpackLzFlags, { 0x02, 'a', 0x10, 0x02 }, 16, false, {} },
    { "lzflags reference cut", UnpackLzFlags, { 0x02, 'a', 0x10 }, 16, false, {} },
    { "lzflags copy past capacity", UnpackLzFlags, { 0x02, 'a', 0xF0, 0x01 }, 8, false, {} },
    // LZ with an escape byte: 0xF0.
    { "lzescape reference", UnpackLzEscape, { 0xF0, 'a', 'b', 0xF0, 0x00, 0x02 }, 16, true,
        { 'a', 'b', 'a', 'b', 'a', 'b' } },
    { "lzescape literal escape", UnpackLzEscape, { 0xF0, 0xF0, 255, 255 }, 16, true, { 0xF0 } },
    { "lzescape longest far reference", UnpackLzEscape, { 0xF0, 'z', 0xF0, 0xF0, 0x01 }, 32, true,
        Bytes(20, 'z') },
    { "lzescape cut after escape", UnpackLzEscape, { 0xF0, 'a', 0xF0, 0x00 }, 16, false, {} },
    { "lzescape distance zero", UnpackLzEscape, { 0xF0, 'a', 0xF0, 0x00, 0x00 }, 16, false, {} },
    { "lzescape distance before the output", UnpackLzEscape, { 0xF0, 'a', 0xF0, 0x00, 0x05 }, 16, false, {} },
    { "lzescape copy past capacity", UnpackLzEscape, { 0xF0, 'a', 0xF0, 0xF0, 0x01 }, 10, false, {} },
};

class UnpackTest : public ::testing::TestWithParam<UnpackCase> { };

TEST_P(UnpackTest, decodesValidAndRefusesInvalidWithinBounds)
{
    const UnpackCase& c = GetParam();
    auto input = std::make_unique<uint8_t[]>(c.input.size() + 1);
    std::copy(c.input.begin(), c.input.end(), input.get());
    auto output = std::make_unique<uint8_t[]>(c.capacity);
    size_t written = 12345;
    bool ok = c.unpack(input.get(), c.input.size(), output.get(), c.capacity, written);
    EXPECT_EQ(ok, c.valid);
    ASSERT_LE(written, c.capacity);
    if (c.valid) {
        EXPECT_EQ(Bytes(output.get(), output.get() + written), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, UnpackTest, ::testing::ValuesIn(kCases), [](const ::testing::TestParamInfo<UnpackCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

} // namespace
