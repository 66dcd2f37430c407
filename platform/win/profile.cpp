#include "platform/win/profile.h"

#include "platform/win/debug.h"
#include "platform/win/paths.h"
#include "platform/win/profile_text.h"
#include "platform/win/read_all.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::win {
namespace {

// The file's bytes; empty when it is missing. False when it exists but cannot be read.
bool ReadWhole(const std::string& path, std::string& out)
{
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const bool read = ReadAll(fd, out);
    ::close(fd);
    return read;
}

ProfileText Load(std::string_view file)
{
    std::string bytes;
    if (auto path = ResolvePath(file); path && ReadWhole(*path, bytes))
        return ProfileText(std::move(bytes));
    return ProfileText();
}

uint32_t CopyOut(std::string_view text, char* buf, uint32_t size)
{
    if (!buf || size == 0)
        return 0;
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return uint32_t(n);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const struct stat* old)
{
    static std::atomic<unsigned> counter { 0 };
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && old)
        ok = ::fchmod(fd, old->st_mode & 07777) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        int error = errno;
        ::unlink(temp.c_str());
        errno = error;
    }
    return ok;
}

} // namespace

uint32_t ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
    const char* def, char* buf, uint32_t size)
{
    ProfileText text = Load(file);
    if (auto value = text.Find(section, key))
        return CopyOut(*value, buf, size);
    std::string_view fallback = def ? def : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t'))
        fallback.remove_suffix(1);
    return CopyOut(fallback, buf, size);
}

uint32_t ReadProfileInt(std::string_view file, std::string_view section, std::string_view key, int32_t def)
{
    ProfileText text = Load(file);
    auto value = text.Find(section, key);
    if (!value || value->empty())
        return uint32_t(def);
    std::string_view s = *value;
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    int base = 10;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int digit = c >= '0' && c <= '9'         ? c - '0'
            : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
            : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            break;
        magnitude = std::min<int64_t>(magnitude * base + digit, int64_t(INT32_MAX) + 1);
    }
    int64_t result = negative ? -magnitude : magnitude;
    result = std::clamp<int64_t>(result, INT32_MIN, INT32_MAX);
    return uint32_t(int32_t(result));
}

uint32_t ReadProfileSectionNames(std::string_view file, char* buf, uint32_t size)
{
    if (!buf || size == 0)
        return 0;
    ProfileText text = Load(file);
    std::string list;
    for (std::string_view name : text.SectionNames())
        list.append(name).push_back('\0');
    if (size == 1) {
        buf[0] = '\0';
        return 0;
    }
    if (list.size() + 1 <= size) {
        std::memcpy(buf, list.data(), list.size());
        buf[list.size()] = '\0';
        if (list.empty())
            buf[1] = '\0';
        return uint32_t(list.size());
    }
    std::memcpy(buf, list.data(), size - 2);
    buf[size - 2] = '\0';
    buf[size - 1] = '\0';
    return size - 2;
}

bool WriteProfileString(
    std::string_view file, std::string_view section, std::string_view key, std::string_view value)
{
    auto resolved = ResolvePath(file);
    if (!resolved)
        return false;
    std::string path = *resolved;
    // Write through a link to the file it names, so the link survives the replacement.
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    std::string bytes;
    if (!ReadWhole(path, bytes)) {
        DebugOutput("WriteProfileString: cannot read " + std::string(file));
        return false;
    }
    struct stat old;
    bool exists = ::stat(path.c_str(), &old) == 0;
    ProfileText text(std::move(bytes));
    text.Set(section, key, value);
    if (!ReplaceFile(path, text.Bytes(), exists ? &old : nullptr)) {
        DebugOutput("WriteProfileString: cannot write " + std::string(file) + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace plat::win
