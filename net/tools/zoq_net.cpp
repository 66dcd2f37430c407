// zoq-net: network diagnostics on the game's own client transport.
//   zoq-net probe HOST[:PORT] [--name NAME] [--wait SECONDS]
// searches at that address, connects to the first server that answers, waits for WELCOME,
// asks for the game list as the game does and prints what it found.
// Exit: 0 done, 1 no server answered, 2 connect failed, no WELCOME or usage, 3 no game list.
//   zoq-net record FILE
// prints the object records laid back to back in FILE. Exit: 0 done, 1 a bad record or an
// unreadable file, 2 usage.
#include "net/CDPClient8.h"
#include "net/NetSession.h"
#include "net/tools/record_dump.h"
#include "net/wire/NetWire.h"
#include "platform/win/clock.h"
#include "platform/win/environment.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kUsage = 2;
constexpr int kWelcomeMs = 5000;
constexpr int kListRounds = 3;
constexpr int kListPolls = 1000;
constexpr uint32_t kListPauseMs = 500;

// The transport with the two replies the probe reads.
class ProbeClient : public CDPClient8 {
public:
    void SearchAt(const plat::net::Address& target) { hostAddress = target; }

    uint32_t playerId = 0;
    int lists = 0;
    std::vector<SGameParam> games;

protected:
    void OnProcessMessage(uint8_t* payload, uint32_t size) override
    {
        NetWire::SReply reply;
        if (NetWire::DecodeReply(payload, size, reply) != NetWire::Status::Ok)
            return;
        if (reply.id == NETREPLY_WELCOME) {
            playerId = reply.playerId;
        } else if (reply.id == NETREPLY_GAMELIST) {
            games.clear();
            for (uint32_t i = 0; i < reply.count; ++i) {
                const uint8_t* entry = reply.items + std::size_t(i) * NetWire::GameParam::kSize;
                if (NetWire::IsPlainGameName(
                        reinterpret_cast<const char*>(entry + NetWire::GameParam::kName)))
                    games.push_back(NetWire::ReadGameParam(entry));
            }
            ++lists;
        }
    }
};

constexpr char kHelp[]
    = "usage: zoq-net probe HOST[:PORT] [--name NAME] [--wait SECONDS]\n"
      "       zoq-net record FILE\n"
      "probe: searches for a game server at HOST, connects as NAME (PLAYER), waits for its welcome\n"
      "and prints its game list. --wait: seconds to search, 0 to 3600 (5).\n"
      "Exit: 0 done, 1 no server answered, 2 connect failed, no welcome or usage, 3 no game list.\n"
      "record: prints the object records laid back to back in FILE.\n"
      "Exit: 0 done, 1 a bad record or an unreadable file, 2 usage.\n";

int Usage()
{
    std::fputs("usage: zoq-net probe HOST[:PORT] [--name NAME] [--wait SECONDS]\n"
               "       zoq-net record FILE\n",
        stderr);
    return kUsage;
}

// One line naming what was refused and why, then the usage.
int Refuse(const std::string& what, const std::string& reason)
{
    std::fprintf(stderr, "zoq-net: %s: %s\n", what.c_str(), reason.c_str());
    return Usage();
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = plat::win::DecodeUtf8(text, pos);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const char16_t* text)
{
    std::string out;
    for (std::size_t i = 0; text[i] != u'\0'; ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        plat::win::AppendUtf8(out, cp);
    }
    return out;
}

int64_t NowMs()
{
    return plat::win::CounterNow() / 1'000'000;
}

int Probe(const std::string& where, const std::string& name, double waitSeconds)
{
    plat::net::Address target;
    if (!plat::net::ParseAddress(where, target) || !target.hasIp)
        return Refuse(where, "not an address HOST[:PORT] with a numeric or known host");
    if (!target.hasPort) {
        target.port = plat::net::DefaultPort();
        target.hasPort = true;
    }

    ProbeClient client;
    if (!client.Init()) {
        std::fputs("zoq-net: the network transport does not start\n", stderr);
        return kUsage;
    }
    client.SearchAt(target);
    if (!client.EnumHosts(kZJApplicationGuid)) {
        std::fprintf(stderr, "zoq-net: no server at %s\n", plat::net::FormatAddress(target).c_str());
        return 1;
    }
    const int64_t searchEnd = NowMs() + static_cast<int64_t>(waitSeconds * 1000.0);
    while (client.GetHostCount() == 0 && NowMs() < searchEnd)
        plat::win::Sleep(10);
    client.CancelEnumHosts();
    SDPHostEntry host;
    if (!client.GetHost(0, host)) {
        std::fprintf(stderr, "zoq-net: no server at %s\n", plat::net::FormatAddress(target).c_str());
        return 1;
    }

    const std::u16string wideName = Utf8ToUtf16(name);
    if (!client.Connect(0, wideName.c_str())) {
        std::fprintf(
            stderr, "zoq-net: %s: the connection failed\n", plat::net::FormatAddress(host.host).c_str());
        return 2;
    }
    const int64_t welcomeEnd = NowMs() + kWelcomeMs;
    while (client.playerId == 0 && NowMs() < welcomeEnd) {
        if (!client.ProcessMessages())
            plat::win::Sleep(1);
    }
    if (client.playerId == 0) {
        std::fputs("zoq-net: no WELCOME from the server\n", stderr);
        return 2;
    }

    uint8_t request[16];
    const uint32_t size = NetWire::EncodeRequest(request, sizeof request, NETSYS_GETGAMELIST);
    bool listed = false;
    for (int round = 0; round < kListRounds && !listed; ++round) {
        const int before = client.lists;
        client.Send(request, size, false);
        for (int poll = 0; poll < kListPolls && !listed; ++poll) {
            client.ProcessMessages();
            listed = client.lists != before;
            if (!listed)
                plat::win::Sleep(1);
        }
        if (!listed)
            plat::win::Sleep(kListPauseMs);
    }
    if (!listed) {
        std::fputs("zoq-net: no game list after 3 rounds\n", stderr);
        return 3;
    }

    std::printf("server %s \"%s\"\n", plat::net::FormatAddress(host.host).c_str(),
        Utf16ToUtf8(host.desc.sessionName).c_str());
    std::printf("player 0x%08X\n", client.playerId);
    std::printf("games %zu\n", client.games.size());
    for (const SGameParam& game : client.games)
        std::printf(
            "game %u \"%s\" players %u\n", game.id, plat::win::Cp1251ToUtf8(game.name).c_str(), game.players);
    std::fflush(stdout);
    client.Close();
    return 0;
}

int DumpFile(const char* path)
{
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path, "rb");
    if (file) {
        uint8_t block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
            bytes.insert(bytes.end(), block, block + n);
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed)
            file = nullptr;
    }
    if (!file) {
        std::fprintf(stderr, "zoq-net: %s: cannot be read\n", path);
        return 1;
    }
    std::string text;
    std::string error;
    const bool ok = zoq::net::DumpRecords(bytes.data(), bytes.size(), text, error);
    std::fputs(text.c_str(), stdout);
    if (!ok) {
        std::fprintf(stderr, "zoq-net: %s: %s\n", path, error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-net", kHelp))
        return *answered;
    if (plat::win::RefuseBadEnvironment("zoq-net"))
        return 2;
    if (argc >= 2 && std::string(argv[1]) == "record") {
        if (argc != 3)
            return Refuse("record", argc < 3 ? "no FILE given" : "more than one FILE");
        return DumpFile(argv[2]);
    }
    if (argc < 2 || std::string(argv[1]) != "probe")
        return Refuse(argc < 2 ? "zoq-net" : argv[1], argc < 2 ? "no command" : "unknown command");
    if (argc < 3)
        return Refuse("probe", "no HOST given");
    const std::string where = argv[2];
    std::string name = "PLAYER";
    double waitSeconds = 5.0;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Refuse(option, "needs a value");
        const std::string value = argv[++i];
        if (option == "--name") {
            name = value;
        } else if (option == "--wait") {
            char* end = nullptr;
            waitSeconds = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0' || !(waitSeconds >= 0.0) || waitSeconds > 3600.0)
                return Refuse("--wait " + value, "not a number of seconds from 0 to 3600");
        } else {
            return Refuse(option, "unknown option");
        }
    }
    return Probe(where, name, waitSeconds);
}
