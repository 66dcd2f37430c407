#include "platform/win/process.h"

#include "platform/win/debug.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace plat::win {

struct Process::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    uint32_t exitCode = 0;
};

namespace {

// Words of a command line: blanks separate them, '"' groups and is dropped.
std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            break;
        std::string word;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                word += line[i];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string ExecutableFolder()
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, std::size_t(n));
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool IsProgram(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindProgram(std::string name, const std::string& workingDir)
{
    if (name.size() > 4 && EqualNoCase1251(std::string_view(name).substr(name.size() - 4), ".exe"))
        name.resize(name.size() - 4);
    for (const std::string& folder :
        { ExecutableFolder(), workingDir.empty() ? std::string(".") : workingDir }) {
        auto path = ResolvePathIn(folder, name);
        if (path && IsProgram(*path))
            return path;
    }
    return std::nullopt;
}

uint32_t ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return uint32_t(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128 + uint32_t(WTERMSIG(status));
    return 0;
}

} // namespace

Process StartProcess(std::string_view commandLine, std::string_view workingDir)
{
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty())
        return Process();
    std::string folder;
    if (!workingDir.empty()) {
        auto resolved = ResolvePath(workingDir);
        struct stat st;
        if (!resolved || ::stat(resolved->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            DebugOutput("StartProcess: no folder " + std::string(workingDir));
            return Process();
        }
        folder = *resolved;
    }
    auto program = FindProgram(words[0], folder);
    if (!program) {
        DebugOutput("StartProcess: no program " + words[0]);
        return Process();
    }

    std::vector<std::string> args { *program };
    for (std::size_t i = 1; i < words.size(); ++i)
        args.push_back(Cp1251ToUtf8(words[i]));
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // Only the standard streams cross to the child: a lock socket or a log file of ours must
    // not outlive us in it.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    int error = ::posix_spawn(&pid, program->c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        DebugOutput("StartProcess: " + words[0] + ": " + std::strerror(error));
        return Process();
    }

    Process process;
    process.m_state = std::make_shared<Process::State>();
    // The reaper waits for this child alone, so no zombie remains even if nobody asks.
    auto reap = [pid, state = process.m_state] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        {
            std::lock_guard lock(state->mutex);
            state->exitCode = ExitCodeOf(status);
            state->done = true;
        }
        state->ended.notify_all();
    };
    try {
        std::thread(reap).detach();
    } catch (const std::system_error& e) {
        DebugOutput(std::string("StartProcess: no thread to reap the child: ") + e.what());
    }
    return process;
}

bool Process::Wait(uint32_t milliseconds) const
{
    if (!m_state)
        return false;
    std::unique_lock lock(m_state->mutex);
    if (milliseconds == kWaitForever) {
        m_state->ended.wait(lock, [&] { return m_state->done; });
        return true;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return m_state->ended.wait_until(lock, deadline, [&] { return m_state->done; });
}

std::optional<uint32_t> Process::ExitCode() const
{
    if (!m_state)
        return std::nullopt;
    std::lock_guard lock(m_state->mutex);
    if (!m_state->done)
        return std::nullopt;
    return m_state->exitCode;
}

} // namespace plat::win
