#include "app/FrameCommands.h"

#include "app/DocumentCommands.h"
#include "app/DocumentLoading.h"
#include "app/ImageImport.h"
#include "app/MainForm.h"
#include "app/Routines.h"
#include "controls/RXListBox.h"
#include "dialogs/Comments.h"
#include "dialogs/Properties.h"
#include "dialogs/Settings.h"
#include "gif/FrameEditLog.h"
#include "gif/FrameProperties.h"
#include "gif/GIFImage.h"
#include "imaging/SwsPictureScaler.h"
#include "painter/FrameImport.h"
#include "painter/FrameOperations.h"
#include "services/ClipboardAdapter.h"
#include "services/QtRasterBridge.h"
#include "services/UserPrompts.h"
#include "session/EditSession.h"
#include "session/PaletteSettings.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <algorithm>

namespace {
const QString AddFilter = QStringLiteral(
    "Image Files|*.gif;*.jpg;*.jpeg;*.bmp;*.png;*.webp|GIF Images (*.gif)|*.gif|Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|"
    "Bitmap Images (*.bmp)|*.bmp|PNG Images (*.png)|*.png|WebP Images (*.webp)|*.webp|All Files (*.*)|*.*");
} // namespace

TFrameCommands::TFrameCommands(TEditSession& Session, IUserPrompts& Prompts, TfrmMain& Window)
    : FSession(Session), FPrompts(Prompts), FWindow(Window), FClipboard(std::make_unique<TGIFImage>()) {}

TFrameCommands::~TFrameCommands() = default;

bool TFrameCommands::Edit(const QString& Name, const std::function<bool(TGIFImage&, TFrameEditLog&)>& Operation,
                          int Before, int After) {
    FWindow.PausePlayback();
    TWaitCursor wait;
    return FSession.Apply(Name, Operation, {Before, After});
}

void TFrameCommands::Delete() {
    const std::vector<int> frames = FWindow.SelectedFrames();
    if (frames.empty())
        return;
    const QString question = frames.size() == 1
                                 ? QStringLiteral("Would you like to delete \"Frame %1\"?").arg(frames[0])
                                 : QStringLiteral("Would you like to delete the %1 selected frames?").arg(frames.size());
    if (!FWindow.ShiftHeld() && FPrompts.MessageBox(TMsgType::Confirmation, TMsgButtons::YesNoCancel,
                                                    TfrmMain::ApplicationTitle(), question) != TMsgResult::Yes)
        return;
    // The frame before takes the selection; the first frame's place goes to
    // the one after it.
    Edit(frames.size() == 1 ? QStringLiteral("Delete Frame") : QStringLiteral("Delete Frames"),
         [&frames](TGIFImage& d, TFrameEditLog& log) { return DeleteFrames(d, frames, log); }, FWindow.CurrentFrame(),
         std::max(frames.front() - 1, 0));
}

void TFrameCommands::DeleteAll() {
    if (FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::YesNo, TfrmMain::ApplicationTitle(),
                            QStringLiteral("Do you want to delete ALL frame?")) != TMsgResult::Yes)
        return;
    Edit(QStringLiteral("Delete All Frames"), DeleteAllFrames, FWindow.CurrentFrame(), -1);
}

void TFrameCommands::Cut() {
    const std::vector<int> frames = FWindow.SelectedFrames();
    if (frames.empty())
        return;
    Copy();
    // The frame that moves up takes the place.
    const int left = FSession.Document().Frames().Count() - static_cast<int>(frames.size());
    Edit(frames.size() == 1 ? QStringLiteral("Cut Frame") : QStringLiteral("Cut Frames"),
         [&frames](TGIFImage& d, TFrameEditLog& log) { return DeleteFrames(d, frames, log); }, FWindow.CurrentFrame(),
         std::min(frames.front(), left - 1));
}

void TFrameCommands::Copy() {
    const std::vector<int> frames = FWindow.SelectedFrames();
    auto copied = FramesAsAnimation(FSession.Document(), frames);
    if (!copied)
        return;
    TWaitCursor wait;
    FClipboard = std::move(copied);
    FStoredPlaces.clear();
    for (int index : frames) {
        const TGIFSubImage& frame = *FSession.Document().Frames()[index];
        if (!frame.IsEmpty())
            FStoredPlaces.emplace_back(frame.Left(), frame.Top());
    }
    // Other programs get the picture; other Reelix windows the frames themselves.
    TClipboardAdapter(QApplication::clipboard()).PutImage(*FClipboard);
    FWindow.UpdateCommandStates();
}

void TFrameCommands::Paste() {
    const int selection = FWindow.CurrentFrame();
    QClipboard* system = QApplication::clipboard();
    const QMimeData* mime = system->mimeData();
    TGIFImage pasted;
    // Frames copied in a Reelix window come with their delays, disposal and
    // transparency; pictures from other programs become plain new frames.
    if (mime && mime->hasFormat(QLatin1String(TClipboardAdapter::kGifMimeType)) &&
        TClipboardAdapter(system).PasteInto(pasted) && pasted.Frames().Count() > 0 &&
        !pasted.Frames()[0]->IsEmpty()) {
        TAddPicture add;
        pasted.Frames()[0]->AssignTo(add.Picture);
        if (!AskPictureQuestions(add.Picture, add))
            return;
        const int count = FSession.Document().Frames().Count();
        add.Position = selection >= 0 ? selection + 1 : count;
        // Frames copied here go back to their places.
        const TGIFImageList& mine = FClipboard->Frames();
        bool fromHere = mine.Count() == pasted.Frames().Count();
        for (int k = 0; fromHere && k < mine.Count(); ++k)
            fromHere = mine[k]->Width() == pasted.Frames()[k]->Width() && mine[k]->Height() == pasted.Frames()[k]->Height();
        const std::vector<std::pair<int, int>> places = fromHere ? FStoredPlaces : std::vector<std::pair<int, int>>{};
        Edit(QStringLiteral("Paste"),
             [&](TGIFImage& d, TFrameEditLog& log) { return PasteFrames(d, pasted, add, places, log) > 0; }, selection,
             std::min(add.Position, count));
        return;
    }
    if (mime && mime->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(mime->imageData());
        if (!picture.isNull()) {
            AddPicture(FromQImage(picture), selection, QStringLiteral("Paste"));
            return;
        }
    }
    if (FClipboard->Frames().Count() > 0) {
        TBitmap bitmap;
        FClipboard->Frames()[0]->AssignTo(bitmap);
        AddPicture(std::move(bitmap), selection, QStringLiteral("Paste"));
    }
}

void TFrameCommands::Move(int From, int To) {
    // A tile of a chosen block dragged: the whole block goes there.
    const std::vector<int> chosen = FWindow.SelectedFrames();
    if (chosen.size() > 1 && std::find(chosen.begin(), chosen.end(), From) != chosen.end()) {
        const int n = static_cast<int>(chosen.size());
        const int start = std::clamp(To, 0, FSession.Document().Frames().Count() - n);
        if (Edit(QStringLiteral("Move Frames"),
                 [&](TGIFImage& d, TFrameEditLog& log) { return MoveFramesTo(d, chosen, To, log); }, From, start)) {
            std::vector<int> moved;
            for (int k = 0; k < n; ++k)
                moved.push_back(start + k);
            FWindow.SelectFrames(moved);
        }
        return;
    }
    Edit(QStringLiteral("Move Frame"),
         [From, To](TGIFImage& d, TFrameEditLog& log) { return MoveFrame(d, From, To, log); }, From, To);
}

void TFrameCommands::MoveBlock(TBlockMove Where) {
    const std::vector<int> frames = FWindow.SelectedFrames();
    if (frames.empty())
        return;
    if (frames.size() == 1) {
        const int s = frames[0];
        const int last = FSession.Document().Frames().Count() - 1;
        const int to = Where == TBlockMove::Up ? s - 1 : Where == TBlockMove::Down ? s + 1 : Where == TBlockMove::ToStart ? 0 : last;
        Move(s, to);
        return;
    }
    // The block keeps its frames together and stays selected.
    const int count = FSession.Document().Frames().Count();
    const int n = static_cast<int>(frames.size());
    const int first = Where == TBlockMove::Up ? frames.front() - 1 : Where == TBlockMove::Down ? frames.front() + 1
                      : Where == TBlockMove::ToStart ? 0 : count - n;
    const bool contiguous = frames.back() - frames.front() + 1 == n;
    if (Edit(QStringLiteral("Move Frames"),
             [&](TGIFImage& d, TFrameEditLog& log) { return MoveFrames(d, frames, Where, log); }, FWindow.CurrentFrame(),
             std::clamp(first, 0, count - 1))) {
        std::vector<int> moved;
        if (contiguous || Where == TBlockMove::ToStart || Where == TBlockMove::ToEnd)
            for (int k = 0; k < n; ++k)
                moved.push_back(std::clamp(first, 0, count - n) + k);
        else
            for (int i : frames)
                moved.push_back(Where == TBlockMove::Up ? i - 1 : i + 1);
        FWindow.SelectFrames(moved);
    }
}

void TFrameCommands::MoveUp() {
    MoveBlock(TBlockMove::Up);
}

void TFrameCommands::MoveDown() {
    MoveBlock(TBlockMove::Down);
}

void TFrameCommands::MoveToStart() {
    MoveBlock(TBlockMove::ToStart);
}

void TFrameCommands::MoveToEnd() {
    MoveBlock(TBlockMove::ToEnd);
}

void TFrameCommands::Properties() {
    const int index = FWindow.CurrentFrame();
    if (index < 0 || index >= FSession.Document().Frames().Count())
        return;
    // Several frames: the global dialog, written into those frames only.
    if (FWindow.SelectedFrames().size() > 1)
        return PropertiesOf(FWindow.SelectedFrames(), QStringLiteral("Frame Properties"));
    FWindow.PausePlayback();
    std::unique_ptr<TfrmProp> dialog;
    {
        TWaitCursor wait;
        dialog = std::make_unique<TfrmProp>(TfrmProp::pmFrame, FSession.Document(), FPrompts,
                                            FWindow.PreviewColor(), &FWindow);
        dialog->RunDialog = [this](QDialog& d) { return FWindow.RunDialog(d); };
        // An edited local palette is written at once, as a step of its own.
        dialog->OnLocalPaletteEdited = [this, index](const TGIFColorMap& map) {
            const std::vector<TGIFRGB> colors(map.Entries(), map.Entries() + map.Count());
            Edit(QStringLiteral("Edit Palette"),
                 [&](TGIFImage& d, TFrameEditLog& log) { return SetFramePalette(d, index, colors, log); }, index,
                 index);
        };
        dialog->LoadFrame(index);
    }
    if (FWindow.RunDialog(*dialog) != QDialog::Accepted)
        return;
    const TFramePropertyValues values = dialog->Values();
    Edit(QStringLiteral("Frame Properties"),
         [&](TGIFImage& d, TFrameEditLog& log) { return SetFrameProperties(d, {index}, values, log); }, index, index);
}

void TFrameCommands::GlobalProperties() {
    PropertiesOf({-1}, QStringLiteral("Global Frame Properties"));
}

void TFrameCommands::PropertiesOf(const std::vector<int>& Frames, const QString& StepName) {
    const int index = FWindow.CurrentFrame();
    if (index < 0 || index >= FSession.Document().Frames().Count())
        return;
    FWindow.PausePlayback();
    TfrmProp dialog(TfrmProp::pmGlobal, FSession.Document(), FPrompts, FWindow.PreviewColor(), &FWindow);
    dialog.RunDialog = [this](QDialog& d) { return FWindow.RunDialog(d); };
    if (TGIFGraphicControlExtension* c = FSession.Document().Frames()[index]->ControlExtension())
        dialog.TransparentColor = c->TransparentColor();
    if (FWindow.RunDialog(dialog) != QDialog::Accepted)
        return;
    const TFramePropertyValues values = dialog.Values();
    const std::vector<int> selected = FWindow.SelectedFrames();
    Edit(StepName, [&](TGIFImage& d, TFrameEditLog& log) { return SetFrameProperties(d, Frames, values, log); }, index,
         index);
    if (Frames.size() > 1)
        FWindow.SelectFrames(selected);
}

// ---- Pictures becoming frames ---------------------------------------------

bool TFrameCommands::LoadPicture(const QString& Path, TBitmap& Bitmap, bool AllowPrompt) {
    const QString title = TfrmMain::ApplicationTitle();
    if (!QFileInfo::exists(Path)) {
        FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::OK, title,
                            QStringLiteral("The selected file \"%1\" does not exist!").arg(QDir::toNativeSeparators(Path)));
        return false;
    }
    const TFileKind kind = FileKindOf(Path);
    const bool web = IsWebAnimation(Path, kind);
    if (IsStillPicture(kind) && !web) {
        const QString failure = LoadStillPicture(Path, kind, Bitmap);
        if (!failure.isEmpty())
            ShowPictureFailure(FPrompts, Path, failure);
        return failure.isEmpty();
    }
    if (kind != fkGIF && !web) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, title,
                            QStringLiteral("Error loading %1. Unknown file type or corrupted file.").arg(FilePart(Path)));
        return false;
    }
    TGIFImage picture;
    TLoadOutcome outcome{true, false, QString(), QString()};
    if (web) {
        if (!FWindow.Documents().ReadWebAnimation(Path, picture))
            return false;
    } else {
        outcome = ReadGIF(Path, picture, nullptr);
        if (!outcome.Loaded) {
            ShowLoadFailure(FPrompts, Path, outcome);
            return false;
        }
    }
    if (picture.Frames().Count() >= 2 && AllowPrompt) {
        bool openAsAnimation = FSession.Document().Frames().Count() == 0;
        if (!openAsAnimation)
            openAsAnimation =
                FPrompts.MessageBox(
                    TMsgType::Information, TMsgButtons::YesNo, title,
                    (web ? QStringLiteral("This picture appears to be animated.")
                         : QStringLiteral("This GIF Image appears to be animated.")) +
                        QStringLiteral(" Would you like to open it as a new animation?\n"
                                       "Otherwise, if No, only the first image will be extracted and inserted into the current animation.")) ==
                TMsgResult::Yes;
        if (openAsAnimation) {
            if (FWindow.Documents().AskSaveChanges()) {
                if (web)
                    FWindow.Documents().UseImportedAnimation(picture);
                else
                    FWindow.Documents().ShowOpened(Path, picture, outcome);
            }
            return false;
        }
    }
    // The first image as it appears on the logical screen.
    const TBitmap* flat = picture.GetFlatBitmap();
    if (!flat || flat->Empty()) {
        ShowLoadFailure(FPrompts, Path, {false, false, QStringLiteral("The file holds no picture."), QString()});
        return false;
    }
    ShowLoadWarnings(FPrompts, outcome);
    Bitmap = *flat;
    return true;
}

bool TFrameCommands::AskPictureQuestions(const TBitmap& Bitmap, TAddPicture& Add) {
    TSettingsStore& settings = FSession.Settings();
    if (PictureExceedsScreen(FSession.Document(), Bitmap)) {
        TFrameSizeChoice choice = TFrameSizeChoice::Read(settings);
        if (!choice.ClipDefault) {
            TfrmSettings dialog(TfrmSettings::dtFrameSize, FPrompts, FWindow.UrlOpener(), QImage(), &FWindow);
            dialog.SetFrameSizeChoice(choice);
            if (FWindow.RunDialog(dialog) != QDialog::Accepted)
                return false;
            choice = dialog.FrameSizeChoice();
            choice.Write(settings);
        }
        Add.Large = choice.FitFrame    ? TLargePicture::Fit
                    : choice.ClipFrame ? TLargePicture::Clip
                                       : TLargePicture::GrowScreen;
    }
    if (BitsPerPixel(Bitmap.PixelFormat()) >= 8 && !settings.Read(Setting::PaletteDefaults)) {
        TfrmSettings dialog(TfrmSettings::dtPalette, FPrompts, FWindow.UrlOpener(), QImage(), &FWindow);
        dialog.SetPaletteChoice(TPaletteChoice::Read(settings));
        if (FWindow.RunDialog(dialog) != QDialog::Accepted)
            return false;
        dialog.PaletteChoice().Write(settings);
    }
    Add.Palette = PaletteUseFromSettings(settings);
    // A picture with a palette of its own joins the shared table only when
    // the self-adapting global palette is chosen.
    if (BitsPerPixel(Bitmap.PixelFormat()) < 8)
        Add.Palette.Shared = settings.Read(Setting::PaletteType) == 0;
    Add.DefaultDelay = settings.Read(Setting::DefaultDelay);
    Add.DefaultLoop = settings.Read(Setting::DefaultLoop);
    return true;
}

void TFrameCommands::AddPicture(TBitmap Bitmap, int AfterIndex, const QString& StepName) {
    FWindow.PausePlayback();
    TAddPicture add;
    if (!AskPictureQuestions(Bitmap, add))
        return;
    add.Picture = std::move(Bitmap);
    const TSwsPictureScaler scaler;
    add.Scaler = &scaler;
    const int selection = FWindow.CurrentFrame();
    const int count = FSession.Document().Frames().Count();
    add.Position = selection >= 0 && count > 0 ? std::clamp(AfterIndex + 1, 0, count) : count;
    Edit(StepName.isEmpty() ? QStringLiteral("Add Frame") : StepName,
         [&add](TGIFImage& d, TFrameEditLog& log) { return ::AddPicture(d, add, log) >= 0; }, selection, add.Position);
}

int TFrameCommands::AskInsertPosition() {
    const int selection = FWindow.CurrentFrame();
    if (selection < 0)
        return -1;
    TfrmComments dialog(TfrmComments::cmDropImage, &FWindow);
    dialog.optBefore->setEnabled(selection != 0);
    dialog.optAfter->setChecked(true);
    const int result = FWindow.RunDialog(dialog);
    FWindow.UpdateCommandStates();
    if (result != QDialog::Accepted)
        return -2;
    switch (dialog.DropPlace()) {
    case TfrmComments::TDropPlace::Start: return -1;
    case TfrmComments::TDropPlace::Before: return selection - 1;
    case TfrmComments::TDropPlace::After: break;
    }
    return selection;
}

void TFrameCommands::InsertPicture(const QString& Path) {
    if (Path.isEmpty())
        return;
    FWindow.PausePlayback();
    TBitmap bitmap;
    {
        TWaitCursor wait;
        if (!LoadPicture(Path, bitmap, true))
            return;
    }
    const int position = AskInsertPosition();
    if (position == -2)
        return;
    AddPicture(std::move(bitmap), position);
    FWindow.UpdateCommandStates();
}

void TFrameCommands::AddFrame() {
    const QStringList files = FPrompts.OpenFileNames(QStringLiteral("Add Frame"), FWindow.InitialDir(),
                                                     DialogFilter(AddFilter));
    if (files.isEmpty())
        return;
    // In the order chosen, each after the one added before it.
    for (const QString& file : files) {
        TBitmap bitmap;
        if (!LoadPicture(file, bitmap, true))
            continue;
        const int position = AskInsertPosition();
        if (position != -2)
            AddPicture(std::move(bitmap), position);
    }
    FWindow.SetInitialDir(QFileInfo(files.last()).absolutePath());
}

void TFrameCommands::FilesDropped(int Row, const QStringList& Files) {
    TWaitCursor wait;
    int after = Row < 0 ? FSession.Document().Frames().Count() - 1 : Row;
    for (const QString& file : Files) {
        TBitmap bitmap;
        if (!LoadPicture(file, bitmap, true))
            continue;
        FWindow.SelectFrameQuietly(after);
        AddPicture(std::move(bitmap), after);
        after = FWindow.CurrentFrame();
    }
    FWindow.UpdateCommandStates();
}
