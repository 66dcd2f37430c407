// Whole-file reads and writes of the tests. A read of a missing file is empty; a write makes the
// missing parent folders and throws std::runtime_error when the file cannot be written.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zoq::test {

std::string ReadText(const std::filesystem::path& path);
Bytes ReadBytes(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, std::string_view text);
void WriteBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);
void AppendText(const std::filesystem::path& path, std::string_view text);

} // namespace zoq::test
