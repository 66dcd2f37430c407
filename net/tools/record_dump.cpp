#include "net/tools/record_dump.h"

#include "net/wire/NetWire.h"
#include "platform/win/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace NetWire;

namespace zoq::net {

namespace {

// Types whose records carry the moving form.
constexpr uint32_t kMovingTypes[] = { 3, 6, 14, 16, 17, 25 };
constexpr uint32_t kGlider = 14;
constexpr uint32_t kMissile = 16;
constexpr uint32_t kThing = 21;

void Append(std::string& out, const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out += line;
}

bool IsMoving(uint32_t type)
{
    for (const uint32_t t : kMovingTypes)
        if (t == type)
            return true;
    return false;
}

std::string Vec(const uint8_t* record, std::size_t at)
{
    char text[96];
    std::snprintf(text, sizeof text, "%g %g %g", double(Get<float>(record, at)),
        double(Get<float>(record, at + 4)), double(Get<float>(record, at + 8)));
    return text;
}

// The reason a record of that length cannot be read as its form; null when it can.
const char* FormFault(uint8_t kind, uint32_t type, std::size_t length, const uint8_t* record)
{
    if (kind == Record::kHit)
        return length == Hit::kSize ? nullptr : "a hit record is not 55 bytes";
    if (type == kThing) {
        if (length < Thing::kItems)
            return "a thing record is shorter than 43 bytes";
        const uint32_t n = Get<uint32_t>(record, Thing::kCount);
        if (n > Thing::kMaxItems)
            return "a thing record holds more than 10 items";
        return length == Thing::SizeFor(n) ? nullptr : "a thing record's length does not match its items";
    }
    if (type == kMissile)
        return length == Missile::kSize ? nullptr : "a missile record is not 125 bytes";
    if (type == kGlider)
        return length >= Glider::kSize ? nullptr : "a glider record is shorter than 140 bytes";
    if (IsMoving(type))
        return length >= Moving::kSize ? nullptr : "a moving record is shorter than 120 bytes";
    return nullptr;
}

void DumpRecord(const uint8_t* r, std::size_t offset, std::size_t length, std::string& out)
{
    const uint8_t kind = r[Record::kKind];
    const uint32_t type = Get<uint32_t>(r, Record::kType);
    Append(out, "record %zu kind %u length %zu id 0x%08X type %u row %d time %g pos %s\n", offset,
        unsigned(kind), length, Get<uint32_t>(r, Record::kNetId), type, Get<int32_t>(r, Record::kBaseState),
        Get<double>(r, Record::kTime), Vec(r, Record::kPosition).c_str());
    if (kind == Record::kHit) {
        Append(out, "  hit damage0 %g damage1 %g sender 0x%08X\n", double(Get<float>(r, Hit::kDamage0)),
            double(Get<float>(r, Hit::kDamage1)), Get<uint32_t>(r, Hit::kSender));
        return;
    }
    if (IsMoving(type)) {
        Append(out, "  axes right %s forward %s up %s\n", Vec(r, Moving::kAxis0).c_str(),
            Vec(r, Moving::kAxis1).c_str(), Vec(r, Moving::kAxis2).c_str());
        Append(out,
            "  motion thrust %g side %g bank %g velocity %s rates %s control %g %g spare %g visible %u\n",
            double(Get<float>(r, Moving::kThrust)), double(Get<float>(r, Moving::kSideImpulse)),
            double(Get<float>(r, Moving::kBankCoupling)), Vec(r, Moving::kVelocity).c_str(),
            Vec(r, Moving::kRates).c_str(), double(Get<float>(r, Moving::kControlX)),
            double(Get<float>(r, Moving::kControlY)), double(Get<float>(r, Moving::kSpare)),
            r[Moving::kVisible] ? 1u : 0u);
    }
    if (type == kGlider) {
        Append(out, "  glider bits %X aim %s mass %g ferrovant %zu\n", Get<uint32_t>(r, Glider::kBits),
            Vec(r, Glider::kAim).c_str(), double(Get<float>(r, Glider::kMass)), length - Glider::kSize);
    } else if (type == kMissile) {
        Append(out, "  missile owner 0x%08X state %u\n", Get<uint32_t>(r, Missile::kOwner),
            unsigned(r[Missile::kState]));
    } else if (type == kThing) {
        const uint32_t n = Get<uint32_t>(r, Thing::kCount);
        Append(out, "  thing value %u items %u\n", Get<uint32_t>(r, Thing::kValue), n);
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* item = r + Thing::SizeFor(i);
            char id[33] = {};
            std::memcpy(id, item + Thing::kItemId, 32);
            Append(out, "  item %u kind %u id %s amount %u\n", i, Get<uint32_t>(item, Thing::kItemKind),
                plat::win::Cp1251ToUtf8(id).c_str(), Get<uint32_t>(item, Thing::kItemAmount));
        }
    }
}

} // namespace

bool DumpRecords(const uint8_t* data, std::size_t size, std::string& out, std::string& error)
{
    std::size_t at = 0;
    while (at < size) {
        const uint8_t* r = data + at;
        const std::size_t room = size - at;
        const char* fault = nullptr;
        std::size_t length = 0;
        if (room < Record::kBaseSize) {
            fault = "shorter than the 35-byte head";
        } else {
            length = Get<uint16_t>(r, Record::kLength);
            if (length < Record::kBaseSize || length > Record::kMaxLength)
                fault = "length outside 35..10000";
            else if (length > room)
                fault = "runs past the end of the file";
            else
                fault = FormFault(r[Record::kKind], Get<uint32_t>(r, Record::kType), length, r);
        }
        if (fault) {
            error = "record at " + std::to_string(at) + ": " + fault;
            return false;
        }
        DumpRecord(r, at, length, out);
        at += length;
    }
    return true;
}

} // namespace zoq::net
