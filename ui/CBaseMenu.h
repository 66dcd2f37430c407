// Stand-in until the menus land: a menu reduced to its modal loop and to the release and
// re-creation of its device resources around a device reset, which count their calls. The modal
// loop runs onModal when a test sets it, else it returns modalResult at once.
#pragma once

#include <functional>

class CBaseMenu {
public:
    virtual ~CBaseMenu() = default;

    virtual int DoModal(int argument)
    {
        ++modalCount;
        lastArgument = argument;
        return onModal ? onModal(argument) : modalResult;
    }
    void ReleaseResources(int flag)
    {
        (void)flag;
        ++releaseCount;
    }
    void CreateResources() { ++createCount; }

    int modalResult = 0;
    int lastArgument = 0;
    int modalCount = 0;
    int releaseCount = 0;
    int createCount = 0;
    std::function<int(int)> onModal;
};
