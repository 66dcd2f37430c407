// Fuzz entry: mounts arbitrary bytes as an archive and reads every file in odd-sized pieces.
#include "foundation/ErrorLog.h"
#include "foundation/KWEngine.h"

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

void Quiet(std::string_view) { }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = memfd_create("pak", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (size > 0 && ::write(fd, data, size) != ssize_t(size)) {
        ::close(fd);
        return 0;
    }
    KWEngine engine;
    engine.SetLog(&Quiet);
    std::string reason;
    if (engine.Load("/proc/self/fd/" + std::to_string(fd), reason)) {
        std::vector<uint8_t> piece(333);
        for (int i = 0; i < engine.FileCount() && i < 64; ++i) {
            KWCursor cursor;
            engine.FindFile(engine.FileEntry(i).name);
            if (!engine.OpenIndex(cursor, i))
                __builtin_trap();
            size_t total = 0;
            while (total < (1u << 22)) {
                size_t got = engine.ReadAvailable(cursor, piece.data(), piece.size());
                if (got == 0)
                    break;
                total += got;
            }
            if (total > cursor.Size())
                __builtin_trap();
        }
    }
    ::close(fd);
    return 0;
}
