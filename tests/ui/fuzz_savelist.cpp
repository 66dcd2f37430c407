// Fuzz entry: any bytes as the start of a save file through the header reader, the entry that the
// save list makes of it and the entry's list lines. Every text must stay inside its field and no
// title may change a line's target.
#include "tests/support/error_log_test.h"
#include "ui/GameList.h"
#include "ui/SaveHeader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)quiet;
    SaveHeader header;
    if (header.Parse(data, size) != SaveHeader::Read::Ok)
        return 0;
    if (header.title.size() > SaveHeader::kTitleSize || header.level.size() > SaveHeader::kLevelSize
        || header.place.size() > SaveHeader::kKeySize || header.organisation.size() > SaveHeader::kKeySize)
        __builtin_trap();
    SGameEntry entry;
    entry.name = "ZJ_1.sav";
    gamelist::FillFromHeader(header, entry);
    if (entry.minutes < 0 || entry.minutes > 59 || entry.hours < 0 || entry.hours > 23 || entry.days < 0
        || entry.title.size() >= SGameEntry::kNameSize)
        __builtin_trap();
    for (GameListMode mode : { GameListMode::Load, GameListMode::Save }) {
        for (const SGameListLine& line : gamelist::Lines({ entry }, mode)) {
            const std::string tail = "=" + line.block + ">";
            const bool endsWithTarget = line.markup.size() > tail.size()
                && line.markup.compare(line.markup.size() - tail.size(), tail.size(), tail) == 0;
            if (!endsWithTarget || std::count(line.markup.begin(), line.markup.end(), '=') != 1
                || std::count(line.markup.begin(), line.markup.end(), '>') != 2)
                __builtin_trap();
        }
    }
    const std::array<uint8_t, SaveHeader::kSize> again = header.Encode();
    SaveHeader copy;
    if (copy.Parse(again.data(), again.size()) != SaveHeader::Read::Ok
        || copy.title != header.title.substr(0, SaveHeader::kTitleSize - 1) || copy.kind != header.kind
        || copy.version != header.version)
        __builtin_trap();
    return 0;
}
