#pragma once
// One form, three small dialogs chosen by Mode before showing: 0 the comment
// editor, 1 the HTML code, 2 "Drop Image", which asks where an added picture
// goes. The comment editor changes the document only through Actions, which
// the caller makes undoable steps.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class IUserPrompts;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;
class TGIFCommentExtension;
class TNumericEdit;
class TUpDown;

// What the comment editor does to the document.
struct TCommentActions {
    std::function<TGIFCommentExtension*(const std::vector<std::string>& Lines)> Add;
    std::function<void(TGIFCommentExtension& Comment, const std::vector<std::string>& Lines)> Edit;
    std::function<void(TGIFCommentExtension& Comment)> Remove;
};

// A comment's lines as one text and back (UTF-8 in the file; a line that is
// not UTF-8 is read as Latin-1, as older files wrote it).
QString CommentText(const std::vector<std::string>& Lines);
std::vector<std::string> CommentLines(const QString& Text);

// The image tag (in a link when Link is not empty) that shows the animation.
QString MakeHtmlCode(const QString& FileName, int Height, int Width, const QString& Link, const QString& Hint,
                     const QString& Border);

// The small dialog in which one comment is typed: at most 255 characters, no
// line breaks (Enter presses OK), OK only while there is text.
class TCommentEntry : public QDialog {
    Q_OBJECT
public:
    TCommentEntry(const QString& Caption, const QString& Text, QWidget* Parent = nullptr);
    QString Text() const;

    QPlainTextEdit* txtComments;
    QPushButton* OKbtn;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void TextChanged();
};

class TfrmComments : public QDialog {
    Q_OBJECT
public:
    enum : int { cmComments = 0, cmHTML = 1, cmDropImage = 2 };
    // Where the picture goes, as chosen in the drop question.
    enum class TDropPlace { Start, Before, After };

    explicit TfrmComments(int Mode, QWidget* Parent = nullptr);
    int Mode() const { return FMode; }

    TDropPlace DropPlace() const;

    // Messages and questions (modes 0 and 1); must outlive the dialog.
    IUserPrompts* Prompts = nullptr;
    // How the comment entry dialog runs (tests drive it); exec() by default.
    std::function<int(QDialog& Dialog)> RunDialog;

    // ---- Mode 0: the comment editor ----
    void LoadComments(const std::vector<TGIFCommentExtension*>& Comments);
    TCommentActions Actions;
    bool CommentsChanged = false;
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    QListWidget* lbComments = nullptr;
    QToolButton* btnEdit = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnDelete = nullptr;
    QMenu* popComments = nullptr;
    QPushButton* btnDonw = nullptr;

    // ---- Mode 1: HTML code ----
    int AnimationHeight = 0;
    int AnimationWidth = 0;
    bool AnimationLoops = true;  // plays without end (the video snippet loops)
    // What the code is for: the image tag alone, a <picture> serving WebP
    // with the GIF as fallback, or a <video> with WebM and MP4 sources.
    enum : int { hcImage = 0, hcPicture = 1, hcVideo = 2 };
    void SetFileName(const QString& Name);
    void btnCopyClick();
    QLineEdit* txtFileName = nullptr;
    QLineEdit* txtLink = nullptr;
    QLineEdit* txtHint = nullptr;
    TNumericEdit* txtBorder = nullptr;
    TUpDown* udBorder = nullptr;
    QComboBox* cmbCode = nullptr;
    QPlainTextEdit* txtHTML = nullptr;
    QPushButton* btnCopy = nullptr;

    QWidget* pnlDropFrame = nullptr;
    QRadioButton* optStart = nullptr;
    QRadioButton* optBefore = nullptr;
    QRadioButton* optAfter = nullptr;
    QPushButton* btnDropOK = nullptr;
    QPushButton* btnDropCancel = nullptr;

private:
    void BuildDropPanel();
    void BuildCommentsPanel();
    void BuildHtmlPanel();
    QPushButton* AddDoneButton();
    void UpdateCommentButtons();
    void RebuildHtml();
    void BorderLeft();
    TGIFCommentExtension* SelectedComment() const;
    int Run(QDialog& Dialog);
    int FMode;
};
