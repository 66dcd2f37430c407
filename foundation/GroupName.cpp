#include "foundation/GroupName.h"

#include "platform/win/text.h"

std::string StripGroupPrefix(std::string_view name)
{
    if (name.starts_with("GRP_"))
        name.remove_prefix(4);
    return plat::win::Upper1251(name);
}
