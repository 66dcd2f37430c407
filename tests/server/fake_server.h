// A server transport without a network: it records every send and knows the players' names;
// the test delivers transport messages through the handler it was given.
#pragma once

#include "platform/net/net.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeServer : public plat::net::Server {
public:
    struct Sent {
        plat::net::PlayerId player;
        std::vector<uint8_t> bytes;
        plat::net::SendFlags flags;
        uint32_t timeoutMs;
    };

    std::vector<Sent> sent;
    std::map<plat::net::PlayerId, std::u16string> names; // GetClientInfo answers for these
    plat::net::Result hostResult = plat::net::Result::Ok;
    bool failInfoCopy = false; // GetClientInfo fails once a buffer is given
    int closed = 0;
    plat::net::MessageHandler handler;

    plat::net::Result Initialize(plat::net::MessageHandler messageHandler) override
    {
        handler = std::move(messageHandler);
        return plat::net::Result::Ok;
    }
    plat::net::Result Host(const plat::net::ApplicationDesc&, const plat::net::Address*) override
    {
        return hostResult;
    }
    plat::net::Result SetServerInfo(const plat::net::PlayerInfo&) override { return plat::net::Result::Ok; }
    plat::net::Result GetClientInfo(
        plat::net::PlayerId player, plat::net::PlayerInfo* info, uint32_t* bufferSize) override
    {
        const auto found = names.find(player);
        if (found == names.end())
            return plat::net::Result::InvalidPlayer;
        const std::u16string& name = found->second;
        const uint32_t needed
            = static_cast<uint32_t>(sizeof(plat::net::PlayerInfo) + (name.size() + 1) * sizeof(char16_t));
        if (info == nullptr || *bufferSize < needed) {
            *bufferSize = needed;
            return plat::net::Result::BufferTooSmall;
        }
        if (failInfoCopy)
            return plat::net::Result::Failed;
        auto* text = reinterpret_cast<char16_t*>(info + 1);
        std::memcpy(text, name.c_str(), (name.size() + 1) * sizeof(char16_t));
        info->name = text;
        return plat::net::Result::Ok;
    }
    plat::net::Result SendTo(plat::net::PlayerId player, const void* data, uint32_t size, uint32_t timeoutMs,
        plat::net::SendFlags flags, plat::net::AsyncHandle* handle) override
    {
        if (handle != nullptr)
            *handle = 0;
        const auto* bytes = static_cast<const uint8_t*>(data);
        sent.push_back({ player, std::vector<uint8_t>(bytes, bytes + size), flags, timeoutMs });
        return plat::net::Result::Ok;
    }
    plat::net::Result CancelAsyncOperation(plat::net::AsyncHandle, plat::net::Cancel) override
    {
        return plat::net::Result::Ok;
    }
    uint16_t GetLocalPort() const override { return 28650; }
    plat::net::Result Close() override
    {
        ++closed;
        return plat::net::Result::Ok;
    }
};

// A factory that hands out one fake and keeps a pointer to it for the test.
inline std::function<std::unique_ptr<plat::net::Server>()> FakeServerFactory(FakeServer*& out)
{
    return [&out] {
        auto fake = std::make_unique<FakeServer>();
        out = fake.get();
        return fake;
    };
}
