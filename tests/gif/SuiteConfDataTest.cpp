// The test suite whose files each come with a NAME.conf of expectations: for
// every file we load, the model's screen size, loop count, comment and (where
// each image is one shown frame) delays must match what the .conf says.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "gif/GIFImage.h"

namespace fs = std::filesystem;

namespace {
using TSection = std::map<std::string, std::string>;

std::map<std::string, TSection> ReadConf(const fs::path& path) {
    std::map<std::string, TSection> conf;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto eq = line.find(" = ");
        if (eq != std::string::npos) conf[section][line.substr(0, eq)] = line.substr(eq + 3);
        else if (!line.empty() && line.back() == '=') conf[section][line.substr(0, line.find(' '))] = "";
    }
    return conf;
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ',')) items.push_back(item);
    return items;
}
}  // namespace

TEST(SuiteConf, ModelMatchesTheExpectationsOfEveryReadableFile) {
    const fs::path root = fs::path(REELIX_TESTDATA_DIR) / "gif" / "ancell-gif-test-suite";
    if (!fs::is_directory(root)) GTEST_SKIP() << "no test data under " << root;
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.path().extension() != ".conf") continue;
        auto conf = ReadConf(entry.path());
        TSection& config = conf["config"];
        const fs::path gif = root / config["input"];
        SCOPED_TRACE(gif.filename().string());
        TGIFImage image;
        try {
            image.LoadFromFile(gif.string());
        } catch (const GIFException&) {
            continue;  // files we refuse are covered by the reader data test
        }
        ++checked;
        EXPECT_EQ(std::to_string(image.Width()), config["width"]);
        EXPECT_EQ(std::to_string(image.Height()), config["height"]);

        const TGIFAppExtNSLoop* loop = nullptr;
        std::string comment;
        std::vector<TGIFSubImage*> shown;
        for (int i = 0; i < image.Frames().Count(); ++i) {
            TGIFSubImage* frame = image.Frames()[i];
            if (!loop) loop = frame->FindExtension<TGIFAppExtNSLoop>();
            for (int e = 0; e < frame->ExtensionBlocks().Count(); ++e)
                if (auto* c = dynamic_cast<TGIFCommentExtension*>(frame->ExtensionBlocks()[e]))
                    for (const std::string& l : c->Lines) comment += l;
            if (!frame->IsEmpty()) shown.push_back(frame);
        }
        const std::string wantLoop = config["loop-count"];
        if (wantLoop == "infinite") {
            // The suite also plays an extension-free (87a) animation forever.
            EXPECT_TRUE(loop ? loop->LoopCount == 0 : image.FileVersion() == gv87a);
        } else if (wantLoop == "0") {
            EXPECT_EQ(loop, nullptr);
        } else {
            EXPECT_EQ(loop ? std::to_string(loop->LoopCount) : "no loop extension", wantLoop);
        }

        // Comments that are plain text in the .conf ('...' without escapes).
        const std::string wantComment = config.count("comment") ? config["comment"] : "";
        if (wantComment.size() >= 2 && wantComment.find('\\') == std::string::npos &&
            std::all_of(wantComment.begin(), wantComment.end(), [](unsigned char c) { return c >= 0x20 && c < 0x7F; }))
            EXPECT_EQ("'" + comment + "'", wantComment);

        const std::vector<std::string> frames = Split(config["frames"]);
        if (frames.size() != shown.size()) continue;  // images combined into shown frames
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const TSection& want = conf[frames[f]];
            const auto delay = want.find("delay");
            if (delay == want.end()) continue;
            const TGIFGraphicControlExtension* gce = shown[f]->ControlExtension();
            EXPECT_EQ(std::to_string(gce ? gce->DelayTime : 0), delay->second) << "frame " << f;
        }
    }
    EXPECT_GT(checked, 60);
}
