// The files the settings program works on, in the current directory.
#pragma once

#include "platform/win/paths.h"

#include <string>

inline std::string ConfigPath()
{
    return plat::win::CurrentDirectory() + "\\data\\CONFIG\\cfg.ini";
}
