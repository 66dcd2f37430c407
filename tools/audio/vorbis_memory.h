// vorbisfile reading a file held in memory, for reading back what the Vorbis writer made.
// Header-only: its users link vorbisfile themselves.
#pragma once

#include "tools/audio/wav_writer.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zoq::tools::audio {

// The open file's bytes and read position; ov_open_callbacks takes its address as the source.
struct MemoryFile {
    const Bytes* bytes;
    size_t at = 0;
};

namespace memory_file {

inline size_t Read(void* out, size_t size, size_t count, void* source)
{
    auto* m = static_cast<MemoryFile*>(source);
    const size_t n = std::min(size * count, m->bytes->size() - m->at);
    std::memcpy(out, m->bytes->data() + m->at, n);
    m->at += n;
    return size ? n / size : 0;
}

inline int Seek(void* source, ogg_int64_t offset, int whence)
{
    auto* m = static_cast<MemoryFile*>(source);
    const int64_t base = whence == SEEK_SET ? 0
        : whence == SEEK_CUR                ? int64_t(m->at)
                                            : int64_t(m->bytes->size());
    if (base + offset < 0 || base + offset > int64_t(m->bytes->size()))
        return -1;
    m->at = size_t(base + offset);
    return 0;
}

inline long Tell(void* source)
{
    return long(static_cast<MemoryFile*>(source)->at);
}

} // namespace memory_file

inline constexpr ov_callbacks kMemoryFileCallbacks
    = { memory_file::Read, memory_file::Seek, nullptr, memory_file::Tell };

} // namespace zoq::tools::audio
