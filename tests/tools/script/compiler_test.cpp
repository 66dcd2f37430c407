#include "tools/script/script_compiler.h"

#include "foundation/ByteOrder.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoq::test::ReadBytes;
using zoq::test::WriteBytes;
using zoq::test::WriteText;
namespace script = zoq::tools::script;

Bytes Words(std::initializer_list<uint32_t> words)
{
    Bytes out;
    for (const uint32_t word : words)
        AppendLE(out, word);
    return out;
}

void Append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

class CompilerTest : public zoq::test::TempDirTest {
protected:
    bool Compile(const std::string& source, std::vector<std::string>& lines, std::string& error)
    {
        WriteText(m_dir / "main.scr", source);
        return script::CompileScript(m_dir / "main.scr", m_dir, lines, error);
    }

    struct Result {
        int code = -1;
        std::string out;
        std::string err;
    };
    Result Tool(const std::vector<std::string>& args)
    {
        zoq::test::ChildProcess child;
        Result result;
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        if (!child.Start(ZOQ_PROGRAM_SCRIPT, args, options))
            return result;
        EXPECT_TRUE(child.Finish(20000, result.code));
        result.out = child.Stdout();
        result.err = child.Stderr();
        return result;
    }
};

TEST_F(CompilerTest, twoProceduresStoreAsTheirExactBytes)
{
    std::vector<std::string> lines;
    std::string error;
    ASSERT_TRUE(Compile("proc A\n  _info( k )\nend\n\n// second\nPROC B()\nRETURN\n", lines, error)) << error;
    EXPECT_EQ(lines, (std::vector<std::string> { "PROCA", "_INFO(K)", "END", "PROCB()", "RETURN" }));
    const std::string text = std::string("PROCA\0_INFO(K)\0END\0PROCB()\0RETURN\0", 34);
    Bytes expected = Words({ 34, 34, 5 });
    expected.insert(expected.end(), text.begin(), text.end());
    Append(expected, Words({ 5, 0, 6, 15, 19, 27 }));
    EXPECT_EQ(script::StoreScript(lines), expected);
}

TEST_F(CompilerTest, eachErrorNamesItsFileAndLine)
{
    WriteText(m_dir / "inc" / "self.inc", "INCLUDE inc/self.inc\n");
    WriteText(m_dir / "inc" / "bad.inc", "_INFO(A)\n_NOPE()\n");
    const std::string longLine = "_INFO(" + std::string(74, 'X') + ")";
    std::string many = "_INFO(";
    for (int i = 0; i < 11; ++i)
        many += (i ? "," : "") + std::string("A");
    struct Case {
        std::string source;
        std::string error;
    };
    const std::vector<Case> cases = {
        { "_INFO(A)\n" + longLine + "\n", "main.scr:2: a line over 79 characters" },
        { "INCLUDE inc/none.inc\n", "main.scr:1: INCLUDE INC/NONE.INC cannot be read" },
        { "INCLUDE inc/self.inc\n", "self.inc:1: INCLUDE INC/SELF.INC includes itself" },
        { "INCLUDE inc/bad.inc\n", "bad.inc:2: no command NOPE" },
        { "PROC A\n{\n_INFO(A)\n", "main.scr:2: \"{\" without \"}\"" },
        { "PROC A\n}\n", "main.scr:2: \"}\" without \"{\"" },
        { "IF(A)\n_INFO(A)\n", "main.scr:1: IF not followed by \"{\"" },
        { "IF(A)\n{\n}\nELSE\n_INFO(B)\n", "main.scr:4: ELSE not followed by \"{\"" },
        { "_INFO\n", "main.scr:1: a call without \"(\" or \")\"" },
        { "_INFO(A\n", "main.scr:1: a call without \"(\" or \")\"" },
        { many + ")\n", "main.scr:1: more than 10 arguments" },
        { "_SETPOLITICS(A)\n", "main.scr:1: no command SETPOLITICS" },
        { "IF(_NOPE(1)&B)\n{\n}\n", "main.scr:1: no command NOPE" },
        { "_INFO(NORETURN)\n", "main.scr:1: RETURN in a call line" },
        { "_INFO(INCLUDE)\n", "main.scr:1: INCLUDE in a call line" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        std::vector<std::string> lines;
        std::string error;
        EXPECT_FALSE(Compile(c.source, lines, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    std::string deep;
    for (int i = 0; i < 10; ++i)
        WriteText(m_dir / ("d" + std::to_string(i) + ".inc"), "INCLUDE d" + std::to_string(i + 1) + ".inc\n");
    WriteText(m_dir / "d10.inc", "_INFO(A)\n");
    std::vector<std::string> lines;
    std::string error;
    EXPECT_FALSE(Compile("INCLUDE d0.inc\n", lines, error));
    EXPECT_NE(error.find("d7.inc:1: INCLUDE deeper than 8"), std::string::npos) << error;
}

TEST_F(CompilerTest, storedFormsAreReadOrRefused)
{
    script::StoredScript stored;
    std::string error;
    // A hand-made file: a larger buffer and two spare offsets.
    Bytes bytes = Words({ 20, 6, 2 });
    for (const char c : std::string("AB\0CD\0", 6))
        bytes.push_back(uint8_t(c));
    Append(bytes, Words({ 4, 0, 3, 0, 0 }));
    ASSERT_TRUE(script::ReadStoredScript(bytes, stored, error)) << error;
    EXPECT_EQ(stored.buffer, 20u);
    EXPECT_EQ(stored.capacity, 4u);
    EXPECT_EQ(stored.lines, (std::vector<std::string> { "AB", "CD" }));
    WriteBytes(m_dir / "hand.bin", bytes);
    const Result dump = Tool({ "dump", "hand.bin" });
    EXPECT_EQ(dump.code, 0);
    EXPECT_EQ(dump.out, "script\tlines=2\tused=6\tbuffer=20\tcapacity=4\n0\tAB\n1\tCD\n");

    std::vector<uint8_t> badOffset = bytes;
    badOffset[3 * 4 + 6 + 8] = 2;
    std::vector<uint8_t> shortFile(bytes.begin(), bytes.begin() + 10);
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    for (const auto& bad : { badOffset, shortFile, longer })
        EXPECT_FALSE(script::ReadStoredScript(bad, stored, error));
    WriteBytes(m_dir / "bad.bin", badOffset);
    const Result refused = Tool({ "dump", "bad.bin" });
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "zoq-script: bad.bin: line 1 is not where its offset says\n");
}

TEST_F(CompilerTest, makeDumpAndTraceWorkTogether)
{
    WriteText(m_dir / "src" / "include" / "common.inc", "PROC SHARED\n_KNOW(S)\nEND\n");
    WriteText(m_dir / "src" / "Q.qst",
        "PROC GO\nIF(_PLAYERINORG(ORG_A,3)&!DONE)\n{\n  _INFO(ДА, 2)\n}\nELSE\n{\n_JOURNAL(NO)\n}\n"
        "IF(A!B)\n{\n}\n_SETEVENT(DONE)\nEND\nINCLUDE include/common.inc\n");
    Result made = Tool({ "make", "src/Q.qst", "out/Q.bin" });
    ASSERT_EQ(made.code, 1); // no folder out/
    std::filesystem::create_directories(m_dir / "out");
    made = Tool({ "make", "src/Q.qst", "out/Q.bin" });
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.out + made.err, "");
    const Result dump = Tool({ "dump", "out/Q.bin" });
    EXPECT_NE(dump.out.find("3\t_INFO(ДА,2)\n"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("16\tEND\n"), std::string::npos) << dump.out;

    const Result trace = Tool({ "trace", "out/Q.bin", "GO", "--false", "playerinorg" });
    EXPECT_EQ(trace.code, 0) << trace.err;
    EXPECT_EQ(trace.out,
        "call\tPLAYERINORG\t2\tORG_A\t3\nif\t0\ncall\tJOURNAL\t1\tNO\nif\t0\ncall\tSETEVENT\t1\tDONE\n"
        "logged\t1\n");
    const Result other = Tool({ "trace", "out/Q.bin", "GO", "--event", "done", "--event", "B" });
    EXPECT_EQ(other.out,
        "call\tPLAYERINORG\t2\tORG_A\t3\nif\t0\ncall\tJOURNAL\t1\tNO\nif\t0\ncall\tSETEVENT\t1\tDONE\n"
        "logged\t1\n");
    EXPECT_EQ(Tool({ "trace", "out/Q.bin", "GO", "--event" }).code, 2);
    const Result shared = Tool({ "trace", "out/Q.bin", "SHARED" });
    EXPECT_EQ(shared.out, "call\tKNOW\t1\tS\nlogged\t0\n");
    const Result top = Tool({ "trace", "out/Q.bin", "-" });
    EXPECT_NE(top.out.find("call\tINFO\t2\tДА\t2\n"), std::string::npos) << top.out;

    const Result refused = Tool({ "make", "src/include/common.inc", "out/X.bin", "--root" });
    EXPECT_EQ(refused.code, 2);
    WriteText(m_dir / "src" / "bad.scr", "_INFO(A)\n_NOPE(B)\n");
    const Result bad = Tool({ "make", "src/bad.scr", "out/bad.bin" });
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "zoq-script: src/bad.scr:2: no command NOPE\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "out" / "bad.bin"));
}

} // namespace
