// CDPServer8: the server's transport. It hosts the session and queues every message the
// transport thread reports, whole, into a byte ring; the main thread drains the ring and hands
// each message to the virtual hooks, so all game-server logic runs on one thread.
// Ring policy: a received payload that does not fit is refused (logged at most once a second,
// with a count); player create, destroy and client-info messages are never refused: the ring
// grows for them. One drain takes only the messages queued when it began.
#pragma once

#include "net/XRing.h"
#include "platform/net/net.h"
#include "platform/win/sync.h"
#include "server/SLogLimit.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class CDPServer8 {
public:
    using TransportFactory = std::function<std::unique_ptr<plat::net::Server>()>;

    static constexpr int32_t kRingSize = 204800;
    static constexpr uint32_t kReceiveBufferSize = 153600; // the client's send buffer
    static constexpr uint32_t kGuaranteedTimeoutMs = 1000;

    // The transport comes from the factory at Init; none given: the ENet transport.
    explicit CDPServer8(TransportFactory factory = {});
    virtual ~CDPServer8();
    CDPServer8(const CDPServer8&) = delete;
    CDPServer8& operator=(const CDPServer8&) = delete;

    // Creates the transport and hosts the session of the application on `device` (no port:
    // the default port; port 0: any free port). False, logged, on failure.
    bool Init(const plat::net::Guid& application);
    // Drains the messages queued when it began, in arrival order; false when the ring was empty.
    virtual bool ProcessMessages();
    // One buffer to a player (0: every player): unreliable without completion, or guaranteed
    // with a 1000 ms time-out. A failure is logged.
    virtual void SendTo(uint32_t dpnid, const void* buffer, uint32_t size, bool unreliable);
    // Cancels every operation and closes the session.
    void Close();

    // Waits up to `milliseconds` for the transport to queue a message; true when one came.
    bool WaitForArrival(uint32_t milliseconds);
    // The UDP port the session listens on; 0 before Init.
    uint16_t GetLocalPort() const;

    // The transport's message handler (transport thread). False, with nothing queued and no
    // lock kept, for a nested call from the thread already inside it.
    bool HandleMessage(plat::net::MessageId id, const void* message);

    plat::net::Address device; // where the session is hosted: any address, the default port

protected:
    virtual void OnCreatePlayer(const plat::net::CreatePlayerMessage& message);
    virtual void OnDestroyPlayer(const plat::net::DestroyPlayerMessage& message);
    // A received payload, in the receive buffer.
    virtual void OnProcessMessage(uint32_t dpnid, uint8_t* payload, uint32_t size);
    virtual void OnClientInfo(const plat::net::ClientInfoMessage& message);
    // Queues one message under the lock (called by the handler).
    virtual void QueueMessage(plat::net::MessageId id, const void* message);

    TransportFactory factory;
    std::unique_ptr<plat::net::Server> server;
    XRing ring;
    plat::net::AsyncHandle sendHandle = 0;
    plat::win::CriticalSection lock;
    std::atomic<std::thread::id> handlerThread {}; // the thread inside the handler, if any
    uint32_t queuedMessages = 0; // whole messages in the ring
    SLogLimit overflowLog; // refused messages
    SLogLimit sendFailLog; // failed sends
    uint8_t* receiveBuffer = nullptr;
    plat::win::Event arrival { false, false };

private:
    // Grows the ring (under the lock) until `bytes` more fit; the queued messages keep their order.
    void GrowRing(int32_t bytes);
    // Back to the constructor's size once the ring is empty (under the lock).
    void ShrinkRing();
};
