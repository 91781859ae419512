#pragma once
// One form, three small dialogs chosen by Mode before showing: 0 the comment
// editor, 1 the HTML code, 2 "Drop Image", which asks where an added picture
// goes. The drop question is built here; the comment and HTML pages come with
// the comment tools.

#include <QDialog>

class QPushButton;
class QRadioButton;
class QWidget;

class TfrmComments : public QDialog {
    Q_OBJECT
public:
    enum : int { cmComments = 0, cmHTML = 1, cmDropImage = 2 };
    // Where the picture goes, as chosen in the drop question.
    enum class TDropPlace { Start, Before, After };

    explicit TfrmComments(int Mode, QWidget* Parent = nullptr);
    int Mode() const { return FMode; }

    TDropPlace DropPlace() const;

    QWidget* pnlDropFrame = nullptr;
    QRadioButton* optStart = nullptr;
    QRadioButton* optBefore = nullptr;
    QRadioButton* optAfter = nullptr;
    QPushButton* btnDropOK = nullptr;
    QPushButton* btnDropCancel = nullptr;

private:
    void BuildDropPanel();
    int FMode;
};
