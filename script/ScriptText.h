// The text form of a mission script: the lines of a file (Windows-1251) and their includes become
// script lines: upper case, no blanks, tabs or ";", "//" lines and empty lines dropped.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kScriptLineMax = 79; // characters of a line, its end not counted
inline constexpr int kScriptIncludeDepth = 8;

enum class ScriptTextLine { Skip, Include, Statement };

// One line without its end; a NUL ends its text. Statement: out is the script line; Include: out is the file
// named after the line's last blank.
ScriptTextLine NormaliseScriptLine(std::string_view line, std::string& out);

// The lines of a text: LF ends a line, CR is dropped, a last line without its end is kept.
std::vector<std::string> SplitScriptText(std::string_view text);

struct ScriptTextLineAt {
    std::string text;
    std::string file; // the name it was read by
    int line = 0; // from 1
};

struct ScriptTextFault {
    std::string file;
    int line = 0; // 0: the file as a whole
    std::string reason;
};

// Reads a script and its includes. read(name, text) gives a file's bytes by the name the script
// uses (the top name included), false when it is missing. Strict: the first fault ends the read
// (false); a call line holding INCLUDE is one. Otherwise each fault goes to skipped and the read goes on
// without that line or include; only a missing top file fails.
struct ScriptTextReader {
    std::function<bool(const std::string& name, std::string& text)> read;
    std::function<void(const ScriptTextFault& fault)> skipped;
    bool strict = false;

    bool Read(const std::string& name, std::vector<ScriptTextLineAt>& out, ScriptTextFault& fault) const;

private:
    bool ReadFile(const std::string& name, const std::string& text, std::vector<std::string>& chain,
        std::vector<ScriptTextLineAt>& out, ScriptTextFault& fault) const;
    bool Fault(ScriptTextFault fault, ScriptTextFault& out) const;
};
