// CScriptInter: runs mission scripts, tables of statement lines. It finds a procedure, walks its
// lines, evaluates IF conditions, skips blocks and hands each call line "_NAME(args)" to
// RunFunction; it knows no commands itself. Every run keeps its own cursor, depth and arguments,
// so a command may start another run (of the same or another script) and the outer one goes on
// where it was.
#pragma once

#include "foundation/XStringTable.h"

#include <cstddef>
#include <cstdint>

class CScriptInter {
public:
    static constexpr int kMaxArguments = 10;
    static constexpr uint32_t kArgumentBytes = 8000;
    static constexpr std::size_t kNameSize = 80;
    static constexpr std::size_t kConditionSize = 81;

    CScriptInter();
    virtual ~CScriptInter() = default;
    CScriptInter(const CScriptInter&) = delete;
    CScriptInter& operator=(const CScriptInter&) = delete;

    // Reads a text script into table: base directory + "SCRIPT\" + path, or with fromRoot the path
    // itself into an emptied table. False when the file is missing. Includes nest at most 8 deep
    // and never in a cycle; a refused include or a line over 79 characters is logged and skipped.
    virtual bool LoadScript(const char* path, XStringTable& table, bool fromRoot);
    virtual bool IsEventSet(const char* name);
    // Runs one procedure ("PROC" + name or "PROC" + name + "()"); a null name runs from line 0.
    virtual bool RunScript(XStringTable& table, const char* procedure);
    virtual bool RunFunction(const char* name, XStringTable& arguments);

    // A call line: -1 when it is none (no leading "_", shorter than 2, no "(", a name over 79
    // characters: logged); else stores name and arguments and returns the name's byte sum.
    int GetFunction(const char* line);
    // GetFunction, then RunFunction; false when the line is no call (the command's result is dropped).
    bool CallFunction(const char* line);
    bool CheckCondition(const char* line);
    // Runs the statement at the current line of the current run.
    bool RunBlock(XStringTable& table);

    // Whether the last RunScript found its procedure (a null procedure always does).
    bool ProcedureFound() const { return m_found; }
    const char* FunctionName() const { return m_run->name; }
    XStringTable& Arguments() { return m_run->arguments; }

protected:
    struct Run {
        Run();
        int line = 0;
        int depth = 0;
        XStringTable arguments;
        char name[kNameSize] = {};
    };

    // Told the result of every IF statement run.
    virtual void OnCondition(bool result) { (void)result; }

private:
    bool Operand(const char* text);
    // Moves the current line past the block whose "{" was just read.
    void SkipBlock(const XStringTable& table);

    Run m_idle; // the state of calls made outside a run
    Run* m_run = &m_idle;
    bool m_found = false;
};
