#include "foundation/CXAnsiString.h"

#include "foundation/ErrorLog.h"
#include "foundation/SharedText.h"
#include "foundation/XRangeError.h"
#include "platform/win/text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace {

char* Allocate(std::size_t bytes)
{
    auto* text = static_cast<char*>(std::malloc(bytes));
    if (!text)
        throw std::bad_alloc();
    return text;
}

bool IsSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

CXAnsiString::CXAnsiString()
    : m_text(Allocate(1))
{
    m_text[0] = 0;
}

CXAnsiString::CXAnsiString(const CXAnsiString& other)
    : CXAnsiString(other.m_text)
{
}

CXAnsiString::CXAnsiString(CXAnsiString&& other)
{
    // The moved-from string keeps a buffer of its own, so it stays a valid empty string.
    char* empty = Allocate(1);
    empty[0] = 0;
    m_text = other.m_text;
    other.m_text = empty;
}

CXAnsiString::CXAnsiString(const char* text)
{
    std::size_t n = text ? std::strlen(text) : 0;
    m_text = Allocate(n + 1);
    if (n)
        std::memcpy(m_text, text, n);
    m_text[n] = 0;
}

CXAnsiString::~CXAnsiString()
{
    std::free(m_text);
}

CXAnsiString& CXAnsiString::operator=(const CXAnsiString& other)
{
    if (this != &other)
        SetBytes(other.m_text, std::strlen(other.m_text));
    return *this;
}

CXAnsiString& CXAnsiString::operator=(CXAnsiString&& other) noexcept
{
    std::swap(m_text, other.m_text);
    return *this;
}

CXAnsiString& CXAnsiString::operator=(const char* text)
{
    if (text != m_text)
        SetBytes(text, text ? std::strlen(text) : 0);
    return *this;
}

void CXAnsiString::SetBytes(const char* bytes, std::size_t n)
{
    char* text = Allocate(n + 1);
    if (n)
        std::memcpy(text, bytes, n);
    text[n] = 0;
    std::free(m_text);
    m_text = text;
}

void CXAnsiString::Assign(std::size_t n, const char* bytes)
{
    if (!bytes)
        n = 0;
    SetBytes(bytes, n);
}

void CXAnsiString::SetLength(std::size_t n)
{
    std::size_t old = std::strlen(m_text);
    auto* text = static_cast<char*>(std::realloc(m_text, n + 1));
    if (!text)
        throw std::bad_alloc();
    if (n > old)
        std::memset(text + old, 0, n - old);
    text[n] = 0;
    m_text = text;
}

void CXAnsiString::Clear() noexcept
{
    m_text[0] = 0;
}

std::size_t CXAnsiString::Length() const noexcept
{
    return std::strlen(m_text);
}

int CXAnsiString::CountSpaces() const noexcept
{
    int count = 0;
    for (const char* p = m_text; *p; ++p)
        count += *p == ' ';
    return count;
}

char CXAnsiString::operator[](long long i) const
{
    if (i < 0 || static_cast<unsigned long long>(i) > Length()) {
        WriteErrorLog(FormatSharedText("CXAnsiString::operator[] Out of Range index=%lld", i));
        throw XRangeError();
    }
    return m_text[i];
}

std::size_t CXAnsiString::CopyTo(char* dest) const noexcept
{
    std::size_t n = Length();
    std::memcpy(dest, m_text, n + 1);
    return n;
}

int CXAnsiString::FindText(const char* text) const noexcept
{
    if (!text)
        return -1;
    const char* found = std::strstr(m_text, text);
    return found ? static_cast<int>(found - m_text) : -1;
}

int CXAnsiString::CompareText(const char* text, std::size_t n) const noexcept
{
    if (!text)
        text = "";
    return n == 0 ? std::strcmp(m_text, text) : std::strncmp(m_text, text, n);
}

void CXAnsiString::Append(const char* text)
{
    if (!text || !*text)
        return;
    std::size_t old = Length();
    std::size_t add = std::strlen(text);
    char* joined = Allocate(old + add + 1);
    std::memcpy(joined, m_text, old);
    std::memcpy(joined + old, text, add + 1);
    std::free(m_text);
    m_text = joined;
}

void CXAnsiString::Append(char c)
{
    const char text[2] = { c, 0 };
    Append(text);
}

CXAnsiString& CXAnsiString::operator+=(const CXAnsiString& other)
{
    Append(other.m_text);
    return *this;
}

CXAnsiString& CXAnsiString::operator+=(const char* text)
{
    Append(text);
    return *this;
}

CXAnsiString& CXAnsiString::operator+=(char c)
{
    Append(c);
    return *this;
}

void CXAnsiString::SetConcat(const char* a, const char* b)
{
    CXAnsiString joined(a);
    joined.Append(b);
    *this = std::move(joined);
}

CXAnsiString operator+(const CXAnsiString& a, const CXAnsiString& b)
{
    CXAnsiString joined(a);
    joined.Append(b.m_text);
    return joined;
}

CXAnsiString operator+(const CXAnsiString& a, const char* b)
{
    CXAnsiString joined(a);
    joined.Append(b);
    return joined;
}

CXAnsiString operator+(const char* a, const CXAnsiString& b)
{
    CXAnsiString joined(a);
    joined.Append(b.m_text);
    return joined;
}

CXAnsiString CXAnsiString::Left(long long n) const
{
    std::size_t length = Length();
    std::size_t take = n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), length);
    CXAnsiString result;
    result.SetBytes(m_text, take);
    return result;
}

CXAnsiString CXAnsiString::Right(long long n) const
{
    std::size_t length = Length();
    std::size_t take = n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), length);
    CXAnsiString result;
    result.SetBytes(m_text + length - take, take);
    return result;
}

void CXAnsiString::MakeUpper() noexcept
{
    plat::win::MakeUpper1251(m_text, Length());
}

void CXAnsiString::TrimLeft() noexcept
{
    std::size_t skip = 0;
    while (m_text[skip] && IsSpace(static_cast<unsigned char>(m_text[skip])))
        ++skip;
    if (skip)
        std::memmove(m_text, m_text + skip, std::strlen(m_text + skip) + 1);
}

void CXAnsiString::TrimRight() noexcept
{
    std::size_t length = Length();
    while (length && IsSpace(static_cast<unsigned char>(m_text[length - 1])))
        --length;
    m_text[length] = 0;
}

namespace {

std::string FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

} // namespace

void CXAnsiString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format ? format : "", args);
    va_end(args);
    SetBytes(text.data(), text.size());
}

void CXAnsiString::FormatUnchecked(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format ? format : "", args);
    va_end(args);
    SetBytes(text.data(), text.size());
}

void CXAnsiString::FormatArg(const CXAnsiString& format, const CXAnsiString& arg)
{
    FormatUnchecked(format.m_text, arg.m_text);
}

int CXAnsiString::Replace(const char* find, const char* replacement)
{
    if (!find || !*find)
        return 0;
    if (!replacement)
        replacement = "";
    std::size_t findLength = std::strlen(find);
    std::string result;
    int count = 0;
    const char* rest = m_text;
    while (const char* hit = std::strstr(rest, find)) {
        result.append(rest, hit);
        result.append(replacement);
        rest = hit + findLength;
        ++count;
    }
    if (count == 0)
        return 0;
    result.append(rest);
    SetBytes(result.data(), result.size());
    return count;
}

CXAnsiString CXAnsiString::NextToken(const char* delimiters)
{
    if (Length() < 2) {
        Clear();
        return CXAnsiString();
    }
    if (!delimiters)
        delimiters = "";
    std::size_t lead = std::strspn(m_text, delimiters);
    std::size_t tokenLength = std::strcspn(m_text + lead, delimiters);
    CXAnsiString token;
    token.SetBytes(m_text + lead, tokenLength);
    std::size_t cut = lead + tokenLength;
    std::memmove(m_text, m_text + cut, std::strlen(m_text + cut) + 1);
    return token;
}
