#include "dialogs/CheckAnimation.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/ByteChart.h"
#include "dialogs/DialogButtons.h"

namespace {

QString FramesText(const std::vector<int>& Frames) {
    if (Frames.empty())
        return QString();
    return (Frames.size() == 1 ? QStringLiteral(" (frame ") : QStringLiteral(" (frames ")) +
           QString::fromStdString(FrameRanges(Frames)) + QLatin1Char(')');
}

} // namespace

TfrmCheck::TfrmCheck(TCheckReport Report, TFixer Fix, QWidget* Parent)
    : QDialog(Parent), FReport(std::move(Report)), FFix(std::move(Fix)) {
    setObjectName(QStringLiteral("frmCheck"));
    setWindowTitle(QStringLiteral("Check Animation"));
    auto* layout = new QVBoxLayout(this);
    lstFindings = new QListWidget(this);
    lstFindings->setObjectName(QStringLiteral("lstFindings"));
    layout->addWidget(BuddyLabel(QStringLiteral("&Findings:"), lstFindings, this));
    layout->addWidget(lstFindings, 1);
    lblExplanation = new QLabel(this);
    lblExplanation->setObjectName(QStringLiteral("lblExplanation"));
    lblExplanation->setWordWrap(true);
    lblExplanation->setTextFormat(Qt::PlainText);
    lblExplanation->setMinimumHeight(48);
    layout->addWidget(lblExplanation);
    btnFix = new QPushButton(QStringLiteral("F&ix"), this);
    btnFix->setObjectName(QStringLiteral("btnFix"));
    auto* fixRow = new QHBoxLayout;
    fixRow->addWidget(btnFix);
    fixRow->addStretch(1);
    layout->addLayout(fixRow);
    lblBytes = new QLabel(this);
    lblBytes->setObjectName(QStringLiteral("lblBytes"));
    lblBytes->setTextFormat(Qt::PlainText);
    layout->addWidget(lblBytes);
    chtBytes = new TByteChart(this);
    layout->addWidget(chtBytes);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setDefault(true);
    auto* foot = new QHBoxLayout;
    foot->addStretch(1);
    foot->addWidget(close);
    layout->addLayout(foot);
    resize(560, 460);

    connect(lstFindings, &QListWidget::currentRowChanged, this, &TfrmCheck::ShowFinding);
    connect(btnFix, &QPushButton::clicked, this, &TfrmCheck::FixClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(chtBytes, &TByteChart::FrameClicked, this, [this](int Frame) {
        if (ShowFrame)
            ShowFrame(Frame);
    });
    ShowReport();
}

void TfrmCheck::ShowReport() {
    lstFindings->clear();
    for (const TCheckFinding& f : FReport.Findings)
        lstFindings->addItem((f.Area == TCheckArea::Playback ? QStringLiteral("Playback: ") : QStringLiteral("Accessibility: ")) +
                             QString::fromStdString(f.Title) + FramesText(f.Frames));
    if (FReport.Findings.empty())
        lstFindings->addItem(QStringLiteral("Nothing found: browsers play it as its frames say."));
    lstFindings->setCurrentRow(0);
    ShowFinding();

    std::vector<std::uint64_t> bytes;
    for (const TFrameBytes& b : FReport.Bytes.Frames)
        bytes.push_back(b.Total());
    chtBytes->SetBytes(bytes);
    QString text = QStringLiteral("Bytes per frame, %1 in all").arg(QLocale().toString(qulonglong(FReport.Bytes.Size)));
    if (!bytes.empty()) {
        const auto largest = std::max_element(FReport.Bytes.Frames.begin(), FReport.Bytes.Frames.end(),
                                              [](const TFrameBytes& a, const TFrameBytes& b) { return a.Total() < b.Total(); });
        text += QStringLiteral("; the largest, frame %1: %2 (image %3, colours %4, extensions %5)")
                    .arg(largest->Frame)
                    .arg(QLocale().toString(qulonglong(largest->Total())))
                    .arg(QLocale().toString(qulonglong(largest->ImageData)))
                    .arg(QLocale().toString(qulonglong(largest->ColorTable)))
                    .arg(QLocale().toString(qulonglong(largest->Extensions)));
    }
    lblBytes->setText(text);
}

void TfrmCheck::ShowFinding() {
    const int row = lstFindings->currentRow();
    const bool any = row >= 0 && row < int(FReport.Findings.size());
    const TCheckFinding* f = any ? &FReport.Findings[std::size_t(row)] : nullptr;
    lblExplanation->setText(f ? QString::fromStdString(f->Explanation) : QString());
    const bool fixable = f && f->Fix != TCheckFix::None;
    btnFix->setEnabled(fixable);
    btnFix->setText(fixable ? QStringLiteral("F&ix: ") + QString::fromStdString(f->FixCaption) : QStringLiteral("F&ix"));
    if (f && !f->Frames.empty() && ShowFrame)
        ShowFrame(f->Frames.front());
}

void TfrmCheck::FixClicked() {
    const int row = lstFindings->currentRow();
    if (row < 0 || row >= int(FReport.Findings.size()) || !FFix)
        return;
    FReport = FFix(FReport.Findings[std::size_t(row)]);
    ShowReport();
    lstFindings->setFocus();
}
