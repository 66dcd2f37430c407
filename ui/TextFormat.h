// FormatText: the one checked formatter for texts of the text table that take values. The
// texts are printf formats read from data, so a format is used only when its conversions match
// the values the caller passes, one for one in count and type.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// An integer fills one of "%d %i %u %x %X %o %c"; a text fills "%s".
using TextValue = std::variant<int64_t, std::string_view>;

// The format filled with the values. Flags, a width and a precision of at most two digits are
// allowed; "%%" is a percent sign. Any other conversion, a "*" or "$", or a count or type that
// differs from the values writes "FormatText: bad format for <key>" to the error log and gives
// the format unformatted.
std::string FormatText(
    std::string_view key, std::string_view format, std::initializer_list<TextValue> values);
