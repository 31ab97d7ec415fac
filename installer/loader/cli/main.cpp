// setup.exe of a distribution: see installer/loader/LoadingProgram.h.
#include "installer/loader/LoadingProgram.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return installer::RunLoadingProgram("/proc/self/exe", arguments);
}
