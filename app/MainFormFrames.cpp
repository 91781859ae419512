// The frames list's entries and tiles, and the preview of the selected frame.
#include "app/MainForm.h"

#include "app/FrameCommands.h"
#include "app/Routines.h"
#include "app/TilePictures.h"
#include "app/ThumbnailPane.h"
#include "controls/RXListBox.h"
#include "gif/ByteCost.h"
#include "gif/GIFImage.h"
#include "painter/FrameSequence.h"
#include "session/EditSession.h"
#include "services/QtAnimationPlayer.h"
#include "services/QtRasterBridge.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QItemSelectionModel>
#include <QTimer>
#include <QSignalBlocker>
#include <algorithm>
#include <qdrawutil.h>

void TfrmMain::ClearFrames() {
    lbFrames->clear();
    FTilePictures.clear();
    FComposedTiles.clear();
    FTileBytes.clear();
    FShownFrame = QImage();
    pb->hide();
}

int TfrmMain::CurrentFrame() const {
    return lbFrames->currentRow();
}

std::vector<int> TfrmMain::SelectedFrames() const {
    std::vector<int> rows;
    for (const QModelIndex& index : lbFrames->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty() && lbFrames->currentRow() >= 0)
        rows.push_back(lbFrames->currentRow());
    return rows;
}

void TfrmMain::SelectFrames(const std::vector<int>& Rows) {
    if (Rows.empty())
        return;
    SelectFrame(Rows.front());
    QItemSelection chosen;
    for (int row : Rows)
        if (row >= 0 && row < lbFrames->count())
            chosen.select(lbFrames->model()->index(row, 0), lbFrames->model()->index(row, 0));
    lbFrames->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
    ShowTiming();
}

void TfrmMain::ShowTiming() {
    const TGIFImage& doc = *Document();
    const int frames = doc.Frames().Count();
    if (frames == 0) {
        SetStatusText(3, QString());
        return;
    }
    const long long time = RunningTime(doc);
    QString text = QStringLiteral("%1 frames, %2 s").arg(frames).arg(double(time) / 100.0, 0, 'f', 2);
    if (time > 0)
        text += QStringLiteral(", %1 fps").arg(frames * 100.0 / double(time), 0, 'f', 1);
    const int selected = static_cast<int>(lbFrames->selectionModel()->selectedIndexes().size());
    if (selected > 1)
        text = QStringLiteral("%1 selected; ").arg(selected) + text;
    SetStatusText(3, text);
}

void TfrmMain::SelectFrameQuietly(int Index) {
    const QSignalBlocker quiet(lbFrames);
    lbFrames->setCurrentRow(Index);
}

void TfrmMain::SetTitle(const QString& Path) {
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + FilePart(Path));
}

void TfrmMain::ShowReplacedDocument() {
    PausePlayback();
    EmptyPreview();
    ClearFrames();
    SetStatusText(1, QString());
    lbFrames->SetItemHeight(FFrameSize + 65);
    lbFrames->SetCurrentWidth(FFrameSize + 26);
    pnlAnimation->hide();
    // Entries are placeholders and tiles are drawn only when seen, so the
    // whole list is filled at once. Empty frames (at the end) get none.
    const TGIFImageList& frames = Document()->Frames();
    int entries = 0;
    for (int i = 0; i < frames.Count(); ++i)
        entries += frames[i]->IsEmpty() ? 0 : 1;
    lbFrames->AppendEntries(entries);
    if (entries > 0) {
        SelectFrame(0);
        lbFrames->scrollToTop();
        lbFramesClick();
        SizePreviewToScreen();
    }
    SetTitle(FSession->FileName());
    ShowTiming();
    UpdateCommandStates();
    splitHorzMoved();
    // A new animation is worked on in the frames list: the keys go there.
    if (entries > 0 && isVisible())
        lbFrames->setFocus(Qt::OtherFocusReason);
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
    FComposedTiles.clear();
    FTileBytes.clear();
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
    ShowTiming();
    UpdateCommandStates();
}


void TfrmMain::SelectFrame(int Index) {
    lbFrames->setCurrentRow(Index);
    if (QListWidgetItem* item = lbFrames->item(Index))
        lbFrames->scrollToItem(item);
}

void TfrmMain::lbFramesClick() {
    const int index = lbFrames->currentRow();
    if (index >= 0) {
        ShowFrame(index);
        pnlAnimation->show();
    }
    // Menus follow too, so their shortcuts act on the frame now selected.
    UpdateCommandStates();
}

void TfrmMain::ShowFrame(int Index) {
    if (lbFrames->currentRow() < 0)
        return;
    // A frame shown replaces the start-up animation for good.
    if (FStartupAnimation) {
        FStartupAnimation->Stop();
        FStartupAnimation.reset();
    }
    Animation->hide();
    const TGIFImageList& frames = Document()->Frames();
    if (Index < 0 || Index >= frames.Count())
        return;
    const TGIFSubImage& frame = *frames[Index];
    const double zoom = ZoomFactor();
    pb->setGeometry(int(frame.Left() * zoom), int(frame.Top() * zoom), std::max(1, int(frame.Width() * zoom)),
                    std::max(1, int(frame.Height() * zoom)));
    FShownFrame = FrameToQImage(frame, FAnimationColor);
    pb->show();
    pb->update();
    SetStatusText(1, QStringLiteral("Frame #%1 of %2").arg(Index).arg(frames.Count() - 1));
}

void TfrmMain::PaintShownFrame() {
    QPainter p(pb);
    if (FShownFrame.isNull()) {
        p.fillRect(pb->rect(), FAnimationColor);
        return;
    }
    // Zoomed by whole pixels, as pixel art wants it.
    p.drawImage(pb->rect(), FShownFrame);
    // The frame's outline on its outermost pixels.
    // The outline stands out from the preview's background, light or dark.
    QPen dotted(FAnimationColor.lightness() < 128 ? Qt::white : Qt::black, 1, Qt::DotLine);
    p.setPen(dotted);
    p.drawRect(0, 0, pb->width() - 1, pb->height() - 1);
}

void TfrmMain::SizePreviewToScreen() {
    const double zoom = ZoomFactor();
    pnlAnimation->resize(std::max(1, int(Document()->Width() * zoom)), std::max(1, int(Document()->Height() * zoom)));
    CenterInScrollBox(sbAnimation, pnlAnimation);
    pnlAnimation->show();
}

void TfrmMain::EmptyPreview() {
    if (FStartupAnimation) {
        FStartupAnimation->Stop();
        FStartupAnimation.reset();
    }
    Animation->clear();
    Animation->setGeometry(0, 0, 0, 0);
    FShownFrame = QImage();
    pb->update();
    pnlAnimation->resize(100, 100);
    CenterInScrollBox(sbAnimation, pnlAnimation);
}

QImage TfrmMain::TilePicture(int Index) {
    const TGIFImageList& frames = Document()->Frames();
    if (Index < 0 || Index >= frames.Count())
        return QImage();
    if (FShowComposed) {
        if (FComposedTiles.size() != static_cast<std::size_t>(frames.Count()))
            FComposedTiles = ::ComposedTiles(*Document(), FAnimationColor, FFrameSize);
        return FComposedTiles[static_cast<std::size_t>(Index)];
    }
    const TGIFSubImage* frame = frames[Index];
    const auto cached = FTilePictures.constFind(frame);
    if (cached != FTilePictures.constEnd())
        return *cached;
    // Transparent pixels show the preview's background, as in the preview.
    QImage picture = FrameToQImage(*frame, FAnimationColor);
    if (picture.isNull())
        return picture;
    picture = FitToTile(picture, FFrameSize);
    FTilePictures.insert(frame, picture);
    return picture;
}

void TfrmMain::DrawFrameTile(QPainter& Painter, const QRect& Rect, int Index, bool Selected) {
    const QPalette& palette = lbFrames->palette();
    Painter.fillRect(Rect, lbFrames->WindowColor());
    const int h = Painter.fontMetrics().height() + 3;
    const int w = FFrameSize + 20;
    const int x0 = Rect.left();
    const QRect r = Rect.adjusted(3, 3, -3, -3);
    Painter.fillRect(r, lbFrames->FrameColor);
    qDrawShadePanel(&Painter, r, palette, false, 1);

    const QImage picture = TilePicture(Index);
    const QSize size = picture.isNull() ? QSize(0, 0) : picture.size();
    const QRect place(x0 + 3 + (w - size.width()) / 2, r.top() + (r.height() - size.height()) / 2, size.width(),
                      size.height());
    if (!picture.isNull()) {
        qDrawShadePanel(&Painter, place.adjusted(-1, -1, 1, 1), palette, true, 1);
        Painter.drawImage(place.topLeft(), picture);
    }

    const QRect top(r.left() + 3, r.top() + 3, x0 + w - 3 - (r.left() + 3), h);
    const QRect bottom(r.left() + 3, r.bottom() - h - 2, x0 + w - 3 - (r.left() + 3), h);
    qDrawShadePanel(&Painter, top, palette, true, 1);
    qDrawShadePanel(&Painter, bottom, palette, true, 1);

    if (Selected) {
        Painter.setPen(QPen(lbFrames->HighlightColor, 1));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRect(place.adjusted(-3, -3, 2, 2));
        Painter.drawRect(place.adjusted(-4, -4, 3, 3));
        Painter.fillRect(bottom.adjusted(1, 1, -1, -1), lbFrames->HighlightColor);
    }

    // The index sits on the frame colour, selected or not; only the bottom
    // strip takes the highlight, and with it the selected text colour.
    Painter.setPen(lbFrames->TextColor());
    Painter.drawText(QPoint(r.left() + 6, r.top() + 4 + Painter.fontMetrics().ascent()), QString::number(Index));
    const TGIFImageList& frames = Document()->Frames();
    if (Index < frames.Count()) {
        const TGIFSubImage& frame = *frames[Index];
        if (!frame.LocalColors().IsEmpty()) {
            // The palette glyph: a frame with colours of its own.
            const QRect glyph(x0 + w - 10 - 6, r.top() + 6, 10, 10);
            static const QColor cells[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
            for (int i = 0; i < 4; ++i)
                Painter.fillRect(glyph.left() + (i % 2) * 5, glyph.top() + (i / 2) * 5, 5, 5, cells[i]);
            Painter.setPen(Qt::black);
            Painter.drawRect(glyph.adjusted(0, 0, -1, -1));
            Painter.setPen(Selected ? lbFrames->SelTextColor : lbFrames->TextColor());
        }
        QString size = QStringLiteral("%1 x %2").arg(frame.Width()).arg(frame.Height());
        if (FShowBytes) {
            if (FTileBytes.size() != static_cast<std::size_t>(frames.Count()))
                FTileBytes = FrameTotals(SavedByteCost(*FSession->PreparedCopy()));
            if (static_cast<std::size_t>(Index) < FTileBytes.size())
                size += QStringLiteral(", %1 B").arg(QLocale().toString(qulonglong(FTileBytes[std::size_t(Index)])));
        }
        Painter.drawText(QRect(x0, bottom.top(), w, h), Qt::AlignCenter, size);
        DrawTileDelay(Painter, top.adjusted(0, 0, frame.LocalColors().IsEmpty() ? -4 : -18, 0), frame,
                      lbFrames->TextColor());
    }
}

// ---- Pictures from the thumbnail pane -------------------------------------

void TfrmMain::InsertThumbnail(const QString& Path) {
    FFrames->InsertPicture(Path);
}

bool TfrmMain::DropThumbnailOnPreview(const QMimeData& Data, const QPoint& At) {
    const QString path = TThumbnailPane::DraggedPicture(Data);
    if (path.isEmpty())
        return false;
    const QWidget* target = childAt(At);
    const bool onPreview = target && (target == sbAnimation || sbAnimation->isAncestorOf(target));
    if (onPreview)
        QTimer::singleShot(0, this, [this, path] { Guarded([&] { InsertThumbnail(path); }); });
    // A thumbnail dropped anywhere else is not opened as a new animation.
    return true;
}

void TfrmMain::ShowFrameBytes(bool Shown) {
    FShowBytes = Shown;
    FTileBytes.clear();
    lbFrames->viewport()->update();
    UpdateCommandStates();
}

void TfrmMain::ShowComposedTiles(bool Composed) {
    FShowComposed = Composed;
    FComposedTiles.clear();
    FTileBytes.clear();
    lbFrames->viewport()->update();
    UpdateCommandStates();
}
