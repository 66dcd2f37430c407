// The ENet server: one host listening on the session port, which also answers searches taken
// off the same socket. A peer becomes a player only after a valid hello. Until then it is
// "pending": pending peers are limited per address and in all, each address may start only a
// few connections a second, a pending peer may send only small datagrams, and one without a
// hello is dropped after the hello deadline.
#include "platform/net/control.h"
#include "platform/net/enet/host_loop.h"
#include "platform/win/debug.h"

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>

namespace plat::net::enet {
namespace {

constexpr std::size_t kMaxPeers = 256;
constexpr PlayerId kFirstPlayer = 2; // 1 stands for the server's own player, never reported

constexpr std::size_t kMaxPending = 64;
constexpr std::size_t kMaxPendingPerAddress = 2;
// One address may start kAttemptBurst connections at once, then kAttemptsPerSecond.
constexpr double kAttemptsPerSecond = 4;
constexpr double kAttemptBurst = 8;
constexpr std::size_t kMaxAttemptRecords = 1024; // addresses whose attempt rate is tracked
// A pending peer's datagrams carry the handshake and the hello; larger ones are dropped unread,
// so a peer's memory stays small until it is a player.
constexpr std::size_t kMaxPendingDatagram = 256 + control::kMaxSize;

// The ENet protocol header fields the admission reads (they are fixed by ENet's wire format).
constexpr uint16_t kHeaderSentTime = 0x8000;
constexpr uint16_t kHeaderPeerIdMask = 0x0FFF;
constexpr uint16_t kNoPeer = 0x0FFF; // a datagram of a connection not yet made
constexpr uint8_t kCommandMask = 0x0F;
constexpr uint8_t kCommandConnect = 2;
constexpr std::size_t kConnectSize = 48;
constexpr std::size_t kConnectIdOffset = 40; // in the connect command; host byte order

enum class Refusal { PendingPerAddress, PendingTotal, Rate };
constexpr const char* kRefusalText[] = {
    "too many connections being set up from this address",
    "too many connections being set up",
    "too many new connections from this address",
};

uint64_t AddressKey(const ENetAddress& address)
{
    return (uint64_t(address.host) << 16) | address.port;
}

bool SameAddress(const ENetAddress& a, const ENetAddress& b)
{
    return a.host == b.host && a.port == b.port;
}

class EnetServer final : public Server, private HostLoop {
public:
    explicit EnetServer(const TransportOptions& options)
        : HostLoop(options)
    {
    }
    ~EnetServer() override { Close(); }

    Result Initialize(MessageHandler handler) override;
    Result Host(const ApplicationDesc& desc, const Address* device) override;
    Result SetServerInfo(const PlayerInfo& info) override;
    Result GetClientInfo(PlayerId player, PlayerInfo* info, uint32_t* bufferSize) override;
    Result SendTo(PlayerId player, const void* data, uint32_t size, uint32_t timeoutMs, SendFlags flags,
        AsyncHandle* handle) override;
    Result CancelAsyncOperation(AsyncHandle handle, Cancel flags) override;
    uint16_t GetLocalPort() const override { return m_port; }
    Result Close() override;

private:
    struct Peer {
        PlayerId id = 0; // 0 until the hello is accepted
        bool refused = false;
        char16_t name[kMaxName + 1] = {};
    };
    // When a peer slot's current connection was first seen, from its handshake on.
    struct Seen {
        uint32_t connectId = 0;
        uint64_t since = 0; // 0: the slot is free
        bool oversized = false; // sent a datagram too large for a peer without a hello
    };
    struct Attempts {
        double tokens = kAttemptBurst;
        uint64_t lastMs = 0;
    };

    static Peer* PeerOf(ENetPeer* peer) { return static_cast<Peer*>(peer->data); }
    void Forget(ENetPeer* peer);
    void OnHello(ENetPeer* peer, Peer& state, const control::Message& hello);
    void OnEvent(ENetEvent& event) override;
    void OnDatagram(const ENetAddress& from, const uint8_t* data, std::size_t size) override;
    void OnTick(uint64_t now) override;
    bool Admit(const ENetAddress& from, const uint8_t* data, std::size_t size) override;
    bool IsPending(const ENetPeer& peer) const;
    std::optional<Refusal> CheckConnect(const ENetAddress& from, uint32_t connectId, uint64_t now);
    void Refuse(const ENetAddress& from, Refusal why, uint64_t now);
    bool EvictOldestHandshake();

    bool m_initialized = false;
    bool m_closed = false;
    ApplicationDesc m_desc;
    char16_t m_serverName[kMaxName + 1] = {};
    std::atomic<uint16_t> m_port { 0 };
    PlayerId m_nextPlayer = kFirstPlayer;
    std::unordered_map<PlayerId, ENetPeer*> m_players;
    std::vector<Seen> m_seen; // by peer slot
    std::unordered_map<uint64_t, Attempts> m_attempts; // by address
    LogLimit m_refusalLog; // by address
};

Result EnetServer::Initialize(MessageHandler handler)
{
    if (m_initialized || m_closed)
        return Result::Failed;
    const Result result = StartThread(std::move(handler));
    m_initialized = result == Result::Ok;
    return result;
}

Result EnetServer::Host(const ApplicationDesc& desc, const Address* device)
{
    std::lock_guard lock(m_mutex);
    if (!m_initialized || m_closed || m_host != nullptr)
        return Result::Failed;
    ENetAddress local {};
    local.host = device != nullptr && device->hasIp ? ToEnet(*device).host : ENET_HOST_ANY;
    local.port = device != nullptr && device->hasPort ? device->port : DefaultPort();
    if (!CreateHost(local, kMaxPeers, "Server::Host"))
        return Result::Failed;
    m_seen.assign(m_host->peerCount, Seen {});
    ENetAddress bound {};
    if (enet_socket_get_address(m_host->socket, &bound) == 0)
        m_port = bound.port;
    else
        m_port = local.port;
    m_desc = desc;
    m_desc.instance = NewGuid();
    return Result::Ok;
}

Result EnetServer::SetServerInfo(const PlayerInfo& info)
{
    std::lock_guard lock(m_mutex);
    CopyName(m_serverName, info.name);
    return Result::Ok;
}

Result EnetServer::GetClientInfo(PlayerId player, PlayerInfo* info, uint32_t* bufferSize)
{
    std::lock_guard lock(m_mutex);
    if (bufferSize == nullptr)
        return Result::InvalidArgument;
    const auto found = m_players.find(player);
    if (found == m_players.end())
        return Result::InvalidPlayer;
    const Peer& state = *PeerOf(found->second);
    std::size_t length = 0;
    while (state.name[length] != u'\0')
        ++length;
    const uint32_t needed = static_cast<uint32_t>(sizeof(PlayerInfo) + (length + 1) * sizeof(char16_t));
    if (info == nullptr || *bufferSize < needed) {
        *bufferSize = needed;
        return Result::BufferTooSmall;
    }
    auto* name = reinterpret_cast<char16_t*>(info + 1);
    std::memcpy(name, state.name, (length + 1) * sizeof(char16_t));
    info->size = sizeof(PlayerInfo);
    info->infoFlags = InfoFlags::Name;
    info->name = name;
    info->playerFlags = 0;
    return Result::Ok;
}

Result EnetServer::SendTo(PlayerId player, const void* data, uint32_t size, uint32_t timeoutMs,
    SendFlags flags, AsyncHandle* handle)
{
    std::lock_guard lock(m_mutex);
    if (handle != nullptr)
        *handle = 0;
    if (m_host == nullptr)
        return Result::NoConnection;
    if (data == nullptr || size == 0 || size > kMaxMessage)
        return Result::InvalidArgument;
    std::vector<ENetPeer*> peers;
    if (player == 0) {
        for (const auto& [id, peer] : m_players)
            peers.push_back(peer);
        if (peers.empty())
            return Result::Ok;
    } else {
        const auto found = m_players.find(player);
        if (found == m_players.end())
            return Result::InvalidPlayer;
        peers.push_back(found->second);
    }
    const uint8_t channel = HasFlag(flags, SendFlags::Guaranteed) ? kGuaranteedChannel : kUnreliableChannel;
    return QueuePacket(peers, channel, data, size, timeoutMs, flags, handle);
}

Result EnetServer::CancelAsyncOperation(AsyncHandle handle, Cancel flags)
{
    std::lock_guard lock(m_mutex);
    const bool found
        = (static_cast<uint32_t>(flags) & static_cast<uint32_t>(Cancel::Send)) != 0 && CancelTickets(handle);
    return found || handle == 0 ? Result::Ok : Result::InvalidArgument;
}

Result EnetServer::Close()
{
    if (m_closed)
        return Result::Ok;
    StopThread();
    std::lock_guard lock(m_mutex);
    m_closed = true;
    if (m_host != nullptr) {
        std::size_t connected = 0;
        for (std::size_t i = 0; i < m_host->peerCount; ++i) {
            ENetPeer* peer = &m_host->peers[i];
            if (peer->state == ENET_PEER_STATE_CONNECTED) {
                enet_peer_disconnect(peer, 0);
                ++connected;
            }
        }
        // Let the players hear of the end before the host goes.
        AwaitDisconnects(connected);
        for (std::size_t i = 0; i < m_host->peerCount; ++i)
            Forget(&m_host->peers[i]);
    }
    m_players.clear();
    DestroyHost();
    return Result::Ok;
}

void EnetServer::Forget(ENetPeer* peer)
{
    Peer* state = PeerOf(peer);
    if (state == nullptr)
        return;
    if (state->id != 0)
        m_players.erase(state->id);
    delete state;
    peer->data = nullptr;
}

void EnetServer::OnHello(ENetPeer* peer, Peer& state, const control::Message& hello)
{
    uint8_t bytes[control::kMaxSize];
    if (!(hello.application == m_desc.application)) {
        state.refused = true;
        control::Message refuse;
        refuse.kind = control::Kind::Refuse;
        refuse.reason = Result::WrongApplication;
        SendControl(peer, bytes, control::Encode(refuse, bytes, sizeof bytes));
        enet_peer_disconnect_later(peer, 0);
        return;
    }
    state.id = m_nextPlayer++;
    CopyName(state.name, hello.name);
    m_players[state.id] = peer;
    control::Message accept;
    accept.kind = control::Kind::Accept;
    accept.player = state.id;
    accept.instance = m_desc.instance;
    SendControl(peer, bytes, control::Encode(accept, bytes, sizeof bytes));
    CreatePlayerMessage created;
    created.player = state.id;
    Notify(MessageId::CreatePlayer, &created, sizeof created);
    ClientInfoMessage info;
    info.player = state.id;
    Notify(MessageId::ClientInfo, &info, sizeof info);
}

void EnetServer::OnEvent(ENetEvent& event)
{
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT: {
        Forget(event.peer);
        event.peer->data = new Peer;
        enet_peer_timeout(event.peer, 0, m_options.peerTimeoutMinMs, m_options.peerTimeoutMaxMs);
        HoldFullThrottle(event.peer);
        break;
    }
    case ENET_EVENT_TYPE_DISCONNECT: {
        Peer* state = PeerOf(event.peer);
        if (state != nullptr && state->id != 0) {
            DestroyPlayerMessage message;
            message.player = state->id;
            message.reason = Result::ConnectionLost;
            Notify(MessageId::DestroyPlayer, &message, sizeof message);
        }
        Forget(event.peer);
        break;
    }
    case ENET_EVENT_TYPE_RECEIVE: {
        Peer* state = PeerOf(event.peer);
        ENetPacket* packet = event.packet;
        if (state == nullptr || state->refused) {
            enet_packet_destroy(packet);
            break;
        }
        if (event.channelID == kControlChannel) {
            control::Message message;
            const bool valid = control::Decode(packet->data, packet->dataLength, message);
            enet_packet_destroy(packet);
            if (!valid)
                break;
            if (state->id == 0 && message.kind == control::Kind::Hello) {
                OnHello(event.peer, *state, message);
            } else if (state->id != 0 && message.kind == control::Kind::Info) {
                CopyName(state->name, message.name);
                ClientInfoMessage info;
                info.player = state->id;
                Notify(MessageId::ClientInfo, &info, sizeof info);
            }
            break;
        }
        if (state->id == 0) {
            enet_packet_destroy(packet);
            break;
        }
        ReceiveMessage message;
        message.sender = state->id;
        Notify(MessageId::Receive, &message, sizeof message, packet);
        break;
    }
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void EnetServer::OnDatagram(const ENetAddress& from, const uint8_t* data, std::size_t size)
{
    control::Message query;
    if (!control::Decode(data, size, query) || query.kind != control::Kind::SearchQuery
        || !(query.application == m_desc.application))
        return;
    control::Message answer;
    answer.kind = control::Kind::SearchAnswer;
    answer.searchId = query.searchId;
    answer.sentMs = query.sentMs;
    answer.instance = m_desc.instance;
    answer.application = m_desc.application;
    answer.maxPlayers = m_desc.maxPlayers;
    answer.currentPlayers = static_cast<uint32_t>(m_players.size());
    CopyName(answer.name, m_desc.sessionName);
    uint8_t bytes[control::kMaxSize];
    ENetBuffer buffer { bytes, control::Encode(answer, bytes, sizeof bytes) };
    enet_socket_send(m_host->socket, &from, &buffer, 1);
}

bool EnetServer::IsPending(const ENetPeer& peer) const
{
    if (peer.state == ENET_PEER_STATE_DISCONNECTED || peer.state == ENET_PEER_STATE_ZOMBIE)
        return false;
    const Peer* state = static_cast<const Peer*>(peer.data);
    return state == nullptr || state->id == 0;
}

void EnetServer::OnTick(uint64_t now)
{
    for (std::size_t i = 0; i < m_host->peerCount; ++i) {
        ENetPeer* peer = &m_host->peers[i];
        Seen& seen = m_seen[i];
        if (peer->state == ENET_PEER_STATE_DISCONNECTED) {
            seen = Seen {};
            continue;
        }
        if (seen.since == 0 || seen.connectId != peer->connectID)
            seen = Seen { peer->connectID, now, seen.oversized };
        const Peer* state = PeerOf(peer);
        // The deadline runs from the handshake, so a peer that never completes it is dropped too.
        if (IsPending(*peer) && (state == nullptr || !state->refused)
            && (seen.oversized || now - seen.since > m_options.helloTimeoutMs)) {
            Forget(peer);
            enet_peer_disconnect_now(peer, 0);
            seen = Seen {};
        }
    }
    ExpireTickets(now);
}

bool EnetServer::Admit(const ENetAddress& from, const uint8_t* data, std::size_t size)
{
    if (size < 2)
        return true;
    uint16_t header = 0;
    std::memcpy(&header, data, sizeof header);
    header = ntohs(header);
    const uint16_t peerId = header & kHeaderPeerIdMask;
    if (peerId != kNoPeer) {
        if (peerId >= m_host->peerCount || size <= kMaxPendingDatagram)
            return true;
        const ENetPeer& peer = m_host->peers[peerId];
        if (!SameAddress(peer.address, from) || !IsPending(peer))
            return true;
        // Off the protocol: the next tick drops the peer.
        m_seen[peerId].oversized = true;
        return false;
    }
    const std::size_t command = (header & kHeaderSentTime) != 0 ? 4 : 2;
    if (size < command + kConnectSize || (data[command] & kCommandMask) != kCommandConnect)
        return true;
    uint32_t connectId = 0;
    std::memcpy(&connectId, data + command + kConnectIdOffset, sizeof connectId);
    const uint64_t now = NowMs();
    const std::optional<Refusal> refusal = CheckConnect(from, connectId, now);
    if (!refusal)
        return true;
    Refuse(from, *refusal, now);
    return false;
}

std::optional<Refusal> EnetServer::CheckConnect(const ENetAddress& from, uint32_t connectId, uint64_t now)
{
    std::size_t pending = 0;
    std::size_t fromAddress = 0;
    for (std::size_t i = 0; i < m_host->peerCount; ++i) {
        const ENetPeer& peer = m_host->peers[i];
        if (!IsPending(peer))
            continue;
        // A repeated connect of a handshake under way: ENet itself ignores it.
        if (SameAddress(peer.address, from) && peer.connectID == connectId)
            return std::nullopt;
        ++pending;
        fromAddress += SameAddress(peer.address, from) ? 1 : 0;
    }
    if (fromAddress >= kMaxPendingPerAddress)
        return Refusal::PendingPerAddress;
    if (pending >= kMaxPending && !EvictOldestHandshake())
        return Refusal::PendingTotal;
    if (m_attempts.size() >= kMaxAttemptRecords) {
        std::erase_if(m_attempts, [&](const auto& item) {
            return (now - item.second.lastMs) / 1000.0 * kAttemptsPerSecond >= kAttemptBurst;
        });
        // Still full: the pending limits alone hold until the records fill again.
        if (m_attempts.size() >= kMaxAttemptRecords)
            m_attempts.clear();
    }
    Attempts& attempts
        = m_attempts.try_emplace(AddressKey(from), Attempts { kAttemptBurst, now }).first->second;
    attempts.tokens
        = std::min(kAttemptBurst, attempts.tokens + (now - attempts.lastMs) / 1000.0 * kAttemptsPerSecond);
    attempts.lastMs = now;
    if (attempts.tokens < 1)
        return Refusal::Rate;
    attempts.tokens -= 1;
    return std::nullopt;
}

// A real client answers the handshake in one round trip, so the oldest unanswered one is most
// likely forged: making room from these keeps forged connects from shutting players out.
bool EnetServer::EvictOldestHandshake()
{
    ENetPeer* oldest = nullptr;
    uint64_t since = 0;
    for (std::size_t i = 0; i < m_host->peerCount; ++i) {
        ENetPeer* peer = &m_host->peers[i];
        if (peer->state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT && m_seen[i].since != 0
            && (oldest == nullptr || m_seen[i].since < since)) {
            oldest = peer;
            since = m_seen[i].since;
        }
    }
    if (oldest == nullptr)
        return false;
    Forget(oldest);
    enet_peer_reset(oldest);
    m_seen[oldest - m_host->peers] = Seen {};
    return true;
}

void EnetServer::Refuse(const ENetAddress& from, Refusal why, uint64_t now)
{
    const std::string address = FormatAddress(ToAddress(from));
    uint32_t held = 0;
    if (m_refusalLog.Take(address, now, held))
        plat::win::DebugOutput("net: refused a connection from " + address + ": "
            + kRefusalText[static_cast<int>(why)] + " (" + std::to_string(held)
            + " more refused in the last second)");
}

} // namespace
} // namespace plat::net::enet

namespace plat::net {

std::unique_ptr<Server> CreateServer(const TransportOptions& options)
{
    return std::make_unique<enet::EnetServer>(options);
}

} // namespace plat::net
