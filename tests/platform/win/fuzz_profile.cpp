// Fuzzes the profile parser: any bytes parse, and a write then reads back as written while the
// other values stay as they were.
#include "platform/win/profile_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    plat::win::ProfileText text(bytes);
    std::vector<std::string> names;
    for (auto name : text.SectionNames())
        names.emplace_back(name);

    const std::string section = names.empty() ? std::string("S") : names.front();
    std::string value;
    for (std::size_t i = 0; i < size && value.size() < 16; ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n' && c != '"' && c != '\'' && c != ' ' && c != '\t' && c != '\v'
            && c != '\f')
            value += c;
    }
    std::vector<std::string> before;
    for (const std::string& name : names)
        before.emplace_back(text.Find(name, "a").value_or("<none>"));

    text.Set(section, "k", value);
    plat::win::ProfileText again(text.Bytes());
    auto read = again.Find(section, "k");
    if (!read || *read != value)
        std::abort();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::string(again.Find(names[i], "a").value_or("<none>")) != before[i])
            std::abort();
    }
    return 0;
}
