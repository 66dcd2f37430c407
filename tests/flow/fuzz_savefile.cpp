// Fuzz entry: any bytes as a save file: the header, the section walk and the two payloads the
// application reads itself. Every payload handed out lies inside the input and the walk ends; a
// location list keeps at most 16 values and a control state of version 257 has its tail cleared.
#include "app/SaveFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SaveHeader header;
    std::string reason;
    if (!savefile::ReadHeader(data, size, header, reason)) {
        if (reason.empty())
            __builtin_trap();
        return 0;
    }
    if (header.level.size() > savefile::kMaxLocationName)
        __builtin_trap();
    savefile::CSectionWalk walk(data, size, header);
    uint32_t id = 0;
    const uint8_t* payload = nullptr;
    uint32_t length = 0;
    uint32_t sections = 0;
    while (walk.Next(id, payload, length)) {
        if (payload < data || size_t(payload - data) + length > size || ++sections > header.sectionCount)
            __builtin_trap();
        if (id == 9) {
            uint32_t values[savefile::kMaxLocations];
            uint32_t count = 0;
            if (savefile::ReadLocationList(payload, length, values, count) && count > savefile::kMaxLocations)
                __builtin_trap();
        } else if (id == 11) {
            uint32_t version = 0;
            SPlayerControl record;
            std::memset(&record, 0xA5, sizeof record);
            if (savefile::ReadControlState(payload, length, version, record)) {
                const uint8_t* tail = reinterpret_cast<const uint8_t*>(&record) + savefile::kShortControlSize;
                if (version == savefile::kShortControlVersion && (tail[0] | tail[1] | tail[2] | tail[3]) != 0)
                    __builtin_trap();
            } else if (record.BoostOn != 0xA5) {
                __builtin_trap();
            }
        }
    }
    if (!walk.Failed() && sections != header.sectionCount)
        __builtin_trap();
    return 0;
}
