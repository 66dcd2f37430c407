// Windows-1251 text: the game's byte encoding. Conversions to UTF-8 and UTF-16 happen only at the
// platform boundary; case folding covers ASCII and Cyrillic. Byte 0x98 maps to U+0098, so every
// byte round-trips; a code point with no byte encodes as '?'.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace plat::win {

// Code points of bytes 0x80..0xFF.
inline constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402,
    0x0403,
    0x201A,
    0x0453,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x20AC,
    0x2030,
    0x0409,
    0x2039,
    0x040A,
    0x040C,
    0x040B,
    0x040F,
    0x0452,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x0098,
    0x2122,
    0x0459,
    0x203A,
    0x045A,
    0x045C,
    0x045B,
    0x045F,
    0x00A0,
    0x040E,
    0x045E,
    0x0408,
    0x00A4,
    0x0490,
    0x00A6,
    0x00A7,
    0x0401,
    0x00A9,
    0x0404,
    0x00AB,
    0x00AC,
    0x00AD,
    0x00AE,
    0x0407,
    0x00B0,
    0x00B1,
    0x0406,
    0x0456,
    0x0491,
    0x00B5,
    0x00B6,
    0x00B7,
    0x0451,
    0x2116,
    0x0454,
    0x00BB,
    0x0458,
    0x0405,
    0x0455,
    0x0457,
    0x0410,
    0x0411,
    0x0412,
    0x0413,
    0x0414,
    0x0415,
    0x0416,
    0x0417,
    0x0418,
    0x0419,
    0x041A,
    0x041B,
    0x041C,
    0x041D,
    0x041E,
    0x041F,
    0x0420,
    0x0421,
    0x0422,
    0x0423,
    0x0424,
    0x0425,
    0x0426,
    0x0427,
    0x0428,
    0x0429,
    0x042A,
    0x042B,
    0x042C,
    0x042D,
    0x042E,
    0x042F,
    0x0430,
    0x0431,
    0x0432,
    0x0433,
    0x0434,
    0x0435,
    0x0436,
    0x0437,
    0x0438,
    0x0439,
    0x043A,
    0x043B,
    0x043C,
    0x043D,
    0x043E,
    0x043F,
    0x0440,
    0x0441,
    0x0442,
    0x0443,
    0x0444,
    0x0445,
    0x0446,
    0x0447,
    0x0448,
    0x0449,
    0x044A,
    0x044B,
    0x044C,
    0x044D,
    0x044E,
    0x044F,
};

constexpr char32_t Cp1251ToCodePoint(unsigned char byte)
{
    return byte < 0x80 ? char32_t(byte) : char32_t(kCp1251High[byte - 0x80]);
}

// The byte of a code point, or -1 when Windows-1251 has none.
constexpr int CodePointToCp1251(char32_t cp)
{
    if (cp < 0x80)
        return int(cp);
    for (int i = 0; i < 128; ++i) {
        if (kCp1251High[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

// Upper case of a code point over ASCII and Cyrillic; others unchanged.
constexpr char32_t UpperCodePoint(char32_t cp)
{
    if (cp >= U'a' && cp <= U'z')
        return cp - 0x20;
    if (cp >= 0x0430 && cp <= 0x044F)
        return cp - 0x20;
    if (cp >= 0x0450 && cp <= 0x045F)
        return cp - 0x50;
    if (cp == 0x0491)
        return 0x0490;
    return cp;
}

namespace detail {

constexpr std::array<unsigned char, 256> MakeUpperTable()
{
    std::array<unsigned char, 256> table {};
    for (int b = 0; b < 256; ++b) {
        int upper = CodePointToCp1251(UpperCodePoint(Cp1251ToCodePoint(static_cast<unsigned char>(b))));
        table[b] = static_cast<unsigned char>(upper < 0 ? b : upper);
    }
    return table;
}

inline constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

} // namespace detail

constexpr unsigned char ToUpper1251(unsigned char byte)
{
    return detail::kUpper[byte];
}
constexpr char ToUpper1251(char c)
{
    return static_cast<char>(detail::kUpper[static_cast<unsigned char>(c)]);
}

// Byte-wise comparison after upper-casing both sides: <0, 0, >0.
int CompareNoCase1251(std::string_view a, std::string_view b);
bool EqualNoCase1251(std::string_view a, std::string_view b);
void MakeUpper1251(char* text, std::size_t length);
std::string Upper1251(std::string_view text);

std::string Cp1251ToUtf8(std::string_view text);
std::u16string Cp1251ToUtf16(std::string_view text);
// Invalid UTF-8 sequences and code points without a byte become '?'.
std::string Utf8ToCp1251(std::string_view text);

// Decodes one UTF-8 code point at text[pos], advancing pos; an invalid sequence yields
// U+FFFD and consumes one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

// UTF-8 text upper-cased over ASCII and Cyrillic, for case-insensitive file-name matching.
std::string FoldUtf8(std::string_view text);

namespace detail {

template <std::size_t N> struct Utf8Literal {
    char bytes[N] {};
    consteval Utf8Literal(const char (&text)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            bytes[i] = text[i];
    }
};

template <std::size_t N> consteval std::array<char, N> EncodeLiteral(const char (&utf8)[N])
{
    std::array<char, N> out {};
    std::size_t o = 0;
    for (std::size_t i = 0; i + 1 < N;) {
        auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        int extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            throw "CP1251: invalid UTF-8 in literal";
        }
        ++i;
        for (int k = 0; k < extra; ++k, ++i) {
            if (i + 1 >= N || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
                throw "CP1251: invalid UTF-8 in literal";
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        }
        int byte = CodePointToCp1251(cp);
        if (byte < 0)
            throw "CP1251: character has no Windows-1251 byte";
        out[o++] = static_cast<char>(byte);
    }
    return out;
}

template <Utf8Literal S> struct Cp1251Literal {
    static constexpr std::array<char, sizeof(S.bytes)> value = EncodeLiteral(S.bytes);
};

} // namespace detail
} // namespace plat::win

// A Windows-1251 copy of a UTF-8 string literal, made at compile time: static, NUL-terminated.
#define CP1251(literal)                                                                                      \
    (::plat::win::detail::Cp1251Literal<::plat::win::detail::Utf8Literal(literal)>::value.data())
