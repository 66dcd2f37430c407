// The object-list tests: a recording object, and a clean list over an empty 4 x 4 cell grid before
// and after each test.
#pragma once

#include "foundation/CTimer.h"
#include "tests/support/error_log_test.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <cstdio>
#include <vector>

namespace zoq::test {

// An object that records its runs, the deletions announced to it and its destruction.
class Probe : public CZJObject {
public:
    ~Probe() override
    {
        if (destroyed)
            *destroyed = true;
    }
    void Run() override
    {
        if (order)
            order->push_back(id);
    }
    void ProcessDelete(CZJObject* deleted) override
    {
        notices.push_back(deleted->id);
        if (order)
            order->push_back(id);
        if (findOnNotice)
            ObjectList.FindObjectById(-1);
    }
    void Name(const char* text) { std::snprintf(name, sizeof name, "%s", text); }

    std::vector<int> notices; // ids of the announced objects
    std::vector<int>* order = nullptr; // own id on every run or notice
    bool* destroyed = nullptr;
    bool findOnNotice = false; // walks the main list inside the notice
};

class ObjectListTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        ObjectList.Clear();
        Location.Purge();
        Location.blocksX = Location.blocksY = kGrid;
        GameClock = 100.0;
        PlayerObject = nullptr;
        PlayerGlider = nullptr;
        AppEvents = nullptr;
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.Purge();
        PlayerObject = nullptr;
        PlayerGlider = nullptr;
        AppEvents = nullptr;
        ErrorLogTest::TearDown();
    }

    // Sets the object up, then adds it.
    template <class T, class F> static T* Add(T* object, F setup)
    {
        setup(*object);
        ObjectList.AddObject(object);
        return object;
    }
    template <class T> static T* Add(T* object)
    {
        return Add(object, [](T&) {});
    }

    static CHelperPoint* AddPoint(const char* name, const Vec3& at, int kind)
    {
        const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, at.x, at.y, at.z, 1 };
        auto* point = new CHelperPoint(placement, name, kind);
        ObjectList.AddHelperPoint(point);
        return point;
    }

    // The cells that hold the object; with null, every filing of any object.
    static int FiledCells(const CZJObject* object)
    {
        int count = 0;
        for (int row = 0; row < kGrid; ++row)
            for (int column = 0; column < kGrid; ++column) {
                const XList<CZJObject>& objects = Location.Cell(column, row).objects;
                count += object ? objects.IndexOf(object) >= 0 : objects.Count();
            }
        return count;
    }

    static constexpr int kGrid = 4;
};

} // namespace zoq::test
