// Preview playback: a painter plays a copy of the document in the preview and
// reports each frame to the status bar.
#include "app/MainForm.h"

#include "controls/RXListBox.h"
#include "gif/GIFImage.h"
#include "services/QtAnimationPlayer.h"

#include <QAction>
#include <QScrollArea>
#include <algorithm>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>

bool TfrmMain::Playing() const {
    return FPlaying;
}

void TfrmMain::Play() {
    if (Document()->Frames().Count() == 0)
        return;
    if (FStartupAnimation) {
        FStartupAnimation->Stop();
        FStartupAnimation.reset();
    }
    if (!FPlayer)
        FPlayer = std::make_unique<TQtAnimationPlayer>();
    FPlayer->LoadCopy(*Document());
    Animation->clear();
    Animation->setGeometry(0, 0, pnlAnimation->width(), pnlAnimation->height());
    pb->hide();
    Animation->show();
    Animation->raise();
    const bool started = FPlayer->Play(FAnimationColor, [this](const QImage& picture, int index, int count) {
        ShowPlaybackFrame(picture, index, count);
    });
    FPlaying = started;
    UpdateCommandStates();
}

void TfrmMain::ShowPlaybackFrame(const QImage& Picture, int Index, int Count) {
    const double zoom = ZoomFactor();
    Animation->setPixmap(QPixmap::fromImage(
        zoom == 1.0 ? Picture
                    : Picture.scaled(std::max(1, int(Picture.width() * zoom)), std::max(1, int(Picture.height() * zoom)),
                                     Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    SetStatusText(1, Index < 0 ? QString() : QStringLiteral("Frame %1 of %2").arg(Index).arg(Count));
    statusBar()->repaint();
}

void TfrmMain::PausePlayback() {
    if (FPlayer)
        FPlayer->Stop();
    if (!FPlaying)
        return;
    FPlaying = false;
    UpdateCommandStates();
    const int count = Document()->Frames().Count();
    const int index = lbFrames->currentRow();
    if (index >= 0) {
        ShowFrame(index);
        SetStatusText(1, QStringLiteral("Frame #%1 of %2").arg(index).arg(count - 1));
    }
}


void TfrmMain::TogglePlayback() {
    if (Playing())
        PausePlayback();
    else
        Play();
}

void TfrmMain::StepFrame(int Delta) {
    const int count = lbFrames->count();
    if (Playing() || count == 0)
        return;
    const int next = std::clamp(lbFrames->currentRow() + Delta, 0, count - 1);
    SelectFrames({next});
}

// ---- Zoom ---------------------------------------------------------------------

double TfrmMain::ZoomFactor() const {
    if (FZoom > 0)
        return FZoom / 100.0;
    // Fit: the whole screen in the preview box, never more than 8 times.
    const int width = std::max(1, Document()->Width());
    const int height = std::max(1, Document()->Height());
    const QSize room = sbAnimation->viewport()->size() - QSize(8, 8);
    return std::clamp(std::min(double(room.width()) / width, double(room.height()) / height), 0.05, 8.0);
}

void TfrmMain::SetZoom(int Percent) {
    FZoom = Percent;
    if (Document()->Frames().Count() > 0) {
        SizePreviewToScreen();
        if (lbFrames->currentRow() >= 0 && !Playing())
            ShowFrame(lbFrames->currentRow());
        if (Playing())
            Animation->setGeometry(0, 0, pnlAnimation->width(), pnlAnimation->height());
    }
    UpdateCommandStates();
}

void TfrmMain::ZoomBy(int Steps) {
    static const int levels[] = {25, 50, 100, 200, 300, 400, 600, 800};
    const int now = FZoom > 0 ? FZoom : int(ZoomFactor() * 100);
    int chosen = now;
    if (Steps > 0) {
        for (int level : levels)
            if (level > now) {
                chosen = level;
                break;
            }
    } else {
        for (int level : levels)
            if (level < now)
                chosen = level;
    }
    SetZoom(chosen);
}
