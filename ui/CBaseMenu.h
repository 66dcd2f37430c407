// Stand-in until the menus land: a menu reduced to its modal loop, which returns 0 at once, and to
// the release and re-creation of its device resources around a device reset, which do nothing.
#pragma once

class CBaseMenu {
public:
    virtual ~CBaseMenu() = default;

    virtual int DoModal(int argument)
    {
        (void)argument;
        return 0;
    }
    void ReleaseResources(int flag) { (void)flag; }
    void CreateResources() { }
};
