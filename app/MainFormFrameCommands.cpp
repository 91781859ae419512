// Frame commands of the main window: delete, delete all, cut, copy, paste,
// the four moves and drag-to-reorder. Each change of the document is one
// step on the undo stack.
#include "app/MainForm.h"

#include "app/FrameEditStep.h"
#include "app/ImageImport.h"
#include "app/Routines.h"
#include "services/UserPrompts.h"
#include "controls/RXListBox.h"
#include "dialogs/Properties.h"
#include "gif/FrameProperties.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/FrameOperations.h"
#include "services/ClipboardAdapter.h"
#include "services/QtRasterBridge.h"
#include "services/SettingsStore.h"

#include <QApplication>
#include <algorithm>
#include <QClipboard>
#include <QMimeData>
#include <QUndoStack>

void TfrmMain::PushEdit(const QString& Name, TFrameEditLog Log, int SelectionBefore, int SelectionAfter) {
    if (Log.Empty())
        return;
    FUndo->push(new TFrameEditStep(Name, *Document(), std::move(Log), SelectionBefore, SelectionAfter,
                                   [this](int selection) { SyncFramesList(selection); }));
}

void TfrmMain::SyncFramesList(int Selection) {
    PausePlayback();
    const int frames = Document()->Frames().Count();
    if (lbFrames->count() != frames) {
        const QSignalBlocker quiet(lbFrames);
        lbFrames->clear();
        lbFrames->AppendEntries(frames);
    }
    // Any frame may have changed: tiles are made again as they come into view.
    FTilePictures.clear();
    if (frames == 0) {
        FShownFrame = QImage();
        pb->hide();
        pnlAnimation->resize(100, 100);
        CenterInScrollBox(sbAnimation, pnlAnimation);
        SetStatusText(1, QString());
    }
    // While there are frames, one is current and shown: the one asked for,
    // or its nearest neighbour when it is gone.
    if (frames > 0)
        Selection = std::clamp(Selection, 0, frames - 1);
    if (Selection >= 0 && Selection < frames) {
        SelectFrame(Selection);
        SizePreviewToScreen();
        lbFramesClick();
    } else {
        const QSignalBlocker quiet(lbFrames);
        lbFrames->setCurrentRow(-1);
        if (frames > 0)
            SizePreviewToScreen();
    }
    lbFrames->viewport()->update();
    UpdateCommandStates();
}

void TfrmMain::RemoveFrame(int Index, const QString& Name, int SelectAfter) {
    TFrameEditLog log;
    if (DeleteFrame(*Document(), Index, log))
        PushEdit(Name, std::move(log), Index, SelectAfter);
}

void TfrmMain::popFramesDeleteClick() {
    const int index = lbFrames->currentRow();
    if (index < 0)
        return;
    if (!ShiftHeld && FPrompts.MessageBox(TMsgType::Confirmation, TMsgButtons::YesNoCancel, ApplicationTitle(),
                                          QStringLiteral("Would you like to delete \"Frame %1\"?").arg(index)) !=
                          TMsgResult::Yes)
        return;
    // The frame before takes the selection; the first frame's place goes to
    // the one after it.
    RemoveFrame(index, QStringLiteral("Delete Frame"), std::max(index - 1, 0));
}

void TfrmMain::popFramesDeleteAllClick() {
    if (FPrompts.MessageBox(TMsgType::Warning, TMsgButtons::YesNo, ApplicationTitle(),
                            QStringLiteral("Do you want to delete ALL frame?")) != TMsgResult::Yes)
        return;
    TGIFImage& doc = *Document();
    TFrameEditLog log;
    for (int i = doc.Frames().Count() - 1; i >= 0; --i)
        log.RemoveFrame(doc, i);
    PushEdit(QStringLiteral("Delete All Frames"), std::move(log), lbFrames->currentRow(), -1);
}

void TfrmMain::mnuEditCutClick() {
    const int index = lbFrames->currentRow();
    if (index < 0)
        return;
    mnuEditCopyClick();
    TWaitCursor wait;
    // The frame that moves up takes the place.
    RemoveFrame(index, QStringLiteral("Cut Frame"), std::min(index, Document()->Frames().Count() - 2));
}

void TfrmMain::mnuEditCopyClick() {
    const int index = lbFrames->currentRow();
    TGIFImageList& frames = Document()->Frames();
    if (index < 0 || index >= frames.Count() || frames[index]->IsEmpty())
        return;
    TWaitCursor wait;
    TGIFSubImage& frame = *frames[index];
    TGIFImage& store = *FrameClipboard();
    store.ClearImage();
    store.SetReductionBits(Document()->ReductionBits());
    store.ColorReductionKind = Document()->ColorReductionKind;
    store.DitherKind = Document()->DitherKind;
    store.Header().ScreenWidth = frame.Width();
    store.Header().ScreenHeight = frame.Height();
    // The frame keeps its own pixels, colours and extensions.
    auto copy = std::make_unique<TGIFSubImage>(&store);
    copy->Assign(&frame);
    // Alone, the frame needs the colours it borrowed from the animation.
    if (copy->LocalColors().IsEmpty() && frame.EffectiveColors())
        copy->LocalColors().Assign(frame.EffectiveColors());
    copy->SetLeft(0);
    copy->SetTop(0);
    store.AddFrame(std::move(copy));
    FStoredLeft = frame.Left();
    FStoredTop = frame.Top();
    // Other programs get the picture; other Reelix windows the frame itself.
    TClipboardAdapter(QApplication::clipboard()).PutImage(store);
    UpdateCommandStates();
}

void TfrmMain::CopyFrameAttributes(TGIFSubImage& Source, TGIFSubImage& Target) {
    Target.SetInterlaced(Source.IsInterlaced());
    TGIFGraphicControlExtension* from = Source.ControlExtension();
    TGIFGraphicControlExtension* to = Target.ControlExtension();
    if (!from || !to)
        return;
    to->DelayTime = from->DelayTime;
    to->SetWaitForInput(from->WaitForInput());
    to->SetDisposalMethod(from->DisposalMethod());
    if (from->UsesTransparency()) {
        // The pasted frame's colours were reduced again: find the colour, not the index.
        const TColor color = from->TransparentColor();
        const int index = Target.EffectiveColors() ? Target.EffectiveColors()->FindColor(color) : -1;
        if (index >= 0) {
            to->SetTransparentIndex(index);
            to->SetUsesTransparency(true);
        }
    } else {
        to->SetUsesTransparency(false);
    }
}

void TfrmMain::mnuEditPasteClick() {
    const int selection = lbFrames->currentRow();
    const int count = Document()->Frames().Count();
    const int position = selection >= 0 ? selection + 1 : count;
    QClipboard* system = QApplication::clipboard();
    const QMimeData* mime = system->mimeData();
    TGIFImage pasted;
    // Frames copied in a Reelix window come with their delay, disposal and
    // transparency; pictures from other programs become plain new frames.
    if (mime && mime->hasFormat(QLatin1String(TClipboardAdapter::kGifMimeType)) &&
        TClipboardAdapter(system).PasteInto(pasted) && pasted.Frames().Count() > 0 &&
        !pasted.Frames()[0]->IsEmpty()) {
        TWaitCursor wait;
        TGIFSubImage& source = *pasted.Frames()[0];
        TBitmap bitmap;
        source.AssignTo(bitmap);
        TFrameEditLog log;
        const int added = AddBitmapToLog(bitmap, log);
        if (added < 0)
            return;
        TGIFSubImage& target = *Document()->Frames()[added];
        CopyFrameAttributes(source, target);
        const bool fromHere = FrameClipboard()->Frames().Count() > 0 &&
                              FrameClipboard()->Frames()[0]->Width() == source.Width() &&
                              FrameClipboard()->Frames()[0]->Height() == source.Height();
        if (fromHere) {
            target.SetLeft(static_cast<std::uint16_t>(FStoredLeft));
            target.SetTop(static_cast<std::uint16_t>(FStoredTop));
        }
        const int at = std::min(position, added);
        log.MoveFrameKeepingLoop(*Document(), added, at);
        PushEdit(QStringLiteral("Paste"), std::move(log), selection, at);
        return;
    }
    if (mime && mime->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(mime->imageData());
        if (!picture.isNull()) {
            AddBitmapAsFrame(FromQImage(picture), selection, QStringLiteral("Paste"));
            return;
        }
    }
    if (FrameClipboard()->Frames().Count() > 0) {
        TBitmap bitmap;
        FrameClipboard()->Frames()[0]->AssignTo(bitmap);
        AddBitmapAsFrame(std::move(bitmap), selection, QStringLiteral("Paste"));
    }
}

void TfrmMain::MoveFrame(int From, int To) {
    TFrameEditLog log;
    if (::MoveFrame(*Document(), From, To, log))
        PushEdit(QStringLiteral("Move Frame"), std::move(log), From, To);
}

void TfrmMain::popFramesMoveUpClick() {
    const int s = lbFrames->currentRow();
    MoveFrame(s, s - 1);
}

void TfrmMain::popFramesMoveDownClick() {
    const int s = lbFrames->currentRow();
    MoveFrame(s, s + 1);
}

void TfrmMain::btnFrameMoveTopClick() {
    MoveFrame(lbFrames->currentRow(), 0);
}

void TfrmMain::btnFrameMoveBottomClick() {
    MoveFrame(lbFrames->currentRow(), lbFrames->count() - 1);
}

void TfrmMain::FilesDroppedOnList(int Row, const QStringList& Files) {
    TWaitCursor wait;
    int after = Row < 0 ? lbFrames->count() - 1 : Row;
    for (const QString& file : Files) {
        TBitmap bitmap;
        if (!LoadImageFile(file, bitmap, true, FileKindOf(file)))
            continue;
        {
            const QSignalBlocker quiet(lbFrames);
            lbFrames->setCurrentRow(after);
        }
        AddBitmapAsFrame(std::move(bitmap), after);
        after = lbFrames->currentRow();
    }
    UpdateCommandStates();
}

void TfrmMain::popFramesFPropClick() {
    const int index = lbFrames->currentRow();
    if (index < 0 || index >= Document()->Frames().Count())
        return;
    PausePlayback();
    std::unique_ptr<TfrmProp> dialog;
    {
        TWaitCursor wait;
        dialog = std::make_unique<TfrmProp>(TfrmProp::pmFrame, *Document(), FPrompts, FAnimationColor, this);
        dialog->RunDialog = FRunDialog;
        // An edited local palette is written at once, as a step of its own.
        dialog->OnLocalPaletteEdited = [this, index](const TGIFColorMap& map) {
            TGIFSubImage& frame = *Document()->Frames()[index];
            TFrameEditLog log;
            log.FrameProperties(*Document(), frame);
            frame.LocalColors().Assign(&map);
            frame.DropBitmap();
            log.FramePropertiesChanged(*Document());
            PushEdit(QStringLiteral("Edit Palette"), std::move(log), index, index);
        };
        dialog->LoadFrame(index);
    }
    if (RunDialog(*dialog) != QDialog::Accepted)
        return;
    TWaitCursor wait;
    TGIFSubImage& frame = *Document()->Frames()[index];
    TFrameEditLog log;
    log.FrameProperties(*Document(), frame);
    const bool changed = ApplyFrameProperties(*Document(), frame, dialog->Values());
    log.FramePropertiesChanged(*Document());
    if (changed)
        PushEdit(QStringLiteral("Frame Properties"), std::move(log), index, index);
}

void TfrmMain::mnuEditGlobalClick() {
    const int index = lbFrames->currentRow();
    if (index < 0 || index >= Document()->Frames().Count())
        return;
    PausePlayback();
    TfrmProp dialog(TfrmProp::pmGlobal, *Document(), FPrompts, FAnimationColor, this);
    dialog.RunDialog = FRunDialog;
    if (TGIFGraphicControlExtension* c = Document()->Frames()[index]->ControlExtension())
        dialog.TransparentColor = c->TransparentColor();
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    TWaitCursor wait;
    const TFramePropertyValues values = dialog.Values();
    TFrameEditLog log;
    bool changed = false;
    for (int i = 0; i < Document()->Frames().Count(); ++i) {
        TGIFSubImage& frame = *Document()->Frames()[i];
        log.FrameProperties(*Document(), frame);
        changed = ApplyFrameProperties(*Document(), frame, values) || changed;
        log.FramePropertiesChanged(*Document());
    }
    if (changed)
        PushEdit(QStringLiteral("Global Frame Properties"), std::move(log), index, index);
}
