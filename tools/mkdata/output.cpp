#include "tools/mkdata/output.h"

#include "platform/win/text.h"
#include "tools/data/atomic_file.h"
#include "tools/data/pak_writer.h"
#include "tools/mkdata/sources.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace zoq::tools::mkdata {
namespace {

// The first component of a Windows path, and the rest.
std::pair<std::string, std::string> SplitFirst(const std::string& path)
{
    const size_t slash = path.find('\\');
    if (slash == std::string::npos)
        return { path, {} };
    return { path.substr(0, slash), path.substr(slash + 1) };
}

bool UnderData(const std::string& path)
{
    auto [first, rest] = SplitFirst(path);
    return !rest.empty() && plat::win::EqualNoCase1251(first, "Data");
}

// out/<folder>/<rest of the path after "Data\">.
fs::path DataHostPath(const fs::path& out, const char* folder, const std::string& path)
{
    fs::path host = out / folder;
    std::string rest = SplitFirst(path).second;
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t slash = rest.find('\\', start);
        host /= fs::path(
            ToUtf8(rest.substr(start, slash == std::string::npos ? std::string::npos : slash - start)));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return host;
}

bool WriteWhole(const fs::path& path, const Bytes& bytes, std::string& error)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    stream.close();
    if (!stream) {
        error = path.string() + ": cannot write";
        return false;
    }
    return true;
}

bool ReadWhole(const fs::path& path, Bytes& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A leftover of an interrupted swap: Data.old without Data goes back.
void RecoverSwap(const fs::path& out)
{
    std::error_code ec;
    const fs::path data = out / "Data";
    const fs::path old = out / "Data.old";
    if (fs::exists(old, ec)) {
        if (!fs::exists(data, ec))
            fs::rename(old, data, ec);
        else
            fs::remove_all(old, ec);
    }
}

} // namespace

fs::path HostPath(const fs::path& out, const std::string& windowsPath)
{
    if (UnderData(windowsPath))
        return DataHostPath(out, "Data", windowsPath);
    const auto [first, rest] = SplitFirst(windowsPath);
    return rest.empty() ? out / fs::path(ToUtf8(first))
                        : DataHostPath(out, ToUtf8(first).c_str(), windowsPath);
}

std::vector<PlacedFile> PlaceFiles(const DataSet& set)
{
    const std::map<std::string, ReaderCount> readers = CountReaders(set);
    std::vector<PlacedFile> placed;
    for (const auto& file : set.Files()) {
        const auto it = readers.find(plat::win::Upper1251(file->path));
        const bool archived = it != readers.end() && it->second.Archived();
        placed.push_back({ file.get(), archived });
    }
    std::sort(placed.begin(), placed.end(),
        [](const PlacedFile& a, const PlacedFile& b) { return a.file->path < b.file->path; });
    return placed;
}

std::string ListLines(const std::vector<PlacedFile>& placed)
{
    std::string text;
    for (const PlacedFile& p : placed) {
        text += p.archived ? "archive " : "plain ";
        text += std::to_string(p.file->bytes.size()) + " " + ToUtf8(p.file->path) + "\n";
    }
    return text;
}

std::string StampText(uint64_t hash, const std::vector<PlacedFile>& placed, uint64_t pakSize)
{
    char head[64];
    std::snprintf(head, sizeof head, "zoq-mkdata %016" PRIx64 "\n", hash);
    std::string text = head;
    std::vector<std::pair<std::string, uint64_t>> rows;
    for (const PlacedFile& p : placed) {
        if (!p.archived)
            rows.emplace_back(ToUtf8(p.file->path), p.file->bytes.size());
    }
    rows.emplace_back(kPakPath, pakSize);
    std::sort(rows.begin(), rows.end());
    for (const auto& [path, size] : rows)
        text += std::to_string(size) + " " + path + "\n";
    return text;
}

bool FolderUpToDate(const fs::path& out, uint64_t hash)
{
    Bytes stamp;
    if (!ReadWhole(HostPath(out, kStampPath), stamp))
        return false;
    const std::string text(stamp.begin(), stamp.end());
    const std::vector<std::string_view> lines = SplitLines(text);
    char head[64];
    std::snprintf(head, sizeof head, "zoq-mkdata %016" PRIx64, hash);
    if (lines.empty() || lines[0] != head)
        return false;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        const size_t space = lines[i].find(' ');
        if (space == std::string_view::npos)
            return false;
        std::string path;
        if (!ToCp1251(lines[i].substr(space + 1), path))
            return false;
        const fs::path host = HostPath(out, path);
        std::error_code ec;
        const uintmax_t size = fs::file_size(host, ec);
        if (ec)
            return false;
        // The game and the settings program rewrite cfg.ini; only its presence counts.
        if (!plat::win::EqualNoCase1251(path, kConfigPath)
            && std::to_string(size) != lines[i].substr(0, space))
            return false;
    }
    return true;
}

bool WriteFolder(const fs::path& out, const std::vector<PlacedFile>& placed, uint64_t hash, bool force,
    WriteResult& result, std::string& error)
{
    result = WriteResult();
    std::error_code ec;
    fs::create_directories(out, ec);
    RecoverSwap(out);
    const fs::path fresh = out / "Data.new";
    fs::remove_all(fresh, ec);
    if (!fs::create_directories(fresh, ec)) {
        error = fresh.string() + ": cannot create";
        return false;
    }
    auto fail = [&](const std::string& why) {
        error = why;
        fs::remove_all(fresh, ec);
        return false;
    };

    std::vector<data::PakSource> sources;
    std::vector<const DataFile*> rootFiles;
    for (const PlacedFile& p : placed) {
        const DataFile& file = *p.file;
        if (p.archived) {
            data::PakSource source;
            std::string why;
            if (!data::MakePakName(ToUtf8(file.path), source.name, why))
                return fail(file.origin.Where() + ": " + why);
            source.data = file.bytes;
            sources.push_back(std::move(source));
            ++result.archived;
            continue;
        }
        ++result.plain;
        if (!UnderData(file.path)) {
            rootFiles.push_back(&file);
            continue;
        }
        const Bytes* bytes = &file.bytes;
        Bytes kept;
        if (!force && plat::win::EqualNoCase1251(file.path, kConfigPath)
            && ReadWhole(HostPath(out, file.path), kept)) {
            bytes = &kept;
            result.keptConfig = true;
        }
        std::string why;
        if (!WriteWhole(DataHostPath(out, "Data.new", file.path), *bytes, why))
            return fail(why);
        result.bytes += bytes->size();
    }

    const fs::path pak = DataHostPath(out, "Data.new", kPakPath);
    if (!data::WritePak(pak, std::move(sources), data::PakOptions(), error))
        return fail(error);
    const uint64_t pakSize = fs::file_size(pak, ec);
    result.bytes += pakSize;
    const std::string stamp = StampText(hash, placed, pakSize);
    std::string why;
    if (!WriteWhole(DataHostPath(out, "Data.new", kStampPath), Bytes(stamp.begin(), stamp.end()), why))
        return fail(why);
    result.bytes += stamp.size();

    // The swap: the old folder steps aside, the new one takes its name, the old one goes.
    const fs::path data = out / "Data";
    const fs::path old = out / "Data.old";
    if (fs::exists(data, ec)) {
        fs::rename(data, old, ec);
        if (ec)
            return fail(data.string() + ": cannot move aside: " + ec.message());
    }
    fs::rename(fresh, data, ec);
    if (ec) {
        std::error_code back;
        fs::rename(old, data, back);
        return fail(fresh.string() + ": cannot rename: " + ec.message());
    }
    fs::remove_all(old, ec);

    for (const DataFile* file : rootFiles) {
        data::AtomicFile atomic;
        const fs::path host = HostPath(out, file->path);
        fs::create_directories(host.parent_path(), ec);
        if (!atomic.Open(host, error) || !atomic.Write(file->bytes.data(), file->bytes.size(), error)
            || !atomic.Commit(error))
            return false;
        result.bytes += file->bytes.size();
    }
    return true;
}

} // namespace zoq::tools::mkdata
