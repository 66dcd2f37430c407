// Temporary folders of the tests: a fresh folder removed with everything in it, a scoped change of
// the working directory, and the fixture every folder-writing test starts from. Tests write
// nowhere else.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace zoq::test {

// A fresh folder "zoq-<label>-XXXXXX" under the system's temporary folder, removed with everything
// in it. Throws std::runtime_error when it cannot be made.
class TempDir {
public:
    explicit TempDir(const std::string& label = "test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Makes a folder the working directory for a scope.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::filesystem::path& folder);
    ~ScopedChdir();
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;

private:
    std::filesystem::path m_old;
};

// A fixture with a fresh temporary folder m_dir per test; with Enter::Yes the folder is also the
// working directory until the test ends.
class TempDirTest : public ::testing::Test {
protected:
    enum class Enter { No, Yes };

    explicit TempDirTest(Enter enter = Enter::No)
        : m_enter(enter)
    {
    }
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path m_dir;

private:
    Enter m_enter;
    std::optional<TempDir> m_temp;
    std::optional<ScopedChdir> m_chdir;
};

} // namespace zoq::test
