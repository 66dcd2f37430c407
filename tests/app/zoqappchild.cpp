// A program the application tests start by its Windows name: "sleep MS" ends with 0 after MS
// milliseconds.
#include "platform/win/clock.h"

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "sleep") == 0) {
        plat::win::Sleep(uint32_t(std::atoi(argv[2])));
        return 0;
    }
    return 100;
}
