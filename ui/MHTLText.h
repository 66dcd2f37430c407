// Texts of the mark-up window's records: a record's text is a terminated run of bytes that the
// window's text store owns (or a constant), so laying out a text allocates nothing per record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A record's text, kind or block name: terminated bytes the record does not own.
class MHTLText {
public:
    MHTLText() = default;
    // text must stay terminated at length while the record uses it.
    MHTLText(const char* text, size_t length)
        : m_text(text)
        , m_length(uint32_t(length))
    {
    }

    const char* Text() const noexcept { return m_text; }
    size_t Length() const noexcept { return m_length; }
    bool IsEmpty() const noexcept { return m_length == 0; }
    std::string_view View() const noexcept { return { m_text, m_length }; }

    friend bool operator==(const MHTLText& a, const MHTLText& b) noexcept { return a.View() == b.View(); }
    friend bool operator==(const MHTLText& a, std::string_view b) noexcept { return a.View() == b; }

private:
    const char* m_text = "";
    uint32_t m_length = 0;
};

// Bytes kept for the records in chunks that never move, so a text stays where it was put until the
// store is reset.
class MHTLTextStore {
public:
    // Copies n bytes and a terminator into the store.
    char* Add(const char* bytes, size_t n);
    MHTLText AddText(std::string_view text) { return { Add(text.data(), text.size()), text.size() }; }
    // Drops every text, keeping the first chunk for reuse.
    void Reset();
    // Bytes handed out since the last reset.
    size_t Used() const { return m_used; }

private:
    static constexpr size_t kChunkSize = 64 * 1024;
    struct Chunk {
        std::unique_ptr<char[]> bytes;
        size_t size;
    };
    std::vector<Chunk> m_chunks;
    size_t m_fill = 0; // bytes used in the last chunk
    size_t m_used = 0;
};
