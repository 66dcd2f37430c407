// A client/server message transport in the shape the game and the server expect: a client that
// searches for servers, connects and sends; a server that hosts one session and sends to its
// players. Each object runs one transport thread of its own, which calls the message handler
// with no transport lock held. Every message handed to the handler starts with its own u32 size.
// Guaranteed sends arrive once and in order; other sends may be lost, never cut.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat::net {

enum class Result : int32_t {
    Ok = 0,
    Pending = 1, // started; its completion comes as a message
    NoConnection = -1,
    ConnectionLost = -2,
    WrongApplication = -3,
    InvalidPlayer = -4,
    BufferTooSmall = -5,
    Timeout = -6,
    Cancelled = -7,
    InvalidArgument = -8,
    Failed = -9, // the system refused (socket, address, thread)
};
constexpr bool Succeeded(Result result)
{
    return static_cast<int32_t>(result) >= 0;
}
const char* ResultText(Result result);

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
    bool operator==(const Guid&) const = default;
};
// A fresh random GUID (one per hosted session instance).
Guid NewGuid();

using PlayerId = uint32_t; // 0 addresses every player
using AsyncHandle = uint32_t; // 0: none

inline constexpr uint16_t kDefaultPort = 28650;
// The largest message either side hands to Send or SendTo.
inline constexpr uint32_t kMaxMessage = 153600;
inline constexpr int kMaxName = 63; // UTF-16 units of a session or player name

// An IPv4 address and UDP port; either part may be absent.
struct Address {
    uint32_t ip = 0; // a.b.c.d as (a << 24) | (b << 16) | (c << 8) | d
    uint16_t port = 0;
    bool hasIp = false;
    bool hasPort = false;
    bool operator==(const Address&) const = default;
};
Address MakeAddress(uint32_t ip, uint16_t port);
// "HOST[:PORT]": a dotted address or a name to resolve. False when it cannot be read.
bool ParseAddress(std::string_view text, Address& out);
// "a.b.c.d:port" (or without ":port" when the port is absent).
std::string FormatAddress(const Address& address);
// The port a server hosts on and a search targets when none is given: ZOQ_NET_PORT, else 28650.
uint16_t DefaultPort();
// Where a search without a host goes: ZOQ_NET_SEARCH ("HOST[:PORT],..."), else
// 255.255.255.255 and 127.0.0.1; each without a port at DefaultPort().
std::vector<Address> DefaultSearchList();

enum class SessionFlags : uint32_t { None = 0, ClientServer = 1 };

// The description of a hosted session, as a search answer carries it.
struct ApplicationDesc {
    uint32_t size = sizeof(ApplicationDesc);
    SessionFlags flags = SessionFlags::ClientServer;
    Guid instance; // set by Host: tells one server run from another
    Guid application; // what a search and a connection must name
    uint32_t maxPlayers = 0; // 0: no limit
    uint32_t currentPlayers = 0;
    char16_t sessionName[kMaxName + 1] = {};
};

enum class InfoFlags : uint32_t { None = 0, Name = 1 };

// Player information. From GetClientInfo the name points into the caller's buffer, behind
// this header.
struct PlayerInfo {
    uint32_t size = sizeof(PlayerInfo);
    InfoFlags infoFlags = InfoFlags::Name;
    const char16_t* name = nullptr;
    uint32_t playerFlags = 0;
};

enum class SendFlags : uint32_t { None = 0, Guaranteed = 1, PriorityHigh = 2, NoComplete = 4 };
constexpr SendFlags operator|(SendFlags a, SendFlags b)
{
    return static_cast<SendFlags>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool HasFlag(SendFlags flags, SendFlags flag)
{
    return (static_cast<uint32_t>(flags) & static_cast<uint32_t>(flag)) != 0;
}

enum class Cancel : uint32_t { Enum = 1, Connect = 2, Send = 4, All = 7 };

enum class MessageId : uint32_t {
    EnumHostsResponse = 1,
    ConnectComplete = 2,
    TerminateSession = 3,
    Receive = 4,
    SendComplete = 5,
    CreatePlayer = 6,
    DestroyPlayer = 7,
    ClientInfo = 8,
};

// Once per server instance per search.
struct EnumHostsResponseMessage {
    uint32_t size = sizeof(EnumHostsResponseMessage);
    ApplicationDesc desc;
    Address sender; // the answering server
    Address device; // the local address the answer came in on
    uint32_t roundTripMs = 0;
};

struct ConnectCompleteMessage {
    uint32_t size = sizeof(ConnectCompleteMessage);
    AsyncHandle handle = 0;
    Result result = Result::Ok;
    PlayerId localPlayer = 0;
};

// The connection was lost or the server closed.
struct TerminateSessionMessage {
    uint32_t size = sizeof(TerminateSessionMessage);
    Result reason = Result::ConnectionLost;
};

// A received message; data is valid during the handler call only.
struct ReceiveMessage {
    uint32_t size = sizeof(ReceiveMessage);
    PlayerId sender = 0;
    const uint8_t* data = nullptr;
    uint32_t dataSize = 0;
};

struct SendCompleteMessage {
    uint32_t size = sizeof(SendCompleteMessage);
    AsyncHandle handle = 0;
    Result result = Result::Ok;
};

struct CreatePlayerMessage {
    uint32_t size = sizeof(CreatePlayerMessage);
    PlayerId player = 0;
};

struct DestroyPlayerMessage {
    uint32_t size = sizeof(DestroyPlayerMessage);
    PlayerId player = 0;
    Result reason = Result::ConnectionLost;
};

struct ClientInfoMessage {
    uint32_t size = sizeof(ClientInfoMessage);
    PlayerId player = 0;
};

// Called on the transport thread; `message` is the structure of `id`.
using MessageHandler = std::function<void(MessageId id, const void* message)>;

struct TransportOptions {
    uint32_t peerTimeoutMinMs = 5000; // a silent peer is dropped after 5..10 s
    uint32_t peerTimeoutMaxMs = 10000;
    uint32_t helloTimeoutMs = 5000; // a peer without a valid hello is dropped after this
};

class Client {
public:
    virtual ~Client() = default;

    // Starts the transport thread. Called once, before anything else.
    virtual Result Initialize(MessageHandler handler) = 0;
    // Searches for servers of desc.application at host (no ip: DefaultSearchList(); no port:
    // DefaultPort()). count queries every intervalMs for timeoutMs; zeros mean a query every
    // 500 ms for 20 s. Ends at its time-out or when cancelled. Returns Pending and a handle.
    virtual Result EnumHosts(const ApplicationDesc& desc, const Address* host, const Address* device,
        uint32_t count, uint32_t intervalMs, uint32_t timeoutMs, AsyncHandle* handle)
        = 0;
    // Handle 0 with flags cancels every operation of those kinds.
    virtual Result CancelAsyncOperation(AsyncHandle handle, Cancel flags) = 0;
    // Starts a connection; ConnectComplete reports the end. A server of another application
    // refuses it with WrongApplication.
    virtual Result Connect(
        const ApplicationDesc& desc, const Address& host, const Address* device, AsyncHandle* handle)
        = 0;
    // The name the server sees; sent with the connection, or at once when connected.
    virtual Result SetClientInfo(const PlayerInfo& info) = 0;
    // One message to the server. Guaranteed with a time-out: SendComplete says Timeout when it
    // is not acknowledged in time; NoComplete: no SendComplete. NoConnection when not connected.
    virtual Result Send(
        const void* data, uint32_t size, uint32_t timeoutMs, SendFlags flags, AsyncHandle* handle)
        = 0;
    // Messages (and their bytes) handed to Send and not yet sent or acknowledged.
    virtual Result GetSendQueueInfo(uint32_t* messages, uint32_t* bytes) = 0;
    // Leaves the session, stops the thread. No handler call follows.
    virtual Result Close() = 0;
};

class Server {
public:
    virtual ~Server() = default;

    virtual Result Initialize(MessageHandler handler) = 0;
    // Hosts the session on device's port (no port: DefaultPort(); 0: any free port) and answers
    // searches for desc.application. Players are reported CreatePlayer, then ClientInfo, before
    // any Receive from them; the server's own player is never reported.
    virtual Result Host(const ApplicationDesc& desc, const Address* device) = 0;
    virtual Result SetServerInfo(const PlayerInfo& info) = 0;
    // Copies a player's info into the buffer of *bufferSize bytes that info starts. Too small
    // (or no info): BufferTooSmall and the size needed; an unknown player: InvalidPlayer.
    virtual Result GetClientInfo(PlayerId player, PlayerInfo* info, uint32_t* bufferSize) = 0;
    // One message to a player, or to every player for 0 (never to the server itself).
    virtual Result SendTo(PlayerId player, const void* data, uint32_t size, uint32_t timeoutMs,
        SendFlags flags, AsyncHandle* handle)
        = 0;
    virtual Result CancelAsyncOperation(AsyncHandle handle, Cancel flags) = 0;
    // The UDP port the session and the search listen on; 0 before Host.
    virtual uint16_t GetLocalPort() const = 0;
    // Disconnects every player, stops the thread. No handler call follows.
    virtual Result Close() = 0;
};

std::unique_ptr<Client> CreateClient(const TransportOptions& options = {});
std::unique_ptr<Server> CreateServer(const TransportOptions& options = {});

// UTF-16 text to a terminated name of at most kMaxName units.
void CopyName(char16_t (&dest)[kMaxName + 1], const char16_t* source);

} // namespace plat::net
