#include "platform/services/ResourceLibrary.h"

#include <QFile>
#include <QTemporaryDir>
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
TEST(TResourceLibrary, UnloadableFilesAreReportedByName) {
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

TEST(TResourceLibrary, BuiltLibraryHoldsTheSplash) {
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
TEST(TResourceLibrary, InstancesDoNotShadowEachOther) {
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
