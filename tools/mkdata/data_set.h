// The demo data before it is written: every file by its Windows path (relative to the game's base
// directory), the database tables with the source line of each record and value, the references
// that the game's readers make to files and table rows, and the rows it requires. Producers fill
// it; the checks, the placement and the writer read it. Texts and paths are Windows-1251.
#pragma once

#include "foundation/ByteOrder.h"
#include "tools/data/table_source.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::mkdata {

// Where something came from, for messages: a source file as shown to the user and a line.
struct Origin {
    std::string file;
    int line = 0;

    std::string Where() const; // "file:line"
};

// How the game opens a file: through the file layer over the archives, or straight from disk.
enum class Access { FileLayer, Disk };

struct DataFile {
    std::string path; // "Data\Textures\rock.tm"
    Origin origin;
    bool fromRecipe = false; // made by a recipe line: something must read it
    Bytes bytes;
    // Run by DataSet::MakeFiles when set; fills the bytes.
    std::function<bool(Bytes& out, std::string& error)> make;
};

// A file that a reader of the game opens, named by a table field or by the code.
struct FileRef {
    std::string path;
    Origin origin;
    Access access = Access::Disk;
    size_t fieldBytes = 0; // the field that holds the name, terminator included; 0: none
};

struct TableEntry {
    data::TableSource table;
    Origin origin; // the source file, line 1
    std::vector<int> recordLines; // the "[NAME]" line of each record
    std::vector<std::vector<int>> valueLines; // per record, the line of each value

    // The value's bytes without a text's terminator; empty when the record lacks the field.
    std::string Value(size_t record, std::string_view field) const;
    int ValueLine(size_t record, std::string_view field) const; // the record's line when absent
    bool Deleted(size_t record) const; // "Deleted" is 1
    int Find(std::string_view row, bool withDeleted = false) const; // -1 when absent
};

// A row that a reader looks up by a fixed name.
struct RowNeed {
    std::string table;
    std::string row;
    std::string why;
};

// Values of a field that name rows of another table. The field pattern matches one field name;
// '#' in it stands for one decimal digit and '?' for any one character.
struct NameRule {
    std::string table;
    std::string field;
    std::string target;
};

class DataSet {
public:
    DataSet();
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    DataFile& AddFile(std::string path, Origin origin, bool fromRecipe);
    const std::vector<std::unique_ptr<DataFile>>& Files() const { return m_files; }
    DataFile* FindFile(std::string_view path);

    void AddReference(FileRef ref) { m_refs.push_back(std::move(ref)); }
    const std::vector<FileRef>& References() const { return m_refs; }

    TableEntry& AddTable(TableEntry table);
    const std::vector<TableEntry>& Tables() const { return m_tables; }
    const TableEntry* FindTable(std::string_view name) const;

    void NeedRow(std::string table, std::string row, std::string why);
    const std::vector<RowNeed>& RowNeeds() const { return m_rowNeeds; }
    void AddNameRule(std::string table, std::string field, std::string target);
    const std::vector<NameRule>& NameRules() const { return m_nameRules; }

    // Runs every pending make, on up to `threads` threads; results land in file order, and the
    // first failure (in file order) is reported as "origin: reason".
    bool MakeFiles(unsigned threads, std::string& error);

private:
    std::vector<std::unique_ptr<DataFile>> m_files;
    std::vector<FileRef> m_refs;
    std::vector<TableEntry> m_tables;
    std::vector<RowNeed> m_rowNeeds;
    std::vector<NameRule> m_nameRules;
};

// The readers of one file. A file that only the file layer reads goes into the archive; one that
// any reader opens from disk stays a plain file.
struct ReaderCount {
    int fileLayer = 0;
    int disk = 0;

    bool Archived() const { return fileLayer > 0 && disk == 0; }
};

// By path in upper case.
std::map<std::string, ReaderCount> CountReaders(const DataSet& set);

// Field names against a NameRule pattern, ignoring case.
bool FieldMatches(std::string_view pattern, std::string_view field);

} // namespace zoq::tools::mkdata
