#include "dialogs/TipDay.h"

#include "services/SettingsStore.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <chrono>

TfrmTips::TfrmTips(TSettingsStore* Settings, QString ProgramFolder, QWidget* Parent)
    : QDialog(Parent), FSettings(Settings), FProgramFolder(std::move(ProgramFolder)),
      FRandom(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())) {
    setObjectName(QStringLiteral("frmTips"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    resize(420, 230);

    // The coloured band with the bulb picture beside the tip text.
    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("shpBackground"));
    shape->setStyleSheet(QStringLiteral("QFrame#shpBackground { background: #ffffe1; border: 1px solid #808080; }"));
    auto* picture = new QLabel(shape);
    picture->setObjectName(QStringLiteral("imgBulb"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop);
    auto* heading = new QLabel(QStringLiteral("Did you know..."), shape);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);
    lblTip = new QLabel(shape);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->setWordWrap(true);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTip->setTextFormat(Qt::PlainText);

    auto* textColumn = new QVBoxLayout;
    textColumn->addWidget(heading);
    textColumn->addWidget(lblTip, 1);
    auto* shapeLayout = new QHBoxLayout(shape);
    shapeLayout->addWidget(picture);
    shapeLayout->addLayout(textColumn, 1);

    chkShow = new QCheckBox(QStringLiteral("&Show at startup"), this);
    chkShow->setObjectName(QStringLiteral("chkShow"));
    btnNext = new QPushButton(QStringLiteral("&Next Tip"), this);
    btnNext->setObjectName(QStringLiteral("btnNext"));
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkShow);
    buttons->addStretch(1);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shape, 1);
    layout->addLayout(buttons);

    connect(btnNext, &QPushButton::clicked, this, &TfrmTips::ShowRandomTip);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

QString TfrmTips::MissingFileMessage(const QString& ProgramFolder) {
    return QStringLiteral("Could not load tips file! Please make sure Tips.txt is in the "
                          "application folder of ") +
           QDir::toNativeSeparators(ProgramFolder) + QLatin1Char('.');
}

void TfrmTips::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (FShown)
        return;
    FShown = true;
    if (ReadShowFlag && FSettings)
        chkShow->setChecked(FSettings->Read(Setting::TipDay));
    if (LoadTips())
        ShowRandomTip();
    else
        ShowLoadFailure();
}

bool TfrmTips::LoadTips() {
    Tips.clear();
    QFile file(QDir(FProgramFolder).filePath(TipsFileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QString text = QString::fromUtf8(file.readAll());
    // Blank lines (including the one a final line break leaves) are not tips.
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString tip = line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
        if (!tip.trimmed().isEmpty())
            Tips << tip;
    }
    LastTipIndex = int(Tips.size()) - 1;
    return !Tips.isEmpty();
}

void TfrmTips::ShowRandomTip() {
    if (Tips.isEmpty()) {
        ShowLoadFailure();
        return;
    }
    // Every line is a candidate, the last one included.
    std::uniform_int_distribution<int> pick(0, LastTipIndex);
    lblTip->setText(Tips[pick(FRandom)]);
}

void TfrmTips::ShowLoadFailure() {
    btnNext->setEnabled(false);
    lblTip->setText(MissingFileMessage(FProgramFolder));
}

void TfrmTips::done(int Result) {
    if (FSettings) {
        FSettings->Write(Setting::TipDay, chkShow->isChecked());
        FSettings->Save();
    }
    QDialog::done(Result);
}
