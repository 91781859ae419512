#pragma once
// The document's life: New, Open, Save, Save As, backups, recent files, files
// dropped or named on the command line, video import, and the exports. A file
// is read in full before it takes the open document's place.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class IUserPrompts;
class QAction;
class QByteArray;
class QMenu;
class TEditSession;
class TGIFImage;
class TfrmMain;
struct TLoadOutcome;

class TDocumentCommands {
public:
    TDocumentCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window);

    void New();
    void Open();
    void Save();
    void SaveAs();
    // Asks to save a modified document; answers whether the caller may go on.
    bool AskSaveChanges();
    // Reads a file by its kind and, once it has been read, makes it the
    // document (the caller has asked to save changes). A file that cannot be
    // read leaves the document, its name and its history as they were, and
    // one error box says why; answers whether the file was opened.
    bool OpenFile(const QString& Path);
    // A GIF read in full becomes the document, as Open makes it.
    void ShowOpened(const QString& Path, TGIFImage& Loaded, const TLoadOutcome& Outcome);
    // Writes the document's prepared copy; on failure tells the user and answers false.
    bool SaveDocument(const QString& Path);
    // New (asking to save changes), then the file, when New went ahead.
    void OpenAsNewDocument(const QString& Path);
    // Files named on the command line: the first opens as Open would open it.
    void OpenCommandLineFiles(const QStringList& Files);

    // New, then a video file chosen and imported as the new animation.
    void ImportVideo();
    // The first video stream of Path becomes the animation "Untitled"; a
    // video that cannot be read (or a Cancel) leaves the document as it was.
    bool ImportVideoFile(const QString& Path);
    // The animation written as an uncompressed AVI video.
    void ExportVideo();
    // Chosen frames written as single GIF, JPEG or BMP pictures.
    void ExportImages();
    // The animation written as animated WebP or PNG, or an MP4 or WebM video.
    void ExportWeb();
    // An animated WebP or PNG, or a still WebP, becomes the animation
    // "Untitled"; one that cannot be read leaves the document as it was.
    bool ImportWebAnimationFile(const QString& Path);
    // Reads such a file into Loaded (empty), telling the user of a failure
    // (false) and of frames left out.
    bool ReadWebAnimation(const QString& Path, TGIFImage& Loaded);
    // An animation read from another format becomes the document "Untitled".
    void UseImportedAnimation(TGIFImage& Loaded);

    // ---- Recent files (the menu is the window's) ----
    void SetRecentMenu(QMenu* Menu) { FRecentMenu = Menu; }
    void AddRecentFile(const QString& Path);
    // The list as stored, newest first (empty names skipped).
    void SetRecentFiles(const QStringList& Paths);
    QStringList RecentFiles() const;
    QList<QAction*> RecentFileItems() const { return FRecentFiles; }

    // Replaces how saved bytes reach the disk (tests inject failures); the
    // writer answers an empty text on success, else the reason.
    using TFileWriter = std::function<QString(const QString& Path, const QByteArray& Bytes)>;
    void SetFileWriter(TFileWriter Writer) { FFileWriter = std::move(Writer); }

private:
    static constexpr int MaxRecentFiles = 10;
    bool SaveAsDialog();
    void MakeBackup(const QString& Path);
    QAction* NewRecentItem(const QString& Path);
    void NumberRecentFiles();
    void OpenRecentFile(QAction* Item);
    void PromptOptimizeBeforeSaving();

    TEditSession& FSession;
    IUserPrompts& FPrompts;
    TfrmMain& FWindow;
    TFileWriter FFileWriter;
    QMenu* FRecentMenu = nullptr;
    QList<QAction*> FRecentFiles;
};
