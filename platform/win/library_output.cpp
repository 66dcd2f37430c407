#include "platform/win/library_output.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

#include <sys/mman.h>
#include <unistd.h>

namespace plat::win {

namespace {

std::atomic<LibraryLogSink> g_sink { nullptr };
std::mutex g_givenMutex;

bool FirstTime(const std::string& line)
{
    static std::set<std::string> given;
    std::lock_guard lock(g_givenMutex);
    return given.insert(line).second;
}

} // namespace

void SetLibraryLogSink(LibraryLogSink sink)
{
    g_sink = sink;
}

void LogLibraryOutput(std::string_view call, std::string_view output)
{
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.remove_suffix(1);
    const LibraryLogSink sink = g_sink;
    if (output.empty() || !sink)
        return;
    const std::size_t end = output.find('\n');
    std::string line = std::string(call) + ": " + std::string(output.substr(0, end));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (end != std::string_view::npos) {
        std::size_t more = 0;
        for (std::size_t at = end; at != std::string_view::npos; at = output.find('\n', at + 1))
            ++more;
        line += " (and " + std::to_string(more) + (more == 1 ? " more line)" : " more lines)");
    }
    if (FirstTime(line))
        sink(line);
}

StderrCatch::StderrCatch()
{
    std::fflush(stderr);
    m_caught = memfd_create("zoq-stderr", MFD_CLOEXEC);
    m_saved = m_caught < 0 ? -1 : dup(STDERR_FILENO);
    if (m_saved < 0 || dup2(m_caught, STDERR_FILENO) < 0) {
        if (m_saved >= 0)
            close(m_saved);
        if (m_caught >= 0)
            close(m_caught);
        m_saved = m_caught = -1;
    }
}

StderrCatch::~StderrCatch()
{
    Take();
}

std::string StderrCatch::Take()
{
    if (m_caught < 0)
        return {};
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = pread(m_caught, buffer, sizeof buffer, at);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
        at += n;
    }
    close(m_caught);
    m_saved = m_caught = -1;
    return text;
}

} // namespace plat::win
