// Audio tests run in a temporary folder that is the base directory: files, tables and
// error.log live there. The sound device is the loopback one, rendered by the test.
#pragma once

#include "platform/sound/device.h"
#include "platform/win/text.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tools/audio/vorbis_writer.h"
#include "tools/audio/wav_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

namespace writer = zoq::tools::audio;

// One row of a table: its name and "key=value" lines (Windows-1251).
struct Row {
    std::string name;
    std::vector<std::string> fields;
};

class AudioTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
    }
    void TearDown() override
    {
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Default);
        ErrorLogTest::TearDown();
    }

    // A file under the temporary folder; "\" in the name separates folders.
    void WriteFile(std::string name, const std::vector<uint8_t>& bytes)
    {
        for (char& c : name)
            if (c == '\\')
                c = '/';
        zoq::test::WriteBytes(m_dir / name, bytes);
    }

    // A one-second mono 16-bit tone at 22,050 Hz, as a WAV file under the temporary folder.
    void WriteToneWav(const std::string& name)
    {
        std::vector<int16_t> tone(22050);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = int16_t(12000 * std::sin(double(i) * 0.1));
        WriteFile(name, writer::MakeWav({ 1, 22050, 16 }, writer::PcmBytes(tone)));
    }

    // Adds an ini-mode table of the rows to those the parameter readers use, through "root.ini".
    void WriteTable(const char* table, const std::vector<Row>& rows)
    {
        std::string text;
        for (const Row& row : rows) {
            text += "[" + row.name + "]\r\n";
            for (const std::string& field : row.fields)
                text += field + "\r\n";
        }
        m_tables.push_back({ table, text });
        zoq::test::UseIniTables(m_tables, "root.ini");
    }

    bool LogHas(const std::string& utf8) const { return LogText().find(utf8) != std::string::npos; }

    zoq::test::IniTables m_tables;
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
