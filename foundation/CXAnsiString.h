// CXAnsiString: the program's string of Windows-1251 bytes in one zero-terminated heap buffer.
// The buffer always exists (the empty string holds one zero byte); the length is the text's,
// nothing else is stored. Comparison and search are byte-wise; upper-casing folds ASCII and
// Cyrillic. A failed allocation throws std::bad_alloc.
#pragma once

#include <cstddef>

class CXAnsiString {
public:
    CXAnsiString();
    CXAnsiString(const CXAnsiString& other);
    CXAnsiString(CXAnsiString&& other);
    CXAnsiString(const char* text);
    virtual ~CXAnsiString();

    CXAnsiString& operator=(const CXAnsiString& other);
    CXAnsiString& operator=(CXAnsiString&& other) noexcept;
    CXAnsiString& operator=(const char* text);

    // The first n bytes of bytes, terminated.
    void Assign(std::size_t n, const char* bytes);
    // Reallocates to n bytes and a terminator at n; the text before n stays, new bytes are zero.
    void SetLength(std::size_t n);
    // Empties the string, keeping its buffer.
    void Clear() noexcept;

    const char* Text() const noexcept { return m_text; }
    // The buffer, for writers that keep it terminated.
    char* Buffer() noexcept { return m_text; }
    std::size_t Length() const noexcept;
    bool IsEmpty() const noexcept { return m_text[0] == 0; }
    int CountSpaces() const noexcept;
    // The byte at 0 <= i <= length (length gives the terminator); otherwise logs
    // "CXAnsiString::operator[] Out of Range index=%d" and throws XRangeError.
    char operator[](long long i) const;
    // Copies the text with its terminator; returns the length.
    std::size_t CopyTo(char* dest) const noexcept;

    // Byte position of the first occurrence, -1 when absent (an empty text is found at 0).
    int FindText(const char* text) const noexcept;
    int Find(const CXAnsiString& text) const noexcept { return FindText(text.m_text); }
    // Unsigned byte comparison of the whole texts (n = 0) or of at most the first n bytes.
    int Compare(const CXAnsiString& other, std::size_t n = 0) const noexcept
    {
        return CompareText(other.m_text, n);
    }
    int CompareText(const char* text, std::size_t n = 0) const noexcept;

    // Appends text (null appends nothing; the string's own text may be appended).
    void Append(const char* text);
    void Append(char c);
    CXAnsiString& operator+=(const CXAnsiString& other);
    CXAnsiString& operator+=(const char* text);
    CXAnsiString& operator+=(char c);
    void SetConcat(const char* a, const char* b);

    // The first or last n bytes (negative n: empty; n at or past the length: a copy).
    CXAnsiString Left(long long n) const;
    CXAnsiString Right(long long n) const;
    void MakeUpper() noexcept;
    void TrimLeft() noexcept;
    void TrimRight() noexcept;

    // printf formatting; the result may have any length.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    template <class... Args> void FormatString(const CXAnsiString& format, Args... args)
    {
        FormatUnchecked(format.m_text, args...);
    }
    void FormatArg(const CXAnsiString& format, const CXAnsiString& arg);

    // Replaces every non-overlapping occurrence, left to right; returns the count.
    int Replace(const char* find, const char* replacement);
    // Splits off the first token: a string under 2 bytes is emptied and gives the empty token;
    // otherwise leading delimiters are skipped, the token runs to the next delimiter, and the
    // string keeps what follows the token (starting with that delimiter).
    CXAnsiString NextToken(const char* delimiters);

    friend CXAnsiString operator+(const CXAnsiString& a, const CXAnsiString& b);
    friend CXAnsiString operator+(const CXAnsiString& a, const char* b);
    friend CXAnsiString operator+(const char* a, const CXAnsiString& b);
    friend bool operator==(const CXAnsiString& a, const CXAnsiString& b) noexcept
    {
        return a.CompareText(b.m_text) == 0;
    }
    friend bool operator==(const CXAnsiString& a, const char* b) noexcept { return a.CompareText(b) == 0; }

private:
    void FormatUnchecked(const char* format, ...);
    // Replaces the buffer by one of n + 1 bytes holding bytes[0..n) and a terminator.
    void SetBytes(const char* bytes, std::size_t n);

    char* m_text;
};
