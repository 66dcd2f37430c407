// zoq-script make SOURCE OUT [--root DIR]: compiles a readable script (includes under DIR, by
// default SOURCE's folder) into the stored form; silent on success.
// zoq-script dump FILE: prints a stored script's header and its lines.
// zoq-script trace FILE PROC|- [--event NAME]... [--false NAME]...: runs a procedure (- : from
// line 0) with commands that only record their calls, and prints each IF result, each call and
// the count of error-log lines the run added.
#include "foundation/ErrorLog.h"
#include "platform/win/file.h"
#include "platform/win/paths.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"
#include "script/CScriptInter.h"
#include "tools/data/atomic_file.h"
#include "tools/script/script_compiler.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace zoq::tools::script {
namespace {

constexpr const char* kHelp = "usage: zoq-script make SOURCE OUT [--root DIR]\n"
                              "       zoq-script dump FILE\n"
                              "       zoq-script trace FILE PROC|- [--event NAME]... [--false NAME]...\n";

int Usage()
{
    std::fputs(kHelp, stderr);
    return 2;
}

int Fail(const std::string& where, const std::string& reason)
{
    std::fprintf(stderr, "zoq-script: %s: %s\n", where.c_str(), reason.c_str());
    return 1;
}

std::string Utf8(const std::string& text)
{
    return plat::win::Cp1251ToUtf8(text);
}

int Make(int argc, char** argv)
{
    if (argc != 4 && !(argc == 6 && std::string(argv[4]) == "--root"))
        return Usage();
    const std::filesystem::path source = argv[2];
    const std::filesystem::path root = argc == 6 ? std::filesystem::path(argv[5]) : source.parent_path();
    std::vector<std::string> lines;
    std::string error;
    if (!CompileScript(source, root.empty() ? "." : root, lines, error)) {
        std::fprintf(stderr, "zoq-script: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = StoreScript(lines);
    data::AtomicFile out;
    if (!out.Open(argv[3], error) || !out.Write(bytes.data(), bytes.size(), error) || !out.Commit(error))
        return Fail(argv[3], error);
    return 0;
}

bool Load(const char* file, StoredScript& script, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (plat::win::ReadWholeFile(file, bytes) != plat::win::FileResult::Ok) {
        error = "cannot be read";
        return false;
    }
    return ReadStoredScript(bytes, script, error);
}

int Dump(int argc, char** argv)
{
    if (argc != 3)
        return Usage();
    StoredScript script;
    std::string error;
    if (!Load(argv[2], script, error))
        return Fail(argv[2], error);
    std::printf("script\tlines=%zu\tused=%u\tbuffer=%u\tcapacity=%u\n", script.lines.size(), script.used,
        script.buffer, script.capacity);
    for (std::size_t i = 0; i < script.lines.size(); ++i)
        std::printf("%zu\t%s\n", i, Utf8(script.lines[i]).c_str());
    return 0;
}

// Commands that record their calls: true unless named false; events as given.
class Recorder : public CScriptInter {
public:
    std::set<std::string> events;
    std::set<std::string> falseCalls;

    bool IsEventSet(const char* name) override { return events.count(name) > 0; }
    bool RunFunction(const char* name, XStringTable& arguments) override
    {
        std::string line = "call\t" + Utf8(name) + "\t" + std::to_string(arguments.Count());
        for (int i = 0; i < arguments.Count(); ++i)
            line += "\t" + Utf8(arguments.GetString(i));
        std::printf("%s\n", line.c_str());
        return falseCalls.count(name) == 0;
    }

protected:
    void OnCondition(bool result) override { std::printf("if\t%d\n", result ? 1 : 0); }
};

int CountLogLines()
{
    std::ifstream log(plat::win::ResolvePath(ErrorLogPath()).value_or(""));
    int count = 0;
    for (std::string line; std::getline(log, line);)
        ++count;
    return count;
}

int Trace(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    Recorder recorder;
    for (int i = 4; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc || (option != "--event" && option != "--false"))
            return Usage();
        const std::string name = plat::win::Upper1251(plat::win::Utf8ToCp1251(argv[i + 1]));
        (option == "--event" ? recorder.events : recorder.falseCalls).insert(name);
    }
    StoredScript script;
    std::string error;
    if (!Load(argv[2], script, error))
        return Fail(argv[2], error);
    XStringTable table;
    table.Init(int(script.lines.size()) + 1, script.used + 1);
    for (const std::string& line : script.lines)
        table.Add(line.c_str());
    const std::string procedure = plat::win::Utf8ToCp1251(argv[3]);
    SetErrorLogStartLine(false); // only the run's own lines are counted
    const int before = CountLogLines();
    recorder.RunScript(table, procedure == "-" ? nullptr : procedure.c_str());
    std::printf("logged\t%d\n", CountLogLines() - before);
    return 0;
}

} // namespace
} // namespace zoq::tools::script

int main(int argc, char** argv)
{
    using namespace zoq::tools::script;
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-script", kHelp))
        return *answered;
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "make")
            return Make(argc, argv);
        if (command == "dump")
            return Dump(argc, argv);
        if (command == "trace")
            return Trace(argc, argv);
    } catch (const std::exception&) {
        return Fail(argc > 2 ? argv[2] : "zoq-script", "failed");
    }
    return Usage();
}
