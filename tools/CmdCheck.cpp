// reelix-tool check FILE... [--json]: what browsers will do with each
// animation, whom it may harm, and where its bytes go, as Tools > Check
// Animation shows it, of the file as it is (one without a looping block
// plays once; the editor checks what saving would write). Several files: each report headed by its
// name, or one JSON object a line. Exit status 0 whatever is found; 1 when a
// file cannot be read.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/AnimationCheck.h"
#include "tools/Command.h"

namespace {

constexpr const char* kUsage = "check FILE... [--json]   playback, accessibility and bytes per frame";

// One file's report; false when it cannot be read.
bool CheckFile(const std::string& file, bool json, bool headed) {
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) { std::fprintf(stderr, "warning: %s\n", text.c_str()); };
    image.PixelBudget = ToolPixelBudget();
    try {
        image.LoadFromFile(file);
        // The bytes are this file's, as it is.
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const TCheckReport report = CheckAnimation(image, -1, &bytes);
        const std::string text = (headed && !json ? "== " + file + "\n" : std::string()) +
                                 (json ? CheckReportJson(report) : CheckReportText(report));
        std::fwrite(text.data(), 1, text.size(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reelix-tool check: %s: %s\n", file.c_str(), e.what());
        return false;
    }
    return true;
}

int Check(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") json = true;
        else if (arg.rfind("--", 0) == 0) files.clear(), files.push_back("");
        else files.push_back(arg);
    }
    if (files.empty() || std::find(files.begin(), files.end(), "") != files.end()) {
        std::fprintf(stderr, "usage: reelix-tool %s\n", kUsage);
        return 1;
    }
    bool allRead = true;
    for (const std::string& file : files) allRead = CheckFile(file, json, files.size() > 1) && allRead;
    return allRead ? 0 : 1;
}

const bool registered = RegisterToolCommand({"check", kUsage, Check});

}  // namespace
