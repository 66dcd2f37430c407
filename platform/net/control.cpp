#include "platform/net/control.h"

#include <cstring>

namespace plat::net::control {
namespace {

class Writer {
public:
    Writer(uint8_t* dest, std::size_t capacity)
        : m_dest(dest)
        , m_capacity(capacity)
    {
    }
    template <class T> void Put(T value)
    {
        if (m_ok && m_capacity - m_at >= sizeof value)
            std::memcpy(m_dest + m_at, &value, sizeof value);
        else
            m_ok = false;
        m_at += sizeof value;
    }
    void PutGuid(const Guid& guid)
    {
        Put(guid.data1);
        Put(guid.data2);
        Put(guid.data3);
        for (uint8_t b : guid.data4)
            Put(b);
    }
    void PutName(const char16_t* name)
    {
        uint16_t n = 0;
        while (n < kMaxName && name[n] != u'\0')
            ++n;
        Put(n);
        for (uint16_t i = 0; i < n; ++i)
            Put(static_cast<uint16_t>(name[i]));
    }
    std::size_t Size() const { return m_ok ? m_at : 0; }

    void operator()(uint32_t value) { Put(value); }
    void operator()(Result reason) { Put(static_cast<int32_t>(reason)); }
    void operator()(const Guid& guid) { PutGuid(guid); }
    void operator()(const char16_t (&name)[kMaxName + 1]) { PutName(name); }

private:
    uint8_t* m_dest;
    std::size_t m_capacity;
    std::size_t m_at = 0;
    bool m_ok = true;
};

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    template <class T> T Get()
    {
        T value {};
        if (m_ok && m_size - m_at >= sizeof value) {
            std::memcpy(&value, m_data + m_at, sizeof value);
            m_at += sizeof value;
        } else {
            m_ok = false;
        }
        return value;
    }
    Guid GetGuid()
    {
        Guid guid;
        guid.data1 = Get<uint32_t>();
        guid.data2 = Get<uint16_t>();
        guid.data3 = Get<uint16_t>();
        for (uint8_t& b : guid.data4)
            b = Get<uint8_t>();
        return guid;
    }
    void GetName(char16_t (&name)[kMaxName + 1])
    {
        const uint16_t n = Get<uint16_t>();
        if (n > kMaxName)
            m_ok = false;
        for (uint16_t i = 0; m_ok && i < n; ++i) {
            name[i] = static_cast<char16_t>(Get<uint16_t>());
            if (name[i] == u'\0')
                m_ok = false;
        }
        if (m_ok)
            name[n] = u'\0';
    }
    // Everything read, nothing left over.
    bool Done() const { return m_ok && m_at == m_size; }

    void operator()(uint32_t& value) { value = Get<uint32_t>(); }
    void operator()(Result& reason) { reason = static_cast<Result>(Get<int32_t>()); }
    void operator()(Guid& guid) { guid = GetGuid(); }
    void operator()(char16_t (&name)[kMaxName + 1]) { GetName(name); }

private:
    const uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

bool IsRefusal(Result reason)
{
    const int32_t value = static_cast<int32_t>(reason);
    return value < 0 && value >= static_cast<int32_t>(Result::Failed);
}

// Each kind's fields in wire order, listed once for the writer and the reader: field(member).
// False for an unknown kind.
template <class M, class Field> bool KindFields(M& m, Field& field)
{
    switch (m.kind) {
    case Kind::SearchQuery:
        field(m.searchId);
        field(m.sentMs);
        field(m.application);
        return true;
    case Kind::SearchAnswer:
        field(m.searchId);
        field(m.sentMs);
        field(m.instance);
        field(m.application);
        field(m.maxPlayers);
        field(m.currentPlayers);
        field(m.name);
        return true;
    case Kind::Hello:
        field(m.application);
        field(m.name);
        return true;
    case Kind::Accept:
        field(m.player);
        field(m.instance);
        return true;
    case Kind::Refuse:
        field(m.reason);
        return true;
    case Kind::Info:
        field(m.name);
        return true;
    }
    return false;
}

} // namespace

std::size_t Encode(const Message& message, uint8_t* dest, std::size_t capacity)
{
    Writer w(dest, capacity);
    w.Put(kMagic);
    w.Put(kVersion);
    w.Put(static_cast<uint16_t>(message.kind));
    if (message.kind == Kind::Refuse && !IsRefusal(message.reason))
        return 0;
    if (!KindFields(message, w))
        return 0;
    return w.Size();
}

bool HasMagic(const uint8_t* data, std::size_t size)
{
    uint32_t magic = 0;
    if (size < sizeof magic)
        return false;
    std::memcpy(&magic, data, sizeof magic);
    return magic == kMagic;
}

bool Decode(const uint8_t* data, std::size_t size, Message& out)
{
    out = Message {};
    Reader r(data, size);
    if (r.Get<uint32_t>() != kMagic || r.Get<uint16_t>() != kVersion)
        return false;
    const uint16_t kind = r.Get<uint16_t>();
    out.kind = static_cast<Kind>(kind);
    if (!KindFields(out, r))
        return false;
    if (out.kind == Kind::Accept && out.player == 0)
        return false;
    if (out.kind == Kind::Refuse && !IsRefusal(out.reason))
        return false;
    return r.Done();
}

} // namespace plat::net::control
