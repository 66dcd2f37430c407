// A program run as a child of a test: its working folder and environment additions, its stdout
// read line by line and its stderr kept (either may go to a file instead of a pipe), signals and
// its end. An exit code is the program's own, or 128 + the signal that ended it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zoq::test {

struct ChildOptions {
    std::string folder; // working folder; empty: the test's own
    std::vector<std::string> env; // "NAME=value" entries that replace the inherited ones of that name
    std::string stdoutFile; // when named, stdout is appended to it instead of going to a pipe
    std::string stderrFile; // likewise stderr (a long run never fills a pipe)
};

class ChildProcess {
public:
    ChildProcess() = default;
    // A child still running is killed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(
        const std::string& program, const std::vector<std::string>& args, const ChildOptions& options = {});
    // The next stdout line without its newline; false at the end or after timeoutMs.
    bool ReadLine(std::string& line, int timeoutMs);
    // What the child wrote on stderr so far (after it ended: all of it).
    const std::string& Stderr();
    // Stdout read but not yet taken by ReadLine (after Finish: the rest of it).
    const std::string& Stdout() const { return m_stdout; }
    // Sends the signal while the child runs.
    void Signal(int signal);
    // Ends the child at once when it still runs.
    void Kill();
    // True when the child has ended or ends within timeoutMs, with its exit code.
    bool Wait(int timeoutMs, int& exitCode);
    // Reads stdout and stderr to their end, then waits for the child; false when it has not ended
    // within timeoutMs.
    bool Finish(int timeoutMs, int& exitCode);
    bool Running();
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_exitCode = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_stdout;
    std::string m_stderr;
};

struct RunResult {
    int exitCode = -1; // -1 when it did not start or did not end in time (it is killed then)
    std::string out;
    std::string err;
};

// User and system CPU seconds a running process has used, all its threads together; 0 when it
// cannot be read.
double ProcessCpuSeconds(pid_t pid);

// Runs the program to its end, stdout and stderr captured unless options send them to files.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
    const ChildOptions& options = {}, int timeoutMs = 120000);

} // namespace zoq::test
