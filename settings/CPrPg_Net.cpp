#include "settings/CPrPg_Net.h"

#include "settings/CConfigWriter.h"
#include "settings/SettingsKeys.h"

namespace {
constexpr const SConfigKey& kRunServer = ConfigKey("NET", "RunServer");
}

void CPrPg_Net::Load(const std::string& path)
{
    m_runServer = ReadConfigNumber(path, kRunServer);
}

void CPrPg_Net::OnFirstActivation(const SPageHost&)
{
    m_controls.runServer = m_runServer != 0;
    m_initialised = true;
}

bool CPrPg_Net::Save(const std::string& path)
{
    if (!m_initialised)
        return true;
    m_runServer = m_controls.runServer ? 1 : 0;
    CConfigWriter out(path);
    out.Number(kRunServer, m_runServer);
    return out.Ok();
}

void CPrPg_Net::Defaults()
{
    m_runServer = 1;
    if (m_initialised)
        m_controls.runServer = true;
}
