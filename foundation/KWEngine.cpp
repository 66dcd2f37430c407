#include "foundation/KWEngine.h"

#include "foundation/BaseDirectory.h"
#include "foundation/ByteOrder.h"
#include "foundation/ErrorLog.h"
#include "foundation/KWUnpack.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 22;
constexpr size_t kFileEntrySize = 88;
constexpr size_t kBlockEntrySize = 12;
constexpr size_t kNameSize = 80;
// A piece of a raw block at least this long is read straight into the caller's buffer.
constexpr size_t kDirectRead = 16384;
constexpr const char* kCannotOpen = "cannot open";

std::atomic<uint64_t> g_nextGeneration { 1 };

bool HasBothStages(uint32_t flags)
{
    return (flags & 3u) && (flags & 12u);
}

bool RunLengthStage(
    uint32_t flags, const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    return (flags & 1u) ? UnpackRle16(in, n, out, capacity, written)
                        : UnpackRle8(in, n, out, capacity, written);
}

bool LzStage(uint32_t flags, const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    return (flags & 4u) ? UnpackLzFlags(in, n, out, capacity, written)
                        : UnpackLzEscape(in, n, out, capacity, written);
}

std::string Format(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

uint32_t KWCursor::Size() const noexcept
{
    return IsOpen() ? m_engine->FileEntry(m_file).size : 0;
}

void KWCursor::Reset() noexcept
{
    m_engine = nullptr;
    m_keep.reset();
    m_file = -1;
    m_position = 0;
    m_block = -1;
}

KWEngine::~KWEngine()
{
    Close();
}

void KWEngine::Close() noexcept
{
    m_map.Unmap();
    m_file.Close();
    m_fileSize = 0;
    m_blockSize = 0;
    m_files.clear();
    m_blocks.clear();
    m_index.clear();
    m_blockLogged.reset();
}

bool KWEngine::Init(const char* path)
{
    const std::string program = path ? path : "";
    std::optional<std::string> host = plat::win::ResolvePath(program);
    std::string reason;
    const char* fixedText = nullptr;
    bool mounted = host && LoadFile(*host, reason, fixedText);
    // Messages name the archive as the program does.
    m_path = program;
    if (!mounted && fixedText)
        Log(fixedText);
    else if (!mounted && host && !reason.empty() && reason != kCannotOpen)
        Log("KWEngine::Init corrupt archive " + m_path + ": " + reason);
    return mounted;
}

bool KWEngine::Load(const std::string& hostPath, std::string& reason)
{
    const char* fixedText = nullptr;
    return LoadFile(hostPath, reason, fixedText);
}

bool KWEngine::LoadFile(const std::string& hostPath, std::string& reason, const char*& fixedText)
{
    Close();
    m_path = hostPath;
    auto fail = [&](std::string why, const char* text = nullptr) {
        Close();
        reason = std::move(why);
        fixedText = text;
        return false;
    };
    switch (m_file.Open(hostPath)) {
    case plat::win::FileResult::Ok:
        break;
    case plat::win::FileResult::NotRegular:
        return fail("not a regular file");
    default:
        return fail(kCannotOpen);
    }
    m_fileSize = m_file.Size();

    uint8_t header[kHeaderSize];
    if (m_fileSize < kHeaderSize || !ReadAt(header, kHeaderSize, 0))
        return fail("header shorter than 22 bytes", "KWEngine::Init Error read file");
    const uint32_t fileCount = LoadLE<uint32_t>(header + 6);
    const uint32_t blockCount = LoadLE<uint32_t>(header + 10);
    const uint32_t blockSize = LoadLE<uint32_t>(header + 14);
    if (blockSize < 1 || blockSize > kMaxBlockSize)
        return fail(Format("block size %u outside 1..%u", blockSize, kMaxBlockSize));
    const uint64_t fileTableEnd = kHeaderSize + kFileEntrySize * uint64_t(fileCount);
    const uint64_t blockTableEnd = fileTableEnd + kBlockEntrySize * uint64_t(blockCount);
    if (fileTableEnd > m_fileSize)
        return fail(Format("file table of %u entries runs past the end", fileCount),
            "KWEngine::Init Error read file");
    if (blockTableEnd > m_fileSize)
        return fail(Format("block table of %u entries runs past the end", blockCount),
            "KWEngine::Init Error read header file");

    std::vector<uint8_t> tables(size_t(blockTableEnd - kHeaderSize));
    if (!ReadAt(tables.data(), tables.size(), kHeaderSize))
        return fail("file table unreadable", "KWEngine::Init Error read file");
    const uint64_t streamSize = uint64_t(blockCount) * blockSize;
    m_files.resize(fileCount);
    for (uint32_t i = 0; i < fileCount; ++i) {
        const uint8_t* entry = tables.data() + kFileEntrySize * i;
        KWFileEntry& file = m_files[i];
        const void* end = std::memchr(entry, 0, kNameSize);
        if (!end)
            return fail(Format("name of file %u not terminated within 80 bytes", i));
        size_t length = size_t(static_cast<const uint8_t*>(end) - entry);
        std::memset(file.name, 0, kNameSize);
        std::memcpy(file.name, entry, length);
        plat::win::MakeUpper1251(file.name, length);
        file.start = LoadLE<uint32_t>(entry + 80);
        file.size = LoadLE<uint32_t>(entry + 84);
        if (uint64_t(file.start) + file.size > streamSize)
            return fail(Format("file %u ends past the last block", i));
    }
    m_blocks.resize(blockCount);
    const uint8_t* blockTable = tables.data() + kFileEntrySize * uint64_t(fileCount);
    for (uint32_t k = 0; k < blockCount; ++k) {
        const uint8_t* entry = blockTable + kBlockEntrySize * k;
        KWBlockEntry& block = m_blocks[k];
        block.flags = LoadLE<uint32_t>(entry + 4);
        block.offset = LoadLE<uint32_t>(entry + 8);
        const uint64_t words = HasBothStages(block.flags) ? 8 : 4;
        if (uint64_t(block.offset) + words > m_fileSize)
            return fail(Format("block %u record lies outside the file", k));
    }
    for (uint32_t i = 0; i < fileCount; ++i)
        m_index.try_emplace(std::string(m_files[i].name), int(i));
    m_blockLogged = std::make_unique<std::atomic<bool>[]>(blockCount);
    // Packed bytes are unpacked where they lie; without a mapping every read is a pread.
    m_map.Map(m_file);
    m_blockSize = blockSize;
    m_generation = g_nextGeneration.fetch_add(1);
    return true;
}

void KWEngine::Log(const std::string& message) const
{
    if (m_log)
        m_log(message);
    else
        WriteErrorLog(message);
}

const uint8_t* KWEngine::Stored(uint8_t* scratch, size_t n, uint64_t offset) const
{
    if (m_map.Data())
        return offset + n <= m_fileSize ? m_map.Data() + offset : nullptr;
    return ReadAt(scratch, n, offset) ? scratch : nullptr;
}

bool KWEngine::ReadAt(void* dest, size_t n, uint64_t offset) const
{
    if (m_map.Data()) {
        if (offset + n > m_fileSize)
            return false;
        std::memcpy(dest, m_map.Data() + offset, n);
        return true;
    }
    return m_file.ReadAt(dest, n, offset);
}

int KWEngine::FindFile(const char* name) const
{
    if (!name || m_files.empty())
        return -1;
    static const std::string base = BaseDirectory();
    std::string_view rest(name);
    auto same = [](char a, char b) { return a == b || ((a == '/' || a == '\\') && (b == '/' || b == '\\')); };
    if (rest.size() >= base.size() && std::equal(base.begin(), base.end(), rest.begin(), same))
        rest.remove_prefix(base.size());
    if (rest.size() >= kNameSize)
        return -1;
    char key[kNameSize];
    for (size_t i = 0; i < rest.size(); ++i)
        key[i] = rest[i] == '/' ? '\\' : plat::win::ToUpper1251(rest[i]);
    auto it = m_index.find(std::string_view(key, rest.size()));
    return it == m_index.end() ? -1 : it->second;
}

void KWEngine::Attach(KWCursor& cursor, int index) const
{
    if (cursor.m_generation != m_generation)
        cursor.m_block = -1;
    cursor.m_engine = this;
    cursor.m_keep = weak_from_this().lock();
    cursor.m_generation = m_generation;
    cursor.m_file = index;
    cursor.m_position = 0;
}

bool KWEngine::Open(KWCursor& cursor, const char* name) const
{
    return OpenIndex(cursor, FindFile(name));
}

bool KWEngine::OpenIndex(KWCursor& cursor, int index) const
{
    if (index < 0 || index >= FileCount())
        return false;
    Attach(cursor, index);
    return true;
}

size_t KWEngine::Read(KWCursor& cursor, void* dest, size_t n) const
{
    return ReadAvailable(cursor, dest, n) == n ? n : 0;
}

size_t KWEngine::ReadAvailable(KWCursor& cursor, void* dest, size_t n) const
{
    if (cursor.m_engine != this || cursor.m_generation != m_generation || cursor.m_file < 0
        || cursor.m_file >= FileCount())
        return 0;
    const KWFileEntry& file = m_files[size_t(cursor.m_file)];
    if (cursor.m_position >= file.size)
        return 0;
    n = size_t(std::min<uint64_t>(n, file.size - cursor.m_position));
    auto* out = static_cast<uint8_t*>(dest);
    uint64_t absolute = file.start + cursor.m_position;
    size_t copied = 0;
    while (copied < n) {
        const uint32_t k = uint32_t(absolute / m_blockSize);
        const uint32_t offset = uint32_t(absolute % m_blockSize);
        const size_t piece = std::min<size_t>(m_blockSize - offset, n - copied);
        const KWBlockEntry& block = m_blocks[k];
        if (cursor.m_block != int64_t(k) && (block.flags & 15u) == 0 && piece >= kDirectRead) {
            uint8_t word[4];
            std::string reason;
            uint32_t length = 0;
            if (!ReadAt(word, 4, block.offset))
                reason = "record unreadable";
            else if ((length = LoadLE<uint32_t>(word)) > m_blockSize
                || block.offset + 4ull + length > m_fileSize)
                reason = Format("stored length %u does not fit", length);
            else if (offset + piece > length)
                reason = Format("holds %u bytes, the read needs %zu", length, offset + piece);
            else if (!ReadAt(out + copied, piece, block.offset + 4ull + offset))
                reason = "record unreadable";
            if (!reason.empty()) {
                BadBlock(k, reason);
                break;
            }
        } else if (cursor.m_block != int64_t(k) && offset == 0 && piece == m_blockSize) {
            // A whole block unpacks straight into the caller's buffer; the cache is scratch.
            EnsureBuffers(cursor);
            cursor.m_block = -1;
            std::string reason;
            size_t written = 0;
            if (!Unpack(cursor, k, out + copied, written, reason)) {
                BadBlock(k, reason);
                break;
            }
            if (written < piece) {
                BadBlock(k, Format("holds %zu bytes, the read needs %zu", written, piece));
                break;
            }
        } else {
            if (!LoadBlock(cursor, k))
                break;
            if (offset + piece > cursor.m_blockLength) {
                BadBlock(
                    k, Format("holds %u bytes, the read needs %zu", cursor.m_blockLength, offset + piece));
                break;
            }
            std::memcpy(out + copied, cursor.m_a.get() + offset, piece);
        }
        copied += piece;
        absolute += piece;
    }
    cursor.m_position += copied;
    return copied;
}

void KWEngine::EnsureBuffers(KWCursor& cursor) const
{
    const size_t capacity = size_t(m_blockSize) + kSpare;
    if (cursor.m_capacity < capacity) {
        cursor.m_a.reset(new uint8_t[capacity]);
        cursor.m_b.reset(new uint8_t[capacity]);
        cursor.m_capacity = capacity;
        cursor.m_block = -1;
    }
}

bool KWEngine::LoadBlock(KWCursor& cursor, uint32_t k) const
{
    if (k >= m_blocks.size())
        return false;
    if (cursor.m_generation == m_generation && cursor.m_block == int64_t(k))
        return true;
    EnsureBuffers(cursor);
    cursor.m_block = -1;
    cursor.m_generation = m_generation;
    std::string reason;
    size_t written = 0;
    if (!Unpack(cursor, k, cursor.m_a.get(), written, reason)) {
        BadBlock(k, reason);
        return false;
    }
    cursor.m_blockLength = uint32_t(written);
    cursor.m_block = k;
    return true;
}

bool KWEngine::Unpack(KWCursor& cursor, uint32_t k, uint8_t* out, size_t& written, std::string& reason) const
{
    const KWBlockEntry& block = m_blocks[k];
    const uint32_t flags = block.flags & 15u;
    const size_t room = size_t(m_blockSize) + kSpare;
    const bool both = HasBothStages(flags);
    uint8_t words[8];
    const size_t wordBytes = both ? 8 : 4;
    written = 0;
    if (!ReadAt(words, wordBytes, block.offset)) {
        reason = "record unreadable";
        return false;
    }
    const uint32_t first = LoadLE<uint32_t>(words);
    const uint32_t length = both ? LoadLE<uint32_t>(words + 4) : first;
    const uint64_t dataAt = uint64_t(block.offset) + wordBytes;
    if (length > (flags == 0 ? m_blockSize : room) || (both && first > room)) {
        reason = Format("stored length %u (middle %u) too large", length, first);
        return false;
    }
    if (dataAt + length > m_fileSize) {
        reason = "record runs past the end of the archive";
        return false;
    }
    uint8_t* a = cursor.m_a.get();
    uint8_t* b = cursor.m_b.get();
    bool ok = true;
    if (flags == 0) {
        ok = ReadAt(out, length, dataAt);
        written = length;
    } else if (both) {
        size_t middle = 0;
        const uint8_t* in = Stored(a, length, dataAt);
        ok = in && LzStage(flags, in, length, b, room, middle);
        if (ok && middle != first) {
            reason = Format("LZ stage gave %zu bytes, the record says %u", middle, first);
            return false;
        }
        ok = ok && RunLengthStage(flags, b, first, out, m_blockSize, written);
    } else {
        const uint8_t* in = Stored(b, length, dataAt);
        ok = in
            && ((flags & 12u) ? LzStage(flags, in, length, out, m_blockSize, written)
                              : RunLengthStage(flags, in, length, out, m_blockSize, written));
    }
    if (!ok) {
        reason = Format("does not unpack (flags %u)", flags);
        return false;
    }
    return true;
}

void KWEngine::BadBlock(uint32_t k, const std::string& reason) const
{
    if (k < m_blocks.size() && !m_blockLogged[k].exchange(true))
        Log(Format("KWEngine::LoadBlock corrupt block %u of ", k) + m_path + ": " + reason);
}
