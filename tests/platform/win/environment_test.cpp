#include "platform/win/environment.h"

#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

using zoq::test::ScopedEnv;

TEST(Environment, badValuesAreRefusedInOneLine)
{
    // An empty `refusal` means the value is taken.
    const struct {
        const char* name;
        const char* value;
        const char* refusal;
    } rows[] = {
        { "ZOQ_NET_PORT", "28651", "" },
        { "ZOQ_NET_PORT", "0", "" },
        { "ZOQ_NET_PORT", "", "" },
        { "ZOQ_NET_PORT", "abc", "ZOQ_NET_PORT=abc: expected a port number from 0 to 65535" },
        { "ZOQ_NET_PORT", "65536", "ZOQ_NET_PORT=65536: expected a port number from 0 to 65535" },
        { "ZOQ_NET_PORT", "-1", "ZOQ_NET_PORT=-1: expected a port number from 0 to 65535" },
        { "ZOQ_NET_PORT", "80x", "ZOQ_NET_PORT=80x: expected a port number from 0 to 65535" },
        { "ZOQ_NET_SEARCH", "127.0.0.1:4000,game.local", "" },
        { "ZOQ_NET_SEARCH", "127.0.0.1,",
            "ZOQ_NET_SEARCH=127.0.0.1,: expected HOST[:PORT] items separated by commas" },
        { "ZOQ_NET_SEARCH", ":4000", "ZOQ_NET_SEARCH=:4000: expected HOST[:PORT] items separated by commas" },
        { "ZOQ_NET_SEARCH", "host:port",
            "ZOQ_NET_SEARCH=host:port: expected HOST[:PORT] items separated by commas" },
        { "ZOQ_GFX", "null", "" },
        { "ZOQ_GFX", "vulkan", "ZOQ_GFX=vulkan: expected gl or null" },
        { "ZOQ_GFX_CAPS", "minimal", "" },
        { "ZOQ_GFX_CAPS", "tiny", "ZOQ_GFX_CAPS=tiny: expected full or minimal" },
        { "ZOQ_INSTANCE_SCOPE", "test-42", "" },
        { "ZOQ_INSTANCE_SCOPE", "a/b",
            "ZOQ_INSTANCE_SCOPE=a/b: expected printable text without spaces or slashes" },
    };
    std::deque<ScopedEnv> unset;
    for (const plat::win::EnvironmentVariable& variable : plat::win::EnvironmentVariables())
        unset.emplace_back(variable.name, nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name) + "=" + row.value);
        ScopedEnv env(row.name, row.value);
        EXPECT_EQ(plat::win::CheckEnvironment(), row.refusal);
    }
}
