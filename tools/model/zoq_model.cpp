// zoq-model: inspects and writes model files.
//   zoq-model info FILE
//   zoq-model make KIND OUT [--texture NAME]
#include "platform/win/program_info.h"
#include "platform/win/text.h"
#include "tools/model/model_writer.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zoq::tools::model;

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "zoq-model: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

std::string Commands()
{
    std::string kinds;
    for (std::string_view kind : ModelKinds())
        kinds += (kinds.empty() ? "" : "|") + std::string(kind);
    return "zoq-model info FILE | make " + kinds + " OUT [--texture NAME]";
}

std::string Help()
{
    return "usage: " + Commands()
        + "\n  info     what the model file holds\n  make     a model file of one of the built-in kinds\n";
}

int Usage()
{
    std::fprintf(stderr, "zoq-model: usage: %s\n", Commands().c_str());
    return 2;
}

int Info(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail(path, "cannot open the file");
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        const SModelFile file = ReadModelFile(bytes.data(), bytes.size(), [&path](std::string_view line) {
            std::fprintf(stderr, "zoq-model: %s: %s\n", path.c_str(), plat::win::Cp1251ToUtf8(line).c_str());
        });
        std::fputs(FormatModelInfo(file).c_str(), stdout);
    } catch (const XModelFileError& error) {
        return Fail(path, error.what());
    }
    return 0;
}

int Make(const std::vector<std::string>& args)
{
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--texture"))
        return Usage();
    const std::string texture = args.size() == 4 ? plat::win::Utf8ToCp1251(args[3]) : "TEX_SAMPLECOLOR";
    SModelFile file;
    if (!MakeModel(args[0], texture, file))
        return Usage();
    std::string error;
    if (!WriteModelFile(args[1], file, error))
        return Fail(args[1], error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-model", Help()))
        return *answered;
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info" && args.size() == 1)
        return Info(args[0]);
    if (command == "make")
        return Make(args);
    return Usage();
}
