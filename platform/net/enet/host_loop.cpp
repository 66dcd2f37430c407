#include "platform/net/enet/host_loop.h"

#include "platform/net/control.h"
#include "platform/win/clock.h"
#include "platform/win/debug.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

namespace plat::net::enet {
namespace {

// The transport whose host this thread is servicing; the intercept finds its owner here.
thread_local HostLoop* t_servicing = nullptr;

// How long a closing transport waits for its peers to acknowledge the disconnect.
constexpr uint32_t kCloseWaitMs = 300;

} // namespace

bool StartEnet()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        started = enet_initialize() == 0;
        if (started)
            std::atexit(enet_deinitialize);
        else
            plat::win::DebugOutput("enet_initialize failed");
    });
    return started;
}

uint64_t NowMs()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

Address ToAddress(const ENetAddress& address)
{
    return MakeAddress(ntohl(address.host), address.port);
}

ENetAddress ToEnet(const Address& address)
{
    ENetAddress out {};
    out.host = address.hasIp ? htonl(address.ip) : ENET_HOST_ANY;
    out.port = address.hasPort ? address.port : DefaultPort();
    return out;
}

HostLoop::HostLoop(const TransportOptions& options)
    : m_options(options)
{
}

HostLoop::~HostLoop()
{
    StopThread();
    std::lock_guard lock(m_mutex);
    DestroyHost();
}

Result HostLoop::StartThread(MessageHandler handler)
{
    if (!StartEnet())
        return Result::Failed;
    if (m_thread.Running())
        return Result::Failed;
    m_handler = std::move(handler);
    m_stop = false;
    if (!m_thread.Start([this] { Run(); })) {
        plat::win::DebugOutput("net: the transport thread could not start");
        return Result::Failed;
    }
    return Result::Ok;
}

void HostLoop::StopThread()
{
    m_stop = true;
    m_thread.Join();
    std::vector<Note> notes;
    {
        std::lock_guard lock(m_mutex);
        notes.swap(m_notes);
    }
    DropNotes(notes);
}

void HostLoop::Run()
{
    std::vector<Note> notes;
    while (!m_stop) {
        ENetSocket socket = ENET_SOCKET_NULL;
        {
            std::lock_guard lock(m_mutex);
            if (m_host != nullptr)
                socket = m_host->socket;
        }
        if (socket == ENET_SOCKET_NULL) {
            plat::win::Sleep(5);
            continue;
        }
        enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE | ENET_SOCKET_WAIT_INTERRUPT;
        enet_socket_wait(socket, &condition, 5);
        {
            std::lock_guard lock(m_mutex);
            if (m_host != nullptr) {
                ENetEvent event;
                while (Service(&event) > 0)
                    OnEvent(event);
                OnTick(NowMs());
            }
            notes.swap(m_notes);
        }
        Deliver(notes);
    }
}

void HostLoop::Deliver(std::vector<Note>& notes)
{
    for (Note& note : notes) {
        if (note.id == MessageId::Receive && note.packet != nullptr) {
            ReceiveMessage message;
            std::memcpy(&message, note.message.data(), sizeof message);
            message.data = note.packet->data;
            message.dataSize = static_cast<uint32_t>(note.packet->dataLength);
            if (m_handler)
                m_handler(note.id, &message);
        } else if (m_handler) {
            m_handler(note.id, note.message.data());
        }
        if (note.packet != nullptr)
            enet_packet_destroy(note.packet);
        note.packet = nullptr;
    }
    notes.clear();
}

void HostLoop::DropNotes(std::vector<Note>& notes)
{
    for (Note& note : notes)
        if (note.packet != nullptr)
            enet_packet_destroy(note.packet);
    notes.clear();
}

int HostLoop::Service(ENetEvent* event)
{
    HostLoop* previous = t_servicing;
    t_servicing = this;
    errno = 0;
    const int result = enet_host_service(m_host, event, 0);
    const int error = errno;
    t_servicing = previous;
    if (result < 0) {
        // ENet fails without errno only on a datagram too large for its buffer.
        const std::string reason = error != 0
            ? std::string(std::strerror(error))
            : "a datagram over " + std::to_string(ENET_PROTOCOL_MAXIMUM_MTU) + " bytes";
        uint32_t held = 0;
        if (m_failureLog.Take(reason, NowMs(), held))
            plat::win::DebugOutput("net: enet_host_service failed: " + reason + " (last datagram from "
                + FormatAddress(ToAddress(m_host->receivedAddress)) + "; " + std::to_string(held)
                + " more failures of this kind in the last second)");
    }
    return result;
}

std::size_t HostLoop::AwaitDisconnects(std::size_t connected)
{
    const uint64_t until = NowMs() + kCloseWaitMs;
    while (connected > 0 && NowMs() < until) {
        ENetEvent event;
        const int serviced = Service(&event);
        if (serviced > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
        else if (serviced > 0 && event.type == ENET_EVENT_TYPE_DISCONNECT)
            --connected;
        else if (serviced == 0)
            plat::win::Sleep(1);
        else if (serviced < 0)
            break;
    }
    return connected;
}

int HostLoop::InterceptCallback(ENetHost* host, ENetEvent*)
{
    HostLoop* self = t_servicing;
    if (self == nullptr || self->m_host != host)
        return 0;
    if (!control::HasMagic(host->receivedData, host->receivedDataLength))
        return self->Admit(host->receivedAddress, host->receivedData, host->receivedDataLength) ? 0 : 1;
    self->OnDatagram(host->receivedAddress, host->receivedData, host->receivedDataLength);
    return 1;
}

bool HostLoop::CreateHost(const ENetAddress& address, std::size_t peers, const char* caller)
{
    m_host = enet_host_create(&address, peers, kChannels, 0, 0);
    if (m_host == nullptr) {
        plat::win::DebugOutput(std::string(caller) + ": enet_host_create failed on port "
            + std::to_string(address.port) + ": " + std::strerror(errno));
        return false;
    }
    m_host->intercept = &HostLoop::InterceptCallback;
    m_host->maximumPacketSize = kMaxMessage + kControlOverhead;
    return true;
}

void HostLoop::DestroyHost()
{
    if (m_host == nullptr)
        return;
    m_destroying = true;
    enet_host_destroy(m_host);
    m_destroying = false;
    m_host = nullptr;
}

AsyncHandle HostLoop::NextHandle()
{
    if (++m_lastHandle == 0)
        ++m_lastHandle;
    return m_lastHandle;
}

void HostLoop::Notify(MessageId id, const void* message, std::size_t size, ENetPacket* packet)
{
    Note note { id, std::vector<uint8_t>(size), packet };
    std::memcpy(note.message.data(), message, size);
    m_notes.push_back(std::move(note));
}

Result HostLoop::QueuePacket(const std::vector<ENetPeer*>& peers, uint8_t channel, const void* data,
    uint32_t size, uint32_t timeoutMs, SendFlags flags, AsyncHandle* handle)
{
    if (handle != nullptr)
        *handle = 0;
    const bool guaranteed = HasFlag(flags, SendFlags::Guaranteed);
    ENetPacket* packet = enet_packet_create(
        data, size, guaranteed ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT);
    if (packet == nullptr)
        return Result::Failed;
    auto* ticket = new Ticket;
    ticket->owner = this;
    ticket->handle = NextHandle();
    ticket->bytes = size;
    ticket->notify = guaranteed && !HasFlag(flags, SendFlags::NoComplete);
    packet->userData = ticket;
    packet->freeCallback = &HostLoop::FreeCallback;
    for (ENetPeer* peer : peers)
        if (enet_peer_send(peer, channel, packet) == 0)
            ticket->peers.push_back(peer);
    if (ticket->peers.empty()) {
        if (packet->referenceCount == 0)
            enet_packet_destroy(packet);
        return Result::NoConnection;
    }
    ticket->counted = true;
    ++m_queuedMessages;
    m_queuedBytes += size;
    m_tickets.insert(ticket);
    if (ticket->notify && timeoutMs != 0)
        ticket->deadline = NowMs() + timeoutMs;
    const bool notify = ticket->notify;
    const AsyncHandle issued = ticket->handle;
    // The flush may free an unreliable packet, and the ticket with it.
    enet_host_flush(m_host);
    if (handle != nullptr && notify)
        *handle = issued;
    return notify ? Result::Pending : Result::Ok;
}

void HostLoop::HoldFullThrottle(ENetPeer* peer)
{
    enet_peer_throttle_configure(
        peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_SCALE, 0);
}

bool HostLoop::SendControl(ENetPeer* peer, const void* data, std::size_t size)
{
    ENetPacket* packet = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE);
    if (packet == nullptr)
        return false;
    if (enet_peer_send(peer, kControlChannel, packet) != 0) {
        enet_packet_destroy(packet);
        return false;
    }
    enet_host_flush(m_host);
    return true;
}

void HostLoop::FreeCallback(ENetPacket* packet)
{
    auto* ticket = static_cast<Ticket*>(packet->userData);
    packet->userData = nullptr;
    if (ticket == nullptr)
        return;
    ticket->owner->OnPacketFreed(*ticket);
    delete ticket;
}

void HostLoop::OnPacketFreed(Ticket& ticket)
{
    if (!ticket.counted)
        return;
    m_tickets.erase(&ticket);
    --m_queuedMessages;
    m_queuedBytes -= ticket.bytes;
    if (!ticket.notify || ticket.done || m_destroying)
        return;
    // A packet is freed once every peer acknowledged it, or when a peer's queues were dropped.
    SendCompleteMessage message;
    message.handle = ticket.handle;
    for (ENetPeer* peer : ticket.peers)
        if (peer->state != ENET_PEER_STATE_CONNECTED && peer->state != ENET_PEER_STATE_DISCONNECT_LATER)
            message.result = Result::ConnectionLost;
    Notify(MessageId::SendComplete, &message, sizeof message);
}

void HostLoop::ExpireTickets(uint64_t now)
{
    for (Ticket* ticket : m_tickets) {
        if (ticket->notify && !ticket->done && ticket->deadline != 0 && now >= ticket->deadline) {
            ticket->done = true;
            SendCompleteMessage message;
            message.handle = ticket->handle;
            message.result = Result::Timeout;
            Notify(MessageId::SendComplete, &message, sizeof message);
        }
    }
}

bool HostLoop::CancelTickets(AsyncHandle handle)
{
    bool found = false;
    for (Ticket* ticket : m_tickets) {
        if (handle != 0 && ticket->handle != handle)
            continue;
        found = true;
        if (ticket->notify && !ticket->done) {
            ticket->done = true;
            SendCompleteMessage message;
            message.handle = ticket->handle;
            message.result = Result::Cancelled;
            Notify(MessageId::SendComplete, &message, sizeof message);
        }
    }
    return found;
}

} // namespace plat::net::enet
