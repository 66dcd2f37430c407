#include "settings/CConfigWriter.h"

#include "platform/win/profile.h"

void CConfigWriter::Number(const SConfigKey& key, int32_t value)
{
    m_ok = WriteConfigNumber(m_path, key, value) && m_ok;
}

void CConfigWriter::Text(const SConfigKey& key, std::string_view value)
{
    m_ok = plat::win::WriteProfileString(m_path, key.section, key.key, value) && m_ok;
}
