// What the libraries behind the platform layer (SDL, OpenAL, ALSA) print on their own: kept off the
// terminal and handed to the program's log, one line per cause.
#pragma once

#include <string>
#include <string_view>

namespace plat::win {

// Receives each library line; null (the start) drops them.
using LibraryLogSink = void (*)(std::string_view line);
void SetLibraryLogSink(LibraryLogSink sink);

// One line for what `call` made a library print: "<call>: <first line>", and how many lines
// followed it. Nothing for empty output; a line already given once is not given again.
void LogLibraryOutput(std::string_view call, std::string_view output);

// Catches what the process writes on stderr while it lives; Take ends the catch and returns the
// text. The caught call should be short: stderr of every thread is caught with it.
class StderrCatch {
public:
    StderrCatch();
    ~StderrCatch();
    StderrCatch(const StderrCatch&) = delete;
    StderrCatch& operator=(const StderrCatch&) = delete;

    std::string Take();

private:
    int m_saved = -1; // the real stderr
    int m_caught = -1; // where stderr goes meanwhile
};

} // namespace plat::win
