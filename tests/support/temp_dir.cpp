#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <stdexcept>

namespace zoq::test {

TempDir::TempDir(const std::string& label)
{
    std::string pattern = (std::filesystem::temp_directory_path() / ("zoq-" + label + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder " + pattern);
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ScopedChdir::ScopedChdir(const std::filesystem::path& folder)
    : m_old(std::filesystem::current_path())
{
    std::filesystem::current_path(folder);
}

ScopedChdir::~ScopedChdir()
{
    std::error_code ignored;
    std::filesystem::current_path(m_old, ignored);
}

void TempDirTest::SetUp()
{
    m_temp.emplace();
    m_dir = m_temp->Path();
    if (m_enter == Enter::Yes)
        m_chdir.emplace(m_dir);
}

void TempDirTest::TearDown()
{
    m_chdir.reset();
    m_temp.reset();
}

} // namespace zoq::test
