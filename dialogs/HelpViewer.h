#pragma once
// The help window: shows the program's HTML help document from its folder.

#include <QDialog>

class QTextBrowser;

class TfrmHelp : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* HelpFileName = "Reelix.html";

    explicit TfrmHelp(QWidget* Parent = nullptr);

    // Loads the contents page; false when the file cannot be read.
    bool ShowContents(const QString& FileName);
    QTextBrowser* Browser() const { return FBrowser; }

private:
    QTextBrowser* FBrowser;
};
