// Save games and location saves: the file frame of app/SaveFile.h and the dispatch of each section
// to its owner. A save is written beside its final name and renamed over it once complete; a file
// read back is untrusted, and any refusal answers false with one log line naming the file.
#include "app/CZJApp.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "app/SaveFile.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rating.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/resource.h"
#include "platform/win/file.h"
#include "platform/win/find.h"
#include "platform/win/paths.h"
#include "script/CZJScriptManager.h"
#include "ui/CRadar.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/COrgManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kSectionBufferSize = 50000;
constexpr const char* kSaves = "SAVES";
constexpr const char* kLocs = "LOCS";
constexpr const char* kLocsIndex = "locs.idx";
constexpr const char* kDefaultOrganisation = "ORG_PLAYER";

// One section and its owner: the writer fills the stream, the reader gets exactly the payload and
// answers false (or throws XRangeError) when it refuses it. An owner that does not exist writes
// an empty payload and reads nothing.
struct SSection {
    uint32_t id;
    void (*write)(CZJApp& app, XMemBuffer& stream);
    bool (*read)(CZJApp& app, XMemBuffer& stream);
};

constexpr SSection kSections[] = {
    { 1,
        [](CZJApp&, XMemBuffer& s) {
            if (g_pScriptManager)
                g_pScriptManager->SaveState(s);
        },
        [](CZJApp&, XMemBuffer& s) {
            if (g_pScriptManager)
                g_pScriptManager->LoadState(s);
            return true;
        } },
    { 2, [](CZJApp&, XMemBuffer& s) { FerroGroupList.SaveGame(s, true); },
        [](CZJApp&, XMemBuffer& s) { return FerroGroupList.LoadGame(s); } },
    { 3,
        [](CZJApp&, XMemBuffer& s) {
            if (PlayerFerrovant)
                PlayerFerrovant->SaveGame(s, true);
        },
        [](CZJApp&, XMemBuffer& s) {
            if (PlayerFerrovant)
                PlayerFerrovant->LoadGame(s, true);
            return true;
        } },
    { 4, [](CZJApp&, XMemBuffer& s) { ObjectList.SaveGame(s); },
        [](CZJApp&, XMemBuffer& s) {
            ObjectList.LoadGame(s);
            return true;
        } },
    { 5, [](CZJApp&, XMemBuffer& s) { Environment.SaveGame(s); },
        [](CZJApp&, XMemBuffer& s) { return Environment.LoadGame(s); } },
    { 6,
        [](CZJApp&, XMemBuffer& s) {
            if (g_pRadar)
                g_pRadar->Save(s);
        },
        [](CZJApp&, XMemBuffer& s) { return !g_pRadar || g_pRadar->Load(s); } },
    { 7, [](CZJApp&, XMemBuffer& s) { ZJTrade.Save(s); },
        [](CZJApp&, XMemBuffer& s) {
            ZJTrade.Load(s);
            return true;
        } },
    { 8, [](CZJApp&, XMemBuffer& s) { g_OrgManager.SaveGame(s); },
        [](CZJApp&, XMemBuffer& s) { return g_OrgManager.LoadGame(s, s.Capacity()); } },
    { 9,
        [](CZJApp& app, XMemBuffer& s) {
            const uint32_t count = std::min(app.savedValueCount, savefile::kMaxLocations);
            s.WriteValue(count);
            s.Write(app.savedValues, int(count * sizeof(uint32_t)));
        },
        [](CZJApp& app, XMemBuffer& s) {
            uint32_t values[savefile::kMaxLocations] = {};
            uint32_t count = 0;
            if (!savefile::ReadLocationList(s.Data(), uint32_t(s.Capacity()), values, count))
                return false;
            std::copy(std::begin(values), std::end(values), app.savedValues);
            app.savedValueCount = count;
            return true;
        } },
    { 11, [](CZJApp&, XMemBuffer& s) { CZJApp::SavePlayerControlState(s); },
        [](CZJApp&, XMemBuffer& s) { return CZJApp::LoadPlayerControlState(s); } },
};

constexpr uint32_t kLocationSections[] = { 2, 4, 6, 7 };

const SSection* FindSection(uint32_t id)
{
    for (const SSection& section : kSections)
        if (section.id == id)
            return &section;
    return nullptr;
}

bool IsLocationSection(uint32_t id)
{
    return std::find(std::begin(kLocationSections), std::end(kLocationSections), id)
        != std::end(kLocationSections);
}

// "<base>SAVES", made when missing, and "<base>SAVES\LOCS" likewise.
std::string SavesFolder()
{
    const std::string folder = BaseDirectory() + kSaves;
    plat::win::MakeDirectory(folder);
    return folder;
}

std::string LocsFolder()
{
    const std::string folder = SavesFolder() + "\\" + kLocs;
    plat::win::MakeDirectory(folder);
    return folder;
}

std::string LocationSavePath(uint32_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "\\data%u.loc", number);
    return LocsFolder() + name;
}

// The location number of a location file name: the digit five places before its end, 1 to 8;
// 0 for anything else.
uint32_t LocationNumber(const char* locationFile, size_t fieldSize)
{
    const size_t length = strnlen(locationFile, fieldSize);
    if (length < 5)
        return 0;
    const int digit = locationFile[length - 5] - '0';
    return digit >= 1 && digit <= 8 ? uint32_t(digit) : 0;
}

// A whole decimal number of locs.idx (surrounding white space allowed); false for anything else.
bool ParseCounter(const std::vector<uint8_t>& bytes, uint32_t& value)
{
    size_t at = 0;
    const auto space = [&] {
        while (at < bytes.size() && std::strchr(" \t\r\n", bytes[at]) && bytes[at] != 0)
            ++at;
    };
    space();
    uint64_t number = 0;
    const size_t first = at;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && number <= INT32_MAX) {
        number = number * 10 + (bytes[at] - '0');
        ++at;
    }
    const bool digits = at > first;
    space();
    if (!digits || at != bytes.size() || number >= INT32_MAX)
        return false;
    value = uint32_t(number);
    return true;
}

// The highest n of the "data%d.loc" files present.
uint32_t HighestLocationSave(const std::string& folder)
{
    uint32_t highest = 0;
    for (const plat::win::FoundFile& found : plat::win::FileSearch(folder + "\\data*.loc")) {
        const std::string& name = found.name;
        const std::string digits = name.substr(4, name.size() - 8);
        if (found.isDirectory || digits.empty() || digits.size() > 9
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        highest = std::max(highest, uint32_t(std::stoul(digits)));
    }
    return highest;
}

// u32 saturated from a float: NaN and values below 0 give 0.
uint32_t TruncatedU32(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 4294967296.0f)
        return UINT32_MAX;
    return uint32_t(value);
}

std::string PlayerOrganisationName()
{
    const int k = g_OrgManager.playerOrganisation;
    const XStringTable& names = g_OrgManager.GetRowNames();
    return names.GetStringOrDefault(k >= 0 && k < names.Count() ? k : -1);
}

// The picture: 256 rows of 256 pixels from the screenshot image, black when there is none.
void AppendPicture(plat::gfx::Surface* image, std::vector<uint8_t>& out)
{
    const size_t at = out.size();
    out.resize(at + SaveHeader::kScreenshotSize);
    plat::gfx::LockedRect locked;
    if (!image || image->LockRect(locked, nullptr, plat::gfx::lock::kReadOnly) != plat::gfx::Result::Ok)
        return;
    constexpr size_t kRow = size_t(SaveHeader::kScreenshotSide) * 4;
    for (size_t row = 0; row < size_t(SaveHeader::kScreenshotSide); ++row)
        std::memcpy(out.data() + at + row * kRow,
            static_cast<const uint8_t*>(locked.bits) + row * size_t(locked.pitch), kRow);
    image->UnlockRect();
}

// Writes the header, the picture when given, and the sections of the list in their order.
bool WriteSave(CZJApp& app, savefile::CReplacingFile& file, const SaveHeader& header,
    plat::gfx::Surface* picture, std::span<const uint32_t> ids)
{
    const std::array<uint8_t, SaveHeader::kSize> encoded = header.Encode();
    std::vector<uint8_t> head(encoded.begin(), encoded.end());
    if (header.version > 256)
        AppendPicture(picture, head);
    if (!file.Write(head.data(), head.size()))
        return false;
    XMemBuffer stream(kSectionBufferSize);
    for (const uint32_t id : ids) {
        stream.Rewind();
        FindSection(id)->write(app, stream);
        uint8_t frame[savefile::kSectionHeaderSize];
        savefile::EncodeSectionHeader(id, uint32_t(stream.Position()), frame);
        if (!file.Write(frame, sizeof frame) || !file.Write(stream.Data(), size_t(stream.Position())))
            return false;
    }
    return file.Commit();
}

// Hands each section the filter takes to its reader, exactly its payload in place; ids without a
// reader are skipped. False with the reason on a cut file or a refused section.
bool ReadSections(
    CZJApp& app, uint8_t* sections, size_t size, uint32_t count, bool (*take)(uint32_t), std::string& reason)
{
    savefile::CSectionWalk walk(sections, size, count);
    XMemBuffer stream;
    uint32_t id = 0;
    const uint8_t* payload = nullptr;
    uint32_t length = 0;
    while (walk.Next(id, payload, length)) {
        const SSection* section = FindSection(id);
        if (!section || !take(id))
            continue;
        if (length > uint32_t(INT_MAX)) {
            reason = "section " + std::to_string(id) + " too large";
            return false;
        }
        stream.Attach(sections + (payload - sections), int(length));
        bool read = false;
        try {
            read = section->read(app, stream);
        } catch (const XRangeError&) {
            read = false;
        }
        if (!read) {
            reason = "section " + std::to_string(id) + " refused";
            return false;
        }
    }
    reason = walk.Reason();
    return !walk.Failed();
}

bool TakeAll(uint32_t)
{
    return true;
}

// The bytes behind a save's header and picture, left uninitialised until read.
struct SectionBytes {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

// Reads and checks a save file's header; with sections also the bytes behind the header and the
// picture. False with the reason.
bool ReadSaveFile(const std::string& path, SaveHeader& header, SectionBytes* sections, std::string& reason)
{
    plat::win::ReadOnlyFile file;
    const std::optional<std::string> resolved = plat::win::ResolvePath(path);
    if (!resolved || file.Open(*resolved) != plat::win::FileResult::Ok) {
        reason = "cannot be read";
        return false;
    }
    uint8_t head[SaveHeader::kSize];
    const size_t headSize = size_t(std::min<uint64_t>(file.Size(), sizeof head));
    if (!file.ReadAt(head, headSize, 0)) {
        reason = "cannot be read";
        return false;
    }
    if (!savefile::ReadHeader(head, headSize, header, reason))
        return false;
    if (!sections)
        return true;
    const size_t start = savefile::SectionsStart(header);
    if (file.Size() < start) {
        reason = "the picture ends early";
        return false;
    }
    sections->size = size_t(file.Size() - start);
    sections->bytes = std::make_unique_for_overwrite<uint8_t[]>(sections->size);
    if (!file.ReadAt(sections->bytes.get(), sections->size, start)) {
        reason = "cannot be read";
        return false;
    }
    return true;
}

bool Refuse(const char* operation, const std::string& file, const std::string& reason)
{
    WriteErrorLog(std::string(operation) + " " + file + ": " + reason);
    return false;
}

} // namespace

bool CZJApp::SaveGame(const char* file, const char* title, int32_t flag, const char place[32], bool autosave)
{
    ZJ_TRACE("CZJApp::SaveGame");
    SaveHeader header;
    header.flag = flag ? 0 : 1;
    header.sectionCount = savefile::kGameSectionCount;
    header.title = title ? title : "";
    header.level = std::string(locationFile, strnlen(locationFile, sizeof locationFile));
    header.gameTime = GameTimeDays();
    if (place)
        header.place = std::string(place, strnlen(place, SaveHeader::kKeySize));
    if (PlayerFerrovant) {
        UpdateRatingLevel(PlayerFerrovant->rating, PlayerFerrovant->level);
        header.rating = uint32_t(std::max(PlayerFerrovant->level, 0));
        header.value = TruncatedU32(PlayerFerrovant->cargo.bulkAmount);
    }
    header.organisation = PlayerOrganisationName();
    header.kind = autosave ? SaveHeader::kAutoSave : 0;
    header.version = savefile::kGameVersion;

    static constexpr uint32_t kIds[] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 11 };
    savefile::CReplacingFile out(SavesFolder() + "\\" + file);
    if (!out.Open() || !WriteSave(*this, out, header, shotSurface, kIds))
        return Refuse("CZJApp::SaveGame", file, "cannot be written");
    return true;
}

bool CZJApp::LoadGame(const char* name, bool headerOnly)
{
    ZJ_TRACE("CZJApp::LoadGame");
    if (headerOnly) {
        if (strnlen(name, sizeof saveName) >= sizeof saveName)
            return Refuse("CZJApp::LoadGame", name, "name too long");
        std::snprintf(saveName, sizeof saveName, "%s", name);
    }
    const std::string path = BaseDirectory() + kSaves + "\\" + name;
    SaveHeader header;
    std::string reason;
    SectionBytes sections;
    if (!ReadSaveFile(path, header, headerOnly ? nullptr : &sections, reason))
        return Refuse("CZJApp::LoadGame", name, reason);

    std::snprintf(locationFile, sizeof locationFile, "%s", header.level.c_str());
    startPosition = MakeNameKey32(header.place.c_str());
    GameTimeDays() = header.gameTime;
    TimeOfDay() = (header.gameTime - std::floor(header.gameTime)) * 24.0f;
    int organisation = g_OrgManager.FindOrganisation(header.organisation.c_str());
    if (organisation < 0)
        organisation = g_OrgManager.FindOrganisation(kDefaultOrganisation);
    g_OrgManager.playerOrganisation = organisation;
    if (headerOnly)
        return true;

    if (!ReadSections(*this, sections.bytes.get(), sections.size, header.sectionCount, TakeAll, reason))
        return Refuse("CZJApp::LoadGame", name, reason);
    ResetCallTrace();
    return true;
}

bool CZJApp::SaveLoc()
{
    ZJ_TRACE("CZJApp::SaveLoc");
    const uint32_t number = LocationNumber(locationFile, sizeof locationFile);
    if (number == 0)
        return false;
    const std::string folder = LocsFolder();
    const std::string indexPath = folder + "\\" + kLocsIndex;
    uint32_t counter = 0;
    std::vector<uint8_t> bytes;
    const std::optional<std::string> resolved = plat::win::ResolvePath(indexPath);
    if (!resolved || plat::win::ReadWholeFile(*resolved, bytes) != plat::win::FileResult::Ok
        || !ParseCounter(bytes, counter))
        counter = 0;
    // Never over a location save an older game may name, whatever locs.idx says.
    counter = std::max(counter, HighestLocationSave(folder)) + 1;

    SaveHeader header;
    header.sectionCount = savefile::kLocationSectionCount;
    header.gameTime = GameTimeDays();
    header.kind = savefile::kLocationKind;
    header.version = savefile::kLocationVersion;
    savefile::CReplacingFile out(LocationSavePath(counter));
    if (!out.Open() || !WriteSave(*this, out, header, nullptr, kLocationSections))
        return Refuse("CZJApp::SaveLoc", LocationSavePath(counter), "cannot be written");

    const std::string text = std::to_string(counter);
    savefile::CReplacingFile index(indexPath);
    if (!index.Open() || !index.Write(text.data(), text.size()) || !index.Commit())
        return Refuse("CZJApp::SaveLoc", indexPath, "cannot be written");
    savedValues[number - 1] = counter;
    savedValueCount = std::max(savedValueCount, number);
    return true;
}

bool CZJApp::LoadLoc()
{
    ZJ_TRACE("CZJApp::LoadLoc");
    const uint32_t number = LocationNumber(locationFile, sizeof locationFile);
    if (number == 0 || number > std::min(savedValueCount, savefile::kMaxLocations)
        || savedValues[number - 1] == 0)
        return false;
    const std::string path = LocationSavePath(savedValues[number - 1]);
    std::vector<uint8_t> bytes;
    const std::optional<std::string> resolved = plat::win::ResolvePath(path);
    if (!resolved || plat::win::ReadWholeFile(*resolved, bytes) != plat::win::FileResult::Ok)
        return Refuse("CZJApp::LoadLoc", path, "cannot be read");
    std::string reason;
    if (!ReadLocationSave(std::move(bytes), reason))
        return Refuse("CZJApp::LoadLoc", path, reason);
    return true;
}

bool CZJApp::ReadLocationSave(std::vector<uint8_t> bytes, std::string& reason)
{
    SaveHeader header;
    if (!savefile::ReadHeader(bytes.data(), bytes.size(), header, reason))
        return false;
    const size_t start = savefile::SectionsStart(header);
    if (bytes.size() < start) {
        reason = "the picture ends early";
        return false;
    }
    return ReadSections(
        *this, bytes.data() + start, bytes.size() - start, header.sectionCount, IsLocationSection, reason);
}

void CZJApp::SavePlayerControlState(XMemBuffer& stream)
{
    stream.WriteValue(savefile::kControlVersion);
    stream.Write(&PlayerControl, int(sizeof PlayerControl));
}

bool CZJApp::LoadPlayerControlState(XMemBuffer& stream)
{
    uint32_t version = 0;
    SPlayerControl record {};
    if (!savefile::ReadControlState(stream.Current(), uint32_t(stream.Remaining()), version, record))
        return false;
    PlayerControl = record;
    return true;
}

void CZJApp::ApplyPlayerControlState()
{
    ZJ_TRACE("CZJApp::ApplyPlayerControlState");
    if (!PlayerFerrovant)
        return;
    struct SSwitch {
        EquipmentFlag flag;
        uint8_t SPlayerControl::*on;
    };
    static constexpr SSwitch kSwitches[] = {
        { kEqpBooster, &SPlayerControl::BoostOn },
        { kEqpAnalyzer, &SPlayerControl::Analyzer },
        { kEqpAntirocketSystem, &SPlayerControl::AntirocketOn },
        { kEqpInvisibilityShield, &SPlayerControl::Invisibility },
    };
    PlayerFerrovant->UpdateEquipment();
    for (const SSwitch& entry : kSwitches) {
        if (!PlayerEquipmentFlags[entry.flag])
            continue;
        const int row = g_EquipmentManager.FindRow(EquipmentFlagNames[entry.flag]);
        if (CEquipment* item = row >= 0 ? PlayerFerrovant->FindItem(uint32_t(row)) : nullptr)
            item->active = PlayerControl.*entry.on;
    }
}
