// reelix-tool: the command-line companion of the editor, built on the core alone.
// Errors go to stderr with exit status 1; warnings go to stderr.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>

#include "raster/GIFException.h"
#include "tools/Command.h"

namespace {
std::vector<TToolCommand>& Registry() {
    static std::vector<TToolCommand> commands;
    return commands;
}

int Usage(FILE* out) {
    std::fputs("usage: reelix-tool COMMAND ARGS...\n", out);
    for (const TToolCommand& c : Registry()) std::fprintf(out, "  %s\n", c.usage);
    std::fputs("  help, --help             this text\n"
               "  --version                the version\n"
               "Exit status: 0 when the command did its work; 1 when it could not (the reason on\n"
               "standard error: a usage mistake, a file that cannot be read or written, a bad GIF).\n"
               "See reelix-tool(1).\n",
               out);
    return out == stdout ? 0 : 1;
}
}  // namespace

bool RegisterToolCommand(const TToolCommand& command) {
    Registry().push_back(command);
    return true;
}

const std::vector<TToolCommand>& ToolCommands() { return Registry(); }

TPixelBudget ToolPixelBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return DefaultPixelBudget;
    return PixelBudgetForMemory(std::uint64_t(pages) * std::uint64_t(pageSize));
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage(stderr);
    if (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
        return Usage(stdout);
    if (std::strcmp(argv[1], "--version") == 0) {
        std::puts("reelix-tool " REELIX_VERSION);
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const TToolCommand& c : Registry()) {
        if (std::strcmp(c.name, argv[1]) != 0) continue;
        try {
            return c.run(args);
        } catch (const GIFException& e) {
            if (e.Detail().empty())
                std::fprintf(stderr, "reelix-tool %s: %s\n", c.name, e.what());
            else
                std::fprintf(stderr, "reelix-tool %s: %s (%s)\n", c.name, e.what(), e.Detail().c_str());
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "reelix-tool %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "reelix-tool: unknown command '%s'\n", argv[1]);
    return Usage(stderr);
}
