#include "tests/support/error_log_test.h"

#include "foundation/NameList32.h"
#include "foundation/XCyclicQueue.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XFixedArray.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "foundation/XSlotPool.h"

#include <algorithm>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

struct Record44 {
    int id;
    char bytes[40];
};

using XDynamicArrayTest = ErrorLogTest;

TEST_F(XDynamicArrayTest, deleteShouldKeepOrderAndRejectBadIndices)
{
    XDynamicArray<int> a;
    for (int v : { 10, 20, 30, 40 })
        a.Add(v);
    a.Delete(1);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int> { 10, 30, 40 }));

    for (int bad : { -1, 3 }) {
        EXPECT_THROW(a.Delete(bad), XRangeError);
        EXPECT_EQ(a.Count(), 3);
    }
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with("XDynamicArray::Delete index is out of range"));

    XDynamicArray<int> one;
    one.Add(5);
    one.Delete(0);
    EXPECT_EQ(one.Count(), 0);
    EXPECT_EQ(one.Data(), nullptr);
}

TEST(XDynamicArray, addEmptyAtAndIndexOfShouldTestIndices)
{
    XDynamicArray<Record44> a;
    Record44* last = a.AddEmpty(true, 3);
    EXPECT_EQ(last, &a.At(2));
    for (const auto& r : a) {
        EXPECT_EQ(r.id, 0);
        for (char c : r.bytes)
            EXPECT_EQ(c, 0);
    }
    a.At(1).id = 7;
    EXPECT_THROW(a.At(3), XRangeError);
    EXPECT_THROW(a.At(-1), XRangeError);
    EXPECT_EQ(a.IndexOf(a.At(1)), 1);
    EXPECT_EQ(a.IndexOf(Record44 {}), 0);

    XDynamicArray<unsigned> u;
    for (unsigned v : { 4u, 9u, 9u })
        u.Add(v);
    EXPECT_EQ(u.IndexOf(9u), 1);
    EXPECT_EQ(u.IndexOf(5u), -1);
    EXPECT_EQ(u.At(u.Count() - 1), 9u);

    // Class elements: SetSize constructs, Done destroys.
    XDynamicArray<std::vector<int>> v;
    v.SetSize(2);
    v.At(1).push_back(3);
    EXPECT_EQ(v.Count(), 2);
    v.Done();
    EXPECT_EQ(v.Count(), 0);
}

TEST(XDynamicArray, readShouldCheckItsCountAgainstTheStream)
{
    XMemBuffer good(4);
    for (uint32_t v : { 3u, 11u, 22u, 33u })
        good.WriteValue(v);
    good.Rewind();
    XDynamicArray<uint32_t> a;
    a.Read(good);
    ASSERT_EQ(a.Count(), 3);
    EXPECT_EQ(a.At(2), 33u);
    EXPECT_EQ(good.Position(), 16);

    XMemBuffer bad(4);
    for (uint32_t v : { 0x40000001u, 1u, 2u })
        bad.WriteValue(v);
    bad.Rewind();
    EXPECT_THROW(a.Read(bad), XRangeError);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(bad.Position(), 0);
}

TEST(NameList32, findShouldMatchWholeNames)
{
    NameList32 names;
    EXPECT_EQ(names.Find("A"), -1);
    names.Add(MakeNameKey32("B_L1_CEH"));
    names.Add(MakeNameKey32("NOID"));
    EXPECT_EQ(names.Find("NOID"), 1);
    EXPECT_EQ(names.Find("NOI"), -1);
    EXPECT_EQ(names.Find("b_l1_ceh"), -1);

    NameKey32 cut = MakeNameKey32(std::string(50, 'k').c_str());
    EXPECT_EQ(std::string(cut.text), std::string(31, 'k'));
    NameKey32 copy = CopyNameKey32(cut);
    EXPECT_EQ(copy, cut);
}

TEST(XFixedArray, accessShouldTestTheCapacityAndListOperationsTheCount)
{
    XFixedArrayList<int, 3> list;
    EXPECT_NO_THROW(list.At(2));
    EXPECT_THROW(list.At(3), XRangeError);
    EXPECT_THROW(list.At(-1), XRangeError);

    for (int v : { 1, 2, 3 })
        list.Add(v);
    EXPECT_THROW(list.Add(4), XRangeError);
    EXPECT_EQ(list.Count(), 3);

    list.RemoveAt(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0), 2);
    EXPECT_EQ(list.At(1), 3);
    EXPECT_THROW(list.RemoveAt(2), XRangeError);
    EXPECT_THROW(list.RemoveAt(-1), XRangeError);

    XFixedArray<float, 20> plain;
    EXPECT_NO_THROW(plain.At(19));
    EXPECT_THROW(plain.At(20), XRangeError);
}

TEST(XCyclicQueue, shouldDropTheOldestAndThrowWhenEmpty)
{
    XCyclicQueue queue(4);
    EXPECT_TRUE(queue.IsEmpty());
    for (uint32_t v = 1; v <= 5; ++v)
        queue.Push(v);
    EXPECT_EQ(queue.Count(), 3);
    EXPECT_EQ(queue.Pop(), 3u);
    EXPECT_EQ(queue.Pop(), 4u);
    EXPECT_EQ(queue.Pop(), 5u);
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_THROW(queue.Pop(), XRangeError);

    XCyclicQueue none;
    EXPECT_THROW(none.Push(1), XRangeError);
    EXPECT_THROW(none.Pop(), XRangeError);
}

std::vector<int> Walk(const XSlotPool<int>& pool)
{
    std::vector<int> slots;
    for (int s = pool.First(); s; s = pool.Next(s))
        slots.push_back(s);
    return slots;
}

TEST(XSlotPool, shouldChainUsedSlotsAndReuseFreedOnes)
{
    XSlotPool<int> pool(4);
    for (int v = 1; v <= 4; ++v)
        EXPECT_EQ(pool.Add(v * 10), v);
    EXPECT_EQ(pool.Add(50), -1);
    EXPECT_EQ(Walk(pool), (std::vector<int> { 1, 2, 3, 4 }));

    // Freed slots are found again even though the mark reached the capacity.
    pool.Remove(2);
    EXPECT_EQ(Walk(pool), (std::vector<int> { 1, 3, 4 }));
    EXPECT_EQ(pool.Add(99), 2);
    EXPECT_EQ(pool.At(2), 99);
    EXPECT_EQ(Walk(pool), (std::vector<int> { 1, 2, 3, 4 }));
    EXPECT_EQ(pool.Add(1), -1);

    pool.Remove(4);
    pool.Remove(1);
    EXPECT_EQ(Walk(pool), (std::vector<int> { 2, 3 }));
    EXPECT_EQ(pool.Count(), 2);
    EXPECT_THROW(pool.Remove(1), XRangeError);
    EXPECT_THROW(pool.At(0), XRangeError);
    EXPECT_THROW(pool.At(pool.Capacity() + 1), XRangeError);
    int a = pool.Add(7);
    int b = pool.Add(8);
    EXPECT_EQ(pool.Add(9), -1);
    EXPECT_EQ(std::vector<int>({ a, b }), (std::vector<int> { 4, 1 }));
    EXPECT_EQ(Walk(pool), (std::vector<int> { 1, 2, 3, 4 }));
}

TEST(XSlotPool, removingTheMarkShouldMoveItBackToItsPredecessor)
{
    XSlotPool<int> pool(6);
    pool.Add(1); // slot 1
    pool.Add(2); // slot 2, the mark
    pool.Remove(2); // mark back to 1
    EXPECT_EQ(pool.Add(3), 2); // so slot 2 is used again
    pool.Add(4);
    pool.Remove(1);
    EXPECT_EQ(Walk(pool), (std::vector<int> { 2, 3 }));
}

// The pool against a plain model: every walk lists exactly the used slots, and Add fails only
// when all are used.
TEST(XSlotPool, randomAddsAndRemovesShouldMatchAModel)
{
    constexpr int kCapacity = 9;
    XSlotPool<int> pool(kCapacity);
    std::vector<bool> used(kCapacity + 1);
    uint32_t seed = 12345;
    for (int step = 0; step < 5000; ++step) {
        seed = seed * 1103515245u + 12345u;
        int choice = int(seed >> 16) % 3;
        if (choice < 2) {
            int slot = pool.Add(step);
            int usedCount = int(std::count(used.begin(), used.end(), true));
            if (usedCount == kCapacity) {
                ASSERT_EQ(slot, -1);
            } else {
                ASSERT_GE(slot, 1);
                ASSERT_FALSE(used[slot]);
                used[slot] = true;
            }
        } else {
            int slot = 1 + int(seed >> 8) % kCapacity;
            if (used[slot]) {
                pool.Remove(slot);
                used[slot] = false;
            }
        }
        std::vector<int> expected;
        for (int s = 1; s <= kCapacity; ++s) {
            if (used[s])
                expected.push_back(s);
        }
        ASSERT_EQ(Walk(pool), expected) << "step " << step;
    }
}

} // namespace
