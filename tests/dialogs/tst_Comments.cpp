// The comment editor and the HTML code page driven through their widgets: the
// list, Add, Edit and Remove with their rules, the typed comment's limits, the
// HTML attribute order and border rule, and Copy.
#include "app/ScriptedPrompts.h"
#include "controls/NumericEdit.h"
#include "dialogs/Comments.h"
#include "gif/CommentEdits.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

// Two frames; frame 0 holds one comment of two lines, frame 1 one of one line.
std::unique_ptr<TGIFImage> MakeDocument() {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = 4;
    image->Header().ScreenHeight = 4;
    image->GlobalColors().AddColor(0);
    image->GlobalColors().AddColor(0xFFFFFF);
    const std::vector<std::vector<std::string>> comments{{"first", "second"}, {"third"}};
    for (int f = 0; f < 2; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(0, 0, 4, 4);
        auto comment = std::make_unique<TGIFCommentExtension>(frame.get());
        comment->Lines = comments[std::size_t(f)];
        frame->ExtensionBlocks().Add(std::move(comment));
        image->AddFrame(std::move(frame));
    }
    return image;
}

// The comment editor wired to a document the way the main window wires it,
// with one log per change kept so the test can take them back.
struct TEditorRig {
    std::unique_ptr<TGIFImage> Doc = MakeDocument();
    TScriptedPrompts Prompts;
    TfrmComments Dialog{TfrmComments::cmComments};
    std::vector<TFrameEditLog> Steps;
    QList<std::function<int(QDialog&)>> Answers;
    TEditorRig() {
        Dialog.Prompts = &Prompts;
        Dialog.RunDialog = [this](QDialog& d) { return Answers.isEmpty() ? int(QDialog::Rejected) : Answers.takeFirst()(d); };
        Dialog.LoadComments(AllComments(*Doc));
        Dialog.Actions.Add = [this](const std::vector<std::string>& Lines) {
            TFrameEditLog log;
            TGIFCommentExtension* c = AddComment(*Doc, Lines, log);
            Steps.push_back(std::move(log));
            return c;
        };
        Dialog.Actions.Edit = [this](TGIFCommentExtension& C, const std::vector<std::string>& Lines) {
            TFrameEditLog log;
            EditComment(C, Lines, log);
            Steps.push_back(std::move(log));
        };
        Dialog.Actions.Remove = [this](TGIFCommentExtension& C) {
            TFrameEditLog log;
            RemoveComment(*Doc, C, log);
            Steps.push_back(std::move(log));
        };
    }
    QStringList Listed() const {
        QStringList texts;
        for (int i = 0; i < Dialog.lbComments->count(); ++i)
            texts << Dialog.lbComments->item(i)->text();
        return texts;
    }
    QStringList InDocument() const {
        QStringList texts;
        for (TGIFCommentExtension* c : AllComments(*Doc))
            texts << CommentText(c->Lines);
        return texts;
    }
};

// Types into the entry dialog and presses Enter.
std::function<int(QDialog&)> TypeAndEnter(const QString& Text, bool Clear = false) {
    return [=](QDialog& d) {
        auto& entry = static_cast<TCommentEntry&>(d);
        if (Clear)
            entry.txtComments->clear();
        QTest::keyClicks(entry.txtComments, Text);
        QTest::keyClick(entry.txtComments, Qt::Key_Return);
        return entry.result();
    };
}

} // namespace

class TCommentsTest : public QObject {
    Q_OBJECT

private slots:
    void listsEveryCommentFirstFrameFirst() {
        TEditorRig rig;
        QCOMPARE(rig.Dialog.windowTitle(), QStringLiteral("GIF Comments"));
        QCOMPARE(rig.Listed(), (QStringList{"first\nsecond", "third"}));
        QCOMPARE(rig.Dialog.lbComments->currentRow(), 0);
        QVERIFY(rig.Dialog.btnEdit->isEnabled());
        QVERIFY(rig.Dialog.btnDelete->isEnabled());
    }

    void addEditAndRemoveChangeTheDocumentAndCanBeTakenBack() {
        TEditorRig rig;
        rig.Answers << TypeAndEnter(QStringLiteral("(c) 2026 Pellmark"));
        QTest::mouseClick(rig.Dialog.btnAdd, Qt::LeftButton);
        QCOMPARE(rig.InDocument(), (QStringList{"first\nsecond", "(c) 2026 Pellmark", "third"}));
        QCOMPARE(rig.Listed().last(), QStringLiteral("(c) 2026 Pellmark"));
        QCOMPARE(rig.Dialog.lbComments->currentRow(), 2);
        QVERIFY(rig.Dialog.CommentsChanged);

        rig.Dialog.lbComments->setCurrentRow(1);
        rig.Answers << TypeAndEnter(QStringLiteral("edited"), true);
        QTest::mouseClick(rig.Dialog.btnEdit, Qt::LeftButton);
        QCOMPARE(rig.InDocument(), (QStringList{"first\nsecond", "(c) 2026 Pellmark", "edited"}));
        QCOMPARE(rig.Listed(), (QStringList{"first\nsecond", "edited", "(c) 2026 Pellmark"}));

        rig.Prompts.Answers << TMsgResult::Yes;
        QTest::mouseClick(rig.Dialog.btnDelete, Qt::LeftButton);
        QCOMPARE(rig.Prompts.Texts().last(), QStringLiteral("Do you want remove the selected comment?"));
        QCOMPARE(rig.InDocument(), (QStringList{"first\nsecond", "(c) 2026 Pellmark"}));
        QCOMPARE(rig.Dialog.lbComments->currentRow(), 0);

        // Each step is taken back, last first, and made again.
        QCOMPARE(int(rig.Steps.size()), 3);
        rig.Steps[2].Undo(*rig.Doc);
        QCOMPARE(rig.InDocument(), (QStringList{"first\nsecond", "(c) 2026 Pellmark", "edited"}));
        rig.Steps[1].Undo(*rig.Doc);
        rig.Steps[0].Undo(*rig.Doc);
        QCOMPARE(rig.InDocument(), (QStringList{"first\nsecond", "third"}));
        rig.Steps[0].Redo(*rig.Doc);
        rig.Steps[1].Redo(*rig.Doc);
        rig.Steps[2].Redo(*rig.Doc);
        QCOMPARE(rig.InDocument(), (QStringList{"first\nsecond", "(c) 2026 Pellmark"}));
    }

    void removingTheLastCommentDisablesEditAndRemove() {
        TEditorRig rig;
        rig.Prompts.Answers << TMsgResult::No << TMsgResult::Yes << TMsgResult::Yes;
        QTest::mouseClick(rig.Dialog.btnDelete, Qt::LeftButton); // No: nothing happens
        QCOMPARE(rig.Listed().size(), 2);
        QTest::mouseClick(rig.Dialog.btnDelete, Qt::LeftButton);
        QTest::mouseClick(rig.Dialog.btnDelete, Qt::LeftButton);
        QVERIFY(rig.Listed().isEmpty());
        QVERIFY(rig.InDocument().isEmpty());
        QVERIFY(!rig.Dialog.btnEdit->isEnabled());
        QVERIFY(!rig.Dialog.btnDelete->isEnabled());
    }

    void typedCommentHasItsLimits() {
        TCommentEntry entry(QStringLiteral("Add GIF Comment"), QString());
        QVERIFY(!entry.OKbtn->isEnabled());
        QTest::keyClicks(entry.txtComments, QString(300, QLatin1Char('x')));
        QCOMPARE(entry.Text().size(), 255);
        QVERIFY(entry.OKbtn->isEnabled());
        QTest::keyClick(entry.txtComments, Qt::Key_Return);
        QVERIFY(!entry.Text().contains(QLatin1Char('\n')));
        QCOMPARE(entry.result(), int(QDialog::Accepted));
        // An empty memo: Enter does nothing.
        TCommentEntry empty(QStringLiteral("Add GIF Comment"), QString());
        QTest::keyClick(empty.txtComments, Qt::Key_Return);
        QCOMPARE(empty.result(), int(QDialog::Rejected));
    }

    void commentTextReadsOldLatin1Files() {
        QCOMPARE(CommentText({"caf\xE9"}), QStringLiteral("caf\u00E9"));
        QCOMPARE(CommentText({"caf\xC3\xA9", "b"}), QStringLiteral("caf\u00E9\nb"));
        QCOMPARE(CommentLines(QStringLiteral("a\nb")), (std::vector<std::string>{"a", "b"}));
    }

    void htmlCode_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("border");
        QTest::addColumn<QString>("code");
        QTest::newRow("hint and border") << "" << "Logo" << "0"
                                         << R"(<img src="a.gif" height="50" width="100" alt="Logo" border="0">)";
        QTest::newRow("no border") << "" << "" << ""
                                   << R"(<img src="a.gif" height="50" width="100">)";
        QTest::newRow("link") << "http://x.test/" << "" << "2"
                              << R"(<a href="http://x.test/"><img src="a.gif" height="50" width="100" border="2"></a>)";
        // Every inserted value stays inside its attribute.
        QTest::newRow("quotes, brackets, ampersands") << "http://x.test/?a=1&b=2" << R"(Say "hi" <now>)" << ""
                              << R"(<a href="http://x.test/?a=1&amp;b=2"><img src="a.gif" height="50" width="100" )"
                                 R"(alt="Say &quot;hi&quot; &lt;now&gt;"></a>)";
        QTest::newRow("placeholders are text") << "" << "%1 %2" << ""
                              << R"(<img src="a.gif" height="50" width="100" alt="%1 %2">)";
    }
    void htmlCode() {
        QFETCH(QString, link);
        QFETCH(QString, hint);
        QFETCH(QString, border);
        QFETCH(QString, code);
        TScriptedPrompts prompts;
        TfrmComments dialog(TfrmComments::cmHTML);
        dialog.Prompts = &prompts;
        dialog.AnimationHeight = 50;
        dialog.AnimationWidth = 100;
        dialog.SetFileName(QStringLiteral("a.gif"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("HTML Code"));
        QTest::keyClicks(dialog.txtLink, link);
        QTest::keyClicks(dialog.txtHint, hint);
        dialog.txtBorder->selectAll();
        QTest::keyClick(dialog.txtBorder, Qt::Key_Backspace);
        QTest::keyClicks(dialog.txtBorder, border);
        QCOMPARE(dialog.txtHTML->toPlainText(), code);
        QTest::mouseClick(dialog.btnCopy, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), code);
        QCOMPARE(prompts.Texts().value(0), QStringLiteral("HTML Code successfully copied to clipboard."));
    }
};

QTEST_MAIN(TCommentsTest)
#include "tst_Comments.moc"
