#include "foundation/ErrorLog.h"

#include "foundation/BaseDirectory.h"
#include "platform/win/debug.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_logMutex;
ErrorLogClock g_clock = nullptr;

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

} // namespace

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
    plat::win::LocalTime now = g_clock ? g_clock() : plat::win::GetLocalTime();
    std::string line = FormatErrorLogStamp(now);
    line += plat::win::Cp1251ToUtf8(message);
    line += '\n';
    if (std::FILE* file = plat::win::OpenFile(LogPathLocked(), "a")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
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
