#include "app/SaveFile.h"

#include "foundation/ByteOrder.h"
#include "platform/win/paths.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace savefile {
namespace {

// The header's texts: where each starts, its field's size and its name in a reason.
struct STextField {
    size_t at;
    size_t size;
    const char* name;
};
constexpr STextField kTextFields[] = {
    { 12, SaveHeader::kTitleSize, "title" },
    { 268, SaveHeader::kLevelSize, "location name" },
    { 528, SaveHeader::kKeySize, "place" },
    { 568, SaveHeader::kKeySize, "organisation" },
};

// The section's place in the file (from 1), with its id once read.
std::string SectionReason(uint32_t index, const uint32_t* id, const char* what)
{
    std::string reason = "section " + std::to_string(index + 1);
    if (id)
        reason += " (id " + std::to_string(*id) + ")";
    return reason + ": " + what;
}

} // namespace

void EncodeSectionHeader(uint32_t id, uint32_t size, uint8_t out[kSectionHeaderSize])
{
    std::memset(out, 0, kSectionHeaderSize);
    StoreLE(out, id);
    StoreLE(out + 4, size);
}

bool ReadHeader(const uint8_t* data, size_t size, SaveHeader& header, std::string& reason)
{
    switch (header.Parse(data, size)) {
    case SaveHeader::Read::Short:
        reason = "shorter than its header";
        return false;
    case SaveHeader::Read::BadMagic:
        reason = "not a save game";
        return false;
    case SaveHeader::Read::Ok:
        break;
    }
    for (const STextField& field : kTextFields) {
        if (!std::memchr(data + field.at, 0, field.size)) {
            reason = std::string(field.name) + " does not end inside its field";
            return false;
        }
    }
    if (header.level.size() > kMaxLocationName) {
        reason = "location name longer than " + std::to_string(kMaxLocationName) + " bytes";
        return false;
    }
    if (!std::isfinite(header.gameTime) || header.gameTime < 0.0f) {
        reason = "game time out of range";
        return false;
    }
    return true;
}

size_t SectionsStart(const SaveHeader& header)
{
    return SaveHeader::kSize + (header.version > 256 ? SaveHeader::kScreenshotSize : 0);
}

CSectionWalk::CSectionWalk(const uint8_t* data, size_t size, const SaveHeader& header)
    : CSectionWalk(data, size, header.sectionCount)
{
    const size_t start = SectionsStart(header);
    if (m_size < start) {
        m_reason = m_size < SaveHeader::kSize ? "shorter than its header" : "the picture ends early";
        m_left = 0;
        return;
    }
    m_picture = start > SaveHeader::kSize ? SaveHeader::kSize : 0;
    m_at = start;
}

CSectionWalk::CSectionWalk(const uint8_t* sections, size_t size, uint32_t count)
    : m_data(sections)
    , m_size(size)
    , m_at(0)
    , m_left(count)
{
}

bool CSectionWalk::Next(uint32_t& id, const uint8_t*& payload, uint32_t& size)
{
    if (m_left == 0)
        return false;
    if (m_size - m_at < kSectionHeaderSize) {
        m_reason = SectionReason(m_index, nullptr, "the header ends early");
        m_left = 0;
        return false;
    }
    id = LoadLE<uint32_t>(m_data + m_at);
    size = LoadLE<uint32_t>(m_data + m_at + 4);
    m_at += kSectionHeaderSize;
    if (m_size - m_at < size) {
        m_reason = SectionReason(m_index, &id, "the payload ends early");
        m_left = 0;
        return false;
    }
    payload = m_data + m_at;
    m_at += size;
    --m_left;
    ++m_index;
    return true;
}

bool ReadLocationList(const uint8_t* payload, uint32_t size, uint32_t values[kMaxLocations], uint32_t& count)
{
    if (size < 4)
        return false;
    const uint32_t stored = LoadLE<uint32_t>(payload);
    if ((uint64_t(size) - 4) / 4 < stored)
        return false;
    count = std::min(stored, kMaxLocations);
    for (uint32_t i = 0; i < count; ++i)
        values[i] = LoadLE<uint32_t>(payload + 4 + 4 * size_t(i));
    return true;
}

bool ReadControlState(const uint8_t* payload, uint32_t size, uint32_t& version, SPlayerControl& record)
{
    if (size < 4)
        return false;
    const uint32_t stored = LoadLE<uint32_t>(payload);
    const size_t bytes = stored == kShortControlVersion ? kShortControlSize : sizeof(SPlayerControl);
    if (size - 4 < bytes)
        return false;
    version = stored;
    record = {};
    std::memcpy(&record, payload + 4, bytes);
    return true;
}

CReplacingFile::CReplacingFile(std::string path)
    : m_path(std::move(path))
    , m_temp(m_path + ".tmp")
{
}

CReplacingFile::~CReplacingFile()
{
    Discard();
}

bool CReplacingFile::Open()
{
    Discard();
    m_ok = true;
    m_file = plat::win::OpenFile(m_temp, "wb");
    return m_file != nullptr;
}

bool CReplacingFile::Write(const void* bytes, size_t n)
{
    m_ok = m_ok && m_file && (n == 0 || std::fwrite(bytes, 1, n, m_file) == n);
    return m_ok;
}

bool CReplacingFile::Commit()
{
    if (!m_file)
        return false;
    std::FILE* file = std::exchange(m_file, nullptr);
    const bool closed = std::fclose(file) == 0;
    if (m_ok && closed && plat::win::RenameFile(m_temp, m_path))
        return true;
    plat::win::RemoveFile(m_temp);
    return false;
}

void CReplacingFile::Discard() noexcept
{
    if (!m_file)
        return;
    std::fclose(std::exchange(m_file, nullptr));
    plat::win::RemoveFile(m_temp);
}

} // namespace savefile
