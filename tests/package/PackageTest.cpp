// The package as a user gets it: unpacked into a scratch root it holds the
// programs, their data, manuals, desktop entry, metadata and Debian's
// documents; its programs answer --version; lintian finds no error; the
// desktop entry and the metadata pass their validators. Skipped where the
// package has not been built (make test builds it) or a tool is absent.

#include <gtest/gtest.h>

#include "support/ToolRunner.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
using TRun = TToolRun;

// A command line with its standard error in its output.
TRun Shell(const std::string& command) { return RunCommand(command + " 2>&1"); }

bool Have(const std::string& tool) { return Shell("command -v " + tool).status == 0; }

fs::path BuiltPackage() {
    for (const auto& entry : fs::directory_iterator(REELIX_BINARY_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("reelix_" REELIX_VERSION "_", 0) == 0 && entry.path().extension() == ".deb") return entry.path();
    }
    return {};
}

class Package : public ::testing::Test {
protected:
    void SetUp() override {
        deb_ = BuiltPackage();
        if (deb_.empty()) GTEST_SKIP() << "no package in the build folder (make package builds it)";
        if (!Have("dpkg-deb")) GTEST_SKIP() << "dpkg-deb is not installed";
        root_ = fs::temp_directory_path() / ("reelix-package-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        ASSERT_EQ(Shell("dpkg-deb -x " + Quoted(deb_) + " " + Quoted(root_)).status, 0);
    }
    void TearDown() override {
        if (!root_.empty()) fs::remove_all(root_);
    }
    fs::path deb_, root_;
};
}  // namespace

TEST_F(Package, HoldsTheProgramsTheirDataAndTheDesktopFiles) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        if (!entry.is_directory()) files.insert(entry.path().lexically_relative(root_).string());
    for (const char* want :
         {"usr/bin/reelix", "usr/bin/reelix-tool", "usr/lib/reelix/reelix", "usr/lib/reelix/VELMOR.DLL",
          "usr/lib/reelix/Tips.txt", "usr/lib/reelix/Reelix.html", "usr/lib/reelix/Images/Bounce.gif",
          "usr/share/applications/example.pellmark.Reelix.desktop",
          "usr/share/metainfo/example.pellmark.Reelix.metainfo.xml", "usr/share/icons/hicolor/48x48/apps/reelix.png",
          "usr/share/icons/hicolor/256x256/apps/reelix.png", "usr/share/man/man1/reelix.1.gz",
          "usr/share/man/man1/reelix-tool.1.gz", "usr/share/doc/reelix/copyright", "usr/share/doc/reelix/changelog.gz"})
        EXPECT_TRUE(files.count(want)) << "missing " << want;
    for (const std::string& file : files)
        EXPECT_EQ(file.rfind("usr/", 0), 0u) << file << " lies outside /usr";
    EXPECT_EQ(fs::read_symlink(root_ / "usr/bin/reelix"), fs::path("../lib/reelix/reelix"));
    EXPECT_FALSE(files.count("usr/lib/reelix/reelix-tool")) << "the tool is installed once, in bin";
}

TEST_F(Package, ItsProgramsAnswerVersionAndHelp) {
    const TRun tool = Shell(Quoted(root_ / "usr/bin/reelix-tool") + " --version");
    EXPECT_EQ(tool.status, 0);
    EXPECT_EQ(tool.out, "reelix-tool " REELIX_VERSION "\n");
    const TRun editor = Shell(Quoted(root_ / "usr/bin/reelix") + " --version");
    EXPECT_EQ(editor.status, 0);
    EXPECT_EQ(editor.out, "Pellmark Reelix " REELIX_VERSION "\n");
    const TRun help = Shell(Quoted(root_ / "usr/bin/reelix") + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: reelix [OPTION] [FILE]"), std::string::npos) << help.out;
    const TRun bad = Shell(Quoted(root_ / "usr/bin/reelix-tool") + " info /nonexistent.gif");
    EXPECT_EQ(bad.status, 1) << "errors exit with status 1";
    EXPECT_NE(bad.out.find("reelix-tool info:"), std::string::npos) << bad.out;
}

TEST_F(Package, LintianFindsNoError) {
    if (!Have("lintian")) GTEST_SKIP() << "lintian is not installed";
    const TRun lint = Shell("lintian --allow-root " + Quoted(deb_));
    EXPECT_EQ(lint.out.find("\nE: "), std::string::npos) << lint.out;
    EXPECT_NE(lint.out.rfind("E: ", 0), 0u) << lint.out;
}

TEST_F(Package, DesktopEntryAndMetadataAreValid) {
    const fs::path share = root_ / "usr/share";
    if (Have("desktop-file-validate")) {
        const TRun entry = Shell("desktop-file-validate " + Quoted(share / "applications/example.pellmark.Reelix.desktop"));
        EXPECT_EQ(entry.status, 0) << entry.out;
        EXPECT_EQ(entry.out, "") << "no warnings either";
    }
    if (Have("appstreamcli")) {
        const TRun meta = Shell("appstreamcli validate --no-net " + Quoted(share / "metainfo/example.pellmark.Reelix.metainfo.xml"));
        EXPECT_EQ(meta.status, 0) << meta.out;
    }
}
