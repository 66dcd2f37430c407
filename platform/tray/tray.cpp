#include "platform/tray/tray.h"

#include "platform/win/text.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

namespace plat::tray {
namespace {

std::atomic<bool> g_closeRequested { false };
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

struct State {
    std::mutex mutex;
    std::deque<Message> posted;
    bool hasIcon = false;
    uint32_t iconId = 0;
    uint32_t callbackMessage = 0;
};

State& TrayState()
{
    static State state;
    return state;
}

extern "C" void OnCloseSignal(int)
{
    g_closeRequested.store(true);
}

} // namespace

void CatchCloseSignals()
{
    struct sigaction action { };
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool ClosePending()
{
    return g_closeRequested.load();
}

bool AddIcon(uint32_t id, uint32_t callbackMessage, std::string_view tip, std::string_view closeItem)
{
    State& state = TrayState();
    {
        std::lock_guard lock(state.mutex);
        if (state.hasIcon)
            return false;
        state.hasIcon = true;
        state.iconId = id;
        state.callbackMessage = callbackMessage;
    }
    const std::string line
        = plat::win::Cp1251ToUtf8(tip) + " [" + plat::win::Cp1251ToUtf8(closeItem) + ": Ctrl+C]\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    return true;
}

void RemoveIcon()
{
    State& state = TrayState();
    std::lock_guard lock(state.mutex);
    state.hasIcon = false;
}

bool TakeMessage(Message& out)
{
    State& state = TrayState();
    std::lock_guard lock(state.mutex);
    if (!state.posted.empty()) {
        out = state.posted.front();
        state.posted.pop_front();
        return true;
    }
    if (!g_closeRequested.exchange(false))
        return false;
    out = Message {};
    if (state.hasIcon) {
        out.kind = MessageKind::Callback;
        out.message = state.callbackMessage;
        out.param1 = state.iconId;
        out.param2 = static_cast<uint32_t>(IconEvent::RightButtonUp);
    } else {
        out.kind = MessageKind::Quit;
    }
    return true;
}

void PostQuit(uint32_t exitCode)
{
    State& state = TrayState();
    std::lock_guard lock(state.mutex);
    state.posted.push_back(Message { MessageKind::Quit, 0, exitCode, 0 });
}

void PostNull()
{
    State& state = TrayState();
    std::lock_guard lock(state.mutex);
    state.posted.push_back(Message { MessageKind::Null, 0, 0, 0 });
}

uint32_t TrackMenu(std::span<const MenuItem> items)
{
    return items.empty() ? 0 : items.front().command;
}

void SetForeground() { }

} // namespace plat::tray
