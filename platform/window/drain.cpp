#include "platform/win/instance.h"
#include "platform/win/text.h"
#include "platform/window/event_listener.h"
#include "platform/window/keys.h"
#include "platform/window/window_internal.h"

#include <algorithm>

namespace plat::window {
namespace {

struct Listener {
    EventListener* listener;
    ListenerOrder order;
};

std::vector<Listener>& Listeners()
{
    static std::vector<Listener> listeners;
    return listeners;
}

std::function<bool()>& RaiseSource()
{
    static std::function<bool()> source;
    return source;
}

uint32_t WindowIdOf(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    default:
        return 0;
    }
}

// The character a control key gives while text input is on, after its key message; 0 for others.
uint8_t ControlCharacterOf(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_BACKSPACE:
        return 8;
    case SDL_SCANCODE_TAB:
        return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        return 13;
    case SDL_SCANCODE_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

bool IsSystemKey(const SDL_KeyboardEvent& key)
{
    SDL_Scancode sc = key.keysym.scancode;
    return (key.keysym.mod & KMOD_ALT) != 0 || sc == SDL_SCANCODE_LALT || sc == SDL_SCANCODE_RALT
        || sc == SDL_SCANCODE_F10;
}

// What a window event changed, so that its messages go out after the listeners saw the event.
struct Change {
    bool focus = false;
    bool minimise = false;
};

Change UpdateWindowState(Window& window, const SDL_Event& event)
{
    Window::Impl& w = window.GetImpl();
    Change change;
    switch (event.type) {
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
            w.visible = true;
            break;
        case SDL_WINDOWEVENT_HIDDEN:
            w.visible = false;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            bool focused = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            change.focus = focused != w.focused;
            w.focused = focused;
            UpdateRelativeMode(window);
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED: {
            bool minimised = event.window.event == SDL_WINDOWEVENT_MINIMIZED;
            change.minimise = minimised != w.minimised;
            w.minimised = minimised;
            break;
        }
        default:
            break;
        }
        break;
    case SDL_MOUSEMOTION:
        if (w.relative)
            w.MoveCursorBy(event.motion.xrel, event.motion.yrel);
        else
            w.SetCursorFromWindowPoint(event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!w.relative)
            w.SetCursorFromWindowPoint(event.button.x, event.button.y);
        break;
    default:
        break;
    }
    return change;
}

void Post(Window* window, MessageKind kind, uint32_t wParam, int64_t lParam, uint32_t time)
{
    Message m;
    m.window = window;
    m.kind = kind;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = time;
    QueueMessage(m);
}

void QueueMessagesOf(Window* window, const SDL_Event& event, Change change)
{
    uint32_t time = event.common.timestamp;
    if (event.type == SDL_QUIT) {
        Post(nullptr, MessageKind::Quit, 0, 0, time);
        return;
    }
    if (!window)
        return;
    Window::Impl& w = window->GetImpl();
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint8_t code = KeyCodeOfScancode(event.key.keysym.scancode);
        if (code == 0)
            break;
        bool down = event.type == SDL_KEYDOWN;
        bool system = IsSystemKey(event.key);
        MessageKind kind = down ? (system ? MessageKind::SysKeyDown : MessageKind::KeyDown)
                                : (system ? MessageKind::SysKeyUp : MessageKind::KeyUp);
        Post(window, kind, code, event.key.repeat ? kKeyRepeat : 0, time);
        if (down && w.textInput) {
            if (uint8_t c = ControlCharacterOf(event.key.keysym.scancode))
                Post(window, MessageKind::Char, c, 0, time);
        }
        break;
    }
    case SDL_TEXTINPUT: {
        if (!w.textInput)
            break;
        std::string_view text(event.text.text, strnlen(event.text.text, sizeof(event.text.text)));
        for (std::size_t pos = 0; pos < text.size();) {
            int byte = win::CodePointToCp1251(win::DecodeUtf8(text, pos));
            if (byte > 0)
                Post(window, MessageKind::Char, uint32_t(byte), 0, time);
        }
        break;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Post(window, MessageKind::SysCommand, uint32_t(SysCommand::Close), 0, time);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (change.focus) {
                uint32_t active = w.focused ? 1 : 0;
                Post(window, MessageKind::Activate, active, 0, time);
                Post(window, MessageKind::ActivateApp, active, 0, time);
            }
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
            if (change.minimise) {
                Size size = window->ClientSize();
                int64_t packed = (size.width & 0xFFFF) | (int64_t(size.height & 0xFFFF) << 16);
                Post(window, MessageKind::Size,
                    uint32_t(w.minimised ? SizeKind::Minimised : SizeKind::Restored), packed, time);
            }
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

} // namespace

Window* WindowOfEvent(const SDL_Event& event)
{
    uint32_t id = WindowIdOf(event);
    for (Window* window : LiveWindows()) {
        if (window->Id() == id)
            return window;
    }
    return MainWindow();
}

void HandleEvent(const SDL_Event& event)
{
    Window* window = WindowOfEvent(event);
    Change change;
    if (window)
        change = UpdateWindowState(*window, event);
    // Listeners may remove themselves (a device destroyed by its owner's reaction): walk a copy.
    std::vector<Listener> listeners = Listeners();
    for (ListenerOrder order : { ListenerOrder::InputDevice, ListenerOrder::Other }) {
        for (const Listener& l : listeners) {
            if (l.order != order)
                continue;
            auto& current = Listeners();
            bool stillThere = std::any_of(
                current.begin(), current.end(), [&](const Listener& c) { return c.listener == l.listener; });
            if (stillThere)
                l.listener->OnSdlEvent(&event);
        }
    }
    QueueMessagesOf(window, event, change);
}

void HandleWindowEvent(Window& window, SDL_WindowEventID kind)
{
    SDL_Event event {};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = LayerTime();
    event.window.windowID = window.Id();
    event.window.event = uint8_t(kind);
    HandleEvent(event);
}

void AddEventListener(EventListener& listener, ListenerOrder order)
{
    RemoveEventListener(listener);
    Listeners().push_back({ &listener, order });
}

void RemoveEventListener(EventListener& listener)
{
    auto& listeners = Listeners();
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                        [&](const Listener& l) { return l.listener == &listener; }),
        listeners.end());
}

void SetRaiseRequestSource(std::function<bool()> takeRequest)
{
    RaiseSource() = std::move(takeRequest);
}

void SetRaiseRequestSource(win::SingleInstance& instance)
{
    RaiseSource() = [&instance] { return instance.TakeRaiseRequest(); };
}

int DrainEvents()
{
    if (RaiseSource() && RaiseSource()()) {
        if (Window* main = MainWindow()) {
            if (main->IsMinimised())
                main->Restore();
            main->BringToFront();
        }
    }
    int count = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        HandleEvent(event);
        ++count;
    }
    return count;
}

bool WaitForEvents(int timeoutMs)
{
    const bool pending = SDL_WaitEventTimeout(nullptr, timeoutMs < 0 ? -1 : timeoutMs) == 1;
    // The wait leaves SDL's end-of-poll marker queued, which would end the next drain before the event.
    SDL_FlushEvent(SDL_POLLSENTINEL);
    return pending;
}

} // namespace plat::window
