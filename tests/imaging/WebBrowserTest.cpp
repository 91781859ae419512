// The snippets and our files in a real browser: headless Chromium loads a
// page with the <picture> snippet, the <video> snippet, an animated PNG and
// an MP4, and its screenshot must show the animation's colours where each
// stands (a broken image shows an icon or its alternative text). Asked for
// reduced motion, the picture and the video show the still picture instead.
// Skipped where Chromium is not installed.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "color/FittedReduction.h"
#include "gif/FrameControl.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "imaging/WebExport.h"
#include "imaging/WebSnippet.h"

namespace fs = std::filesystem;

namespace {

const char* Chromium() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser", "/usr/bin/google-chrome"})
        if (fs::exists(path)) return path;
    return nullptr;
}

// 64 x 48: green, a white block moving over three frames, looping.
void WriteAnimation(const fs::path& gif) {
    TGIFImage image;
    for (int f = 0; f < 3; ++f) {
        std::vector<std::uint32_t> pixels(64 * 48, 0x1EA03C);
        for (int y = 4; y < 12; ++y)
            for (int x = 8 * f; x < 8 * f + 8; ++x) pixels[std::size_t(y * 64 + x)] = 0xFFFFFF;
        TGIFSubImage& frame = *image.Frames()[image.AddFrame(PackedToBitmap(pixels.data(), 64, 48))];
        RequireControl(frame).DelayTime = 50;
    }
    auto loop = std::make_unique<TGIFAppExtNSLoop>(image.Frames()[0]);
    image.Frames()[0]->ExtensionBlocks().Insert(0, std::move(loop));
    image.SaveToFile(gif.string());
}

bool Green(QColor c) { return c.green() > 120 && c.red() < 100 && c.blue() < 110; }
bool Red(QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; }

class WebBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Chromium()) GTEST_SKIP() << "Chromium is not installed";
        dir_ = fs::temp_directory_path() / ("reelix-browser-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // The page's screenshot, 400 x 60, 2.5 s after it began to load.
    QImage Shot(const std::string& page, bool reducedMotion) {
        const fs::path html = dir_ / "page.html", shot = dir_ / "shot.png";
        std::ofstream(html) << page;
        fs::remove(shot);
        const std::string command = std::string(Chromium()) +
                                    " --headless=new --no-sandbox --disable-gpu --hide-scrollbars --mute-audio"
                                    " --user-data-dir='" + (dir_ / "profile").string() + "'" +
                                    (reducedMotion ? " --force-prefers-reduced-motion" : "") +
                                    " --window-size=400,60 --timeout=2500 --screenshot='" + shot.string() +
                                    "' 'file://" + html.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return QImage(QString::fromStdString(shot.string()));
    }

    fs::path dir_;
};

}  // namespace

TEST_F(WebBrowser, TheSnippetsAndOurFilesShowTheAnimation) {
    const fs::path gif = dir_ / "anim.gif";
    WriteAnimation(gif);
    TGIFImage image;
    image.LoadFromFile(gif.string());
    for (const char* ext : {".webp", ".mp4", ".webm", ".png"}) {
        TWebExportOptions options;
        ASSERT_TRUE(WebFormatForPath(std::string("x") + ext, options.Format));
        ASSERT_TRUE(ExportWebAnimation(image, SiblingName(gif.string(), ext), options)) << ext;
    }
    // The still the export writes is the first frame; a red one here shows
    // which of the two the browser took.
    WriteStillPicture(image, SiblingName(gif.string(), "-still.png"));
    QImage red(64, 48, QImage::Format_RGB32);
    red.fill(QColor(220, 30, 30));
    ASSERT_TRUE(red.save(QString::fromStdString(SiblingName(gif.string(), "-still.png")), "PNG"));

    TWebSnippet snippet;
    snippet.Gif = "anim.gif";
    snippet.Still = SiblingName(snippet.Gif, "-still.png");
    snippet.Alt = "a \"moving\" block";
    snippet.Width = 64;
    snippet.Height = 48;
    auto at = [](int left, const std::string& body) {
        return "<div style=\"position:absolute;left:" + std::to_string(left) + "px;top:0\">" + body + "</div>\n";
    };
    const std::string page = "<!DOCTYPE html><html><body style=\"margin:0;background:#000\">\n" +
                             at(0, PictureSnippet(snippet)) + at(100, VideoSnippet(snippet)) +
                             at(200, "<img src=\"anim.png\" width=\"64\" height=\"48\">") +
                             at(300, "<video autoplay loop muted playsinline width=\"64\" height=\"48\" src=\"anim.mp4\"></video>") +
                             "</body></html>\n";

    const QImage moving = Shot(page, false);
    ASSERT_FALSE(moving.isNull());
    for (const int left : {0, 100, 200, 300})
        EXPECT_TRUE(Green(moving.pixelColor(left + 40, 30))) << "at " << left << ": " << moving.pixelColor(left + 40, 30).name().toStdString();

    const QImage still = Shot(page, true);
    ASSERT_FALSE(still.isNull());
    for (const int left : {0, 100})
        EXPECT_TRUE(Red(still.pixelColor(left + 40, 30))) << "reduced motion at " << left << ": "
                                                           << still.pixelColor(left + 40, 30).name().toStdString();
}
