// Placeholder bodies while the game frame is being written; replaced by CZJApp_render.cpp.
#include "app/CZJApp.h"

void CZJApp::Render(bool first)
{
    (void)first;
}

void CZJApp::AnalizeSituation() { }
