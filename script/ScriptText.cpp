#include "script/ScriptText.h"

#include "platform/win/text.h"

#include <algorithm>

ScriptTextLine NormaliseScriptLine(std::string_view line, std::string& out)
{
    const std::string upper = plat::win::Upper1251(line.substr(0, line.find('\0'))); // a NUL ends the text
    out.clear();
    if (upper.find("INCLUDE") != std::string::npos && (upper.empty() || upper.front() != '/')) {
        std::string_view rest(upper);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
            rest.remove_suffix(1);
        const std::size_t blank = rest.find_last_of(" \t");
        out = std::string(
            blank == std::string_view::npos ? rest.substr(rest.find("INCLUDE") + 7) : rest.substr(blank + 1));
        return ScriptTextLine::Include;
    }
    if (upper.find("//") != std::string::npos)
        return ScriptTextLine::Skip;
    for (const char c : upper) {
        if (c != ' ' && c != '\t' && c != ';')
            out += c;
    }
    return out.empty() ? ScriptTextLine::Skip : ScriptTextLine::Statement;
}

std::vector<std::string> SplitScriptText(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            open = false;
        } else if (c != '\r') {
            current += c;
            open = true;
        } else {
            open = true;
        }
    }
    if (open)
        lines.push_back(std::move(current));
    return lines;
}

bool ScriptTextReader::Read(
    const std::string& name, std::vector<ScriptTextLineAt>& out, ScriptTextFault& fault) const
{
    std::string text;
    if (!read(name, text)) {
        fault = { name, 0, "cannot be read" };
        return false;
    }
    std::vector<std::string> chain { plat::win::Upper1251(name) };
    return ReadFile(name, text, chain, out, fault);
}

bool ScriptTextReader::Fault(ScriptTextFault fault, ScriptTextFault& out) const
{
    if (strict) {
        out = std::move(fault);
        return false;
    }
    if (skipped)
        skipped(fault);
    return true;
}

bool ScriptTextReader::ReadFile(const std::string& name, const std::string& text,
    std::vector<std::string>& chain, std::vector<ScriptTextLineAt>& out, ScriptTextFault& fault) const
{
    const std::vector<std::string> lines = SplitScriptText(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        if (lines[i].size() > kScriptLineMax) {
            if (!Fault({ name, number, "a line over 79 characters" }, fault))
                return false;
            continue;
        }
        std::string normal;
        const ScriptTextLine kind = NormaliseScriptLine(lines[i], normal);
        if (kind == ScriptTextLine::Statement) {
            out.push_back({ normal, name, number });
            continue;
        }
        if (kind != ScriptTextLine::Include)
            continue;
        if (strict && lines[i].find_first_not_of(" \t") != std::string::npos
            && lines[i][lines[i].find_first_not_of(" \t")] == '_') {
            if (!Fault({ name, number, "INCLUDE in a call line" }, fault))
                return false;
        }
        const std::string key = plat::win::Upper1251(normal);
        if (std::find(chain.begin(), chain.end(), key) != chain.end()) {
            if (!Fault({ name, number, "INCLUDE " + normal + " includes itself" }, fault))
                return false;
            continue;
        }
        if (int(chain.size()) > kScriptIncludeDepth) {
            if (!Fault({ name, number, "INCLUDE deeper than 8" }, fault))
                return false;
            continue;
        }
        std::string included;
        if (!read(normal, included)) {
            if (!Fault({ name, number, "INCLUDE " + normal + " cannot be read" }, fault))
                return false;
            continue;
        }
        chain.push_back(key);
        const bool ok = ReadFile(normal, included, chain, out, fault);
        chain.pop_back();
        if (!ok)
            return false;
    }
    return true;
}
