#include "foundation/ConfigKeys.h"

#include "platform/win/profile.h"

#include <string>

int32_t ReadConfigNumber(std::string_view file, const SConfigKey& key)
{
    return int32_t(plat::win::ReadProfileInt(file, key.section, key.key, key.number));
}

uint32_t ReadConfigText(std::string_view file, const SConfigKey& key, char* buf, uint32_t size)
{
    return plat::win::ReadProfileString(file, key.section, key.key, key.text, buf, size);
}

bool WriteConfigNumber(std::string_view file, const SConfigKey& key, int32_t value)
{
    return plat::win::WriteProfileString(file, key.section, key.key, std::to_string(value));
}
