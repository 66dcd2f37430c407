// zoq-tex: inspects, decodes and writes TM texture files.
//   zoq-tex info FILE.TM
//   zoq-tex png FILE.TM OUT.png [--reduction N] [--bits 16|32]
//   zoq-tex make IN.png OUT.TM --format 21|22|dxt5
#include "tools/texture/tm_file.h"

#include "platform/win/program_info.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace zoq::tools::texture;

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "zoq-tex: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

constexpr char kCommands[] = "zoq-tex info FILE.TM | png FILE.TM OUT.png [--reduction N] [--bits 16|32] | "
                             "make IN.png OUT.TM --format 21|22|dxt5";
const std::string kHelp = std::string("usage: ") + kCommands
    + "\n  info     the file's width, height, format, levels and compression\n"
      "  png      the top level (or a reduced one) as a PNG picture\n"
      "  make     a TM file from a PNG picture\n";

int Usage()
{
    std::fprintf(stderr, "zoq-tex: usage: %s\n", kCommands);
    return 2;
}

bool ParseInt(std::string_view text, int& out)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

int Info(const std::string& path)
{
    TmInfo info;
    std::string error;
    if (!ReadTmInfo(path, info, error))
        return Fail(path, error);
    std::printf("%s\n", FormatInfoLine(info).c_str());
    return 0;
}

int Png(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return Usage();
    int reduction = 0;
    int bits = 32;
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return Usage();
        int value = 0;
        if (!ParseInt(args[i + 1], value))
            return Usage();
        if (args[i] == "--reduction" && value >= 0 && value <= 2)
            reduction = value;
        else if (args[i] == "--bits" && (value == 16 || value == 32))
            bits = value;
        else
            return Usage();
    }
    uint32_t width = 0, height = 0;
    Bytes rgba;
    std::string error;
    if (!DecodeTmTop(args[0], reduction, bits, width, height, rgba, error))
        return Fail(args[0], error);
    if (!WritePng(args[1], width, height, rgba, error))
        return Fail(args[1], error);
    std::printf("%u %u\n", width, height);
    return 0;
}

int Make(const std::vector<std::string>& args)
{
    if (args.size() != 4 || args[2] != "--format")
        return Usage();
    TmFormat format;
    if (args[3] == "21")
        format = TmFormat::Argb;
    else if (args[3] == "22")
        format = TmFormat::Xrgb;
    else if (args[3] == "dxt5")
        format = TmFormat::Dxt5;
    else
        return Usage();
    Picture picture;
    std::string error;
    if (!ReadPng(args[0], picture, error))
        return Fail(args[0], error);
    if (!WriteTm(args[1], picture, format, error))
        return Fail(args[1], error);
    return Info(args[1]);
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-tex", kHelp))
        return *answered;
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info")
        return args.size() == 1 ? Info(args[0]) : Usage();
    if (command == "png")
        return Png(args);
    if (command == "make")
        return Make(args);
    return Usage();
}
