#include "dialogs/Comments.h"

#include "services/UserPrompts.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "dialogs/DialogButtons.h"
#include "gif/GIFExtensions.h"
#include "imaging/WebSnippet.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int MaxCommentLength = 255;

// The extension a list item stands for.
constexpr int CommentRole = Qt::UserRole + 1;

struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

QString CommentText(const std::vector<std::string>& Lines) {
    QStringList lines;
    for (const std::string& line : Lines) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(QByteArrayView(line.data(), qsizetype(line.size())));
        if (utf8.hasError())
            text = QString::fromLatin1(line.data(), qsizetype(line.size()));
        lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

std::vector<std::string> CommentLines(const QString& Text) {
    std::vector<std::string> lines;
    for (const QString& line : Text.split(QLatin1Char('\n')))
        lines.push_back(line.toUtf8().toStdString());
    return lines;
}

QString MakeHtmlCode(const QString& FileName, int Height, int Width, const QString& Link, const QString& Hint,
                     const QString& Border) {
    // Every inserted value is an attribute value: quotes, angle brackets and
    // ampersands are written as entities so the snippet stays valid HTML.
    const auto attribute = [](const QString& name, const QString& value) {
        return QStringLiteral(" %1=\"%2\"").arg(name, value.toHtmlEscaped());
    };
    QString image = QStringLiteral("<img") + attribute(QStringLiteral("src"), FileName) +
                    attribute(QStringLiteral("height"), QString::number(Height)) +
                    attribute(QStringLiteral("width"), QString::number(Width));
    if (!Hint.isEmpty())
        image += attribute(QStringLiteral("alt"), Hint);
    if (!Border.isEmpty())
        image += attribute(QStringLiteral("border"), Border);
    image += QLatin1Char('>');
    return Link.isEmpty() ? image : QStringLiteral("<a") + attribute(QStringLiteral("href"), Link) + QLatin1Char('>') + image + QStringLiteral("</a>");
}

// ---- one comment typed --------------------------------------------------------

TCommentEntry::TCommentEntry(const QString& Caption, const QString& Text, QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("frmCommentEntry"));
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("The comment will be inserted into the animation. They are useful for "
                                           "copyright information. (255 char limit)"),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    txtComments = new QPlainTextEdit(this);
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtComments->setTabChangesFocus(true);
    txtComments->installEventFilter(this);
    layout->addWidget(txtComments);
    const TOkCancel buttons = MakeOkCancel(this, this);
    OKbtn = buttons.OK;
    OKbtn->setObjectName(QStringLiteral("OKbtn"));
    btnCancel = buttons.Cancel;
    layout->addLayout(buttons.Row);
    connect(txtComments, &QPlainTextEdit::textChanged, this, &TCommentEntry::TextChanged);
    txtComments->setPlainText(Text.left(MaxCommentLength));
    TextChanged();
    resize(392, 200);
    txtComments->setFocus();
}

QString TCommentEntry::Text() const {
    return txtComments->toPlainText();
}

void TCommentEntry::TextChanged() {
    // Past the limit (typed or pasted) the end is cut off.
    const QString text = txtComments->toPlainText();
    if (text.size() > MaxCommentLength) {
        const QSignalBlocker quiet(txtComments);
        txtComments->setPlainText(text.left(MaxCommentLength));
        txtComments->moveCursor(QTextCursor::End);
    }
    OKbtn->setEnabled(!txtComments->toPlainText().isEmpty());
}

bool TCommentEntry::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == txtComments && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // No line breaks: Enter presses OK.
            if (OKbtn->isEnabled())
                OKbtn->click();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

// ---- the form ------------------------------------------------------------------------

TfrmComments::TfrmComments(int Mode, QWidget* Parent) : QDialog(Parent), FMode(Mode) {
    setObjectName(QStringLiteral("frmComments"));
    if (FMode == cmDropImage) {
        setWindowTitle(QStringLiteral("Drop Image"));
        BuildDropPanel();
        resize(345, 200);
        btnDropOK->setFocus();
    } else if (FMode == cmComments) {
        setWindowTitle(QStringLiteral("GIF Comments"));
        BuildCommentsPanel();
        resize(392, 235);
    } else {
        setWindowTitle(QStringLiteral("HTML Code"));
        BuildHtmlPanel();
        resize(392, 360);
    }
}

QPushButton* TfrmComments::AddDoneButton() {
    btnDonw = new QPushButton(QStringLiteral("Done"), this);
    btnDonw->setObjectName(QStringLiteral("btnDonw"));
    btnDonw->setDefault(true);
    connect(btnDonw, &QPushButton::clicked, this, &QDialog::accept);
    return btnDonw;
}

void TfrmComments::BuildCommentsPanel() {
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Listed below are all the comments associated with the current animation. "
                                           "You can Edit, Add, and Delete any comment."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* row = new QHBoxLayout;
    lbComments = new QListWidget(this);
    lbComments->setObjectName(QStringLiteral("lbComments"));
    lbComments->setContextMenuPolicy(Qt::CustomContextMenu);
    row->addWidget(lbComments, 1);
    auto* buttons = new QVBoxLayout;
    auto tool = [this, buttons](const char* Name, const QString& Text, const QString& Hint) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(Name));
        button->setText(Text);
        button->setToolTip(Hint);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(60);
        buttons->addWidget(button);
        return button;
    };
    btnEdit = tool("btnEdit", QStringLiteral("&Edit"), QStringLiteral("Edit Comment"));
    btnAdd = tool("btnAdd", QStringLiteral("&Add"), QStringLiteral("Add Comment"));
    btnDelete = tool("btnDelete", QStringLiteral("&Remove"), QStringLiteral("Remove Comment"));
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row);
    auto* foot = new QHBoxLayout;
    foot->addStretch(1);
    foot->addWidget(AddDoneButton());
    layout->addLayout(foot);

    popComments = new QMenu(this);
    popComments->setObjectName(QStringLiteral("popComments"));
    QAction* edit = popComments->addAction(QStringLiteral("&Edit Comment"), this, &TfrmComments::btnEditClick);
    popComments->addAction(QStringLiteral("&Add New Comment"), this, &TfrmComments::btnAddClick);
    QAction* remove = popComments->addAction(QStringLiteral("&Remove Comment"), this, &TfrmComments::btnDeleteClick);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    lbComments->addAction(remove);
    connect(popComments, &QMenu::aboutToShow, this, [this, edit, remove] {
        edit->setEnabled(SelectedComment() != nullptr);
        remove->setEnabled(SelectedComment() != nullptr);
    });
    connect(lbComments, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& At) { popComments->popup(lbComments->viewport()->mapToGlobal(At)); });
    connect(btnEdit, &QToolButton::clicked, this, &TfrmComments::btnEditClick);
    connect(btnAdd, &QToolButton::clicked, this, &TfrmComments::btnAddClick);
    connect(btnDelete, &QToolButton::clicked, this, &TfrmComments::btnDeleteClick);
    connect(lbComments, &QListWidget::itemDoubleClicked, this, &TfrmComments::btnEditClick);
    connect(lbComments, &QListWidget::currentRowChanged, this, &TfrmComments::UpdateCommentButtons);
    UpdateCommentButtons();
}

void TfrmComments::LoadComments(const std::vector<TGIFCommentExtension*>& Comments) {
    lbComments->clear();
    for (TGIFCommentExtension* comment : Comments) {
        auto* item = new QListWidgetItem(CommentText(comment->Lines), lbComments);
        item->setData(CommentRole, QVariant::fromValue(static_cast<void*>(comment)));
    }
    lbComments->setCurrentRow(Comments.empty() ? -1 : 0);
    UpdateCommentButtons();
}

TGIFCommentExtension* TfrmComments::SelectedComment() const {
    const QListWidgetItem* item = lbComments ? lbComments->currentItem() : nullptr;
    return item ? static_cast<TGIFCommentExtension*>(item->data(CommentRole).value<void*>()) : nullptr;
}

void TfrmComments::UpdateCommentButtons() {
    const bool selected = SelectedComment() != nullptr;
    btnEdit->setEnabled(selected);
    btnDelete->setEnabled(selected);
}

int TfrmComments::Run(QDialog& Dialog) {
    return RunDialog ? RunDialog(Dialog) : Dialog.exec();
}

void TfrmComments::btnAddClick() {
    TCommentEntry entry(QStringLiteral("Add GIF Comment"), QString(), this);
    if (Run(entry) != QDialog::Accepted || entry.Text().isEmpty() || !Actions.Add)
        return;
    TGIFCommentExtension* comment = Actions.Add(CommentLines(entry.Text()));
    if (!comment)
        return;
    auto* item = new QListWidgetItem(entry.Text(), lbComments);
    item->setData(CommentRole, QVariant::fromValue(static_cast<void*>(comment)));
    lbComments->setCurrentItem(item);
    CommentsChanged = true;
    UpdateCommentButtons();
}

void TfrmComments::btnEditClick() {
    TGIFCommentExtension* comment = SelectedComment();
    if (!comment)
        return;
    TCommentEntry entry(QStringLiteral("Edit GIF Comment"), CommentText(comment->Lines), this);
    if (Run(entry) != QDialog::Accepted || entry.Text().isEmpty() || !Actions.Edit)
        return;
    if (entry.Text() == CommentText(comment->Lines))
        return;
    Actions.Edit(*comment, CommentLines(entry.Text()));
    lbComments->currentItem()->setText(entry.Text());
    CommentsChanged = true;
}

void TfrmComments::btnDeleteClick() {
    TGIFCommentExtension* comment = SelectedComment();
    if (!comment || !Actions.Remove)
        return;
    if (Prompts && Prompts->MessageBox(TMsgType::Confirmation, TMsgButtons::YesNo, QString(),
                                       QStringLiteral("Do you want remove the selected comment?")) != TMsgResult::Yes)
        return;
    {
        TWaitCursor wait;
        Actions.Remove(*comment);
    }
    const int row = lbComments->currentRow();
    delete lbComments->takeItem(row);
    lbComments->setCurrentRow(std::max(row - 1, lbComments->count() > 0 ? 0 : -1));
    lbComments->setFocus();
    CommentsChanged = true;
    UpdateCommentButtons();
}

// ---- HTML code ----------------------------------------------------------------------

void TfrmComments::BuildHtmlPanel() {
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Fill in any extra image tag attributes you would like to include into "
                                           "the HTML code, then select the Copy button which will copy the HTML "
                                           "to the clipboard."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* attributes = new QGroupBox(QStringLiteral("Image Attributes"), this);
    auto* grid = new QGridLayout(attributes);
    auto field = [&](int Row, const QString& Caption, QLineEdit* Edit, const char* Name) {
        Edit->setObjectName(QLatin1String(Name));
        auto* label = new QLabel(Caption, attributes);
        label->setBuddy(Edit);
        grid->addWidget(label, Row, 0);
        grid->addWidget(Edit, Row, 1);
    };
    txtFileName = new QLineEdit(attributes);
    txtFileName->setReadOnly(true);
    field(0, QStringLiteral("&File Name:"), txtFileName, "txtFileName");
    txtLink = new QLineEdit(attributes);
    field(1, QStringLiteral("&Link:"), txtLink, "txtLink");
    txtHint = new QLineEdit(attributes);
    field(2, QStringLiteral("Hin&t (Alt tag):"), txtHint, "txtHint");
    txtBorder = new TNumericEdit(attributes);
    txtBorder->setText(QStringLiteral("0"));
    txtBorder->setMaximumWidth(60);
    udBorder = new TUpDown(attributes);
    udBorder->setObjectName(QStringLiteral("udBorder"));
    udBorder->Min = 0;
    udBorder->Max = 32767;
    udBorder->SetPosition(0);
    auto* borderRow = new QHBoxLayout;
    borderRow->addWidget(txtBorder);
    borderRow->addWidget(udBorder);
    borderRow->addStretch(1);
    txtBorder->setObjectName(QStringLiteral("txtBorder"));
    auto* borderLabel = new QLabel(QStringLiteral("&Border:"), attributes);
    borderLabel->setBuddy(txtBorder);
    grid->addWidget(borderLabel, 3, 0);
    grid->addLayout(borderRow, 3, 1);
    cmbCode = new QComboBox(attributes);
    cmbCode->setObjectName(QStringLiteral("cmbCode"));
    cmbCode->addItems({QStringLiteral("Image tag (GIF)"), QStringLiteral("Picture: WebP, with the GIF as fallback"),
                       QStringLiteral("Video: WebM and MP4, with the GIF as fallback")});
    grid->addWidget(BuddyLabel(QStringLiteral("Cod&e for:"), cmbCode, attributes), 4, 0);
    grid->addWidget(cmbCode, 4, 1);
    layout->addWidget(attributes);
    auto* codeLabel = new QLabel(QStringLiteral("&HTML Code"), this);
    txtHTML = new QPlainTextEdit(this);
    txtHTML->setObjectName(QStringLiteral("txtHTML"));
    txtHTML->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    codeLabel->setBuddy(txtHTML);
    layout->addWidget(codeLabel);
    layout->addWidget(txtHTML, 1);
    btnCopy = new QPushButton(QStringLiteral("&Copy"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    auto* foot = new QHBoxLayout;
    foot->addWidget(btnCopy);
    foot->addStretch(1);
    foot->addWidget(AddDoneButton());
    layout->addLayout(foot);

    for (QLineEdit* edit : {txtLink, txtHint, static_cast<QLineEdit*>(txtBorder)})
        connect(edit, &QLineEdit::textChanged, this, &TfrmComments::RebuildHtml);
    connect(cmbCode, qOverload<int>(&QComboBox::currentIndexChanged), this, &TfrmComments::RebuildHtml);
    connect(udBorder, &TUpDown::Clicked, txtBorder, [this](int Position) { txtBorder->setText(QString::number(Position)); });
    connect(txtBorder, &TNumericEdit::Left, this, &TfrmComments::BorderLeft);
    connect(btnCopy, &QPushButton::clicked, this, &TfrmComments::btnCopyClick);
}

void TfrmComments::SetFileName(const QString& Name) {
    txtFileName->setText(Name);
    RebuildHtml();
}

void TfrmComments::RebuildHtml() {
    if (!txtHTML)
        return;
    const int code = cmbCode ? cmbCode->currentIndex() : hcImage;
    txtBorder->setEnabled(code == hcImage);
    udBorder->setEnabled(code == hcImage);
    if (code == hcImage) {
        txtHTML->setPlainText(MakeHtmlCode(txtFileName->text(), AnimationHeight, AnimationWidth, txtLink->text(),
                                           txtHint->text(), txtBorder->text()));
        return;
    }
    TWebSnippet snippet;
    // An animation never saved has no name yet: the code shows where it goes.
    snippet.Gif = txtFileName->text().isEmpty() ? std::string("animation.gif") : txtFileName->text().toStdString();
    snippet.Still = SiblingName(snippet.Gif, "-still.png");
    snippet.Alt = txtHint->text().toStdString();
    snippet.Link = txtLink->text().toStdString();
    snippet.Width = AnimationWidth;
    snippet.Height = AnimationHeight;
    snippet.Loops = AnimationLoops;
    txtHTML->setPlainText(QString::fromStdString(code == hcPicture ? PictureSnippet(snippet) : VideoSnippet(snippet)));
}

void TfrmComments::BorderLeft() {
    int value = 0;
    // An empty border is allowed: the code then has no border attribute.
    if (txtBorder->text().isEmpty())
        return;
    if (!TNumericEdit::ParseValue(txtBorder->text(), value)) {
        if (Prompts)
            Prompts->MessageBox(TMsgType::Error, TMsgButtons::OK, QString(),
                                QStringLiteral("'%1' is not a valid integer value.").arg(txtBorder->text()));
        txtBorder->setText(txtBorder->Remembered);
        txtBorder->setFocus();
        return;
    }
    udBorder->SetPosition(value);
}

void TfrmComments::btnCopyClick() {
    const QString code = txtHTML->toPlainText();
    if (code.isEmpty())
        return;
    QApplication::clipboard()->setText(code);
    if (Prompts)
        Prompts->MessageBox(TMsgType::Information, TMsgButtons::OK, QString(),
                            QStringLiteral("HTML Code successfully copied to clipboard."));
}

void TfrmComments::BuildDropPanel() {
    pnlDropFrame = new QWidget(this);
    pnlDropFrame->setObjectName(QStringLiteral("pnlDropFrame"));
    auto* question = new QLabel(QStringLiteral("Where would you like to drop this image in the animation?"),
                                pnlDropFrame);
    question->setWordWrap(true);
    optStart = new QRadioButton(QStringLiteral("At the &start"), pnlDropFrame);
    optStart->setObjectName(QStringLiteral("optStart"));
    optStart->setChecked(true);
    optBefore = new QRadioButton(QStringLiteral("&Before the current selected frame"), pnlDropFrame);
    optBefore->setObjectName(QStringLiteral("optBefore"));
    optAfter = new QRadioButton(QStringLiteral("&After the current selected frame"), pnlDropFrame);
    optAfter->setObjectName(QStringLiteral("optAfter"));
    const TOkCancel buttons = MakeOkCancel(this, pnlDropFrame, QStringLiteral("btnDrop"));
    btnDropOK = buttons.OK;
    btnDropCancel = buttons.Cancel;
    auto* panel = new QVBoxLayout(pnlDropFrame);
    panel->addWidget(question);
    panel->addWidget(optStart);
    panel->addWidget(optBefore);
    panel->addWidget(optAfter);
    panel->addStretch(1);
    panel->addLayout(buttons.Row);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlDropFrame);
}

TfrmComments::TDropPlace TfrmComments::DropPlace() const {
    if (optBefore && optBefore->isChecked())
        return TDropPlace::Before;
    if (optAfter && optAfter->isChecked())
        return TDropPlace::After;
    return TDropPlace::Start;
}
