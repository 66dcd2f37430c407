// One running instance per user and name. The lock is an abstract-namespace Unix socket
// "zoq-<uid>-<name>[-<ZOQ_INSTANCE_SCOPE>]": it dies with its holder, so a crash never leaves
// a stale lock, and it is close-on-exec, so a started program never inherits it.
#pragma once

#include <string_view>

namespace plat::win {

class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process now holds the name. False when another process holds it; that
    // process is then sent one raise request.
    bool Acquire(std::string_view name);
    void Release();
    // True once for each raise request that arrived since the last call; polled by the owner.
    bool TakeRaiseRequest();

private:
    int m_socket = -1;
};

} // namespace plat::win
