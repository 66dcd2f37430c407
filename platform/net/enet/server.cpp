// The ENet server: one host listening on the session port, which also answers searches taken
// off the same socket. A peer becomes a player only after a valid hello.
#include "platform/net/control.h"
#include "platform/net/enet/host_loop.h"
#include "platform/win/debug.h"

#include <atomic>
#include <cstring>
#include <unordered_map>

namespace plat::net::enet {
namespace {

constexpr std::size_t kMaxPeers = 256;
constexpr PlayerId kFirstPlayer = 2; // 1 stands for the server's own player, never reported

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
        uint64_t connectedAt = 0;
        char16_t name[kMaxName + 1] = {};
    };

    static Peer* PeerOf(ENetPeer* peer) { return static_cast<Peer*>(peer->data); }
    void Forget(ENetPeer* peer);
    void OnHello(ENetPeer* peer, Peer& state, const control::Message& hello);
    void OnEvent(ENetEvent& event) override;
    void OnDatagram(const ENetAddress& from, const uint8_t* data, std::size_t size) override;
    void OnTick(uint64_t now) override;

    bool m_initialized = false;
    bool m_closed = false;
    ApplicationDesc m_desc;
    char16_t m_serverName[kMaxName + 1] = {};
    std::atomic<uint16_t> m_port { 0 };
    PlayerId m_nextPlayer = kFirstPlayer;
    std::unordered_map<PlayerId, ENetPeer*> m_players;
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
        auto* state = new Peer;
        state->connectedAt = NowMs();
        event.peer->data = state;
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

void EnetServer::OnTick(uint64_t now)
{
    for (std::size_t i = 0; i < m_host->peerCount; ++i) {
        ENetPeer* peer = &m_host->peers[i];
        Peer* state = PeerOf(peer);
        if (state != nullptr && state->id == 0 && !state->refused
            && now - state->connectedAt > m_options.helloTimeoutMs) {
            Forget(peer);
            enet_peer_disconnect_now(peer, 0);
        }
    }
    ExpireTickets(now);
}

} // namespace
} // namespace plat::net::enet

namespace plat::net {

std::unique_ptr<Server> CreateServer(const TransportOptions& options)
{
    return std::make_unique<enet::EnetServer>(options);
}

} // namespace plat::net
