// For the platform layers that read SDL events themselves (the input devices, the dialog layer's
// ImGui). The drain hands each event to the input devices first, then to the other listeners, before
// it becomes messages. The event points to SDL's event record; nothing above platform/ registers.
#pragma once

namespace plat::window {

class EventListener {
public:
    virtual void OnSdlEvent(const void* sdlEvent) = 0;

protected:
    ~EventListener() = default;
};

enum class ListenerOrder {
    InputDevice,
    Other,
};

void AddEventListener(EventListener& listener, ListenerOrder order);
void RemoveEventListener(EventListener& listener);

} // namespace plat::window
