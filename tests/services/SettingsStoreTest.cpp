#include "services/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::string S(const QString& s) { return s.toStdString(); }

struct SettingsStore : ::testing::Test {
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath("sub/dir/store.ini"); }
};

} // namespace

// Recent files and favourite folders are stored as value names, so any path
// must come back exactly, in the order written, after a save and a reload.
TEST_F(SettingsStore, PathNamesRoundTripThroughTheFile) {
    const QStringList names = {
        "/home/ann/My Pictures/cat.gif",
        "C:\\Windows\\Temp\\a=b.gif",
        "/tmp/[brackets]/x;y#z.gif",
        "=leading equals",
        " leading and trailing spaces ",
        "/srv/ünïcødé/日本語/файл.gif",
        "back\\\\slashes\\",
        "line\nbreak\rcarriage",
        QString("nul") + QChar(0) + "inside",
        "[Section-like]",
        ";comment-like",
        "",
    };
    {
        TSettingsStore store(Path());
        for (int i = 0; i < names.size(); ++i)
            store.WriteString("Settings\\MRU", names[i], QString("value %1 \\ = [x]\n").arg(i));
        ASSERT_TRUE(store.Save());
    }
    TSettingsStore reread(Path());
    const QStringList have = reread.ReadSection("Settings\\MRU");
    ASSERT_EQ(have.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(S(have[i]), S(names[i])) << "name " << i;
        EXPECT_EQ(S(reread.ReadString("Settings\\MRU", names[i], "missing")),
                  S(QString("value %1 \\ = [x]\n").arg(i)))
            << "value " << i;
    }
}

TEST_F(SettingsStore, TypedReadersFallBackToDefaults) {
    TSettingsStore store(Path());
    store.WriteString("Settings", "Good", "42");
    store.WriteString("Settings", "Negative", "-7");
    store.WriteString("Settings", "Padded", " 12 ");
    store.WriteString("Settings", "Junk", "12abc");
    store.WriteString("Settings", "Empty", "");
    store.WriteString("Settings", "Huge", "99999999999");
    store.WriteString("Settings", "Hex", "0x10");

    struct TCase { const char* name; int want; } cases[] = {
        {"Good", 42}, {"Negative", -7}, {"Padded", 12}, {"Junk", -1},
        {"Empty", -1}, {"Huge", -1}, {"Hex", -1}, {"Missing", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.ReadInteger("Settings\\", c.name, -1), c.want) << c.name;

    EXPECT_TRUE(store.ReadBool("Settings", "Good", false));
    EXPECT_TRUE(store.ReadBool("Settings", "Junk", true));
    EXPECT_FALSE(store.ReadBool("Settings", "Junk", false));
    EXPECT_EQ(S(store.ReadString("Nowhere", "x", "dflt")), "dflt");
    // An empty stored text is a value, not a missing one.
    EXPECT_EQ(S(store.ReadString("Settings", "Empty", "dflt")), "");
}

TEST_F(SettingsStore, TrailingBackslashNamesTheSameSection) {
    TSettingsStore store(Path());
    store.WriteInteger("ThumbNails\\", "FilterType", 2);
    EXPECT_EQ(store.ReadInteger("ThumbNails", "FilterType", 4), 2);
    EXPECT_TRUE(store.SectionExists("ThumbNails\\\\"));
}

TEST_F(SettingsStore, EraseSectionRemovesOnlyThatSection) {
    TSettingsStore store(Path());
    store.WriteString("Settings\\MRU", "/a.gif", "");
    store.WriteString("Settings\\MRU", "/b.gif", "");
    store.WriteInteger("Settings", "DefaultDelay", 7);
    store.WriteBool("Settings\\Toolbars\\Standard", "Visible", false);
    store.EraseSection("Settings\\MRU\\");
    store.WriteString("Settings\\MRU", "/c.gif", "");
    ASSERT_TRUE(store.Save());

    TSettingsStore reread(Path());
    EXPECT_EQ(reread.ReadSection("Settings\\MRU"), QStringList{"/c.gif"});
    EXPECT_EQ(reread.ReadInteger("Settings", "DefaultDelay", 100), 7);
    EXPECT_FALSE(reread.ReadBool("Settings\\Toolbars\\Standard", "Visible", true));
}

TEST_F(SettingsStore, RewritingAValueKeepsItsPlace) {
    TSettingsStore store(Path());
    store.WriteInteger("S", "a", 1);
    store.WriteInteger("S", "b", 2);
    store.WriteInteger("S", "a", 3);
    EXPECT_EQ(store.ReadSection("S"), (QStringList{"a", "b"}));
    EXPECT_EQ(store.ReadInteger("S", "a", 0), 3);
    store.DeleteValue("S", "a");
    EXPECT_FALSE(store.ValueExists("S", "a"));
    EXPECT_TRUE(store.ValueExists("S", "b"));
}

// Hand-edited or damaged files must never lose the readable part.
TEST_F(SettingsStore, ToleratesForeignAndBrokenLines) {
    TSettingsStore store(Path());
    store.FromText("orphan=before any section\r\n"
                   "[FormPos\\Main]\r\n"
                   "; a comment\r\n"
                   "no equals sign here\r\n"
                   "Top=10\r\n"
                   "[broken header\n"
                   "Left=20\n"
                   "trailing\\");
    EXPECT_EQ(store.ReadInteger("FormPos\\Main", "Top", 0), 10);
    EXPECT_EQ(store.ReadInteger("FormPos\\Main", "Left", 0), 20);
    EXPECT_FALSE(store.ValueExists("FormPos\\Main", "orphan"));
    EXPECT_EQ(store.ReadSection("FormPos\\Main").size(), 2);
}

TEST_F(SettingsStore, MissingFileIsAnEmptyStoreAndSaveCreatesFolders) {
    TSettingsStore store(Path());
    EXPECT_TRUE(store.ReadSection("Settings").isEmpty());
    store.WriteBool("Settings", "TipDay", false);
    ASSERT_TRUE(store.Save());
    EXPECT_TRUE(QFile::exists(Path()));
    // No temporary file is left beside the store.
    EXPECT_EQ(QDir(Dir.filePath("sub/dir")).entryList(QDir::Files), QStringList{"store.ini"});
}

TEST_F(SettingsStore, SaveFailureIsReported) {
    // A plain file where the folder should be makes the save impossible.
    QFile blocker(Dir.filePath("sub"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TSettingsStore store(Path());
    store.WriteInteger("S", "a", 1);
    EXPECT_FALSE(store.Save());
}

TEST(SettingsStoreLocation, FollowsXdgConfigHome) {
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where");
    EXPECT_EQ(S(TSettingsStore::DefaultFileName()),
              "/some/where/Pellmark Software/Reelix 2.0/Reelix 2.0.ini");
    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(S(TSettingsStore::DefaultFileName()),
              S(QDir::homePath() + "/.config/Pellmark Software/Reelix 2.0/Reelix 2.0.ini"));
    qputenv("XDG_CONFIG_HOME", old);
}
