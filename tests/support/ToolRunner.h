#pragma once
// Runs reelix-tool as a program: its exit status and standard output, with
// standard error sent to a file the test can read afterwards.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

struct TToolRun {
    int status;  // exit status, -1 when the tool did not exit normally
    std::string out;
};

// A path as one shell word.
inline std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command line: its exit status and standard output.
inline TToolRun RunCommand(const std::string& command) {
    TToolRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

#ifdef REELIX_TOOL_PATH
inline TToolRun RunTool(const std::string& arguments, const std::filesystem::path& errFile) {
    return RunCommand(std::string(REELIX_TOOL_PATH) + " " + arguments + " 2>" + Quoted(errFile));
}
#endif
