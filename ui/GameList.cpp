#include "ui/GameList.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CXAnsiString.h"
#include "foundation/ErrorLog.h"
#include "platform/win/file.h"
#include "platform/win/find.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "script/CZJScriptManager.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <set>

std::string SGameEntry::DateText() const
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%d %02d:%02d", day, month, year, hour, minute);
    return text;
}

namespace gamelist {
namespace {

std::string TextName(const char* key)
{
    CXAnsiString name;
    if (g_pScriptManager)
        g_pScriptManager->GetTextName(key, name);
    else
        name = key;
    return name.Text();
}

std::string Cut(std::string text)
{
    if (text.size() >= SGameEntry::kNameSize)
        text.resize(SGameEntry::kNameSize - 1);
    return text;
}

bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name.find("..") != std::string::npos)
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return uint8_t(c) < 32 || c == '\\' || c == '/' || c == ':' || c == '=' || c == '<' || c == '>';
    });
}

// Days, hours and minutes of a game time in days; a time that is no number or out of range is 0.
void SplitGameTime(float time, SGameEntry& entry)
{
    const double t = std::isfinite(time) && time > 0.0f && time < 1.0e7f ? time : 0.0;
    entry.days = int32_t(t);
    entry.hours = int32_t((t - entry.days) * 24.0);
    entry.minutes = std::clamp(int32_t((t - entry.days - entry.hours / 24.0) * 1440.0), 0, 59);
}

void Skip(
    std::vector<SSkippedFile>& skipped, const std::string& file, const std::string& reason, const char* list)
{
    WriteErrorLog(std::string(list) + ": " + file + " left out: " + reason);
    skipped.push_back({ file, reason });
}

} // namespace

bool IsPlainSaveName(const std::string& name)
{
    constexpr std::string_view kExtension = ".sav";
    if (name.size() <= kExtension.size() || name.size() >= SGameEntry::kNameSize || !IsPlainFileName(name))
        return false;
    const std::string tail = name.substr(name.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(),
        [](char a, char b) { return std::tolower(uint8_t(a)) == b; });
}

bool IsPlainLocationName(const std::string& name)
{
    return name.size() <= kMaxGameName && IsPlainFileName(name);
}

std::string ListText(const std::string& text)
{
    std::string shown = Cut(text);
    std::replace_if(
        shown.begin(), shown.end(), [](char c) { return c == '=' || c == '<' || c == '>'; }, ' ');
    return shown;
}

std::string LinkLine(const std::string& title, const std::string& name)
{
    return "<reference:" + ListText(title) + "=" + name + ">";
}

void FillFromHeader(const SaveHeader& header, SGameEntry& entry)
{
    entry.title = Cut(header.title);
    SplitGameTime(header.gameTime, entry);
    entry.values[0] = header.rating;
    entry.values[1] = header.value;
    entry.values[2] = header.kind;
    entry.place = Cut(TextName(header.place.c_str()));
    const size_t dot = header.level.rfind('.');
    entry.location = Cut(TextName(header.level.substr(0, dot).c_str()));
}

std::vector<SGameEntry> ScanSaves(std::vector<SSkippedFile>& skipped)
{
    constexpr const char* kList = "CLoadSaveMenu::GetGamesData";
    std::vector<SGameEntry> entries;
    const std::string folder = BaseDirectory() + "SAVES\\";
    for (const plat::win::FoundFile& found : plat::win::FileSearch(folder + "*.sav")) {
        if (found.isDirectory)
            continue;
        if (!IsPlainSaveName(found.name)) {
            Skip(skipped, found.name, "not a plain save name", kList);
            continue;
        }
        plat::win::ReadOnlyFile file;
        const std::optional<std::string> path = plat::win::ResolvePath(folder + found.name);
        uint8_t bytes[SaveHeader::kSize];
        if (!path || file.Open(*path) != plat::win::FileResult::Ok) {
            Skip(skipped, found.name, "cannot be read", kList);
            continue;
        }
        const size_t size = size_t(std::min<uint64_t>(file.Size(), SaveHeader::kSize));
        SaveHeader header;
        const SaveHeader::Read read
            = file.ReadAt(bytes, size, 0) ? header.Parse(bytes, size) : SaveHeader::Read::Short;
        if (read == SaveHeader::Read::Short) {
            Skip(skipped, found.name, "shorter than its header", kList);
            continue;
        }
        if (read == SaveHeader::Read::BadMagic) {
            Skip(skipped, found.name, "not a save game", kList);
            continue;
        }
        SGameEntry entry;
        entry.name = found.name;
        const plat::win::DosDateTime dos = plat::win::FileTimeToDosDateTime(found.lastWriteTime);
        entry.stamp = (uint32_t(dos.date) << 16 | dos.time) >> 1;
        const plat::win::LocalTime local = plat::win::FileTimeToLocalTime(found.lastWriteTime);
        entry.year = local.year;
        entry.month = local.month;
        entry.day = local.day;
        entry.hour = local.hour;
        entry.minute = local.minute;
        FillFromHeader(header, entry);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<SGameEntry> ScanLocations(std::vector<SSkippedFile>& skipped)
{
    constexpr const char* kList = "CGameListMenu::GetGamesData";
    const std::string folder = BaseDirectory() + "Data\\Net\\";
    const std::vector<plat::win::FoundFile> found = plat::win::FileSearch(folder + "*.ini");
    std::vector<SGameEntry> entries;
    if (std::none_of(found.begin(), found.end(), [](const auto& f) { return !f.isDirectory; })) {
        WriteErrorLog("ERROR: Files of the description network location not found");
        return entries;
    }
    for (const plat::win::FoundFile& file : found) {
        if (file.isDirectory)
            continue;
        const std::string path = folder + file.name;
        char caption[64] = {};
        char fileName[64] = {};
        plat::win::ReadProfileString(path, "LOCATION", "Caption", "", caption, sizeof caption);
        plat::win::ReadProfileString(path, "LOCATION", "FileName", "", fileName, sizeof fileName);
        if (int32_t(plat::win::ReadProfileInt(path, "LOCATION", "Enable", 1)) != 1)
            continue;
        if (!IsPlainLocationName(fileName)) {
            Skip(skipped, file.name, "FileName is not a plain name of 1 to 31 bytes", kList);
            continue;
        }
        if (int(entries.size()) == kMaxLocations) {
            Skip(skipped, file.name, "more than 50 locations", kList);
            continue;
        }
        SGameEntry entry;
        entry.name = fileName;
        entry.title = caption;
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
        [](const SGameEntry& a, const SGameEntry& b) { return b.title < a.title; });
    return entries;
}

std::string NewSaveName(const std::vector<SGameEntry>& entries)
{
    std::set<std::string> names;
    for (const SGameEntry& entry : entries)
        names.insert(entry.name);
    for (int n = 1;; ++n) {
        const std::string name = "ZJ_" + std::to_string(n) + ".sav";
        if (!names.count(name))
            return name;
    }
}

std::vector<SGameListLine> Lines(const std::vector<SGameEntry>& entries, GameListMode mode)
{
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(
        order.begin(), order.end(), [&](size_t a, size_t b) { return entries[a].stamp < entries[b].stamp; });
    std::vector<SGameListLine> lines;
    if (mode == GameListMode::Save) {
        const std::string name = NewSaveName(entries);
        lines.push_back({ name, "<icon:POINT>" + LinkLine(TextName("INT_NEWSAVE"), name) });
    }
    if (mode != GameListMode::Save) {
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            if (entries[*it].IsAutoSave())
                lines.push_back({ entries[*it].name,
                    "<icon:POINT>" + LinkLine(TextName("INT_AUTOSAVE"), entries[*it].name) });
        }
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const SGameEntry& entry = entries[*it];
        if (entry.IsAutoSave())
            continue;
        lines.push_back({ entry.name, "<icon:POINT>" + LinkLine(entry.title, entry.name) });
    }
    return lines;
}

} // namespace gamelist
