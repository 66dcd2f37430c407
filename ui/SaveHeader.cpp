#include "ui/SaveHeader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMagic[4] = { 'Z', 'J', 'S', 'G' };
constexpr size_t kFlagAt = 4;
constexpr size_t kSectionsAt = 8;
constexpr size_t kTitleAt = 12;
constexpr size_t kLevelAt = 268;
constexpr size_t kTimeAt = 524;
constexpr size_t kPlaceAt = 528;
constexpr size_t kRatingAt = 560;
constexpr size_t kValueAt = 564;
constexpr size_t kOrganisationAt = 568;
constexpr size_t kKindAt = 600;
constexpr size_t kVersionAt = 604;

uint32_t U32(const uint8_t* data, size_t at)
{
    return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16
        | uint32_t(data[at + 3]) << 24;
}

void PutU32(uint8_t* data, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        data[at + i] = uint8_t(value >> (8 * i));
}

std::string Field(const uint8_t* data, size_t at, size_t size)
{
    const char* begin = reinterpret_cast<const char*>(data + at);
    return std::string(begin, std::find(begin, begin + size, '\0'));
}

void PutField(uint8_t* data, size_t at, size_t size, const std::string& text)
{
    std::memcpy(data + at, text.data(), std::min(text.size(), size - 1));
}

} // namespace

SaveHeader::Read SaveHeader::Parse(const uint8_t* data, size_t size)
{
    if (size < kSize)
        return Read::Short;
    if (std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return Read::BadMagic;
    flag = U32(data, kFlagAt);
    sectionCount = U32(data, kSectionsAt);
    title = Field(data, kTitleAt, kTitleSize);
    level = Field(data, kLevelAt, kLevelSize);
    const uint32_t time = U32(data, kTimeAt);
    std::memcpy(&gameTime, &time, sizeof gameTime);
    place = Field(data, kPlaceAt, kKeySize);
    rating = U32(data, kRatingAt);
    value = U32(data, kValueAt);
    organisation = Field(data, kOrganisationAt, kKeySize);
    kind = U32(data, kKindAt);
    version = U32(data, kVersionAt);
    return Read::Ok;
}

std::array<uint8_t, SaveHeader::kSize> SaveHeader::Encode() const
{
    std::array<uint8_t, kSize> out {};
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    PutU32(out.data(), kFlagAt, flag);
    PutU32(out.data(), kSectionsAt, sectionCount);
    PutField(out.data(), kTitleAt, kTitleSize, title);
    PutField(out.data(), kLevelAt, kLevelSize, level);
    uint32_t time = 0;
    std::memcpy(&time, &gameTime, sizeof time);
    PutU32(out.data(), kTimeAt, time);
    PutField(out.data(), kPlaceAt, kKeySize, place);
    PutU32(out.data(), kRatingAt, rating);
    PutU32(out.data(), kValueAt, value);
    PutField(out.data(), kOrganisationAt, kKeySize, organisation);
    PutU32(out.data(), kKindAt, kind);
    PutU32(out.data(), kVersionAt, version);
    return out;
}
