#include "server/CDPServer8.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "net/NetSession.h"
#include "platform/win/clock.h"
#include "platform/win/text.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

using plat::net::MessageId;
using plat::net::Result;

namespace {

// The largest message structure the transport reports (a search answer).
constexpr uint32_t kMaxStructure = 512;

double Seconds()
{
    return static_cast<double>(plat::win::CounterNow()) / static_cast<double>(plat::win::kCounterFrequency);
}

bool IsVital(MessageId id)
{
    return id == MessageId::CreatePlayer || id == MessageId::DestroyPlayer || id == MessageId::ClientInfo;
}

} // namespace

CDPServer8::CDPServer8(TransportFactory transportFactory)
    : factory(std::move(transportFactory))
{
    if (!factory)
        factory = [] { return plat::net::CreateServer(); };
    ring.size = kRingSize;
    ring.data = new uint8_t[kRingSize];
    receiveBuffer = new uint8_t[kReceiveBufferSize];
}

CDPServer8::~CDPServer8()
{
    Close();
    delete[] ring.data;
    delete[] receiveBuffer;
}

bool CDPServer8::Init(const plat::net::Guid& application)
{
    Close();
    server = factory();
    if (!server) {
        WriteErrorLog("DPServer8::Init() can`t create IDirectPlay8Server interface");
        return false;
    }
    const Result initialized
        = server->Initialize([this](MessageId id, const void* message) { HandleMessage(id, message); });
    if (!plat::net::Succeeded(initialized)) {
        WriteErrorLog("DPServer8::Init() can`t inilialize IDirectPlay8Server interface");
        server.reset();
        return false;
    }
    plat::net::ApplicationDesc desc;
    desc.flags = plat::net::SessionFlags::ClientServer;
    desc.application = application;
    desc.maxPlayers = 0;
    plat::net::CopyName(desc.sessionName, kZJSessionName);
    if (!plat::net::Succeeded(server->Host(desc, &device))) {
        WriteErrorLog("DPServer8::Init() can`t host server");
        Close();
        return false;
    }
    plat::net::PlayerInfo info;
    info.infoFlags = plat::net::InfoFlags::Name;
    info.name = kZJServerName;
    if (!plat::net::Succeeded(server->SetServerInfo(info))) {
        WriteErrorLog("DPServer8::Init() can`t set server info");
        Close();
        return false;
    }
    return true;
}

void CDPServer8::Close()
{
    if (!server)
        return;
    server->CancelAsyncOperation(0, plat::net::Cancel::All);
    server->Close();
    server.reset();
}

uint16_t CDPServer8::GetLocalPort() const
{
    return server ? server->GetLocalPort() : 0;
}

bool CDPServer8::WaitForArrival(uint32_t milliseconds)
{
    return arrival.Wait(milliseconds);
}

bool CDPServer8::HandleMessage(MessageId id, const void* message)
{
    // A nested call would find the lock its own: refuse it before touching the lock.
    if (handlerThread.load() == std::this_thread::get_id())
        return false;
    plat::win::CriticalSectionLock guard(lock);
    handlerThread = std::this_thread::get_id();
    bool queued = true;
    try {
        QueueMessage(id, message);
    } catch (const std::exception&) {
        WriteErrorLog("CDPServer8: a message could not be queued");
        queued = false;
    }
    handlerThread = std::thread::id {};
    return queued;
}

void CDPServer8::QueueMessage(MessageId id, const void* message)
{
    uint32_t structureSize = 0;
    std::memcpy(&structureSize, message, sizeof structureSize);
    if (structureSize < sizeof structureSize || structureSize > kMaxStructure) {
        WriteErrorLog("CDPServer8: a message of unknown size is refused");
        return;
    }
    const uint8_t* payload = nullptr;
    uint32_t payloadSize = 0;
    if (id == MessageId::Receive) {
        const auto* receive = static_cast<const plat::net::ReceiveMessage*>(message);
        payload = receive->data;
        payloadSize = receive->dataSize;
        if (payloadSize > kReceiveBufferSize) {
            if (overflowLog.Take(Seconds())) {
                char line[128];
                std::snprintf(line, sizeof line,
                    "CDPServer8: a message of %u bytes is refused (%u more held back)", payloadSize,
                    overflowLog.TakeSuppressed());
                WriteErrorLog(line);
            }
            return;
        }
    }
    const uint32_t messageId = static_cast<uint32_t>(id);
    const int32_t total = static_cast<int32_t>(sizeof messageId + structureSize + payloadSize);
    if (total > ring.Free()) {
        if (!IsVital(id)) {
            if (overflowLog.Take(Seconds())) {
                char count[64];
                std::snprintf(count, sizeof count, ": %u refused", overflowLog.TakeSuppressed() + 1);
                WriteErrorLog(std::string(CP1251("XRing переполнение")) + count);
            }
            return;
        }
        GrowRing(total);
    }
    ring.Push(&messageId, sizeof messageId);
    ring.Push(message, static_cast<int32_t>(structureSize));
    ring.Push(payload, static_cast<int32_t>(payloadSize));
    ++queuedMessages;
    arrival.Set();
}

void CDPServer8::GrowRing(int32_t bytes)
{
    const int32_t used = ring.Used();
    int64_t size = ring.size;
    while (size - 1 - used < bytes)
        size *= 2;
    auto* data = new uint8_t[static_cast<std::size_t>(size)];
    ring.Pop(data, used);
    delete[] ring.data;
    ring.data = data;
    ring.size = static_cast<int32_t>(size);
    ring.read = 0;
    ring.write = used;
}

void CDPServer8::ShrinkRing()
{
    if (ring.size == kRingSize || !ring.IsEmpty())
        return;
    auto* data = new uint8_t[kRingSize];
    delete[] ring.data;
    ring.data = data;
    ring.size = kRingSize;
    ring.Clear();
}

bool CDPServer8::ProcessMessages()
{
    ZJ_TRACE("CDPServer8::ProcessMessages");
    uint32_t budget = 0;
    {
        plat::win::CriticalSectionLock guard(lock);
        if (ring.IsEmpty())
            return false;
        budget = queuedMessages;
    }
    alignas(8) uint8_t structure[kMaxStructure];
    for (; budget > 0; --budget) {
        uint32_t id = 0;
        uint32_t size = 0;
        uint32_t payloadSize = 0;
        {
            plat::win::CriticalSectionLock guard(lock);
            if (ring.IsEmpty())
                break;
            ring.Pop(&id, sizeof id);
            const bool sized = ring.Pop(&size, sizeof size) && size >= sizeof size && size <= kMaxStructure
                && ring.Pop(structure + sizeof size, static_cast<int32_t>(size - sizeof size));
            bool whole = sized;
            if (sized && id == static_cast<uint32_t>(MessageId::Receive)) {
                plat::net::ReceiveMessage receive;
                whole = size == sizeof receive;
                if (whole) {
                    std::memcpy(&receive, structure, sizeof receive);
                    payloadSize = receive.dataSize;
                    whole = payloadSize <= kReceiveBufferSize
                        && ring.Pop(receiveBuffer, static_cast<int32_t>(payloadSize));
                }
            }
            if (!whole) {
                // Only whole messages are pushed; anything else means the ring is out of step.
                WriteErrorLog("CDPServer8::ProcessMessages: the ring is out of step and is emptied");
                ring.Clear();
                queuedMessages = 0;
                break;
            }
            std::memcpy(structure, &size, sizeof size);
            --queuedMessages;
            ShrinkRing();
        }
        switch (static_cast<MessageId>(id)) {
        case MessageId::ClientInfo:
            OnClientInfo(*reinterpret_cast<const plat::net::ClientInfoMessage*>(structure));
            break;
        case MessageId::CreatePlayer:
            OnCreatePlayer(*reinterpret_cast<const plat::net::CreatePlayerMessage*>(structure));
            break;
        case MessageId::DestroyPlayer:
            OnDestroyPlayer(*reinterpret_cast<const plat::net::DestroyPlayerMessage*>(structure));
            break;
        case MessageId::Receive: {
            const auto* receive = reinterpret_cast<const plat::net::ReceiveMessage*>(structure);
            OnProcessMessage(receive->sender, receiveBuffer, payloadSize);
            break;
        }
        default:
            break;
        }
    }
    return true;
}

void CDPServer8::SendTo(uint32_t dpnid, const void* buffer, uint32_t size, bool unreliable)
{
    using plat::net::SendFlags;
    Result result = Result::NoConnection;
    if (server) {
        result = unreliable
            ? server->SendTo(dpnid, buffer, size, 0, SendFlags::NoComplete, &sendHandle)
            : server->SendTo(dpnid, buffer, size, kGuaranteedTimeoutMs, SendFlags::Guaranteed, &sendHandle);
    }
    if (plat::net::Succeeded(result) || !sendFailLog.Take(Seconds()))
        return;
    const uint32_t heldBack = sendFailLog.TakeSuppressed();
    if (heldBack == 0) {
        WriteErrorLog("CDPServer8::SendTo fail");
        return;
    }
    char line[96];
    std::snprintf(line, sizeof line, "CDPServer8::SendTo fail (%u more held back)", heldBack);
    WriteErrorLog(line);
}

void CDPServer8::OnCreatePlayer(const plat::net::CreatePlayerMessage&) { }
void CDPServer8::OnDestroyPlayer(const plat::net::DestroyPlayerMessage&) { }
void CDPServer8::OnProcessMessage(uint32_t, uint8_t*, uint32_t) { }
void CDPServer8::OnClientInfo(const plat::net::ClientInfoMessage&) { }
