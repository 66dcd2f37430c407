#include "ui/CMenuHost.h"

#include "ui/CBaseMenu.h"

namespace {

CMenuHost NullHost;
CMenuHost* Installed = nullptr;

} // namespace

CMenuHost& MenuHost()
{
    return Installed ? *Installed : NullHost;
}

void SetMenuHost(CMenuHost* host)
{
    Installed = host;
}

uint32_t CMenuHost::RunModalMenu(CBaseMenu* menu)
{
    return menu ? menu->DoModal(true) : 0;
}
