// Shared by the script fuzz targets: a temporary base folder made once, an error log that goes
// nowhere and a script manager. The working directory stays where it is.
#pragma once

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "script/CZJScriptManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <filesystem>

inline const std::filesystem::path& ScriptFuzzFolder()
{
    static zoq::test::TempDir folder("script-fuzz");
    static const bool ready = [] {
        SetBaseDirectory(folder.Path().string());
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)ready;
    return folder.Path();
}
