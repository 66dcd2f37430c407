// zoq-pak: lists, extracts from and writes archives.
#include "tools/data/pak_writer.h"

#include "foundation/KWEngine.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zoq::tools::data;

std::string g_lastMessage;

void Capture(std::string_view message)
{
    g_lastMessage = message;
}

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "zoq-pak: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

constexpr char kCommands[] = "zoq-pak list ARCHIVE | cat ARCHIVE NAME | "
                             "pack OUT.pak DIR [--root ROOT] [--block-size N] [--codec C]";
const std::string kHelp = std::string("usage: ") + kCommands
    + "\n  list     the archive's entries\n  cat      one entry's bytes on stdout\n"
      "  pack     an archive of every file under DIR\n";

int Usage()
{
    std::fprintf(stderr, "zoq-pak: usage: %s\n", kCommands);
    return 2;
}

bool Mount(KWEngine& engine, const std::string& path, std::string& reason)
{
    engine.SetLog(&Capture);
    return engine.Load(path, reason);
}

int List(const std::string& path)
{
    KWEngine engine;
    std::string reason;
    if (!Mount(engine, path, reason))
        return Fail(path, reason);
    // Names as stored; the engine keeps upper-cased copies.
    std::ifstream in(path, std::ios::binary);
    std::string out;
    for (int i = 0; i < engine.FileCount(); ++i) {
        char name[80] = {};
        in.seekg(22 + 88 * std::streamoff(i));
        in.read(name, sizeof name);
        if (!in)
            return Fail(path, "file table unreadable");
        out += plat::win::Cp1251ToUtf8(name);
        out += '\t';
        out += std::to_string(engine.FileEntry(i).size);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("stdout", "write failed");
}

int Cat(const std::string& path, const std::string& name)
{
    KWEngine engine;
    std::string reason;
    if (!Mount(engine, path, reason))
        return Fail(path, reason);
    KWCursor cursor;
    if (!engine.Open(cursor, plat::win::Utf8ToCp1251(name).c_str()))
        return Fail(path, "no file " + name);
    std::vector<uint8_t> buffer(65536);
    uint64_t left = cursor.Size();
    while (left > 0) {
        size_t got = engine.ReadAvailable(cursor, buffer.data(), buffer.size());
        if (got == 0)
            return Fail(path, g_lastMessage.empty() ? std::string("read failed") : g_lastMessage);
        if (std::fwrite(buffer.data(), 1, got, stdout) != got)
            return Fail("stdout", "write failed");
        left -= got;
    }
    return std::fflush(stdout) == 0 ? 0 : Fail("stdout", "write failed");
}

int Pack(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return Usage();
    const std::filesystem::path out = args[0];
    std::filesystem::path dir = args[1];
    std::filesystem::path root;
    PakOptions options;
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return Usage();
        const std::string& value = args[i + 1];
        if (args[i] == "--root") {
            root = value;
        } else if (args[i] == "--block-size") {
            uint32_t size = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), size);
            if (ec != std::errc() || end != value.data() + value.size() || size < kMinPakBlockSize
                || size > kMaxPakBlockSize) {
                std::fprintf(stderr, "zoq-pak: block size %s outside 64..16777216\n", value.c_str());
                return 2;
            }
            options.blockSize = size;
        } else if (args[i] == "--codec") {
            std::optional<Codec> codec = ParseCodec(value);
            if (!codec) {
                std::fprintf(stderr, "zoq-pak: unknown codec %s\n", value.c_str());
                return 2;
            }
            options.codec = *codec;
        } else {
            return Usage();
        }
    }
    if (root.empty()) {
        std::error_code code;
        std::filesystem::path absolute = std::filesystem::absolute(dir, code).lexically_normal();
        if (!absolute.has_filename())
            absolute = absolute.parent_path();
        root = absolute.parent_path();
    }
    std::vector<PakSource> sources;
    std::string error;
    if (!CollectPakSources(dir, root, sources, error) || !WritePak(out, std::move(sources), options, error)) {
        std::fprintf(stderr, "zoq-pak: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-pak", kHelp))
        return *answered;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "list" && args.size() == 1)
        return List(args[0]);
    if (command == "cat" && args.size() == 2)
        return Cat(args[0], args[1]);
    if (command == "pack")
        return Pack(args);
    return Usage();
}
