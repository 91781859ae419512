#pragma once
// What reelix answers on the command line before any window opens: --help
// and --version print and end the program; anything else (file names, Qt's
// own options such as -platform) goes on to the editor.

#include <cstdio>
#include <optional>

// The exit status when the program is to end at once, else nothing.
std::optional<int> AnswerCommandLine(int argc, char** argv, std::FILE* out);

// "Pellmark Reelix 2.0" and the like.
const char* ProgramVersion();
