#include "tools/data/strict_text.h"

#include "platform/win/text.h"

namespace zoq::tools::data {

bool StrictUtf8ToCp1251(std::string_view utf8, std::string& out)
{
    out.clear();
    for (size_t pos = 0; pos < utf8.size();) {
        // An invalid sequence decodes as U+FFFD, which has no byte either.
        int byte = plat::win::CodePointToCp1251(plat::win::DecodeUtf8(utf8, pos));
        if (byte <= 0)
            return false;
        out.push_back(char(byte));
    }
    return true;
}

} // namespace zoq::tools::data
