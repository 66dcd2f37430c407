// A program the process and single-instance tests start by its Windows name.
//   exit N                 ends with code N
//   report FILE ARGS...    writes the working directory, ARGS and the open descriptors to FILE
//   hold NAME READY        holds the single-instance NAME, creates READY, then ends with 0 on
//                          the first raise request (2 after 10 s without one, 1 when NAME is held)
//   instance NAME          ends with 1 when another process holds NAME, else 0
#include "platform/win/clock.h"
#include "platform/win/instance.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {

int Report(int argc, char** argv)
{
    std::FILE* out = std::fopen(argv[2], "w");
    if (!out)
        return 3;
    char cwd[4096];
    std::fprintf(out, "cwd=%s\n", ::getcwd(cwd, sizeof cwd) ? cwd : "?");
    for (int i = 3; i < argc; ++i)
        std::fprintf(out, "arg=%s\n", argv[i]);
    DIR* fds = ::opendir("/proc/self/fd");
    std::string list;
    while (dirent* entry = fds ? ::readdir(fds) : nullptr) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == ::dirfd(fds))
            continue;
        std::string fd = entry->d_name;
        if (fd != "0" && fd != "1" && fd != "2" && std::atoi(entry->d_name) != ::fileno(out))
            list += " " + fd;
    }
    if (fds)
        ::closedir(fds);
    std::fprintf(out, "extra fds:%s\n", list.c_str());
    return std::fclose(out) == 0 ? 0 : 3;
}

int Hold(const char* name, const char* ready)
{
    plat::win::SingleInstance instance;
    if (!instance.Acquire(name))
        return 1;
    if (std::FILE* f = std::fopen(ready, "w"))
        std::fclose(f);
    int64_t until = plat::win::CounterNow() + 10 * plat::win::kCounterFrequency;
    while (plat::win::CounterNow() < until) {
        if (instance.TakeRaiseRequest())
            return 0;
        plat::win::Sleep(5);
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "exit" && argc > 2)
        return std::atoi(argv[2]);
    if (mode == "report" && argc > 2)
        return Report(argc, argv);
    if (mode == "hold" && argc > 3)
        return Hold(argv[2], argv[3]);
    if (mode == "instance" && argc > 2) {
        plat::win::SingleInstance instance;
        return instance.Acquire(argv[2]) ? 0 : 1;
    }
    std::fprintf(stderr, "zoqtesthelper: unknown mode\n");
    return 100;
}
