#include "app/DocumentCommands.h"

#include "app/AnimationCommands.h"
#include "app/DocumentLoading.h"
#include "app/FrameCommands.h"
#include "app/ImageImport.h"
#include "app/MainForm.h"
#include "app/Routines.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "painter/AnimationCheck.h"
#include "services/AtomicFile.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <exception>

namespace {
const QString OpenFilter = QStringLiteral(
    "Image Files|*.gif;*.jpg;*.jpeg;*.bmp;*.png;*.webp;*.avi;*.mp4;*.m4v;*.webm;*.mov;*.mkv|GIF Images (*.gif)|*.gif|"
    "Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|Bitmap Images (*.bmp)|*.bmp|PNG Images (*.png)|*.png|WebP Images (*.webp)|*.webp|"
    "Videos (*.avi, *.mp4, *.webm, *.mov, *.mkv)|*.avi;*.mp4;*.m4v;*.webm;*.mov;*.mkv|All Files (*.*)|*.*");
const QString SaveFilter = QStringLiteral("GIF Images (*.gif)|*.gif");

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}
} // namespace

TDocumentCommands::TDocumentCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window)
    : FSession(Session), FPrompts(Prompts), FWindow(Window) {}

bool TDocumentCommands::AskSaveChanges() {
    // No leaves the document as it is: it is thrown away only when what
    // replaces it has been read.
    if (!FSession.Modified())
        return true;
    const TMsgResult answer = FPrompts.MessageBox(
        TMsgType::Confirmation, TMsgButtons::YesNoCancel, TfrmMain::ApplicationTitle(),
        QStringLiteral("Would you like to save the changes to %1?").arg(FilePart(FSession.FileName())));
    if (answer == TMsgResult::Cancel)
        return false;
    if (answer == TMsgResult::Yes) {
        Save();
        return !FSession.Modified();
    }
    return true;
}

void TDocumentCommands::New() {
    if (AskSaveChanges())
        FSession.Reset();
}

void TDocumentCommands::Open() {
    if (!AskSaveChanges())
        return;
    const QString path =
        FPrompts.OpenFileName(QStringLiteral("Open"), FWindow.InitialDir(), DialogFilter(OpenFilter));
    if (path.isEmpty())
        return;
    FWindow.SetInitialDir(FolderOf(path));
    OpenFile(path);
}

bool TDocumentCommands::OpenFile(const QString& Path) {
    // Whatever the kind, the file is read in full first; only then does it
    // replace the document, which a file that cannot be read leaves as it was.
    const TFileKind kind = FileKindOf(Path);
    if (IsWebAnimation(Path, kind))
        return ImportWebAnimationFile(Path);
    switch (kind) {
    case fkGIF: {
        TGIFImage opened;
        const TLoadOutcome outcome = ReadGIF(Path, opened, &FWindow);
        if (!outcome.Loaded) {
            ShowLoadFailure(FPrompts, Path, outcome);
            return false;
        }
        ShowOpened(Path, opened, outcome);
        return true;
    }
    case fkAVI:
        return ImportVideoFile(Path);
    case fkJPEG:
    case fkBMP:
    case fkPNG: {
        TBitmap bitmap;
        {
            TWaitCursor wait;
            const QString failure = LoadStillPicture(Path, kind, bitmap);
            if (!failure.isEmpty()) {
                ShowPictureFailure(FPrompts, Path, failure);
                return false;
            }
        }
        FSession.Reset();
        FWindow.Frames().AddPicture(std::move(bitmap), -1);
        return FSession.Document().Frames().Count() > 0;
    }
    default:
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Error loading %1. Unknown file type or corrupted file.").arg(FilePart(Path)));
        return false;
    }
}

void TDocumentCommands::ShowOpened(const QString& Path, TGIFImage& Loaded, const TLoadOutcome& Outcome) {
    const int delay = FSession.Read(Setting::DefaultDelay);
    const int loop = FSession.Read(Setting::DefaultLoop);
    int pictures = 0;
    for (int i = 0; i < Loaded.Frames().Count(); ++i)
        pictures += Loaded.Frames()[i]->IsEmpty() ? 0 : 1;
    // Empty frames go to the end, keeping their order, in one pass.
    MoveEmptyFramesToEnd(Loaded);
    // A single picture is a new animation made from it, never saved.
    if (pictures <= 1)
        PrepareNewFrame(Loaded, 0, delay, loop);
    const bool single = Loaded.Frames().Count() <= 1;
    FSession.Replace(Loaded, single ? QStringLiteral("Untitled") : Path, !single);
    if (!single)
        AddRecentFile(Path);
    ShowLoadWarnings(FPrompts, Outcome);
}

// ---- Saving -----------------------------------------------------------------

void TDocumentCommands::PromptOptimizeBeforeSaving() {
    if (FSession.Optimized() || FSession.Document().Frames().Count() == 0)
        return;
    if (FSession.Read(Setting::OptimizePrompt))
        FWindow.WholeAnimation().Optimize();
}

void TDocumentCommands::Save() {
    // Whatever the optimisation's outcome, saving goes on.
    PromptOptimizeBeforeSaving();
    const QString name = FSession.FileName();
    if (!FSession.Untitled() && QFileInfo::exists(name)) {
        if (FSession.Read(Setting::MakeBackups))
            MakeBackup(name);
        SaveDocument(name);
        return;
    }
    SaveAsDialog();
}

void TDocumentCommands::SaveAs() {
    PromptOptimizeBeforeSaving();
    SaveAsDialog();
}

bool TDocumentCommands::SaveAsDialog() {
    QString path = FPrompts.SaveFileName(QStringLiteral("Save As"), FWindow.InitialDir(), DialogFilter(SaveFilter));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".gif");
    if (!SaveDocument(path))
        return false;
    FWindow.SetInitialDir(FolderOf(path));
    return true;
}

bool TDocumentCommands::SaveDocument(const QString& Path) {
    TWaitCursor wait;
    QString reason;
    QByteArray bytes;
    try {
        // What is written is a prepared copy: the document itself, and so the
        // undo history that refers to its frames and extensions, never change.
        TMemoryStream encoded;
        FSession.PreparedCopy()->SaveToStream(encoded);
        bytes = QByteArray(reinterpret_cast<const char*>(encoded.Data()), static_cast<qsizetype>(encoded.Size()));
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    }
    if (reason.isEmpty())
        reason = FFileWriter ? FFileWriter(Path, bytes) : WriteFileAtomically(Path, bytes);
    if (!reason.isEmpty()) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Could not save %1.\n%2").arg(QDir::toNativeSeparators(Path), reason));
        return false;
    }
    FSession.MarkSaved(Path);
    AddRecentFile(Path);
    // Quietly: the status bar says when browsers will play it otherwise.
    const TCheckReport check = CheckPlayback(FSession.Document(), FSession.Read(Setting::DefaultLoop));
    if (check.PlaysDifferently())
        FWindow.SetStatusText(2, QStringLiteral("Saved. Browsers will play it differently: %1 (Tools > Check Animation).")
                                     .arg(QString::fromStdString(check.Findings.front().Title)));
    return true;
}

void TDocumentCommands::MakeBackup(const QString& Path) {
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

QAction* TDocumentCommands::NewRecentItem(const QString& Path) {
    auto* item = new QAction(FRecentMenu);
    item->setData(Path);
    item->setStatusTip(QStringLiteral("Opens this file"));
    QObject::connect(item, &QAction::triggered, &FWindow, [this, item] { FWindow.Guarded([this, item] { OpenRecentFile(item); }); });
    return item;
}

void TDocumentCommands::AddRecentFile(const QString& Path) {
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

void TDocumentCommands::SetRecentFiles(const QStringList& Paths) {
    for (const QString& path : Paths)
        if (!path.isEmpty() && FRecentFiles.size() < MaxRecentFiles)
            FRecentFiles << NewRecentItem(path);
    NumberRecentFiles();
}

void TDocumentCommands::NumberRecentFiles() {
    for (QAction* a : FRecentMenu->actions())
        FRecentMenu->removeAction(a);
    for (qsizetype i = 0; i < FRecentFiles.size(); ++i) {
        QAction* a = FRecentFiles[i];
        QString path = a->data().toString();
        a->setText(QStringLiteral("&%1 %2").arg(i).arg(path.replace(QLatin1Char('&'), QStringLiteral("&&"))));
        a->setObjectName(QStringLiteral("mnuFileReopen%1").arg(i));
        FRecentMenu->addAction(a);
    }
}

QStringList TDocumentCommands::RecentFiles() const {
    QStringList paths;
    for (QAction* a : FRecentFiles)
        paths << a->data().toString();
    return paths;
}

void TDocumentCommands::OpenRecentFile(QAction* Item) {
    const QString path = Item->data().toString();
    if (!QFileInfo::exists(path)) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Could not open %1. The file may have moved.").arg(QDir::toNativeSeparators(path)));
        FRecentFiles.removeOne(Item);
        Item->deleteLater();
        NumberRecentFiles();
        return;
    }
    if (path != FSession.FileName()) {
        if (AskSaveChanges() && OpenFile(path))
            AddRecentFile(path);
        return;
    }
    const TMsgResult answer =
        FPrompts.MessageBox(TMsgType::Confirmation, TMsgButtons::YesNo, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Would you like to reload %1?").arg(FilePart(path)));
    if (answer != TMsgResult::Yes)
        return;
    if (AskSaveChanges())
        OpenFile(path);
}

// ---- Files from outside -----------------------------------------------------

void TDocumentCommands::OpenAsNewDocument(const QString& Path) {
    FWindow.Guarded([&] {
        if (AskSaveChanges())
            OpenFile(Path);
    });
}

void TDocumentCommands::OpenCommandLineFiles(const QStringList& Files) {
    if (Files.isEmpty())
        return;
    const QString path = QFileInfo(Files.first()).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, TfrmMain::ApplicationTitle(),
                            QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(path)));
        return;
    }
    OpenAsNewDocument(path);
}
