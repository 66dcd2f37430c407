#include "tests/support/child_process.h"

#include "tests/support/files.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

extern char** environ;

namespace zoq::test {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A pipe, or (no read end) the file opened for appending as the write end.
bool OpenStream(const std::string& file, int (&ends)[2])
{
    if (file.empty())
        return pipe2(ends, O_CLOEXEC) == 0;
    ends[0] = -1;
    ends[1] = open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return ends[1] >= 0;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// Appends what is readable within timeoutMs; false at the end or when nothing came.
bool ReadSome(int fd, std::string& into, int timeoutMs)
{
    if (fd < 0)
        return false;
    pollfd p { fd, POLLIN, 0 };
    if (poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
}

// The inherited environment with the given entries replacing those of the same name.
std::vector<std::string> Environment(const std::vector<std::string>& own)
{
    std::vector<std::string> environment = own;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string prefix = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& mine : own)
            replaced = replaced || mine.compare(0, prefix.size(), prefix) == 0;
        if (!replaced)
            environment.push_back(entry);
    }
    return environment;
}

} // namespace

ChildProcess::~ChildProcess()
{
    Kill();
    CloseFd(m_out);
    CloseFd(m_err);
}

void ChildProcess::Kill()
{
    if (!Running())
        return;
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_ended = true;
    m_exitCode = 128 + SIGKILL;
}

bool ChildProcess::Start(
    const std::string& program, const std::vector<std::string>& args, const ChildOptions& options)
{
    std::vector<std::string> environment = Environment(options.env);
    std::vector<char*> argv { const_cast<char*>(program.c_str()) };
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2] = { -1, -1 };
    int err[2] = { -1, -1 };
    if (!OpenStream(options.stdoutFile, out) || !OpenStream(options.stderrFile, err)) {
        for (int* fd : { &out[0], &out[1], &err[0], &err[1] })
            CloseFd(*fd);
        return false;
    }
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (!options.folder.empty() && chdir(options.folder.c_str()) != 0)
            _exit(127);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    CloseFd(out[1]);
    CloseFd(err[1]);
    m_out = out[0];
    m_err = err[0];
    return m_pid > 0;
}

bool ChildProcess::ReadLine(std::string& line, int timeoutMs)
{
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t end = m_stdout.find('\n');
        if (end != std::string::npos) {
            line = m_stdout.substr(0, end);
            m_stdout.erase(0, end + 1);
            return true;
        }
        const int left = MillisecondsLeft(until);
        if (left <= 0 || !ReadSome(m_out, m_stdout, left))
            return false;
    }
}

const std::string& ChildProcess::Stderr()
{
    while (ReadSome(m_err, m_stderr, 0)) { }
    return m_stderr;
}

void ChildProcess::Signal(int signal)
{
    if (Running())
        kill(m_pid, signal);
}

bool ChildProcess::Wait(int timeoutMs, int& exitCode)
{
    if (m_pid <= 0)
        return false;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_ended) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_ended = true;
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else if (Clock::now() > until) {
            return false;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    exitCode = m_exitCode;
    return true;
}

bool ChildProcess::Finish(int timeoutMs, int& exitCode)
{
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    struct Stream {
        int* fd;
        std::string* text;
    };
    const Stream streams[2] = { { &m_out, &m_stdout }, { &m_err, &m_stderr } };
    while ((m_out >= 0 || m_err >= 0) && MillisecondsLeft(until) > 0) {
        pollfd p[2] = { { m_out, POLLIN, 0 }, { m_err, POLLIN, 0 } };
        if (poll(p, 2, MillisecondsLeft(until)) <= 0)
            continue;
        for (int i = 0; i < 2; ++i)
            if (p[i].revents != 0 && !ReadSome(*streams[i].fd, *streams[i].text, 0))
                CloseFd(*streams[i].fd);
    }
    return Wait(MillisecondsLeft(until), exitCode);
}

bool ChildProcess::Running()
{
    int code = 0;
    return m_pid > 0 && !Wait(0, code);
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
    const ChildOptions& options, int timeoutMs)
{
    RunResult result;
    ChildProcess child;
    if (!child.Start(program, args, options))
        return result;
    int code = -1;
    if (child.Finish(timeoutMs, code))
        result.exitCode = code;
    result.out = child.Stdout();
    result.err = child.Stderr();
    return result;
}

double ProcessCpuSeconds(pid_t pid)
{
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    const size_t name = stat.rfind(')');
    if (name == std::string::npos)
        return 0.0;
    std::istringstream fields(stat.substr(name + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::strtoull(field.c_str(), nullptr, 10);
        if (i == 15)
            stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

} // namespace zoq::test
