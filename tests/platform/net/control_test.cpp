// Control datagrams: every kind round-trips; anything not exactly a valid datagram is refused.
#include "platform/net/control.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace plat::net;
using namespace plat::net::control;

namespace {

constexpr Guid kApp { 0xAF7C2A36, 0xDAFE, 0x4FE2, { 0x85, 0xF6, 0xBF, 0xE3, 0x84, 0xC4, 0x1E, 0xD7 } };

std::vector<Message> Samples()
{
    std::vector<Message> all(6);
    all[0].kind = Kind::SearchQuery;
    all[0].searchId = 77;
    all[0].sentMs = 123456;
    all[0].application = kApp;
    all[1].kind = Kind::SearchAnswer;
    all[1].searchId = 77;
    all[1].sentMs = 123456;
    all[1].instance = NewGuid();
    all[1].application = kApp;
    all[1].currentPlayers = 3;
    CopyName(all[1].name, u"Ferrovants DirectPlay Server 1.0");
    all[2].kind = Kind::Hello;
    all[2].application = kApp;
    CopyName(all[2].name, u"PLAYER");
    all[3].kind = Kind::Accept;
    all[3].player = 2;
    all[3].instance = all[1].instance;
    all[4].kind = Kind::Refuse;
    all[4].reason = Result::WrongApplication;
    all[5].kind = Kind::Info;
    CopyName(all[5].name, u"Игрок");
    return all;
}

std::vector<uint8_t> Encoded(const Message& message)
{
    std::vector<uint8_t> bytes(kMaxSize);
    bytes.resize(Encode(message, bytes.data(), bytes.size()));
    return bytes;
}

TEST(Control, EveryKindRoundTrips)
{
    for (const Message& sample : Samples()) {
        SCOPED_TRACE(static_cast<int>(sample.kind));
        const auto bytes = Encoded(sample);
        ASSERT_GT(bytes.size(), kHeaderSize);
        EXPECT_TRUE(HasMagic(bytes.data(), bytes.size()));
        Message back;
        ASSERT_TRUE(Decode(bytes.data(), bytes.size(), back));
        EXPECT_EQ(back.kind, sample.kind);
        EXPECT_EQ(back.searchId, sample.searchId);
        EXPECT_EQ(back.sentMs, sample.sentMs);
        EXPECT_EQ(back.application, sample.application);
        EXPECT_EQ(back.instance, sample.instance);
        EXPECT_EQ(back.currentPlayers, sample.currentPlayers);
        EXPECT_EQ(back.player, sample.player);
        EXPECT_EQ(back.reason, sample.reason);
        EXPECT_EQ(std::u16string(back.name), std::u16string(sample.name));
        // Cut or padded by one byte, it is refused.
        EXPECT_FALSE(Decode(bytes.data(), bytes.size() - 1, back));
        auto longer = bytes;
        longer.push_back(0);
        EXPECT_FALSE(Decode(longer.data(), longer.size(), back));
        // A wrong magic, version or kind is refused.
        for (std::size_t at : { std::size_t(0), std::size_t(4), std::size_t(6) }) {
            auto bad = bytes;
            bad[at] ^= 0x40;
            EXPECT_FALSE(Decode(bad.data(), bad.size(), back)) << at;
        }
    }
}

TEST(Control, BadNamesAndValuesAreRefused)
{
    Message hello = Samples()[2];
    auto bytes = Encoded(hello);
    Message back;
    // Name length 64 (the units are there).
    auto tooLong = bytes;
    const uint16_t length = 64;
    std::memcpy(tooLong.data() + kHeaderSize + 16, &length, 2);
    tooLong.resize(kHeaderSize + 16 + 2 + 2 * 64, 'a');
    EXPECT_FALSE(Decode(tooLong.data(), tooLong.size(), back));
    // A NUL inside the name.
    auto withNul = bytes;
    withNul[kHeaderSize + 16 + 2] = 0;
    withNul[kHeaderSize + 16 + 3] = 0;
    EXPECT_FALSE(Decode(withNul.data(), withNul.size(), back));

    Message refuse = Samples()[4];
    for (Result reason : { Result::Ok, Result::Pending }) {
        refuse.reason = reason;
        EXPECT_EQ(Encode(refuse, bytes.data(), bytes.size()), 0u);
        auto raw = Encoded(Samples()[4]);
        const int32_t value = static_cast<int32_t>(reason);
        std::memcpy(raw.data() + kHeaderSize, &value, 4);
        EXPECT_FALSE(Decode(raw.data(), raw.size(), back));
    }
    auto accept = Encoded(Samples()[3]);
    std::memset(accept.data() + kHeaderSize, 0, 4);
    EXPECT_FALSE(Decode(accept.data(), accept.size(), back));

    // A long name is cut when written.
    Message info;
    info.kind = Kind::Info;
    const std::u16string name(80, u'x');
    for (int i = 0; i < kMaxName; ++i)
        info.name[i] = name[static_cast<std::size_t>(i)];
    const auto cut = Encoded(info);
    ASSERT_TRUE(Decode(cut.data(), cut.size(), back));
    EXPECT_EQ(std::u16string(back.name).size(), 63u);
    EXPECT_EQ(Encode(info, bytes.data(), 9), 0u);
}

} // namespace
