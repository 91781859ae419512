#include "dialogs/Optimize.h"

#include "controls/ByteChart.h"
#include "controls/NumericEdit.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/Info.h"
#include "dialogs/LongWork.h"
#include "gif/ByteCost.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <exception>

namespace {

// Thrown from the copy's progress hook when a later computation took over.
struct TSuperseded {};

QString BytesText(qint64 Value) {
    return ThousandsText(Value) + QStringLiteral(" bytes");
}

} // namespace

struct TfrmOptimize::TJob {
    std::atomic<bool> Cancel{false};
    std::unique_ptr<TGIFImage> Image;  // the copy, optimised in place
    TOptimizeChoices Choices;
    qint64 FitTarget = 0;
    bool MeasureCurrent = false;
    std::unique_ptr<TBackgroundJob> Worker; // runs Run
    // Results, read after the thread has ended.
    qint64 Current = -1;
    qint64 Size = -1;
    std::vector<std::uint64_t> CurrentBytes, ResultBytes;  // per frame
    TFitResult Fit;
    std::unique_ptr<TGIFImage> FitImage;
    bool Failed = false;
    QString Failure;

    void Run() {
        try {
            if (MeasureCurrent) {
                const TByteCost cost = SavedByteCost(*Image);
                Current = qint64(cost.Size);
                CurrentBytes = FrameTotals(cost);
            }
            Image->OnProgress = [this](TPersistent*, TProgressStage, int, bool, const TRect&, const std::string&) {
                if (Cancel)
                    throw TSuperseded{};
            };
            if (FitTarget > 0) {
                FitImage = std::make_unique<TGIFImage>();
                Fit = FitUnder(*Image, Choices, FitTarget, *FitImage, [this] { return !Cancel.load(); });
                Size = Fit.Size;
                ResultBytes = FrameTotals(SavedByteCost(*FitImage));
            } else {
                OptimizeCopy(*Image, Choices);
                Image->OnProgress = nullptr;
                const TByteCost cost = SavedByteCost(*Image);
                Size = qint64(cost.Size);
                ResultBytes = FrameTotals(cost);
            }
        } catch (const TSuperseded&) {
            Failed = true;
        } catch (const std::exception& e) {
            Failed = true;
            Failure = QString::fromUtf8(e.what());
        }
        if (Image)
            Image->OnProgress = nullptr;
    }
};

TfrmOptimize::TfrmOptimize(const TGIFImage& Document, bool PromptOnSave, QWidget* Parent, int DefaultLoop)
    : QDialog(Parent), FDocument(Document), FDefaultLoop(DefaultLoop) {
    setObjectName(QStringLiteral("frmOptimize"));
    setWindowTitle(QStringLiteral("Optimize Animation"));
    BuildLayout();
    chkSave->setChecked(PromptOnSave);
    chkRemoveLocal->setEnabled(HasLocalColorTables(Document));
    chkBest->setChecked(Document.Encoding == encLZWBest);
    {
        const QSignalBlocker a(chkOptAll), b(chkDupPixels), c(chkSmallest);
        chkOptAll->setChecked(true);
        chkDupPixels->setChecked(true);
        chkSmallest->setChecked(true);
    }
    Recompute();
}

TfrmOptimize::~TfrmOptimize() {
    for (const auto& job : FJobs)
        job->Cancel = true;
    for (const auto& job : FJobs)
        job->Worker.reset(); // waits
}

void TfrmOptimize::BuildLayout() {
    resize(378, 419);
    auto* root = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("To further reduce the file size of the animation (thereby reducing "
                                            "download time) you can optimize the animation using a variety of "
                                            "techniques listed below."),
                             this);
    intro->setWordWrap(true);
    root->addWidget(intro);

    auto box = [this](const char* Name, const QString& Caption, QWidget* Owner) {
        auto* check = new QCheckBox(Caption, Owner);
        check->setObjectName(QLatin1String(Name));
        return check;
    };
    auto* palettes = new QGroupBox(QStringLiteral("Palettes"), this);
    auto* paletteRows = new QVBoxLayout(palettes);
    chkOptAll = box("chkOptAll", QStringLiteral("&Optimze all palettes (global and local)"), palettes);
    chkRemoveLocal = box("chkRemoveLocal", QStringLiteral("&Remove local palettes (optimizes to a global palette)"), palettes);
    paletteRows->addWidget(chkOptAll);
    paletteRows->addWidget(chkRemoveLocal);
    root->addWidget(palettes);

    auto* frames = new QGroupBox(QStringLiteral("Frame Optimization"), this);
    auto* frameRows = new QVBoxLayout(frames);
    chkTrim = box("chkTrim", QStringLiteral("&Trim frames to smallest rectangle needed"), frames);
    chkDupPixels = box("chkDupPixels", QStringLiteral("Remove &duplicate pixels with transparency"), frames);
    chkSmallest = box("chkSmallest", QStringLiteral("Find the &smallest encoding (slower)"), frames);
    frameRows->addWidget(chkTrim);
    frameRows->addWidget(chkDupPixels);
    chkBest = box("chkBest", QStringLiteral("&Best compression (slower)"), frames);
    chkBest->setToolTip(QStringLiteral("Looks ahead while compressing: usually a few percent smaller, "
                                       "several times slower to save"));
    frameRows->addWidget(chkSmallest);
    frameRows->addWidget(chkBest);
    auto* fitRow = new QHBoxLayout;
    chkFitUnder = box("chkFitUnder", QStringLiteral("&Fit under"), frames);
    txtFitUnder = new TNumericEdit(frames);
    txtFitUnder->setObjectName(QStringLiteral("txtFitUnder"));
    txtFitUnder->setMaximumWidth(70);
    txtFitUnder->setEnabled(false);
    fitRow->addWidget(chkFitUnder);
    fitRow->addWidget(txtFitUnder);
    fitRow->addWidget(new QLabel(QStringLiteral("KB (colors, frames or size may be given up)"), frames));
    fitRow->addStretch();
    frameRows->addLayout(fitRow);
    // Lossy: 0 keeps every pixel; up to 200 lets pixels stray by 0.27 x that (RGB distance).
    auto* lossyRow = new QHBoxLayout;
    sldLossy = new QSlider(Qt::Horizontal, frames);
    sldLossy->setObjectName(QStringLiteral("sldLossy"));
    sldLossy->setRange(0, 200);
    sldLossy->setSingleStep(5);
    sldLossy->setPageStep(20);
    lblLossy = new QLabel(QStringLiteral("Off"), frames);
    lblLossy->setObjectName(QStringLiteral("lblLossy"));
    lblLossy->setMinimumWidth(30);
    auto* lossyCaption = new QLabel(QStringLiteral("&Lossy:"), frames);
    lossyCaption->setBuddy(sldLossy);
    lossyRow->addWidget(lossyCaption);
    lossyRow->addWidget(sldLossy, 1);
    lossyRow->addWidget(lblLossy);
    frameRows->addLayout(lossyRow);
    lblFit = new QLabel(frames);
    lblFit->setObjectName(QStringLiteral("lblFit"));
    lblFit->setWordWrap(true);
    frameRows->addWidget(lblFit);
    root->addWidget(frames);

    chkSave = box("chkSave", QStringLiteral("&Prompt on file save"), this);
    root->addWidget(chkSave);

    auto* results = new QGroupBox(QStringLiteral("Results"), this);
    auto* grid = new QGridLayout(results);
    auto result = [&](int Row, const QString& Caption, const char* Name) {
        grid->addWidget(new QLabel(Caption, results), Row, 0);
        auto* label = new QLabel(results);
        label->setObjectName(QLatin1String(Name));
        grid->addWidget(label, Row, 1);
        return label;
    };
    lblCurrSize = result(0, QStringLiteral("Current Size:"), "lblCurrSize");
    lblOptimizedSize = result(1, QStringLiteral("Optimzed Size:"), "lblOptimizedSize");
    lblTotal = result(2, QStringLiteral("Total Savings:"), "lblTotal");
    grid->setColumnStretch(1, 1);
    chtBytes = new TByteChart(results);
    chtBytes->setToolTip(QStringLiteral("Bytes per frame: before (light) and after optimising (dark)"));
    grid->addWidget(new QLabel(QStringLiteral("Bytes per frame:"), results), 3, 0, Qt::AlignTop);
    grid->addWidget(chtBytes, 3, 1);
    root->addWidget(results);

    const TOkCancel buttons = MakeOkCancel(this, this);
    btnOK = buttons.OK;
    btnCancel = buttons.Cancel;
    root->addLayout(buttons.Row);

    for (QCheckBox* technique : {chkOptAll, chkRemoveLocal, chkTrim, chkDupPixels, chkSmallest, chkBest})
        connect(technique, &QCheckBox::clicked, this, &TfrmOptimize::Recompute);
    connect(sldLossy, &QSlider::valueChanged, this, [this](int value) {
        lblLossy->setText(value == 0 ? QStringLiteral("Off") : QString::number(value));
        // While dragging, the result waits for the release.
        if (!sldLossy->isSliderDown())
            Recompute();
    });
    connect(sldLossy, &QSlider::sliderReleased, this, &TfrmOptimize::Recompute);
    connect(chkFitUnder, &QCheckBox::clicked, this, [this](bool On) {
        txtFitUnder->setEnabled(On);
        if (On && txtFitUnder->text().isEmpty() && FCurrentSize > 0)
            txtFitUnder->setText(QString::number(std::max<qint64>(1, FCurrentSize / 2048)));
        if (On)
            txtFitUnder->setFocus();
        Recompute();
    });
    connect(txtFitUnder, &TNumericEdit::Left, this, [this] {
        if (chkFitUnder->isChecked())
            Recompute();
    });
    connect(txtFitUnder, &QLineEdit::returnPressed, this, &TfrmOptimize::Recompute);
}

TOptimizeChoices TfrmOptimize::Choices() const {
    TOptimizeChoices choices;
    choices.RemoveLocal = chkRemoveLocal->isChecked() && chkRemoveLocal->isEnabled();
    choices.OptimizeAll = chkOptAll->isChecked();
    choices.Trim = chkTrim->isChecked();
    choices.DuplicatePixels = chkDupPixels->isChecked();
    choices.Smallest = chkSmallest->isChecked();
    choices.Lossy = sldLossy->value();
    choices.Best = chkBest->isChecked();
    return choices;
}

qint64 TfrmOptimize::FitTarget() const {
    int kilobytes = 0;
    if (!chkFitUnder->isChecked() || !TNumericEdit::ParseValue(txtFitUnder->text(), kilobytes) || kilobytes < 1)
        return 0;
    return qint64(kilobytes) * 1024;
}

void TfrmOptimize::Recompute() {
    if (FRunning)
        FRunning->Cancel = true;
    auto job = std::make_shared<TJob>();
    // The copy is made here, where the document lives; the worker owns it.
    job->Image = std::make_unique<TGIFImage>();
    job->Image->SetReductionBits(FDocument.ReductionBits());
    job->Image->DitherKind = FDocument.DitherKind;
    job->Image->Assign(&FDocument);
    job->Image->Encoding = FDocument.Encoding;
    NormalizeLoopExtension(*job->Image, FDefaultLoop);
    job->Choices = Choices();
    job->FitTarget = FitTarget();
    job->MeasureCurrent = FCurrentSize < 0;
    FRunning = job.get();
    FResult.reset();
    FJobs.push_back(job);
    lblOptimizedSize->setText(QStringLiteral("Computing..."));
    lblTotal->clear();
    if (job->FitTarget > 0)
        lblFit->setText(QStringLiteral("Searching..."));
    else
        lblFit->clear();
    UpdateButtons();
    TJob* raw = job.get();
    job->Worker = std::make_unique<TBackgroundJob>(
        this, [raw](const std::atomic<bool>&) { raw->Run(); }, [this, raw] { Finished(raw); });
}

void TfrmOptimize::Finished(TJob* Job) {
    auto it = std::find_if(FJobs.begin(), FJobs.end(), [Job](const auto& j) { return j.get() == Job; });
    if (it == FJobs.end())
        return;
    std::shared_ptr<TJob> job = *it;
    FJobs.erase(it);
    job->Worker->Join();
    if (job->Current >= 0 && FCurrentSize < 0) {
        FCurrentSize = job->Current;
        lblCurrSize->setText(BytesText(FCurrentSize));
        chtBytes->SetBytes(job->CurrentBytes);
    }
    if (job.get() != FRunning)
        return;  // superseded by a later click
    FRunning = nullptr;
    ShowResult(*job);
    UpdateButtons();
    emit ResultShown();
}

void TfrmOptimize::ShowResult(TJob& Job) {
    if (Job.Failed) {
        FOptimizedSize = -1;
        lblOptimizedSize->setText(Job.Failure.isEmpty() ? QString() : Job.Failure);
        lblTotal->clear();
        return;
    }
    FFit = Job.Fit;
    FResult = Job.FitTarget > 0 ? std::move(Job.FitImage) : std::move(Job.Image);
    FOptimizedSize = Job.Size;
    lblOptimizedSize->setText(BytesText(FOptimizedSize));
    chtBytes->SetAfter(Job.ResultBytes);
    if (FCurrentSize > 0) {
        const double percent = std::fabs(double(FOptimizedSize) / double(FCurrentSize) * 100.0 - 100.0);
        lblTotal->setText(QStringLiteral("%1 (%2%)")
                              .arg(BytesText(std::llabs(FOptimizedSize - FCurrentSize)),
                                   QString::asprintf("%4.1f", percent)));
    }
    if (Job.FitTarget > 0) {
        const QString lost = QString::fromStdString(Job.Fit.Recipe.Describe());
        lblFit->setText(Job.Fit.Fits
                            ? QStringLiteral("Fits: %1; given up: %2.").arg(BytesText(Job.Size), lost)
                            : QStringLiteral("Nothing tried fits under %1 KB; the result shown is %2 (given up: %3).")
                                  .arg(Job.FitTarget / 1024)
                                  .arg(BytesText(Job.Size), lost));
    }
}

void TfrmOptimize::UpdateButtons() {
    btnOK->setEnabled(FRunning == nullptr && FResult != nullptr);
}
