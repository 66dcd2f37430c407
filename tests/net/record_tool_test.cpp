// zoq-net record on hand-built record files.
#include "net/wire/NetWire.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace NetWire;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Head(std::size_t length, uint8_t kind, uint32_t type, int32_t row)
{
    Bytes r(length);
    Put<uint32_t>(r.data(), Record::kNetId, 0x00300007u);
    Put<double>(r.data(), Record::kTime, 12.5);
    r[Record::kKind] = kind;
    Put<float>(r.data(), Record::kPosition, 1.5f);
    Put<float>(r.data(), Record::kPosition + 4, -2.0f);
    Put<float>(r.data(), Record::kPosition + 8, 30.0f);
    Put<uint32_t>(r.data(), Record::kType, type);
    Put<int32_t>(r.data(), Record::kBaseState, row);
    Put<uint16_t>(r.data(), Record::kLength, uint16_t(length));
    return r;
}

// A moving record cut or padded to length (its length field says so).
Bytes Moving(uint32_t type, std::size_t length)
{
    Bytes r = Head(std::max(length, Moving::kSize), Record::kState, type, 2);
    const float axes[9] = { 0, 1, 0, -1, 0, 0, 0, 0, 1 };
    for (int i = 0; i < 9; ++i)
        Put<float>(r.data(), Moving::kAxis0 + 4 * std::size_t(i), axes[i]);
    Put<float>(r.data(), Moving::kThrust, 10.0f);
    Put<float>(r.data(), Moving::kVelocity + 4, 0.25f);
    Put<float>(r.data(), Moving::kRates + 8, -0.5f);
    Put<float>(r.data(), Moving::kControlX, 1.0f);
    r[Moving::kVisible] = 1;
    r.resize(length);
    Put<uint16_t>(r.data(), Record::kLength, uint16_t(length));
    return r;
}

class RecordToolTest : public zoq::test::TempDirTest {
protected:
    zoq::test::RunResult Dump(const Bytes& bytes)
    {
        const auto path = m_dir / "records.bin";
        zoq::test::WriteBytes(path, bytes);
        return zoq::test::RunProgram(ZOQ_NET_TOOL, { "record", path.string() });
    }
    std::string Path() const { return (m_dir / "records.bin").string(); }
};

TEST_F(RecordToolTest, AMovingRecordPrintsItsHeadAxesAndMotion)
{
    const auto run = Dump(Moving(3, 120));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "record 0 kind 0 length 120 id 0x00300007 type 3 row 2 time 12.5 pos 1.5 -2 30\n"
        "  axes right 0 1 0 forward -1 0 0 up 0 0 1\n"
        "  motion thrust 10 side 0 bank 0 velocity 0 0.25 0 rates 0 0 -0.5 control 1 0 spare 0 visible 1\n");
}

TEST_F(RecordToolTest, EachFormHasItsLine)
{
    Bytes glider = Moving(14, 150);
    Put<uint32_t>(glider.data(), Glider::kBits, Glider::kFerrovant | Glider::kGun0);
    Put<float>(glider.data(), Glider::kMass, 2.5f);
    Bytes missile = Moving(16, 125);
    Put<uint32_t>(missile.data(), Missile::kOwner, 0x00300001u);
    missile[Missile::kState] = 3;
    Bytes thing = Head(Thing::SizeFor(1), Record::kState, 21, -1);
    Put<uint32_t>(thing.data(), Thing::kValue, 257);
    Put<uint32_t>(thing.data(), Thing::kCount, 1);
    Put<uint32_t>(thing.data(), Thing::kItems + Thing::kItemKind, 2);
    std::memcpy(thing.data() + Thing::kItems + Thing::kItemId, "\xC8\xC2\xC0\xCD", 4); // Windows-1251
    Put<uint32_t>(thing.data(), Thing::kItems + Thing::kItemAmount, 5);
    Bytes hit = Head(Hit::kSize, Record::kHit, 14, 0);
    Put<float>(hit.data(), Hit::kDamage1, 7.0f);
    Put<uint32_t>(hit.data(), Hit::kSender, 0x00200000u);
    Bytes all;
    for (const Bytes* r : { &glider, &missile, &thing, &hit })
        all.insert(all.end(), r->begin(), r->end());

    const auto run = Dump(all);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("  glider bits 10000001 aim 0 0 0 mass 2.5 ferrovant 10\n"), std::string::npos);
    EXPECT_NE(run.out.find("record 150 kind 0 length 125"), std::string::npos);
    EXPECT_NE(run.out.find("  missile owner 0x00300001 state 3\n"), std::string::npos);
    EXPECT_NE(run.out.find("record 275 kind 0 length 83 id 0x00300007 type 21 row -1"), std::string::npos);
    EXPECT_NE(
        run.out.find("  thing value 257 items 1\n  item 0 kind 2 id ИВАН amount 5\n"), std::string::npos);
    EXPECT_NE(run.out.find("record 358 kind 2 length 55 id 0x00300007 type 14 row 0 time 12.5 pos 1.5 -2 30\n"
                           "  hit damage0 0 damage1 7 sender 0x00200000\n"),
        std::string::npos);
    EXPECT_EQ(run.out.find("axes", run.out.find("record 358")), std::string::npos)
        << "a hit has its line alone";
}

TEST_F(RecordToolTest, ABadRecordStopsWithItsOffsetAndReason)
{
    Bytes thing = Head(Thing::SizeFor(11), Record::kState, 21, 0);
    Put<uint32_t>(thing.data(), Thing::kCount, 11);
    struct Case {
        const char* what;
        Bytes bytes;
        std::string error;
    };
    Bytes lengthField34 = Head(35, 0, 7, 0);
    Put<uint16_t>(lengthField34.data(), Record::kLength, 34);
    Bytes cut = Moving(3, 120);
    cut.resize(100);
    Bytes twoWithBadSecond = Moving(3, 120);
    const Bytes shortMoving = Moving(25, 119);
    twoWithBadSecond.insert(twoWithBadSecond.end(), shortMoving.begin(), shortMoving.end());
    const Case cases[] = {
        { "34 bytes", Bytes(34), "record at 0: shorter than the 35-byte head" },
        { "length 34", lengthField34, "record at 0: length outside 35..10000" },
        { "past the end", cut, "record at 0: runs past the end of the file" },
        { "short moving", twoWithBadSecond, "record at 120: a moving record is shorter than 120 bytes" },
        { "missile", Moving(16, 124), "record at 0: a missile record is not 125 bytes" },
        { "hit", Head(56, Record::kHit, 14, 0), "record at 0: a hit record is not 55 bytes" },
        { "items", thing, "record at 0: a thing record holds more than 10 items" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto run = Dump(c.bytes);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "zoq-net: " + Path() + ": " + c.error + "\n");
    }
    const auto usage = zoq::test::RunProgram(ZOQ_NET_TOOL, { "record" });
    EXPECT_EQ(usage.exitCode, 2);
}

} // namespace
