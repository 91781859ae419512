#include "app/CommandLine.h"
#include "app/Startup.h"

#include <cstdio>

int main(int argc, char** argv) {
    // --help and --version answer without a display.
    if (const auto status = AnswerCommandLine(argc, argv, stdout))
        return *status;
    return RunReelix(argc, argv);
}
