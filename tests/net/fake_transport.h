// A client transport without a network: it records what is sent and lets the test (or a
// scripted server) deliver messages and search answers through the handler.
#pragma once

#include "platform/net/net.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FakeTransport : public plat::net::Client {
public:
    struct Sent {
        std::vector<uint8_t> bytes;
        plat::net::SendFlags flags;
        uint32_t timeoutMs;
    };

    // Called for every accepted Send; may deliver replies at once.
    std::function<void(const std::vector<uint8_t>&)> onSend;
    bool connected = true;
    uint32_t queued = 0;
    std::vector<Sent> sent;
    std::vector<plat::net::Cancel> cancels;
    std::u16string clientName;
    int enumCalls = 0;
    int closed = 0;

    plat::net::Result Initialize(plat::net::MessageHandler handler) override
    {
        m_handler = std::move(handler);
        return plat::net::Result::Ok;
    }
    plat::net::Result EnumHosts(const plat::net::ApplicationDesc&, const plat::net::Address*,
        const plat::net::Address*, uint32_t, uint32_t, uint32_t, plat::net::AsyncHandle* handle) override
    {
        ++enumCalls;
        *handle = 7;
        return plat::net::Result::Pending;
    }
    plat::net::Result CancelAsyncOperation(plat::net::AsyncHandle, plat::net::Cancel flags) override
    {
        cancels.push_back(flags);
        return plat::net::Result::Ok;
    }
    plat::net::Result Connect(const plat::net::ApplicationDesc&, const plat::net::Address& host,
        const plat::net::Address*, plat::net::AsyncHandle* handle) override
    {
        *handle = 8;
        return host.hasIp ? plat::net::Result::Pending : plat::net::Result::InvalidArgument;
    }
    plat::net::Result SetClientInfo(const plat::net::PlayerInfo& info) override
    {
        clientName = info.name;
        return plat::net::Result::Ok;
    }
    plat::net::Result Send(const void* data, uint32_t size, uint32_t timeoutMs, plat::net::SendFlags flags,
        plat::net::AsyncHandle* handle) override
    {
        *handle = 0;
        if (!connected)
            return plat::net::Result::NoConnection;
        const auto* bytes = static_cast<const uint8_t*>(data);
        sent.push_back({ std::vector<uint8_t>(bytes, bytes + size), flags, timeoutMs });
        if (onSend)
            onSend(sent.back().bytes);
        return plat::net::HasFlag(flags, plat::net::SendFlags::NoComplete) ? plat::net::Result::Ok
                                                                           : plat::net::Result::Pending;
    }
    plat::net::Result GetSendQueueInfo(uint32_t* messages, uint32_t* bytes) override
    {
        *messages = queued;
        *bytes = queued * 100;
        return plat::net::Result::Ok;
    }
    plat::net::Result Close() override
    {
        ++closed;
        return plat::net::Result::Ok;
    }

    // A received message, as the transport thread would hand it over.
    void Deliver(const std::vector<uint8_t>& payload)
    {
        plat::net::ReceiveMessage message;
        message.sender = 1;
        message.data = payload.data();
        message.dataSize = static_cast<uint32_t>(payload.size());
        m_handler(plat::net::MessageId::Receive, &message);
    }
    // A search answer from 10.0.0.n:28650.
    void Answer(uint8_t n)
    {
        plat::net::EnumHostsResponseMessage message;
        message.sender = plat::net::MakeAddress(0x0A000000u | n, 28650);
        message.desc.currentPlayers = n;
        m_handler(plat::net::MessageId::EnumHostsResponse, &message);
    }
    // Any other handler message.
    void Other(plat::net::MessageId id)
    {
        plat::net::TerminateSessionMessage message;
        m_handler(id, &message);
    }

    // The system requests of one type that were sent.
    std::vector<std::vector<uint8_t>> Requests(uint32_t type) const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const Sent& s : sent) {
            uint32_t words[2] = {};
            if (s.bytes.size() >= 8)
                std::memcpy(words, s.bytes.data(), 8);
            if (words[0] == 2 && words[1] == type)
                out.push_back(s.bytes);
        }
        return out;
    }

private:
    plat::net::MessageHandler m_handler;
};

// A factory that hands out one fake and keeps a pointer to it for the test.
inline std::function<std::unique_ptr<plat::net::Client>()> FakeFactory(FakeTransport*& out)
{
    return [&out] {
        auto fake = std::make_unique<FakeTransport>();
        out = fake.get();
        return fake;
    };
}
