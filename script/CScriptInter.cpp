#include "script/CScriptInter.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "platform/win/paths.h"
#include "script/ScriptText.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool ReadHostFile(const std::string& path, std::string& text)
{
    std::FILE* file = plat::win::OpenFile(path, "rb");
    if (!file)
        return false;
    char buffer[4096];
    std::size_t n = 0;
    text.clear();
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    std::fclose(file);
    return true;
}

bool Equal(const char* line, const char* word)
{
    return std::strcmp(line, word) == 0;
}

} // namespace

CScriptInter::Run::Run()
{
    arguments.Init(kMaxArguments, kArgumentBytes);
}

CScriptInter::CScriptInter() = default;

bool CScriptInter::LoadScript(const char* path, XStringTable& table, bool fromRoot)
{
    ZJ_TRACE("CScriptInter::LoadScript");
    const std::string folder = BaseDirectory() + "SCRIPT\\";
    ScriptTextReader reader;
    reader.read = [&](const std::string& name, std::string& text) {
        return ReadHostFile(fromRoot && name == path ? name : folder + name, text);
    };
    reader.skipped = [](const ScriptTextFault& fault) {
        WriteErrorLog("CScriptInter::LoadScript " + fault.file + ":" + std::to_string(fault.line) + ": "
            + fault.reason + ": skipped");
    };
    std::vector<ScriptTextLineAt> lines;
    ScriptTextFault fault;
    if (!reader.Read(path ? path : "", lines, fault))
        return false;
    if (fromRoot)
        table.Init(800, 16000);
    for (const ScriptTextLineAt& line : lines) {
        if (table.Count() == table.Capacity())
            table.Grow(table.Capacity() / 2 + 1, 0);
        table.Add(line.text.c_str());
    }
    return true;
}

bool CScriptInter::IsEventSet(const char* name)
{
    (void)name;
    return false;
}

bool CScriptInter::RunFunction(const char* name, XStringTable& arguments)
{
    (void)name;
    (void)arguments;
    return true;
}

int CScriptInter::GetFunction(const char* line)
{
    ZJ_TRACE("CScriptInter::GetFunction");
    Run& run = *m_run;
    run.arguments.Init(kMaxArguments, kArgumentBytes);
    run.name[0] = '\0';
    if (!line || line[0] != '_' || std::strlen(line) < 2)
        return -1;
    const char* open = std::strchr(line, '(');
    if (!open)
        return -1;
    const std::size_t nameLength = std::size_t(open - line - 1);
    if (nameLength >= kNameSize) {
        WriteErrorLog(std::string("CScriptInter::GetFunction name too long: ") + line);
        return -1;
    }
    std::memcpy(run.name, line + 1, nameLength);
    run.name[nameLength] = '\0';
    std::string work;
    for (const char* c = open + 1; *c; ++c) {
        if (*c == ',' || *c == ')') {
            if (run.arguments.UsedBytes() + work.size() + 1 > kArgumentBytes)
                throw XRangeError();
            run.arguments.Add(work.c_str());
            work.clear();
        } else {
            work += *c;
        }
    }
    int sum = 0;
    for (std::size_t i = 0; i < nameLength; ++i)
        sum += static_cast<signed char>(run.name[i]);
    return sum;
}

bool CScriptInter::CallFunction(const char* line)
{
    if (GetFunction(line) == -1)
        return false;
    RunFunction(m_run->name, m_run->arguments);
    return true;
}

bool CScriptInter::Operand(const char* text)
{
    if (GetFunction(text) != -1)
        return RunFunction(m_run->name, m_run->arguments);
    return IsEventSet(text);
}

bool CScriptInter::CheckCondition(const char* line)
{
    ZJ_TRACE("CScriptInter::CheckCondition");
    const char* open = std::strchr(line, '(');
    const std::size_t length = std::strlen(line);
    if (!open || std::size_t(open - line) + 1 >= length)
        return false;
    const std::size_t size = length - std::size_t(open - line) - 2; // up to the last character
    if (size >= kConditionSize) {
        WriteErrorLog(std::string("CScriptInter::CheckCondition condition too long: ") + line);
        return false;
    }
    const std::string condition(open + 1, size);
    const auto side = [this](std::string operand) {
        const bool negate = !operand.empty() && operand.front() == '!';
        if (negate)
            operand.erase(0, 1);
        return Operand(operand.c_str()) != negate;
    };
    for (const char op : { '&', '|' }) {
        const std::size_t at = condition.find(op);
        if (at == std::string::npos)
            continue;
        const bool left = side(condition.substr(0, at));
        const bool right = side(condition.substr(at + 1));
        return op == '&' ? left && right : left || right;
    }
    const std::size_t bang = condition.find('!');
    if (bang == std::string::npos)
        return Operand(condition.c_str());
    if (bang != 0) {
        WriteErrorLog("CScriptInter::CheckCondition Logical error");
        return false;
    }
    return !Operand(condition.c_str() + 1);
}

void CScriptInter::SkipBlock(const XStringTable& table)
{
    int nested = 1;
    while (m_run->line < table.Count() && nested > 0) {
        const char* line = table.GetString(m_run->line++);
        if (Equal(line, "{"))
            ++nested;
        else if (Equal(line, "}"))
            --nested;
    }
}

bool CScriptInter::RunBlock(XStringTable& table)
{
    ZJ_TRACE("CScriptInter::RunBlock");
    Run& run = *m_run;
    const char* line = table.GetString(run.line++);
    if (Equal(line, "{")) {
        ++run.depth;
        return true;
    }
    if (Equal(line, "}")) {
        --run.depth;
        return true;
    }
    if (Equal(line, "ELSE")) {
        if (run.line >= table.Count() || !Equal(table.GetString(run.line++), "{"))
            return false;
        SkipBlock(table);
        return true;
    }
    if (std::strncmp(line, "IF", 2) == 0) {
        const bool result = CheckCondition(line);
        OnCondition(result);
        if (run.line >= table.Count() || !Equal(table.GetString(run.line++), "{"))
            return false;
        if (result) {
            ++run.depth;
            return true;
        }
        SkipBlock(table);
        if (run.line >= table.Count() || !Equal(table.GetString(run.line), "ELSE"))
            return true;
        ++run.line;
        if (run.line >= table.Count() || !Equal(table.GetString(run.line++), "{"))
            return false;
        ++run.depth;
        return true;
    }
    if (GetFunction(line) == -1)
        return false;
    RunFunction(run.name, run.arguments);
    return true;
}

bool CScriptInter::RunScript(XStringTable& table, const char* procedure)
{
    ZJ_TRACE("CScriptInter::RunScript");
    Run run;
    Run* const outer = m_run;
    m_run = &run;
    struct Restore {
        CScriptInter& self;
        Run* outer;
        ~Restore() { self.m_run = outer; }
    } restore { *this, outer };
    if (procedure) {
        std::string header = std::string("PROC") + procedure;
        int at = table.Find(header.c_str());
        if (at < 0)
            at = table.Find((header + "()").c_str());
        if (at < 0) {
            m_found = false;
            return true;
        }
        run.line = at + 1;
    }
    while (run.line < table.Count()) {
        const char* line = table.GetString(run.line);
        if (Equal(line, "END") || std::strstr(line, "RETURN"))
            break;
        RunBlock(table);
    }
    m_found = true; // after the nested runs this one made
    return true;
}
