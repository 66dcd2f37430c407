// At most one log line a second for each key (a cause, an address); the events held back in
// between are counted and reported by the key's next line. Holds a bounded number of keys:
// when full, keys quiet for over a second are forgotten, and a new key that still finds no room
// is only counted under the overflow key.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace plat::net::enet {

class LogLimit {
public:
    static constexpr std::size_t kMaxKeys = 256;
    static constexpr const char* kOverflowKey = "other sources";

    // True when a line for `key` may be written at `nowMs`, with `held` the events held back
    // since its last line; otherwise counts one held-back event.
    bool Take(const std::string& key, uint64_t nowMs, uint32_t& held);

private:
    struct Entry {
        uint64_t lastLineMs = 0;
        uint32_t held = 0;
    };

    void ForgetQuiet(uint64_t nowMs);

    std::unordered_map<std::string, Entry> m_entries;
};

} // namespace plat::net::enet
