#include "platform/win/find.h"

#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace plat::win {
namespace {

std::u32string FoldedCodePoints(std::string_view utf8)
{
    std::u32string out;
    for (std::size_t pos = 0; pos < utf8.size();)
        out += UpperCodePoint(DecodeUtf8(utf8, pos));
    return out;
}

bool WildcardMatch(std::u32string_view pattern, std::u32string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::u32string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

FileTime TimeOf(const struct stat& st)
{
    return FileTime { int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec };
}

void SplitTime(FileTime time, time_t& seconds, int& milliseconds)
{
    int64_t ns = time.unixNanoseconds;
    int64_t s = ns / 1'000'000'000;
    int64_t rest = ns % 1'000'000'000;
    if (rest < 0) {
        rest += 1'000'000'000;
        --s;
    }
    seconds = time_t(s);
    milliseconds = int(rest / 1'000'000);
}

} // namespace

std::vector<FoundFile> FileSearch(std::string_view pattern)
{
    std::size_t slash = pattern.find_last_of("\\/");
    std::string_view folder
        = slash == std::string_view::npos ? std::string_view() : pattern.substr(0, slash + 1);
    std::string_view namePattern = slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
    std::vector<FoundFile> found;
    if (namePattern.empty())
        return found;
    auto dir = ResolvePath(folder.empty() ? std::string_view(".") : folder);
    if (!dir)
        return found;
    DIR* d = ::opendir(dir->c_str());
    if (!d)
        return found;

    const std::u32string wanted = FoldedCodePoints(Cp1251ToUtf8(namePattern));
    std::vector<std::pair<FoundFile, std::string>> entries; // with the name on disk
    while (dirent* entry = ::readdir(d)) {
        std::string_view name(entry->d_name);
        if (name == "." || name == ".." || !WildcardMatch(wanted, FoldedCodePoints(name)))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(d), entry->d_name, &st, 0) != 0
            && ::fstatat(::dirfd(d), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        FoundFile file;
        file.name = Utf8ToCp1251(name);
        file.isDirectory = S_ISDIR(st.st_mode);
        file.size = file.isDirectory ? 0 : uint64_t(st.st_size);
        file.lastWriteTime = TimeOf(st);
        entries.emplace_back(std::move(file), std::string(name));
    }
    ::closedir(d);

    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        int byCase = CompareNoCase1251(a.first.name, b.first.name);
        return byCase != 0 ? byCase < 0 : a.second < b.second;
    });
    found.reserve(entries.size());
    for (auto& entry : entries)
        found.push_back(std::move(entry.first));
    return found;
}

bool GetFileTime(std::string_view path, FileTime& lastWrite)
{
    auto resolved = ResolvePath(path);
    struct stat st;
    if (!resolved || ::stat(resolved->c_str(), &st) != 0)
        return false;
    lastWrite = TimeOf(st);
    return true;
}

DosDateTime FileTimeToDosDateTime(FileTime time)
{
    time_t seconds = 0;
    int milliseconds = 0;
    SplitTime(time, seconds, milliseconds);
    std::tm tm {};
    if (!::gmtime_r(&seconds, &tm) || tm.tm_year < 80)
        return DosDateTime {};
    if (tm.tm_year > 207)
        return DosDateTime { uint16_t(127 << 9 | 12 << 5 | 31), uint16_t(23 << 11 | 59 << 5 | 29) };
    return DosDateTime {
        uint16_t((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday),
        uint16_t(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2),
    };
}

LocalTime FileTimeToLocalTime(FileTime time)
{
    time_t seconds = 0;
    int milliseconds = 0;
    SplitTime(time, seconds, milliseconds);
    std::tm tm {};
    ::localtime_r(&seconds, &tm);
    return LocalTime { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_wday, tm.tm_mday, tm.tm_hour, tm.tm_min,
        tm.tm_sec, milliseconds };
}

} // namespace plat::win
