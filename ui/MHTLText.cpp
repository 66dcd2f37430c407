#include "ui/MHTLText.h"

#include <algorithm>
#include <cstring>

char* MHTLTextStore::Add(const char* bytes, size_t n)
{
    if (m_chunks.empty() || m_chunks.back().size - m_fill < n + 1) {
        const size_t size = std::max(kChunkSize, n + 1);
        m_chunks.push_back({ std::make_unique<char[]>(size), size });
        m_fill = 0;
    }
    char* const at = m_chunks.back().bytes.get() + m_fill;
    if (n > 0)
        std::memcpy(at, bytes, n);
    at[n] = 0;
    m_fill += n + 1;
    m_used += n + 1;
    return at;
}

void MHTLTextStore::Reset()
{
    if (m_chunks.size() > 1)
        m_chunks.erase(m_chunks.begin() + 1, m_chunks.end());
    m_fill = 0;
    m_used = 0;
}
