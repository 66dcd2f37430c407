// An environment variable set (or, with a null value, unset) for a scope; its old value is put
// back at the end.
#pragma once

#include <optional>
#include <string>

namespace zoq::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace zoq::test
