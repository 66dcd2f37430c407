#include "tools/script/script_compiler.h"

#include "foundation/ByteOrder.h"
#include "platform/win/file.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"
#include "script/CScriptInter.h"
#include "script/ScriptCommands.h"
#include "script/ScriptText.h"
#include "tools/data/strict_text.h"

#include <cstring>
#include <map>

namespace zoq::tools::script {
namespace {

struct Checked {
    const ScriptTextLineAt& at;
    std::string& error;

    bool Fail(const std::string& reason) const
    {
        error = at.file + ":" + std::to_string(at.line) + ": " + reason;
        return false;
    }
};

// A call "_NAME(arguments)": its name and arguments checked.
bool CheckCall(const std::string& call, const Checked& at)
{
    const std::size_t open = call.find('(');
    if (open == std::string::npos || call.find(')') == std::string::npos)
        return at.Fail("a call without \"(\" or \")\"");
    const std::string name = call.substr(1, open - 1);
    if (!FindScriptCommand(name))
        return at.Fail("no command " + plat::win::Cp1251ToUtf8(name));
    if (call.find("RETURN") != std::string::npos)
        return at.Fail("RETURN in a call line");
    int count = 0;
    std::size_t bytes = 0;
    std::size_t argument = 0;
    for (std::size_t i = open + 1; i < call.size(); ++i) {
        if (call[i] == ',' || call[i] == ')') {
            ++count;
            bytes += argument + 1;
            argument = 0;
        } else {
            ++argument;
        }
    }
    if (count > CScriptInter::kMaxArguments)
        return at.Fail("more than 10 arguments");
    if (bytes > CScriptInter::kArgumentBytes)
        return at.Fail("more than 8000 bytes of arguments");
    return true;
}

bool CheckCondition(const std::string& line, const Checked& at)
{
    const std::size_t open = line.find('(');
    if (open == std::string::npos || line.back() != ')')
        return at.Fail("a condition without \"(\" or \")\"");
    const std::string condition = line.substr(open + 1, line.size() - open - 2);
    if (condition.size() >= CScriptInter::kConditionSize)
        return at.Fail("a condition over 80 characters");
    const std::size_t split = condition.find_first_of(condition.find('&') != std::string::npos ? "&" : "|");
    for (const std::string& operand : { condition.substr(0, split),
             split == std::string::npos ? std::string() : condition.substr(split + 1) }) {
        std::string text = operand;
        if (!text.empty() && text.front() == '!')
            text.erase(0, 1);
        if (!text.empty() && text.front() == '_' && !CheckCall(text, at))
            return false;
    }
    return true;
}

bool CheckLines(const std::vector<ScriptTextLineAt>& lines, std::string& error)
{
    std::vector<const ScriptTextLineAt*> open;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i].text;
        const Checked at { lines[i], error };
        const bool next = i + 1 < lines.size() && lines[i + 1].text == "{";
        if (line == "{") {
            open.push_back(&lines[i]);
        } else if (line == "}") {
            if (open.empty())
                return at.Fail("\"}\" without \"{\"");
            open.pop_back();
        } else if (line == "ELSE") {
            if (!next)
                return at.Fail("ELSE not followed by \"{\"");
        } else if (line.rfind("IF", 0) == 0) {
            if (!next)
                return at.Fail("IF not followed by \"{\"");
            if (!CheckCondition(line, at))
                return false;
        } else if (line.front() == '_') {
            if (!CheckCall(line, at))
                return false;
        }
    }
    if (!open.empty())
        return Checked { *open.back(), error }.Fail("\"{\" without \"}\"");
    return true;
}

} // namespace

bool CompileScript(const std::filesystem::path& source, const std::filesystem::path& root,
    std::vector<std::string>& lines, std::string& error)
{
    const std::string top = source.string();
    std::string notText; // a file that is not UTF-8 of Windows-1251 characters
    std::map<std::string, std::string> shown; // include name -> its path
    ScriptTextReader reader;
    reader.strict = true;
    reader.read = [&](const std::string& name, std::string& text) {
        std::string path = name;
        if (name != top) {
            const auto resolved = plat::win::ResolvePathIn(root.string(), plat::win::Cp1251ToUtf8(name));
            if (!resolved)
                return false;
            path = *resolved;
            shown[name] = path;
        }
        std::vector<uint8_t> bytes;
        if (plat::win::ReadWholeFile(path, bytes) != plat::win::FileResult::Ok)
            return false;
        if (!data::StrictUtf8ToCp1251(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), text)) {
            notText = name;
            return false;
        }
        return true;
    };
    std::vector<ScriptTextLineAt> read;
    ScriptTextFault fault;
    if (!reader.Read(top, read, fault)) {
        const std::size_t cannot = fault.reason.find("cannot be read");
        if (!notText.empty() && cannot != std::string::npos)
            fault.reason.replace(cannot, std::string::npos, "is not UTF-8 text of Windows-1251 characters");
        const auto path = shown.find(fault.file);
        error = (path == shown.end() ? plat::win::Cp1251ToUtf8(fault.file) : path->second) + ":"
            + std::to_string(fault.line) + ": " + plat::win::Cp1251ToUtf8(fault.reason);
        return false;
    }
    for (ScriptTextLineAt& line : read) {
        const auto path = shown.find(line.file);
        line.file = path == shown.end() ? plat::win::Cp1251ToUtf8(line.file) : path->second;
    }
    if (!CheckLines(read, error))
        return false;
    lines.clear();
    for (const ScriptTextLineAt& line : read)
        lines.push_back(line.text);
    return true;
}

std::vector<uint8_t> StoreScript(const std::vector<std::string>& lines)
{
    std::string text;
    std::vector<uint32_t> offsets;
    for (const std::string& line : lines) {
        offsets.push_back(uint32_t(text.size()));
        text += line;
        text += '\0';
    }
    std::vector<uint8_t> out;
    const auto put = [&out](uint32_t value) {
        uint8_t word[4];
        StoreLE(word, value);
        out.insert(out.end(), word, word + 4);
    };
    put(uint32_t(text.size()));
    put(uint32_t(text.size()));
    put(uint32_t(lines.size()));
    out.insert(out.end(), text.begin(), text.end());
    put(uint32_t(offsets.size()));
    for (const uint32_t offset : offsets)
        put(offset);
    return out;
}

bool ReadStoredScript(const std::vector<uint8_t>& bytes, StoredScript& script, std::string& error)
{
    std::size_t at = 0;
    const auto get = [&](uint32_t& value) {
        if (bytes.size() - at < 4)
            return false;
        value = LoadLE<uint32_t>(bytes.data() + at);
        at += 4;
        return true;
    };
    uint32_t count = 0;
    if (!get(script.buffer) || !get(script.used) || !get(count)) {
        error = "shorter than its header";
        return false;
    }
    if (script.used > script.buffer || script.used > bytes.size() - at) {
        error = "the text does not fit";
        return false;
    }
    const char* text = reinterpret_cast<const char*>(bytes.data() + at);
    at += script.used;
    if (!get(script.capacity) || script.capacity < count
        || uint64_t(script.capacity) * 4 != bytes.size() - at) {
        error = "the offsets do not fit";
        return false;
    }
    script.lines.clear();
    uint32_t expected = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        get(offset);
        const void* end
            = offset < script.used ? std::memchr(text + offset, 0, script.used - offset) : nullptr;
        if (offset != expected || !end) {
            error = "line " + std::to_string(i) + " is not where its offset says";
            return false;
        }
        script.lines.emplace_back(text + offset);
        expected = offset + uint32_t(script.lines.back().size()) + 1;
    }
    if (expected != script.used) {
        error = "the text holds more than its lines";
        return false;
    }
    return true;
}

} // namespace zoq::tools::script
