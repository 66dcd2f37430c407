#include "ui/CMenuHost.h"

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
