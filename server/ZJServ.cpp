// ZJServ: the dedicated server program. It has no window: the console stands in for its tray
// icon, and the main loop alternates taking one message with draining the server transport.
// Exit codes: 0 closed, 1 another server runs, 2 the server could not start, 3 an exception.
#include "foundation/CallTrace.h"
#include "net/NetSession.h"
#include "platform/tray/tray.h"
#include "platform/win/environment.h"
#include "platform/win/instance.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "platform/win/program_info.h"
#include "platform/win/thread.h"
#include "server/CZJDPServer.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

// The program's one game server.
CZJDPServer* ZJServer = nullptr;

namespace {

constexpr char kInstanceName[] = "ZOQ_ZJSERV10";
constexpr char kTip[] = "Z.O.Q. Server v 1.0";
constexpr uint32_t kIconId = 1;
constexpr uint32_t kTrayCallback = 1025;
constexpr uint32_t kCloseCommand = 40004;
constexpr uint32_t kIdleWaitMs = 1;

constexpr char kUsage[]
    = "usage: ZJServ\n"
      "Runs the game server in the working folder, set up by zjserv.ini; ends on SIGINT or SIGTERM.\n"
      "  --help, --version  this text, or the version\n";

enum ExitCode : int { kClosed = 0, kAlreadyRunning = 1, kInitFailed = 2, kException = 3 };

struct SServerSettings {
    int32_t defaultTcp = 1; // read, not used
    int32_t maxPlayers = 16; // read, not used: the session has no player limit
    int32_t visible = 1;
    char closeString[256] = {};
};

SServerSettings ReadSettings()
{
    const std::string file = plat::win::CurrentDirectory() + "\\zjserv.ini";
    SServerSettings settings;
    settings.defaultTcp = static_cast<int32_t>(plat::win::ReadProfileInt(file, "ZJSERV", "DefaultTCP", 1));
    settings.maxPlayers = static_cast<int32_t>(plat::win::ReadProfileInt(file, "ZJSERV", "MaxPlayers", 16));
    settings.visible = static_cast<int32_t>(plat::win::ReadProfileInt(file, "ZJSERV", "Visible", 1));
    plat::win::ReadProfileString(
        file, "ZJSERV", "CloseString", "Close", settings.closeString, sizeof settings.closeString);
    return settings;
}

bool InitServer()
{
    if (!ZJServer->Init(kZJApplicationGuid))
        return false;
    // Where the system does not permit it the server runs at normal priority.
    plat::win::SetProcessPriority(plat::win::ProcessPriority::High);
    return true;
}

void OnTrayIcon(const SServerSettings& settings, uint32_t event)
{
    ZJServer->ProcessMessages();
    if (event != static_cast<uint32_t>(plat::tray::IconEvent::RightButtonUp))
        return;
    plat::tray::SetForeground();
    const plat::tray::MenuItem items[] = { { kCloseCommand, settings.closeString } };
    if (plat::tray::TrackMenu(items) == kCloseCommand)
        plat::tray::PostQuit(kClosed);
    plat::tray::PostNull();
}

// Serves until a quit message is taken; returns its code.
int MainLoop(const SServerSettings& settings)
{
    for (;;) {
        plat::tray::Message message;
        if (plat::tray::TakeMessage(message)) {
            if (message.kind == plat::tray::MessageKind::Quit)
                return static_cast<int>(message.param1);
            if (message.kind == plat::tray::MessageKind::Callback && message.message == kTrayCallback)
                OnTrayIcon(settings, message.param2);
        }
        if (!ZJServer->ProcessMessages()) {
            // Nothing was queued: send what is held, then wait for the next arrival rather than
            // a blind sleep.
            ZJServer->FlushIdlePlayers();
            ZJServer->WaitForArrival(kIdleWaitMs);
            ZJServer->RemoveEmptyGame();
        }
    }
}

std::string SessionName()
{
    std::string name;
    for (const char16_t* c = kZJSessionName; *c != u'\0'; ++c)
        name += static_cast<char>(*c);
    return name;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "ZJServ", kUsage))
        return *answered;
    if (plat::win::RefuseBadEnvironment("ZJServ"))
        return 2;
    plat::tray::CatchCloseSignals();
    plat::win::SingleInstance instance;
    if (!instance.Acquire(kInstanceName)) {
        std::fputs("ZJServ: a server is already running\n", stderr);
        return kAlreadyRunning;
    }
    const SServerSettings settings = ReadSettings();
    if (settings.visible != 0)
        plat::tray::AddIcon(kIconId, kTrayCallback, kTip, settings.closeString);

    auto server = std::make_unique<CZJDPServer>();
    ZJServer = server.get();
    int code = kClosed;
    try {
        if (!InitServer()) {
            std::fputs("Error: Can`t initialize server\n", stderr);
            return kInitFailed;
        }
        std::printf("ZJServ: session \"%s\" on UDP port %u\n", SessionName().c_str(),
            static_cast<unsigned>(ZJServer->GetLocalPort()));
        std::fflush(stdout);
        code = MainLoop(settings);
        if (settings.visible != 0)
            plat::tray::RemoveIcon();
        ZJServer->Close();
    } catch (...) {
        FlushCallTrace();
        code = kException;
    }
    ZJServer = nullptr;
    return code;
}
