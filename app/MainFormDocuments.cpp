// The document's life: New, Open, Save, Save As, backups, recent files, drops
// and files named on the command line.
#include "app/MainForm.h"

#include "app/BackgroundWork.h"
#include "app/ImageImport.h"
#include "app/Routines.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "dialogs/Progress.h"
#include "gif/ColorTableRepair.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "gif/ImageContents.h"
#include "services/AtomicFile.h"
#include "services/MachineMemory.h"
#include "services/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUndoStack>
#include <QUrl>
#include <exception>

namespace {
const QString Untitled = QStringLiteral("Untitled");

const QString OpenFilter = QStringLiteral(
    "Image Files|*.gif;*.jpg;*.jpeg;*.bmp;*.avi;*.mp4;*.m4v;*.webm;*.mov;*.mkv|GIF Images (*.gif)|*.gif|"
    "Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|Bitmap Images (*.bmp)|*.bmp|"
    "Videos (*.avi, *.mp4, *.webm, *.mov, *.mkv)|*.avi;*.mp4;*.m4v;*.webm;*.mov;*.mkv|All Files (*.*)|*.*");
const QString SaveFilter = QStringLiteral("GIF Images (*.gif)|*.gif");

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// Raised by the loader's progress hook when the user presses Cancel.
struct TLoadCancelled {};

} // namespace

void TfrmMain::SetTitle(const QString& Path) {
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + FilePart(Path));
}

bool TfrmMain::AskSaveChanges() {
    // No leaves the document as it is: it is thrown away only when what
    // replaces it has been read. The history's own clean state is asked too,
    // so no error on the way can make a changed document look saved.
    if (!Modified && FUndo->isClean())
        return true;
    const TMsgResult answer = FPrompts.MessageBox(
        TMsgType::Confirmation, TMsgButtons::YesNoCancel, ApplicationTitle(),
        QStringLiteral("Would you like to save the changes to %1?").arg(FilePart(FileName)));
    if (answer == TMsgResult::Cancel)
        return false;
    if (answer == TMsgResult::Yes) {
        mnuFileSaveClick();
        return !Modified;
    }
    return true;
}

void TfrmMain::mnuFileNewClick() {
    if (!AskSaveChanges())
        return;
    ResetDocument();
}

void TfrmMain::ResetDocument() {
    PausePlayback();
    EmptyPreview();
    Document()->ClearImage();
    ClearFrames();
    FUndo->clear();
    FileName = Untitled;
    SetTitle(FileName);
    Modified = false;
    Optimized = false;
    SetStatusText(1, QString());
    UpdateCommandStates();
    splitHorzMoved();
}

void TfrmMain::mnuFileOpenClick() {
    if (!AskSaveChanges())
        return;
    const QString path = FPrompts.OpenFileName(QStringLiteral("Open"), FInitialDir, DialogFilter(OpenFilter));
    if (path.isEmpty())
        return;
    FInitialDir = FolderOf(path);
    OpenFile(path);
}

TfrmMain::TLoadOutcome TfrmMain::LoadGIF(const QString& Path, TGIFImage& Target, bool WithProgress) {
    // Decoded on a worker thread into an image nobody else sees; the frames
    // move into Target only when the whole file has been read.
    TGIFImage loaded;
    loaded.PixelBudget = MachinePixelBudget();
    TLoadOutcome outcome;
    std::vector<std::string> warnings;
    loaded.OnWarn = [&warnings](TPersistent*, int, const std::string& text) { warnings.push_back(text); };
    std::unique_ptr<TfrmProgress> progress;
    if (WithProgress) {
        progress = std::make_unique<TfrmProgress>(this);
        progress->SetRange(0, 100);
        progress->SetText(QStringLiteral("Loading %1...").arg(FilePart(Path)));
        // Modal to the whole program: the window takes no input meanwhile, but
        // is not disabled, which would disable the progress window's Cancel too.
        progress->show();
    }
    const std::string file = QFile::encodeName(Path).toStdString();
    try {
        RunInBackground(
            [&loaded, &file](const TWorkContext& work) {
                // At most one report per percent: the bar is repainted for each.
                int reported = -1;
                loaded.OnProgress = [&work, &reported](TPersistent*, TProgressStage, int percent, bool, const TRect&,
                                                       const std::string&) {
                    if (work.Cancelled)
                        throw TLoadCancelled{};
                    if (percent != reported) {
                        reported = percent;
                        work.Report(percent);
                    }
                };
                loaded.LoadFromFile(file);
                loaded.OnProgress = nullptr;
            },
            progress.get());
        outcome.Loaded = true;
    } catch (const TLoadCancelled&) {
        outcome.Cancelled = true;
    } catch (const std::exception& e) {
        outcome.Failure = ExceptionText(e);
    }
    loaded.OnProgress = nullptr;
    loaded.OnWarn = nullptr;
    // A Cancel that came as the last frame was read still counts.
    if (progress && progress->Cancelled() && outcome.Loaded) {
        outcome.Loaded = false;
        outcome.Cancelled = true;
    }
    progress.reset();
    if (!outcome.Loaded)
        return outcome;
    const TGIFImageList& frames = loaded.Frames();
    if (frames.Count() == 0 || frames[0]->IsEmpty()) {
        outcome.Loaded = false;
        outcome.Failure = QStringLiteral("The file holds no picture.");
        return outcome;
    }
    outcome.Warnings = WarningsText(Path, warnings);
    MoveImageContents(Target, loaded);
    // Pixels past their colour table would make the file unsavable.
    ExtendColorTablesToPixels(Target);
    return outcome;
}

void TfrmMain::ShowLoadFailure(const QString& Path, const TLoadOutcome& Outcome) {
    if (Outcome.Cancelled)
        return;
    FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                        QStringLiteral("Unable to decode GIF file.\n%1: %2").arg(FilePart(Path), Outcome.Failure));
}

void TfrmMain::ShowLoadWarnings(const TLoadOutcome& Outcome) {
    if (!Outcome.Warnings.isEmpty())
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, ApplicationTitle(), Outcome.Warnings);
}

bool TfrmMain::OpenFile(const QString& Path) {
    // Whatever the kind, the file is read in full first; only then does it
    // replace the document, which a file that cannot be read leaves as it was.
    const int kind = FileKindOf(Path);
    switch (kind) {
    case fkGIF: {
        TGIFImage opened;
        const TLoadOutcome outcome = LoadGIF(Path, opened, true);
        if (!outcome.Loaded) {
            ShowLoadFailure(Path, outcome);
            return false;
        }
        ResetDocument();
        MoveImageContents(*Document(), opened);
        ShowDocument(Path);
        ShowLoadWarnings(outcome);
        return true;
    }
    case fkAVI:
        return ImportVideoFile(Path);
    case fkJPEG:
    case fkBMP: {
        TBitmap bitmap;
        {
            TWaitCursor wait;
            const QString failure = LoadStillPicture(Path, static_cast<TFileKind>(kind), bitmap);
            if (!failure.isEmpty()) {
                ShowPictureFailure(Path, failure);
                return false;
            }
        }
        ResetDocument();
        AddBitmapAsFrame(std::move(bitmap), -1);
        return Document()->Frames().Count() > 0;
    }
    default:
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Error loading %1. Unknown file type or corrupted file.").arg(FilePart(Path)));
        return false;
    }
}

void TfrmMain::ShowPictureFailure(const QString& Path, const QString& Reason) {
    FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                        QStringLiteral("Error loading %1. Unknown file type or corrupted file.\n%2")
                            .arg(FilePart(Path), Reason));
}

void TfrmMain::ShowDocument(const QString& Path) {
    lbFrames->SetItemHeight(FrameSize + 65);
    lbFrames->SetCurrentWidth(FrameSize + 26);
    pnlAnimation->hide();
    TGIFImageList& frames = Document()->Frames();
    const int count = frames.Count();

    if (count <= 1) {
        // A single picture is a new animation made from it.
        PrepareNewFrame(*Document(), 0, DefaultDelay, DefaultLoop);
        AppendFrameEntry();
        // Never saved: no step back reaches an unmodified state.
        FUndo->resetClean();
        Modified = true;
        FileName = Untitled;
        SetTitle(FileName);
    } else {
        // Entries are placeholders and tiles are drawn only when seen, so the
        // whole list is filled at once; the decoding before it had the
        // progress window.
        int entries = 0;
        for (int i = 0; i < count; ++i)
            entries += frames[i]->IsEmpty() ? 0 : 1;
        lbFrames->AppendEntries(entries);
        // Empty frames go to the end, keeping their order, in one pass.
        MoveEmptyFramesToEnd(*Document());
        if (entries == 1)
            PrepareNewFrame(*Document(), 0, DefaultDelay, DefaultLoop);
        FileName = Path;
        SetTitle(Path);
        AddRecentFile(Path);
    }

    SelectFrame(0);
    lbFrames->scrollToTop();
    lbFramesClick();
    SizePreviewToScreen();
    UpdateCommandStates();
}

// ---- Saving -----------------------------------------------------------------

void TfrmMain::mnuFileSaveClick() {
    // Whatever the optimisation's outcome, saving goes on.
    PromptOptimizeBeforeSaving();
    if (FileName != Untitled && QFileInfo::exists(FileName)) {
        if (FSettings.Read(Setting::MakeBackups))
            MakeBackup(FileName);
        TWaitCursor wait;
        SaveDocument(FileName);
        return;
    }
    if (!SaveAsDialog())
        Modified = true;
}

void TfrmMain::mnuFileSaveAsClick() {
    PromptOptimizeBeforeSaving();
    SaveAsDialog();
}

bool TfrmMain::SaveAsDialog() {
    QString path = FPrompts.SaveFileName(QStringLiteral("Save As"), FInitialDir, DialogFilter(SaveFilter));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".gif");
    if (!SaveDocument(path))
        return false;
    FInitialDir = FolderOf(path);
    return true;
}

bool TfrmMain::SaveDocument(const QString& Path) {
    TWaitCursor wait;
    QString reason;
    QByteArray bytes;
    try {
        // What is written is a prepared copy: the document itself, and so the
        // undo history that refers to its frames and extensions, never change.
        TMemoryStream encoded;
        PreparedForSaving(*Document(), DefaultLoop)->SaveToStream(encoded);
        bytes = QByteArray(reinterpret_cast<const char*>(encoded.Data()), static_cast<qsizetype>(encoded.Size()));
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    }
    if (reason.isEmpty())
        reason = FFileWriter ? FFileWriter(Path, bytes) : WriteFileAtomically(Path, bytes);
    if (!reason.isEmpty()) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Could not save %1.\n%2").arg(QDir::toNativeSeparators(Path), reason));
        return false;
    }
    FUndo->setClean();
    Modified = false;
    FileName = Path;
    SetTitle(Path);
    AddRecentFile(Path);
    UpdateFrameCommands(lbFrames->currentRow());
    return true;
}

void TfrmMain::MakeBackup(const QString& Path) {
    const QFileInfo info(Path);
    const QString suffix = info.suffix();
    QString backup = Path;
    if (!suffix.isEmpty())
        backup.chop(suffix.size() + 1);
    backup += QStringLiteral(".~gi");
    // A failed backup does not stop the save.
    QFile::remove(backup);
    QFile::copy(Path, backup);
}

// ---- Recent files -----------------------------------------------------------

QAction* TfrmMain::NewRecentItem(const QString& Path) {
    QMenu* menu = FMenus.value(QStringLiteral("mnuFileReopen"));
    auto* item = new QAction(menu);
    item->setData(Path);
    item->setStatusTip(QStringLiteral("Opens this file"));
    connect(item, &QAction::triggered, this, [this, item] { Guarded([=] { OpenRecentFile(item); }); });
    return item;
}

void TfrmMain::AddRecentFile(const QString& Path) {
    QAction* item = NewRecentItem(Path);
    for (qsizetype i = 0; i < FRecentFiles.size(); ++i)
        if (FRecentFiles[i]->data().toString() == Path) {
            FRecentFiles.takeAt(i)->deleteLater();
            break;
        }
    FRecentFiles.prepend(item);
    while (FRecentFiles.size() > MaxRecentFiles)
        FRecentFiles.takeLast()->deleteLater();
    NumberRecentFiles();
}

void TfrmMain::NumberRecentFiles() {
    QMenu* menu = FMenus.value(QStringLiteral("mnuFileReopen"));
    for (QAction* a : menu->actions())
        menu->removeAction(a);
    for (qsizetype i = 0; i < FRecentFiles.size(); ++i) {
        QAction* a = FRecentFiles[i];
        QString path = a->data().toString();
        a->setText(QStringLiteral("&%1 %2").arg(i).arg(path.replace(QLatin1Char('&'), QStringLiteral("&&"))));
        a->setObjectName(QStringLiteral("mnuFileReopen%1").arg(i));
        menu->addAction(a);
    }
}

QStringList TfrmMain::RecentFiles() const {
    QStringList paths;
    for (QAction* a : FRecentFiles)
        paths << a->data().toString();
    return paths;
}

void TfrmMain::OpenRecentFile(QAction* Item) {
    const QString path = Item->data().toString();
    if (!QFileInfo::exists(path)) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Could not open %1. The file may have moved.").arg(QDir::toNativeSeparators(path)));
        FRecentFiles.removeOne(Item);
        Item->deleteLater();
        NumberRecentFiles();
        return;
    }
    if (path != FileName) {
        if (AskSaveChanges() && OpenFile(path))
            AddRecentFile(path);
        return;
    }
    const TMsgResult answer =
        FPrompts.MessageBox(TMsgType::Confirmation, TMsgButtons::YesNo, ApplicationTitle(),
                            QStringLiteral("Would you like to reload %1?").arg(FilePart(path)));
    if (answer != TMsgResult::Yes)
        return;
    if (AskSaveChanges())
        OpenFile(path);
}

// ---- Files from outside -----------------------------------------------------

void TfrmMain::dragEnterEvent(QDragEnterEvent* Event) {
    const QMimeData* data = Event->mimeData();
    if (data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) {
                Event->acceptProposedAction();
                return;
            }
    QMainWindow::dragEnterEvent(Event);
}

void TfrmMain::dropEvent(QDropEvent* Event) {
    if (DropThumbnailOnPreview(*Event->mimeData(), Event->position().toPoint())) {
        Event->acceptProposedAction();
        return;
    }
    QString first;
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile()) {
            first = url.toLocalFile();
            break;
        }
    if (first.isEmpty())
        return;
    Event->acceptProposedAction();
    OpenAsNewDocument(first);
}

void TfrmMain::OpenAsNewDocument(const QString& Path) {
    Guarded([&] {
        if (AskSaveChanges())
            OpenFile(Path);
    });
}

void TfrmMain::OpenCommandLineFiles(const QStringList& Files) {
    if (Files.isEmpty())
        return;
    const QString path = QFileInfo(Files.first()).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(path)));
        return;
    }
    OpenAsNewDocument(path);
}
