// One of our programs run as a child: its own working folder and environment additions, its
// stdout read line by line and its stderr kept, signals and the exit code.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess()
    {
        if (m_pid > 0 && !m_ended) {
            kill(m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
        CloseFd(m_out);
        CloseFd(m_err);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // env entries "NAME=value" replace the inherited ones of that name. stderr goes to a pipe,
    // or appended to the file stderrFile when one is named (a long run never fills a pipe).
    bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
        const std::vector<std::string>& env, const std::string& stderrFile = {})
    {
        std::vector<std::string> environment = env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool replaced = false;
            for (const std::string& own : env)
                replaced = replaced || own.compare(0, name.size() + 1, name + "=") == 0;
            if (!replaced)
                environment.push_back(entry);
        }
        std::vector<char*> argv { const_cast<char*>(program.c_str()) };
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return false;
        if (!stderrFile.empty()) {
            close(err[1]);
            err[1] = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        }
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            if (chdir(folder.c_str()) != 0)
                _exit(127);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
        return m_pid > 0;
    }

    // The next stdout line without its newline; false at the end or after timeoutMs.
    bool ReadLine(std::string& line, int timeoutMs)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const std::size_t end = m_stdout.find('\n');
            if (end != std::string::npos) {
                line = m_stdout.substr(0, end);
                m_stdout.erase(0, end + 1);
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || !ReadSome(m_out, m_stdout, static_cast<int>(left)))
                return false;
        }
    }
    // What the child wrote on stderr so far (after it ended: all of it).
    const std::string& Stderr()
    {
        while (ReadSome(m_err, m_stderr, 0)) { }
        return m_stderr;
    }
    void Signal(int signal) const { kill(m_pid, signal); }
    // True when the child ended within timeoutMs; its exit code (128 + signal when killed).
    bool Wait(int timeoutMs, int& exitCode)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status = 0;
            const pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_ended = true;
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return true;
            }
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    bool Running()
    {
        int code = 0;
        return !m_ended && !Wait(0, code);
    }
    pid_t Pid() const { return m_pid; }

private:
    static void CloseFd(int& fd)
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    // Appends what is readable within timeoutMs; false at the end or when nothing came.
    static bool ReadSome(int fd, std::string& into, int timeoutMs)
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

    pid_t m_pid = -1;
    bool m_ended = false;
    int m_out = -1;
    int m_err = -1;
    std::string m_stdout;
    std::string m_stderr;
};
