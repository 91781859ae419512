// Behaviour of the main window: enabling rules, panes, tool bars, hints,
// start-up and exit with the settings store.
#include "app/MainForm.h"
#include "app/MainFormRig.h"
#include "app/Routines.h"
#include "app/ScriptedPrompts.h"
#include "app/ThumbnailPane.h"
#include "controls/RXListBox.h"
#include "services/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <QToolBar>
#include <QToolButton>
#include <memory>

class TMainFormTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString StorePath() const { return FDir.filePath(QStringLiteral("settings.ini")); }
    QString ProgramFolder() const { return FDir.filePath(QStringLiteral("program")); }

    // A window over a fresh store read from the test's file, animation off.
    struct TRig : TMainFormRig {
        TRig(const QString& path, const QString& folder) : TMainFormRig(path, folder, false) {}
    };

private slots:
    void init() {
        QFile::remove(StorePath());
        QApplication::clipboard()->clear();
    }

    // One action per command: named by its id, reachable from a menu, a tool
    // bar or a popup, with shortcuts no other command has.
    void everyCommandIsOneActionInTheTable() {
        TRig rig(StorePath(), ProgramFolder());
        QHash<QString, TCommandId> keys;
        const QList<QWidget*> owners = [&] {
            QList<QWidget*> list;
            for (QMenu* m : rig.Form->findChildren<QMenu*>())
                list << m;
            for (QToolBar* t : rig.Form->findChildren<QToolBar*>())
                list << t;
            return list;
        }();
        for (int i = 0; i < int(TCommandId::Count); ++i) {
            const auto id = TCommandId(i);
            QAction* a = rig.Form->Command(id);
            QVERIFY(a);
            QCOMPARE(a->objectName(), QLatin1String(CommandName(id)));
            QCOMPARE(CommandEntry(id).Id, id);
            QVERIFY2(std::any_of(owners.begin(), owners.end(), [a](QWidget* w) { return w->actions().contains(a); }),
                     CommandName(id));
            for (const QKeySequence& key : a->shortcuts()) {
                QVERIFY2(!keys.contains(key.toString()), qPrintable(key.toString()));
                keys.insert(key.toString(), id);
            }
        }
        QCOMPARE(rig.Form->findChildren<QAction*>(QStringLiteral("Open")).size(), 1);
    }

    void emptyDocumentEnabling_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<TCommandId>("command");
        QTest::addColumn<bool>("enabled");
        const struct { const char* menu; TCommandId cmd; bool on; } rows[] = {
            {"mnuFile", TCommandId::New, true},          {"mnuFile", TCommandId::Open, true},
            {"mnuFile", TCommandId::Save, false},        {"mnuFile", TCommandId::SaveAs, false},
            {"mnuFile", TCommandId::ExportImages, false}, {"mnuFile", TCommandId::ExportVideo, false},
            {"mnuFile", TCommandId::ImportVideo, true},    {"mnuFile", TCommandId::Exit, true},
            {"mnuEdit", TCommandId::Cut, false},         {"mnuEdit", TCommandId::Copy, false},
            {"mnuEdit", TCommandId::Paste, false},       {"mnuEdit", TCommandId::DeleteFrame, false},
            {"mnuEdit", TCommandId::FrameProperties, false},   {"mnuEdit", TCommandId::AddComment, false},
            {"mnuEdit", TCommandId::MoveUp, false},      {"mnuEdit", TCommandId::MoveDown, false},
            {"mnuEdit", TCommandId::AnimationInformation, false},     {"mnuEdit", TCommandId::GlobalProperties, false},
            {"mnuEdit", TCommandId::AddFrame, true},
            {"mnuView", TCommandId::Play, false},        {"mnuView", TCommandId::Pause, false},
            {"mnuTools", TCommandId::Optimize, false},  {"mnuTools", TCommandId::CommentEditor, false},
            {"mnuTools", TCommandId::HtmlCode, false},      {"mnuTools", TCommandId::ProgramOptions, true},
            // Without any menu: set as the state changes.
            {"", TCommandId::Save, false},    {"", TCommandId::Cut, false},          {"", TCommandId::Paste, false},
            {"", TCommandId::Play, false},    {"", TCommandId::Pause, false},        {"", TCommandId::MoveToStart, false},
            {"", TCommandId::MoveToEnd, false}, {"", TCommandId::AnimationInformation, false}, {"", TCommandId::AddFrame, true},
            {"", TCommandId::HelpContents, true},     {"", TCommandId::New, true},
            // The frames popup.
            {"popFrames", TCommandId::FrameProperties, false},   {"popFrames", TCommandId::DeleteAllFrames, false},
            {"popFrames", TCommandId::Paste, false},   {"popFrames", TCommandId::AddFrame, true},
        };
        for (const auto& r : rows)
            QTest::addRow("%s %s", r.menu, CommandName(r.cmd)) << QString::fromLatin1(r.menu) << r.cmd << r.on;
    }
    void emptyDocumentEnabling() {
        QFETCH(QString, menu);
        QFETCH(TCommandId, command);
        QFETCH(bool, enabled);
        TRig rig(StorePath(), ProgramFolder());
        if (!menu.isEmpty())
            rig.DropDown(menu.toLatin1().constData());
        QAction* a = rig.Form->Command(command);
        QCOMPARE(a->isEnabled(), enabled);
    }

    // The enabling is computed on drop-down, from the state at that moment.
    void pasteFollowsTheClipboard() {
        TRig rig(StorePath(), ProgramFolder());
        rig.DropDown("mnuEdit");
        QVERIFY(!rig.Cmd(TCommandId::Paste)->isEnabled());
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QApplication::clipboard()->setImage(picture);
        rig.DropDown("mnuEdit");
        QVERIFY(rig.Cmd(TCommandId::Paste)->isEnabled());
        QApplication::clipboard()->setText(QStringLiteral("just text"));
        rig.DropDown("mnuEdit");
        QVERIFY(!rig.Cmd(TCommandId::Paste)->isEnabled());
    }

    void recentFilesOnlyWhenThereAreSome() {
        {
            TRig rig(StorePath(), ProgramFolder());
            rig.DropDown("mnuFile");
            QVERIFY(!rig.Form->findChild<QMenu*>(QStringLiteral("mnuFileReopen"))->menuAction()->isVisible());
        }
        TSettingsStore store(StorePath());
        store.WriteString(QStringLiteral("Settings\\MRU"), QStringLiteral("/tmp/a.gif"), QString());
        QVERIFY(store.Save());
        TRig rig(StorePath(), ProgramFolder());
        rig.DropDown("mnuFile");
        QVERIFY(rig.Form->findChild<QMenu*>(QStringLiteral("mnuFileReopen"))->menuAction()->isVisible());
    }

    void frameWindowSide() {
        TRig rig(StorePath(), ProgramFolder());
        rig.Form->resize(800, 600);
        rig.Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.Form.get()));
        QVERIFY(!rig.Form->FramesOnLeft());
        const int width = rig.Form->FramesList()->width();

        rig.Cmd(TCommandId::FramesLeft)->trigger();
        QVERIFY(rig.Form->FramesOnLeft());
        QVERIFY(rig.Cmd(TCommandId::FramesLeft)->isChecked());
        QVERIFY(!rig.Cmd(TCommandId::FramesRight)->isChecked());
        QTRY_COMPARE(rig.Form->FramesList()->width(), width);
        QVERIFY(rig.Form->FramesList()->x() < rig.Form->AnimationBox()->x());

        rig.Cmd(TCommandId::FramesRight)->trigger();
        QVERIFY(!rig.Form->FramesOnLeft());
        QVERIFY(rig.Cmd(TCommandId::FramesRight)->isChecked());
        QTRY_COMPARE(rig.Form->FramesList()->width(), width);
        QVERIFY(rig.Form->FramesList()->x() > rig.Form->AnimationBox()->x());
    }

    void toolBarVisibility_data() {
        QTest::addColumn<TCommandId>("item");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("tag");
        for (const char* list : {"mnuViewTB", "popTB"}) {
            QTest::addRow("standard from %s", list) << TCommandId::StandardToolBar << list << 0;
            QTest::addRow("animation from %s", list) << TCommandId::AnimationToolBar << list << 2;
            QTest::addRow("frame from %s", list) << TCommandId::FrameToolBar << list << 1;
        }
    }
    void toolBarVisibility() {
        QFETCH(TCommandId, item);
        QFETCH(QString, list);
        QFETCH(int, tag);
        TRig rig(StorePath(), ProgramFolder());
        rig.Form->show();
        rig.DropDown(list.toLatin1().constData());
        QAction* a = rig.Form->Command(item);
        // The menu and the tool bars' popup hold the same item.
        QVERIFY(rig.Form->findChild<QMenu*>(QStringLiteral("mnuViewTB"))->actions().contains(a));
        QVERIFY(rig.Form->findChild<QMenu*>(QStringLiteral("popTB"))->actions().contains(a));
        QVERIFY(a->isChecked());
        a->trigger(); // hides
        QVERIFY(rig.Form->ToolBar(tag)->isHidden());
        // Reopening the list shows exactly that tool bar unchecked.
        rig.DropDown("mnuViewTB");
        for (int other = 0; other < 3; ++other)
            QCOMPARE(rig.Form->ToolBar(other)->isHidden(), other == tag);
        QVERIFY(!a->isChecked());
        int checked = 0;
        for (TCommandId n : {TCommandId::StandardToolBar, TCommandId::AnimationToolBar, TCommandId::FrameToolBar})
            checked += rig.Cmd(n)->isChecked();
        QCOMPARE(checked, 2);
        a->trigger(); // shows again
        QVERIFY(!rig.Form->ToolBar(tag)->isHidden());
        // A tool bar hidden some other way is shown unchecked too.
        rig.Form->ToolBar(tag)->hide();
        rig.DropDown("popTB");
        QVERIFY(!a->isChecked());
    }

    void hintsGoToStatusPanel2() {
        TRig rig(StorePath(), ProgramFolder());
        rig.Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.Form.get()));
        QAction* help = rig.Cmd(TCommandId::HelpContents);
        QCOMPARE(help->toolTip(), QStringLiteral("Help"));
        QWidget* button = rig.Form->findChild<QToolBar*>(QStringLiteral("tbStandard"))->widgetForAction(help);
        QVERIFY(button);
        QStatusTipEvent tip(button->statusTip());
        QApplication::sendEvent(button, &tip);
        QCOMPARE(rig.Form->StatusText(2), QStringLiteral("Opens Help"));
        // A menu item's hint arrives the same way while the menu is browsed.
        // (Qt reports menu hovers through the menu bar that opened the menu.)
        rig.Cmd(TCommandId::FrameSize96)->showStatusText(rig.Form->menuBar());
        QCOMPARE(rig.Form->StatusText(2), QStringLiteral("Changes the frame preview size to 96 x 96 pixels"));
        // Popup items (the frames list's menu) report their hints too.
        auto* popup = rig.Form->findChild<QMenu*>(QStringLiteral("popFrames"));
        emit popup->hovered(rig.Cmd(TCommandId::DeleteAllFrames));
        QCOMPARE(rig.Form->StatusText(2), QStringLiteral("Deletes every frame"));
        emit popup->aboutToHide();
        QCOMPARE(rig.Form->StatusText(2), QString());
        // Leaving empties the panel.
        QStatusTipEvent empty{QString()};
        QApplication::sendEvent(button, &empty);
        QCOMPARE(rig.Form->StatusText(2), QString());
        QCOMPARE(rig.Form->StatusText(1), QString());
    }

    void firstStartDefaults() {
        TSettingsStore store(StorePath()); // nothing stored at all
        TScriptedPrompts prompts;
        TfrmMain form(store, prompts, ProgramFolder());
        QCOMPARE(form.windowTitle(), QStringLiteral("Pellmark Reelix 2.0 - Untitled"));
        QVERIFY(!form.windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(form.size(), QSize(780, 580));
        QCOMPARE(form.pos(), QPoint(80, 60));
        QVERIFY(!form.FramesOnLeft());
        QCOMPARE(form.Session().Read(Setting::DefaultDelay), 100);
        QCOMPARE(form.Session().Read(Setting::DefaultLoop), 0);
        QCOMPARE(form.FrameSize(), 160);
        QCOMPARE(form.Thumbnails().Filter(), 4);
        QCOMPARE(form.Session().FileName(), QStringLiteral("Untitled"));
        QVERIFY(!form.Session().Modified());
        QVERIFY(form.Command(TCommandId::FrameSize160)->isChecked());
        QVERIFY(form.Command(TCommandId::ThumbnailWindow)->isChecked());
        QVERIFY(form.Command(TCommandId::ExplorerWindow)->isChecked());
        QVERIFY(form.Command(TCommandId::FilterAll)->isChecked());
        QVERIFY(form.ToolBarsFlat());
        QCOMPARE(form.ToolBarRowSize(), 26);
        QCOMPARE(form.AnimationPanel()->size(), QSize(100, 100));
        QCOMPARE(form.FramesList()->ItemHeight(), 160 + 65);
        QCOMPARE(form.Thumbnails().StartFolder(), QDir(ProgramFolder()).filePath(QStringLiteral("Images")));
    }

    void oddStoredValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("unknown window state maximizes") << "WindowState" << "Minimized";
        QTest::newRow("frame size 100 checks 160") << "FrameSize" << "100";
        QTest::newRow("unparsable delay") << "DefaultDelay" << "fast";
        QTest::newRow("unknown side aligns left") << "FrameWindowAlign" << "Middle";
    }
    void oddStoredValues() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        TSettingsStore store(StorePath());
        store.WriteString(name == "WindowState" ? QStringLiteral("FormPos\\Main") : QStringLiteral("Settings\\"),
                          name, value);
        TScriptedPrompts prompts;
        TfrmMain form(store, prompts, ProgramFolder());
        if (name == "WindowState") {
            QVERIFY(form.windowState().testFlag(Qt::WindowMaximized));
        } else if (name == "FrameSize") {
            QVERIFY(form.Command(TCommandId::FrameSize160)->isChecked());
            QCOMPARE(form.FrameSize(), 100); // kept until another size is chosen
            QCOMPARE(form.FramesList()->ItemHeight(), 165);
        } else if (name == "DefaultDelay") {
            QCOMPARE(form.Session().Read(Setting::DefaultDelay), 100);
        } else {
            QVERIFY(form.FramesOnLeft());
            QVERIFY(form.Command(TCommandId::FramesLeft)->isChecked());
        }
    }

    void settingsSurviveARestart() {
        const QStringList recent = {QStringLiteral("/home/ann/My Pictures/a=b;c.gif"),
                                    QStringLiteral("/tmp/[x]/ünï cødé.gif"),
                                    QStringLiteral("C:\\old\\path.gif")};
        const QStringList favorites = {QStringLiteral("/srv/pictures"), QStringLiteral("/home/ann/Desktop dir")};
        QSize size;
        int thumbsHeight = 0, listWidth = 0;
        {
            TRig rig(StorePath(), ProgramFolder());
            rig.Form.reset(); // its exit would rewrite the lists below
            for (const QString& f : recent)
                rig.Store.WriteString(QStringLiteral("Settings\\MRU"), f, QStringLiteral("stale data"));
            for (const QString& f : favorites)
                rig.Store.WriteString(QStringLiteral("ThumbNails\\Favorites"), f, QString());
            // Values owned by dialogs that do not exist yet must be left alone.
            rig.Store.WriteInteger(QStringLiteral("Settings\\"), QStringLiteral("PaletteType"), 1);
            rig.Store.WriteInteger(QStringLiteral("Settings\\"), QStringLiteral("DefaultDelay"), 7);
            rig.Store.WriteInteger(QStringLiteral("Settings\\"), QStringLiteral("DefaultLoop"), 3);
            QVERIFY(rig.Store.Save());
            rig.Form = std::make_unique<TfrmMain>(rig.Store, rig.Prompts, ProgramFolder());
            rig.Form->show();
            QVERIFY(QTest::qWaitForWindowExposed(rig.Form.get()));
            rig.Cmd(TCommandId::FramesLeft)->trigger();
            rig.DropDown("mnuViewTB");
            rig.Cmd(TCommandId::FrameToolBar)->trigger();
            rig.Cmd(TCommandId::FrameSize96)->trigger();
            rig.Cmd(TCommandId::AutoSizeSplitter)->trigger();
            rig.Form->resize(700, 500);
            rig.Form->move(33, 44);
            QTest::qWait(50);
            auto* split = rig.Form->findChild<QSplitter*>(QStringLiteral("splitVert"));
            split->setSizes({300, 150});
            auto* lists = rig.Form->findChild<QSplitter*>(QStringLiteral("splitHorz"));
            lists->setSizes({150, 500});
            QTest::qWait(20);
            thumbsHeight = rig.Form->findChild<QWidget*>(QStringLiteral("pnlThumbs"))->height();
            listWidth = rig.Form->FramesList()->width();
            size = rig.Form->size();
            rig.Form.reset(); // exit writes the settings
        }
        TSettingsStore reread(StorePath());
        QCOMPARE(reread.ReadSection(QStringLiteral("Settings\\MRU")), recent);
        for (const QString& f : recent)
            QCOMPARE(reread.ReadString(QStringLiteral("Settings\\MRU"), f, QStringLiteral("x")), QString());
        QCOMPARE(reread.ReadSection(QStringLiteral("ThumbNails\\Favorites")), QStringList{QString()} + favorites);
        QCOMPARE(reread.ReadInteger(QStringLiteral("Settings"), QStringLiteral("PaletteType"), -1), 1);
        QCOMPARE(reread.ReadString(QStringLiteral("FormPos\\Main"), QStringLiteral("WindowState"), QString()),
                 QStringLiteral("Normal"));
        QCOMPARE(reread.ReadInteger(QStringLiteral("Settings"), QStringLiteral("MakeBackups"), -1), 1);
        QCOMPARE(reread.ReadInteger(QStringLiteral("Settings"), QStringLiteral("ClipFrame"), -1), 1);
        QCOMPARE(reread.ReadInteger(QStringLiteral("Settings"), QStringLiteral("ClipDefault"), -1), 0);

        TScriptedPrompts prompts;
        TfrmMain form(reread, prompts, ProgramFolder());
        QVERIFY(form.FramesOnLeft());
        QCOMPARE(form.FrameSize(), 96);
        QVERIFY(form.Command(TCommandId::FrameSize96)->isChecked());
        QVERIFY(!form.Command(TCommandId::AutoSizeSplitter)->isChecked());
        QVERIFY(form.ToolBar(1)->isHidden());
        QVERIFY(!form.ToolBar(0)->isHidden());
        QCOMPARE(form.Session().Read(Setting::DefaultDelay), 7);
        QCOMPARE(form.Session().Read(Setting::DefaultLoop), 3);
        QCOMPARE(form.size(), size);
        QCOMPARE(form.pos(), QPoint(33, 44));
        QCOMPARE(reread.ReadInteger(QStringLiteral("ThumbNails"), QStringLiteral("WindowHeight"), -1), thumbsHeight);
        QCOMPARE(reread.ReadInteger(QStringLiteral("Settings"), QStringLiteral("FrameWindowWidth"), -1), listWidth);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.findChild<QWidget*>(QStringLiteral("pnlThumbs"))->height(), thumbsHeight);
        QTRY_COMPARE(form.FramesList()->width(), listWidth);
        form.findChild<QMenu*>(QStringLiteral("mnuFile"))->aboutToShow();
        auto* reopen = form.findChild<QMenu*>(QStringLiteral("mnuFileReopen"));
        QCOMPARE(reopen->actions().size(), recent.size());
        QCOMPARE(reopen->actions().at(1)->text(), QStringLiteral("&1 ") + recent[1]);
    }

    void paneVisibilityAtStartUp_data() {
        QTest::addColumn<bool>("pane");
        QTest::addColumn<bool>("tree");
        QTest::newRow("both shown") << true << true;
        QTest::newRow("pane hidden") << false << true;
        QTest::newRow("tree hidden") << true << false;
        QTest::newRow("both hidden") << false << false;
    }
    void paneVisibilityAtStartUp() {
        QFETCH(bool, pane);
        QFETCH(bool, tree);
        TSettingsStore store(StorePath());
        store.WriteBool(QStringLiteral("ThumbNails\\"), QStringLiteral("Visible"), pane);
        store.WriteBool(QStringLiteral("ThumbNails\\"), QStringLiteral("ExplorerVisible"), tree);
        store.WriteBool(QStringLiteral("ThumbNails\\"), QStringLiteral("ViewStyle"), false);
        TScriptedPrompts prompts;
        TfrmMain form(store, prompts, ProgramFolder());
        QCOMPARE(form.Command(TCommandId::ThumbnailWindow)->isChecked(), pane);
        QCOMPARE(form.Command(TCommandId::ExplorerWindow)->isChecked(), tree);
        QCOMPARE(form.Command(TCommandId::ExplorerWindow)->isChecked(), tree);
        QVERIFY(form.Command(TCommandId::Details)->isChecked());
        QVERIFY(!form.Command(TCommandId::LargeIcons)->isChecked());
        auto* paneButton = form.findChild<QToolButton*>(QStringLiteral("btnCloseThumbs"));
        QCOMPARE(paneButton->parentWidget()->objectName(),
                 pane ? QStringLiteral("pnlThumbCaption") : QStringLiteral("StatusPanel0"));
        QCOMPARE(paneButton->toolTip(), pane ? QStringLiteral("Hide") : QStringLiteral("Show"));
        QCOMPARE(paneButton->statusTip(), pane ? QStringLiteral("Hide Thumbnails Window")
                                               : QStringLiteral("Show Thumbnails Window"));
        auto* treeButton = form.findChild<QToolButton*>(QStringLiteral("btnTVClose"));
        QCOMPARE(treeButton->parentWidget()->objectName(),
                 tree ? QStringLiteral("pnlTVCaption") : QStringLiteral("pnlThumbCaption"));
        QCOMPARE(treeButton->statusTip(), tree ? QStringLiteral("Hide Explorer Window")
                                               : QStringLiteral("Show Explorer Window"));
        // The spacer shows exactly when the tree's button sits on the pane's caption row.
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("bevSpacer"))->isHidden(), tree);
    }

    void toolBarStyleAndRowsSurviveARestart() {
        {
            TRig rig(StorePath(), ProgramFolder());
            rig.Form.reset();
            // Animation on a second row, normal (not flat) buttons.
            const QString bars = QStringLiteral("Settings\\Toolbars\\");
            rig.Store.WriteBool(bars, QStringLiteral("NormalStyle"), true);
            rig.Store.WriteInteger(bars + "Standard", QStringLiteral("Top"), 0);
            rig.Store.WriteInteger(bars + "Frame", QStringLiteral("Top"), 0);
            rig.Store.WriteInteger(bars + "Frame", QStringLiteral("Left"), 300);
            rig.Store.WriteInteger(bars + "Animation", QStringLiteral("Top"), 28);
            QVERIFY(rig.Store.Save());
            rig.Form = std::make_unique<TfrmMain>(rig.Store, rig.Prompts, ProgramFolder());
            rig.Form->show();
            QVERIFY(QTest::qWaitForWindowExposed(rig.Form.get()));
            QVERIFY(!rig.Form->ToolBarsFlat());
            QCOMPARE(rig.Form->ToolBarRowSize(), 28);
            QTRY_VERIFY(rig.Form->ToolBar(2)->y() > rig.Form->ToolBar(0)->y());
            QCOMPARE(rig.Form->ToolBar(1)->y(), rig.Form->ToolBar(0)->y());
            QVERIFY(rig.Form->ToolBar(1)->x() > rig.Form->ToolBar(0)->x());
            auto* button = qobject_cast<QToolButton*>(rig.Form->ToolBar(0)->widgetForAction(rig.Cmd(TCommandId::New)));
            QVERIFY(button && !button->autoRaise());
            rig.Form.reset();
        }
        TSettingsStore reread(StorePath());
        QCOMPARE(reread.ReadInteger(QStringLiteral("Settings\\Toolbars"), QStringLiteral("NormalStyle"), -1), 1);
        const int standardTop = reread.ReadInteger(QStringLiteral("Settings\\Toolbars\\Standard"), QStringLiteral("Top"), -1);
        const int animationTop = reread.ReadInteger(QStringLiteral("Settings\\Toolbars\\Animation"), QStringLiteral("Top"), -1);
        QVERIFY2(animationTop > standardTop, qPrintable(QString("have %1 and %2").arg(standardTop).arg(animationTop)));
        TScriptedPrompts prompts;
        TfrmMain form(reread, prompts, ProgramFolder());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.ToolBar(2)->y() > form.ToolBar(0)->y());
        QCOMPARE(form.ToolBar(1)->y(), form.ToolBar(0)->y());
    }

    void closeQueryOnAModifiedDocument_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("cancel keeps the window") << int(TMsgResult::Cancel) << false;
        QTest::newRow("no closes") << int(TMsgResult::No) << true;
        // Saving is not available yet, so Yes must not lose the changes.
        QTest::newRow("yes without a successful save stays") << int(TMsgResult::Yes) << false;
    }
    void closeQueryOnAModifiedDocument() {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        TRig rig(StorePath(), ProgramFolder());
        rig.Form->show();
        rig.Form->Session().History().resetClean(); // counts as changed
        rig.Prompts.Answers << TMsgResult(answer);
        rig.Cmd(TCommandId::Exit)->trigger();
        QCOMPARE(rig.Prompts.Texts(), QStringList{QStringLiteral("Would you like to save the changes to Untitled?")});
        QCOMPARE(rig.Prompts.Shown[0].Buttons, TMsgButtons::YesNoCancel);
        QCOMPARE(rig.Form->isVisible(), !closes);
    }

    void exitWithoutChangesAsksNothing() {
        TRig rig(StorePath(), ProgramFolder());
        rig.Form->show();
        rig.Cmd(TCommandId::Exit)->trigger();
        QVERIFY(!rig.Form->isVisible());
        QVERIFY(rig.Prompts.Shown.isEmpty());
    }

    void startupExtrasFollowTheSettings_data() {
        QTest::addColumn<bool>("displayAnimation");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("animation wanted, library missing")
            << true << QStringList{QStringLiteral("Could not load VELMOR.DLL library file.")};
        QTest::newRow("animation off") << false << QStringList{};
    }
    void startupExtrasFollowTheSettings() {
        QFETCH(bool, displayAnimation);
        QFETCH(QStringList, messages);
        TRig rig(StorePath(), ProgramFolder()); // the program folder has no library
        rig.Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("DisplayAnimation"), displayAnimation);
        rig.Form->ShowStartupExtras();
        QCOMPARE(rig.Prompts.Texts(), messages);
        QCOMPARE(rig.Form->AnimationPanel()->size(), QSize(100, 100));
    }

    // The built program folder: the start-up animation fills and sizes the preview.
    void startupAnimationFromTheLibrary() {
        const QString folder = QStringLiteral(REELIX_BINARY_DIR "/bin");
        if (!QFile::exists(folder + QStringLiteral("/VELMOR.DLL")))
            QSKIP("the program folder has not been built");
        TRig rig(StorePath(), folder);
        rig.Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("DisplayAnimation"), true);
        rig.Form->show();
        rig.Form->ShowStartupExtras();
        if (rig.Form->AnimationPanel()->size() == QSize(100, 100))
            QSKIP("this build's library holds no start-up animation");
        QVERIFY(rig.Prompts.Shown.isEmpty());
        const QSize panel = rig.Form->AnimationPanel()->size();
        QVERIFY(panel.width() > 2 && panel.height() > 2);
        const QSize client = rig.Form->AnimationBox()->viewport()->size();
        QCOMPARE(rig.Form->AnimationPanel()->x(), CenteredOffset(client.width(), panel.width(), 10));
        QCOMPARE(rig.Form->AnimationPanel()->y(), CenteredOffset(client.height(), panel.height(), 5));
    }

    void documentLivesWithTheWindow() {
        TRig rig(StorePath(), ProgramFolder());
        QVERIFY(rig.Form->Document());
        QVERIFY(rig.Form->FrameClipboard());
        QVERIFY(rig.Form->Document() != rig.Form->FrameClipboard());
    }

    void thumbnailScanRunsOnceAndForgetsTheFolder() {
        TRig rig(StorePath(), ProgramFolder());
        QStringList scanned;
        rig.Form->SetThumbnailScan([&](const QString& dir) { scanned << dir; });
        const QString folder = rig.Form->Thumbnails().StartFolder();
        rig.Form->ScanThumbnailFolder();
        QCOMPARE(scanned, QStringList{folder});
        QVERIFY(rig.Form->Thumbnails().StartFolder().isEmpty());
    }

    void webLinks_data() {
        QTest::addColumn<TCommandId>("command");
        QTest::addColumn<bool>("desktopWorks");
        for (TCommandId c : {TCommandId::HomePage, TCommandId::OrderPage, TCommandId::SupportPage}) {
            QTest::addRow("%s ok", CommandName(c)) << c << true;
            QTest::addRow("%s failing", CommandName(c)) << c << false;
        }
    }
    void webLinks() {
        QFETCH(TCommandId, command);
        QFETCH(bool, desktopWorks);
        TRig rig(StorePath(), ProgramFolder());
        QList<QUrl> opened;
        rig.Form->SetUrlOpener([&](const QUrl& u) { opened << u; return desktopWorks; });
        rig.Form->Command(command)->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].scheme().startsWith(QLatin1String("http")));
        // With no program to show it, the user is told, and sees the address.
        const QStringList want =
            desktopWorks ? QStringList{}
                         : QStringList{QStringLiteral("Could not load the default registered client.\n"
                                                      "The link could not be opened: %1").arg(opened[0].toString())};
        QCOMPARE(rig.Prompts.Texts(), want);
        if (!desktopWorks)
            QCOMPARE(rig.Prompts.Shown[0].Type, TMsgType::Information);
    }

    void helpWithoutItsFileSaysSo() {
        TRig rig(StorePath(), ProgramFolder());
        rig.Cmd(TCommandId::HelpContents)->trigger();
        QCOMPARE(rig.Prompts.Shown.size(), 1);
        QVERIFY(rig.Prompts.Shown[0].Text.contains(QStringLiteral("Reelix.html")));
    }

    void helpShowsTheProgramsPages() {
        const QString folder = QStringLiteral(REELIX_SOURCE_DIR "/resources/help");
        TRig rig(StorePath(), folder);
        rig.Cmd(TCommandId::HelpContents)->trigger();
        QVERIFY(rig.Prompts.Shown.isEmpty());
        QWidget* help = rig.Form->findChild<QWidget*>(QStringLiteral("frmHelp"));
        QVERIFY(help && help->isVisible());
    }

    void shiftStateIsTracked() {
        TRig rig(StorePath(), ProgramFolder());
        rig.Form->show();
        // As the window system sends them: the state before the key, which
        // Qt turns into the state after it for modifier keys.
        QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
        QApplication::sendEvent(rig.Form->FramesList(), &shiftDown);
        QVERIFY(rig.Form->ShiftHeld());
        QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier);
        QApplication::sendEvent(rig.Form->FramesList(), &letter);
        QVERIFY(rig.Form->ShiftHeld());
        QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
        QApplication::sendEvent(rig.Form->FramesList(), &shiftUp);
        QVERIFY(!rig.Form->ShiftHeld());
    }
};

QTEST_MAIN(TMainFormTest)
#include "tst_MainForm.moc"
