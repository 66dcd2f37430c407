#include "platform/win/paths.h"

#include "platform/win/read_all.h"
#include "platform/win/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::win {
namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool HasDriveLetter(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':'
        && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The name in `dir` that equals `name` ignoring case; of several, the first in byte order.
std::optional<std::string> FindNoCase(const std::string& dir, const std::string& name)
{
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return std::nullopt;
    const std::string folded = FoldUtf8(name);
    std::optional<std::string> best;
    while (dirent* entry = ::readdir(d)) {
        std::string_view candidate(entry->d_name);
        if (candidate == "." || candidate == "..")
            continue;
        if (candidate.size() != name.size()) // folding keeps the byte length
            continue;
        if (FoldUtf8(candidate) == folded && (!best || candidate < *best))
            best = std::string(candidate);
    }
    ::closedir(d);
    return best;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The path with '/' for '\\' when it is plain (ASCII, no empty, "." or ".." component), the
// common case, in one tight pass; nullopt otherwise.
std::optional<std::string> PlainPath(const std::string& root, std::string_view path, bool absolute)
{
    const std::size_t start = absolute ? 1 : 0;
    std::string out(root.size() + path.size() - start, '\0');
    std::memcpy(out.data(), root.data(), root.size());
    char* o = out.data() + root.size();
    std::size_t component = start;
    for (std::size_t i = start; i <= path.size(); ++i) {
        const char c = i < path.size() ? path[i] : '/';
        if (c == '/' || c == '\\') {
            const std::size_t length = i - component;
            const bool dots
                = path[component] == '.' && (length == 1 || (length == 2 && path[component + 1] == '.'));
            if (length == 0 || dots)
                return std::nullopt;
            if (i < path.size())
                *o++ = '/';
            component = i + 1;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        } else {
            *o++ = c;
        }
    }
    return out;
}

// A read-only text stream: the file's text with CRLF read as LF, served from memory.
struct TextCookie {
    std::string text;
    std::size_t pos = 0;
};

ssize_t TextRead(void* cookie, char* out, std::size_t size)
{
    auto* c = static_cast<TextCookie*>(cookie);
    std::size_t n = std::min(size, c->text.size() - c->pos);
    std::memcpy(out, c->text.data() + c->pos, n);
    c->pos += n;
    return static_cast<ssize_t>(n);
}

int TextSeek(void* cookie, off64_t* offset, int whence)
{
    auto* c = static_cast<TextCookie*>(cookie);
    off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? off64_t(c->pos) : off64_t(c->text.size());
    off64_t target = base + *offset;
    if (target < 0 || target > off64_t(c->text.size())) {
        errno = EINVAL;
        return -1;
    }
    c->pos = std::size_t(target);
    *offset = target;
    return 0;
}

int TextClose(void* cookie)
{
    delete static_cast<TextCookie*>(cookie);
    return 0;
}

std::FILE* OpenTextReader(int fd)
{
    std::string raw;
    const bool read = ReadAll(fd, raw);
    ::close(fd);
    if (!read)
        return nullptr;
    auto* cookie = new TextCookie;
    cookie->text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        cookie->text += raw[i];
    }
    std::FILE* file = ::fopencookie(cookie, "r", { TextRead, nullptr, TextSeek, TextClose });
    if (!file)
        delete cookie;
    return file;
}

} // namespace

bool ReadAll(int fd, std::string& out)
{
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(chunk, std::size_t(n));
    }
}

std::optional<std::string> ResolvePath(std::string_view path)
{
    return ResolvePathIn(std::string(), path);
}

std::optional<std::string> ResolvePathIn(const std::string& folder, std::string_view path)
{
    if (HasDriveLetter(path))
        return std::nullopt;
    const bool absolute = !path.empty() && IsSeparator(path[0]);
    // The walk starts from here: "/" or "folder/" or "" (the working directory).
    const std::string root = absolute ? "/"
        : folder.empty()              ? std::string()
        : folder.back() == '/'        ? folder
                                      : folder + "/";
    const std::size_t base = root.size();
    std::string exact;
    if (auto plain = PlainPath(root, path, absolute)) {
        if (Exists(*plain))
            return plain; // a path spelled as on disk costs one stat
        exact = std::move(*plain);
    } else {
        // Separators to '/', components to UTF-8, "." and empty ones dropped, ".." applied.
        exact = root;
        exact.reserve(base + path.size() + path.size() / 2);
        for (std::size_t pos = 0; pos < path.size();) {
            std::size_t end = pos;
            while (end < path.size() && !IsSeparator(path[end]))
                ++end;
            const std::string_view part = path.substr(pos, end - pos);
            pos = end + 1;
            if (part.empty() || part == ".")
                continue;
            if (part == "..") {
                std::size_t slash = exact.rfind('/');
                std::size_t last = slash == std::string::npos || slash < base ? base : slash + 1;
                if (exact.size() > base && std::string_view(exact).substr(last) != "..") {
                    exact.resize(last == base ? base : last - 1);
                    continue;
                }
                if (absolute)
                    continue; // nothing is above the root
            }
            if (exact.size() > base)
                exact += '/';
            for (char c : part)
                AppendUtf8(exact, Cp1251ToCodePoint(static_cast<unsigned char>(c)));
        }
        if (exact.size() == base)
            return base == 0 ? std::string(".") : exact;
        if (Exists(exact))
            return exact;
    }

    std::string resolved = exact.substr(0, base);
    bool searching = true;
    for (std::size_t pos = base; pos < exact.size();) {
        std::size_t end = std::min(exact.find('/', pos), exact.size());
        const std::string part = exact.substr(pos, end - pos);
        const std::string dir = resolved;
        if (pos > base)
            resolved += '/';
        pos = end + 1;
        if (!searching || part == ".." || Exists(resolved + part)) {
            resolved += part;
            continue;
        }
        if (auto match = FindNoCase(dir, part)) {
            resolved += *match;
        } else {
            resolved += part;
            searching = false; // nothing below a missing folder can be found
        }
    }
    return resolved;
}

std::FILE* OpenFile(std::string_view path, std::string_view mode)
{
    if (mode.empty())
        return nullptr;
    const bool plus = mode.find('+') != std::string_view::npos;
    const bool binary = mode.find('b') != std::string_view::npos;
    int flags = O_CLOEXEC;
    const char* stdioMode = nullptr;
    switch (mode[0]) {
    case 'r':
        flags |= plus ? O_RDWR : O_RDONLY;
        stdioMode = plus ? "r+" : "r";
        break;
    case 'w':
        flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        stdioMode = plus ? "w+" : "w";
        break;
    case 'a':
        flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
        stdioMode = plus ? "a+" : "a";
        break;
    default:
        return nullptr;
    }
    auto resolved = ResolvePath(path);
    if (!resolved)
        return nullptr;
    int fd = ::open(resolved->c_str(), flags, 0666);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    if (mode[0] == 'r' && !plus && !binary)
        return OpenTextReader(fd);
    std::FILE* file = ::fdopen(fd, stdioMode);
    if (!file)
        ::close(fd);
    return file;
}

bool MakeDirectory(std::string_view path)
{
    auto resolved = ResolvePath(path);
    return resolved && ::mkdir(resolved->c_str(), 0777) == 0;
}

bool RemoveFile(std::string_view path)
{
    auto resolved = ResolvePath(path);
    return resolved && ::unlink(resolved->c_str()) == 0;
}

bool RenameFile(std::string_view from, std::string_view to)
{
    auto source = ResolvePath(from);
    auto target = ResolvePath(to);
    return source && target && ::rename(source->c_str(), target->c_str()) == 0;
}

std::string CurrentDirectory()
{
    return ".";
}

} // namespace plat::win
