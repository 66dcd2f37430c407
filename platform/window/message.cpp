#include "platform/window/message.h"

#include "platform/win/debug.h"
#include "platform/window/keys.h"
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

#include <algorithm>
#include <deque>

namespace plat::window {
namespace {

std::deque<Message>& Queue()
{
    static std::deque<Message> queue;
    return queue;
}

bool g_overflowLogged = false;

} // namespace

void QueueMessage(const Message& message)
{
    auto& queue = Queue();
    if (queue.size() >= kMaxQueuedMessages) {
        if (!g_overflowLogged)
            win::DebugOutput("PostMessage: the message queue is full; messages are dropped");
        g_overflowLogged = true;
        return;
    }
    g_overflowLogged = false;
    queue.push_back(message);
}

void PurgeMessagesOf(const Window* window)
{
    auto& queue = Queue();
    queue.erase(
        std::remove_if(queue.begin(), queue.end(), [&](const Message& m) { return m.window == window; }),
        queue.end());
}

bool PeekMessage(Message& out, bool remove)
{
    DrainEvents();
    auto& queue = Queue();
    if (queue.empty())
        return false;
    out = queue.front();
    if (remove)
        queue.pop_front();
    return true;
}

void TranslateMessage(const Message&) { }

int64_t DispatchMessage(const Message& message)
{
    if (!message.window || !message.window->IsAlive())
        return 0;
    return message.window->CallProcedure(message);
}

int64_t SendMessage(Window& window, const Message& message)
{
    if (!window.IsAlive())
        return 0;
    Message m = message;
    m.window = &window;
    if (m.time == 0)
        m.time = LayerTime();
    return window.CallProcedure(m);
}

int64_t DefaultWindowProc(Window& window, const Message& message)
{
    Message m;
    m.window = &window;
    m.time = message.time;
    switch (message.kind) {
    case MessageKind::Close:
        window.Destroy();
        return 0;
    case MessageKind::SysCommand:
        switch (SysCommand(message.wParam)) {
        case SysCommand::Close:
            m.kind = MessageKind::Close;
            return SendMessage(window, m);
        case SysCommand::Minimise:
            window.Minimise();
            return 0;
        case SysCommand::Restore:
            window.Restore();
            return 0;
        }
        return 0;
    case MessageKind::SysKeyDown:
        if (message.wParam == key::F4 && !(message.lParam & kKeyRepeat)) {
            m.kind = MessageKind::SysCommand;
            m.wParam = uint32_t(SysCommand::Close);
            return SendMessage(window, m);
        }
        return 0;
    default:
        return 0;
    }
}

void PostMessage(const Message& message)
{
    Message m = message;
    if (m.time == 0)
        m.time = LayerTime();
    QueueMessage(m);
}

void PostQuitMessage(int exitCode)
{
    Message m;
    m.kind = MessageKind::Quit;
    m.wParam = uint32_t(exitCode);
    PostMessage(m);
}

void ClearMessages()
{
    Queue().clear();
}

} // namespace plat::window
