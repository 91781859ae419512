// Program Options and Organize Favorites, driven through their controls from
// the main window: what they show, what they store, what they change at once.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "app/ThumbnailPane.h"
#include "controls/ColorComboBox.h"
#include "controls/NumericEdit.h"
#include "controls/RXListBox.h"
#include "controls/UpDown.h"
#include "dialogs/Settings.h"
#include "gif/GIFImage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

namespace {
const QString Main = QStringLiteral("Settings\\");
const QString Favorites = QStringLiteral("ThumbNails\\Favorites");

int ColorValue(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

void SelectNamed(TColorComboBox* Box, const QString& Name) {
    const int row = Box->findText(Name);
    QVERIFY(row >= 0);
    Box->setCurrentIndex(row);
    emit Box->activated(row);
}

QStringList StoredFavorites(const TSettingsStore& Store) {
    QStringList names = Store.ReadSection(Favorites);
    names.removeAll(QString());
    return names;
}
} // namespace

class TProgramOptionsTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString StorePath() const { return FDir.filePath(QStringLiteral("settings.ini")); }
    QString ProgramFolder() const { return FDir.filePath(QStringLiteral("program")); }

    // Opens Program Options on Form, lets Work use it, and answers Accepted.
    static void RunOptions(TfrmMain& Form, const std::function<void(TfrmSettings&)>& Work,
                           int Answer = QDialog::Accepted) {
        bool ran = false;
        Form.SetDialogRunner([&](QDialog& d) {
            auto* dialog = qobject_cast<TfrmSettings*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            ran = true;
            Work(*dialog);
            return Answer;
        });
        Form.Command(TCommandId::ProgramOptions)->trigger();
        QVERIFY(ran);
    }

private slots:
    void init() { QFile::remove(StorePath()); }

    void firstStartShowsTheDefaults() {
        TSettingsStore store(StorePath());
        TScriptedPrompts prompts;
        TfrmMain form(store, prompts, ProgramFolder());
        RunOptions(form, [](TfrmSettings& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Program Options"));
            QCOMPARE(d.tabOptions->count(), 4);
            QCOMPARE(d.txtDelay->text(), QStringLiteral("100"));
            QCOMPARE(d.txtLoop->text(), QStringLiteral("0"));
            // What is in effect: saving makes backups, imports take the
            // palette settings without asking, one self-adapting palette.
            QVERIFY(d.chkBackUps->isChecked());
            QVERIFY(d.chkAnimation->isChecked());
            QVERIFY(!d.chkFlatTB->isChecked());
            QVERIFY(d.chkAutoLoad->isChecked());
            QCOMPARE(d.cbThumbSize->currentText(), QStringLiteral("75"));
            QVERIFY(d.optClip->isChecked());
            QVERIFY(!d.chkDefault->isChecked());
            QVERIFY(d.optPalFitted->isChecked());
            QVERIFY(d.optNearest->isChecked());
            QCOMPARE(d.cbMaxColors->currentText(), QStringLiteral("256"));
            QVERIFY(d.chkDefaultPal->isChecked());
            QCOMPARE(d.cbBrushColor->currentText(), QStringLiteral("Default"));
            QCOMPARE(d.cbBrushColor->SelectedColor(), 0xC0C0C0);
            QCOMPARE(d.cbHighlightColor->SelectedColor(), ColorValue(Qt::red));
            QCOMPARE(d.cbAniBGColor->SelectedColor(), 0xFFFFFF);
            QVERIFY(!d.btnReset->isEnabled());
            QCOMPARE(d.lbSample->count(), 2);
            QCOMPARE(d.lbSample->currentRow(), 0);
        }, QDialog::Rejected);
        QCOMPARE(form.Session().Read(Setting::DefaultDelay), 100);
        QCOMPARE(form.Session().Read(Setting::DefaultLoop), 0);
    }

    void chosenValuesAreAppliedAndSurviveARestart() {
        QTemporaryDir pictures;
        const QString picture = pictures.filePath(QStringLiteral("p.bmp"));
        QImage(8, 8, QImage::Format_RGB32).save(picture);
        TProgramOptions chosen;
        {
            TMainFormRig rig(StorePath(), ProgramFolder(), false);
            TfrmMain& form = *rig.Form;
            RunOptions(form, [&](TfrmSettings& d) {
                d.txtDelay->setText(QStringLiteral("250"));
                d.txtLoop->setText(QStringLiteral("3"));
                d.chkBackUps->setChecked(true);
                d.chkAnimation->setChecked(true);
                d.chkFlatTB->setChecked(true);
                d.chkAutoLoad->setChecked(false);
                d.cbThumbSize->setCurrentIndex(d.cbThumbSize->findText(QStringLiteral("100")));
                SelectNamed(d.cbBrushColor, QStringLiteral("Navy"));
                SelectNamed(d.cbSelTextColor, QStringLiteral("Yellow"));
                SelectNamed(d.cbAniBGColor, QStringLiteral("Black"));
                QVERIFY(d.btnReset->isEnabled());
                d.optChange->setChecked(true);
                d.chkDefault->setChecked(true);
                d.optPalOptimzed->setChecked(true);
                d.cbMaxColors->setCurrentIndex(d.cbMaxColors->findText(QStringLiteral("64")));
                d.optFloyd->setChecked(true);
                d.chkDefaultPal->setChecked(true);
                chosen = d.Options();
            });
            // Applied at once.
            QCOMPARE(form.Session().Read(Setting::DefaultDelay), 250);
            QCOMPARE(form.Session().Read(Setting::DefaultLoop), 3);
            QVERIFY(!form.ToolBarsFlat());
            QCOMPARE(form.ToolBarRowSize(), 28);
            QCOMPARE(form.FramesList()->FrameColor, QColor(0, 0, 0x80));
            QCOMPARE(form.FramesList()->SelTextColor, QColor(Qt::yellow));
            QCOMPARE(int(form.Document()->ColorReductionKind), int(crQuantize));
            QCOMPARE(form.Document()->ReductionBits(), 6);
            QCOMPARE(int(form.Document()->DitherKind), int(dkFloydSteinberg));
            // A new frame takes the new delay.
            form.Frames().FilesDropped(-1, {picture});
            QCOMPARE(int(form.Document()->Frames()[0]->ControlExtension()->DelayTime), 250);
            form.Session().History().setClean();
            QVERIFY(form.SaveSettings());
        }
        QCOMPARE(chosen.DefaultDelay, 250);
        TSettingsStore store(StorePath());
        TScriptedPrompts prompts;
        TfrmMain again(store, prompts, ProgramFolder());
        QCOMPARE(again.Session().Read(Setting::DefaultDelay), 250);
        QVERIFY(!again.ToolBarsFlat());
        RunOptions(again, [&](TfrmSettings& d) {
            const TProgramOptions shown = d.Options();
            QCOMPARE(shown.DefaultDelay, 250);
            QCOMPARE(shown.DefaultLoop, 3);
            QVERIFY(shown.MakeBackups);
            QVERIFY(shown.NormalStyle);
            QVERIFY(!shown.AutoLoad);
            QCOMPARE(shown.ThumbSize, 100);
            QCOMPARE(shown.FrameColor, QColor(0, 0, 0x80));
            QCOMPARE(shown.SelTextColor, QColor(Qt::yellow));
            QCOMPARE(shown.AnimationColor, QColor(Qt::black));
            QVERIFY(!shown.FrameSize.ClipFrame);
            QVERIFY(shown.FrameSize.ClipDefault);
            QCOMPARE(shown.Palette.PaletteType, 0);
            QCOMPARE(shown.Palette.MaxColorCount, 64);
            QCOMPARE(shown.Palette.DitherMethod, 1);
            QVERIFY(shown.Palette.PaletteDefaults);
        }, QDialog::Rejected);
    }

    void onlyChangedValuesAreStored() {
        TMainFormRig rig(StorePath(), ProgramFolder(), false);
        RunOptions(*rig.Form, [](TfrmSettings&) {});
        const TSettingsStore& s = rig.Store;
        for (const char* name : {"DefaultDelay", "DefaultLoop", "ClipFrame", "ClipDefault", "FrameColor",
                                 "WindowColor", "FrameHighlightColor", "FrameSelTextColor", "AnimationWindowColor"})
            QVERIFY2(!s.ValueExists(Main, QLatin1String(name)), name);
        QVERIFY(!s.ValueExists(QStringLiteral("Settings\\Toolbars\\"), QStringLiteral("NormalStyle")));
        QVERIFY(!s.ValueExists(QStringLiteral("ThumbNails\\"), QStringLiteral("ThumbailSize")));
        // The boxes showed what is in effect, so OK untouched stores none of
        // it and nothing changes: backups on, imports without the question.
        for (const char* name : {"MakeBackups", "PaletteType", "PaletteDefaults", "MaxColorCount", "DitherMethod",
                                 "MaxImportCount"})
            QVERIFY2(!s.ValueExists(Main, QLatin1String(name)), name);
        QVERIFY(s.Read(Setting::MakeBackups));
        QVERIFY(s.Read(Setting::PaletteDefaults));
        // A second OK with values that are stored already writes nothing new.
        rig.Store.WriteInteger(Main, QStringLiteral("DefaultDelay"), 40);
        RunOptions(*rig.Form, [](TfrmSettings& d) { QCOMPARE(d.txtDelay->text(), QStringLiteral("40")); });
        QCOMPARE(rig.Store.ReadInteger(Main, QStringLiteral("DefaultDelay"), 0), 40);
        QCOMPARE(rig.Form->Session().Read(Setting::DefaultDelay), 40);
    }

    void aStoredThumbnailSizeOffTheListSelectsNothing() {
        {
            TSettingsStore store(StorePath());
            store.WriteInteger(QStringLiteral("ThumbNails\\"), QStringLiteral("ThumbailSize"), 77);
            store.Save();
        }
        TMainFormRig rig(StorePath(), ProgramFolder(), false);
        RunOptions(*rig.Form, [](TfrmSettings& d) { QCOMPARE(d.cbThumbSize->currentIndex(), -1); });
        QCOMPARE(rig.Store.ReadInteger(QStringLiteral("ThumbNails\\"), QStringLiteral("ThumbailSize"), 0), 77);
        QCOMPARE(rig.Form->CurrentOptions().ThumbSize, 77);
    }

    void numberFieldsRefuseBadValuesAndResetRestoresColors() {
        TMainFormRig rig(StorePath(), ProgramFolder(), false);
        RunOptions(*rig.Form, [&](TfrmSettings& d) {
            d.txtDelay->Remembered = d.txtDelay->text();
            d.txtDelay->setText(QStringLiteral("99999"));
            emit d.txtDelay->Left();
            QCOMPARE(rig.Prompts.Texts(), QStringList{"'99999' is not a valid integer value."});
            QCOMPARE(d.txtDelay->text(), QStringLiteral("100"));
            // Letters never reach the field.
            d.txtLoop->setFocus();
            QTest::keyClicks(d.txtLoop, QStringLiteral("a7"));
            QCOMPARE(d.txtLoop->text(), QStringLiteral("07"));
            // The arrows step within 1..32767.
            d.udDelay->SetPosition(1);
            QTest::mouseClick(d.udDelay->btnDown, Qt::LeftButton);
            QCOMPARE(d.udDelay->Position(), 1);

            SelectNamed(d.cbWindowColor, QStringLiteral("Teal"));
            SelectNamed(d.cbHighlightColor, QStringLiteral("Lime"));
            QVERIFY(d.btnReset->isEnabled());
            QTest::mouseClick(d.btnReset, Qt::LeftButton);
            QVERIFY(!d.btnReset->isEnabled());
            for (TColorComboBox* box : {d.cbBrushColor, d.cbWindowColor, d.cbHighlightColor, d.cbSelTextColor, d.cbAniBGColor})
                QCOMPARE(box->currentIndex(), 0);
            QCOMPARE(d.cbHighlightColor->SelectedColor(), ColorValue(Qt::red));
        }, QDialog::Rejected);
    }

    void favoritesAreOrganizedAndTheKeyRewritten() {
        const QString a = QStringLiteral("/pictures/a"), b = QStringLiteral("/pictures/b"),
                      c = QStringLiteral("/pictures/c"), d = QStringLiteral("/pictures/d");
        {
            TSettingsStore store(StorePath());
            for (const QString& f : {a, b, c})
                store.WriteString(Favorites, f, QString());
            store.Save();
        }
        TMainFormRig rig(StorePath(), ProgramFolder(), false);
        TfrmMain& form = *rig.Form;
        QCOMPARE(form.Thumbnails().Favorites(), (QStringList{a, b, c}));
        auto* menu = form.findChild<QMenu*>(QStringLiteral("popThumbsFavorites"));
        QCOMPARE(menu->actions().size(), 3 + 3);
        QCOMPARE(menu->actions()[3]->text(), a);
        QCOMPARE(menu->actions()[3]->statusTip(), QStringLiteral("Loads Thumbnails from this folder"));

        rig.Prompts.Answers << TMsgResult::No << TMsgResult::Yes;
        rig.Prompts.FileNames << d << a;
        auto organize = [&](TfrmSettings& s) {
            QCOMPARE(s.windowTitle(), QStringLiteral("Organize Favorites Folder"));
            QVERIFY(!s.btnUp->isEnabled() && !s.btnRemove->isEnabled());
            s.lvFavorites->setCurrentItem(s.lvFavorites->topLevelItem(0));
            QVERIFY(!s.btnUp->isEnabled());
            QVERIFY(s.btnDown->isEnabled());
            QTest::mouseClick(s.btnDown, Qt::LeftButton);
            QCOMPARE(s.Favorites(), (QStringList{b, a, c}));
            QCOMPARE(s.lvFavorites->currentItem()->text(0), a);
            s.lvFavorites->setCurrentItem(s.lvFavorites->topLevelItem(2));
            QVERIFY(!s.btnDown->isEnabled());
            QTest::mouseClick(s.btnRemove, Qt::LeftButton); // answered No
            QCOMPARE(s.Favorites().size(), 3);
            QTest::mouseClick(s.btnRemove, Qt::LeftButton); // answered Yes
            QCOMPARE(s.Favorites(), (QStringList{b, a}));
            QCOMPARE(s.lvFavorites->currentItem()->text(0), a);
            s.lvFavorites->setCurrentItem(s.lvFavorites->topLevelItem(0));
            QTest::mouseClick(s.btnAdd, Qt::LeftButton); // d, after the selected one
            QCOMPARE(s.Favorites(), (QStringList{b, d, a}));
            QTest::mouseClick(s.btnAdd, Qt::LeftButton); // a again: ignored
            QCOMPARE(s.Favorites(), (QStringList{b, d, a}));
            QVERIFY(s.FavoritesChanged);
        };
        form.SetDialogRunner([&](QDialog& dialog) {
            auto& s = static_cast<TfrmSettings&>(dialog);
            if (s.DialogType() != TfrmSettings::dtFavorites)
                return int(QDialog::Rejected);
            organize(s);
            return int(QDialog::Accepted);
        });
        rig.Cmd(TCommandId::OrganizeFavorites)->trigger();
        QCOMPARE(rig.Prompts.Texts().last(), QStringLiteral("Do you want to remove %1 the Favorites list?").arg(c));
        QCOMPARE(form.Thumbnails().Favorites(), (QStringList{b, d, a}));
        QCOMPARE(menu->actions().size(), 3 + 3);
        QCOMPARE(menu->actions()[4]->text(), d);
        // Stored at once, whole: the removed folder is gone.
        TSettingsStore stored(StorePath());
        QCOMPARE(StoredFavorites(stored), (QStringList{b, d, a}));

        // Add Current Folder adds the tree's folder once.
        QTemporaryDir shown;
        form.Thumbnails().SetTreeFolder(shown.path());
        rig.Cmd(TCommandId::AddFavorite)->trigger();
        rig.Cmd(TCommandId::AddFavorite)->trigger();
        QCOMPARE(form.Thumbnails().Favorites().size(), 4);
        QCOMPARE(form.Thumbnails().Favorites().last(), QDir::toNativeSeparators(QDir::cleanPath(shown.path())));
    }
};

QTEST_MAIN(TProgramOptionsTest)
#include "tst_ProgramOptions.moc"
