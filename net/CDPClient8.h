// CDPClient8: the game's client transport. It finds servers, connects to one, sends buffers and
// moves every received message from the transport's thread into a byte ring that the main
// thread drains once a frame. The transport thread only takes the lock, stores a search answer
// or pushes one whole message; the drain pops one whole message under the lock and dispatches
// it outside the lock.
#pragma once

#include "net/XRing.h"
#include "platform/net/net.h"
#include "platform/win/sync.h"

#include <cstdint>
#include <functional>
#include <memory>

// A server that answered the last search.
struct SDPHostEntry {
    plat::net::Address host; // the answering server
    plat::net::Address device; // the local address it answered on
    plat::net::ApplicationDesc desc;
};

class CDPClient8 {
public:
    using TransportFactory = std::function<std::unique_ptr<plat::net::Client>()>;

    static constexpr int kMaxHosts = 20;
    static constexpr int32_t kRingSize = 153600;

    // The transport comes from the factory at Init; none given: the ENet transport.
    explicit CDPClient8(TransportFactory factory = {});
    virtual ~CDPClient8();
    CDPClient8(const CDPClient8&) = delete;
    CDPClient8& operator=(const CDPClient8&) = delete;

    // Creates and starts the transport (a previous one is closed first).
    bool Init();
    // Starts a search for servers of the application; answers fill the host table.
    bool EnumHosts(const plat::net::Guid& application);
    // Ends every search.
    void CancelEnumHosts();
    // Entries of the host table, read under the lock.
    int GetHostCount();
    // A copy of host entry index, read under the lock; false outside 0..count-1.
    bool GetHost(int index, SDPHostEntry& out);
    // Connects to host entry index (0..19, else XRangeError) and sends the name as client info.
    // The connection completes later.
    bool Connect(int index, const char16_t* name);
    // One buffer to the server: unreliable without completion, or guaranteed with high priority
    // and a 3000 ms time-out. Returns the transport's result (negative: failed, and logged).
    int32_t Send(const void* buffer, uint32_t size, bool unreliable);
    // Reads queuedMessages and queuedBytes.
    int32_t GetSendQueueInfo();
    // Drains the ring, dispatching each message to OnProcessMessage; false when it was empty.
    virtual bool ProcessMessages();
    void ReleaseHosts();
    void Close();

protected:
    // A received payload, in the receive buffer, which it may change in place.
    virtual void OnProcessMessage(uint8_t* payload, uint32_t size);
    // The transport's message handler (transport thread).
    void HandleMessage(plat::net::MessageId id, const void* message);

    TransportFactory factory;
    std::unique_ptr<plat::net::Client> client;
    plat::net::Address device; // local address: any
    plat::net::Address hostAddress; // search target: none, the default list
    plat::net::AsyncHandle enumHandle = 0;
    plat::net::AsyncHandle connectHandle = 0;
    plat::net::AsyncHandle sendHandle = 0;
    plat::win::CriticalSection lock;
    uint32_t queuedMessages = 0;
    uint32_t queuedBytes = 0;
    uint8_t sendPending = 0;
    XRing ring;
    uint8_t enumPending = 0;
    uint8_t connected = 0;
    SDPHostEntry hosts[kMaxHosts];
    int32_t hostCount = 0;
    uint8_t* receiveBuffer = nullptr; // the largest reply
};
