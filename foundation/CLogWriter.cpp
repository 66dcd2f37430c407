#include "foundation/CLogWriter.h"

#include "foundation/CallTrace.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <cstring>
#include <string>

CLogWriter::CLogWriter()
{
    m_ids.Init(2, 2);
}

CLogWriter::~CLogWriter()
{
    Close();
}

void CLogWriter::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_ids.Free();
}

void CLogWriter::Init(const char* path)
{
    ZJ_TRACE("CLogWriter::Init()");
    Close();
    m_ids.Init(2, 2);
    const std::string name = path ? path : "";
    std::FILE* in = plat::win::OpenFile(name, "rb");
    if (!in) {
        m_file = plat::win::OpenFile(name, "w");
        return;
    }
    // Lines of any length: the ID is the line's first token.
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        text.append(chunk, got);
    std::fclose(in);
    const char* blanks = " \t\r\n";
    for (size_t at = 0; at < text.size();) {
        size_t eol = text.find('\n', at);
        if (eol == std::string::npos)
            eol = text.size();
        std::string_view line(text.data() + at, eol - at);
        size_t begin = line.find_first_not_of(blanks);
        if (begin != std::string_view::npos) {
            size_t end = line.find_first_of(blanks, begin);
            std::string id = plat::win::Utf8ToCp1251(
                line.substr(begin, end == std::string_view::npos ? end : end - begin));
            RememberID(id.c_str());
        }
        at = eol + 1;
    }
    m_file = plat::win::OpenFile(name, "a");
}

int32_t CLogWriter::RememberID(const char* id)
{
    ZJ_TRACE("CLogWriter::RememberID()");
    if (!id || m_ids.Find(id) >= 0)
        return kFail;
    if (m_ids.Count() >= m_ids.Capacity() || m_ids.UsedBytes() + std::strlen(id) + 1 > m_ids.BufferSize())
        m_ids.Grow(1, uint32_t(std::strlen(id) + 1));
    m_ids.Add(id);
    return kOk;
}

int32_t CLogWriter::WriteToLog(const char* id, const char* file)
{
    ZJ_TRACE("CLogWriter::WriteToLog()");
    if (!m_file || !id || RememberID(id) != kOk)
        return kFail;
    std::string line = plat::win::Cp1251ToUtf8(id);
    line += '\t';
    line += file ? plat::win::Cp1251ToUtf8(file) : std::string("NULL");
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
    return kOk;
}
