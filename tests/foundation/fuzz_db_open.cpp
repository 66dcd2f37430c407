// Fuzz entry: opens arbitrary name, index and data files as a database and walks every
// record, by index and by name. Input: u32 name-file length, u32 index length, the name file,
// the index file, then the data file.
#include "foundation/DataBase.h"
#include "foundation/ErrorLog.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void Quiet(std::string_view) { }

int MemoryFile(const uint8_t* data, size_t size)
{
    int fd = memfd_create("db", MFD_CLOEXEC);
    if (fd >= 0 && size > 0 && ::write(fd, data, size) != ssize_t(size)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string FdPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    uint32_t lengths[2];
    std::memcpy(lengths, data, 8);
    size_t rest = size - 8;
    const size_t nameLength = std::min<size_t>(lengths[0], rest);
    const size_t indexLength = std::min<size_t>(lengths[1], rest - nameLength);
    const uint8_t* at = data + 8;
    int fds[3] = {
        MemoryFile(at, nameLength),
        MemoryFile(at + nameLength, indexLength),
        MemoryFile(at + nameLength + indexLength, rest - nameLength - indexLength),
    };
    if (fds[0] >= 0 && fds[1] >= 0 && fds[2] >= 0) {
        DataBase db;
        db.SetLog(&Quiet);
        if (db.OpenFiles(FdPath(fds[2]), FdPath(fds[0]), FdPath(fds[1]), "fuzz")) {
            for (int i = 0; i < db.RecordCount() && i < 256; ++i) {
                if (db.SelectRecord(i)) {
                    for (int s = 0; s < db.FieldCount(); ++s) {
                        DataBase::Field field = db.FieldAt(s);
                        volatile uint8_t sink = field.length ? field.value[field.length - 1] : 0;
                        (void)sink;
                    }
                }
            }
            for (int t = 0; t < db.FloorCount() && t < 16; ++t) {
                db.SelectFloor(db.FloorEntry(t).name);
                for (int i = 0; i < db.RecordCount() && i < 64; ++i) {
                    try {
                        db.Get(db.RecordEntry(i).name);
                    } catch (const std::exception&) {
                        continue;
                    }
                    char text[64];
                    for (int f = 0; f < db.FieldNameCount() && f < 16; ++f) {
                        db.GetStringField(db.FieldNameEntry(f).name, text, sizeof text);
                        db.GetIntegerField(db.FieldNameEntry(f).name);
                        db.GetFloatField(db.FieldNameEntry(f).name);
                    }
                }
            }
        }
    }
    for (int fd : fds) {
        if (fd >= 0)
            ::close(fd);
    }
    return 0;
}
