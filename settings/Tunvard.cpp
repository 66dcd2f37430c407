// Tunvard: the settings program. It takes no options; any argument only hides the Start button.
// Exit codes: 0 after OK, Cancel, Start or a close; 1 when the window or its OpenGL context
// cannot be made; 2 after an exception, whose call trace goes to error.log.
#include "foundation/CallTrace.h"
#include "settings/CTunvardApp.h"

int main(int argc, char**)
{
    SetCallTraceRoot("EXEPTION:");
    try {
        CTunvardApp app(&CTunvardApp::StartProgram);
        return app.InitInstance(argc <= 1);
    } catch (...) {
        FlushCallTrace();
        return CTunvardApp::kException;
    }
}
