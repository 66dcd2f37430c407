// Audio tests run in a temporary folder that is the base directory: files, tables and
// error.log live there. The sound device is the loopback one, rendered by the test.
#pragma once

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/ResourceDBManager.h"
#include "platform/sound/device.h"
#include "platform/win/text.h"
#include "tools/audio/vorbis_writer.h"
#include "tools/audio/wav_writer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace audiotest {

namespace writer = zoq::tools::audio;

// One row of a table: its name and "key=value" lines (Windows-1251).
struct Row {
    std::string name;
    std::vector<std::string> fields;
};

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zoq-audio-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_oldDir = std::filesystem::current_path();
        std::filesystem::current_path(m_dir);
        SetErrorLogDirectory(m_dir.string() + "/");
        ResetCallTrace();
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
    }
    void TearDown() override
    {
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Default);
        SetErrorLogDirectory({});
        ResetCallTrace();
        std::filesystem::current_path(m_oldDir);
        std::filesystem::remove_all(m_dir);
    }

    // A file under the temporary folder; "\" in the name separates folders.
    void WriteFile(std::string name, const std::vector<uint8_t>& bytes)
    {
        for (char& c : name)
            if (c == '\\')
                c = '/';
        const auto path = m_dir / name;
        std::filesystem::create_directories(path.parent_path());
        std::string error;
        ASSERT_TRUE(writer::WriteBytes(path, bytes, error)) << error;
    }

    // Ini-mode tables: a root file naming one file per table.
    void WriteTable(const char* table, const std::vector<Row>& rows)
    {
        const std::string file = "table" + std::to_string(m_tables++) + ".ini";
        std::ofstream(m_dir / "root.ini", std::ios::app)
            << "[" << table << "]\r\nfilename=" << file << "\r\n";
        std::ofstream out(m_dir / file, std::ios::binary);
        for (const Row& row : rows) {
            out << "[" << row.name << "]\r\n";
            for (const std::string& field : row.fields)
                out << field << "\r\n";
        }
        out.close();
        g_ResourceDBManager.Init("root.ini", 0);
    }

    std::string LogText() const
    {
        std::ifstream in(m_dir / "error.log", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool LogHas(const std::string& utf8) const { return LogText().find(utf8) != std::string::npos; }

    std::filesystem::path m_dir;
    std::filesystem::path m_oldDir;
    int m_tables = 0;
};

// A sine of `seconds`, interleaved, the right channel at half the left's level.
inline std::vector<float> Tone(double seconds, int channels, int rate, double hz = 440, double level = 0.5)
{
    const size_t frames = size_t(seconds * rate);
    std::vector<float> out(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * size_t(channels) + size_t(c)]
                = float(level / (c + 1) * std::sin(2 * M_PI * hz * double(i) / rate));
    return out;
}

inline std::vector<int16_t> Samples(const uint8_t* bytes, size_t n)
{
    std::vector<int16_t> out(n / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return out;
}

} // namespace audiotest
