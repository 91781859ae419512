#include "services/ResourceLibrary.h"

#include "gif/GIFImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct TReports {
    QStringList Messages;
    std::function<void(const QString&)> Sink() {
        return [this](const QString& m) { Messages << m; };
    }
};

QString BuiltLibrary() {
    return QStringLiteral(REELIX_BINARY_DIR "/bin/VELMOR.DLL");
}

} // namespace

// A missing or damaged library is reported once, by its name, and yields nothing.
TEST(ResourceLibrary, UnloadableFilesAreReportedByName) {
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("VELMOR.DLL"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("MZ this is not a resource file");
    }
    const QString cases[] = {dir.filePath(QStringLiteral("missing/VELMOR.DLL")), garbage, dir.path()};
    for (const QString& path : cases) {
        TReports reports;
        auto library = TResourceLibrary::Load(path, reports.Sink());
        EXPECT_EQ(library, nullptr) << path.toStdString();
        ASSERT_EQ(reports.Messages.size(), 1) << path.toStdString();
        const QString want = path == dir.path()
                                 ? QStringLiteral("Could not load %1 library file.").arg(QFileInfo(path).fileName())
                                 : QStringLiteral("Could not load VELMOR.DLL library file.");
        EXPECT_EQ(reports.Messages[0].toStdString(), want.toStdString());
    }
}

TEST(ResourceLibrary, BuiltLibraryHoldsTheSplash) {
    if (!QFile::exists(BuiltLibrary()))
        GTEST_SKIP() << "the program folder has not been built";
    TReports reports;
    auto library = TResourceLibrary::Load(BuiltLibrary(), reports.Sink());
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(reports.Messages.isEmpty());
    const QImage splash = library->Picture(QStringLiteral("SPLASH"));
    EXPECT_FALSE(splash.isNull());
    EXPECT_GE(splash.width(), 200);
    EXPECT_TRUE(library->Data(QStringLiteral("NO_SUCH_ENTRY")).isEmpty());
    EXPECT_TRUE(library->Picture(QStringLiteral("NO_SUCH_ENTRY")).isNull());
}

// Two loads of the same file are independent: freeing one leaves the other usable.
TEST(ResourceLibrary, InstancesDoNotShadowEachOther) {
    if (!QFile::exists(BuiltLibrary()))
        GTEST_SKIP() << "the program folder has not been built";
    auto first = TResourceLibrary::Load(BuiltLibrary(), nullptr);
    auto second = TResourceLibrary::Load(BuiltLibrary(), nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const QByteArray splash = second->Data(QStringLiteral("SPLASH"));
    first.reset();
    EXPECT_EQ(second->Data(QStringLiteral("SPLASH")), splash);
    EXPECT_FALSE(splash.isEmpty());
}

// The start-up animation is written by our GIF writer at build time: it must
// read back with our reader as a looping, full-screen animation.
TEST(ResourceLibrary, StartupAnimationReadsBack) {
    if (!QFile::exists(BuiltLibrary()))
        GTEST_SKIP() << "the program folder has not been built";
    auto library = TResourceLibrary::Load(BuiltLibrary(), nullptr);
    ASSERT_NE(library, nullptr);
    const QByteArray data = library->Data(QStringLiteral("ANIMATED"));
    if (data.isEmpty())
        GTEST_SKIP() << "this build's library holds no start-up animation";
    TGIFImage image;
    TMemoryStream stream(data.constData(), std::size_t(data.size()));
    image.LoadFromStream(stream);
    EXPECT_EQ(image.Width(), 96);
    EXPECT_EQ(image.Height(), 96);
    ASSERT_EQ(image.Frames().Count(), 12);
    for (int i = 0; i < image.Frames().Count(); ++i) {
        const TGIFSubImage* frame = image.Frames()[i];
        EXPECT_EQ(frame->Width(), 96) << "frame " << i;
        ASSERT_NE(frame->ControlExtension(), nullptr) << "frame " << i;
        EXPECT_GT(frame->ControlExtension()->DelayTime, 0) << "frame " << i;
    }
    const auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 0);
    // Consecutive frames differ: the reel turns.
    const TGIFSubImage* a = image.Frames()[0];
    const TGIFSubImage* b = image.Frames()[1];
    EXPECT_FALSE(std::equal(a->PixelData(), a->PixelData() + a->PixelDataSize(), b->PixelData()));
}
