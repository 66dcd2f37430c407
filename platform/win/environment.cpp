#include "platform/win/environment.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace plat::win {
namespace {

bool IsPort(std::string_view text)
{
    unsigned port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port <= 65535;
}

// "HOST[:PORT],...": no empty item, no empty host, a port when the colon is there.
bool IsHostList(std::string_view text)
{
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t colon = item.find(':');
        if (colon == 0 || item.empty()
            || (colon != std::string_view::npos && !IsPort(item.substr(colon + 1))))
            return false;
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

bool IsBackend(std::string_view text)
{
    return text == "gl" || text == "null";
}

bool IsCapsProfile(std::string_view text)
{
    return text == "full" || text == "minimal";
}

// The scope becomes part of a socket name: printable text without a slash.
bool IsScope(std::string_view text)
{
    for (char c : text)
        if (c <= ' ' || c == '/' || c == 0x7F)
            return false;
    return true;
}

constexpr EnvironmentVariable kVariables[] = {
    { "ZOQ_NET_PORT", "a port number from 0 to 65535", IsPort },
    { "ZOQ_NET_SEARCH", "HOST[:PORT] items separated by commas", IsHostList },
    { "ZOQ_GFX", "gl or null", IsBackend },
    { "ZOQ_GFX_CAPS", "full or minimal", IsCapsProfile },
    { "ZOQ_INSTANCE_SCOPE", "printable text without spaces or slashes", IsScope },
};

} // namespace

std::span<const EnvironmentVariable> EnvironmentVariables()
{
    return kVariables;
}

std::string CheckEnvironment()
{
    for (const EnvironmentVariable& variable : kVariables) {
        const char* value = std::getenv(variable.name);
        // An empty value counts as unset, as every reader takes it.
        if (value == nullptr || *value == '\0' || variable.valid(value))
            continue;
        return std::string(variable.name) + "=" + value + ": expected " + variable.expected;
    }
    return {};
}

bool RefuseBadEnvironment(const char* program)
{
    const std::string bad = CheckEnvironment();
    if (!bad.empty())
        std::fprintf(stderr, "%s: %s\n", program, bad.c_str());
    return !bad.empty();
}

} // namespace plat::win
