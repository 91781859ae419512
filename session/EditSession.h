#pragma once
// The editing session: the one animation being edited, its undo history, its
// file name and whether it differs from that file. Everything else sees the
// document read-only; the one way to change it is to apply an operation, a
// function of the document and its edit log, which becomes one undo step.
// Saving writes a prepared copy and never touches the document.

#include "services/SettingsStore.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QUndoStack;
class TFrameEditLog;
class TGIFImage;

class TEditSession : public QObject {
    Q_OBJECT
public:
    explicit TEditSession(TSettingsStore& Settings, QObject* Parent = nullptr);
    ~TEditSession() override;

    const TGIFImage& Document() const { return *FDocument; }

    // The stored settings, read and written through their schema.
    TSettingsStore& Settings() const { return FSettings; }
    template <class T> T Read(const TSetting<T>& Key) const { return FSettings.Read(Key); }

    // The history, for undo and redo commands and their captions.
    QUndoStack& History() const { return *FHistory; }

    const QString& FileName() const { return FFileName; }
    // No file yet: the name is "Untitled".
    bool Untitled() const;
    // The document differs from its file (or has never been saved).
    bool Modified() const;
    // The document is what Optimize Animation made of it, unchanged since.
    bool Optimized() const;

    // ---- Changing the document ----
    using TOperation = std::function<bool(TGIFImage& Document, TFrameEditLog& Log)>;
    // The frames to show before and after the step (-1: none); undo and redo
    // show them again.
    struct TShown {
        int Before = -1;
        int After = -1;
    };
    enum class TStepKind { Edit, Optimization };
    // Runs Operation; what it changed becomes one undo step named Name.
    // Answers whether anything changed. An operation that throws has its
    // change taken back before the error goes on.
    bool Apply(const QString& Name, const TOperation& Operation, TShown Shown, TStepKind Kind = TStepKind::Edit);

    // A document read in full takes this one's place and the history starts
    // anew. Saved: it is the file FileName as it is on disk (else it is new
    // and counts as modified). Contents is left empty.
    void Replace(TGIFImage& Contents, const QString& FileName, bool Saved);
    // New: no frames, no history, "Untitled".
    void Reset();

    // The palette settings become the document's colour reduction (what
    // resizing and optimising reduce with; not part of the saved file).
    void UsePaletteSettings();

    // ---- Saving ----
    // The copy that is written (loop block and frame defaults in place).
    std::unique_ptr<TGIFImage> PreparedCopy() const;
    // The document is now the file at Path.
    void MarkSaved(const QString& Path);

    // ---- The check that nothing else changes the document ----
    // On (the default in builds with assertions, and wherever REELIX_CHECK_DOCUMENT
    // is set), every operation, undo and redo records the document's digest,
    // and Verify compares it with the document as it is.
    void SetChecking(bool On);
    bool Checking() const { return FChecking; }
    // What happens when the document has changed behind the session's back
    // (by default a fatal error naming Where).
    using TTamperHandler = std::function<void(const QString& Where)>;
    void SetTamperHandler(TTamperHandler Handler) { FOnTamper = std::move(Handler); }
    // Answers false (after calling the handler) when the document is not what
    // the last operation left.
    bool Verify(const QString& Where) const;

signals:
    // After an operation, undo or redo: the frame to show (-1: none).
    void DocumentChanged(int ShownFrame);
    // After Replace and Reset.
    void DocumentReplaced();
    // The file name, Modified or Optimized changed.
    void StateChanged();

private:
    friend class TEditStep;
    void StepShown(int Frame);
    void Record();

    TSettingsStore& FSettings;
    std::unique_ptr<TGIFImage> FDocument;
    QUndoStack* FHistory = nullptr; // a child of the session
    QString FFileName;
    // The history's index right after the optimisation (-1: none).
    int FOptimizedAt = -1;
    bool FChecking = false;
    std::uint64_t FDigest = 0;
    TTamperHandler FOnTamper;
};
