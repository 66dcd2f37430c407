#include "platform/net/enet/log_limit.h"

namespace plat::net::enet {
namespace {

constexpr uint64_t kLineIntervalMs = 1000;

} // namespace

bool LogLimit::Take(const std::string& key, uint64_t nowMs, uint32_t& held)
{
    auto found = m_entries.find(key);
    if (found == m_entries.end()) {
        if (m_entries.size() >= kMaxKeys)
            ForgetQuiet(nowMs);
        if (m_entries.size() >= kMaxKeys && key != kOverflowKey)
            return Take(kOverflowKey, nowMs, held);
        found = m_entries.emplace(key, Entry { nowMs, 0 }).first;
        held = 0;
        return true;
    }
    Entry& entry = found->second;
    if (nowMs - entry.lastLineMs < kLineIntervalMs) {
        ++entry.held;
        return false;
    }
    held = entry.held;
    entry = Entry { nowMs, 0 };
    return true;
}

void LogLimit::ForgetQuiet(uint64_t nowMs)
{
    std::erase_if(
        m_entries, [&](const auto& item) { return nowMs - item.second.lastLineMs >= kLineIntervalMs; });
}

} // namespace plat::net::enet
