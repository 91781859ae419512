#pragma once
// "Tip of the Day": shows a random line of the tips file in the program's
// folder and remembers whether to show itself at start-up.

#include <QDialog>
#include <QStringList>
#include <random>

class QCheckBox;
class QLabel;
class QPushButton;
class TSettingsStore;

class TfrmTips : public QDialog {
    Q_OBJECT
public:
    // Settings may be null (nothing is read or written then).
    TfrmTips(TSettingsStore* Settings, QString ProgramFolder, QWidget* Parent = nullptr);

    QStringList Tips;
    int LastTipIndex = -1;
    // Set when opened from the menu: the check box then shows the stored choice.
    bool ReadShowFlag = false;
    QString TipsFileName = QStringLiteral("Tips.txt");

    // Makes the random choice reproducible (tests).
    void Seed(unsigned Value) { FRandom.seed(Value); }

    QLabel* lblTip;
    QCheckBox* chkShow;
    QPushButton* btnNext;
    QPushButton* btnClose;

    static QString MissingFileMessage(const QString& ProgramFolder);

protected:
    void showEvent(QShowEvent* Event) override;

public slots:
    void done(int Result) override;

private:
    bool LoadTips();
    void ShowRandomTip();
    void ShowLoadFailure();

    TSettingsStore* FSettings;
    QString FProgramFolder;
    std::mt19937 FRandom;
    bool FShown = false;
};
