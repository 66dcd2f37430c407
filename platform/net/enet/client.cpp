// The ENet client: one host with one peer (the server), the search queries sent from the same
// socket, and the hello handshake that completes a connection.
#include "platform/net/control.h"
#include "platform/net/enet/host_loop.h"
#include "platform/win/debug.h"

#include <random>

namespace plat::net::enet {
namespace {

constexpr uint32_t kDefaultSearchIntervalMs = 500;
constexpr uint32_t kDefaultSearchTimeoutMs = 20000;
constexpr PlayerId kServerPlayer = 1;

class EnetClient final : public Client, private HostLoop {
public:
    explicit EnetClient(const TransportOptions& options)
        : HostLoop(options)
    {
    }
    ~EnetClient() override { Close(); }

    Result Initialize(MessageHandler handler) override;
    Result EnumHosts(const ApplicationDesc& desc, const Address* host, const Address* device, uint32_t count,
        uint32_t intervalMs, uint32_t timeoutMs, AsyncHandle* handle) override;
    Result CancelAsyncOperation(AsyncHandle handle, Cancel flags) override;
    Result Connect(const ApplicationDesc& desc, const Address& host, const Address* device,
        AsyncHandle* handle) override;
    Result SetClientInfo(const PlayerInfo& info) override;
    Result Send(
        const void* data, uint32_t size, uint32_t timeoutMs, SendFlags flags, AsyncHandle* handle) override;
    Result GetSendQueueInfo(uint32_t* messages, uint32_t* bytes) override;
    Result Close() override;

private:
    enum class State { Idle, Connecting, Handshaking, Connected, Ended };

    struct Search {
        AsyncHandle handle = 0;
        uint32_t searchId = 0;
        Guid application;
        std::vector<ENetAddress> targets;
        uint32_t remaining = 0; // queries still to send; 0 with `unlimited`
        bool unlimited = false;
        uint32_t intervalMs = 0;
        uint64_t nextAt = 0;
        uint64_t endAt = 0;
        std::vector<Guid> answered; // instances already reported
    };

    bool EnsureHost(const Address* device);
    void SendQuery(Search& search, uint64_t now);
    void SendHello();
    void SendInfo();
    void EndConnect(Result result);
    void OnEvent(ENetEvent& event) override;
    void OnDatagram(const ENetAddress& from, const uint8_t* data, std::size_t size) override;
    void OnTick(uint64_t now) override;

    bool m_initialized = false;
    bool m_closed = false;
    State m_state = State::Idle;
    ENetPeer* m_peer = nullptr;
    AsyncHandle m_connectHandle = 0;
    Guid m_application;
    uint64_t m_handshakeStart = 0;
    bool m_infoChanged = false;
    char16_t m_name[kMaxName + 1] = {};
    PlayerId m_localPlayer = 0;
    Address m_localAddress;
    std::vector<Search> m_searches;
    std::mt19937 m_random { std::random_device {}() };
};

Result EnetClient::Initialize(MessageHandler handler)
{
    if (m_initialized || m_closed)
        return Result::Failed;
    const Result result = StartThread(std::move(handler));
    m_initialized = result == Result::Ok;
    return result;
}

bool EnetClient::EnsureHost(const Address* device)
{
    if (m_host != nullptr)
        return true;
    ENetAddress local {};
    local.host = device != nullptr && device->hasIp ? ToEnet(*device).host : ENET_HOST_ANY;
    local.port = device != nullptr && device->hasPort ? device->port : 0;
    if (!CreateHost(local, 1, "Client"))
        return false;
    enet_socket_set_option(m_host->socket, ENET_SOCKOPT_BROADCAST, 1);
    ENetAddress bound {};
    if (enet_socket_get_address(m_host->socket, &bound) == 0)
        m_localAddress = ToAddress(bound);
    return true;
}

Result EnetClient::EnumHosts(const ApplicationDesc& desc, const Address* host, const Address* device,
    uint32_t count, uint32_t intervalMs, uint32_t timeoutMs, AsyncHandle* handle)
{
    std::lock_guard lock(m_mutex);
    if (!m_initialized || m_closed)
        return Result::Failed;
    if (!EnsureHost(device))
        return Result::Failed;
    Search search;
    search.handle = NextHandle();
    search.searchId = m_random();
    search.application = desc.application;
    const std::vector<Address> targets
        = host != nullptr && host->hasIp ? std::vector<Address> { *host } : DefaultSearchList();
    for (const Address& target : targets)
        search.targets.push_back(ToEnet(target));
    search.unlimited = count == 0;
    search.remaining = count;
    search.intervalMs = intervalMs != 0 ? intervalMs : kDefaultSearchIntervalMs;
    const uint64_t now = NowMs();
    search.endAt = now + (timeoutMs != 0 ? timeoutMs : kDefaultSearchTimeoutMs);
    search.nextAt = now;
    SendQuery(search, now);
    if (handle != nullptr)
        *handle = search.handle;
    m_searches.push_back(std::move(search));
    return Result::Pending;
}

void EnetClient::SendQuery(Search& search, uint64_t now)
{
    if (!search.unlimited && search.remaining == 0)
        return;
    control::Message query;
    query.kind = control::Kind::SearchQuery;
    query.searchId = search.searchId;
    query.sentMs = static_cast<uint32_t>(now);
    query.application = search.application;
    uint8_t bytes[control::kMaxSize];
    const std::size_t size = control::Encode(query, bytes, sizeof bytes);
    ENetBuffer buffer { bytes, size };
    for (const ENetAddress& target : search.targets)
        enet_socket_send(m_host->socket, &target, &buffer, 1);
    if (!search.unlimited)
        --search.remaining;
    search.nextAt = now + search.intervalMs;
}

Result EnetClient::CancelAsyncOperation(AsyncHandle handle, Cancel flags)
{
    std::lock_guard lock(m_mutex);
    const auto has
        = [flags](Cancel kind) { return (static_cast<uint32_t>(flags) & static_cast<uint32_t>(kind)) != 0; };
    bool found = false;
    if (has(Cancel::Enum)) {
        std::erase_if(m_searches, [&](const Search& search) {
            const bool match = handle == 0 || search.handle == handle;
            found = found || match;
            return match;
        });
    }
    if (has(Cancel::Connect) && (m_state == State::Connecting || m_state == State::Handshaking)
        && (handle == 0 || handle == m_connectHandle)) {
        found = true;
        enet_peer_disconnect_now(m_peer, 0);
        m_peer = nullptr;
        EndConnect(Result::Cancelled);
    }
    if (has(Cancel::Send))
        found = CancelTickets(handle) || found;
    return found || handle == 0 ? Result::Ok : Result::InvalidArgument;
}

Result EnetClient::Connect(
    const ApplicationDesc& desc, const Address& host, const Address* device, AsyncHandle* handle)
{
    std::lock_guard lock(m_mutex);
    if (!m_initialized || m_closed || m_state != State::Idle)
        return Result::Failed;
    if (!host.hasIp)
        return Result::InvalidArgument;
    if (!EnsureHost(device))
        return Result::Failed;
    const ENetAddress target = ToEnet(host);
    m_peer = enet_host_connect(m_host, &target, kChannels, 0);
    if (m_peer == nullptr) {
        plat::win::DebugOutput("Client::Connect: enet_host_connect failed");
        return Result::Failed;
    }
    enet_peer_timeout(m_peer, 0, m_options.peerTimeoutMinMs, m_options.peerTimeoutMaxMs);
    enet_host_flush(m_host);
    m_application = desc.application;
    m_state = State::Connecting;
    m_connectHandle = NextHandle();
    if (handle != nullptr)
        *handle = m_connectHandle;
    return Result::Pending;
}

Result EnetClient::SetClientInfo(const PlayerInfo& info)
{
    std::lock_guard lock(m_mutex);
    if (!m_initialized || m_closed)
        return Result::Failed;
    CopyName(m_name, info.name);
    if (m_state == State::Connected)
        SendInfo();
    else if (m_state == State::Handshaking)
        m_infoChanged = true;
    return Result::Ok;
}

void EnetClient::SendHello()
{
    control::Message hello;
    hello.kind = control::Kind::Hello;
    hello.application = m_application;
    CopyName(hello.name, m_name);
    uint8_t bytes[control::kMaxSize];
    SendControl(m_peer, bytes, control::Encode(hello, bytes, sizeof bytes));
}

void EnetClient::SendInfo()
{
    control::Message info;
    info.kind = control::Kind::Info;
    CopyName(info.name, m_name);
    uint8_t bytes[control::kMaxSize];
    SendControl(m_peer, bytes, control::Encode(info, bytes, sizeof bytes));
}

void EnetClient::EndConnect(Result result)
{
    ConnectCompleteMessage message;
    message.handle = m_connectHandle;
    message.result = result;
    message.localPlayer = result == Result::Ok ? m_localPlayer : 0;
    m_state = result == Result::Ok ? State::Connected : State::Ended;
    Notify(MessageId::ConnectComplete, &message, sizeof message);
}

Result EnetClient::Send(
    const void* data, uint32_t size, uint32_t timeoutMs, SendFlags flags, AsyncHandle* handle)
{
    std::lock_guard lock(m_mutex);
    if (handle != nullptr)
        *handle = 0;
    if (m_state != State::Connected || m_peer == nullptr)
        return Result::NoConnection;
    if (data == nullptr || size == 0 || size > kMaxMessage)
        return Result::InvalidArgument;
    const uint8_t channel = HasFlag(flags, SendFlags::Guaranteed) ? kGuaranteedChannel : kUnreliableChannel;
    return QueuePacket({ m_peer }, channel, data, size, timeoutMs, flags, handle);
}

Result EnetClient::GetSendQueueInfo(uint32_t* messages, uint32_t* bytes)
{
    std::lock_guard lock(m_mutex);
    if (messages != nullptr)
        *messages = m_queuedMessages;
    if (bytes != nullptr)
        *bytes = m_queuedBytes;
    return m_state == State::Connected ? Result::Ok : Result::NoConnection;
}

Result EnetClient::Close()
{
    if (m_closed)
        return Result::Ok;
    StopThread();
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_searches.clear();
    if (m_host != nullptr && m_peer != nullptr) {
        // Tell the server at once, then give the disconnect a moment to be acknowledged.
        enet_peer_disconnect(m_peer, 0);
        if (AwaitDisconnects(1) != 0)
            enet_peer_reset(m_peer);
    }
    m_peer = nullptr;
    m_state = State::Ended;
    DestroyHost();
    return Result::Ok;
}

void EnetClient::OnEvent(ENetEvent& event)
{
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        if (event.peer == m_peer && m_state == State::Connecting) {
            m_state = State::Handshaking;
            m_handshakeStart = NowMs();
            HoldFullThrottle(m_peer);
            m_infoChanged = false;
            SendHello();
        }
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer != m_peer)
            break;
        m_peer = nullptr;
        if (m_state == State::Connecting || m_state == State::Handshaking) {
            EndConnect(Result::NoConnection);
        } else if (m_state == State::Connected) {
            m_state = State::Ended;
            TerminateSessionMessage message;
            message.reason = Result::ConnectionLost;
            Notify(MessageId::TerminateSession, &message, sizeof message);
        }
        break;
    case ENET_EVENT_TYPE_RECEIVE: {
        ENetPacket* packet = event.packet;
        if (event.peer != m_peer) {
            enet_packet_destroy(packet);
            break;
        }
        if (event.channelID == kControlChannel) {
            control::Message message;
            const bool valid = control::Decode(packet->data, packet->dataLength, message);
            enet_packet_destroy(packet);
            if (!valid || m_state != State::Handshaking)
                break;
            if (message.kind == control::Kind::Accept) {
                m_localPlayer = message.player;
                EndConnect(Result::Ok);
                if (m_infoChanged)
                    SendInfo();
            } else if (message.kind == control::Kind::Refuse) {
                EndConnect(message.reason);
                enet_peer_disconnect(m_peer, 0);
            }
            break;
        }
        if (m_state != State::Connected) {
            enet_packet_destroy(packet);
            break;
        }
        ReceiveMessage message;
        message.sender = kServerPlayer;
        Notify(MessageId::Receive, &message, sizeof message, packet);
        break;
    }
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void EnetClient::OnDatagram(const ENetAddress& from, const uint8_t* data, std::size_t size)
{
    control::Message answer;
    if (!control::Decode(data, size, answer) || answer.kind != control::Kind::SearchAnswer)
        return;
    for (Search& search : m_searches) {
        if (search.searchId != answer.searchId || !(search.application == answer.application))
            continue;
        for (const Guid& instance : search.answered)
            if (instance == answer.instance)
                return;
        search.answered.push_back(answer.instance);
        EnumHostsResponseMessage message;
        message.desc.instance = answer.instance;
        message.desc.application = answer.application;
        message.desc.maxPlayers = answer.maxPlayers;
        message.desc.currentPlayers = answer.currentPlayers;
        CopyName(message.desc.sessionName, answer.name);
        message.sender = ToAddress(from);
        message.device = m_localAddress;
        message.roundTripMs = static_cast<uint32_t>(NowMs()) - answer.sentMs;
        Notify(MessageId::EnumHostsResponse, &message, sizeof message);
        return;
    }
}

void EnetClient::OnTick(uint64_t now)
{
    std::erase_if(m_searches, [now](const Search& search) { return now >= search.endAt; });
    for (Search& search : m_searches)
        if (now >= search.nextAt)
            SendQuery(search, now);
    if (m_state == State::Handshaking && now - m_handshakeStart > m_options.helloTimeoutMs) {
        enet_peer_disconnect_now(m_peer, 0);
        m_peer = nullptr;
        EndConnect(Result::Timeout);
    }
    ExpireTickets(now);
}

} // namespace
} // namespace plat::net::enet

namespace plat::net {

std::unique_ptr<Client> CreateClient(const TransportOptions& options)
{
    return std::make_unique<enet::EnetClient>(options);
}

} // namespace plat::net
