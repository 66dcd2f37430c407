// The folder every data, log and save path is built on: ".\" unless a test or fuzz target, which
// must not change the process's working directory, points it at a folder of its own.
#pragma once

#include <string>

std::string BaseDirectory();
// Folder (POSIX, absolute) becomes the base; empty restores ".\". Takes effect for readers
// initialised after the call.
void SetBaseDirectory(const std::string& folder);
