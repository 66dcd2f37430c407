// CLogWriter: a manager's log of the resource IDs it has resolved, one line "ID\tFILE" (or
// "ID\tNULL") per ID, each ID once, kept across runs. UTF-8 on disk, Windows-1251 in memory.
#pragma once

#include "foundation/XStringTable.h"

#include <cstdint>
#include <cstdio>

class CLogWriter {
public:
    static constexpr int32_t kOk = 0;
    static constexpr int32_t kFail = int32_t(0x80004005); // the failure code callers test for

    CLogWriter();
    ~CLogWriter();
    CLogWriter(const CLogWriter&) = delete;
    CLogWriter& operator=(const CLogWriter&) = delete;

    // Opens or creates the log and remembers the IDs already in it; the log stays closed when
    // it cannot be created or reopened.
    void Init(const char* path);
    // kOk when added; kFail when the ID is null or already remembered.
    int32_t RememberID(const char* id);
    // Remembers the ID and appends its line; kFail when the log is not open, the ID is null or
    // it was logged before.
    int32_t WriteToLog(const char* id, const char* file);
    void Close();

    bool IsOpen() const noexcept { return m_file != nullptr; }

private:
    std::FILE* m_file = nullptr;
    XStringTable m_ids;
};
