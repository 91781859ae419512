#pragma once
// reelix-tool sub-commands register themselves here, one file per command, so
// commands can be added without touching the dispatcher.

#include <string>
#include <vector>

#include "raster/PixelBudget.h"

struct TToolCommand {
    const char* name;
    const char* usage;  // one line, shown by `reelix-tool help`
    // Runs the command with the arguments after its name; answers the exit status.
    int (*run)(const std::vector<std::string>& args);
};

// Registers a command at static-initialisation time; answers true.
bool RegisterToolCommand(const TToolCommand& command);
const std::vector<TToolCommand>& ToolCommands();

class TGIFImage;

// Writes the image as the editor saves it (the looping block on the first
// frame, count 0 unless one is set), encoded completely before the file is
// touched.
void SaveAsTheEditorSaves(const TGIFImage& image, const std::string& path);

// What an animation read by the tool may hold: a share of this machine's
// memory, as in the editor.
TPixelBudget ToolPixelBudget();
