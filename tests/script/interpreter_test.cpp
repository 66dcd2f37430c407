#include "script/CScriptInter.h"

#include "tests/support/error_log_test.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Commands that record "NAME(a,b)" and answer true unless named false; events as given.
class Recorder : public CScriptInter {
public:
    std::set<std::string> events;
    std::set<std::string> falseCalls;
    std::vector<std::string> calls;

    bool IsEventSet(const char* name) override
    {
        calls.push_back(std::string("?") + name);
        return events.count(name) > 0;
    }
    bool RunFunction(const char* name, XStringTable& arguments) override
    {
        std::string call = std::string(name) + "(";
        for (int i = 0; i < arguments.Count(); ++i)
            call += (i ? "," : "") + std::string(arguments.GetString(i));
        calls.push_back(call + ")");
        return falseCalls.count(name) == 0;
    }
};

void Fill(XStringTable& table, const std::vector<std::string>& lines)
{
    table.Init(int(lines.size()) + 1, 1000);
    for (const std::string& line : lines)
        table.Add(line.c_str());
}

struct Case {
    const char* what;
    std::vector<std::string> lines;
    const char* procedure;
    std::set<std::string> events;
    std::set<std::string> falseCalls;
    std::vector<std::string> calls;
    int logged = 0;
};

class InterpreterTest : public zoq::test::ErrorLogTest { };

TEST_F(InterpreterTest, runsStatementsAsTheTableSays)
{
    const std::vector<Case> cases = {
        { "both operands of & run, left first", { "PROCP", "IF(_A(1)&!_B(2))", "{", "_T()", "}", "END" }, "P",
            {}, { "B" }, { "A(1)", "B(2)", "T()" } },
        { "& with the right operand true fails the negation",
            { "PROCP", "IF(_A(1)&!_B(2))", "{", "_T()", "}" }, "P", {}, {}, { "A(1)", "B(2)" } },
        { "& takes precedence: X|Y is one event name", { "PROCP", "IF(X|Y&Z)", "{", "_T()", "}" }, "P",
            { "X|Y", "Z" }, {}, { "?X|Y", "?Z", "T()" } },
        { "| of events", { "PROCP", "IF(X|Y)", "{", "_T()", "}" }, "P", { "Y" }, {}, { "?X", "?Y", "T()" } },
        { "a ! inside is a logical error", { "PROCP", "IF(A!B)", "{", "_T()", "}", "_U()" }, "P", { "A" }, {},
            { "U()" }, 1 },
        { "a leading ! negates", { "PROCP", "IF(!A)", "{", "_T()", "}" }, "P", {}, {}, { "?A", "T()" } },
        { "IF followed by a call consumes it", { "PROCP", "IF(A)", "_T()", "_U()" }, "P", { "A" }, {},
            { "?A", "U()" } },
        { "IF false without ELSE goes on after the block",
            { "PROCP", "IF(A)", "{", "_T()", "{", "}", "}", "_U()" }, "P", {}, {}, { "?A", "U()" } },
        { "IF false picks up the ELSE block",
            { "PROCP", "IF(A)", "{", "_T()", "}", "ELSE", "{", "_E()", "}", "_U()" }, "P", {}, {},
            { "?A", "E()", "U()" } },
        { "IF true skips the ELSE block",
            { "PROCP", "IF(A)", "{", "_T()", "}", "ELSE", "{", "_E()", "}", "_U()" }, "P", { "A" }, {},
            { "?A", "T()", "U()" } },
        { "RETURN inside an argument ends the procedure", { "PROCP", "_A()", "_INFO(NORETURN)", "_B()" }, "P",
            {}, {}, { "A()" } },
        { "empty parentheses pass one empty argument", { "PROCP", "_F()" }, "P", {}, {}, { "F()" } },
        { "text after the last ) is dropped", { "PROCP", "_F(A,B)X", "_G(A,B" }, "P", {}, {},
            { "F(A,B)", "G(A)" } },
        { "a missing END runs on into the next procedure", { "PROCP", "_A()", "PROCQ", "_B()", "END" }, "P",
            {}, {}, { "A()", "B()" } },
        { "a call without ( is no call", { "PROCP", "_NAME", "_A()" }, "P", {}, {}, { "A()" } },
        { "a header on line 0 runs", { "PROCP", "_A()", "END" }, "P", {}, {}, { "A()" } },
        { "a header with () is found", { "X", "PROCP()", "_A()", "END" }, "P", {}, {}, { "A()" } },
        { "a null procedure runs from line 0", { "_A()", "PROCP", "_B()", "END", "_C()" }, nullptr, {}, {},
            { "A()", "B()" } },
        { "a missing procedure runs nothing", { "X", "PROCP", "_A()" }, "Q", {}, {}, {} },
        { "a condition over 80 characters is false",
            { "PROCP", "IF(" + std::string(81, 'A') + ")", "{", "_T()", "}" }, "P", { std::string(81, 'A') },
            {}, {}, 1 },
        { "a name over 79 characters is no call", { "PROCP", "_" + std::string(80, 'N') + "()", "_A()" }, "P",
            {}, {}, { "A()" }, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = LogLineCount("");
        Recorder recorder;
        recorder.events = c.events;
        recorder.falseCalls = c.falseCalls;
        XStringTable table;
        Fill(table, c.lines);
        recorder.RunScript(table, c.procedure);
        EXPECT_EQ(recorder.calls, c.calls);
        EXPECT_EQ(LogLineCount("") - before, c.logged);
    }
}

TEST_F(InterpreterTest, reportsWhetherTheProcedureWasFound)
{
    Recorder recorder;
    XStringTable table;
    Fill(table, { "PROCP", "_A()", "END" });
    recorder.RunScript(table, "P");
    EXPECT_TRUE(recorder.ProcedureFound());
    recorder.RunScript(table, "Q");
    EXPECT_FALSE(recorder.ProcedureFound());
    recorder.RunScript(table, nullptr);
    EXPECT_TRUE(recorder.ProcedureFound());
}

TEST_F(InterpreterTest, tooManyArgumentsRaiseTheRangeErrorWithTheTrace)
{
    Recorder recorder;
    XStringTable table;
    Fill(table, { "PROCP", "_F(1,2,3,4,5,6,7,8,9,10,11)" });
    EXPECT_ANY_THROW(recorder.RunScript(table, "P"));
    EXPECT_NE(std::string(CallTraceText())
                  .find("CScriptInter::GetFunction->CScriptInter::RunBlock->CScriptInter::RunScript"),
        std::string::npos);
    Fill(table, { "PROCP", "_F(" + std::string(8000, 'A') + ")" });
    EXPECT_ANY_THROW(recorder.RunScript(table, "P"));
}

TEST_F(InterpreterTest, callFunctionDropsTheCommandsResult)
{
    Recorder recorder;
    recorder.falseCalls = { "F" };
    EXPECT_TRUE(recorder.CallFunction("_F(1)"));
    EXPECT_FALSE(recorder.CallFunction("F(1)"));
    EXPECT_EQ(recorder.calls, (std::vector<std::string> { "F(1)" }));
}

// A command that starts another run keeps the outer run's place, depth and arguments.
class Nesting : public Recorder {
public:
    XStringTable inner;
    bool RunFunction(const char* name, XStringTable& arguments) override
    {
        const std::string first = arguments.Count() ? arguments.GetString(0) : "";
        Recorder::RunFunction(name, arguments);
        if (std::string(name) == "RUN")
            RunScript(inner, "IN");
        calls.push_back(std::string("after ") + name + " " + first + " "
            + (arguments.Count() ? arguments.GetString(0) : ""));
        return true;
    }
};

TEST_F(InterpreterTest, aNestedRunLeavesTheOuterRunWhereItWas)
{
    Nesting nesting;
    Fill(nesting.inner, { "X", "X", "X", "PROCIN", "IF(_C(9))", "{", "_D(8)", "}", "END" });
    XStringTable outer;
    Fill(outer, { "PROCOUT", "IF(E)", "{", "_RUN(1)", "}", "ELSE", "{", "_NO()", "}", "_AFTER(2)", "END" });
    nesting.events = { "E" };
    nesting.RunScript(outer, "OUT");
    EXPECT_EQ(nesting.calls,
        (std::vector<std::string> { "?E", "RUN(1)", "C(9)", "after C 9 9", "D(8)", "after D 8 8",
            "after RUN 1 1", "AFTER(2)", "after AFTER 2 2" }));
}

} // namespace
