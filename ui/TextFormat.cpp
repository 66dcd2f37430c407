#include "ui/TextFormat.h"

#include "foundation/ErrorLog.h"

#include <cstdio>
#include <optional>

namespace {

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kIntegerConversions = "diuxXoc";
constexpr std::size_t kMaxDigits = 2;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Skips up to kMaxDigits digits; false when more follow.
bool SkipDigits(std::string_view format, std::size_t& at)
{
    std::size_t digits = 0;
    while (at < format.size() && IsDigit(format[at])) {
        ++at;
        if (++digits > kMaxDigits)
            return false;
    }
    return true;
}

std::string Convert(std::string_view spec, char conversion, const TextValue& value)
{
    std::string pattern(spec);
    char buffer[256];
    int length = 0;
    if (conversion == 's') {
        const std::string text(std::get<std::string_view>(value));
        pattern += 's';
        length = std::snprintf(buffer, sizeof buffer, pattern.c_str(), text.c_str());
        if (length >= int(sizeof buffer)) {
            std::string whole(std::size_t(length) + 1, '\0');
            std::snprintf(whole.data(), whole.size(), pattern.c_str(), text.c_str());
            whole.pop_back();
            return whole;
        }
    } else if (conversion == 'c') {
        pattern += 'c';
        length = std::snprintf(buffer, sizeof buffer, pattern.c_str(), int(std::get<int64_t>(value)));
    } else {
        pattern += "ll";
        pattern += conversion;
        length = std::snprintf(buffer, sizeof buffer, pattern.c_str(), (long long)std::get<int64_t>(value));
    }
    return std::string(buffer, std::size_t(length < 0 ? 0 : length));
}

std::optional<std::string> Fill(std::string_view format, std::initializer_list<TextValue> values)
{
    std::string out;
    const TextValue* next = values.begin();
    std::size_t at = 0;
    while (at < format.size()) {
        const char c = format[at++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (at < format.size() && format[at] == '%') {
            out += '%';
            ++at;
            continue;
        }
        const std::size_t start = at - 1;
        while (at < format.size() && kFlags.find(format[at]) != std::string_view::npos)
            ++at;
        if (!SkipDigits(format, at))
            return std::nullopt;
        if (at < format.size() && format[at] == '.') {
            ++at;
            if (!SkipDigits(format, at))
                return std::nullopt;
        }
        if (at >= format.size() || next == values.end())
            return std::nullopt;
        const char conversion = format[at++];
        const bool isText = std::holds_alternative<std::string_view>(*next);
        if (conversion == 's' ? !isText
                              : (isText || kIntegerConversions.find(conversion) == std::string_view::npos))
            return std::nullopt;
        out += Convert(format.substr(start, at - 1 - start), conversion, *next++);
    }
    if (next != values.end())
        return std::nullopt;
    return out;
}

} // namespace

std::string FormatText(std::string_view key, std::string_view format, std::initializer_list<TextValue> values)
{
    if (std::optional<std::string> text = Fill(format, values))
        return *std::move(text);
    std::string line = "FormatText: bad format for ";
    line += key;
    WriteErrorLog(line);
    return std::string(format);
}
