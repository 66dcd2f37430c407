// The part both ENet transports share: one ENet host guarded by one mutex, the transport thread
// that waits on the socket with no lock held and services the host with a zero time-out under
// the lock, the send tickets that count the queue and report completions, and the messages
// gathered under the lock and handed to the handler after it is released.
#pragma once

#include "platform/net/enet/log_limit.h"
#include "platform/net/net.h"
#include "platform/win/thread.h"

#include <enet/enet.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace plat::net::enet {

// Channels of every connection.
inline constexpr uint8_t kGuaranteedChannel = 0; // reliable, in order
inline constexpr uint8_t kUnreliableChannel = 1; // unreliable, sequenced, fragments unreliable
inline constexpr uint8_t kControlChannel = 2; // hello, accept, refuse, info
inline constexpr std::size_t kChannels = 3;
inline constexpr std::size_t kControlOverhead = 1024;

// Process-wide ENet start; false when the library could not start.
bool StartEnet();
// Milliseconds of a monotonic clock.
uint64_t NowMs();
Address ToAddress(const ENetAddress& address);
ENetAddress ToEnet(const Address& address);

class HostLoop {
public:
    explicit HostLoop(const TransportOptions& options);
    virtual ~HostLoop();
    HostLoop(const HostLoop&) = delete;
    HostLoop& operator=(const HostLoop&) = delete;

protected:
    struct Ticket {
        HostLoop* owner = nullptr;
        AsyncHandle handle = 0;
        uint32_t bytes = 0;
        bool notify = false; // report SendComplete
        bool counted = false; // in the send queue
        bool done = false; // SendComplete already reported
        uint64_t deadline = 0; // 0: none
        std::vector<ENetPeer*> peers;
    };

    Result StartThread(MessageHandler handler);
    // Stops and joins the thread; messages not yet handed over are dropped.
    void StopThread();

    // Everything below runs with m_mutex held.
    // Services the host once; the intercept reaches OnDatagram through it.
    int Service(ENetEvent* event);
    // Services the host until `connected` peers have disconnected or a short wait has passed,
    // dropping what arrives meanwhile; returns how many are still connected.
    std::size_t AwaitDisconnects(std::size_t connected);
    // Creates the host bound to `address`, with the intercept and the packet limit set.
    bool CreateHost(const ENetAddress& address, std::size_t peers, const char* caller);
    // Destroys the host; tickets freed by it report nothing.
    void DestroyHost();
    // Queues one message to the peers (one packet shared by all) and flushes.
    Result QueuePacket(const std::vector<ENetPeer*>& peers, uint8_t channel, const void* data, uint32_t size,
        uint32_t timeoutMs, SendFlags flags, AsyncHandle* handle);
    // Holds a new connection's packet throttle at full, on both sides: ENet would otherwise
    // drop unreliable packets at random while the round trip rises, and what is dropped under
    // load is the game's own decision.
    static void HoldFullThrottle(ENetPeer* peer);
    // Sends a control message reliably on the control channel.
    bool SendControl(ENetPeer* peer, const void* data, std::size_t size);
    // SendComplete with Timeout for every overdue ticket.
    void ExpireTickets(uint64_t now);
    // SendComplete with Cancelled for the ticket of `handle` (0: all).
    bool CancelTickets(AsyncHandle handle);
    void Notify(MessageId id, const void* message, std::size_t size, ENetPacket* packet = nullptr);
    AsyncHandle NextHandle();

    virtual void OnEvent(ENetEvent& event) = 0;
    // A datagram with the control magic arrived on the socket; it is taken off it.
    virtual void OnDatagram(const ENetAddress& from, const uint8_t* data, std::size_t size) = 0;
    virtual void OnTick(uint64_t now) = 0;
    // Any other datagram, before ENet reads it; false takes it off the socket unread.
    virtual bool Admit(const ENetAddress&, const uint8_t*, std::size_t) { return true; }

    const TransportOptions m_options;
    mutable std::mutex m_mutex;
    ENetHost* m_host = nullptr;
    uint32_t m_queuedMessages = 0;
    uint32_t m_queuedBytes = 0;

private:
    struct Note {
        MessageId id;
        std::vector<uint8_t> message;
        ENetPacket* packet;
    };

    void Run();
    void Deliver(std::vector<Note>& notes);
    void DropNotes(std::vector<Note>& notes);
    void OnPacketFreed(Ticket& ticket);
    static void FreeCallback(ENetPacket* packet);
    static int InterceptCallback(ENetHost* host, ENetEvent* event);

    MessageHandler m_handler;
    plat::win::Thread m_thread;
    std::atomic<bool> m_stop { false };
    bool m_destroying = false;
    AsyncHandle m_lastHandle = 0;
    std::unordered_set<Ticket*> m_tickets;
    std::vector<Note> m_notes;
    LogLimit m_failureLog; // by cause
};

} // namespace plat::net::enet
