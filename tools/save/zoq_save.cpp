// zoq-save: save games. "info FILE" prints the header, the sections in file order and the two
// payloads the application owns, checking the file as the game's loader does; "shot FILE OUT.bmp"
// writes the save picture as a BMP.
#include "app/SaveFile.h"
#include "foundation/ByteOrder.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"
#include "render/Screenshot.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace zoq::tools::save {
namespace {

constexpr int kFailExit = 1;
constexpr int kUsageExit = 2;
constexpr uint32_t kLocationListId = 9;
constexpr uint32_t kControlId = 11;

const char* const kUsage = "usage: zoq-save info FILE\n"
                           "       zoq-save shot FILE OUT.bmp\n";

int Fail(const std::string& file, const std::string& reason)
{
    std::fflush(stdout);
    std::fprintf(stderr, "zoq-save: %s: %s\n", file.c_str(), reason.c_str());
    return kFailExit;
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

// The whole file and its header; false with the exit code's message written.
bool ReadSave(const std::string& file, std::vector<uint8_t>& bytes, SaveHeader& header, int& code)
{
    std::string reason;
    if (!ReadWhole(file, bytes))
        code = Fail(file, "cannot be read");
    else if (!savefile::ReadHeader(bytes.data(), bytes.size(), header, reason))
        code = Fail(file, reason);
    else
        return true;
    return false;
}

// A header text as UTF-8; "-" for an empty one where the field may be empty.
std::string Text(const std::string& text, bool dashWhenEmpty)
{
    return text.empty() && dashWhenEmpty ? "-" : plat::win::Cp1251ToUtf8(text);
}

void PrintHeader(const SaveHeader& header, size_t pictureBytes)
{
    std::printf("header\tmagic=ZJSG\tflag=%u\tsections=%u\tkind=%u\tversion=%u\n", header.flag,
        header.sectionCount, header.kind, header.version);
    std::printf("title\t%s\n", Text(header.title, false).c_str());
    std::printf("location\t%s\n", Text(header.level, false).c_str());
    std::printf("days\t%.6f\n", double(header.gameTime));
    std::printf("place\t%s\n", Text(header.place, true).c_str());
    std::printf("rating\t%u\tvalue564=%u\n", header.rating, header.value);
    std::printf("organisation\t%s\n", Text(header.organisation, true).c_str());
    if (pictureBytes)
        std::printf("screenshot\t%zu\n", pictureBytes);
    else
        std::printf("screenshot\tnone\n");
}

// The line of a section the application owns; false with the reason when the loader refuses it.
bool PrintPayload(uint32_t id, const uint8_t* payload, uint32_t size, std::string& reason)
{
    if (id == kLocationListId) {
        uint32_t values[savefile::kMaxLocations] = {};
        uint32_t count = 0;
        if (!savefile::ReadLocationList(payload, size, values, count)) {
            reason = "section 9 does not hold its count of values";
            return false;
        }
        std::printf("locations\t");
        for (uint32_t i = 0; i < count; ++i)
            std::printf(i ? " %u" : "%u", values[i]);
        std::printf("\n");
    } else if (id == kControlId) {
        uint32_t version = 0;
        SPlayerControl record {};
        if (!savefile::ReadControlState(payload, size, version, record)) {
            reason = "section 11 is shorter than its version's record";
            return false;
        }
        std::printf(
            "control\tversion=%u\tbooster=%u\tinvisibility=%u\tantirocket=%u\tanalyzer=%u\tvalue=%g\n",
            version, record.BoostOn, record.Invisibility, record.AntirocketOn, record.Analyzer,
            double(record.GliderValue));
    }
    return true;
}

int Info(const std::string& file)
{
    std::vector<uint8_t> bytes;
    SaveHeader header;
    int code = 0;
    if (!ReadSave(file, bytes, header, code))
        return code;
    savefile::CSectionWalk walk(bytes.data(), bytes.size(), header);
    if (walk.Failed())
        return Fail(file, walk.Reason());
    PrintHeader(header, walk.PictureOffset() ? SaveHeader::kScreenshotSize : 0);
    uint32_t id = 0;
    const uint8_t* payload = nullptr;
    uint32_t size = 0;
    std::string reason;
    while (walk.Next(id, payload, size)) {
        std::printf("section\t%u\t%u\n", id, size);
        if (!PrintPayload(id, payload, size, reason))
            return Fail(file, reason);
    }
    if (walk.Failed())
        return Fail(file, walk.Reason());
    return 0;
}

int Shot(const std::string& file, const std::string& out)
{
    std::vector<uint8_t> bytes;
    SaveHeader header;
    int code = 0;
    if (!ReadSave(file, bytes, header, code))
        return code;
    const savefile::CSectionWalk walk(bytes.data(), bytes.size(), header);
    if (walk.Failed())
        return Fail(file, walk.Reason());
    if (!walk.PictureOffset())
        return Fail(file, "no picture");
    // The save holds the rows top to bottom, a BMP bottom to top.
    constexpr size_t kRow = size_t(SaveHeader::kScreenshotSide) * 4;
    std::vector<uint8_t> rows(SaveHeader::kScreenshotSize);
    for (size_t row = 0; row < size_t(SaveHeader::kScreenshotSide); ++row)
        std::copy_n(bytes.data() + walk.PictureOffset() + row * kRow, kRow,
            rows.data() + (SaveHeader::kScreenshotSide - 1 - row) * kRow);
    std::error_code error;
    std::filesystem::remove(out, error);
    WriteBMP(out.c_str(), SaveHeader::kScreenshotSide, SaveHeader::kScreenshotSide, rows.data(), 4);
    const uintmax_t written = std::filesystem::file_size(out, error);
    if (error || written != 54 + SaveHeader::kScreenshotSize)
        return Fail(out, "cannot be written");
    return 0;
}

} // namespace
} // namespace zoq::tools::save

int main(int argc, char** argv)
{
    using namespace zoq::tools::save;
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-save",
            std::string(kUsage)
                + "  info: prints the header, each section's id and size, and sections 9 and 11\n"
                + "  shot: writes the 256 x 256 save picture as a BMP\n"))
        return *answered;
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.size() == 2 && args[0] == "info")
        return Info(args[1]);
    if (args.size() == 3 && args[0] == "shot")
        return Shot(args[1], args[2]);
    std::fputs(kUsage, stderr);
    return kUsageExit;
}
