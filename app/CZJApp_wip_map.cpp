// Placeholder bodies while the game preparation is being written; replaced by CZJApp_map.cpp.
#include "app/CZJApp.h"

void CZJApp::InitMap(const char* fileName, int flag)
{
    (void)fileName;
    (void)flag;
}

void CZJApp::ApplyStartConfig(bool keep)
{
    (void)keep;
}

void CZJApp::InitMainFerro(bool newGame, bool tunnelStart)
{
    (void)newGame;
    (void)tunnelStart;
}

void CZJApp::InitGliderOnStartPos(bool tunnelStart)
{
    (void)tunnelStart;
}

bool CZJApp::DoScriptAction(int code)
{
    return code != 0;
}
