#include "app/CommandLine.h"

#include <cstring>

namespace {
const char* const HelpText =
    "Usage: reelix [OPTION] [FILE]\n"
    "Pellmark Reelix, an editor for animated GIF images.\n"
    "\n"
    "Opens FILE as the animation to edit: a GIF animation or picture, a JPEG or BMP\n"
    "picture, or a video (AVI, MP4, M4V, WebM, MOV, MKV). Without FILE the editor\n"
    "starts with an empty animation.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when the editor is closed (or help or the version was shown);\n"
    "1 when it cannot start (no display, for instance).\n"
    "See reelix(1); reelix-tool(1) does the editor's work on files from a script.\n";
} // namespace

const char* ProgramVersion() {
    return "Pellmark Reelix " REELIX_VERSION;
}

std::optional<int> AnswerCommandLine(int argc, char** argv, std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break; // file names from here on
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(HelpText, out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fprintf(out, "%s\n", ProgramVersion());
            return 0;
        }
    }
    return std::nullopt;
}
