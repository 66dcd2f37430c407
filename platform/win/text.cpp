#include "platform/win/text.h"

#include <algorithm>

namespace plat::win {

int CompareNoCase1251(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int ca = ToUpper1251(static_cast<unsigned char>(a[i]));
        int cb = ToUpper1251(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool EqualNoCase1251(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareNoCase1251(a, b) == 0;
}

void MakeUpper1251(char* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        text[i] = ToUpper1251(text[i]);
}

std::string Upper1251(std::string_view text)
{
    std::string out(text);
    MakeUpper1251(out.data(), out.size());
    return out;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t DecodeUtf8(std::string_view text, std::size_t& pos)
{
    constexpr char32_t kInvalid = 0xFFFD;
    auto b = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b < 0x80) {
        ++pos;
        return b;
    } else if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
        minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
        minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kInvalid;
    }
    if (pos + extra >= text.size()) {
        ++pos;
        return kInvalid;
    }
    for (int k = 1; k <= extra; ++k) {
        auto c = static_cast<unsigned char>(text[pos + k]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kInvalid;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kInvalid;
    }
    pos += extra + 1;
    return cp;
}

std::string Cp1251ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text)
        AppendUtf8(out, Cp1251ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Cp1251ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out += static_cast<char16_t>(Cp1251ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1251(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        int byte = CodePointToCp1251(DecodeUtf8(text, pos));
        out += static_cast<char>(byte < 0 ? '?' : byte);
    }
    return out;
}

std::string FoldUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t start = pos;
        char32_t cp = DecodeUtf8(text, pos);
        if (cp == 0xFFFD && pos == start + 1)
            out += text[start]; // keep undecodable bytes as they are
        else
            AppendUtf8(out, UpperCodePoint(cp));
    }
    return out;
}

} // namespace plat::win
