#include "tools/data/pak_writer.h"

#include "foundation/ByteOrder.h"
#include "platform/win/text.h"
#include "tools/data/atomic_file.h"
#include "tools/data/strict_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zoq::tools::data {
namespace {

constexpr size_t kHeaderSize = 22;
constexpr size_t kFileEntrySize = 88;
constexpr size_t kBlockEntrySize = 12;
constexpr char kSignature[6] = { 'Z', 'O', 'Q', 'P', 'A', 'K' }; // writer-defined header bytes

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads the sources one after the other as one stream.
class StreamReader {
public:
    explicit StreamReader(const std::vector<PakSource>& sources)
        : m_sources(sources)
    {
    }

    // Fills up to n bytes; false with a reason when a source cannot be read whole.
    bool Fill(uint8_t* dest, size_t n, size_t& got, std::string& error)
    {
        got = 0;
        while (got < n && m_index < m_sources.size()) {
            const PakSource& source = m_sources[m_index];
            if (!source.data.empty() || source.path.empty()) {
                size_t take = std::min(n - got, source.data.size() - m_offset);
                if (take > 0)
                    std::memcpy(dest + got, source.data.data() + m_offset, take);
                got += take;
                m_offset += take;
                if (m_offset == source.data.size())
                    Next();
                continue;
            }
            if (!m_file) {
                m_file.reset(std::fopen(source.path.c_str(), "rb"));
                if (!m_file) {
                    error = source.path.string() + ": cannot open";
                    return false;
                }
            }
            size_t want = std::min<uint64_t>(n - got, m_sizes[m_index] - m_offset);
            size_t read = want ? std::fread(dest + got, 1, want, m_file.get()) : 0;
            if (read != want) {
                error = source.path.string() + ": changed while packing";
                return false;
            }
            got += read;
            m_offset += read;
            if (m_offset == m_sizes[m_index])
                Next();
        }
        return true;
    }

    std::vector<uint64_t> m_sizes;

private:
    void Next()
    {
        m_file.reset();
        m_offset = 0;
        ++m_index;
    }

    const std::vector<PakSource>& m_sources;
    size_t m_index = 0;
    uint64_t m_offset = 0;
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

} // namespace

bool MakePakName(std::string_view utf8Relative, std::string& stored, std::string& error)
{
    if (!StrictUtf8ToCp1251(utf8Relative, stored)) {
        error = "name has a character without a Windows-1251 byte";
        return false;
    }
    for (char& c : stored)
        c = c == '/' ? '\\' : plat::win::ToUpper1251(c);
    if (stored.empty()) {
        error = "empty name";
        return false;
    }
    if (stored.size() > kMaxPakName) {
        error = "name longer than 79 bytes";
        return false;
    }
    return true;
}

bool CollectPakSources(const std::filesystem::path& dir, const std::filesystem::path& root,
    std::vector<PakSource>& sources, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code code;
    if (!fs::is_directory(dir, code)) {
        error = dir.string() + ": not a folder";
        return false;
    }
    fs::path base = fs::absolute(root, code).lexically_normal();
    fs::recursive_directory_iterator it(dir, code), end;
    if (code) {
        error = dir.string() + ": " + code.message();
        return false;
    }
    for (; it != end; it.increment(code)) {
        if (code) {
            error = dir.string() + ": " + code.message();
            return false;
        }
        if (!it->is_regular_file(code))
            continue;
        fs::path file = fs::absolute(it->path(), code).lexically_normal();
        fs::path relative = file.lexically_relative(base);
        if (relative.empty() || *relative.begin() == "..") {
            error = it->path().string() + ": not under the root " + root.string();
            return false;
        }
        PakSource source;
        std::string reason;
        if (!MakePakName(relative.generic_string(), source.name, reason)) {
            error = it->path().string() + ": " + reason;
            return false;
        }
        source.path = it->path();
        sources.push_back(std::move(source));
    }
    return true;
}

bool WritePak(const std::filesystem::path& out, std::vector<PakSource> sources, const PakOptions& options,
    std::string& error)
{
    const std::string outName = out.string();
    if (options.blockSize < kMinPakBlockSize || options.blockSize > kMaxPakBlockSize) {
        error = outName + ": block size outside 64..16777216";
        return false;
    }
    std::stable_sort(sources.begin(), sources.end(),
        [](const PakSource& a, const PakSource& b) { return a.name < b.name; });
    StreamReader reader(sources);
    uint64_t total = 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        const PakSource& source = sources[i];
        if (source.name.empty() || source.name.size() > kMaxPakName
            || source.name.find('\0') != std::string::npos) {
            error = outName + ": bad stored name '" + plat::win::Cp1251ToUtf8(source.name) + "'";
            return false;
        }
        if (i > 0 && sources[i - 1].name == source.name) {
            error = outName + ": two files stored as '" + plat::win::Cp1251ToUtf8(source.name) + "'";
            return false;
        }
        uint64_t size = source.data.size();
        if (source.data.empty() && !source.path.empty()) {
            std::error_code code;
            size = std::filesystem::file_size(source.path, code);
            if (code) {
                error = source.path.string() + ": " + code.message();
                return false;
            }
        }
        reader.m_sizes.push_back(size);
        total += size;
    }
    if (total > 0xFFFFFFFFull) {
        error = outName + ": more than 4 GiB of files";
        return false;
    }
    const uint32_t blockSize = options.blockSize;
    const uint64_t blockCount = (total + blockSize - 1) / blockSize;

    std::vector<uint8_t> tables(
        kHeaderSize + kFileEntrySize * sources.size() + kBlockEntrySize * blockCount, 0);
    std::memcpy(tables.data(), kSignature, sizeof kSignature);
    StoreLE<uint32_t>(&tables[6], uint32_t(sources.size()));
    StoreLE<uint32_t>(&tables[10], uint32_t(blockCount));
    StoreLE<uint32_t>(&tables[14], blockSize);
    StoreLE<uint32_t>(&tables[18], uint32_t(total)); // writer-defined: the unpacked stream's length
    uint64_t start = 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        uint8_t* entry = &tables[kHeaderSize + kFileEntrySize * i];
        std::memcpy(entry, sources[i].name.data(), sources[i].name.size());
        StoreLE<uint32_t>(entry + 80, uint32_t(start));
        StoreLE<uint32_t>(entry + 84, uint32_t(reader.m_sizes[i]));
        start += reader.m_sizes[i];
    }

    AtomicFile file;
    std::string reason;
    if (!file.Open(out, reason) || !file.Write(tables.data(), tables.size(), reason)) {
        error = outName + ": " + reason;
        return false;
    }
    uint64_t offset = tables.size();
    std::vector<uint8_t> block(blockSize);
    for (uint64_t k = 0; k < blockCount; ++k) {
        size_t got = 0;
        if (!reader.Fill(block.data(), blockSize, got, error))
            return false;
        if (got == 0 || (got < blockSize && k + 1 < blockCount)) {
            error = outName + ": a source changed while packing";
            return false;
        }
        BlockRecord record = PackBlock(ByteSpan(block.data(), got), options.codec, blockSize);
        if (offset > 0xFFFFFFFFull - record.record.size()) {
            error = outName + ": archive larger than 4 GiB";
            return false;
        }
        uint8_t* entry = &tables[kHeaderSize + kFileEntrySize * sources.size() + kBlockEntrySize * k];
        StoreLE<uint32_t>(entry, uint32_t(got)); // writer-defined: the block's unpacked length
        StoreLE<uint32_t>(entry + 4, record.flags);
        StoreLE<uint32_t>(entry + 8, uint32_t(offset));
        if (!file.Write(record.record.data(), record.record.size(), reason)) {
            error = outName + ": " + reason;
            return false;
        }
        offset += record.record.size();
    }
    if (std::fseek(file.Stream(), 0, SEEK_SET) != 0 || !file.Write(tables.data(), tables.size(), reason)
        || !file.Commit(reason)) {
        error = outName + ": " + (reason.empty() ? std::string("write failed") : reason);
        return false;
    }
    return true;
}

} // namespace zoq::tools::data
