#include "tools/mkdata/mkdata.h"

#include "tools/data/db_writer.h"
#include "tools/mkdata/checks.h"
#include "tools/mkdata/output.h"
#include "tools/mkdata/producers.h"
#include "tools/mkdata/sources.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace zoq::tools::mkdata {
namespace {

const char* const kTool = "zoq-mkdata";

std::string ErrorLines(const std::string& faults)
{
    std::string text;
    for (std::string_view line : SplitLines(faults))
        text += std::string(kTool) + ": error: " + std::string(line) + "\n";
    return text;
}

// The record database of every table, in the order the producers gave them.
bool AddDatabase(const SourceTree& tree, DataSet& set, std::string& error)
{
    std::vector<data::TableSource> tables;
    for (const TableEntry& entry : set.Tables())
        tables.push_back(entry.table);
    data::DbImage image;
    if (!data::BuildDatabase(tables, image, error))
        return false;
    const Origin origin = tree.At("tables", 1);
    const std::pair<const char*, Bytes*> files[] = {
        { "Data\\DB.dat", &image.data },
        { "Data\\DB.tab", &image.names },
        { "Data\\DB.ind", &image.index },
    };
    for (const auto& [path, bytes] : files) {
        DataFile& file = set.AddFile(path, origin, false);
        file.bytes = std::move(*bytes);
        // The database is opened with stdio from the disk.
        set.AddReference({ path, origin, Access::Disk, 0 });
    }
    return true;
}

uint64_t HashFile(const fs::path& path, uint64_t seed)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 16);
    uint64_t hash = seed;
    while (in) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        hash = Fnv1a(std::string_view(buffer.data(), size_t(in.gcount())), hash);
    }
    return hash;
}

} // namespace

uint64_t SourceHash(const fs::path& src)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(src, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    uint64_t hash = Fnv1a("zoq-mkdata sources");
    for (const fs::path& file : files) {
        hash = Fnv1a(file.lexically_relative(src).generic_string(), hash);
        hash = HashFile(file, hash);
    }
    return HashFile("/proc/self/exe", hash);
}

bool BuildDataSet(const fs::path& src, unsigned threads, DataSet& set, std::string& faults)
{
    const SourceTree tree(src);
    if (!fs::is_directory(src)) {
        faults = tree.Shown("") + ": the sources are missing";
        return false;
    }
    ProducerContext context { tree, set, {} };
    for (const Producer& producer : Producers()) {
        std::string error;
        if (!producer.run(context, error)) {
            faults = error;
            return false;
        }
    }
    std::vector<std::string> lines;
    for (const std::string& file : tree.List("tables", ".txt")) {
        if (std::find(context.tablesRead.begin(), context.tablesRead.end(), file) == context.tablesRead.end())
            lines.push_back(tree.Shown("tables/" + file) + ":1: no producer reads this table");
    }
    CheckDataSet(set, lines);
    if (lines.empty()) {
        std::string error;
        if (!AddDatabase(tree, set, error) || !set.MakeFiles(threads, error))
            lines.push_back(error);
    }
    for (const std::string& line : lines)
        faults += line + "\n";
    return lines.empty();
}

RunResult Run(const Options& options)
{
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    const unsigned threads
        = options.threads ? options.threads : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    uint64_t hash = 0;
    if (!options.list) {
        hash = SourceHash(options.src);
        if (!options.force && FolderUpToDate(options.out, hash)) {
            result.out = std::string(kTool) + ": " + (options.out / "Data").string() + " is up to date\n";
            return result;
        }
    }
    DataSet set;
    std::string faults;
    if (!BuildDataSet(options.src, threads, set, faults)) {
        result.err = ErrorLines(faults);
        result.exitCode = 1;
        return result;
    }
    const std::vector<PlacedFile> placed = PlaceFiles(set);
    if (options.list) {
        result.out = ListLines(placed);
        return result;
    }
    WriteResult written;
    std::string error;
    if (!WriteFolder(options.out, placed, hash, options.force, written, error)) {
        result.err = ErrorLines(error);
        result.exitCode = 1;
        return result;
    }
    if (written.keptConfig)
        result.out += std::string(kTool) + ": kept " + kConfigPath + " (use --force to replace it)\n";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char line[256];
    std::snprintf(line, sizeof line, "%s: wrote %zu files (%zu in %s, %zu plain), %llu bytes in %.2f s\n",
        kTool, written.archived + written.plain, written.archived, kPakPath, written.plain,
        static_cast<unsigned long long>(written.bytes), seconds);
    result.out += line;
    return result;
}

} // namespace zoq::tools::mkdata
