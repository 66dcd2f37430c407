#include "tests/support/scoped_env.h"

#include <cstdlib>

namespace zoq::test {

ScopedEnv::ScopedEnv(const char* name, const char* value)
    : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_old = old;
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

} // namespace zoq::test
