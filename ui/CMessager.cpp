// Stand-in until the in-game message window lands.
#include "ui/CMessager.h"

#include "foundation/ErrorLog.h"

CMessager Messager;

void CMessager::AddMessage(const char* text, int, const char*)
{
    WriteErrorLog(text);
}
