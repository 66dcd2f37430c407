// The save file's frame: the 728-byte header, the picture of a game save, then sections of a
// 24-byte header {u32 id, u32 payload size, 16 reserved bytes} and their payloads. The bytes are
// untrusted: the header's texts must end inside their fields, and a section's size must fit the
// bytes left before anything reads it. Also the two payloads the application owns (the location
// save list and the player's control state), and the file that replaces a save only once it is
// complete.
#pragma once

#include "ui/SaveHeader.h"
#include "world/objects/PlayerGlobals.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace savefile {

inline constexpr size_t kSectionHeaderSize = 24;
inline constexpr uint32_t kGameSectionCount = 10;
inline constexpr uint32_t kLocationSectionCount = 4;
inline constexpr uint32_t kGameVersion = 257;
inline constexpr uint32_t kLocationVersion = 1;
inline constexpr uint32_t kLocationKind = 2;
// The longest location file name the application holds.
inline constexpr size_t kMaxLocationName = 134;
// The location save list: one entry per location number, at most 16 read.
inline constexpr uint32_t kMaxLocations = 16;
// The control state's versions: 258 writes the whole record, 257 held its first 28 bytes.
inline constexpr uint32_t kControlVersion = 258;
inline constexpr uint32_t kShortControlVersion = 257;
inline constexpr size_t kShortControlSize = 28;

// The 24-byte section header.
void EncodeSectionHeader(uint32_t id, uint32_t size, uint8_t out[kSectionHeaderSize]);

// Reads and checks the header at the start of a file: false with the reason when the bytes are
// short, not a save, a text runs past its field, the location name is over kMaxLocationName or
// the game time is no finite number of days at or above 0.
bool ReadHeader(const uint8_t* data, size_t size, SaveHeader& header, std::string& reason);

// Where the sections start: behind the header, and behind the picture for versions above 256.
size_t SectionsStart(const SaveHeader& header);

// The sections of a file, in file order, as many as its header counts. Each payload is a view of
// exactly the bytes its header gives.
class CSectionWalk {
public:
    // data and size are the whole file, header included; header is what ReadHeader read from it.
    CSectionWalk(const uint8_t* data, size_t size, const SaveHeader& header);
    // The file's bytes from SectionsStart on, and the header's section count.
    CSectionWalk(const uint8_t* sections, size_t size, uint32_t count);

    // The next section: true with its id and payload. False at the end of the count, or with
    // Failed() when the file ends inside a section header or payload (or inside the picture).
    bool Next(uint32_t& id, const uint8_t*& payload, uint32_t& size);
    bool Failed() const { return !m_reason.empty(); }
    const std::string& Reason() const { return m_reason; }
    // Where the picture starts; 0 when the file holds none.
    size_t PictureOffset() const { return m_picture; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at;
    size_t m_picture = 0;
    uint32_t m_left;
    uint32_t m_index = 0;
    std::string m_reason;
};

// Section 9: u32 count, then count u32 values. Takes the first kMaxLocations values and skips the
// rest; false when the payload does not hold count values.
bool ReadLocationList(const uint8_t* payload, uint32_t size, uint32_t values[kMaxLocations], uint32_t& count);

// Section 11: u32 version, then the record (28 bytes for version 257, else 32). False, with the
// record untouched, when the payload is shorter; a short record's tail reads as 0.
bool ReadControlState(const uint8_t* payload, uint32_t size, uint32_t& version, SPlayerControl& record);

// A file written beside its final name as "<name>.tmp" and renamed over it once complete, so a
// failure leaves the old file as it was and no temporary file behind.
class CReplacingFile {
public:
    explicit CReplacingFile(std::string path);
    // A file not committed is closed and its temporary removed.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Opens the temporary file; false when it cannot be made.
    bool Open();
    // False once any write failed.
    bool Write(const void* bytes, size_t n);
    // Closes and renames over the final name; false (temporary removed) on any failure.
    bool Commit();

private:
    void Discard() noexcept;

    std::string m_path;
    std::string m_temp;
    std::FILE* m_file = nullptr;
    bool m_ok = true;
};

} // namespace savefile
