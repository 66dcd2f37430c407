#include "net/CDPClient8.h"

#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "platform/win/text.h"

#include <cstdio>
#include <cstring>

using plat::net::MessageId;
using plat::net::Result;

namespace {

constexpr uint32_t kReceiveBuffer = NetWire::kGameReceiveBuffer;
constexpr uint32_t kGuaranteedTimeoutMs = 3000;

void LogLine(const char* format, uint32_t a, uint32_t b = 0)
{
    char line[128];
    std::snprintf(line, sizeof line, format, a, b);
    WriteErrorLog(line);
}

} // namespace

CDPClient8::CDPClient8(TransportFactory transportFactory)
    : factory(std::move(transportFactory))
{
    if (!factory)
        factory = [] { return plat::net::CreateClient(); };
    ring.size = kRingSize;
    ring.data = new uint8_t[kRingSize];
    receiveBuffer = new uint8_t[kReceiveBuffer];
}

CDPClient8::~CDPClient8()
{
    Close();
    delete[] ring.data;
    delete[] receiveBuffer;
}

bool CDPClient8::Init()
{
    Close();
    client = factory();
    if (!client) {
        WriteErrorLog("CDPClient8::Init can`t create IDirectPlay8Client interface");
        return false;
    }
    {
        plat::win::CriticalSectionLock guard(lock);
        ring.Clear();
    }
    connected = 0;
    const Result result
        = client->Initialize([this](MessageId id, const void* message) { HandleMessage(id, message); });
    if (!plat::net::Succeeded(result)) {
        WriteErrorLog("CDPClient8::Init can`t iniitialize IDirectPlay8Client interface");
        client.reset();
        return false;
    }
    return true;
}

bool CDPClient8::EnumHosts(const plat::net::Guid& application)
{
    ReleaseHosts();
    if (!client) {
        WriteErrorLog("CDPClient8::EnumHosts error");
        return false;
    }
    plat::net::ApplicationDesc desc;
    desc.application = application;
    const Result result = client->EnumHosts(desc, &hostAddress, &device, 0, 0, 0, &enumHandle);
    if (!plat::net::Succeeded(result)) {
        WriteErrorLog("CDPClient8::EnumHosts error");
        return false;
    }
    enumPending = 0;
    return true;
}

void CDPClient8::CancelEnumHosts()
{
    if (client)
        client->CancelAsyncOperation(0, plat::net::Cancel::Enum);
}

int CDPClient8::GetHostCount()
{
    plat::win::CriticalSectionLock guard(lock);
    return hostCount;
}

bool CDPClient8::GetHost(int index, SDPHostEntry& out)
{
    plat::win::CriticalSectionLock guard(lock);
    if (index < 0 || index >= hostCount)
        return false;
    out = hosts[index];
    return true;
}

bool CDPClient8::Connect(int index, const char16_t* name)
{
    if (index < 0 || index >= kMaxHosts)
        throw XRangeError();
    SDPHostEntry entry;
    {
        plat::win::CriticalSectionLock guard(lock);
        entry = hosts[index];
    }
    if (!client
        || !plat::net::Succeeded(client->Connect(entry.desc, entry.host, &entry.device, &connectHandle))) {
        WriteErrorLog("CDPClient8::Connect error");
        return false;
    }
    plat::net::PlayerInfo info;
    info.name = name;
    if (!plat::net::Succeeded(client->SetClientInfo(info))) {
        WriteErrorLog("CDPClient8::Connect can`t set client info");
        return false;
    }
    return true;
}

int32_t CDPClient8::Send(const void* buffer, uint32_t size, bool unreliable)
{
    sendPending = 0;
    Result result = Result::NoConnection;
    if (client) {
        using plat::net::SendFlags;
        result = unreliable ? client->Send(buffer, size, 0, SendFlags::NoComplete, &sendHandle)
                            : client->Send(buffer, size, kGuaranteedTimeoutMs,
                                SendFlags::Guaranteed | SendFlags::PriorityHigh, &sendHandle);
    }
    if (!plat::net::Succeeded(result)) {
        uint8_t head[8] = {};
        if (buffer != nullptr)
            std::memcpy(head, buffer, size < sizeof head ? size : sizeof head);
        const uint32_t kind = NetWire::Get<uint32_t>(head, NetWire::System::kKind);
        if (kind == NETMSG_SYSTEM)
            LogLine("CDPClient8::Send fail message ID=%d Command=%d", kind,
                NetWire::Get<uint32_t>(head, NetWire::System::kType));
        else
            LogLine("CDPClient8::Send fail message ID=%d", kind);
    }
    return static_cast<int32_t>(result);
}

int32_t CDPClient8::GetSendQueueInfo()
{
    if (!client)
        return static_cast<int32_t>(Result::NoConnection);
    return static_cast<int32_t>(client->GetSendQueueInfo(&queuedMessages, &queuedBytes));
}

void CDPClient8::HandleMessage(MessageId id, const void* message)
{
    plat::win::CriticalSectionLock guard(lock);
    if (id == MessageId::EnumHostsResponse) {
        const auto* answer = static_cast<const plat::net::EnumHostsResponseMessage*>(message);
        if (hostCount < kMaxHosts) {
            SDPHostEntry& entry = hosts[hostCount];
            entry.desc = answer->desc;
            entry.host = answer->sender;
            entry.device = answer->device;
            ++hostCount;
        }
        return;
    }
    if (id != MessageId::Receive)
        return;
    const auto* receive = static_cast<const plat::net::ReceiveMessage*>(message);
    if (receive->dataSize > kReceiveBuffer) {
        LogLine("CDPClient8: a message of %u bytes is refused", receive->dataSize);
        return;
    }
    const uint32_t messageId = static_cast<uint32_t>(id);
    const int32_t total = static_cast<int32_t>(sizeof messageId + receive->size + receive->dataSize);
    if (ring.Used() > ring.size / 4 * 3)
        ring.Clear();
    if (total > ring.Free()) {
        WriteErrorLog(CP1251("XRing переполнение"));
        ring.Clear();
    }
    ring.Push(&messageId, sizeof messageId);
    ring.Push(receive, static_cast<int32_t>(receive->size));
    ring.Push(receive->data, static_cast<int32_t>(receive->dataSize));
}

bool CDPClient8::ProcessMessages()
{
    {
        plat::win::CriticalSectionLock guard(lock);
        if (ring.IsEmpty())
            return false;
    }
    uint32_t taken = 0;
    for (;;) {
        plat::net::ReceiveMessage receive;
        {
            plat::win::CriticalSectionLock guard(lock);
            if (ring.IsEmpty())
                break;
            uint32_t id = 0;
            uint32_t size = 0;
            ring.Pop(&id, sizeof id);
            ring.Pop(&size, sizeof size);
            // Only received payloads are queued; anything else means the ring is out of step.
            if (id != static_cast<uint32_t>(MessageId::Receive) || size != sizeof receive) {
                LogLine("Error iCNT=%d", taken);
                LogLine("Error dwSize = %d", size);
                LogLine("Error dwmESSAGE = %x", id & 0xFFFF);
                ring.Clear();
                break;
            }
            receive.size = size;
            ring.Pop(
                reinterpret_cast<uint8_t*>(&receive) + sizeof size, static_cast<int32_t>(size - sizeof size));
            if (receive.dataSize > kReceiveBuffer
                || !ring.Pop(receiveBuffer, static_cast<int32_t>(receive.dataSize))) {
                LogLine("Error iCNT=%d", taken);
                LogLine("Error dwSize = %d", receive.dataSize);
                LogLine("Error dwmESSAGE = %x", id & 0xFFFF);
                ring.Clear();
                break;
            }
        }
        ++taken;
        OnProcessMessage(receiveBuffer, receive.dataSize);
    }
    return true;
}

void CDPClient8::OnProcessMessage(uint8_t*, uint32_t) { }

void CDPClient8::ReleaseHosts()
{
    plat::win::CriticalSectionLock guard(lock);
    for (SDPHostEntry& entry : hosts)
        entry = SDPHostEntry {};
    hostCount = 0;
}

void CDPClient8::Close()
{
    ReleaseHosts();
    if (client) {
        client->CancelAsyncOperation(0, plat::net::Cancel::All);
        client->Close();
        client.reset();
    }
    connected = 0;
}
