// The entries of the save and location lists and their mark-up lines: the scan of SAVES\*.sav
// (save files are untrusted: a short file or another magic is left out), the scan of the network
// location descriptions Data\Net\*.ini, and the lines the list window shows, in display order.
// Texts are keys' NAMEs of the script manager's text table; without one, the keys themselves.
#pragma once

#include "ui/SaveHeader.h"

#include <cstdint>
#include <string>
#include <vector>

struct SGameEntry {
    static constexpr size_t kNameSize = 128; // names and texts keep at most 127 bytes

    std::string name; // file name in SAVES\, or the location file of a description
    uint32_t stamp = 0; // DOS date and time of the file: ((date << 16) | time) >> 1
    std::string title;
    int32_t days = 0;
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    uint32_t values[3] = {}; // rating, a machine value, the save kind (1: automatic)
    std::string place;
    std::string location;

    bool IsAutoSave() const { return values[2] == SaveHeader::kAutoSave; }
    // "%02d.%02d.%d %02d:%02d" of the file's write time.
    std::string DateText() const;
};

// A file left out of a list, with why.
struct SSkippedFile {
    std::string file;
    std::string reason;
};

// The line kinds of the list window.
enum class GameListMode : int32_t { Load = 0, Save = 1, Net = 2 };

struct SGameListLine {
    std::string block; // the block, named by the file it offers
    std::string markup;
};

namespace gamelist {

constexpr int kMaxLocations = 50;
constexpr size_t kMaxGameName = 31; // a location file becomes a 32-byte game name

// Whether a save name is a plain "*.sav" file name of SAVES\: no separator, no "..", nothing
// the mark-up would read, at most 127 bytes.
bool IsPlainSaveName(const std::string& name);
// Whether a location file name fits a game name: 1..31 bytes, a plain file name.
bool IsPlainLocationName(const std::string& name);
// The text with "=", "<" and ">" shown as blanks, cut to 127 bytes.
std::string ListText(const std::string& text);

// Fills an entry from a save header: title, game time, the three values, place and location.
void FillFromHeader(const SaveHeader& header, SGameEntry& entry);

// The saves of the base folder's SAVES\, in file-search order.
std::vector<SGameEntry> ScanSaves(std::vector<SSkippedFile>& skipped);
// The enabled network locations of Data\Net\, Caption descending (the list shows them
// ascending). None found writes the error log line.
std::vector<SGameEntry> ScanLocations(std::vector<SSkippedFile>& skipped);

// The lines of the list for its entries: the proposed new save first when saving, the automatic
// saves first when loading, then the others newest first (equal stamps last first).
std::vector<SGameListLine> Lines(const std::vector<SGameEntry>& entries, GameListMode mode);
// The smallest "ZJ_%d.sav" that no entry is named.
std::string NewSaveName(const std::vector<SGameEntry>& entries);

// The mark-up of an entry's link line.
std::string LinkLine(const std::string& title, const std::string& name);

} // namespace gamelist
