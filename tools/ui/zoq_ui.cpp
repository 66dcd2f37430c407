// zoq-ui markup [--width W] [--font DATADIR] [--image NAME=WxH]... FILE: lays out the Windows-1251
// mark-up text of FILE in a window from (0, 0) to (W, 100000) with one AddText (block "TEXT", new
// row) and prints its records and blocks. Without --font every byte is 8 pixels wide and a line
// 16 high; with it the game font of that base folder measures.
// zoq-ui list DIR saves|load|net: the lines that the save list (saving or loading) or the network
// location list shows for the base folder DIR, in display order, then the files left out.
#include "foundation/PakManager.h"
#include "platform/win/file.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"
#include "render/CFont.h"
#include "script/CZJScriptManager.h"
#include "tools/ui/markup_host.h"
#include "ui/GameList.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zoq::tools::ui {
namespace {

constexpr const char* kHelp = "usage: zoq-ui markup [--width W] [--font DATADIR] [--image NAME=WxH]... FILE\n"
                              "       zoq-ui list DIR saves|load|net\n";
constexpr int32_t kWindowBottom = 100000;

int Usage()
{
    std::fputs(kHelp, stderr);
    return 2;
}

int Fail(const std::string& where, const std::string& reason)
{
    std::fprintf(stderr, "zoq-ui: %s: %s\n", where.c_str(), reason.c_str());
    return 1;
}

// A whole positive decimal number.
bool ReadNumber(const std::string& text, int32_t& value)
{
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || number <= 0 || number > kWindowBottom)
        return false;
    value = int32_t(number);
    return true;
}

int Markup(int argc, char** argv)
{
    int32_t width = 400;
    std::string fontDir;
    std::vector<std::pair<std::string, std::pair<int32_t, int32_t>>> images;
    std::string file;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--width" || arg == "--font" || arg == "--image") {
            if (i + 1 >= argc)
                return Usage();
            const std::string value = argv[++i];
            if (arg == "--font") {
                fontDir = value;
            } else if (arg == "--width") {
                if (!ReadNumber(value, width))
                    return Usage();
            } else {
                const size_t eq = value.rfind('=');
                const size_t x = value.rfind('x');
                int32_t w = 0;
                int32_t h = 0;
                if (eq == std::string::npos || eq == 0 || x == std::string::npos || x < eq
                    || !ReadNumber(value.substr(eq + 1, x - eq - 1), w)
                    || !ReadNumber(value.substr(x + 1), h))
                    return Usage();
                images.push_back({ value.substr(0, eq), { w, h } });
            }
        } else if (file.empty() && !arg.empty() && arg[0] != '-') {
            file = arg;
        } else {
            return Usage();
        }
    }
    if (file.empty())
        return Usage();

    std::vector<uint8_t> bytes;
    switch (plat::win::ReadWholeFile(file, bytes)) {
    case plat::win::FileResult::Ok:
        break;
    case plat::win::FileResult::Missing:
        return Fail(file, "no such file");
    default:
        return Fail(file, "cannot be read");
    }
    std::unique_ptr<CFont> font;
    if (!fontDir.empty()) {
        font = std::make_unique<CFont>();
        std::string error;
        if (!LoadGameFont(fontDir, *font, error))
            return Fail(fontDir, error);
    }
    MarkupHost window(0, 0, width, kWindowBottom, font.get());
    for (const auto& [name, size] : images)
        window.images[name] = size;
    CXAnsiString text;
    text.Assign(bytes.size(), reinterpret_cast<const char*>(bytes.data()));
    window.AddText(text, "TEXT", true);
    std::fputs(DescribeTable(window).c_str(), stdout);
    return 0;
}

int List(int argc, char** argv)
{
    if (argc != 4)
        return Usage();
    const std::string kind = argv[3];
    const GameListMode mode = kind == "saves" ? GameListMode::Save
        : kind == "load"                      ? GameListMode::Load
        : kind == "net"                       ? GameListMode::Net
                                              : GameListMode(-1);
    if (int32_t(mode) < 0)
        return Usage();
    std::error_code ec;
    std::filesystem::current_path(argv[2], ec);
    if (ec) {
        std::fprintf(stderr, "zoq-ui: %s: %s\n", argv[2], ec.message().c_str());
        return 1;
    }
    g_PakManager.Init("Data");
    CZJScriptManager texts;
    texts.Init();
    g_pScriptManager = &texts;
    std::vector<SSkippedFile> skipped;
    const std::vector<SGameEntry> entries
        = mode == GameListMode::Net ? gamelist::ScanLocations(skipped) : gamelist::ScanSaves(skipped);
    for (const SGameListLine& line : gamelist::Lines(entries, mode))
        std::printf("%s\t%s\n", plat::win::Cp1251ToUtf8(line.block).c_str(),
            plat::win::Cp1251ToUtf8(line.markup).c_str());
    for (const SSkippedFile& file : skipped)
        std::printf("skipped\t%s\t%s\n", plat::win::Cp1251ToUtf8(file.file).c_str(), file.reason.c_str());
    g_pScriptManager = nullptr;
    return 0;
}

} // namespace
} // namespace zoq::tools::ui

int main(int argc, char** argv)
{
    using namespace zoq::tools::ui;
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-ui", kHelp))
        return *answered;
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "markup")
        return Markup(argc, argv);
    if (command == "list")
        return List(argc, argv);
    return Usage();
}
