// Pictures from files becoming frames: loading, the size and palette
// questions, colour reduction, frame defaults and where the frame goes.
#include "app/MainForm.h"

#include "app/ImageImport.h"
#include "app/PaletteSettings.h"
#include "app/Routines.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "dialogs/Comments.h"
#include "dialogs/Settings.h"
#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/ImageContents.h"
#include "services/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {
const QString AddFilter = QStringLiteral(
    "Image Files|*.gif;*.jpg;*.jpeg;*.bmp|GIF Images (*.gif)|*.gif|Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|"
    "Bitmap Images (*.bmp)|*.bmp|All Files (*.*)|*.*");

// The top-left part of a bitmap, at most width x height.
TBitmap TopLeftPart(const TBitmap& source, int width, int height) {
    width = std::min(width, source.Width());
    height = std::min(height, source.Height());
    TBitmap part(width, height, source.PixelFormat());
    part.SetPalette(source.Palette());
    part.SetTransparent(source.Transparent());
    part.SetTransparentColor(source.TransparentColor());
    const std::size_t bytes = std::min(part.Stride(), source.Stride());
    for (int y = 0; y < height; ++y)
        std::memcpy(part.ScanLine(y), source.ScanLine(y), bytes);
    return part;
}
} // namespace

int TfrmMain::RunDialog(QDialog& Dialog) {
    return FRunDialog ? FRunDialog(Dialog) : Dialog.exec();
}

bool TfrmMain::LoadImageFile(const QString& Path, TBitmap& Bitmap, bool AllowPrompt, int Kind) {
    if (!QFileInfo::exists(Path)) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(Path)));
        return false;
    }
    if (Kind == fkJPEG || Kind == fkBMP) {
        const QString failure = LoadStillPicture(Path, static_cast<TFileKind>(Kind), Bitmap);
        if (!failure.isEmpty())
            ShowPictureFailure(Path, failure);
        return failure.isEmpty();
    }
    if (Kind != fkGIF) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, ApplicationTitle(),
                            QStringLiteral("Error loading %1. Unknown file type or corrupted file.").arg(FilePart(Path)));
        return false;
    }
    TGIFImage picture;
    const TLoadOutcome outcome = LoadGIF(Path, picture, false);
    if (!outcome.Loaded) {
        ShowLoadFailure(Path, outcome);
        return false;
    }
    if (picture.Frames().Count() >= 2 && AllowPrompt) {
        bool openAsAnimation = lbFrames->count() == 0;
        if (!openAsAnimation)
            openAsAnimation =
                FPrompts.MessageBox(
                    TMsgType::Information, TMsgButtons::YesNo, ApplicationTitle(),
                    QStringLiteral("This GIF Image appears to be animated. Would you like to open it as a new animation?\n"
                                   "Otherwise, if No, only the first image will be extracted and inserted into the current animation.")) ==
                TMsgResult::Yes;
        if (openAsAnimation) {
            if (AskSaveChanges()) {
                ResetDocument();
                MoveImageContents(*Document(), picture);
                ShowDocument(Path);
                ShowLoadWarnings(outcome);
            }
            return false;
        }
    }
    // The first image as it appears on the logical screen.
    const TBitmap* flat = picture.GetFlatBitmap();
    if (!flat || flat->Empty()) {
        ShowLoadFailure(Path, {false, false, QStringLiteral("The file holds no picture."), QString()});
        return false;
    }
    ShowLoadWarnings(outcome);
    Bitmap = *flat;
    return true;
}

int TfrmMain::CheckFrameSize(TBitmap& Bitmap, TFrameEditLog* Log) {
    TGIFImage& doc = *Document();
    if (lbFrames->count() == 0 || (Bitmap.Width() <= doc.Width() + 1 && Bitmap.Height() <= doc.Height() + 1))
        return 2;
    TFrameSizeChoice choice = TFrameSizeChoice::Read(FSettings);
    int result = 2;
    if (!choice.ClipDefault) {
        TfrmSettings dialog(TfrmSettings::dtFrameSize, FPrompts, FUrlOpener, QImage(), this);
        dialog.SetFrameSizeChoice(choice);
        if (RunDialog(dialog) != QDialog::Accepted)
            return 1;
        choice = dialog.FrameSizeChoice();
        choice.Write(FSettings);
        result = 0;
    }
    if (choice.ClipFrame) {
        Bitmap = TopLeftPart(Bitmap, doc.Width(), doc.Height());
    } else {
        // The screen takes the picture's size, but never cuts into a frame
        // already placed on it.
        int right = 0;
        int bottom = 0;
        for (int i = 0; i < doc.Frames().Count(); ++i) {
            const TGIFSubImage& f = *doc.Frames()[i];
            right = std::max(right, f.Left() + f.Width());
            bottom = std::max(bottom, f.Top() + f.Height());
        }
        const int width = std::max(Bitmap.Width(), right);
        const int height = std::max(Bitmap.Height(), bottom);
        if (Log) {
            Log->SetScreenSize(doc, width, height);
        } else {
            doc.Header().ScreenWidth = static_cast<std::uint16_t>(std::clamp(width, 0, 0xFFFF));
            doc.Header().ScreenHeight = static_cast<std::uint16_t>(std::clamp(height, 0, 0xFFFF));
        }
    }
    return result;
}

int TfrmMain::ReduceAndAddFrame(const TBitmap& Bitmap, TFrameEditLog& Log) {
    TGIFImage& doc = *Document();
    bool useGlobal = FSettings.Read(Setting::PaletteType) == 0;
    if (BitsPerPixel(Bitmap.PixelFormat()) >= 8) {
        if (FSettings.Read(Setting::PaletteDefaults)) {
            TWaitCursor wait;
            useGlobal = ApplyPaletteSettings(doc, FSettings);
        } else {
            TfrmSettings dialog(TfrmSettings::dtPalette, FPrompts, FUrlOpener, QImage(), this);
            dialog.SetPaletteChoice(TPaletteChoice::Read(FSettings));
            if (RunDialog(dialog) != QDialog::Accepted)
                return -1;
            dialog.PaletteChoice().Write(FSettings);
            useGlobal = ApplyPaletteSettings(doc, FSettings);
        }
    }
    TWaitCursor wait;
    // A shared palette remaps every frame; an empty global table takes the
    // new frame's: both are kept so the step can be taken back.
    const bool colorsChange = useGlobal || doc.GlobalColors().IsEmpty();
    if (colorsChange)
        Log.Colors(doc);
    TGIFSubImage* first = doc.Frames().Count() > 0 ? doc.Frames()[0] : nullptr;
    const bool firstHadLoop = first && first->FindExtension<TGIFAppExtNSLoop>();
    const int index = doc.AddFrame(Bitmap);
    Log.FrameAdded(doc, index);
    PrepareNewFrame(doc, index, DefaultDelay, DefaultLoop);
    if (first && !firstHadLoop)
        Log.ExtensionAdded(*first, first->ExtensionBlocks().IndexOf(first->FindExtension<TGIFAppExtNSLoop>()));
    if (useGlobal)
        doc.OptimizeColorMaps();
    if (colorsChange)
        Log.ColorsChanged(doc);
    return index;
}

void TfrmMain::AddBitmapAsFrame(TBitmap Bitmap, int AfterIndex, const QString& StepName) {
    PausePlayback();
    TFrameEditLog log;
    const int selection = lbFrames->currentRow();
    const int added = AddBitmapToLog(Bitmap, log);
    if (added < 0)
        return;
    int position = added;
    if (selection >= 0 && lbFrames->count() > 0) {
        position = std::clamp(AfterIndex + 1, 0, added);
        log.MoveFrameKeepingLoop(*Document(), added, position);
    }
    PushEdit(StepName.isEmpty() ? QStringLiteral("Add Frame") : StepName, std::move(log), selection, position);
}

int TfrmMain::AddBitmapToLog(TBitmap& Bitmap, TFrameEditLog& Log) {
    const int added = CheckFrameSize(Bitmap, &Log) == 1 ? -1 : ReduceAndAddFrame(Bitmap, Log);
    if (added < 0)
        Log.Undo(*Document());
    return added;
}

int TfrmMain::AskInsertPosition() {
    const int selection = lbFrames->currentRow();
    if (selection < 0)
        return -1;
    TfrmComments dialog(TfrmComments::cmDropImage, this);
    dialog.optBefore->setEnabled(selection != 0);
    dialog.optAfter->setChecked(true);
    const int result = RunDialog(dialog);
    Command(TCommandId::btnPlay)->setEnabled(lbFrames->count() > 0);
    if (result != QDialog::Accepted)
        return -2;
    switch (dialog.DropPlace()) {
    case TfrmComments::TDropPlace::Start: return -1;
    case TfrmComments::TDropPlace::Before: return selection - 1;
    case TfrmComments::TDropPlace::After: break;
    }
    return selection;
}

void TfrmMain::btnFrameAddClick() {
    const QStringList files = FPrompts.OpenFileNames(QStringLiteral("Add Frame"), FInitialDir, DialogFilter(AddFilter));
    if (files.isEmpty())
        return;
    // In the order chosen, each after the one added before it.
    for (const QString& file : files) {
        TBitmap bitmap;
        if (!LoadImageFile(file, bitmap, true, FileKindOf(file)))
            continue;
        const int position = AskInsertPosition();
        if (position != -2)
            AddBitmapAsFrame(std::move(bitmap), position);
    }
    FInitialDir = QFileInfo(files.last()).absolutePath();
}
