// The error log: "error.log" in the base directory, one line per message, stamped with the local
// time as "%2d-%2d-%4d %2d:%2d:%2d:%3d " and written as UTF-8 (messages are Windows-1251). Every
// message also goes to the debugger output. The first line a process writes follows its start
// line ("ZOQ 1.0.0 started in /home/me/game"); what the libraries behind the platform layer print
// on their own goes to the file only. Safe to call from any thread.
#pragma once

#include "platform/win/clock.h"

#include <string>
#include <string_view>

// The message goes to the debugger output and, stamped, to error.log; it is never used as a
// format. When the file cannot be opened only the debugger output happens.
void WriteErrorLog(std::string_view message);

// Formats at most 255 characters and sends them to the debugger output only, never to error.log.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "<program> <version> started in <working folder>", the text of the start line.
std::string ErrorLogStartLine();

// "day-month-year hour:minute:second:millisecond " with the widths of the log line.
std::string FormatErrorLogStamp(const plat::win::LocalTime& time);

// Test hooks: the clock that stamps lines (null: the local time) and the directory that holds
// error.log, ending with a separator (empty: the base directory).
using ErrorLogClock = plat::win::LocalTime (*)();
void SetErrorLogClock(ErrorLogClock clock);
void SetErrorLogDirectory(std::string directory);
// Whether the next line is preceded by the start line (at the start: yes); tests that read exact
// lines turn it off.
void SetErrorLogStartLine(bool on);
// The path that WriteErrorLog appends to.
std::string ErrorLogPath();
