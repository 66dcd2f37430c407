// The folder every data, log and save path is built on: ".\".
#pragma once

#include <string>

std::string BaseDirectory();
