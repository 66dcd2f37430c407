// zoq-radar: radar map files. "make PICTURE OUT" writes one from a PNG, TGA or BMP picture;
// "info FILE" prints its header and tile grid and checks it as the game's reader does.
#include "platform/gfx/d3dx/image.h"
#include "platform/win/program_info.h"
#include "tools/radar/radar_writer.h"
#include "ui/CRadarMap.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using zoq::tools::radar::RadarPicture;

constexpr int kFailExit = 1;
constexpr int kUsageExit = 2;

const char* const kUsage = "usage: zoq-radar make PICTURE OUT\n"
                           "       zoq-radar info FILE\n";

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "zoq-radar: %s: %s\n", file.c_str(), reason.c_str());
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

int Make(const std::string& source, const std::string& target)
{
    std::vector<uint8_t> file;
    if (!ReadWhole(source, file))
        return Fail(source, "cannot be read");
    plat::gfx::d3dx::Image image;
    std::string error;
    if (plat::gfx::Failed(plat::gfx::d3dx::ReadImage(file, image, false, &error)) || image.levels.empty()
        || image.info.imageFileFormat == plat::gfx::d3dx::ImageFileFormat::Dds
        || image.info.imageFileFormat == plat::gfx::d3dx::ImageFileFormat::Jpg)
        return Fail(source, error.empty() ? "not a PNG, TGA or BMP picture" : error);
    RadarPicture picture;
    picture.width = image.info.width;
    picture.height = image.info.height;
    picture.argb.resize(size_t(picture.width) * picture.height);
    std::memcpy(picture.argb.data(), image.levels[0].data(),
        std::min(image.levels[0].size(), picture.argb.size() * sizeof(uint32_t)));
    if (image.info.format == plat::gfx::Format::X8R8G8B8)
        for (uint32_t& pixel : picture.argb)
            pixel |= 0xFF000000u;
    Bytes bytes;
    try {
        bytes = zoq::tools::radar::WriteRadarMap(picture);
    } catch (const std::invalid_argument& e) {
        return Fail(source, e.what());
    }
    const std::string temporary = target + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush())
            return Fail(target, "cannot be written");
    }
    std::error_code code;
    std::filesystem::rename(temporary, target, code);
    if (code)
        return Fail(target, code.message());
    return 0;
}

int Info(const std::string& path)
{
    std::vector<uint8_t> file;
    if (!ReadWhole(path, file))
        return Fail(path, "cannot be read");
    if (file.size() < size_t(RadarMapFormat::kHeaderBytes))
        return Fail(path, "shorter than its header");
    const SRadarMapHeader header { LoadLE<uint32_t>(file.data()), LoadLE<uint32_t>(file.data() + 4),
        LoadLE<uint32_t>(file.data() + 8), LoadLE<uint32_t>(file.data() + 12) };
    std::printf("offset\t%u\n", header.dataOffset);
    std::printf("size\t%u\t%u\n", header.width, header.height);
    if (const char* refused = RadarMapFormat::CheckHeader(header, int64_t(file.size()))) {
        std::fflush(stdout);
        return Fail(path, refused);
    }
    const auto width = int32_t(header.width);
    const auto height = int32_t(header.height);
    const int64_t needed = int64_t(header.dataOffset) + RadarMapFormat::TileBytes(width, height);
    std::printf("tiles\t%d\t%d\n", RadarMapFormat::Columns(width), RadarMapFormat::Rows(height));
    std::printf("bytes\t%zu\t%lld\n", file.size(), (long long)needed);
    std::fflush(stdout);
    if (int64_t(file.size()) < needed)
        return Fail(path, "shorter than its tiles");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-radar",
            std::string(kUsage) + "  make: writes a radar map file of the picture, padded to whole tiles\n"
                + "  info: prints the file's data offset, size, tile grid and byte counts\n"))
        return *answered;
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.size() == 3 && args[0] == "make")
        return Make(args[1], args[2]);
    if (args.size() == 2 && args[0] == "info")
        return Info(args[1]);
    std::fputs(kUsage, stderr);
    return kUsageExit;
}
