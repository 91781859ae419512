#include "session/EditSession.h"

#include "gif/DocumentFingerprint.h"
#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/ImageContents.h"
#include "session/EditStep.h"
#include "session/PaletteSettings.h"

#include <QUndoStack>
#include <QtGlobal>

namespace {
const QString UntitledName = QStringLiteral("Untitled");

bool CheckingByDefault() {
#ifndef NDEBUG
    return true;
#else
    return qEnvironmentVariableIsSet("REELIX_CHECK_DOCUMENT");
#endif
}
} // namespace

TEditSession::TEditSession(TSettingsStore& Settings, QObject* Parent)
    : QObject(Parent), FSettings(Settings), FDocument(std::make_unique<TGIFImage>()),
      FHistory(new QUndoStack(this)), FFileName(UntitledName) {
    FOnTamper = [](const QString& where) {
        qFatal("Reelix: the document changed outside its operations (%s)", qPrintable(where));
    };
    connect(FHistory, &QUndoStack::cleanChanged, this, &TEditSession::StateChanged);
    connect(FHistory, &QUndoStack::indexChanged, this, [this] {
        if (FOptimizedAt >= 0)
            emit StateChanged();
    });
    UsePaletteSettings();
    SetChecking(CheckingByDefault());
}

void TEditSession::UsePaletteSettings() {
    ApplyPaletteSettings(*FDocument, FSettings);
}

TEditSession::~TEditSession() {
    // The steps refer to the document: they go first, quietly.
    FHistory->disconnect(this);
    delete FHistory;
}

bool TEditSession::Untitled() const {
    return FFileName == UntitledName;
}

bool TEditSession::Modified() const {
    return !FHistory->isClean();
}

bool TEditSession::Optimized() const {
    return FOptimizedAt >= 0 && FHistory->index() == FOptimizedAt;
}

bool TEditSession::Apply(const QString& Name, const TOperation& Operation, TShown Shown, TStepKind Kind) {
    Verify(Name);
    TFrameEditLog log;
    bool changed = false;
    try {
        changed = Operation(*FDocument, log);
    } catch (...) {
        // Half an operation is no step: the document goes back as it was.
        log.Undo(*FDocument);
        throw;
    }
    if (log.Empty()) {
        Record(); // an operation may fill caches only
        return false;
    }
    FHistory->push(new TEditStep(Name, *this, std::move(log), Shown));
    if (Kind == TStepKind::Optimization) {
        FOptimizedAt = FHistory->index();
        emit StateChanged();
    }
    return changed;
}

void TEditSession::StepShown(int Frame) {
    Record();
    emit DocumentChanged(Frame);
}

void TEditSession::Replace(TGIFImage& Contents, const QString& FileName, bool Saved) {
    Verify(QStringLiteral("Replace"));
    FHistory->clear();
    FDocument->ClearImage();
    MoveImageContents(*FDocument, Contents);
    FFileName = FileName;
    FOptimizedAt = -1;
    if (Saved)
        FHistory->setClean();
    else
        FHistory->resetClean(); // never saved: no step back reaches a saved state
    Record();
    emit DocumentReplaced();
    emit StateChanged();
}

void TEditSession::Reset() {
    TGIFImage empty;
    Replace(empty, UntitledName, true);
}

std::unique_ptr<TGIFImage> TEditSession::PreparedCopy() const {
    return PreparedForSaving(*FDocument, FSettings.Read(Setting::DefaultLoop));
}

void TEditSession::MarkSaved(const QString& Path) {
    FFileName = Path;
    FHistory->setClean();
    emit StateChanged();
}

void TEditSession::SetChecking(bool On) {
    FChecking = On;
    Record();
}

void TEditSession::Record() {
    if (FChecking)
        FDigest = DocumentFingerprint(*FDocument);
}

bool TEditSession::Verify(const QString& Where) const {
    if (!FChecking || DocumentFingerprint(*FDocument) == FDigest)
        return true;
    if (FOnTamper)
        FOnTamper(Where);
    return false;
}
