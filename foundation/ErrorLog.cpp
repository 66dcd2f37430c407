#include "foundation/ErrorLog.h"

#include "foundation/BaseDirectory.h"
#include "platform/win/debug.h"
#include "platform/win/library_output.h"
#include "platform/win/paths.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace {

std::mutex g_logMutex;
ErrorLogClock g_clock = nullptr;
bool g_startLinePending = true;

// Function-local, so that logging works during other files' static initialisation.
std::string& Directory()
{
    static std::string directory;
    return directory;
}

std::string LogPathLocked()
{
    const std::string& directory = Directory();
    return (directory.empty() ? BaseDirectory() : directory) + "error.log";
}

// Appends one stamped line of UTF-8 text; the first line of the process follows its start line.
void AppendLocked(std::string_view text)
{
    const plat::win::LocalTime now = g_clock ? g_clock() : plat::win::GetLocalTime();
    const std::string stamp = FormatErrorLogStamp(now);
    std::string lines;
    if (g_startLinePending)
        lines = stamp + ErrorLogStartLine() + "\n";
    lines += stamp;
    lines += text;
    lines += '\n';
    if (std::FILE* file = plat::win::OpenFile(LogPathLocked(), "a")) {
        std::fwrite(lines.data(), 1, lines.size(), file);
        std::fclose(file);
        g_startLinePending = false;
    }
}

// Library output reaches the log only, never the terminal.
void AppendLibraryLine(std::string_view line)
{
    std::lock_guard lock(g_logMutex);
    AppendLocked(line);
}

[[maybe_unused]] const bool g_libraryOutputLogged = (plat::win::SetLibraryLogSink(&AppendLibraryLine), true);

} // namespace

std::string ErrorLogStartLine()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return plat::win::ProgramName() + " " + std::string(plat::win::ProgramVersion()) + " started in "
        + (error ? std::string("an unknown folder") : folder.string());
}

std::string FormatErrorLogStamp(const plat::win::LocalTime& time)
{
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%2d-%2d-%4d %2d:%2d:%2d:%3d ", time.day, time.month, time.year,
        time.hour, time.minute, time.second, time.milliseconds);
    return stamp;
}

void WriteErrorLog(std::string_view message)
{
    std::string debugLine(message);
    debugLine += '\n';
    plat::win::DebugOutput(debugLine);

    std::lock_guard lock(g_logMutex);
    AppendLocked(plat::win::Cp1251ToUtf8(message));
}

void LogPrintf(const char* format, ...)
{
    char message[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    plat::win::DebugOutput(message);
}

void SetErrorLogClock(ErrorLogClock clock)
{
    std::lock_guard lock(g_logMutex);
    g_clock = clock;
}

void SetErrorLogStartLine(bool on)
{
    std::lock_guard lock(g_logMutex);
    g_startLinePending = on;
}

void SetErrorLogDirectory(std::string directory)
{
    std::lock_guard lock(g_logMutex);
    Directory() = std::move(directory);
}

std::string ErrorLogPath()
{
    std::lock_guard lock(g_logMutex);
    return LogPathLocked();
}
